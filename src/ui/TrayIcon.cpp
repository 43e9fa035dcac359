#include "ui/TrayIcon.h"

#include <shellapi.h>

#include <cwchar>

TTrayIcon::TTrayIcon(TComponent* owner, HWND window, UINT callbackMessage)
    : TComponent(owner), window_(window), callback_(callbackMessage) {
  Icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
}

TTrayIcon::~TTrayIcon() { SetActive(false); }

bool TTrayIcon::Notify(DWORD what) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = window_;
  nid.uID = 1;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = callback_;
  nid.hIcon = Icon ? Icon : LoadIconW(nullptr, IDI_APPLICATION);
  wcsncpy(nid.szTip, hint_.c_str(), 127);
  return Shell_NotifyIconW(what, &nid) != FALSE;
}

void TTrayIcon::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  Notify(active ? NIM_ADD : NIM_DELETE);
}

void TTrayIcon::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (active_) Notify(NIM_MODIFY);
}
