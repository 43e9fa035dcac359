#pragma once
// Top-level windows. A form's window class name is its form class name, so that another
// copy of the program can find it with FindWindow.
#include <functional>
#include <string>
#include <vector>

#include "ui/ActnList.h"
#include "ui/Controls.h"

class TButton;

enum class TFormBorderStyle { bsNone, bsDialog, bsToolWindow, bsSizeable };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                              mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrClose = 8;

class TForm : public TWinControl {
 public:
  // owner: the application or another form; its window owns ours.
  TForm(TComponent* owner, const std::wstring& formClassName);
  ~TForm() override;

  const std::wstring& FormClassName() const { return className_; }

  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
  bool ShowInTaskbar = false;
  bool AcceptFiles = false;  // files dropped on the window arrive as WM_DROPFILES
  int MinWidth = 0, MinHeight = 0;  // size constraints of the window

  void SetClientSize(int width, int height);
  void Show();                 // shows and brings to the front
  void ShowInactive();         // shows on top of the others, without activating it
  void Hide() { SetVisible(false); }
  void BringToFront();
  TModalResult ShowModal();
  bool Modal() const { return modal_; }
  TModalResult ModalResult = mrNone;
  void Close();
  // Freed after the messages already queued for it, and never while one of its messages is
  // being handled or a modal loop of it, or of a form it owns, runs (that loop is ended first).
  void Release();
  bool Active() const;
  // A number of its own, never reused: releases are queued by it rather than by address.
  unsigned long long Serial() const { return serial_; }
  bool CanFreeNow() const;

  // The control that has, or last had, the keyboard focus: the focus goes back to it whenever
  // the form is activated. Before the form is first activated it names the control to focus.
  TWinControl* ActiveControl() const;
  void SetActiveControl(TWinControl* control);
  // Tab, Shift+Tab, arrows, Alt+letter, Enter and Escape work as in a dialog box.
  bool DialogKeys = true;
  // Alt+letter: presses the control whose caption carries the mnemonic, or focuses the
  // control after such a label; returns whether one did.
  bool Mnemonic(wchar_t letter);

  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool on);
  BYTE AlphaBlendValue() const;
  void SetAlphaBlendValue(BYTE value);
  // Takes ownership of the region; null removes it.
  void SetWindowRegion(HRGN region, bool redraw = true);
  bool HasWindowRegion() const { return hasRegion_; }
  void Repaint() override;

  void SetVisible(bool visible) override;
  // The state of a shown window; a hidden one is shown in the state last set or left.
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);

  // The buttons that Enter and Escape press in a modal dialog.
  TButton* DefaultButton = nullptr;
  TButton* CancelButton = nullptr;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnResize;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  std::function<void(TComponent* sender, bool& canClose)> OnCloseQuery;
  std::function<void(TComponent* sender, TCloseAction& action)> OnClose;
  std::function<void(TComponent* sender, TCanvas& canvas)> OnPaint;
  // Runs OnCreate; forms call it at the end of their constructor, once their components exist.
  void DoCreate();

  // Keyboard shortcuts of the actions owned by this form.
  bool IsShortCut(TShortCut shortCut);
  // The modifier sets of the form's shortcuts on a key (see ShortCutModifierSet).
  unsigned ShortCutModifierSets(unsigned key);
  void UpdateActions();
  // The components of the window whose mouse messages go to this object.
  void ScaleBy(int multiplier, int divider);

 protected:
  HWND CreateWindowHandle(HWND parent) override;
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintWindow(HDC dc, const RECT& update) override;
  void Resized() override;
  void OutermostMessageDone() override;

 private:
  friend class TApplication;
  void RememberFocus();
  bool RestoreFocus(bool orSelf);
  LRESULT DefaultId() const;
  TButton* DialogButton(bool cancel) const;
  unsigned long long serial_;
  bool releasePending_ = false;
  bool releasePosted_ = false;
  TWinControl* activeControl_ = nullptr;
  TLifeCheck activeControlAlive_;
  std::wstring className_;
  bool alphaBlend_ = false;
  BYTE alpha_ = 255;
  bool modal_ = false;
  bool inShow_ = false;
  bool hasRegion_ = false;
  bool unpainted_ = false;
  bool showInactive_ = false;  // shown and not painted since: all of it is invalid already
  TWindowState windowState_ = TWindowState::wsNormal;
};

// The form a control sits on, or null.
TForm* ParentForm(const TControl* control);
// A window that drops down from a control (a palette, a calendar), owned by the control's form.
// It takes the keys itself (no dialog keyboard) and closes when another window is activated,
// as a drop-down list does.
class TDropDownForm : public TForm {
 public:
  TDropDownForm(TWinControl* anchor, const std::wstring& formClassName);
  // Shows it right below the control, or above it when the screen ends first, with the keys.
  void DropDown();
  // Hides it and gives the keys back to the control.
  void CloseUp();
  bool DroppedDown() const { return Visible(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  TWinControl* Anchor() const { return anchor_; }

 private:
  TWinControl* anchor_;
};
