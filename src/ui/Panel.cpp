#include "ui/Panel.h"

TPanel::TPanel(TComponent* owner, const std::wstring& name) : TWinControl(owner) {
  SetName(name);
  SetBounds(0, 0, 185, 41);
  SetColor(0x80000000u | COLOR_BTNFACE);
}

void DrawBevel(HDC dc, RECT& r, TBevelCut bevel) {
  if (bevel == TBevelCut::bvNone || r.right - r.left < 2 || r.bottom - r.top < 2) return;
  HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT), dark = GetSysColorBrush(COLOR_BTNSHADOW);
  HBRUSH topLeft = bevel == TBevelCut::bvRaised ? light : dark;
  HBRUSH bottomRight = bevel == TBevelCut::bvRaised ? dark : light;
  RECT edge{r.left, r.top, r.right - 1, r.top + 1};
  FillRect(dc, &edge, topLeft);
  edge = RECT{r.left, r.top, r.left + 1, r.bottom - 1};
  FillRect(dc, &edge, topLeft);
  edge = RECT{r.left, r.bottom - 1, r.right, r.bottom};
  FillRect(dc, &edge, bottomRight);
  edge = RECT{r.right - 1, r.top, r.right, r.bottom};
  FillRect(dc, &edge, bottomRight);
  InflateRect(&r, -1, -1);
}

int TPanel::BevelSize() const {
  return (bevelOuter_ != TBevelCut::bvNone ? 1 : 0) + (bevelInner_ != TBevelCut::bvNone ? 1 : 0);
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
  if (bevelOuter_ == bevel) return;
  bevelOuter_ = bevel;
  FrameChanged();
}

void TPanel::SetBevelInner(TBevelCut bevel) {
  if (bevelInner_ == bevel) return;
  bevelInner_ = bevel;
  FrameChanged();
}

void TPanel::FrameChanged() {
  // The window works out its client area again, and the children are laid out in it.
  if (HWND h = HandleIfAllocated()) {
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
  }
}

void TPanel::SetCaption(const std::wstring& caption) {
  TWinControl::SetCaption(caption);
  Invalidate();
}

void TPanel::PaintWindow(HDC dc, const RECT& update) {
  TWinControl::PaintWindow(dc, update);
  if (caption_.empty()) return;
  RECT r{0, 0, ClientWidth(), ClientHeight()};
  InflateRect(&r, -2, 0);
  HGDIOBJ oldFont = SelectObject(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Enabled() ? Font().Color() : (0x80000000u | COLOR_GRAYTEXT)));
  UINT align = Alignment == TAlignment::taCenter ? DT_CENTER : Alignment == TAlignment::taRightJustify ? DT_RIGHT : DT_LEFT;
  DrawTextW(dc, caption_.c_str(), -1, &r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      // wParam or not, the first rectangle is the window's, and becomes the client area.
      RECT* r = reinterpret_cast<RECT*>(lp);
      int b = BevelSize();
      InflateRect(r, -b, -b);
      if (r->right < r->left) r->right = r->left;
      if (r->bottom < r->top) r->bottom = r->top;
      return 0;
    }
    case WM_NCPAINT: {
      if (BevelSize() == 0) return 0;
      HWND h = HandleIfAllocated();
      HDC dc = GetWindowDC(h);
      RECT r;
      GetWindowRect(h, &r);
      OffsetRect(&r, -r.left, -r.top);
      DrawBevel(dc, r, bevelOuter_);
      DrawBevel(dc, r, bevelInner_);
      ReleaseDC(h, dc);
      return 0;
    }
    default: break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}
