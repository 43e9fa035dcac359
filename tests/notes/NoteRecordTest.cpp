#include <gtest/gtest.h>

#include <windows.h>

#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "ui/Clock.h"

namespace {
struct DefaultSize {
  std::int32_t width = DefNoteWidth, height = DefNoteHeight;
  ~DefaultSize() {
    DefNoteWidth = width;
    DefNoteHeight = height;
    SetNowOverride(std::nullopt);
  }
};
}  // namespace

TEST(NoteRecord, NewRecordIsCentredAndTitledWithItsCreation) {
  DefaultSize restore;
  const TDateTime now = EncodeDateTime(2024, 3, 5, 14, 30, 15);
  SetNowOverride(now);
  DefNoteWidth = 160;
  DefNoteHeight = 161;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_GT(sw, 0);

  TNoteClass note("note7");
  EXPECT_EQ(note.Name, "note7");
  EXPECT_EQ(note.Created, now);
  EXPECT_EQ(note.ExtraDate, now + 1.0);
  EXPECT_EQ(note.Title, DateTimeToStr(now));
  EXPECT_NE(note.Title.find(L"2024"), std::wstring::npos) << "the title shows the date";
  EXPECT_EQ(note.Width, 160);
  EXPECT_EQ(note.Height, 161);
  EXPECT_EQ(note.Left, (sw - 160) / 2);
  EXPECT_EQ(note.Top, (sh - 161) / 2);
  EXPECT_EQ(note.NoteColor, 0x1FFFFFFFu);
  EXPECT_EQ(note.TitleColor, 0x1FFFFFFFu);
  EXPECT_EQ(note.TitleFontColor, 0x1FFFFFFFu);
  EXPECT_EQ(note.Flags, 0u);
  EXPECT_EQ(note.AutoShowPending, 0u);
  EXPECT_EQ(note.ShowAt, 0.0);
  EXPECT_EQ(note.AlarmAt, 0.0);
  EXPECT_FALSE(note.AlarmOn);
  EXPECT_FALSE(note.ExtraFlag);
  EXPECT_TRUE(note.Group.empty());
  EXPECT_TRUE(note.LinkedFile.empty());
  EXPECT_TRUE(note.Text.empty());

  // A default size wider than the screen: the halving truncates toward zero, not down.
  DefNoteWidth = sw + 3;
  DefNoteHeight = sh + 5;
  TNoteClass wide("wide");
  EXPECT_EQ(wide.Left, -1);
  EXPECT_EQ(wide.Top, -2);

  auto* owned = new TNoteClass("owned");
  owned->Text.assign(100, 1);
  owned->FreeNote();
}

TEST(NoteRecord, FlagsAndLinkedFile) {
  TNoteClass note("flags");
  note.Flags = 0x5;
  note.SetFlag(3, true);
  EXPECT_EQ(note.Flags, 0xDu);
  note.SetFlag(0, false);
  EXPECT_EQ(note.Flags, 0xCu);
  EXPECT_TRUE(note.GetReduced());
  EXPECT_TRUE(note.GetReadOnly());
  EXPECT_FALSE(note.GetHidden());
  EXPECT_FALSE(note.GetAlwaysOnTop());

  note.Flags = 0;
  note.SetAlwaysOnTop(true);
  EXPECT_EQ(note.Flags, 0x2u);
  note.SetHidden(true);
  note.SetReadOnly(true);
  note.SetReduced(true);
  EXPECT_EQ(note.Flags, 0xFu);
  note.SetAlwaysOnTop(false);
  EXPECT_EQ(note.Flags, 0xDu);

  // Every flag number from 30 up means bit 30.
  EXPECT_EQ(TNoteClass::NoteFlagMask(29), 0x20000000u);
  EXPECT_EQ(TNoteClass::NoteFlagMask(30), 0x40000000u);
  EXPECT_EQ(TNoteClass::NoteFlagMask(31), 0x40000000u);
  EXPECT_EQ(TNoteClass::NoteFlagMask(255), 0x40000000u);
  note.Flags = 0x80000000u;
  EXPECT_FALSE(note.GetFlag(31)) << "bit 31 is out of reach";
  note.Flags = 0x40000000u;
  EXPECT_TRUE(note.GetFlag(30));
  EXPECT_TRUE(note.GetFlag(31));
  note.SetFlag(200, false);
  EXPECT_EQ(note.Flags, 0u);

  EXPECT_FALSE(note.HasLinkedFile());
  note.LinkedFile = L"  \t\r\n ";
  EXPECT_FALSE(note.HasLinkedFile());
  note.LinkedFile = L"\t C:\\Docs\\plan.txt \r\n";
  EXPECT_TRUE(note.HasLinkedFile());
}
