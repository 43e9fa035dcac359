#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "ui/Clock.h"

TEST(NoteRecord, NewRecordIsCentredAndTitledWithItsCreation) {
  testsupport::Keep keep(DefNoteWidth, DefNoteHeight);
  const TDateTime now = EncodeDateTime(2024, 3, 5, 14, 30, 15);
  SetNowOverride(now);
  DefNoteWidth = 160, DefNoteHeight = 161;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);

  TNoteClass note("note7");
  EXPECT_TRUE(note.Created == now && note.ExtraDate == now + 1.0 && note.Title == DateTimeToStr(now));
  EXPECT_EQ(std::pair(note.Left, note.Top), std::pair((sw - 160) / 2, (sh - 161) / 2));

  // A default size wider than the screen: the halving truncates toward zero, not down.
  DefNoteWidth = sw + 3, DefNoteHeight = sh + 5;
  TNoteClass wide("wide");
  EXPECT_EQ(std::pair(wide.Left, wide.Top), std::pair(-1, -2));
  SetNowOverride(std::nullopt);
}

TEST(NoteRecord, FlagsAndLinkedFile) {
  TNoteClass note("flags");
  note.Flags = 0x5;
  note.SetFlag(3, true);
  note.SetFlag(0, false);
  EXPECT_EQ(note.Flags, 0xCu);
  EXPECT_TRUE(note.GetReduced() && note.GetReadOnly());
  EXPECT_FALSE(note.GetHidden() || note.GetAlwaysOnTop());

  // Every flag number from 30 up means bit 30; bit 31 is out of reach.
  EXPECT_EQ(TNoteClass::NoteFlagMask(29), 0x20000000u);
  EXPECT_EQ(TNoteClass::NoteFlagMask(255), 0x40000000u);
  note.Flags = 0x80000000u;
  EXPECT_FALSE(note.GetFlag(31));

  note.LinkedFile = L"  \t\r\n ";
  EXPECT_FALSE(note.HasLinkedFile());
  note.LinkedFile = L"\t C:\\Docs\\plan.txt \r\n";
  EXPECT_TRUE(note.HasLinkedFile());
}
