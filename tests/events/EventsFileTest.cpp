// The events file: what it holds, what reading it keeps, and what a failed save leaves.
#include "EventsTestEnv.h"
#include "notewindows/NoteTestEnv.h"

namespace eventstest {
namespace {

TEST_F(EventsTest, NoEventsWriteOnlyTheMainSection) {
  Saved({});
  EXPECT_EQ(ReadBytes(File()), ToBytes("[main]\r\nfileinfo=1\r\n"));
}

TEST_F(EventsTest, AMissingFileIsNoEventsAndNoMessage) {
  auto m = Load();
  EXPECT_EQ(m->Events.Count(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES) << "loading writes nothing";
}

TEST_F(EventsTest, EveryItemSectionIsAnEventInFileOrder) {
  WriteBytes(File(), ToBytes("[item7]\r\nText=seven\r\ndate=5/10/1990\r\n"
                             "[main]\r\nfileinfo=1\r\n"
                             "[Item2]\r\ntext=two\r\nDATE=1/2/2003\r\n"
                             "[ITEMS]\r\nTEXT=s\r\ndate=2/3/2004\r\n"
                             "[it]\r\nText=not an event\r\n"
                             "[itemx]\r\nText=x\r\ndate=3/4/2005\r\n"
                             "[item0]\r\nText=first of two\r\ndate=4/5/2006\r\n"
                             "[item0]\r\nText=second of two\r\ndate=5/6/2007\r\n"));
  auto m = Load();
  EXPECT_EQ(Texts(m->Events),
            (std::vector<std::wstring>{L"seven", L"two", L"s", L"x", L"first of two", L"second of two"}));
  ASSERT_EQ(m->Events.Count(), 6);
  EXPECT_EQ(m->Events.GetItem(1)->Date, Day(2003, 1, 2));
  EXPECT_EQ(m->Events.GetItem(5)->Date, Day(2007, 5, 6)) << "a repeated section is read from its own lines";
}

TEST_F(EventsTest, AFileReadAndNotChangedIsWrittenBackByteForByte) {
  const std::wstring longText(5000, L'L');
  Saved({{L"plain", Day(1990, 5, 10)},
         {L"", Day(2001, 1, 1)},
         {L"  blanks at both ends  ", Day(1899, 12, 30)},
         {L"\"quoted\"", Day(2024, 2, 29)},
         {L"'single'", Day(1950, 7, 4)},
         {L"Caf\u00e9 = 5 \u20ac; [x]", Day(2000, 12, 31)},
         {longText, Day(1980, 6, 1)}});
  const Bytes first = ReadBytes(File());
  auto m = Load();
  ASSERT_EQ(m->Events.Count(), 7);
  EXPECT_EQ(m->Events.GetItem(2)->Text, L"  blanks at both ends  ");
  EXPECT_EQ(m->Events.GetItem(3)->Text, L"\"quoted\"");
  EXPECT_EQ(m->Events.GetItem(4)->Text, L"'single'");
  EXPECT_EQ(m->Events.GetItem(6)->Text, longText) << "a long text comes back whole";
  EXPECT_EQ(m->Events.GetItem(2)->Date, 0) << "the null date survives";
  EXPECT_EQ(m->Events.GetItem(3)->Date, Day(2024, 2, 29));
  ASSERT_TRUE(m->SaveEvents());
  EXPECT_EQ(ReadBytes(File()), first);
  EXPECT_EQ(first[0], '[') << "texts of the code page keep the 8-bit form";
}

TEST_F(EventsTest, TextsOutsideTheCodePageAreKeptWholeInUnicode) {
  const std::wstring cyrillic = L"\u0414\u0435\u043d\u044c \u0440\u043e\u0436\u0434\u0435\u043d\u0438\u044f";
  const std::wstring cjk = L"\u8a95\u751f\u65e5";
  Saved({{cyrillic, Day(1990, 5, 10)}, {cjk, Day(1991, 6, 11)}});
  const Bytes bytes = ReadBytes(File());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  // The platform's own reader takes the same file as Unicode.
  wchar_t text[64] = L"";
  GetPrivateProfileStringW(L"item1", L"text", L"", text, 64, File().c_str());
  EXPECT_EQ(std::wstring(text), cjk);
  auto m = Load();
  EXPECT_EQ(Texts(m->Events), (std::vector<std::wstring>{cyrillic, cjk}));
  ASSERT_TRUE(m->SaveEvents());
  EXPECT_EQ(ReadBytes(File()), bytes);
}

TEST_F(EventsTest, ManyEventsAreAllRead) {
  // More section names than the profile functions' 16,384-byte list holds.
  std::string file = "[main]\r\nfileinfo=1\r\n";
  for (int i = 0; i < 3000; ++i) file += "[item" + std::to_string(i) + "]\r\nText=e" + std::to_string(i) + "\r\ndate=1/1/2000\r\n";
  WriteBytes(File(), ToBytes(file));
  auto m = Load();
  ASSERT_EQ(m->Events.Count(), 3000);
  EXPECT_EQ(m->Events.GetItem(2999)->Text, L"e2999");
  ASSERT_TRUE(m->SaveEvents());
  EXPECT_EQ(ReadBytes(File()), ToBytes(file));
}

TEST_F(EventsTest, AnUnreadableDateIsKeptUntilTheEventIsEdited) {
  SetNow(2026, 5, 10, 15);
  WriteBytes(File(), ToBytes("[main]\r\nfileinfo=1\r\n[item0]\r\nText=no date\r\n[item1]\r\nText=bad\r\ndate=31/31/2020\r\n"
                             "[item2]\r\nText=empty\r\ndate=\r\n[item3]\r\nText=good\r\ndate=5/11/1990\r\n"
                             "[item4]\r\nText=signed\r\ndate=-5/10/1990\r\n[item5]\r\nText=dashes\r\ndate=5-10-1990\r\n"
                             "[item6]\r\nText=mark\r\ndate=5/10/1990!\r\n"));
  auto m = Load();
  ASSERT_EQ(m->Events.Count(), 7);
  for (int i : {0, 1, 2, 4, 5, 6}) {
    EXPECT_EQ(m->Events.GetItem(i)->Date, Now()) << i << ": the moment of loading stands in for it";
    EXPECT_TRUE(m->Events.GetItem(i)->DateUnread) << i;
  }
  EXPECT_EQ(m->Events.GetItem(1)->DateDisplay(), L"31/31/2020");
  m->Classify(true);
  EXPECT_EQ(Texts(m->Tomorrow), (std::vector<std::wstring>{L"good"})) << "the loading moment is later than today";
  EXPECT_EQ(m->Today.Count(), 0);
  ASSERT_TRUE(m->SaveEvents());
  const std::string kept = testsupport::ReadText(File());
  EXPECT_EQ(kept, "[main]\r\nfileinfo=1\r\n[item0]\r\nText=no date\r\ndate=\r\n[item1]\r\nText=bad\r\ndate=31/31/2020\r\n"
                  "[item2]\r\nText=empty\r\ndate=\r\n[item3]\r\nText=good\r\ndate=5/11/1990\r\n"
                  "[item4]\r\nText=signed\r\ndate=-5/10/1990\r\n[item5]\r\nText=dashes\r\ndate=5-10-1990\r\n"
                  "[item6]\r\nText=mark\r\ndate=5/10/1990!\r\n");
  editor.Date = Day(2001, 2, 3);
  ASSERT_TRUE(m->EditEvent(1));
  EXPECT_NE(testsupport::ReadText(File()).find("Text=bad\r\ndate=2/3/2001\r\n"), std::string::npos);
}

TEST_F(EventsTest, TheSameFileReadsAndWritesUnderEitherDateOrder) {
  Saved({{L"may", Day(1990, 5, 10)}, {L"december", Day(2001, 12, 24)}});
  EXPECT_NE(testsupport::ReadText(File()).find("date=5/10/1990\r\n"), std::string::npos);
  {
    ShortDateFormat dayFirst(L"dd/MM/yyyy");
    // Written month first, read day first: the day and month change places.
    auto m = Load();
    ASSERT_EQ(m->Events.Count(), 2);
    EXPECT_EQ(m->Events.GetItem(0)->Date, Day(1990, 10, 5));
    EXPECT_TRUE(m->Events.GetItem(1)->DateUnread) << "the 24th month is no date";
    ASSERT_TRUE(m->SaveEvents());
    EXPECT_EQ(testsupport::ReadText(File()),
              "[main]\r\nfileinfo=1\r\n[item0]\r\nText=may\r\ndate=05/10/1990\r\n[item1]\r\nText=december\r\ndate=12/24/2001\r\n");
    m = Load();
    EXPECT_EQ(m->Events.GetItem(0)->Date, Day(1990, 10, 5)) << "written and read day first";
  }
  auto m = Load();
  EXPECT_EQ(m->Events.GetItem(1)->Date, Day(2001, 12, 24)) << "the kept text reads again in its own order";
}

TEST_F(EventsTest, YearsAreWrittenInFourDigitsInTheUsersOrderAndTwoDigitOnesReadAsBefore) {
  struct Row {
    const wchar_t* Format;
    const char* Written;
  };
  for (const Row& r : {Row{L"M/d/yy", "12/8/1935"}, Row{L"yy-MM-dd", "1935-12-08"}, Row{L"d.M.y", "8.12.1935"}}) {
    SCOPED_TRACE(WideToUtf8(r.Format));
    format_.Set(r.Format);
    Saved({{L"birthday", Day(1935, 12, 8)}});
    EXPECT_NE(testsupport::ReadText(File()).find(std::string("date=") + r.Written + "\r\n"), std::string::npos);
    EXPECT_EQ(Load()->Events.GetItem(0)->Date, Day(1935, 12, 8)) << "the century comes back";
  }
  format_.Set(L"M/d/yy");
  WriteBytes(File(), ToBytes("[item0]\r\nText=a\r\ndate=12/8/35\r\n[item1]\r\nText=b\r\ndate=12/8/60\r\n"));
  auto m = Load();
  EXPECT_EQ(m->Events.GetItem(0)->Date, Day(2035, 12, 8));
  EXPECT_EQ(m->Events.GetItem(1)->Date, Day(1960, 12, 8));
}

TEST_F(EventsTest, AFileThatIsNoEventsFileIsKeptAsideAndToldOnce) {
  struct Row {
    const char* What;
    Bytes Content;
  };
  const Row rows[] = {
      {"binary", Bytes{0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00, 0xFF, 0x10}},
      {"text without sections", ToBytes("shopping list\r\nmilk=2\r\n")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.What);
    boxes.clear();
    WriteBytes(File(), r.Content);
    auto m = Load();
    EXPECT_EQ(m->Events.Count(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(File() + L".damaged"), std::wstring::npos) << WideToUtf8(boxes[0]);
    EXPECT_EQ(ReadBytes(File() + L".damaged"), r.Content) << "kept whole";
    editor.Text = L"new";
    ASSERT_TRUE(m->AddEvent());
    EXPECT_EQ(m->Events.Count(), 1);
    EXPECT_EQ(boxes.size(), 1u);
    DeleteFileW((File() + L".damaged").c_str());
  }
  // An empty file is an events file without events: nothing to tell.
  boxes.clear();
  WriteBytes(File(), ToBytes("\r\n  \r\n"));
  EXPECT_EQ(Load()->Events.Count(), 0);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EventsTest, AFileThatCannotBeReadIsNeverWrittenOver) {
  const Bytes content = ToBytes("[item0]\r\nText=kept\r\ndate=1/1/2000\r\n");
  WriteBytes(File(), content);
  HANDLE lock = CreateFileW(File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  auto m = Load();
  CloseHandle(lock);
  EXPECT_EQ(m->Events.Count(), 0);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_FALSE(m->SaveEvents());
  EXPECT_EQ(ReadBytes(File()), content);
}

TEST_F(EventsTest, AFailedSaveLeavesTheOldFileWholeAndIsToldOnce) {
  auto m = Saved({{L"first", Day(1990, 5, 10)}});
  const Bytes before = ReadBytes(File());
  SetWriteFailAfter(10);
  editor.Text = L"second";
  EXPECT_TRUE(m->AddEvent()) << "the event is kept in memory";
  editor.Text = L"third";
  EXPECT_TRUE(m->AddEvent());
  EXPECT_EQ(ReadBytes(File()), before);
  ASSERT_EQ(boxes.size(), 1u) << "one box for a run of failures";
  EXPECT_NE(boxes[0].find(L"Unable to write to " + File()), std::wstring::npos);
  m->Tick();
  EXPECT_EQ(boxes.size(), 1u) << "the tick tries again without a word";
  EXPECT_NE(m->SavePending().find(L"Unable to write to " + File()), std::wstring::npos) << "the end is told why";
  // During the shut-down the failure goes to the error log, with every event it costs.
  Closing = true;
  EXPECT_FALSE(m->SaveEvents());
  EXPECT_EQ(boxes.size(), 1u);
  const std::string log = testsupport::ReadText(Folder() + L"ExceptionsLog.txt");
  EXPECT_NE(log.find("Unable to write to"), std::string::npos);
  EXPECT_NE(log.find("5/10/2026  second\r\n5/10/2026  third"), std::string::npos) << log;
  EXPECT_EQ(log.find("first"), std::string::npos) << "the file has it";
  Closing = false;
  SetWriteFailAfter(std::nullopt);
  m->Tick();
  EXPECT_FALSE(m->Unsaved()) << "saved by the tick once it can be";
  EXPECT_EQ(m->SavePending(), L"");
  EXPECT_TRUE(m->SaveEvents());
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"first", L"second", L"third"}));
}

TEST_F(EventsTest, AUserFolderTakenAwayIsMadeAgainByTheNextSave) {
  auto m = Saved({{L"kept", Day(1990, 5, 10)}});
  ASSERT_TRUE(RemoveFolderTree(Folder() + L"Users"));
  editor.Text = L"added";
  ASSERT_TRUE(m->AddEvent());
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"kept", L"added"}));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EventsTest, EveryConfirmedChangeIsOnDiskAtOnce) {
  auto m = Load();
  editor.Text = L"added";
  editor.Date = Day(1990, 5, 10);
  ASSERT_TRUE(m->AddEvent());
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"added"}));
  editor.Text = L"edited";
  ASSERT_TRUE(m->EditEvent(0));
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"edited"}));
  editor.Confirm = false;
  const Bytes before = ReadBytes(File());
  EXPECT_FALSE(m->AddEvent());
  EXPECT_FALSE(m->EditEvent(0));
  EXPECT_EQ(m->Events.Count(), 1);
  EXPECT_EQ(m->Events.GetItem(0)->Text, L"edited");
  EXPECT_EQ(ReadBytes(File()), before);
  m->DeleteEventAndSave(0);
  EXPECT_EQ(Load()->Events.Count(), 0);
}

TEST_F(EventsTest, EventsFreedWhileTheDialogIsOpenAreNotTouched) {
  auto m = Saved({{L"one", Day(1990, 5, 10)}});
  editor.Text = L"typed";
  // A session end frees the events while the dialog runs.
  editor.WhileOpen = [&] {
    Closing = true;
    m->SaveEvents();
    m.reset();
  };
  TMyEventsmanager* raw = m.get();
  EXPECT_FALSE(raw->EditEvent(0));
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"one"}));
  editor.WhileOpen = [&] { m.reset(); };
  m = Load();
  raw = m.get();
  EXPECT_FALSE(raw->AddEvent());
}

// Another program holds the file from start-up on (its letting go is shown with the real program).
TEST_F(EventsTest, AFileHeldForGoodIsTriedForTenMinutesAndWhatWasConfirmedGoesToTheErrorLog) {
  const Bytes content = ToBytes("[item0]\r\nText=kept\r\ndate=1/1/2000\r\n");
  WriteBytes(File(), content);
  auto lock = std::make_unique<notetest::Lock>(File());
  auto m = Load();
  editor.Date = Day(1935, 12, 8);
  for (const wchar_t* text : {L"added", L"deleted", L"edit me"}) {
    editor.Text = text;
    ASSERT_TRUE(m->AddEvent());
  }
  m->DeleteEventAndSave(1);
  editor.Text = L"edited";
  ASSERT_TRUE(m->EditEvent(1));
  for (int second = 0; second < 600; ++second) m->Tick();
  EXPECT_FALSE(m->LoadPending());
  m->Tick();
  ASSERT_EQ(boxes.size(), 2u) << "told at start-up, and once when it is no longer tried";
  EXPECT_NE(boxes[1].find(L"no longer tried"), std::wstring::npos) << WideToUtf8(boxes[1]);
  EXPECT_NE(m->SavePending().find(File()), std::wstring::npos) << "the end reads it once more, and names it";
  Closing = true;
  EXPECT_FALSE(m->SaveEvents());
  lock.reset();
  EXPECT_EQ(ReadBytes(File()), content);
  const std::string log = testsupport::ReadText(Folder() + L"ExceptionsLog.txt");
  EXPECT_NE(log.find("12/8/1935  added\r\n12/8/1935  edited\r\n"), std::string::npos) << log;
}

TEST_F(EventsTest, ALeftoverTemporaryFileDoesNotStopTheSaveAndARealFailureIsToldAsItIs) {
  auto m = Saved({{L"first", Day(1990, 5, 10)}});
  // Left by a crash, and held by another program (a virus scanner).
  WriteBytes(File() + L".tmp", ToBytes("stale"));
  auto held = std::make_unique<notetest::Lock>(File() + L".tmp");
  editor.Text = L"second";
  ASSERT_TRUE(m->AddEvent());
  EXPECT_TRUE(boxes.empty()) << WideToUtf8(boxes.empty() ? L"" : boxes[0]);
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"first", L"second"}));
  // The events file itself held: its name and the real reason.
  auto lock = std::make_unique<notetest::Lock>(File());
  ASSERT_TRUE(m->AddEvent());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(L"Unable to write to " + File() + L": "), std::wstring::npos) << WideToUtf8(boxes[0]);
  EXPECT_EQ(boxes[0].find(L"exists"), std::wstring::npos) << WideToUtf8(boxes[0]);
}

}  // namespace
}  // namespace eventstest
