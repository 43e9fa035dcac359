#include "ui/TrayIcon.h"

#include <shellapi.h>

#include <cwchar>

#include "ui/Application.h"
#include "ui/Menus.h"

namespace {
UINT TaskbarCreatedMessage() {
  static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
  return msg;
}
}  // namespace

TTrayIcon::TTrayIcon(TComponent* owner, const std::wstring& name) : TComponent(owner) {
  SetName(name);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TTrayIconWindow";
  RegisterClassExW(&wc);
  // A top-level window, never shown: a message-only window would miss the "TaskbarCreated"
  // broadcast.
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          wc.hInstance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  TaskbarCreatedMessage();
}

TTrayIcon::~TTrayIcon() {
  SetActive(false);
  OnClick = OnDblClick = nullptr;
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool TTrayIcon::Notify(DWORD what) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = hwnd_;
  nid.uID = IconId;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = CallbackMessage;
  nid.hIcon = icon_ ? icon_ : LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  if (!nid.hIcon) nid.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wcsncpy(nid.szTip, hint_.c_str(), sizeof nid.szTip / sizeof nid.szTip[0] - 1);
  return Shell_NotifyIconW(what, &nid) != FALSE;
}

bool TTrayIcon::SetActive(bool active) {
  if (active_ == active) return true;
  active_ = active;
  return Notify(active ? NIM_ADD : NIM_DELETE);
}

void TTrayIcon::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (active_) Notify(NIM_MODIFY);
}

void TTrayIcon::SetIcon(HICON icon) {
  icon_ = icon;
  if (active_) Notify(NIM_MODIFY);
}

LRESULT TTrayIcon::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == TaskbarCreatedMessage()) {
    // A new taskbar knows nothing of the icons of the old one.
    if (active_) Notify(NIM_ADD);
    return 0;
  }
  if (msg != CallbackMessage) return DefWindowProcW(hwnd_, msg, wp, lp);
  switch (LOWORD(lp)) {
    case WM_LBUTTONUP:
      if (OnClick) OnClick(this);
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(this);
      break;
    case WM_RBUTTONUP:
      if (PopupMenu) {
        POINT p;
        GetCursorPos(&p);
        PopupMenu->Popup(p.x, p.y);  // may free us: nothing of ours is touched afterwards
      }
      break;
    default: break;
  }
  return 0;
}

LRESULT CALLBACK TTrayIcon::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TTrayIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    TErrorBoundary boundary;
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    TApplication::HandleException(std::current_exception());
  }
  return 0;
}
