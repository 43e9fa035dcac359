#include "notes/NotePainters.h"

#include <algorithm>

// Style bits go between the font record and a font unchanged.
static_assert(FontStyle::Bold == fsBold && FontStyle::Italic == fsItalic && FontStyle::Underline == fsUnderline &&
              FontStyle::StrikeOut == fsStrikeOut);

namespace {
void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}
}  // namespace

void DrawTitleBar(TCanvas& canvas, const std::wstring& title, int width, int height, TColor titleColor,
                  TColor titleFontColor, TColor noteColor, const TFontSetting& font, bool hasLink) {
  if (titleColor == clNone) titleColor = TitleColor;
  if (noteColor == clNone) noteColor = NoteColor;
  TColor textColor = titleFontColor == clNone ? static_cast<TColor>(font.Color) : titleFontColor;
  const int w = width;

  canvas.Brush.Color = titleColor;
  canvas.Brush.Style = TBrushStyle::Solid;
  canvas.FillRect(0, 0, w, height);

  // The menu circle.
  canvas.Pen.Width = 1;
  canvas.Pen.Style = TPenStyle::Solid;
  canvas.Pen.Color = textColor;
  canvas.Brush.Color = noteColor;
  canvas.Ellipse(2, 2, 11, 11);

  // The title sits on the bar's bottom edge whatever the font's height; a tall font runs off
  // the top. What runs under the glyph and the close box is painted over by them.
  canvas.Brush.Color = titleColor;
  TFont f;
  SettingToFont(font, f);
  f.SetColor(textColor);
  f.SetPixelsPerInch(canvas.Font.PixelsPerInch());
  canvas.Font.Assign(f);
  canvas.TextOut(14, height - canvas.TextHeight(title), title);

  if (hasLink) {
    // A page with a folded corner.
    canvas.Pen.Width = 1;
    canvas.Pen.Color = textColor;
    canvas.Brush.Color = noteColor;
    canvas.FillRect(w - 25, 1, w - 13, 12);
    Line(canvas, w - 23, 2, w - 23, 10);
    Line(canvas, w - 23, 2, w - 16, 2);
    Line(canvas, w - 16, 2, w - 16, 9);
    Line(canvas, w - 23, 10, w - 17, 10);
    Line(canvas, w - 18, 9, w - 18, 7);
    Line(canvas, w - 18, 7, w - 16, 7);
    canvas.SetPixel(w - 17, 9, textColor);
  }

  canvas.Brush.Color = noteColor;
  canvas.FillRect(w - 12, 1, w - 1, 12);
  canvas.Pen.Color = textColor;
  canvas.Pen.Width = 2;
  Line(canvas, w - 10, 3, w - 4, 9);
  Line(canvas, w - 4, 3, w - 10, 9);
}

void DrawNoteTitle(TCanvas& canvas, const std::wstring& title, int width, int height, TColor titleColor,
                   TColor titleFontColor, TColor noteColor, bool hasLink) {
  DrawTitleBar(canvas, title, width, height, titleColor, titleFontColor, noteColor, TitleFont, hasLink);
}

void DrawDemoNote(TCanvas& canvas, int width, int height, TColor titleColor, TColor titleFontColor,
                  TColor noteColor, const TFont* noteFont, const TFont* titleFont) {
  TColor body = noteColor == clNone ? NoteColor : noteColor;
  canvas.Brush.Color = body;
  canvas.Brush.Style = TBrushStyle::Solid;
  canvas.FillRect(0, 0, width, height);

  if (noteFont) {
    canvas.Font.Assign(*noteFont);
    canvas.TextOut(4, 15, L"Demo Note");
  }

  TFontSetting record = TitleFont;
  if (titleFont) FontToSetting(*titleFont, record);
  DrawTitleBar(canvas, L"Demo Title", width, 13, titleColor, titleFontColor, noteColor, record, true);
}

void FontToSetting(const TFont& font, TFontSetting& setting) {
  // The record holds an 8-bit name: a face it cannot hold is not stored as another name.
  if (std::string face; TryWideToAnsi(font.Name(), face)) setting.SetFaceName(face);  // keeps at most 255 bytes
  setting.Size = static_cast<std::uint8_t>(std::clamp(font.Size(), 0, 255));
  setting.Style = font.Style() & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
  setting.Color = font.Color();
}

void SettingToFont(const TFontSetting& setting, TFont& font) {
  font.SetName(AnsiToWide(setting.FaceName()));
  font.SetSize(setting.Size);
  font.SetStyle(setting.Style & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
  font.SetColor(setting.Color);
}
