#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TestSupport.h"
#include "ui/Clock.h"
#include "ui/Component.h"
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
  EXPECT_EQ(font.Height(), MulDiv(8, ScreenPixelsPerInch(), 72)) << "Tahoma 8 by default";
  int changes = 0;
  font.OnChange = [&] { ++changes; };
  HFONT first = font.Handle();
  font.SetColor(kRed);
  EXPECT_EQ(font.Handle(), first) << "the colour is not part of a GDI font";
  font.SetName(L"Arial");
  font.SetSize(20);
  font.SetStyle(FontStyle::Bold | FontStyle::Italic | FontStyle::Underline | FontStyle::StrikeOut);
  font.SetSize(20);  // no change, no event
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(GetObjectType(first), 0u) << "the stale handle is freed";
  LOGFONTW lf = FontOf(font.Handle());
  EXPECT_EQ(lf.lfHeight, -MulDiv(20, ScreenPixelsPerInch(), 72));
  EXPECT_TRUE(lf.lfWeight == FW_BOLD && lf.lfItalic && lf.lfUnderline && lf.lfStrikeOut);
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
    canvas.Pen.Color = kRed;
    canvas.Brush.Color = kGreen;
    canvas.Rectangle(0, 0, 10, 10);
    canvas.TextOut(0, 20, L"abc");
    pen1 = GetCurrentObject(dc, OBJ_PEN);
    brush1 = GetCurrentObject(dc, OBJ_BRUSH);
    font1 = GetCurrentObject(dc, OBJ_FONT);
    // Changing what is selected: the old objects are let go of before they are freed.
    canvas.Pen.Width = 3;
    canvas.LineTo(20, 20);
    pen2 = GetCurrentObject(dc, OBJ_PEN);
    EXPECT_EQ(GetObjectType(pen1), 0u) << "the replaced pen is freed";
    canvas.Font.SetSize(30);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font0) << "a font about to be freed is unselected first";
    EXPECT_EQ(GetObjectType(font1), 0u);
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font0);
  EXPECT_EQ(GetObjectType(pen2), 0u);
  EXPECT_EQ(GetObjectType(brush1), 0u);

  // Letting go of the DC early does the same.
  TCanvas canvas(dc);
  canvas.Brush.Style = TBrushStyle::Clear;
  canvas.Ellipse(0, 0, 5, 5);
  canvas.ReleaseHandle();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush0);

  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(Canvas, ShapesTextAndBitmapFiles) {
  TBitmap bmp(120, 40);
  TCanvas& c = bmp.Canvas();
  EXPECT_EQ(bmp.Pixel(0, 0), clWhite) << "a new bitmap is white";
  c.Pen.Color = kRed;
  c.Brush.Color = kGreen;
  c.Rectangle(10, 10, 15, 14);
  EXPECT_EQ(bmp.Pixel(14, 13), kRed) << "the outline runs along the last row and column inside";
  EXPECT_EQ(bmp.Pixel(15, 13), clWhite);
  EXPECT_EQ(CountNot(bmp, RECT{11, 11, 14, 13}, kGreen), 0);

  c.Font.SetColor(kBlue);
  c.Font.SetSize(12);
  c.Brush.Color = kRed;
  SIZE s = c.TextExtent(L"Hi");
  c.TextOut(20, 2, L"Hi");
  EXPECT_EQ(bmp.Pixel(20, 2), kRed) << "the text cell is filled with the brush";
  EXPECT_EQ(bmp.Pixel(20 + s.cx, 2), clWhite) << "and nothing beyond it";
  EXPECT_GT(CountNot(bmp, RECT{20, 2, 20 + s.cx, 2 + s.cy}, kRed), 5) << "the letters are there";
  c.Brush.Style = TBrushStyle::Clear;
  c.TextOut(60, 2, L"Hi");
  EXPECT_EQ(bmp.Pixel(60, 2), clWhite) << "a clear brush leaves the background";

  // Odd width, so rows carry padding; bottom-up rows, blue-green-red bytes.
  testsupport::TempFolder folder(L"graphics");
  const std::wstring path = folder.Path() + L"pic.bmp";
  TBitmap pic(3, 2);
  pic.SetPixel(0, 0, 0x332211);
  pic.SetPixel(2, 1, 0x665544);
  ASSERT_TRUE(pic.SaveToFile(path));
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
  in.close();
  ASSERT_EQ(b.size(), 14u + 40u + 2u * 12u);
  EXPECT_EQ(b[18] | b[22] << 8 | b[28] << 16, 3 | 2 << 8 | 24 << 16) << "width, height, bits per pixel";
  const unsigned char *bottom = &b[54], *top = &b[54 + 12];
  EXPECT_EQ(top[0] | top[1] << 8 | top[2] << 16, 0x112233);
  EXPECT_EQ(bottom[6] | bottom[7] << 8 | bottom[8] << 16, 0x445566);
  EXPECT_FALSE(pic.SaveToFile(folder.Path() + L"no such folder\\x.bmp"));
}

namespace {
// Records the order in which components are freed.
struct Probe : TComponent {
  std::vector<std::wstring>* log;
  Probe(TComponent* owner, const wchar_t* name, std::vector<std::wstring>* l) : TComponent(owner), log(l) {
    SetName(name);
  }
  ~Probe() override { log->push_back(Name()); }
};
}  // namespace

TEST(Component, OwnersFreeTheirComponentsLastFirst) {
  std::vector<std::wstring> freed;
  auto* owner = new Probe(nullptr, L"Owner", &freed);
  new Probe(owner, L"First", &freed);
  auto* second = new Probe(owner, L"Second", &freed);
  auto* third = new Probe(owner, L"first", &freed);
  EXPECT_EQ(owner->FindComponent(L"FIRST"), third) << "case is ignored; the last one wins";
  delete second;
  EXPECT_EQ(owner->FindComponent(L"Second"), nullptr) << "a component freed on its own leaves its owner's list";
  delete owner;
  EXPECT_EQ(freed, (std::vector<std::wstring>{L"Second", L"Owner", L"first", L"First"}));
  EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0) << "days count from 30 December 1899";
}
