#include "ui/Forms.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Menus.h"
#include "ui/MessageBox.h"
#include "ui/StdCtrls.h"

namespace {
unsigned long long g_lastSerial = 0;
}

TForm::TForm(TComponent* owner, const std::wstring& formClassName)
    : TWinControl(owner), serial_(++g_lastSerial), className_(formClassName) {
  SetVisible(false);
  SetBounds(CW_USEDEFAULT == 0 ? 0 : 100, 100, 300, 200);
  if (Application) Application->RegisterForm(this);
}

TForm::~TForm() {
  if (Application) Application->UnregisterForm(this);
  // The window still gets messages while it goes (an active one is deactivated), when the
  // derived form and its components are already gone: none of its handlers may run then.
  OnShow = OnHide = OnResize = OnActivate = OnDeactivate = nullptr;
  OnCloseQuery = nullptr;
  OnClose = nullptr;
  OnPaint = nullptr;
  OnMessage = nullptr;
  // Components go before the window so that none of them outlives it holding a child handle.
  while (!Components().empty()) delete Components().back();
  DestroyHandle();
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::CreateParams(TCreateParams& params) {
  params.WindowClass = EnsureWindowClass(className_);
  DWORD style = WS_CLIPCHILDREN, ex = WS_EX_CONTROLPARENT;
  switch (BorderStyle) {
    case TFormBorderStyle::bsNone: style |= WS_POPUP; break;
    case TFormBorderStyle::bsDialog:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
      ex |= WS_EX_DLGMODALFRAME;
      break;
    case TFormBorderStyle::bsToolWindow:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      ex |= WS_EX_TOOLWINDOW;
      break;
    case TFormBorderStyle::bsSizeable: style |= WS_OVERLAPPEDWINDOW; break;
  }
  if (ShowInTaskbar) ex |= WS_EX_APPWINDOW;
  // Made with the style rather than set later: each style change is a round trip to the display.
  if (AcceptFiles) ex |= WS_EX_ACCEPTFILES;
  if (alphaBlend_) ex |= WS_EX_LAYERED;
  params.Style = style;
  params.ExStyle = ex;
  params.Id = 0;
  if (auto* ownerForm = dynamic_cast<TForm*>(Owner()))
    params.Parent = ownerForm->Handle();
  else if (Application)
    params.Parent = Application->Handle();
}

HWND TForm::CreateWindowHandle(HWND parent) {
  HWND h = TWinControl::CreateWindowHandle(parent);
  if (h && alphaBlend_) SetLayeredWindowAttributes(h, 0, alpha_, LWA_ALPHA);
  return h;
}

void TForm::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  if (HandleAllocated()) {
    RECT c, w;
    GetClientRect(HandleIfAllocated(), &c);
    GetWindowRect(HandleIfAllocated(), &w);
    SetBounds(Left(), Top(), width + (w.right - w.left - c.right), height + (w.bottom - w.top - c.bottom));
    return;
  }
  DWORD style = BorderStyle == TFormBorderStyle::bsNone ? WS_POPUP
                : BorderStyle == TFormBorderStyle::bsSizeable ? WS_OVERLAPPEDWINDOW
                                                              : WS_POPUP | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRectEx(&r, style, FALSE, BorderStyle == TFormBorderStyle::bsToolWindow ? WS_EX_TOOLWINDOW : 0);
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::SetVisible(bool visible) {
  bool was = Visible() && HandleAllocated() && IsWindowVisible(HandleIfAllocated());
  TControl::SetVisible(visible);
  HWND h = visible ? Handle() : HandleIfAllocated();
  if (!h) return;
  if (visible && !was) {
    unpainted_ = true;
    ShowWindow(h, windowState_ == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                  : windowState_ == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                  : showInactive_                             ? SW_SHOWNA
                                                              : SW_SHOWNORMAL);
    if (OnShow && !inShow_) {
      inShow_ = true;
      OnShow(this);
      inShow_ = false;
    }
  } else if (!visible && was) {
    windowState_ = WindowState();
    ShowWindow(h, SW_HIDE);
    if (OnHide) OnHide(this);
  }
}

TWindowState TForm::WindowState() const {
  HWND h = HandleIfAllocated();
  if (!h || !IsWindowVisible(h)) return windowState_;
  return IsIconic(h) ? TWindowState::wsMinimized : IsZoomed(h) ? TWindowState::wsMaximized : TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  HWND h = HandleIfAllocated();
  if (!h || !IsWindowVisible(h)) return;
  ShowWindow(h, state == TWindowState::wsMaximized   ? SW_MAXIMIZE
                : state == TWindowState::wsMinimized ? SW_MINIMIZE
                                                     : SW_RESTORE);
}

void TForm::Show() {
  const bool wasShown = Visible() && HandleAllocated() && IsWindowVisible(HandleIfAllocated());
  SetVisible(true);
  // A window that was hidden came to the front as it was shown.
  if (wasShown) BringToFront();
}

void TForm::ShowInactive() {
  if (Visible() && HandleAllocated() && IsWindowVisible(HandleIfAllocated())) {
    SetWindowPos(HandleIfAllocated(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  // A window shown without activation still comes up above the others.
  showInactive_ = true;
  try {
    SetVisible(true);
  } catch (...) {
    showInactive_ = false;
    throw;
  }
  showInactive_ = false;
}

void TForm::BringToFront() {
  if (!HandleAllocated()) return;
  // Only the z-order: making a window the foreground one is a separate, explicit step.
  SetWindowPos(HandleIfAllocated(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TForm::Active() const { return HandleAllocated() && GetActiveWindow() == HandleIfAllocated(); }

TModalResult TForm::ShowModal() {
  // While the program ends nobody may be there to answer: the dialog ends as cancelled.
  if (modal_ || !Application || Ending()) return mrCancel;
  // Every other enabled top-level window of the program waits while the dialog runs.
  std::vector<HWND> disabled;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) -> BOOL {
        auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
        if (IsWindowEnabled(h) && IsWindowVisible(h)) list->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabled));
  HWND self = Handle();
  disabled.erase(std::remove(disabled.begin(), disabled.end(), self), disabled.end());

  // Whatever ends the loop (a result, the end of the program, the form freed by a session end,
  // an error), the other windows come back and the form's own state is put right; when the
  // form is gone, nothing of it is touched.
  struct Restore {
    TForm* form;
    TLifeCheck alive;
    TApplication* app;
    std::vector<HWND> disabled;
    HWND self;
    HWND previous;
    ~Restore() {
      if (Application == app) --app->ModalLevel;
      // Others first, then hide: hiding a dialog while its owner is still disabled would hand
      // the activation to some other program.
      for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
      if (alive) {
        form->modal_ = false;
        try {
          TErrorBoundary boundary;
          form->SetVisible(false);
        } catch (...) {
          TApplication::HandleException(std::current_exception());
        }
      } else if (IsWindow(self)) {
        ShowWindow(self, SW_HIDE);
      }
      if (previous && IsWindow(previous)) SetActiveWindow(previous);
      if (Application == app) app->CheckPendingReleases();
    }
  };
  for (HWND h : disabled) EnableWindow(h, FALSE);
  TLifeCheck alive = Watch();
  TApplication* app = Application;
  Restore restore{this, alive, app, std::move(disabled), self, GetActiveWindow()};
  modal_ = true;
  ModalResult = mrNone;
  ++app->ModalLevel;
  Show();
  if (HandleAllocated()) SetForegroundWindow(HandleIfAllocated());
  while (alive && ModalResult == mrNone && Application == app && !app->Terminated() && !Ending() && HandleAllocated())
    app->HandleMessage();
  if (!alive) return mrCancel;
  return ModalResult == mrNone ? mrCancel : ModalResult;
}

void TForm::Close() {
  TLifeCheck alive = Watch();
  bool canClose = true;
  // Both handlers may run the message loop (a question, an animation): the form may be gone.
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  if (!alive || !canClose) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (!alive) return;
  if (modal_) {
    if (action != TCloseAction::caNone && ModalResult == mrNone) ModalResult = mrCancel;
    return;
  }
  switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caFree: Release(); break;
    case TCloseAction::caMinimize:
      if (HandleAllocated()) ShowWindow(HandleIfAllocated(), SW_MINIMIZE);
      break;
    case TCloseAction::caNone: break;
  }
}

void TForm::Release() {
  if (HandleAllocated()) ShowWindow(HandleIfAllocated(), SW_HIDE);
  releasePending_ = true;
  if (Application) Application->ReleaseForm(this);
}

bool TForm::CanFreeNow() const {
  if (DispatchDepth() > 0 || modal_) return false;
  if (Application)
    for (TForm* f : Application->Forms()) {
      if (f == this || !f->modal_) continue;
      for (TComponent* o = f->Owner(); o; o = o->Owner())
        if (o == this) return false;
    }
  return true;
}

void TForm::OutermostMessageDone() {
  if (releasePending_ && Application) Application->ReleaseForm(this);
}

TWinControl* TForm::ActiveControl() const { return activeControlAlive_ ? activeControl_ : nullptr; }

void TForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  activeControlAlive_ = control ? control->Watch() : TLifeCheck();
  if (control && Active() && control->HandleAllocated()) ::SetFocus(control->HandleIfAllocated());
}

void TForm::RememberFocus() {
  HWND self = HandleIfAllocated();
  // The focus may sit in a window inside a control (the edit of a combo box): take the control.
  for (HWND h = GetFocus(); h && h != self && IsChild(self, h); h = GetParent(h))
    if (TWinControl* c = FromHandle(h)) {
      activeControl_ = c;
      activeControlAlive_ = c->Watch();
      return;
    }
}

bool TForm::RestoreFocus(bool orSelf) {
  HWND self = HandleIfAllocated();
  if (!self) return false;
  if (TWinControl* c = ActiveControl()) {
    HWND h = c->HandleIfAllocated();
    if (h && IsChild(self, h) && IsWindowVisible(h) && IsWindowEnabled(h)) {
      ::SetFocus(h);
      return true;
    }
  }
  if (HWND first = GetNextDlgTabItem(self, nullptr, FALSE); first && first != self) {
    ::SetFocus(first);
    return true;
  }
  if (orSelf) ::SetFocus(self);
  return false;
}

namespace {
TButton* FindButton(const TWinControl* parent, bool cancel) {
  for (TControl* c : parent->Controls()) {
    if (auto* b = dynamic_cast<TButton*>(c); b && (cancel ? b->Cancel : b->Default())) return b;
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (TButton* b = FindButton(w, cancel)) return b;
  }
  return nullptr;
}

bool Pressable(const TButton* b) {
  HWND h = b ? b->HandleIfAllocated() : nullptr;
  return h && IsWindowVisible(h) && IsWindowEnabled(h);
}
}  // namespace

namespace {
bool HasMnemonic(const std::wstring& caption, wchar_t letter) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == L'&') {
      if (caption[i + 1] == L'&') {
        ++i;
        continue;
      }
      return CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(caption[i + 1]))) ==
             CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(letter)));
    }
  return false;
}

TWinControl* FindMnemonic(const TWinControl* parent, wchar_t letter) {
  for (TControl* c : parent->Controls()) {
    auto* w = dynamic_cast<TWinControl*>(c);
    HWND h = w ? w->HandleIfAllocated() : nullptr;
    if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
    if (dynamic_cast<TStdControl*>(w) && HasMnemonic(w->Caption(), letter)) return w;
    if (TWinControl* found = FindMnemonic(w, letter)) return found;
  }
  return nullptr;
}
}  // namespace

bool TForm::Mnemonic(wchar_t letter) {
  // Walked in creation order through panels and the shown tab sheet.
  TWinControl* c = FindMnemonic(this, letter);
  if (!c) return false;
  HWND h = c->HandleIfAllocated();
  if (dynamic_cast<TLabel*>(c) || dynamic_cast<TGroupBox*>(c)) {
    // A group box names what it holds: its first control; a label, the control after it.
    HWND next = nullptr;
    if (dynamic_cast<TGroupBox*>(c))
      if (HWND first = GetNextDlgTabItem(h, nullptr, FALSE); first && IsChild(h, first)) next = first;
    if (!next) next = GetNextDlgTabItem(HandleIfAllocated(), h, FALSE);
    if (next) ::SetFocus(next);
  } else if (dynamic_cast<TButton*>(c)) {
    c->Click();
  } else {
    ::SetFocus(h);
    if (dynamic_cast<TCheckBox*>(c)) SendMessageW(h, BM_CLICK, 0, 0);
  }
  return true;
}

TButton* TForm::DialogButton(bool cancel) const {
  if (TButton* b = cancel ? CancelButton : DefaultButton) return b;
  return FindButton(this, cancel);
}

LRESULT TForm::DefaultId() const {
  // Enter presses the focused button, else the default one.
  HWND focus = GetFocus();
  if (auto* b = dynamic_cast<TButton*>(FromHandle(focus)); b && IsChild(HandleIfAllocated(), focus))
    return MAKELRESULT(b->ControlId(), DC_HASDEFID);
  if (TButton* b = DialogButton(false); Pressable(b)) return MAKELRESULT(b->ControlId(), DC_HASDEFID);
  return 0;
}

void TForm::SetAlphaBlend(bool on) {
  alphaBlend_ = on;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    SetWindowLongPtrW(h, GWL_EXSTYLE, on ? (ex | WS_EX_LAYERED) : (ex & ~WS_EX_LAYERED));
    if (on) SetLayeredWindowAttributes(h, 0, alpha_, LWA_ALPHA);
  }
}

BYTE TForm::AlphaBlendValue() const {
  if (HWND h = HandleIfAllocated(); h && alphaBlend_) {
    BYTE a = alpha_;
    DWORD flags = 0;
    COLORREF key;
    if (GetLayeredWindowAttributes(h, &key, &a, &flags) && (flags & LWA_ALPHA)) return a;
  }
  return alpha_;
}

void TForm::SetAlphaBlendValue(BYTE value) {
  alpha_ = value;
  if (HWND h = HandleIfAllocated(); h && alphaBlend_) SetLayeredWindowAttributes(h, 0, alpha_, LWA_ALPHA);
}

void TForm::SetWindowRegion(HRGN region, bool redraw) {
  if (HWND h = Handle()) {
    if (SetWindowRgn(h, region, redraw)) hasRegion_ = region != nullptr;
  } else if (region) {
    DeleteObject(region);
  }
}

void TForm::Repaint() {
  // Just shown and not painted yet: the whole window is invalid, it only needs the paint.
  if (unpainted_ && HandleAllocated() && IsWindowVisible(HandleIfAllocated()))
    UpdateWindow(HandleIfAllocated());
  else
    TWinControl::Repaint();
}

void TForm::ScaleBy(int multiplier, int divider) {
  if (divider == 0) return;
  SetBounds(Left(), Top(), MulDiv(Width(), multiplier, divider), MulDiv(Height(), multiplier, divider));
  for (TControl* c : Controls())
    if (c->Align() == TAlign::alNone)
      c->SetBounds(MulDiv(c->Left(), multiplier, divider), MulDiv(c->Top(), multiplier, divider),
                   MulDiv(c->Width(), multiplier, divider), MulDiv(c->Height(), multiplier, divider));
}

bool TForm::IsShortCut(TShortCut shortCut) {
  for (TComponent* c : Components())
    if (auto* list = dynamic_cast<TActionList*>(c))
      if (list->IsShortCut(shortCut)) return true;
  return false;
}

unsigned TForm::ShortCutModifierSets(unsigned key) {
  unsigned sets = 0;
  for (TComponent* c : Components())
    if (auto* list = dynamic_cast<TActionList*>(c)) sets |= list->ShortCutModifierSets(key);
  return sets;
}

void TForm::UpdateActions() {
  for (TComponent* c : Components())
    if (auto* list = dynamic_cast<TActionList*>(c)) list->UpdateActions();
}

void TForm::PaintWindow(HDC dc, const RECT& update) {
  TWinControl::PaintWindow(dc, update);
  if (OnPaint) {
    TCanvas canvas(dc);
    OnPaint(this, canvas);
  }
}

void TForm::Resized() {
  if (HWND h = HandleIfAllocated()) {
    RECT r;
    GetWindowRect(h, &r);
    // Keep the object's bounds in step with what the window manager did.
    if (r.left != Left() || r.top != Top() || r.right - r.left != Width() || r.bottom - r.top != Height())
      TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  if (OnResize) OnResize(this);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      unpainted_ = false;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (Application) Application->FormActivated(this, LOWORD(wp) != WA_INACTIVE);
      if (LOWORD(wp) == WA_INACTIVE) {
        RememberFocus();
        if (OnDeactivate) OnDeactivate(this);
      } else {
        // The keys go back where they were, not to the bare form (the system's default).
        if (!HIWORD(wp)) RestoreFocus(true);
        if (OnActivate) OnActivate(this);
      }
      return 0;
    case WM_SETFOCUS:
      // Handed the focus itself (after a window above it closed, say): pass it on.
      RestoreFocus(false);
      return 0;
    case DM_GETDEFID:
      return DefaultId();
    case WM_COMMAND:
      // Escape from the dialog keyboard (and Enter when there is no default button) arrive
      // as the ids alone: they press the cancel and the default button.
      if (lp == 0 && HIWORD(wp) == BN_CLICKED && (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK)) {
        TButton* b = DialogButton(LOWORD(wp) == IDCANCEL);
        if (Pressable(b)) b->Click();
        return 0;
      }
      break;
    case WM_ACTIVATEAPP:
      if (Application) Application->SetActive(wp != 0);
      break;
    case WM_MOVE:
      if (HWND h = HandleIfAllocated()) {
        RECT r;
        GetWindowRect(h, &r);
        TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      if (MinWidth > 0) mm->ptMinTrackSize.x = MinWidth;
      if (MinHeight > 0) mm->ptMinTrackSize.y = MinHeight;
      return 0;
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (wp == 0 && TPopupMenu::HandleMenuMessage(msg, wp, lp)) return TRUE;
      break;
    default: break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

TForm* ParentForm(const TControl* control) {
  for (TWinControl* p = control->Parent(); p; p = p->Parent())
    if (auto* f = dynamic_cast<TForm*>(p)) return f;
  return nullptr;
}

TDropDownForm::TDropDownForm(TWinControl* anchor, const std::wstring& formClassName)
    : TForm(ParentForm(anchor) ? static_cast<TComponent*>(ParentForm(anchor)) : Application, formClassName),
      anchor_(anchor) {
  BorderStyle = TFormBorderStyle::bsNone;
  DialogKeys = false;
}

void TDropDownForm::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TDropDownForm::DropDown() {
  // The control's outer edges, its border included.
  RECT r;
  GetWindowRect(anchor_->Handle(), &r);
  POINT at{r.left, r.bottom};
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &mi);
  if (at.y + Height() > mi.rcWork.bottom) at.y = r.top - Height();
  if (at.x + Width() > mi.rcWork.right) at.x = mi.rcWork.right - Width();
  SetBounds(at.x, at.y, Width(), Height());
  Show();
  SetForegroundWindow(Handle());
  // Activation gave the keys to its control; one without controls takes them itself.
  if (HWND focus = GetFocus(); focus != Handle() && !IsChild(Handle(), focus)) ::SetFocus(Handle());
}

void TDropDownForm::CloseUp() {
  if (!Visible()) return;
  Hide();
  if (TForm* form = ParentForm(anchor_); form && form->HandleAllocated()) SetActiveWindow(form->HandleIfAllocated());
  anchor_->SetFocus();
}

LRESULT TDropDownForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ACTIVATE && LOWORD(wp) == WA_INACTIVE && Visible()) {
    CloseUp();
    return 0;
  }
  return TForm::WndProc(msg, wp, lp);
}
