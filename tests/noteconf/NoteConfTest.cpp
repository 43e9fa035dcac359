// The note-properties dialog run for real notes: where it opens, what OK writes back and what
// every other way out leaves alone, the time edits, the keyboard, the colour buttons and the
// preview, the group list and the linked file.
#include <cmath>
#include <limits>
#include <tuple>

#include "noteconf/NoteConfTestEnv.h"

namespace {

using noteconftest::FocusedControl;
using noteconftest::Key;
using noteconftest::PixelOf;
using noteconftest::RunDialog;
using noteconftest::Type;
using noteconftest::ScreenRect;
using notetest::HeldKey;
using notetest::LoadNote;
using notetest::NoteTest;

// A minute on the clock: the dialog keeps hours and minutes only.
const TDateTime kNow = EncodeDateTime(2026, 12, 6, 14, 30);

class NoteConfTest : public NoteTest {
 protected:
  void SetUp() override {
    NoteTest::SetUp();
    SetNowOverride(kNow);
    RecordBoxes();
  }
};

TEST_F(NoteConfTest, OpensBesideTheNoteOrInTheBottomRightCornerAndStaysOnTheScreen) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Placed");
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // Opened from the note's menu, at the note's place; (-1, -1) is no place at all.
  auto open = [&](int x, int y) {
    SetWindowPos(w->Form->Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed{};
    SIZE client{};
    bool topmost = false;
    EXPECT_TRUE(noteconftest::RunDialogBy([&] { w->Form->CustomizeAction->Execute(); }, [&](TNoteConf& d) {
      placed = ScreenRect(d.Handle());
      RECT c;
      GetClientRect(d.Handle(), &c);
      client = SIZE{c.right, c.bottom};
      topmost = (GetWindowLongW(d.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      d._cancel->Click();
    }));
    EXPECT_EQ(client.cx, 323);
    EXPECT_EQ(client.cy, 200);
    EXPECT_TRUE(topmost);
    return placed;
  };
  const RECT corner = open(-1, -1);
  const int width = corner.right - corner.left, height = corner.bottom - corner.top;
  ASSERT_GT(width, height) << "the rows below tell the axes apart by the dialog's sides";
  struct Row {
    int x, y;
    bool rightEdge, bottomEdge;
  } rows[] = {{100, 100, false, false}, {-1, -1, true, true}, {sw - 50, 100, true, false}, {100, sh - 50, false, true},
              {-1, 300, true, false}, {300, -1, false, true}, {0, 0, false, false}, {-5, -5, false, false},
              // Flush with the edges still fits; a pixel further does not, on each axis alone.
              {sw - width - 10, sh - height - 10, false, false}, {sw - width - 9, 100, true, false},
              {100, sh - height - 9, false, true},
              // Each axis measures with its own side.
              {sw - height - 10, 100, true, false}, {100, sh - width - 10, false, false}};
  for (const Row& r : rows) {
    const RECT placed = open(r.x, r.y);
    EXPECT_EQ(placed.left, r.rightEdge ? sw - width : r.x + 10) << r.x << "," << r.y;
    EXPECT_EQ(placed.top, r.bottomEdge ? sh - height : r.y + 10) << r.x << "," << r.y;
  }
}

TEST_F(NoteConfTest, OkWritesEveryFieldBackAndSavesTheNote) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Old title");
  w->Note->Group = L"Old group";
  const TDateTime showAt = kNow + 2 + 9.0 / 24, alarmAt = kNow + 1 + 0.5 / 24;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    SetWindowTextW(d.Titleedit->Handle(), L"");
    Type(d.Titleedit->Handle(), L"New title");
    d.GroupBox->SetText(L"Work");
    d.LinkedFileEdit->SetFileName(L"C:\\docs\\plan.txt");
    d.BColor->SetSelectionColor(0x0000FF);
    d.NColor->SetSelectionColor(0x00FFFF);
    d.TBcolor->SetSelectionColor(0xFF0000);
    d.AutoShowCB->SetChecked(true);
    d.SetAutoShowDateTime(showAt);
    d.AlarmCB->SetChecked(true);
    d.SetAlarmDateTime(alarmAt);
    Key(VK_RETURN);  // the default button
  }));
  const TNoteClass saved = LoadNote(w->FileName);
  for (const TNoteClass* n : {static_cast<const TNoteClass*>(w->Note), &saved}) {  // the record, then its file
    EXPECT_EQ(n->Title, L"New title");
    EXPECT_EQ(n->Group, L"Work");
    EXPECT_EQ(n->LinkedFile, L"C:\\docs\\plan.txt");
    EXPECT_EQ(n->TitleColor, 0x0000FFu);
    EXPECT_EQ(n->NoteColor, 0x00FFFFu);
    EXPECT_EQ(n->TitleFontColor, 0xFF0000u);
    EXPECT_EQ(n->AutoShowPending, 1u);
    EXPECT_NEAR(n->ShowAt, showAt, 1e-7);
    EXPECT_TRUE(n->AlarmOn);
    EXPECT_NEAR(n->AlarmAt, alarmAt, 1e-7);
  }
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(UIEnabled);
  EXPECT_EQ(w->Form->Wrapper, w) << "the window was filled again from the record";
}

TEST_F(NoteConfTest, AutoShowAtTheCurrentMinuteIsRefusedAndAnAlarmThenIsKept) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Moments");
  w->Note->AutoShowPending = 1;
  w->Note->ShowAt = kNow + 5;
  struct Row {
    TDateTime showAt, alarmAt;
    std::vector<std::wstring> warnings;
    bool autoShow, alarm;
  } rows[] = {
      {kNow, kNow, {L"Autoshow time is previous than current time, autoshow disabled!"}, false, true},
      {kNow + 1.0 / 1440, kNow - 1.0 / 1440, {L"Allarm time is previous than current time, allarm disabled!"}, true, false},
      {kNow - 1,
       kNow - 1,
       {L"Autoshow time is previous than current time, autoshow disabled!",
        L"Allarm time is previous than current time, allarm disabled!"},
       false,
       false},
  };
  for (const Row& r : rows) {
    boxes.clear();
    w->Note->AlarmOn = false;
    ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
      d.AutoShowCB->SetChecked(true);
      d.SetAutoShowDateTime(r.showAt);
      d.AlarmCB->SetChecked(true);
      d.SetAlarmDateTime(r.alarmAt);
      d._ok->Click();
    }));
    EXPECT_EQ(boxes, r.warnings);
    EXPECT_EQ(w->Note->AutoShowPending, r.autoShow ? 1u : 0u);
    EXPECT_EQ(w->Note->AlarmOn, r.alarm);
    if (r.alarm) {
      EXPECT_NEAR(w->Note->AlarmAt, r.alarmAt, 1e-7);
    }
    EXPECT_EQ(LoadNote(w->FileName).AlarmOn, r.alarm) << "saved as shown";
  }

  // A checked box with an empty day counts as 30 December 1899: refused.
  boxes.clear();
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    d.AlarmCB->SetChecked(true);
    d.DayInfo->SetDate(0);
    d._ok->Click();
  }));
  EXPECT_FALSE(w->Note->AlarmOn);
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(NoteConfTest, AMomentLeftAsItWasKeepsItsSecondsAndAnUnreadableTimeCountsAsNow) {
  // Snoozed and armed within the current minute: pages that were not touched keep both as they
  // are, to the second, and check neither again.
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Snoozed");
  const TDateTime showAt = kNow + 30.0 / 86400, alarmAt = kNow + 20.0 / 86400;
  w->Note->AutoShowPending = 1, w->Note->ShowAt = showAt;
  w->Note->AlarmOn = true, w->Note->AlarmAt = alarmAt;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    SetWindowTextW(d.Titleedit->Handle(), L"Renamed");
    d._ok->Click();
  }));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(w->Note->Title, L"Renamed");
  const TNoteClass& n = *w->Note;
  EXPECT_EQ(std::make_tuple(n.AutoShowPending == 1u, n.ShowAt, n.AlarmOn, n.AlarmAt),
            std::make_tuple(true, showAt, true, alarmAt));

  // A time still unreadable at OK (never left, so never checked) counts as the current moment:
  // the auto-show is refused, the alarm taken for now.
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    for (TTimeEdit* time : {d.AutoShowTimeEdit, d.TimeInfo}) {
      SetWindowTextW(time->Handle(), L"");
      Type(time->Handle(), L"2599");
    }
    d._ok->Click();
  }));
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Autoshow time is previous than current time, autoshow disabled!"});
  EXPECT_EQ(std::make_tuple(n.AutoShowPending == 0u, n.AlarmOn, n.AlarmAt), std::make_tuple(true, true, kNow));
}

TEST_F(NoteConfTest, WhatWasTypedOrMovedSinceTheLastSaveSurvivesTheDialog) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Typing");
  TNoteForm* f = w->Form;
  f->NoteEdit->SetText(L"saved");
  w->Save();
  int x = 300;
  for (bool ok : {true, false}) {
    SendMessageW(f->NoteEdit->Handle(), EM_SETSEL, -1, -1);
    for (wchar_t c : std::wstring(ok ? L" one" : L" two")) notetest::TypeChar(f, c);
    x += 20;
    SetWindowPos(f->Handle(), nullptr, x, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    testsupport::Pump(30);
    ASSERT_TRUE(RunDialog(w, f, f->Left(), f->Top(), [&](TNoteConf& d) { (ok ? d._ok : d._cancel)->Click(); }));
    const std::wstring expected = ok ? L"saved one" : L"saved one two";
    EXPECT_EQ(f->NoteEdit->Text(), expected) << (ok ? "OK" : "Cancel") << ": the window keeps its text";
    EXPECT_EQ(notetest::PlainText(LoadNote(w->FileName)), expected) << "and the file has it";
    EXPECT_EQ(f->Left(), x) << "the window stays where it was moved";
  }
}

TEST_F(NoteConfTest, CancelEscapeAndTheCloseBoxChangeNothingButTheNoteIsStillSaved) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Keep me");
  w->Note->Group = L"Home";
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = kNow + 3;
  w->Note->LinkedFile = L"C:\\keep.txt";
  const std::vector<std::pair<const char*, std::function<void(TNoteConf&)>>> ways = {
      {"Cancel", [](TNoteConf& d) { SendMessageW(d._cancel->Handle(), BM_CLICK, 0, 0); }},
      {"Escape", [](TNoteConf&) { Key(VK_ESCAPE); }},
      {"close box", [](TNoteConf& d) { PostMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& [name, end] : ways) {
    // Typed just before: no edit-pause save has run yet.
    const std::wstring typed = L"typed before " + Utf8ToWide(name);
    w->Form->NoteEdit->SetText(typed);
    ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
      SetWindowTextW(d.Titleedit->Handle(), L"Changed");
      d.GroupBox->SetText(L"Other");
      d.LinkedFileEdit->SetFileName(L"C:\\other.txt");
      d.AlarmCB->SetChecked(false);
      d.NColor->SetSelectionColor(0x123456);
      end(d);
    })) << name;
    EXPECT_EQ(w->Note->Title + L"|" + w->Note->Group + L"|" + w->Note->LinkedFile, L"Keep me|Home|C:\\keep.txt") << name;
    EXPECT_TRUE(w->Note->AlarmOn) << name;
    EXPECT_EQ(w->Note->NoteColor, clNone) << name;
    const TNoteClass saved = LoadNote(w->FileName);
    EXPECT_EQ(Trim(notetest::PlainText(saved)), typed) << name << ": saved";
    EXPECT_EQ(saved.Title, L"Keep me") << name;
    EXPECT_TRUE(boxes.empty()) << name;
    EXPECT_TRUE(UIEnabled) << name;
  }
}

TEST_F(NoteConfTest, AnImpossibleTimeUnchecksItsBoxAndReadsZero) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Times");
  const std::wstring sep = TimeSeparator();
  std::vector<std::wstring> seen;  // as typed, then after leaving the edit
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    // The last row: a possible time stays as typed, and its box checked.
    const std::tuple<TTabSheet*, TCheckBox*, TTimeEdit*, const wchar_t*> pages[] = {
        {d.AutoShow, d.AutoShowCB, d.AutoShowTimeEdit, L"2599"}, {d.Alarm, d.AlarmCB, d.TimeInfo, L"2599"},
        {d.Alarm, d.AlarmCB, d.TimeInfo, L"0745"}};
    for (const auto& [sheet, box, time, typed] : pages) {
      d.PageControl1->SetActivePage(sheet);
      box->SetChecked(true);
      time->SetFocus();
      SetWindowTextW(time->Handle(), L"");
      Type(time->Handle(), typed);
      seen.push_back(time->Text());
      Key(VK_TAB);  // leaving the edit
      seen.push_back(time->Text() + (box->Checked() ? L" checked" : L""));
    }
    d._cancel->Click();
  }));
  // Hour 25 and minute 99 are refused as they are typed; the bare "2" left is no time.
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"2", L"00" + sep + L"00", L"2", EmptyTimeText(), L"07" + sep + L"45",
                                             L"07" + sep + L"45 checked"}));
  EXPECT_TRUE(boxes.empty()) << "no message";
}

TEST_F(NoteConfTest, TimesShowAndReadWithTheUsersOwnSeparator) {
  // The user's time separator, set for this test only.
  wchar_t previous[8] = L"";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, previous, 8);
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L"."));
  struct Restore {
    const wchar_t* sep;
    ~Restore() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, sep); }
  } restore{previous};
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Separator");
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = kNow + 1 + 5.0 / 1440;  // 14:35 tomorrow
  std::wstring shown, typed;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    shown = d.TimeInfo->Text();
    d.PageControl1->SetActivePage(d.Alarm);
    d.TimeInfo->SetFocus();
    SetWindowTextW(d.TimeInfo->Handle(), L"");
    Type(d.TimeInfo->Handle(), L"07:45");
    typed = d.TimeInfo->Text();
    Key(VK_TAB);
    d._ok->Click();
  }));
  EXPECT_EQ(shown, L"14.35");
  EXPECT_EQ(typed, L"07.45") << "the colon refused, the separator put in";
  EXPECT_TRUE(w->Note->AlarmOn);
  EXPECT_NEAR(w->Note->AlarmAt, std::trunc(kNow) + 1 + 7.75 / 24, 1e-7);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(NoteConfTest, TabWalksEveryControlOfAPageInOrderFromTheTitle) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Keys");
  std::vector<std::vector<std::wstring>> walks;
  std::wstring first, backwards;
  bool backToFirst = false;
  int titleLength = 0;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    first = FocusedControl() ? FocusedControl()->Name() : L"(none)";
    SetWindowTextW(d.Titleedit->Handle(), L"");
    Type(d.Titleedit->Handle(), std::wstring(130, L'x'));
    titleLength = static_cast<int>(d.Titleedit->Text().size());
    // Each page from its first control round to it again; Ctrl+Tab turns to the next page.
    for (int page = 0; page < 4; ++page) {
      TWinControl* start = FocusedControl();
      std::vector<std::wstring> walk{start ? start->Name() : L"(none)"};
      for (int i = 0; i < 10; ++i) {
        Key(VK_TAB);
        TWinControl* c = FocusedControl();
        walk.push_back(c ? c->Name() : L"(none)");
        if (c == start) break;
      }
      walk.push_back(d.PageControl1->ActivePage()->Name());
      walks.push_back(walk);
      HeldKey ctrl(VK_CONTROL);
      Key(VK_TAB);
    }
    backToFirst = d.PageControl1->ActivePage() == d.General;
    {
      HeldKey ctrl(VK_CONTROL), shift(VK_SHIFT);
      Key(VK_TAB);
    }
    backwards = d.PageControl1->ActivePage()->Name() + L" " + (FocusedControl() ? FocusedControl()->Name() : L"");
    d._cancel->Click();
  }));
  EXPECT_EQ(first, L"Titleedit") << "the keys start in the title";
  EXPECT_EQ(titleLength, 124) << "at most 124 characters can be typed";
  using V = std::vector<std::wstring>;
  ASSERT_EQ(walks.size(), 4u);
  EXPECT_EQ(walks[0], (V{L"Titleedit", L"GroupBox", L"LinkedFileEditEdit", L"LinkedFileEditButton", L"_cancel", L"_ok",
                         L"Titleedit", L"General"}));
  EXPECT_EQ(walks[1], (V{L"BColor", L"NColor", L"TBcolor", L"_cancel", L"_ok", L"BColor", L"Appearance"}));
  EXPECT_EQ(walks[2],
            (V{L"AutoShowCB", L"AutoShowDateEdit", L"AutoShowTimeEdit", L"_cancel", L"_ok", L"AutoShowCB", L"AutoShow"}));
  EXPECT_EQ(walks[3], (V{L"AlarmCB", L"DayInfo", L"TimeInfo", L"_cancel", L"_ok", L"AlarmCB", L"Alarm"}));
  EXPECT_TRUE(backToFirst) << "Ctrl+Tab goes round";
  EXPECT_EQ(backwards, L"Alarm AlarmCB") << "Ctrl+Shift+Tab goes back";
}

TEST_F(NoteConfTest, DefaultColoursShowDefaultAndThePreviewPaintsThem) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Colours");
  w->Note->TitleColor = 0x0000FF;
  w->Note->NoteColor = 0x00FF00;
  w->Note->TitleFontColor = 0xFFFFFF;
  NoteColor = 0x80FFFF;
  TitleColor = 0x00C0FF;
  std::vector<std::wstring> captions;
  COLORREF bodyBefore = 0, bodyAfter = 0, barAfter = 0, bodyPicked = 0;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    d.PageControl1->SetActivePage(d.Appearance);
    HWND preview = d.PreviewPanel->Handle();
    bodyBefore = PixelOf(preview, 60, 60);
    EXPECT_EQ(d.BColor->Caption(), L"") << "a colour shows no caption";
    // The Default entry of each palette, clicked.
    for (TColorPickerButton* p : {d.BColor, d.NColor, d.TBcolor}) {
      p->DropDown();
      TColorPalette* palette = p->Palette();
      RECT e = palette->EntryRect(TColorPalette::DefaultEntry);
      LPARAM at = MAKELPARAM((e.left + e.right) / 2, (e.top + e.bottom) / 2);
      PostMessageW(palette->Handle(), WM_MOUSEMOVE, 0, at);
      PostMessageW(palette->Handle(), WM_LBUTTONUP, 0, at);
      Application->ProcessMessages();
      captions.push_back(p->Caption());
    }
    bodyAfter = PixelOf(preview, 60, 60);
    barAfter = PixelOf(preview, 85, 2);
    // A colour of the palette: the preview follows at once.
    d.NColor->DropDown();
    RECT cell = d.NColor->Palette()->EntryRect(16);
    PostMessageW(d.NColor->Palette()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(cell.left + 5, cell.top + 5));
    Application->ProcessMessages();
    bodyPicked = PixelOf(preview, 60, 60);
    d._ok->Click();
  }));
  EXPECT_EQ(bodyBefore, RGB(0, 255, 0)) << "the note's own colour";
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"Default", L"Default", L"Default"}));
  EXPECT_EQ(bodyAfter, ColorToRGB(NoteColor)) << "the default note colour of the settings";
  EXPECT_EQ(barAfter, ColorToRGB(TitleColor)) << "the default title colour of the settings";
  EXPECT_EQ(bodyPicked, ColorToRGB(TColorPalette::CellColor(16)));
  EXPECT_EQ(w->Note->TitleColor, clNone);
  EXPECT_EQ(w->Note->TitleFontColor, clNone);
  EXPECT_EQ(w->Note->NoteColor, TColorPalette::CellColor(16));
}

TEST_F(NoteConfTest, GroupsOfAllNotesAreOfferedAndATypedGroupIsStoredWithItsBlanks) {
  // Two groups of one length outside the code page are offered as two, as they are written.
  std::vector<TNoteWrapper*> notes;
  for (const wchar_t* group : {L"Work", L"Home", L"  ", L"work", L"Привет", L"Пример"}) {
    notes.push_back(OpenNote(100 + 40 * static_cast<int>(notes.size()), 100, 200, 150, group));
    notes.back()->Note->Group = group;
  }
  TNoteWrapper* w = notes[3];
  std::vector<std::wstring> offered;
  std::wstring shown;
  ASSERT_TRUE(RunDialog(w, w->Form, -1, -1, [&](TNoteConf& d) {
    offered = d.GroupBox->Items.Strings();
    shown = d.GroupBox->Text();
    d.GroupBox->SetFocus();
    HWND edit = GetFocus();
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Type(edit, L"  Errands  ");
    d._ok->Click();
  }));
  EXPECT_EQ(offered, (std::vector<std::wstring>{L"Work", L"Home", L"Привет", L"Пример"}))
      << "each group once, blank ones left out";
  EXPECT_EQ(shown, L"work");
  EXPECT_EQ(w->Note->Group, L"  Errands  ");
  EXPECT_EQ(LoadNote(w->FileName).Group, L"  Errands  ");
}

TEST_F(NoteConfTest, TranslatesInItsOwnSectionThenTheSharedOne) {
  noteconftest::UseLanguage(L"italiano",
      "[LNG_Vantaro_Note_Conf]\r\n_title=Opzioni nota\r\nGeneral=Generale\r\nAutoShow=Mostra\r\n"
      "_NoteTitle=Titolo\r\n_titlecolor=Colore titolo\r\nday=Giorno\r\nAlarmCB=Sveglia attiva\r\n"
      "_ok=Nope\r\n[LNG_Vantaro_Generic]\r\n_cancel=Annulla\r\n");
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Tradotta");
  std::vector<std::wstring> texts;
  RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    texts = {d.Caption(),          d.General->Caption(), d.AutoShow->Caption(), d._NoteTitle->Caption(),
             d.Label3->Caption(),  d.Label4->Caption(),  d.Label1->Caption(),   d.Label6->Caption(),
             d.Label7->Caption(),  d.AlarmCB->Caption(), d._ok->Caption(),      d._cancel->Caption()};
    d._cancel->Click();
  });
  DoneLanguageEngine();
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Opzioni nota", L"Generale", L"Autoshow", L"Titolo", L"Colore titolo:",
                                              L"Note Color:", L"Giorno:", L"Giorno:", L"Time:", L"Sveglia attiva",
                                              L"OK", L"Annulla"}))
      << "the auto-show tab keeps its text; OK and Cancel come from the shared section";
}

TEST_F(NoteConfTest, DamagedValuesOpenAndAreKeptOrRefusedButNeverBreakTheDialog) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Broken moments");
  w->Note->ShowAt = std::numeric_limits<double>::quiet_NaN();
  w->Note->AlarmAt = 1e300;
  w->Note->LinkedFile = L"C:\\notes\\bad|name?.txt";  // mistyped by hand: shown, and kept unless changed
  std::vector<std::wstring> shown;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    shown = {d.AutoShowDateEdit->Text(), d.AutoShowTimeEdit->Text(), d.DayInfo->Text(), d.LinkedFileEdit->Text()};
    d._cancel->Click();
  }));
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"", EmptyTimeText(), L"", L"C:\\notes\\bad|name?.txt"}));
  EXPECT_TRUE(std::isnan(w->Note->ShowAt));
  EXPECT_EQ(w->Note->AlarmAt, 1e300);

  // Damaged values OK'd as they are: long texts and odd colours stay whole, and an armed alarm
  // with no day, its page untouched, is kept as it is.
  const std::wstring title(10000, L'T'), group(10000, L'G');
  w->Note->Title = title;
  w->Note->Group = group;
  w->Note->TitleColor = 0xFFFFFFFF;
  w->Note->NoteColor = 0x800000FF;
  w->Note->AlarmOn = true;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) { d._ok->Click(); }));
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(w->Note->AlarmOn);
  EXPECT_EQ(w->Note->AlarmAt, 1e300);
  const TNoteClass saved = LoadNote(w->FileName);
  EXPECT_EQ(saved.Title, title);
  EXPECT_EQ(saved.Group, group);
  EXPECT_EQ(saved.TitleColor, 0xFFFFFFFFu);
  EXPECT_EQ(saved.NoteColor, 0x800000FFu);
  EXPECT_EQ(saved.LinkedFile, L"C:\\notes\\bad|name?.txt");
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    d.LinkedFileEdit->SetText(L"");
    d._ok->Click();
  }));
  EXPECT_EQ(w->Note->LinkedFile, L"");
}

TEST_F(NoteConfTest, PagesAndAnOpenPaletteLookRight) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Pictures");
  w->Note->Group = L"Work";
  w->Note->LinkedFile = L"C:\\docs\\plan.txt";
  w->Note->TitleColor = 0x0080FF;
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = kNow + 1;
  std::vector<std::wstring> captions;
  ASSERT_TRUE(RunDialog(w, w->Form, 300, 200, [&](TNoteConf& d) {
    const wchar_t* names[] = {L"noteconf-general", L"noteconf-appearance", L"noteconf-autoshow", L"noteconf-alarm"};
    int i = 0;
    for (TTabSheet* page : d.PageControl1->Pages()) {
      captions.push_back(page->Caption());
      d.PageControl1->SetActivePage(page);
      RedrawWindow(d.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      testsupport::Pump(50);
      EXPECT_TRUE(testsupport::SaveScreenShot(names[i++], ScreenRect(d.Handle())));
    }
    d.PageControl1->SetActivePage(d.Appearance);
    d.NColor->DropDown();
    d.NColor->Palette()->SetHighlight(12);
    testsupport::Pump(50);
    RECT r = ScreenRect(d.Handle()), p = ScreenRect(d.NColor->Palette()->Handle());
    UnionRect(&r, &r, &p);
    EXPECT_TRUE(testsupport::SaveScreenShot(L"noteconf-palette", r));
    d.NColor->CloseUp();
    d.PageControl1->SetActivePage(d.Alarm);
    d.DayInfo->DropDown();
    testsupport::Pump(50);
    r = ScreenRect(d.Handle()), p = ScreenRect(d.DayInfo->Popup()->Handle());
    UnionRect(&r, &r, &p);
    EXPECT_TRUE(testsupport::SaveScreenShot(L"noteconf-calendar", r));
    d.DayInfo->CloseUp();
    d._cancel->Click();
  }));
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"General", L"Appearance", L"Autoshow", L"Alarm"}));
}

}  // namespace
