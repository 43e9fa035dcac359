#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ui/Graphics.h"

namespace {
constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

LOGFONTW FontOf(HFONT font) {
  LOGFONTW lf{};
  EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
  return lf;
}

int CountNot(TBitmap& bmp, const RECT& r, TColor color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += bmp.Pixel(x, y) != color;
  return n;
}
}  // namespace

TEST(Font, HandleFollowsTheLookAndIsRemadeOnlyWhenNeeded) {
  TFont font;
  EXPECT_EQ(font.Name(), L"Tahoma");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Color(), clBlack);
  EXPECT_EQ(font.PixelsPerInch(), ScreenPixelsPerInch());
  EXPECT_EQ(font.Height(), MulDiv(8, ScreenPixelsPerInch(), 72));

  int changes = 0;
  font.OnChange = [&] { ++changes; };
  HFONT first = font.Handle();
  EXPECT_EQ(font.Handle(), first) << "the handle is cached";
  font.SetColor(kRed);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(font.Handle(), first) << "the colour is not part of a GDI font";

  font.SetName(L"Arial");
  font.SetSize(20);
  font.SetStyle(FontStyle::Bold | FontStyle::Italic | FontStyle::Underline | FontStyle::StrikeOut);
  font.SetSize(20);  // no change, no event
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(GetObjectType(first), 0u) << "the stale handle is freed";
  LOGFONTW lf = FontOf(font.Handle());
  EXPECT_EQ(lf.lfHeight, -MulDiv(20, ScreenPixelsPerInch(), 72));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic && lf.lfUnderline && lf.lfStrikeOut);
  EXPECT_STREQ(lf.lfFaceName, L"Arial");

  font.SetPixelsPerInch(600);  // a printer
  EXPECT_EQ(FontOf(font.Handle()).lfHeight, -MulDiv(20, 600, 72));
  TFont other;
  int otherChanges = 0;
  other.OnChange = [&] { ++otherChanges; };
  other.Assign(font);
  EXPECT_EQ(otherChanges, 1) << "one event for a whole assignment";
  EXPECT_TRUE(other.SameLook(font));
  EXPECT_NE(other.Handle(), font.Handle()) << "each font owns its handle";
  other.Assign(font);
  EXPECT_EQ(otherChanges, 1) << "assigning the same look changes nothing";

  TFont copy(font);
  EXPECT_TRUE(copy.SameLook(font));
  EXPECT_FALSE(copy.OnChange) << "a copy does not take the other's listener";
}

TEST(Canvas, PutsBackTheObjectsOfTheDCAndFreesItsOwn) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 50, 50);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HGDIOBJ pen0 = GetCurrentObject(dc, OBJ_PEN), brush0 = GetCurrentObject(dc, OBJ_BRUSH),
          font0 = GetCurrentObject(dc, OBJ_FONT);

  HGDIOBJ pen1, brush1, font1, pen2;
  {
    TCanvas canvas(dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen0) << "nothing is selected before something is drawn";
    canvas.Pen.Color = kRed;
    canvas.Brush.Color = kGreen;
    canvas.Rectangle(0, 0, 10, 10);
    canvas.TextOut(0, 20, L"abc");
    pen1 = GetCurrentObject(dc, OBJ_PEN);
    brush1 = GetCurrentObject(dc, OBJ_BRUSH);
    font1 = GetCurrentObject(dc, OBJ_FONT);
    EXPECT_NE(pen1, pen0);
    EXPECT_NE(brush1, brush0);
    EXPECT_EQ(font1, canvas.Font.Handle());

    // Changing what is selected: the old objects are let go of before they are freed.
    canvas.Pen.Width = 3;
    canvas.LineTo(20, 20);
    pen2 = GetCurrentObject(dc, OBJ_PEN);
    EXPECT_EQ(GetObjectType(pen1), 0u) << "the replaced pen is freed";
    canvas.Font.SetSize(30);
    EXPECT_EQ(GetObjectType(font1), 0u);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font0) << "a font about to be freed is unselected first";
    EXPECT_EQ(canvas.TextHeight(L"abc"), canvas.TextExtent(L"abc").cy);
    EXPECT_GT(canvas.TextHeight(L"abc"), 30);
    EXPECT_EQ(canvas.TextHeight(L""), canvas.TextHeight(L"abc")) << "an empty text is one line high";
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font0);
  EXPECT_EQ(GetObjectType(pen2), 0u);
  EXPECT_EQ(GetObjectType(brush1), 0u);

  // Letting go of the DC early does the same, and the canvas can take another one.
  TCanvas canvas(dc);
  canvas.Brush.Style = TBrushStyle::Clear;
  canvas.Pen.Style = TPenStyle::Clear;
  canvas.Ellipse(0, 0, 5, 5);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(NULL_BRUSH));
  canvas.ReleaseHandle();
  EXPECT_EQ(canvas.Handle(), nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen0);
  canvas.FillRect(0, 0, 5, 5);  // without a DC nothing happens

  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(Canvas, ShapesAndPixels) {
  TBitmap bmp(40, 40);
  TCanvas& c = bmp.Canvas();
  EXPECT_EQ(bmp.Pixel(0, 0), clWhite) << "a new bitmap is white";
  c.Pen.Color = kRed;
  c.Brush.Color = kGreen;
  c.Rectangle(10, 10, 15, 14);
  EXPECT_EQ(bmp.Pixel(14, 13), kRed) << "the outline runs along the last row and column inside";
  EXPECT_EQ(bmp.Pixel(15, 13), clWhite);
  EXPECT_EQ(CountNot(bmp, RECT{11, 11, 14, 13}, kGreen), 0);

  c.SetPixel(39, 39, kBlue);
  EXPECT_EQ(bmp.Pixel(39, 39), kBlue);
  bmp.SetPixel(38, 39, kGreen);
  EXPECT_EQ(c.Pixel(38, 39), kGreen) << "bits and DC are one picture";
  EXPECT_EQ(bmp.Pixel(40, 0), clNone);
  EXPECT_EQ(bmp.Pixel(-1, 0), clNone);
}

TEST(Canvas, TextIsOpaqueOnlyWithASolidBrush) {
  TBitmap bmp(120, 40);
  TCanvas& c = bmp.Canvas();
  c.Font.SetColor(kBlue);
  c.Font.SetSize(12);
  c.Brush.Color = kRed;
  SIZE s = c.TextExtent(L"Hi");
  c.TextOut(2, 2, L"Hi");
  EXPECT_EQ(bmp.Pixel(2, 2), kRed) << "the text cell is filled with the brush";
  EXPECT_EQ(bmp.Pixel(2 + s.cx - 1, 2 + s.cy - 1), kRed);
  EXPECT_EQ(bmp.Pixel(2 + s.cx, 2), clWhite) << "and nothing beyond it";
  EXPECT_GT(CountNot(bmp, RECT{2, 2, 2 + s.cx, 2 + s.cy}, kRed), 5) << "the letters are there";
  EXPECT_EQ(c.PenPos().x, 2 + s.cx);

  c.Brush.Style = TBrushStyle::Clear;
  c.TextOut(60, 2, L"Hi");
  EXPECT_EQ(bmp.Pixel(60, 2), clWhite) << "a clear brush leaves the background";
  EXPECT_GT(CountNot(bmp, RECT{60, 2, 60 + s.cx, 2 + s.cy}, clWhite), 5);
}

TEST(Bitmap, ResizesDrawsAndSavesABmpFile) {
  TBitmap small(4, 3);
  small.Canvas().Brush.Color = kBlue;
  small.Canvas().FillRect(0, 0, 4, 3);
  small.SetPixel(3, 0, kRed);
  small.SetSize(6, 5);
  EXPECT_EQ(small.Pixel(0, 0), kBlue) << "the old picture is kept";
  EXPECT_EQ(small.Pixel(3, 0), kRed);
  EXPECT_EQ(small.Pixel(5, 4), clWhite) << "new area is white";
  small.SetSize(0, 0);
  EXPECT_EQ(small.Pixel(0, 0), clNone);
  small.SetSize(4, 3);

  TBitmap big(10, 10);
  small.Canvas().FillRect(0, 0, 4, 3);
  small.SetPixel(3, 2, kGreen);
  big.Canvas().Draw(5, 6, small);
  EXPECT_EQ(big.Pixel(5, 6), kBlue);
  EXPECT_EQ(big.Pixel(8, 8), kGreen);
  EXPECT_EQ(big.Pixel(4, 6), clWhite);
  EXPECT_EQ(big.Pixel(9, 9), clWhite);

  // Odd width, so rows carry padding; bottom-up rows, blue-green-red bytes.
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring path = std::wstring(tmp) + L"vxq_graphics_test.bmp";
  TBitmap pic(3, 2);
  pic.SetPixel(0, 0, 0x332211);
  pic.SetPixel(2, 1, 0x665544);
  ASSERT_TRUE(pic.SaveToFile(path));
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
  in.close();
  DeleteFileW(path.c_str());
  ASSERT_EQ(b.size(), 14u + 40u + 2u * 12u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(b[18] | b[22] << 8 | b[28] << 16, 3 | 2 << 8 | 24 << 16) << "width, height, bits per pixel";
  const unsigned char *bottom = &b[54], *top = &b[54 + 12];
  EXPECT_EQ(top[0] | top[1] << 8 | top[2] << 16, 0x112233);
  EXPECT_EQ(bottom[6] | bottom[7] << 8 | bottom[8] << 16, 0x445566);
  EXPECT_EQ(bottom[3], 0xFF) << "untouched pixels are white";

  EXPECT_FALSE(pic.SaveToFile(std::wstring(tmp) + L"no such folder\\x.bmp"));
}

TEST(ImageList, AddsBitmapsAndIconsAndDrawsThem) {
  TImageList list(8, 8);
  EXPECT_EQ(list.Count(), 0);
  TBitmap img(8, 8);
  img.Canvas().Brush.Color = kGreen;
  img.Canvas().FillRect(0, 0, 8, 8);
  img.SetPixel(0, 0, kRed);
  EXPECT_EQ(list.Add(img), 0);
  EXPECT_EQ(list.Add(img, kRed), 1);
  EXPECT_EQ(list.AddIcon(LoadIconW(nullptr, IDI_APPLICATION)), 2);
  EXPECT_EQ(list.AddIcon(nullptr), -1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(img.Pixel(0, 0), kRed) << "the bitmap is still whole and usable after adding";
  img.Canvas().FillRect(0, 0, 1, 1);
  EXPECT_EQ(img.Pixel(0, 0), kGreen);

  TBitmap target(20, 10);
  list.Draw(target.Canvas(), 0, 0, 0);
  list.Draw(target.Canvas(), 10, 0, 1);
  EXPECT_EQ(target.Pixel(0, 0), kRed);
  EXPECT_EQ(target.Pixel(7, 7), kGreen);
  EXPECT_EQ(target.Pixel(10, 0), clWhite) << "the mask colour is transparent";
  EXPECT_EQ(target.Pixel(17, 7), kGreen);

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}
