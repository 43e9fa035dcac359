#include "ui/Application.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/ActnList.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/MessageBox.h"
#include "ui/Screen.h"
#include "ui/Types.h"

TApplication* Application = nullptr;
thread_local TErrorBoundary* TErrorBoundary::innermost_ = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
  if (!Application) Application = this;
  // A new run of the program: nothing is ending.
  CancelEnding();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
  wc.lpszClassName = L"TApplication";
  RegisterClassExW(&wc);
  // A pop-up that is never shown: the owner of every top-level window of the program.
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"TApplication", L"", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0,
                          0, nullptr, nullptr, wc.hInstance, this);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TApplication::~TApplication() {
  // Components (forms among them) go first, while the owner window still exists.
  while (!Components().empty()) delete Components().back();
  for (auto& t : timers_) KillTimer(hwnd_, t.first);
  timers_.clear();
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(const std::wstring& title) {
  title_ = title;
  SetWindowTextW(hwnd_, title.c_str());
}

HWND TApplication::LastActivePopup() const { return GetLastActivePopup(hwnd_); }

namespace {
bool g_showingError = false;
int g_suppressedErrors = 0;
std::vector<std::wstring> g_errorLog;

void KeepError(const std::wstring& text) {
  // Only the most recent ones: a fault that repeats every tick must not grow without end.
  if (g_errorLog.size() >= 100) g_errorLog.erase(g_errorLog.begin());
  g_errorLog.push_back(text);
}

void ReportError(const std::exception& e) {
  if (Application && Application->OnException) {
    try {
      Application->OnException(e);
      return;
    } catch (...) {
      // An error in the error hook itself: fall back to the plain box below.
    }
  }
  ShowMessageBox(ExceptionText(e.what()), L"Error", MB_OK | MB_ICONERROR);
}
}  // namespace

bool TApplication::ShowingError() { return g_showingError; }
int TApplication::SuppressedErrors() { return g_suppressedErrors; }
const std::vector<std::wstring>& TApplication::ErrorLog() { return g_errorLog; }

void TApplication::HandleException(std::exception_ptr error) {
  std::runtime_error unknown("Unknown error");
  const std::exception* e = &unknown;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& caught) {
    e = &caught;  // lives as long as error does
  } catch (...) {
  }
  KeepError(ExceptionText(e->what()));
  // A timer or a repaint that fails while the box is up would otherwise stack boxes.
  if (g_showingError) {
    ++g_suppressedErrors;
    if (Application && Application->OnExceptionWhileShowing) {
      try {
        Application->OnExceptionWhileShowing(*e);
      } catch (...) {
        // Keeping an error must never raise another.
      }
    }
    return;
  }
  struct Showing {
    Showing() { g_showingError = true; }
    ~Showing() { g_showingError = false; }
  } showing;
  ReportError(*e);
}

void TApplication::Run() {
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  terminated_ = true;
  // An open menu runs a loop of its own that does not end on WM_QUIT: asked to end (the close
  // request, the session end) while one is up, the program would wait for the user to dismiss
  // it. It is closed instead.
  EndMenu();
  PostQuitMessage(0);
}

void TApplication::HandleMessage() {
  MSG msg;
  if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT)
      terminated_ = true;
    else
      ProcessMessage(msg);
    return;
  }
  try {
    TErrorBoundary boundary;
    Idle();
  } catch (...) {
    HandleException(std::current_exception());
  }
  if (!terminated_) WaitMessage();
}

void TApplication::ProcessMessages() {
  // Timers whose handlers together take longer than their interval, or a message whose handler
  // posts another, keep the queue from ever running empty: the caller, a handler itself, would
  // never get back. So this stops after a short while even when messages are still waiting.
  const ULONGLONG end = GetTickCount64() + kProcessMessagesMs;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ProcessMessage(msg);
    if (GetTickCount64() >= end) break;
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  try {
    TErrorBoundary boundary;
    if (PreTranslate(msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  } catch (...) {
    HandleException(std::current_exception());
  }
  return true;
}

bool TApplication::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  TForm* form = FindForm(msg.hwnd);
  if (!form || !form->HandleAllocated()) return false;
  // A control that takes every key (an edit in place, a memo) comes before the shortcuts.
  bool controlFirst = false;
  for (HWND h = msg.hwnd; h && h != form->HandleIfAllocated(); h = GetParent(h))
    if (TWinControl* c = TWinControl::FromHandle(h)) {
      controlFirst = c->WantKeys;
      break;
    }
  if (!controlFirst && IsShortCut(msg, form)) return true;
  // Mnemonics are ours to find: the system's search stops short of labels inside panels.
  if (msg.message == WM_SYSCHAR && form->DialogKeys && form->Mnemonic(static_cast<wchar_t>(msg.wParam)))
    return true;
  // The dialog keyboard: Tab, arrows, Alt+letter, Enter and Escape.
  return form->DialogKeys && IsDialogMessageW(form->HandleIfAllocated(), &msg);
}

TForm* TApplication::FindForm(HWND hwnd) const {
  // The top-level window of ours that holds the window.
  return hwnd ? dynamic_cast<TForm*>(TWinControl::FromHandle(GetAncestor(hwnd, GA_ROOT))) : nullptr;
}

// The form that the activation messages named: asking the system is a round trip, and the
// idle work asks after every message.
TForm* TApplication::ActiveForm() const { return activeFormAlive_ ? activeForm_ : nullptr; }

bool TApplication::IsShortCut(const MSG& msg, TForm* form) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const unsigned key = static_cast<unsigned>(msg.wParam & 0xFF);
  // Most keys are text being typed, and each modifier's state is a round trip to the Wine
  // server: they are asked only when a shortcut of the form is on this key, and only until no
  // shortcut is left that they could match.
  unsigned sets = form->ShortCutModifierSets(key);
  TShortCut sc = static_cast<TShortCut>(key);
  struct Modifier {
    int vk;
    TShortCut flag;
  };
  for (const Modifier m : {Modifier{VK_CONTROL, scCtrl}, Modifier{VK_SHIFT, scShift}, Modifier{VK_MENU, scAlt}}) {
    if (!sets) return false;
    const bool down = GetKeyState(m.vk) < 0;
    if (down) sc |= m.flag;
    sets &= ShortCutModifierSetsWith(m.flag, down);
  }
  return sets && form->IsShortCut(sc);
}

void TApplication::Idle() {
  // Only the active window's actions: with hundreds of notes open, updating every window's
  // actions after each keystroke would cost more than the keystroke. Menus and shortcuts
  // update their actions themselves before they use them.
  if (TForm* f = ActiveForm(); f && IsWindowVisible(f->HandleIfAllocated())) f->UpdateActions();
  if (OnIdle) OnIdle();
}

void TApplication::RegisterForm(TForm* form) { forms_.push_back(form); }

void TApplication::FormActivated(TForm* form, bool active) {
  if (active) {
    activeForm_ = form;
    activeFormAlive_ = form->Watch();
  } else if (activeForm_ == form) {
    activeForm_ = nullptr;
    activeFormAlive_ = TLifeCheck();
  }
}

void TApplication::UnregisterForm(TForm* form) {
  if (activeForm_ == form) FormActivated(form, false);
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

void TApplication::ReleaseForm(TForm* form) {
  if (form->releasePosted_) return;
  form->releasePosted_ = true;
  PostMessageW(hwnd_, WM_VXQ_RELEASE, 0, static_cast<LPARAM>(form->Serial()));
}

void TApplication::CheckPendingReleases() {
  for (TForm* f : forms_)
    if (f->releasePending_ && f->CanFreeNow()) ReleaseForm(f);
}

TForm* TApplication::FindFormBySerial(unsigned long long serial) const {
  for (TForm* f : forms_)
    if (f->Serial() == serial) return f;
  return nullptr;
}

void TApplication::DoRelease(unsigned long long serial) {
  // Only a form that still exists: it may have been freed meanwhile.
  TForm* form = FindFormBySerial(serial);
  if (!form) return;
  form->releasePosted_ = false;
  if (!form->CanFreeNow()) {
    // Its handler or a modal loop is still running: end the modal loops it waits for; the
    // release is queued again when they and the handler have returned.
    if (form->modal_ && form->ModalResult == mrNone) form->ModalResult = mrCancel;
    for (TForm* f : forms_) {
      if (!f->modal_ || f == form) continue;
      for (TComponent* o = f->Owner(); o; o = o->Owner())
        if (o == form && f->ModalResult == mrNone) f->ModalResult = mrCancel;
    }
    return;
  }
  delete form;
}

UINT_PTR TApplication::AddTimer(TTimer* timer) {
  UINT_PTR id = nextTimerId_++;
  timers_.emplace_back(id, timer);
  return id;
}

void TApplication::RemoveTimer(UINT_PTR id) {
  KillTimer(hwnd_, id);
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [id](auto& t) { return t.first == id; }),
                timers_.end());
}

void TApplication::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  if (active && OnActivate) OnActivate();
  if (!active && OnDeactivate) OnDeactivate();
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    TErrorBoundary boundary;
    switch (msg) {
      case WM_TIMER:
        for (auto& t : self->timers_)
          if (t.first == wp) {
            t.second->Tick();
            return 0;
          }
        KillTimer(hwnd, wp);
        return 0;
      case WM_VXQ_RELEASE:
        self->DoRelease(static_cast<unsigned long long>(lp));
        return 0;
      case WM_ACTIVATEAPP:
        self->SetActive(wp != 0);
        return 0;
      case WM_DISPLAYCHANGE:
        DisplayChanged();
        break;
      case WM_SETTINGCHANGE:
        if (wp == SPI_SETWORKAREA) DisplayChanged();
        break;
      case WM_MEASUREITEM:
      case WM_DRAWITEM:
      case WM_MENUSELECT:
      case WM_INITMENUPOPUP:
        if (TPopupMenu::HandleMenuMessage(msg, wp, lp)) return TRUE;
        break;
      default: break;
    }
  } catch (...) {
    HandleException(std::current_exception());
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
