#include <gtest/gtest.h>

#include "TestSupport.h"
#include "notewindows/TrekComponents.h"

namespace {

TEST(TrekRect, MeasuresAndPaintsOneColourWithoutAFrame) {
  TTrekRect r(nullptr);
  r.SetBounds(0, 0, 3, 3);
  r.SetColor(0x123456);
  TBitmap bmp(5, 5);
  bmp.Canvas().Brush.Color = clWhite;
  bmp.Canvas().FillRect(0, 0, 5, 5);
  r.Paint(bmp.Canvas());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(bmp.Pixel(x, y), (x < 3 && y < 3) ? 0x123456u : clWhite) << x << "," << y;
}

TEST(TrekRect, OnlyANewColourRepaints) {
  TApplication app;
  TForm form(&app, L"TTrekRectTestForm");
  form.BorderStyle = TFormBorderStyle::bsNone;
  form.SetBounds(10, 10, 60, 40);
  auto* border = new TTrekRect(&form, L"Border");
  border->SetBounds(0, 0, 20, 20);
  border->SetParent(&form);
  form.Show();
  HWND h = form.Handle();
  UpdateWindow(h);
  ASSERT_FALSE(GetUpdateRect(h, nullptr, FALSE));

  int before = border->ColorInvalidations();
  border->SetColor(0xFF0000);
  EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE)) << "the colour it has: nothing to repaint";

  border->SetColor(0x00FF00);
  EXPECT_EQ(border->ColorInvalidations(), before + 1);
  RECT dirty;
  ASSERT_TRUE(GetUpdateRect(h, &dirty, FALSE)) << "a new colour repaints";
  EXPECT_EQ(dirty.right, 20) << "only the control";
  UpdateWindow(h);
  HDC dc = GetDC(h);
  EXPECT_EQ(GetPixel(dc, 10, 10), 0x00FF00u);
  ReleaseDC(h, dc);
}

}  // namespace
