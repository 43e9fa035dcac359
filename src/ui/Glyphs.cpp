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
    case TGlyphShape::Bin: {
      // The body narrows downwards under a lid with a grip, ribbed lengthwise.
      const TColor rim = 0x404040;
      for (int y = 6; y < h - 1; ++y) {
        const int inset = 3 + (y - 6) / 4;
        c.Brush = TBrush{y == h - 2 ? rim : g.Fill};
        c.FillRect(inset, y, w - inset, y + 1);
        c.SetPixel(inset, y, rim);
        c.SetPixel(w - inset - 1, y, rim);
      }
      for (int x = w / 2 - 3; x <= w / 2 + 2; x += 2) {
        c.Pen = TPen{rim};
        c.MoveTo(x + (x >= w / 2 ? 1 : 0), 8);
        c.LineTo(x + (x >= w / 2 ? 1 : 0), h - 3);
      }
      c.Pen = TPen{rim};
      c.Brush = TBrush{g.Fill};
      c.Rectangle(1, 3, w - 1, 6);              // the lid
      c.Rectangle(w / 2 - 2, 1, w / 2 + 2, 4);  // its grip
      break;
    }
    case TGlyphShape::Door: {
      // A dark doorway in its frame, the door swung open towards the viewer on its left hinge.
      const TColor rim = 0x303030;
      c.Pen = TPen{rim};
      c.Brush = TBrush{0x505050};
      c.Rectangle(4, 1, w - 2, h - 1);
      for (int x = 2; x < 9; ++x) {
        // Nearer the viewer the door's free edge reaches higher and lower.
        const int top = 1 + (x - 2) / 3, bottom = h - 1 - (x - 2) / 3;
        c.Pen = TPen{x == 2 || x == 8 ? rim : g.Fill};
        c.MoveTo(x, top);
        c.LineTo(x, bottom);
        c.SetPixel(x, top, rim);
        c.SetPixel(x, bottom - 1, rim);
      }
      c.SetPixel(7, h / 2, 0x00D0FF);  // the knob
      c.SetPixel(7, h / 2 + 1, 0x0090C0);
      break;
    }
    case TGlyphShape::Blank: break;
  }
  const std::wstring sign = g.Sign ? g.Sign : L"";
  if (!sign.empty()) {
    c.Brush.Style = TBrushStyle::Clear;
    c.Font.SetName(L"Arial");
    c.Font.SetSize(8);
    c.Font.SetStyle(FontStyle::Bold);
    c.Font.SetColor(g.SignColor != clNone ? g.SignColor : darkSign ? 0x404040 : clWhite);
    c.TextOut((w - c.TextWidth(sign)) / 2, std::max(0, (h - c.TextHeight(L"X")) / 2), sign);
  }
  return list.Add(b, transparent);
}
