#pragma once
// Controls: windowless ones that paint on their parent and take its mouse input, and windowed
// ones that own a window handle. A control's bounds are in its parent's client coordinates.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Graphics.h"
#include "ui/Types.h"

class TWinControl;
class TPopupMenu;
class TAction;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits, as the mouse and key events report them.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                             ssDouble = 64;

using TNotifyEvent = std::function<void(TComponent* sender)>;

// What a windowed control's window is made with. A control adjusts it in CreateParams, and a
// form's code can adjust one control's through OnCreateParams, before the window exists.
struct TCreateParams {
  const wchar_t* WindowClass = nullptr;
  std::wstring Caption;
  DWORD Style = 0, ExStyle = 0;
  HWND Parent = nullptr;  // the parent of a child window, the owner of a top-level one
  int X = 0, Y = 0, Width = 0, Height = 0;
  UINT Id = 0;  // child windows only
};
using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  virtual void SetColor(TColor color);
  TFont& Font() { return font_; }

  LPCWSTR Cursor = IDC_ARROW;
  const std::wstring& Hint() const { return hint_; }
  virtual void SetHint(const std::wstring& hint);
  bool ShowHint() const { return showHint_; }
  virtual void SetShowHint(bool show);

  virtual std::wstring Caption() const { return caption_; }
  virtual void SetCaption(const std::wstring& caption);

  // A control linked to an action follows its caption, hint, enabled and visible state and
  // executes it when clicked.
  TAction* Action() const { return action_; }
  void SetAction(TAction* action);
  virtual void ActionChanged();

  TPopupMenu* PopupMenu = nullptr;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  virtual void Click();
  virtual void Invalidate();
  virtual void Repaint();
  virtual HWND ParentHandle() const;
  // Client point of this control in screen coordinates.
  POINT ClientToScreen(POINT p) const;

  // Mouse input, in the control's own coordinates; the parent or the window procedure calls these.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void DblClick();

  virtual bool IsWindowed() const { return false; }
  // A wrapped system control that opens its pop-up menu on WM_CONTEXTMENU itself.
  virtual bool IsStandardControl() const { return false; }

 protected:
  virtual void BoundsChanged() {}
  void RequestRealign();
  std::wstring caption_;

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = 0xF0F0F0;
  TFont font_;
  std::wstring hint_;
  bool showHint_ = false;
  TAction* action_ = nullptr;
  bool pressed_ = false;  // a button went down on this control and has not come up
};

// A control without a window handle: it paints on its parent and takes its mouse input.
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
  // Paints at the control's own origin; the canvas is already offset and clipped.
  virtual void Paint(TCanvas& canvas) = 0;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();                         // creates the window when it does not exist yet
  HWND HandleIfAllocated() const { return hwnd_; }
  bool HandleAllocated() const { return hwnd_ != nullptr; }
  void DestroyHandle();

  void SetBounds(int left, int top, int width, int height) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetColor(TColor color) override;
  std::wstring Caption() const override;
  void SetCaption(const std::wstring& caption) override;
  void SetHint(const std::wstring& hint) override;
  void SetShowHint(bool show) override;
  void Invalidate() override;
  void Repaint() override;
  HWND ParentHandle() const override;
  bool IsWindowed() const override { return true; }
  bool IsStandardControl() const override { return !ownClass_; }
  void SetFocus();
  bool Focused() const;

  const std::vector<TControl*>& Controls() const { return controls_; }
  // Lays out the aligned children: top, bottom, left, right, then client.
  void Realign();
  // The topmost visible windowless child under a client point.
  TGraphicControl* GraphicControlAt(int x, int y) const;

  // The object behind a window handle of ours, or null.
  static TWinControl* FromHandle(HWND hwnd);

  // How many messages of this window are being handled right now (nested ones count).
  int DispatchDepth() const { return dispatchDepth_; }

  // A control that takes every key itself (an edit in place, a multi-line memo): its keys
  // reach it before the form's shortcuts and the dialog keyboard.
  bool WantKeys = false;
  // What a control of our own class answers to WM_GETDLGCODE (WantKeys adds all keys).
  UINT DialogCode = 0;

  // Messages not handled by the object go here; returns true when handled.
  std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)> OnMessage;

  // Last say on the window's creation parameters, after the control's own CreateParams.
  std::function<void(TCreateParams& params)> OnCreateParams;
  // The control's window got or lost the keyboard focus.
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // The child window id, unique within the top-level window (IDOK and IDCANCEL are kept for
  // the default and cancel buttons); 0 until the window exists, and for top-level windows.
  UINT ControlId() const { return id_; }
  // The windowed control among our descendants with this window or, failing that, this id.
  TWinControl* FindChildControl(HWND hwnd, UINT id) const;

 protected:
  friend class TControl;
  // Creates the window from CreateParams; the default is a child of our own window class.
  virtual HWND CreateWindowHandle(HWND parent);
  virtual void CreateParams(TCreateParams& params);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
  // A notification from this control to its parent, reflected back: WM_COMMAND, WM_NOTIFY,
  // WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM, WM_HSCROLL and WM_VSCROLL.
  virtual bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  virtual void PaintWindow(HDC dc, const RECT& update);
  void PaintGraphicControls(HDC dc, const RECT& update);
  void AttachHandle(HWND hwnd, bool subclass);
  // Gives the window the control's font; a control whose size follows its text measures again.
  virtual void ApplyFont();
  virtual void HandleCreated() {}
  virtual void Resized() {}
  // The outermost message being handled has returned: deferred work may run now.
  virtual void OutermostMessageDone() {}
  bool ownClass_ = true;  // window of our own class (else a subclassed standard control)
  HBRUSH BackgroundBrush();

 private:
  friend LRESULT CALLBACK VxqWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK VxqSubclassProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT DispatchToObject(TWinControl*, HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  bool HandleMouse(UINT msg, WPARAM wp, LPARAM lp);
  void UpdateTooltips();
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);

  UINT NextChildId();

  HWND hwnd_ = nullptr;
  WNDPROC previousProc_ = nullptr;  // a subclassed system control's own window procedure
  int dispatchDepth_ = 0;
  UINT id_ = 0;
  UINT nextChildId_ = 100;
  std::vector<TControl*> controls_;
  TGraphicControl* mouseControl_ = nullptr;  // the windowless child holding the mouse
  HBRUSH brush_ = nullptr;
  TColor brushColor_ = clNone;
  HWND tooltip_ = nullptr;
  bool aligning_ = false;
};

// Registers our own window class once; forms register theirs under their form class name.
const wchar_t* EnsureWindowClass(const std::wstring& className, UINT style = CS_DBLCLKS);
// withAlt: also ask for the Alt key, which the mouse messages' flags do not carry.
TShiftState ShiftStateFromKeys(WPARAM keys, bool withAlt = true);

// Runs f, handing any C++ exception to the application's error hook instead of letting it
// cross a callback from Windows.
void GuardCallback(const std::function<void()>& f);

// Puts a control on parent at the given bounds, with the caption when one is given: a form's
// layout reads as one line per control.
template <class T>
T* Place(T* control, TWinControl* parent, int left, int top, int width, int height, const std::wstring& caption = {}) {
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  if (!caption.empty()) control->SetCaption(caption);
  return control;
}
