#include "ui/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "ui/ActnList.h"
#include "ui/Application.h"
#include "ui/Menus.h"

namespace {
const wchar_t kControlClass[] = L"TVxqControl";

// The object behind each window of ours, by handle. Under Wine every window property is a
// round trip to the server, and a look-up runs on every message; this map costs none.
// Windows and their objects live on the one GUI thread, so the map needs no lock.
std::unordered_map<HWND, TWinControl*>& WindowObjects() {
  static std::unordered_map<HWND, TWinControl*> objects;
  return objects;
}

void ForgetWindow(HWND hwnd, const TWinControl* object) {
  auto& objects = WindowObjects();
  if (auto it = objects.find(hwnd); it != objects.end() && it->second == object) objects.erase(it);
}

TMouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return TMouseButton::mbRight;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return TMouseButton::mbMiddle;
    default: return TMouseButton::mbLeft;
  }
}
}  // namespace

TShiftState ShiftStateFromKeys(WPARAM keys, bool withAlt) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (withAlt && GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

void GuardCallback(const std::function<void()>& f) {
  try {
    TErrorBoundary boundary;
    f();
  } catch (...) {
    TApplication::HandleException(std::current_exception());
  }
}

// One message through its object. The depth count lets a release asked for inside a handler
// wait until the outermost message returns; the life check keeps this routine off an object
// that a handler freed; no C++ error crosses back into the system.
LRESULT DispatchToObject(TWinControl* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TLifeCheck alive = self->Watch();
  const bool own = self->ownClass_;
  const WNDPROC previous = self->previousProc_;
  ++self->dispatchDepth_;
  LRESULT result = 0;
  try {
    TErrorBoundary boundary;
    result = self->Dispatch(msg, wp, lp);
  } catch (...) {
    TApplication::HandleException(std::current_exception());
    // A failed close query or close handler must not let the default processing destroy the
    // window behind the form's back; everything else still gets its default (a failed paint
    // must be validated, or it comes back for ever).
    if (msg != WM_CLOSE)
      result = own ? DefWindowProcW(hwnd, msg, wp, lp) : CallWindowProcW(previous, hwnd, msg, wp, lp);
  }
  if (!alive) return result;
  if (msg == WM_NCDESTROY) {
    ForgetWindow(hwnd, self);
    if (self->hwnd_ == hwnd) self->hwnd_ = nullptr;
  }
  if (--self->dispatchDepth_ == 0) self->OutermostMessageDone();
  return result;
}

LRESULT CALLBACK VxqWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* self = TWinControl::FromHandle(hwnd);
  if (!self && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    self = static_cast<TWinControl*>(cs->lpCreateParams);
    if (self) {
      WindowObjects()[hwnd] = self;
      self->hwnd_ = hwnd;
    }
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return DispatchToObject(self, hwnd, msg, wp, lp);
}

// A system control's messages come here first: a plain window-procedure subclass, which costs
// nothing per message (the common controls' subclassing helper looks itself up in a window
// property, a round trip to the Wine server, on every one).
LRESULT CALLBACK VxqSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (TWinControl* self = TWinControl::FromHandle(hwnd)) return DispatchToObject(self, hwnd, msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

const wchar_t* EnsureWindowClass(const std::wstring& className, UINT style) {
  // The name stays alive as the map's key, so callers may keep the pointer.
  static std::map<std::wstring, bool> registered;
  auto it = registered.try_emplace(className, false).first;
  if (!it->second) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = VxqWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    wc.lpszClassName = it->first.c_str();
    RegisterClassExW(&wc);
    it->second = true;
  }
  return it->first.c_str();
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] {
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->ApplyFont();
    Invalidate();
  };
}

TControl::~TControl() {
  SetAction(nullptr);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (parent_) parent_->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  BoundsChanged();
  if (align_ != TAlign::alNone) RequestRealign();
  if (parent_ && parent_->tooltip_ && !hint_.empty()) parent_->UpdateTooltips();
}

void TControl::SetAlign(TAlign align) {
  if (align_ == align) return;
  align_ = align;
  RequestRealign();
}

void TControl::RequestRealign() {
  if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  if (!visible) Invalidate();
  visible_ = visible;
  if (visible) Invalidate();
  if (align_ != TAlign::alNone) RequestRealign();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Invalidate();
}

void TControl::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Invalidate();
}

void TControl::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (parent_ && parent_->tooltip_) parent_->UpdateTooltips();
}

void TControl::SetShowHint(bool show) {
  showHint_ = show;
  if (parent_ && parent_->tooltip_) parent_->UpdateTooltips();
}

void TControl::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  Invalidate();
}

void TControl::SetAction(TAction* action) { LinkAction(action_, action, this); }

void TControl::ActionChanged() {
  if (!action_) return;
  SetCaption(action_->Caption());
  SetHint(action_->Hint());
  SetEnabled(action_->Enabled());
  SetVisible(action_->Visible());
}

void TControl::Click() {
  if (action_ && !OnClick) {
    action_->Execute();
    return;
  }
  if (OnClick) OnClick(this);
}

void TControl::Invalidate() {
  if (!parent_ || !visible_) return;
  HWND h = parent_->HandleIfAllocated();
  // A window not on the screen has nothing to repaint, and is painted whole when it is shown;
  // under Wine an invalidation is a round trip to the server even then.
  if (!h || !IsWindowVisible(h)) return;
  RECT r = BoundsRect();
  InvalidateRect(h, &r, FALSE);
}

void TControl::Repaint() {
  Invalidate();
  if (parent_ && parent_->HandleIfAllocated()) UpdateWindow(parent_->HandleIfAllocated());
}

HWND TControl::ParentHandle() const { return parent_ ? parent_->HandleIfAllocated() : nullptr; }

POINT TControl::ClientToScreen(POINT p) const {
  if (IsWindowed()) {
    HWND h = static_cast<const TWinControl*>(this)->HandleIfAllocated();
    if (h) ::ClientToScreen(h, &p);
    return p;
  }
  p.x += left_;
  p.y += top_;
  if (HWND h = ParentHandle()) ::ClientToScreen(h, &p);
  return p;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) pressed_ = true;
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TLifeCheck alive = Watch();
  bool wasPressed = pressed_;
  if (button == TMouseButton::mbLeft) pressed_ = false;
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
  if (!alive) return;
  // A wrapped system control reports its own clicks (BN_CLICKED and the like); clicking it here
  // as well would run its handler twice.
  if (button == TMouseButton::mbLeft && wasPressed && enabled_ && !IsStandardControl() && x >= 0 && y >= 0 &&
      x < width_ && y < height_)
    Click();
  if (!alive) return;
  if (button == TMouseButton::mbRight && PopupMenu && !IsStandardControl()) {
    POINT p{x, y};
    p = ClientToScreen(p);
    PopupMenu->PopupComponent = this;
    PopupMenu->Popup(p.x, p.y);
  }
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Children may be owned elsewhere; they must not keep pointing at us.
  for (TControl* c : controls_) c->parent_ = nullptr;
  controls_.clear();
  HWND h = hwnd_;
  DestroyHandle();
  // A window that outlives its object (destroyed by another thread's hand, say) finds none.
  if (h) {
    if (IsWindow(h) && !ownClass_ && previousProc_)
      SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    ForgetWindow(h, this);
  }
  if (brush_) DeleteObject(brush_);
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  const auto& objects = WindowObjects();
  auto it = objects.find(hwnd);
  return it == objects.end() ? nullptr : it->second;
}

HWND TWinControl::Handle() {
  if (!hwnd_) {
    HWND parent = nullptr;
    if (Parent()) parent = Parent()->Handle();
    // Creating the parent's window creates its children, this one among them.
    if (hwnd_) return hwnd_;
    HWND h = CreateWindowHandle(parent);
    if (!h) throw std::runtime_error("Cannot create window (error " + std::to_string(GetLastError()) + ")");
    if (!hwnd_) AttachHandle(h, true);
    ApplyFont();
    for (TControl* c : controls_)
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->Handle();
    HandleCreated();
    Realign();
  }
  return hwnd_;
}

void TWinControl::AttachHandle(HWND hwnd, bool subclass) {
  hwnd_ = hwnd;
  if (FromHandle(hwnd) != this) {
    WindowObjects()[hwnd] = this;
    if (subclass) {
      ownClass_ = false;
      previousProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(VxqSubclassProc)));
    }
  }
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.WindowClass = EnsureWindowClass(kControlClass);
  // A container: the dialog keyboard walks into its children.
  params.ExStyle |= WS_EX_CONTROLPARENT;
}

UINT TWinControl::NextChildId() {
  // Ids below 100 are the system's own (IDOK, IDCANCEL, ...).
  if (nextChildId_ >= 0xBFFF) nextChildId_ = 100;
  return nextChildId_++;
}

HWND TWinControl::CreateWindowHandle(HWND parent) {
  TCreateParams p;
  p.Caption = caption_;
  p.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (Visible() ? WS_VISIBLE : 0) | (Enabled() ? 0 : WS_DISABLED);
  p.Parent = parent;
  p.X = Left();
  p.Y = Top();
  p.Width = Width();
  p.Height = Height();
  if (Parent()) {
    TWinControl* root = Parent();
    while (root->Parent()) root = root->Parent();
    p.Id = root->NextChildId();
  }
  CreateParams(p);
  if (OnCreateParams) OnCreateParams(p);
  bool child = (p.Style & WS_CHILD) != 0;
  HWND h = CreateWindowExW(p.ExStyle, p.WindowClass, p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                           p.Parent, child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(p.Id)) : nullptr,
                           GetModuleHandleW(nullptr), ownClass_ ? this : nullptr);
  if (!h) return nullptr;
  id_ = child ? p.Id : 0;
  if (!ownClass_ && !hwnd_) AttachHandle(h, true);
  return h;
}

TWinControl* TWinControl::FindChildControl(HWND hwnd, UINT id) const {
  if (hwnd) {
    TWinControl* c = FromHandle(hwnd);
    return c && c != this ? c : nullptr;
  }
  if (id == 0) return nullptr;
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w) continue;
    if (w->hwnd_ && w->id_ == id) return w;
    if (TWinControl* found = w->FindChildControl(nullptr, id)) return found;
  }
  return nullptr;
}

void TWinControl::DestroyHandle() {
  if (!hwnd_) return;
  HWND h = hwnd_;
  if (tooltip_) {
    DestroyWindow(tooltip_);
    tooltip_ = nullptr;
  }
  DestroyWindow(h);
  hwnd_ = nullptr;
}

void TWinControl::ApplyFont() {
  if (hwnd_ && !ownClass_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  bool changed = left != Left() || top != Top() || width != Width() || height != Height();
  TControl::SetBounds(left, top, width, height);
  if (changed && hwnd_) {
    SetWindowPos(hwnd_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (changed) Realign();
}

int TWinControl::ClientWidth() const {
  if (!hwnd_) return Width();
  RECT r;
  GetClientRect(hwnd_, &r);
  return r.right;
}

int TWinControl::ClientHeight() const {
  if (!hwnd_) return Height();
  RECT r;
  GetClientRect(hwnd_, &r);
  return r.bottom;
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

void TWinControl::SetColor(TColor color) {
  TControl::SetColor(color);
  Invalidate();
}

std::wstring TWinControl::Caption() const {
  if (!hwnd_) return caption_;
  int n = GetWindowTextLengthW(hwnd_);
  std::wstring s(n + 1, L'\0');
  GetWindowTextW(hwnd_, s.data(), n + 1);
  s.resize(n);
  return s;
}

void TWinControl::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

void TWinControl::SetHint(const std::wstring& hint) {
  TControl::SetHint(hint);
}

void TWinControl::SetShowHint(bool show) {
  TControl::SetShowHint(show);
  if (show && !tooltip_ && hwnd_ && ownClass_) UpdateTooltips();
}

void TWinControl::Invalidate() {
  if (hwnd_ && IsWindowVisible(hwnd_)) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (hwnd_ && IsWindowVisible(hwnd_)) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
  }
}

HWND TWinControl::ParentHandle() const { return hwnd_; }

void TWinControl::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

bool TWinControl::Focused() const { return hwnd_ && GetFocus() == hwnd_; }

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (hwnd_) {
      if (w->hwnd_)
        ::SetParent(w->hwnd_, hwnd_);
      else
        w->Handle();
    }
  }
  if (c->Align() != TAlign::alNone) Realign();
  c->Invalidate();
  if (tooltip_ && c->ShowHint()) UpdateTooltips();
}

void TWinControl::RemoveControl(TControl* c) {
  c->Invalidate();
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  if (mouseControl_ == c) mouseControl_ = nullptr;
  if (c->Align() != TAlign::alNone) Realign();
  if (tooltip_) UpdateTooltips();
}

void TWinControl::Realign() {
  if (aligning_) return;
  aligning_ = true;
  RECT r{0, 0, ClientWidth(), ClientHeight()};
  auto place = [&](TAlign which) {
    for (TControl* c : controls_) {
      if (!c->Visible() || c->Align() != which) continue;
      switch (which) {
        case TAlign::alTop:
          c->SetBounds(r.left, r.top, r.right - r.left, c->Height());
          r.top += c->Height();
          break;
        case TAlign::alBottom:
          c->SetBounds(r.left, r.bottom - c->Height(), r.right - r.left, c->Height());
          r.bottom -= c->Height();
          break;
        case TAlign::alLeft:
          c->SetBounds(r.left, r.top, c->Width(), r.bottom - r.top);
          r.left += c->Width();
          break;
        case TAlign::alRight:
          c->SetBounds(r.right - c->Width(), r.top, c->Width(), r.bottom - r.top);
          r.right -= c->Width();
          break;
        case TAlign::alClient:
          c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
          break;
        default: break;
      }
    }
  };
  place(TAlign::alTop);
  place(TAlign::alBottom);
  place(TAlign::alLeft);
  place(TAlign::alRight);
  place(TAlign::alClient);
  aligning_ = false;
}

TGraphicControl* TWinControl::GraphicControlAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    auto* g = dynamic_cast<TGraphicControl*>(*it);
    if (!g || !g->Visible()) continue;
    POINT p{x, y};
    RECT r = g->BoundsRect();
    if (PtInRect(&r, p)) return g;
  }
  return nullptr;
}

HBRUSH TWinControl::BackgroundBrush() {
  if (!brush_ || brushColor_ != Color()) {
    if (brush_) DeleteObject(brush_);
    brush_ = CreateSolidBrush(Color() == clNone ? GetSysColor(COLOR_BTNFACE) : ColorToRGB(Color()));
    brushColor_ = Color();
  }
  return brush_;
}

void TWinControl::PaintWindow(HDC dc, const RECT& update) {
  FillRect(dc, &update, BackgroundBrush());
}

void TWinControl::PaintGraphicControls(HDC dc, const RECT& update) {
  for (TControl* c : controls_) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->Visible() || g->Width() <= 0 || g->Height() <= 0) continue;
    RECT r = g->BoundsRect(), x;
    if (!IntersectRect(&x, &r, &update)) continue;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    POINT old;
    OffsetViewportOrgEx(dc, r.left, r.top, &old);
    {
      TCanvas canvas(dc);
      g->Paint(canvas);
    }
    RestoreDC(dc, saved);
  }
}

bool TWinControl::Notify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void TWinControl::UpdateTooltips() {
  if (!hwnd_ || !ownClass_) return;
  bool any = false;
  for (TControl* c : controls_)
    if (c->ShowHint() && !c->Hint().empty()) any = true;
  if (!any && !tooltip_) return;
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  // Rebuild the tools: the set is small and changes rarely.
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  while (SendMessageW(tooltip_, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti))) {
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ti = TOOLINFOW{};
    ti.cbSize = sizeof ti;
  }
  UINT_PTR id = 1;
  for (TControl* c : controls_) {
    if (!c->ShowHint() || c->Hint().empty()) continue;
    TOOLINFOW t{};
    t.cbSize = sizeof t;
    t.hwnd = hwnd_;
    t.uFlags = TTF_SUBCLASS;
    t.lpszText = const_cast<wchar_t*>(c->Hint().c_str());
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->hwnd_) {
      t.uFlags |= TTF_IDISHWND;
      t.uId = reinterpret_cast<UINT_PTR>(w->hwnd_);
    } else {
      t.uId = id++;
      t.rect = c->BoundsRect();
    }
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&t));
  }
}

bool TWinControl::HandleMouse(UINT msg, WPARAM wp, LPARAM lp) {
  int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  // The Alt key's state is a round trip to the Wine server: a move (the most frequent mouse
  // message) asks for it only when someone listens.
  TShiftState shift = msg == WM_MOUSEMOVE ? 0 : ShiftStateFromKeys(wp);
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
      bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
      TControl* target = ownClass_ ? static_cast<TControl*>(GraphicControlAt(x, y)) : nullptr;
      if (target && !target->Enabled()) return true;
      if (!target) target = this;
      if (target != this) {
        mouseControl_ = static_cast<TGraphicControl*>(target);
        SetCapture(hwnd_);
      }
      if (dbl && ButtonOf(msg) == TMouseButton::mbLeft) target->DblClick();
      target->MouseDown(ButtonOf(msg), shift | (dbl ? ssDouble : 0), x - (target == this ? 0 : target->Left()),
                        y - (target == this ? 0 : target->Top()));
      return target != this;
    }
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
      TControl* target = mouseControl_;
      if (!target && ownClass_) target = GraphicControlAt(x, y);
      if (target && !target->Enabled()) target = nullptr;
      bool mine = target && target != this;
      if (mouseControl_) {
        mouseControl_ = nullptr;
        if (GetCapture() == hwnd_) ReleaseCapture();
      }
      if (!target) target = this;
      target->MouseUp(ButtonOf(msg), shift, x - (mine ? target->Left() : 0), y - (mine ? target->Top() : 0));
      return mine;
    }
    case WM_MOUSEMOVE: {
      TControl* target = mouseControl_;
      if (!target && ownClass_) target = GraphicControlAt(x, y);
      if (!target) target = this;
      bool mine = target != this;
      // Without a handler the move's shift state goes unread: its Alt key is not asked for.
      shift = ShiftStateFromKeys(wp, target->OnMouseMove != nullptr);
      target->MouseMove(shift, x - (mine ? target->Left() : 0), y - (mine ? target->Top() : 0));
      return mine;
    }
    default: return false;
  }
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  return ownClass_ ? DefWindowProcW(hwnd_, msg, wp, lp) : CallWindowProcW(previousProc_, hwnd_, msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  if (OnMessage) {
    LRESULT r = 0;
    if (OnMessage(msg, wp, lp, r)) return r;
  }
  return WndProc(msg, wp, lp);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (ownClass_) return 1;
      break;
    case WM_PAINT:
      if (ownClass_) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PaintWindow(dc, ps.rcPaint);
        PaintGraphicControls(dc, ps.rcPaint);
        EndPaint(hwnd_, &ps);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      // The same picture into a given DC: PrintWindow and screenshots of hidden windows.
      if (ownClass_) {
        RECT r;
        GetClientRect(hwnd_, &r);
        HDC dc = reinterpret_cast<HDC>(wp);
        PaintWindow(dc, r);
        PaintGraphicControls(dc, r);
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      if (ownClass_)
        return DialogCode | (WantKeys ? DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB : 0);
      break;
    case WM_SIZE:
      if (ownClass_) {
        Realign();
        Resized();
      }
      break;
    case WM_SETCURSOR:
      if (ownClass_ && LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        TControl* c = GraphicControlAt(p.x, p.y);
        if (!c) c = this;
        SetCursor(LoadCursorW(nullptr, c->Cursor));
        return TRUE;
      }
      break;
    case WM_CAPTURECHANGED:
      mouseControl_ = nullptr;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL: {
      // Back to the control that sent it: by its window where the message names one, else by
      // its id (WM_MEASUREITEM names none, and the dialog keyboard's WM_COMMAND for a button
      // inside a panel carries no window).
      HWND from = nullptr;
      UINT id = 0;
      switch (msg) {
        case WM_COMMAND: from = reinterpret_cast<HWND>(lp); id = lp ? 0 : LOWORD(wp); break;
        case WM_NOTIFY: from = reinterpret_cast<NMHDR*>(lp)->hwndFrom; break;
        case WM_DRAWITEM:
          if (reinterpret_cast<DRAWITEMSTRUCT*>(lp)->CtlType != ODT_MENU)
            from = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
          break;
        case WM_MEASUREITEM:
          if (reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->CtlType != ODT_MENU) id = static_cast<UINT>(wp);
          break;
        case WM_DELETEITEM: from = reinterpret_cast<DELETEITEMSTRUCT*>(lp)->hwndItem; break;
        case WM_COMPAREITEM: from = reinterpret_cast<COMPAREITEMSTRUCT*>(lp)->hwndItem; break;
        default: from = reinterpret_cast<HWND>(lp); break;  // scroll bars, track bars, up-downs
      }
      TWinControl* child = FindChildControl(from, id);
      // Found by id alone (the dialog keyboard): only a control the user could press.
      if (child && !from && msg == WM_COMMAND &&
          !(IsWindowVisible(child->HandleIfAllocated()) && IsWindowEnabled(child->HandleIfAllocated())))
        child = nullptr;
      if (child) {
        LRESULT r = 0;
        if (child->Notify(msg, wp, lp, r)) return r;
      }
      break;
    }
    case WM_SETFOCUS:
      if (OnEnter) OnEnter(this);
      break;
    case WM_KILLFOCUS:
      if (OnExit) OnExit(this);
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp)); child && child->Color() != clNone) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, ColorToRGB(child->Color()));
        SetTextColor(dc, ColorToRGB(child->Font().Color()));
        return reinterpret_cast<LRESULT>(child->BackgroundBrush());
      }
      break;
    case WM_CONTEXTMENU:
      if (!ownClass_ && PopupMenu) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (p.x == -1 && p.y == -1) p = ClientToScreen(POINT{0, 0});
        PopupMenu->PopupComponent = this;
        PopupMenu->Popup(p.x, p.y);
        return 0;
      }
      break;
    default:
      if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL) {
        if (HandleMouse(msg, wp, lp)) return 0;
      }
      break;
  }
  return DefaultHandler(msg, wp, lp);
}
