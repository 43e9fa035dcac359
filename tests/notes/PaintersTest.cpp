#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "TestSupport.h"
#include "notes/InternalProcs.h"
#include "notes/NotePainters.h"

namespace {
constexpr TColor kTitle = 0x40C0E0, kNote = 0x80FFFF, kText = 0x902010;  // settings
constexpr int W = 200, H = 13;

// Sets the settings the painters read, and puts them back afterwards.
class Painters : public ::testing::Test {
 protected:
  testsupport::Keep<TColor, TColor, TFontSetting> keep_{TitleColor, NoteColor, TitleFont};
  void SetUp() override {
    TitleColor = kTitle, NoteColor = kNote;
    TitleFont.SetFaceName("Arial");
    TitleFont.Size = 7, TitleFont.Style = 0, TitleFont.Color = kText;
  }
};

// The page glyph and its background as the shapes table gives them: the rectangle
// (W-25, 1, W-13, 12) in the note colour, axis-parallel lines without their end points and
// one pixel, all in the pen colour.
TColor GlyphPixel(int w, int x, int y, TColor note, TColor pen) {
  auto on = [&](int x1, int y1, int x2, int y2) {
    if (x1 == x2) return x == x1 && y >= std::min(y1, y2) && y <= std::max(y1, y2) && y != y2;
    return y == y1 && x >= std::min(x1, x2) && x <= std::max(x1, x2) && x != x2;
  };
  if (on(w - 23, 2, w - 23, 10) || on(w - 23, 2, w - 16, 2) || on(w - 16, 2, w - 16, 9) ||
      on(w - 23, 10, w - 17, 10) || on(w - 18, 9, w - 18, 7) || on(w - 18, 7, w - 16, 7) ||
      (x == w - 17 && y == 9))
    return pen;
  return note;
}

// Checks the bar's fixed shapes pixel by pixel.
void ExpectBarShapes(TBitmap& bmp, int w, int h, TColor title, TColor note, TColor pen, bool link) {
  for (int y = 0; y < h; ++y) {
    EXPECT_EQ(bmp.Pixel(0, y), title) << "left edge, row " << y;
    EXPECT_EQ(bmp.Pixel(w - 1, y), title) << "right edge, row " << y;
    EXPECT_EQ(bmp.Pixel(w - 13, y), title) << "gap between glyph and close box, row " << y;
  }
  // Pixels given as {x, y, colour}: 0 the title colour, 1 the note colour, 2 the pen.
  auto expect = [&](std::initializer_list<std::array<int, 3>> pixels, const char* what) {
    const TColor colours[] = {title, note, pen};
    for (auto [x, y, c] : pixels) EXPECT_EQ(bmp.Pixel(x, y), colours[c]) << what << " at " << x << "," << y;
  };
  // Menu circle in the box (2, 2, 11, 11): outline at its four extremes, filled inside.
  expect({{6, 2, 2}, {2, 6, 2}, {10, 6, 2}, {6, 10, 2}, {6, 6, 1}, {2, 2, 0}, {11, 6, 0}, {6, 11, 0}}, "circle");

  for (int y = 1; y < 12; ++y)
    for (int x = w - 25; x < w - 13; ++x) {
      TColor want = link ? GlyphPixel(w, x, y, note, pen) : title;
      if (bmp.Pixel(x, y) != want) {
        ADD_FAILURE() << "page glyph at (" << x << ", " << y << ") link " << link;
        return;
      }
    }

  // Close box (W-12, 1, W-1, 12) with a 2-pixel cross (W-10, 3)-(W-4, 9), (W-4, 3)-(W-10, 9).
  for (int x = w - 12; x < w - 1; ++x) expect({{x, 1, 1}, {x, 11, 1}}, "close box top and bottom rows");
  for (int i = 0; i < 6; ++i)  // both strokes 2 pixels wide
    expect({{w - 10 + i, 3 + i, 2}, {w - 9 + i, 3 + i, 2}, {w - 4 - i, 3 + i, 2}, {w - 5 - i, 3 + i, 2}}, "cross");
  expect({{w - 12, 6, 1}, {w - 2, 6, 1}, {w - 7, 3, 1}, {w - 7, 9, 1}, {w - 10, 6, 1}}, "close box around the cross");
}

bool SameRect(TBitmap& a, TBitmap& b, const RECT& r) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}
}  // namespace

TEST_F(Painters, ColoursDefaultToTheSettingsAndTheGlyphNeedsALink) {
  TBitmap bmp(W, H);
  DrawNoteTitle(bmp.Canvas(), L"", W, H, clNone, clNone, clNone, false);
  ExpectBarShapes(bmp, W, H, kTitle, kNote, kText, false);
  DrawNoteTitle(bmp.Canvas(), L"", W, H, clNone, clNone, clNone, true);
  ExpectBarShapes(bmp, W, H, kTitle, kNote, kText, true);

  // Given colours win over the settings; another width moves the right-hand shapes along.
  constexpr TColor title = 0x00ECEC, text = 0x000000, note = 0x00FFFF;
  TBitmap other(97, 20);
  DrawTitleBar(other.Canvas(), L"", 97, 20, title, text, note, TitleFont, true);
  ExpectBarShapes(other, 97, 20, title, note, text, true);
  EXPECT_EQ(other.Pixel(50, 19), title) << "the bar fills its whole height";
}

TEST_F(Painters, TitleIsBottomAlignedWideTextEvenWhenTallerThanTheBar) {
  for (int size : {7, 20}) {
    for (const std::wstring& title : {std::wstring(L"Shopping list"), std::wstring(L"\u03A9\u0436\u20AC \u0416\u00E9")}) {
      TFontSetting font = TitleFont;
      font.Size = static_cast<std::uint8_t>(size);
      TBitmap bar(W, H);
      DrawTitleBar(bar.Canvas(), title, W, H, clNone, clNone, clNone, font, true);

      // The same text drawn alone at the top of its own line.
      TBitmap ref(W, 60);
      SettingToFont(font, ref.Canvas().Font);
      ref.Canvas().Brush.Color = kTitle;
      ref.Canvas().FillRect(0, 0, W, 60);
      int th = ref.Canvas().TextHeight(title);
      ref.Canvas().TextOut(14, 0, title);
      if (size == 20) {
        ASSERT_GT(th, H) << "the tall font really is taller than the bar";
      }
      int shift = th - H;  // bar row y shows line row y + shift
      int differences = 0;
      for (int y = 0; y < H; ++y)
        for (int x = 14; x < W - 25; ++x) {
          TColor want = y + shift >= 0 ? ref.Pixel(x, y + shift) : kTitle;
          differences += bar.Pixel(x, y) != want;
        }
      EXPECT_EQ(differences, 0) << "size " << size << ": text at y = H - text height";
    }
  }

  // Characters outside the 8-bit code page are painted as themselves, not as question marks.
  TBitmap wide(W, H), marks(W, H);
  DrawNoteTitle(wide.Canvas(), L"\u0416\u0416\u0416", W, H, clNone, clNone, clNone, false);
  DrawNoteTitle(marks.Canvas(), L"???", W, H, clNone, clNone, clNone, false);
  EXPECT_FALSE(SameRect(wide, marks, RECT{14, 0, 60, H}));
}

TEST_F(Painters, GlyphAndCloseBoxCoverALongTitle) {
  std::wstring longTitle(80, L'W');
  TBitmap bar(W, H), empty(W, H);
  DrawNoteTitle(bar.Canvas(), longTitle, W, H, clNone, clNone, clNone, true);
  DrawNoteTitle(empty.Canvas(), L"", W, H, clNone, clNone, clNone, true);
  int reaching = 0;
  for (int y = 0; y < H; ++y) reaching += bar.Pixel(W - 26, y) != kTitle || bar.Pixel(W - 13, y) != kTitle;
  ASSERT_GT(reaching, 0) << "the title runs at least as far as the glyph";
  EXPECT_TRUE(SameRect(bar, empty, RECT{W - 25, 1, W - 13, 12})) << "glyph area shows none of the title";
  EXPECT_TRUE(SameRect(bar, empty, RECT{W - 12, 1, W - 1, 12})) << "close box shows none of the title";
  EXPECT_TRUE(SameRect(bar, empty, RECT{0, 0, 12, H})) << "the title starts right of the circle";

  // Without a link the title shows where the glyph would be.
  TBitmap noLink(W, H);
  DrawNoteTitle(noLink.Canvas(), longTitle, W, H, clNone, clNone, clNone, false);
  EXPECT_FALSE(SameRect(noLink, empty, RECT{W - 25, 1, W - 13, 12}));

  bar.SaveToFile(testsupport::ShotsFolder() + L"title-bar.bmp");
}

TEST_F(Painters, DemoNoteWithAndWithoutFonts) {
  constexpr TColor title = 0xD0D0FF, note = 0xC0FFC0, titleText = 0x0000A0;
  TBitmap plain(160, 160);
  DrawDemoNote(plain.Canvas(), 160, 160, title, titleText, note, nullptr, nullptr);
  ExpectBarShapes(plain, 160, 13, title, note, titleText, true);
  int off = 0;
  for (int y = 13; y < 160; ++y)
    for (int x = 0; x < 160; ++x) off += plain.Pixel(x, y) != note;
  EXPECT_EQ(off, 0) << "no note font, no \"Demo Note\"; the bar stops at row 13";

  // Without a title font the bar is the one the TitleFont setting gives.
  TBitmap settingBar(160, 13);
  DrawTitleBar(settingBar.Canvas(), L"Demo Title", 160, 13, title, titleText, note, TitleFont, true);
  EXPECT_TRUE(SameRect(plain, settingBar, RECT{0, 0, 160, 13}));

  TFont noteFont, titleFont;
  noteFont.SetName(L"Arial"), noteFont.SetSize(10), noteFont.SetColor(0xA00000);
  titleFont.SetName(L"Arial"), titleFont.SetSize(8), titleFont.SetStyle(FontStyle::Bold), titleFont.SetColor(titleText);
  TBitmap demo(160, 160);
  DrawDemoNote(demo.Canvas(), 160, 160, title, titleText, note, &noteFont, &titleFont);
  ExpectBarShapes(demo, 160, 13, title, note, titleText, true);

  TBitmap text(160, 160);
  text.Canvas().Brush.Color = note;
  text.Canvas().FillRect(0, 0, 160, 160);
  text.Canvas().Font.Assign(noteFont);
  text.Canvas().TextOut(4, 15, L"Demo Note");
  EXPECT_TRUE(SameRect(demo, text, RECT{0, 13, 160, 160})) << "\"Demo Note\" at (4, 15) in the note font";

  TFontSetting record{};
  FontToSetting(titleFont, record);
  TBitmap fontBar(160, 13);
  DrawTitleBar(fontBar.Canvas(), L"Demo Title", 160, 13, title, titleText, note, record, true);
  EXPECT_TRUE(SameRect(demo, fontBar, RECT{0, 0, 160, 13})) << "the title font is used";
  EXPECT_FALSE(SameRect(demo, plain, RECT{0, 0, 160, 13}));

  demo.SaveToFile(testsupport::ShotsFolder() + L"demo-note.bmp");
}

TEST(FontSettings, FontsAndRecordsConvertBothWays) {
  TFont font;
  font.SetName(L"Courier New"), font.SetSize(11), font.SetStyle(FontStyle::Italic | FontStyle::StrikeOut);
  font.SetColor(0x123456);
  TFontSetting s{};
  FontToSetting(font, s);
  EXPECT_TRUE(s.FaceName() == "Courier New" && s.Size == 11 && s.Style == (fsItalic | fsStrikeOut) &&
              s.Color == 0x123456u);
  TFont back;
  SettingToFont(s, back);
  EXPECT_TRUE(back.SameLook(font));

  font.SetName(std::wstring(300, L'x')), font.SetSize(400);
  FontToSetting(font, s);
  EXPECT_EQ(s.FaceName(), std::string(255, 'x')) << "the name is cut to what the record holds";
  EXPECT_EQ(s.Size, 255) << "an oversized font stays the biggest one, not a tiny one";

  // A face the 8-bit record cannot hold is not stored as a look-alike or "?" name.
  font.SetName(L"Courier New");
  FontToSetting(font, s);
  font.SetName(L"メイリオ");
  FontToSetting(font, s);
  EXPECT_EQ(s.FaceName(), "Courier New");

  // A record with stray style bits from a damaged registry value keeps only the known ones.
  s.Style = 0xFF;
  SettingToFont(s, back);
  EXPECT_EQ(back.Style(), FontStyle::Bold | FontStyle::Italic | FontStyle::Underline | FontStyle::StrikeOut);
}
