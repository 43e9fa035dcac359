#include "ui/Glyphs.h"

#include <algorithm>
#include <string>

int AddGlyph(TImageList& list, const TGlyph& g) {
  const int w = list.Width(), h = list.Height();
  const TColor transparent = 0xFF00FF;
  TBitmap b(w, h);
  TCanvas& c = b.Canvas();
  c.Brush.Color = transparent;
  c.FillRect(0, 0, w, h);
  c.Brush.Color = g.Fill;
  c.Pen.Color = 0x404040;
  bool darkSign = false;
  switch (g.Shape) {
    case TGlyphShape::Disc: c.Ellipse(1, 1, w - 1, h - 1); break;
    case TGlyphShape::Box: c.Rectangle(1, 1, w - 1, h - 1); break;
    case TGlyphShape::Note:
      c.Rectangle(2, 1, w - 2, h - 1);
      darkSign = true;
      break;
    case TGlyphShape::Folder:
      // A tab on the back, the folder's body in front.
      c.Rectangle(1, 3, w / 2, 6);
      c.Rectangle(1, 5, w - 1, h - 2);
      darkSign = true;
      break;
    case TGlyphShape::Printer:
      c.Brush.Color = clWhite;
      c.Rectangle(4, 1, w - 4, 8);  // the sheet
      c.Brush.Color = g.Fill;
      c.Rectangle(1, 6, w - 1, h - 3);  // the body
      darkSign = true;
      break;
    case TGlyphShape::Check:
    case TGlyphShape::Dash:
      // Drawn with the pen: text would leave the transparent colour in its smoothed edges.
      c.Pen = TPen{g.Fill, 2, TPenStyle::Solid};
      if (g.Shape == TGlyphShape::Check) {
        c.MoveTo(w / 4 - 1, h / 2);
        c.LineTo(w / 2 - 2, h * 3 / 4);
        c.LineTo(w * 3 / 4 + 1, h / 4);
      } else {
        c.MoveTo(w / 4, h / 2);
        c.LineTo(w * 3 / 4, h / 2);
      }
      break;
    case TGlyphShape::Blank: break;
  }
  const std::wstring sign = g.Sign ? g.Sign : L"";
  if (!sign.empty()) {
    c.Brush.Style = TBrushStyle::Clear;
    c.Font.SetName(L"Arial");
    c.Font.SetSize(8);
    c.Font.SetStyle(FontStyle::Bold);
    c.Font.SetColor(darkSign ? 0x404040 : clWhite);
    c.TextOut((w - c.TextWidth(sign)) / 2, std::max(0, (h - c.TextHeight(L"X")) / 2), sign);
  }
  return list.Add(b, transparent);
}
