#include "ui/FlatButton.h"

#include <memory>

#include "ui/ActnList.h"
#include "ui/Menus.h"
#include "ui/Panel.h"

TFlatButton::TFlatButton(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, L"BUTTON", BS_OWNERDRAW | WS_TABSTOP) {
  SetName(name);
  SetBounds(0, 0, 75, 23);
}

void TFlatButton::ActionChanged() {
  TStdControl::ActionChanged();
  if (Action() && Action()->ImageIndex() >= 0) ImageIndex = Action()->ImageIndex();
  Invalidate();
}

void TFlatButton::Click() {
  if (DropDownMenu) {
    POINT below = ClientToScreen(POINT{0, Height()});
    DropDownMenu->PopupComponent = this;
    DropDownMenu->Popup(below.x, below.y);
    return;
  }
  TStdControl::Click();
}

SIZE TFlatButton::GlyphSize() const {
  if (Images && ImageIndex >= 0 && ImageIndex < Images->Count()) return SIZE{Images->Width(), Images->Height()};
  return SIZE{glyph_.Width(), glyph_.Height()};
}

void TFlatButton::DrawGlyph(HDC dc, int x, int y, bool enabled, TColor back) {
  TImageList* list = Images;
  int index = ImageIndex;
  // A bitmap glyph goes through a list of one, made for the paint: it may have changed since.
  std::unique_ptr<TImageList> own;
  if (!list || index < 0 || index >= list->Count()) {
    if (glyph_.Width() <= 0 || glyph_.Height() <= 0) return;
    own = std::make_unique<TImageList>(glyph_.Width(), glyph_.Height());
    list = own.get();
    index = list->Add(glyph_, glyph_.Pixel(0, glyph_.Height() - 1));
    if (index < 0) return;
  }
  if (enabled) {
    ImageList_Draw(list->Handle(), index, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  // Disabled: every pixel of the glyph in grey, halfway to the background.
  TBitmap faded(list->Width(), list->Height());
  faded.Canvas().Brush.Color = back;
  faded.Canvas().FillRect(0, 0, faded.Width(), faded.Height());
  ImageList_Draw(list->Handle(), index, faded.DC(), 0, 0, ILD_TRANSPARENT);
  COLORREF b = ColorToRGB(back);
  int backGrey = (GetRValue(b) * 30 + GetGValue(b) * 59 + GetBValue(b) * 11) / 100;
  for (int py = 0; py < faded.Height(); ++py)
    for (int px = 0; px < faded.Width(); ++px) {
      COLORREF c = faded.Pixel(px, py);
      if (c == b) continue;
      int grey = ((GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100 + backGrey) / 2;
      faded.SetPixel(px, py, RGB(grey, grey, grey));
    }
  BitBlt(dc, x, y, faded.Width(), faded.Height(), faded.DC(), 0, 0, SRCCOPY);
}

void TFlatButton::Draw(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool enabled = !(item.itemState & ODS_DISABLED);
  bool down = (item.itemState & ODS_SELECTED) != 0;
  state_ = !enabled ? TButtonState::bsDisabled : down ? TButtonState::bsDown : hot_ ? TButtonState::bsHot : TButtonState::bsUp;

  TColor back = Color() == clNone ? (0x80000000u | COLOR_BTNFACE) : Color();
  HBRUSH brush = CreateSolidBrush(ColorToRGB(back));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  RECT inner = r;
  if (state_ == TButtonState::bsDown)
    DrawBevel(dc, inner, TBevelCut::bvLowered);
  else if (state_ == TButtonState::bsHot || (!Flat && enabled))
    DrawBevel(dc, inner, TBevelCut::bvRaised);

  // Glyph and caption side by side, centred together; pressed, they move down and right.
  std::wstring caption = ShowCaption ? Caption() : std::wstring();
  HGDIOBJ oldFont = SelectObject(dc, Font().Handle());
  SIZE text{0, 0};
  if (!caption.empty()) {
    RECT calc{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    text = SIZE{calc.right, calc.bottom};
  }
  SIZE glyph = GlyphSize();
  int gap = glyph.cx > 0 && text.cx > 0 ? 4 : 0;
  int offset = down ? 1 : 0;
  int x = r.left + (r.right - r.left - glyph.cx - gap - text.cx) / 2 + offset;
  int midY = (r.top + r.bottom) / 2 + offset;
  if (glyph.cx > 0) DrawGlyph(dc, x, midY - glyph.cy / 2, enabled, back);
  if (text.cx > 0) {
    RECT t{x + glyph.cx + gap, midY - text.cy / 2, x + glyph.cx + gap + text.cx, midY - text.cy / 2 + text.cy};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(enabled ? Font().Color() : (0x80000000u | COLOR_GRAYTEXT)));
    DrawTextW(dc, caption.c_str(), -1, &t, DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

bool TFlatButton::Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_DRAWITEM) {
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  // An owner-drawn button reports a quick second click as a double click.
  if (msg == WM_COMMAND && (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == BN_DOUBLECLICKED)) {
    Click();
    result = 0;
    return true;
  }
  return false;
}

LRESULT TFlatButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, HandleIfAllocated(), 0};
        TrackMouseEvent(&tme);
        Invalidate();
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      Invalidate();
      break;
    default: break;
  }
  return TStdControl::WndProc(msg, wp, lp);
}
