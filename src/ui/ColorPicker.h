#pragma once
// A flat colour button with a drop-down palette: forty colours, a "Default" entry that sets
// clNone (the caller's default colour applies) and a "Custom" entry that opens the standard
// colour dialog. The button shows the colour, or the caption "Default" for clNone. A click on
// its arrow, Alt+Down or F4 opens the palette; a click elsewhere runs OnClick (the palette
// when there is no OnClick).
#include <string>

#include "ui/Dialogs.h"
#include "ui/FlatButton.h"
#include "ui/Forms.h"

class TColorPickerButton;

// The palette that drops down below a colour button. Arrows move the highlight, Enter or Space
// picks it, Escape (or a click elsewhere) closes the palette unchanged.
class TColorPalette : public TDropDownForm {
 public:
  explicit TColorPalette(TColorPickerButton* button);

  static constexpr int Columns = 8, Rows = 5, CellSize = 18, Margin = 4, EntryHeight = 20;
  static constexpr int DefaultEntry = 0, CustomEntry = 1 + Columns * Rows;
  // The colour of palette cell 1..40.
  static TColor CellColor(int entry);
  // Entry under a client point, or -1.
  int EntryAt(int x, int y) const;
  RECT EntryRect(int entry) const;
  // The text an entry shows: the Default and Custom entries have one, the colour cells none.
  std::wstring EntryText(int entry) const;
  int Highlight() const { return highlight_; }
  void SetHighlight(int entry);
  // Closes the palette and does what the entry stands for.
  void Pick(int entry);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintWindow(HDC dc, const RECT& update) override;

 private:
  TColorPickerButton* button_;
  int highlight_ = -1;
};

class TColorPickerButton : public TFlatButton {
 public:
  explicit TColorPickerButton(TComponent* owner, const std::wstring& name = {});

  TColor SelectionColor() const { return color_; }
  // Fires OnChange when the colour differs.
  void SetSelectionColor(TColor color);
  std::wstring DefaultText = L"Default";
  std::wstring CustomText = L"Custom";

  // Opens the palette below the button (a window of its own, not modal).
  void DropDown();
  void CloseUp();
  bool DroppedDown() const;
  // Made on the first DropDown.
  TColorPalette* Palette() const { return palette_; }
  // The standard colour dialog with the button's colour; a confirmed colour becomes the
  // button's. Returns whether the user confirmed.
  bool ChooseCustomColor();
  // The palette's Default entry: clNone, then OnDefaultSelect.
  void SelectDefault();

  TNotifyEvent OnChange;
  TNotifyEvent OnDefaultSelect;
  void Click() override;

  // Width of the arrow part at the right.
  static constexpr int ArrowWidth = 14;

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Draw(const DRAWITEMSTRUCT& item);
  TColor color_ = clNone;
  bool arrowClicked_ = false;
  TColorPalette* palette_ = nullptr;
  TLifeCheck paletteAlive_;
};
