// The event edit dialog as a user works it: keys, a cleared date, and a session end while it runs.
#include "EventWindowsTestEnv.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "language/VxMultiLanguageEngine.h"
#include "notes/NoteManagerUnit.h"
#include "shell/MainFormUnit.h"
#include "shell/VantaroEngineUnit.h"

namespace eventstest {
namespace {

using testsupport::kPatience;
using testsupport::Watchdog;

TEST_F(EventWindowsTest, EnterConfirmsAndEscapeCancels) {
  auto m = Saved({{L"old", Day(1990, 5, 10)}});
  Watchdog dog(kPatience);
  WhenDialogOpen([](TMyEventEdit& d) {
    HWND edit = d.EventText->Handle();
    PostKey(edit, VK_END);
    for (wchar_t c : std::wstring(L"!!")) PostMessageW(edit, WM_CHAR, c, 1);
    PostKey(edit, VK_RETURN);
  });
  ASSERT_TRUE(m->EditEvent(0));
  EXPECT_EQ(m->Events.GetItem(0)->Text, L"old!!");
  EXPECT_EQ(m->Events.GetItem(0)->Date, Day(1990, 5, 10));
  WhenDialogOpen([](TMyEventEdit& d) {
    d.EventText->SetText(L"not kept");
    PostKey(d.EventText->Handle(), VK_ESCAPE);
  });
  EXPECT_FALSE(m->EditEvent(0));
  EXPECT_EQ(m->Events.GetItem(0)->Text, L"old!!");
  EXPECT_FALSE(Watchdog::fired);
}

TEST_F(EventWindowsTest, AClearedDateIsTheNullDateAndOpensEmpty) {
  auto m = Saved({{L"event", Day(1990, 5, 10)}});
  Watchdog dog(kPatience);
  std::wstring shown = L"unset";
  WhenDialogOpen([&](TMyEventEdit& d) {
    shown = d.EventDate->Text();
    d.EventDate->SetText(L"");
    PostKey(d.EventText->Handle(), VK_RETURN);
  });
  ASSERT_TRUE(m->EditEvent(0));
  EXPECT_EQ(shown, EventDateToStr(Day(1990, 5, 10)));
  EXPECT_EQ(m->Events.GetItem(0)->Date, 0);
  WhenDialogOpen([&](TMyEventEdit& d) {
    shown = d.EventDate->Text();
    PostKey(d.EventText->Handle(), VK_RETURN);
  });
  ASSERT_TRUE(m->EditEvent(0));
  EXPECT_EQ(shown, L"");
  EXPECT_EQ(m->Events.GetItem(0)->Date, 0) << "and keeps the null date";
}

TEST_F(EventWindowsTest, ANewEventOpensEmptyWithTodaysDate) {
  SetNow(2026, 5, 10, 15);
  Watchdog dog(kPatience);
  std::wstring text = L"unset", date;
  bool focused = false, uiWasEnabled = true;
  WhenDialogOpen([&](TMyEventEdit& d) {
    text = d.EventText->Text(), date = d.EventDate->Text();
    focused = GetFocus() == d.EventText->Handle();
    uiWasEnabled = UIEnabled;
    testsupport::SaveScreenShot(L"event-edit", testsupport::ScreenRect(d.Handle()));
    PostKey(d.EventText->Handle(), VK_ESCAPE);
  });
  EXPECT_FALSE(Manager().AddEvent());
  EXPECT_EQ(text, L"");
  EXPECT_EQ(date, L"5/10/2026");
  EXPECT_TRUE(focused);
  EXPECT_FALSE(uiWasEnabled) << "no hot key acts while the dialog runs";
  EXPECT_TRUE(UIEnabled);
  EXPECT_EQ(Manager().Events.Count(), 0);
}

TEST_F(EventWindowsTest, UnderTheProgramsStylesTheCalendarButtonShowsAndTheDescriptionHasNoLimit) {
  testsupport::ProgramVisualStyles styles;
  ASSERT_TRUE(styles.Active());
  Watchdog dog(kPatience);
  int drawn = -1, area = 0;
  int typed = 0;
  WhenDialogOpen([&](TMyEventEdit& d) {
    testsupport::Pump(100);
    // The button's outline, which the edit's white would cover.
    RECT b = testsupport::ScreenRect(d.EventDate->DropButton->Handle());
    drawn = 0;
    for (int i = 0; i < b.right - b.left; ++i, area += 2)
      drawn += (testsupport::ScreenPixel(b.left + i, b.top) != 0xFFFFFF) +
               (testsupport::ScreenPixel(b.left + i, b.bottom - 1) != 0xFFFFFF);
    for (int i = 0; i < b.bottom - b.top; ++i, area += 2)
      drawn += (testsupport::ScreenPixel(b.left, b.top + i) != 0xFFFFFF) +
               (testsupport::ScreenPixel(b.right - 1, b.top + i) != 0xFFFFFF);
    testsupport::SaveScreenShot(L"event-edit-styles", testsupport::ScreenRect(d.Handle()));
    // Typed past the edit's usual limit of 30,000 characters.
    HWND edit = d.EventText->Handle();
    SetWindowTextW(edit, std::wstring(30000, L'a').c_str());
    PostKey(edit, VK_END);
    PostMessageW(edit, WM_CHAR, L'b', 1);
    PostMessageW(edit, WM_CHAR, L'c', 1);
    PostKey(edit, VK_RETURN);
  });
  ASSERT_TRUE(Manager().AddEvent());
  EXPECT_GT(drawn, area * 3 / 4) << "the calendar button is painted";
  typed = static_cast<int>(Manager().Events.GetItem(0)->Text.size());
  EXPECT_EQ(typed, 30002) << "no length limit";
  EXPECT_FALSE(Watchdog::fired);
}

TEST_F(EventWindowsTest, UnderALanguageWithLongTextsNoLabelOfTheEventsWindowsIsCut) {
  ForceDirectories(LanguagesFolder());
  testsupport::WriteLanguageTexts(LanguageFileName(L"deutsch"), LR"(
[LNG_Vantaro_EventEdit]
_event_edit_title=Eigenschaften des Ereignisses
_description=&Beschreibung des Ereignisses:
_date=Da&tum:
[LNG_Vantaro_EditEvents]
_NewEvent=&Neues Ereignis hinzufügen
_text=Beschreibung des Ereignisses
_date=Datum des Ereignisses
[LNG_Vantaro_LatestsEvents]
_MyEvents=Meine Ereignisse
_Today=Heute
[LNG_Vantaro_Generic]
_cancel=Abbrechen
)");
  InitLanguageEngine();
  LoadLanguage(L"deutsch");
  auto m = Saved({{L"Geburtstag", Day(1990, 5, 10)}});
  Watchdog dog(kPatience);
  std::vector<std::string> cut{"not shown"};
  std::wstring description;
  WhenDialogOpen([&](TMyEventEdit& d) {
    testsupport::Pump(50);
    cut = testsupport::CutTexts(d.Handle());
    description = d._description->Caption();
    testsupport::SaveScreenShot(L"event-edit-long-texts", testsupport::ScreenRect(d.Handle()));
    PostKey(d.EventText->Handle(), VK_ESCAPE);
  });
  m->EditEvent(0);
  EXPECT_EQ(description, L"&Beschreibung des Ereignisses:");
  EXPECT_EQ(cut, std::vector<std::string>{}) << "the edit dialog";
  m->ShowManager();
  m->ShowLatest(true);
  testsupport::Pump(50);
  for (TForm* f : {m->ManagerForm(), m->LatestForm()}) {
    ASSERT_TRUE(f);
    EXPECT_EQ(testsupport::CutTexts(f->Handle()), std::vector<std::string>{}) << WideToUtf8(f->Caption());
  }
  testsupport::SaveScreenShot(L"events-manager-long-texts", testsupport::ScreenRect(m->ManagerForm()->Handle()));
  testsupport::SaveScreenShot(L"latest-events-long-texts", testsupport::ScreenRect(m->LatestForm()->Handle()));
  m.reset();
  DoneLanguageEngine();
}

// The session ends as the system ends it: the question, then the end.
void EndTheSession() {
  EXPECT_EQ(SendMessageW(VantaroMainForm->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  SendMessageW(VantaroMainForm->Handle(), WM_ENDSESSION, TRUE, 0);
}

// The events manager window of a started program (as far as a session end needs one), on the
// saved events "one" and "two" and a third one that only the shut-down saves, row focused.
TEventsManager* ManagerOfRunningProgram(TMyEventsmanager* events, int row) {
  auto* engine = new TVantaroEngine;
  VantaroEngine = engine;
  VantaroMainForm = new TVantaroMainForm(Application);
  engine->NotesManager = new TNotesManager;
  engine->EventsManager = events;
  auto* three = new TMYEvent;
  three->Text = L"three";
  events->Events.Add(three);
  events->ShowManager();
  auto* form = dynamic_cast<TEventsManager*>(events->ManagerForm());
  if (form) form->EventsList->SetFocusedNode(form->EventsList->Roots()[row]);
  return form;
}

TEST_F(EventWindowsTest, ASessionEndDuringTheEditDialogCancelsItAndSavesTheEvents) {
  TEventsManager* form = ManagerOfRunningProgram(Saved({{L"one", Day(1990, 5, 10)}, {L"two", Day(1991, 6, 11)}}).release(), 1);
  ASSERT_TRUE(form);
  Watchdog dog(kPatience);
  bool calendarWasOpen = false;
  WhenDialogOpen([&](TMyEventEdit& d) {
    d.EventText->SetText(L"typed, then the session ended");
    d.EventDate->DropDown();
    calendarWasOpen = d.EventDate->DroppedDown();
    EndTheSession();
  });
  HWND window = form->Handle();
  form->_EditEvent->Execute();
  EXPECT_TRUE(calendarWasOpen);
  EXPECT_FALSE(Watchdog::fired) << "the dialog ended with the session";
  EXPECT_TRUE(Closing && VantaroEngine == nullptr);
  EXPECT_FALSE(IsWindowVisible(window)) << "the events manager window was closed";
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"one", L"two", L"three"}));
}

TEST_F(EventWindowsTest, ASessionEndDuringTheDeleteQuestionDeletesNothingAndSavesTheEvents) {
  TEventsManager* form = ManagerOfRunningProgram(Saved({{L"one", Day(1990, 5, 10)}, {L"two", Day(1991, 6, 11)}}).release(), 0);
  ASSERT_TRUE(form);
  SetMessageBoxAnswerer([&](const MessageBoxRequest& r) {
    boxes.push_back(r.Text);
    EndTheSession();
    return IDYES;
  });
  form->_DeleteEvent->Execute();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], L"Do you want to delete event: \n\rone");
  EXPECT_TRUE(Closing && VantaroEngine == nullptr);
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"one", L"two", L"three"}));
}

}  // namespace
}  // namespace eventstest
