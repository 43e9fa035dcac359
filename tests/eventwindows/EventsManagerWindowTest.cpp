// The events manager window: its rows, its commands, its columns and its placement.
#include "EventWindowsTestEnv.h"

#include <commctrl.h>

#include "ui/FormSaverClassUnit.h"

namespace eventstest {
namespace {

using testsupport::Pump;

class EventsManagerWindowTest : public EventWindowsTest {
 protected:
  void SetUp() override {
    EventWindowsTest::SetUp();
    UseFakeEditor();
  }
  TEventsManager* Open(const std::vector<std::pair<std::wstring, TDateTime>>& events) {
    manager = Saved(events);
    manager->ShowManager();
    Pump(50);
    TEventsManager* f = ManagerWindow();
    EXPECT_TRUE(f);
    if (f) f->UpdateActions();
    return f;
  }
  // Every row as "date|text", through the grid's own source.
  static std::vector<std::wstring> Rows(TEventsManager* f) {
    std::vector<std::wstring> rows;
    for (TGridNode* n : f->EventsList->Roots())
      rows.push_back(f->EventsList->Source->GetText(f->EventsList, n, 1) + L"|" +
                     f->EventsList->Source->GetText(f->EventsList, n, 0));
    return rows;
  }
};

TEST_F(EventsManagerWindowTest, WithoutEventsOnlyNewIsEnabled) {
  TEventsManager* f = Open({});
  ASSERT_TRUE(f);
  EXPECT_EQ(f->EventsList->RootCount(), 0);
  EXPECT_TRUE(f->_NewEvent->Enabled());
  EXPECT_FALSE(f->_EditEvent->Enabled());
  EXPECT_FALSE(f->_DeleteEvent->Enabled());
  // A double click with no focused row opens nothing.
  SendMessageW(f->EventsList->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 40));
  Pump(50);
  EXPECT_EQ(editor.Calls, 0);
  f->_EditEvent->Execute();
  f->_DeleteEvent->Execute();
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EventsManagerWindowTest, ANewEventIsTheLastRowAndACancelledOneAddsNothing) {
  TEventsManager* f = Open({{L"first", Day(1990, 5, 10)}, {L"null date", 0}});
  ASSERT_TRUE(f);
  EXPECT_EQ(Rows(f), (std::vector<std::wstring>{L"5/10/1990|first", L"12/30/1899|null date"}));
  editor.Text = L"new";
  editor.Date = Day(2001, 2, 3);
  f->_NewEvent->Execute();
  EXPECT_EQ(Rows(f), (std::vector<std::wstring>{L"5/10/1990|first", L"12/30/1899|null date", L"2/3/2001|new"}));
  editor.Confirm = false;
  f->_NewEvent->Execute();
  EXPECT_EQ(f->EventsList->RootCount(), 3);
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"first", L"null date", L"new"}));
}

TEST_F(EventsManagerWindowTest, EditingTheFocusedRowShowsTheNewValues) {
  TEventsManager* f = Open({{L"first", Day(1990, 5, 10)}, {L"second", Day(1991, 6, 11)}});
  ASSERT_TRUE(f);
  f->EventsList->SetFocusedNode(f->EventsList->Roots()[1]);
  f->UpdateActions();
  EXPECT_TRUE(f->_EditEvent->Enabled() && f->_DeleteEvent->Enabled());
  editor.Text = L"changed";
  // A double click on the list edits the focused row.
  const RECT cell = f->EventsList->CellRect(f->EventsList->Roots()[1], 0);
  SendMessageW(f->EventsList->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(cell.left + 5, cell.top + 3));
  Pump(50);
  EXPECT_EQ(editor.Calls, 1);
  EXPECT_EQ(Rows(f)[1], L"6/11/1991|changed");
}

TEST_F(EventsManagerWindowTest, DeletingRowKShowsTheNextEventThere) {
  TEventsManager* f = Open({{L"a", Day(1990, 5, 10)}, {L"b", Day(1991, 6, 11)}, {L"c", Day(1992, 7, 12)}});
  ASSERT_TRUE(f);
  f->EventsList->SetFocusedNode(f->EventsList->Roots()[1]);
  int answer = IDNO;
  SetMessageBoxAnswerer([&](const MessageBoxRequest& r) {
    boxes.push_back(r.Text);
    EXPECT_EQ(r.Caption, L"Confirm");
    return answer;
  });
  f->_DeleteEvent->Execute();
  EXPECT_EQ(f->EventsList->RootCount(), 3) << "answered No";
  answer = IDYES;
  f->_DeleteEvent->Execute();
  EXPECT_EQ(boxes, (std::vector<std::wstring>{L"Do you want to delete event: \n\rb", L"Do you want to delete event: \n\rb"}));
  EXPECT_EQ(Rows(f), (std::vector<std::wstring>{L"5/10/1990|a", L"7/12/1992|c"}));
  EXPECT_EQ(f->FocusedIndex(), 1);
  EXPECT_EQ(Texts(Load()->Events), (std::vector<std::wstring>{L"a", L"c"}));
}

TEST_F(EventsManagerWindowTest, DraggingTheDateHeaderOnlyMovesTheColumn) {
  TEventsManager* f = Open({{L"a", Day(1990, 5, 10)}, {L"b", Day(1991, 6, 11)}});
  ASSERT_TRUE(f);
  f->EventsList->SetFocusedNode(f->EventsList->Roots()[0]);
  const auto before = Rows(f);
  EXPECT_EQ(f->EventsList->ColumnOrder(), (std::vector<int>{1, 0})) << "Date shows first";
  HWND header = ListView_GetHeader(f->EventsList->Handle());
  RECT date{}, text{};
  Header_GetItemRect(header, 1, &date);
  Header_GetItemRect(header, 0, &text);
  const int y = (date.top + date.bottom) / 2;
  // The mouse as a user moves it: pressed on "Date", dragged behind "Text", let go.
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(date.left + 20, y));
  for (int x = date.left + 30; x < text.right - 5; x += 40) SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(text.right - 5, y));
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(text.right - 5, y));
  Pump(50);
  EXPECT_EQ(f->EventsList->ColumnOrder(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Rows(f), before) << "the rows keep their order and their texts";
  EXPECT_EQ(f->EventsList->FocusedNode(), f->EventsList->Roots()[0]);
  EXPECT_EQ(f->EventsList->SortColumn(), -1);
}

TEST_F(EventsManagerWindowTest, ThePlacementIsKeptAndASecondRequestRaisesTheSameWindow) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kEventsManagerWinKey + 1);
  TEventsManager* f = Open({{L"Anna's birthday", Day(1990, 5, 10)}, {L"Wedding anniversary", Day(2011, 9, 3)}});
  ASSERT_TRUE(f);
  f->SetBounds(111, 122, 520, 333);
  f->EventsList->SetFocusedNode(f->EventsList->Roots()[1]);
  manager->ShowManager();
  EXPECT_EQ(ManagerWindow(), f);
  Pump(200);
  testsupport::SaveScreenShot(L"events-manager", testsupport::ScreenRect(f->Handle()));
  f->Close();
  EXPECT_EQ(manager->ManagerForm(), nullptr);
  Pump(50);
  manager->ShowManager();
  TEventsManager* again = ManagerWindow();
  ASSERT_TRUE(again);
  const RECT r = testsupport::ScreenRect(again->Handle());
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{111, 122, 631, 455}));
  RegDeleteTreeW(HKEY_CURRENT_USER, kEventsManagerWinKey + 1);
}

}  // namespace
}  // namespace eventstest

namespace eventstest {
namespace {

TEST_F(EventWindowsTest, FreeingTheEventsClosesBothWindowsAndKeepsTheirPlacements) {
  for (const wchar_t* key : {kEventsManagerWinKey, kLatestEventsWinKey}) RegDeleteTreeW(HKEY_CURRENT_USER, key + 1);
  manager = Saved({{L"a", Day(1990, 5, 10)}});
  manager->ShowManager();
  manager->ShowLatest(true);
  testsupport::Pump(50);
  TForm* windows[] = {manager->ManagerForm(), manager->LatestForm()};
  ASSERT_TRUE(windows[0] && windows[1]);
  windows[0]->SetBounds(101, 102, 480, 300);
  windows[1]->SetBounds(201, 202, 250, 240);
  TLifeCheck alive[] = {windows[0]->Watch(), windows[1]->Watch()};
  manager.reset();
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(alive[i] && IsWindowVisible(windows[i]->Handle())) << i;
  testsupport::Pump(50);
  EXPECT_FALSE(alive[0] || alive[1]) << "released";
  TFormSaver saver;
  ASSERT_TRUE(saver.LoadFromRegistry(kEventsManagerWinKey));
  EXPECT_EQ((std::vector<int>{saver.X, saver.Y, saver.W, saver.H}), (std::vector<int>{101, 102, 480, 300}));
  ASSERT_TRUE(saver.LoadFromRegistry(kLatestEventsWinKey));
  EXPECT_EQ((std::vector<int>{saver.X, saver.Y, saver.W, saver.H}), (std::vector<int>{201, 202, 250, 240}));
  for (const wchar_t* key : {kEventsManagerWinKey, kLatestEventsWinKey}) RegDeleteTreeW(HKEY_CURRENT_USER, key + 1);
}

}  // namespace
}  // namespace eventstest
