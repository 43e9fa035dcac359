#include "ui/ColorPicker.h"

#include "ui/Panel.h"

namespace {
// Five rows of eight: greys and strong colours first, then lighter and paler ones.
constexpr TColor kPalette[TColorPalette::Columns * TColorPalette::Rows] = {
    0x000000, 0x003399, 0x003333, 0x003300, 0x663300, 0x800000, 0x993333, 0x333333,
    0x000080, 0x0066FF, 0x008080, 0x008000, 0x808000, 0xFF0000, 0x996666, 0x808080,
    0x0000FF, 0x0099FF, 0x00CC99, 0x669933, 0xCCCC33, 0xFF6633, 0x800080, 0x999999,
    0xFF00FF, 0x00CCFF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFFCC00, 0x663399, 0xC0C0C0,
    0xCC99FF, 0x99CCFF, 0x99FFFF, 0xCCFFCC, 0xFFFFCC, 0xFFCC99, 0xFF99CC, 0xFFFFFF};

// The custom colours of the colour dialog, kept for the whole session like the system's own.
TColorDialog& SharedColorDialog() {
  static TColorDialog dialog;
  return dialog;
}

void Fill(HDC dc, const RECT& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Frame(HDC dc, const RECT& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

void CenteredText(HDC dc, const RECT& r, const std::wstring& text, HFONT font, TColor color) {
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(color));
  RECT t = r;
  DrawTextW(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, old);
}

constexpr TColor kButtonFace = 0x80000000u | COLOR_BTNFACE;
constexpr TColor kShadow = 0x80000000u | COLOR_BTNSHADOW;
constexpr TColor kHighlight = 0x80000000u | COLOR_HIGHLIGHT;
}  // namespace

// ---------------------------------------------------------------- palette

TColorPalette::TColorPalette(TColorPickerButton* button)
    : TDropDownForm(button, L"TColorPalette"), button_(button) {
  OnCreateParams = [](TCreateParams& p) { p.Style |= WS_BORDER; };
  SetColor(kButtonFace);
  SetBounds(0, 0, 2 * Margin + Columns * CellSize + 2, 2 * Margin + 2 * EntryHeight + Rows * CellSize + 8 + 2);
}

TColor TColorPalette::CellColor(int entry) {
  return entry >= 1 && entry < CustomEntry ? kPalette[entry - 1] : clNone;
}

RECT TColorPalette::EntryRect(int entry) const {
  const int width = Columns * CellSize;
  if (entry == DefaultEntry) return RECT{Margin, Margin, Margin + width, Margin + EntryHeight};
  const int gridTop = Margin + EntryHeight + 4;
  if (entry == CustomEntry) {
    int top = gridTop + Rows * CellSize + 4;
    return RECT{Margin, top, Margin + width, top + EntryHeight};
  }
  int i = entry - 1;
  int x = Margin + (i % Columns) * CellSize, y = gridTop + (i / Columns) * CellSize;
  return RECT{x, y, x + CellSize, y + CellSize};
}

int TColorPalette::EntryAt(int x, int y) const {
  POINT p{x, y};
  for (int e = DefaultEntry; e <= CustomEntry; ++e) {
    RECT r = EntryRect(e);
    if (PtInRect(&r, p)) return e;
  }
  return -1;
}

void TColorPalette::SetHighlight(int entry) {
  if (entry == highlight_) return;
  highlight_ = entry;
  if (HWND h = HandleIfAllocated()) InvalidateRect(h, nullptr, FALSE);
}

void TColorPalette::Pick(int entry) {
  TColorPickerButton* button = button_;
  TLifeCheck buttonAlive = button->Watch();
  button->CloseUp();
  if (!buttonAlive) return;
  if (entry == DefaultEntry)
    button->SelectDefault();
  else if (entry == CustomEntry)
    button->ChooseCustomColor();
  else if (entry > DefaultEntry && entry < CustomEntry)
    button->SetSelectionColor(CellColor(entry));
}

std::wstring TColorPalette::EntryText(int entry) const {
  // The texts as the button has them: the language gives "Custom" without dots.
  if (entry == DefaultEntry) return button_->DefaultText;
  return entry == CustomEntry ? button_->CustomText : std::wstring();
}

void TColorPalette::PaintWindow(HDC dc, const RECT& update) {
  TDropDownForm::PaintWindow(dc, update);
  HFONT font = button_->Font().Handle();
  for (int e = DefaultEntry; e <= CustomEntry; ++e) {
    RECT r = EntryRect(e);
    bool lit = e == highlight_;
    if (e == DefaultEntry || e == CustomEntry) {
      if (lit) Fill(dc, r, kHighlight);
      Frame(dc, r, kShadow);
      CenteredText(dc, r, EntryText(e), font,
                   lit ? (0x80000000u | COLOR_HIGHLIGHTTEXT) : (0x80000000u | COLOR_BTNTEXT));
      // The chosen entry is marked as the chosen cell is.
      if (e == DefaultEntry && button_->SelectionColor() == clNone && !lit) {
        RECT m = r;
        InflateRect(&m, -1, -1);
        Frame(dc, m, clBlack);
      }
      continue;
    }
    RECT swatch = r;
    InflateRect(&swatch, -2, -2);
    if (lit) Frame(dc, r, kHighlight);
    if (button_->SelectionColor() == CellColor(e)) Frame(dc, r, clBlack);
    Fill(dc, swatch, CellColor(e));
    Frame(dc, swatch, kShadow);
  }
}

LRESULT TColorPalette::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      SetHighlight(EntryAt(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
      return 0;
    case WM_LBUTTONUP: {
      int e = EntryAt(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
      if (e >= 0) Pick(e);
      return 0;
    }
    case WM_KEYDOWN: {
      int e = highlight_;
      switch (wp) {
        case VK_ESCAPE: CloseUp(); return 0;
        case VK_RETURN:
        case VK_SPACE:
          if (e >= 0) Pick(e);
          return 0;
        case VK_LEFT: e = e <= DefaultEntry ? CustomEntry : e - 1; break;
        case VK_RIGHT: e = e < 0 || e >= CustomEntry ? DefaultEntry : e + 1; break;
        case VK_UP:
          e = e < 0 || e == DefaultEntry ? CustomEntry
              : e == CustomEntry         ? CustomEntry - Columns
              : e <= Columns             ? DefaultEntry
                                         : e - Columns;
          break;
        case VK_DOWN:
          e = e < 0 || e == CustomEntry ? DefaultEntry
              : e == DefaultEntry       ? 1
              : e + Columns >= CustomEntry ? CustomEntry
                                           : e + Columns;
          break;
        default: return 0;
      }
      SetHighlight(e);
      return 0;
    }
    default: break;
  }
  return TDropDownForm::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- button

TColorPickerButton::TColorPickerButton(TComponent* owner, const std::wstring& name) : TFlatButton(owner, name) {
  SetBounds(0, 0, 89, 22);
  SetCaption(DefaultText);
}

void TColorPickerButton::SetSelectionColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  SetCaption(color == clNone ? DefaultText : L"");
  Invalidate();
  if (OnChange) OnChange(this);
}

void TColorPickerButton::SelectDefault() {
  TLifeCheck alive = Watch();
  SetSelectionColor(clNone);
  if (alive && OnDefaultSelect) OnDefaultSelect(this);
}

bool TColorPickerButton::ChooseCustomColor() {
  TColorDialog& dialog = SharedColorDialog();
  dialog.Color = color_ == clNone ? clWhite : color_;
  dialog.FullOpen = true;
  TLifeCheck alive = Watch();
  TForm* form = ParentForm(this);
  bool ok = dialog.Execute(form ? form->HandleIfAllocated() : nullptr);
  // The dialog ran the message loop: the button may have gone with its window.
  if (!alive || !ok) return false;
  SetSelectionColor(dialog.Color);
  return true;
}

bool TColorPickerButton::DroppedDown() const { return paletteAlive_ && palette_->Visible(); }

void TColorPickerButton::DropDown() {
  if (DroppedDown()) return;
  if (!paletteAlive_) {
    palette_ = new TColorPalette(this);
    paletteAlive_ = palette_->Watch();
  }
  palette_->SetHighlight(-1);
  palette_->DropDown();
}

void TColorPickerButton::CloseUp() {
  if (paletteAlive_) palette_->CloseUp();
}

void TColorPickerButton::Click() {
  bool arrow = arrowClicked_;
  arrowClicked_ = false;
  if (arrow || !OnClick)
    DropDown();
  else
    TFlatButton::Click();
}

void TColorPickerButton::Draw(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool enabled = !(item.itemState & ODS_DISABLED);
  bool down = (item.itemState & ODS_SELECTED) != 0;
  Fill(dc, r, Color() == clNone ? kButtonFace : Color());
  RECT inner = r;
  if (down)
    DrawBevel(dc, inner, TBevelCut::bvLowered);
  else if (MouseInControl() || !Flat || (item.itemState & ODS_FOCUS))
    DrawBevel(dc, inner, TBevelCut::bvRaised);
  int offset = down ? 1 : 0;
  // The colour, or the caption for the default colour, left of the arrow.
  RECT swatch{r.left + 4 + offset, r.top + 4 + offset, r.right - ArrowWidth - 2 + offset, r.bottom - 4 + offset};
  if (color_ == clNone) {
    CenteredText(dc, swatch, Caption(), Font().Handle(), enabled ? Font().Color() : (0x80000000u | COLOR_GRAYTEXT));
  } else {
    Fill(dc, swatch, enabled ? color_ : kButtonFace);
    Frame(dc, swatch, kShadow);
  }
  // The arrow, behind a thin line.
  int ax = r.right - ArrowWidth + offset;
  RECT line{ax - 1, r.top + 3, ax, r.bottom - 3};
  Fill(dc, line, kShadow);
  int cx = ax + ArrowWidth / 2 - 1, cy = (r.top + r.bottom) / 2 - 1 + offset;
  for (int i = 0; i < 3; ++i) {
    RECT row{cx - 2 + i, cy + i, cx + 3 - i, cy + i + 1};
    Fill(dc, row, enabled ? (0x80000000u | COLOR_BTNTEXT) : (0x80000000u | COLOR_GRAYTEXT));
  }
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT f = swatch;
    InflateRect(&f, 2, 2);
    DrawFocusRect(dc, &f);
  }
}

bool TColorPickerButton::Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_DRAWITEM) {
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  return TFlatButton::Notify(msg, wp, lp, result);
}

LRESULT TColorPickerButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      arrowClicked_ = static_cast<short>(LOWORD(lp)) >= Width() - ArrowWidth;
      break;
    case WM_KEYDOWN:
      // Space clicks the button itself; Alt+Down and F4 open the palette, as in a combo box.
      if (wp == VK_SPACE) arrowClicked_ = false;
      if (wp == VK_F4) {
        DropDown();
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      if (wp == VK_DOWN) {
        DropDown();
        return 0;
      }
      break;
    default: break;
  }
  return TFlatButton::WndProc(msg, wp, lp);
}
