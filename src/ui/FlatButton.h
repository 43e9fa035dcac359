#pragma once
// A flat push button that paints itself: its caption and a glyph, with hot, pressed and
// disabled looks. It is an owner-drawn system button, so it takes the focus, Space and the
// dialog keyboard like any other button. With a drop-down menu, a click opens the menu below it.
#include "ui/StdCtrls.h"

class TPopupMenu;

enum class TButtonState { bsUp, bsHot, bsDown, bsDisabled };

class TFlatButton : public TStdControl {
 public:
  explicit TFlatButton(TComponent* owner, const std::wstring& name = {});

  // The glyph: an image of a list, else the bitmap (whose bottom-left pixel's colour is
  // transparent), drawn left of the caption.
  TImageList* Images = nullptr;
  int ImageIndex = -1;
  TBitmap& Glyph() { return glyph_; }
  // Without Flat, the button shows its raised edge even when the mouse is elsewhere.
  bool Flat = true;
  // Without it only the glyph shows (a tool bar's buttons); the caption still names the button.
  bool ShowCaption = true;
  TPopupMenu* DropDownMenu = nullptr;

  // The look the button was last painted with.
  TButtonState State() const { return state_; }
  bool MouseInControl() const { return hot_; }
  void Click() override;
  void ActionChanged() override;

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Draw(const DRAWITEMSTRUCT& item);
  void DrawGlyph(HDC dc, int x, int y, bool enabled, TColor back);
  SIZE GlyphSize() const;
  TBitmap glyph_;
  bool hot_ = false;
  TButtonState state_ = TButtonState::bsUp;
};
