// The notes manager window: its folders and list, sorting, renaming in place, its actions and
// menus, its placement, and the shut-down while it or one of its questions is open.
#include "ManagerTestEnv.h"
#include "PrintTestSupport.h"

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "shell/dlgAboutVantaro.h"
#include "shell/FormSaverClassUnit.h"
#include "shell/VxHTMLHelpunit.h"

#include <filesystem>
#include <fstream>
#include <limits>

namespace {

using managertest::ManagerTest;
using managertest::NoteSpec;
using testsupport::Pump;
using Names = std::vector<std::wstring>;

TDateTime Day(int d, int hour = 12) { return EncodeDateTime(2030, 5, d, hour); }

TEST_F(ManagerTest, WithoutNotesOnlyTheFixedFoldersAndNoNoteActions) {
  Start();
  Open();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(GetFocus(), form->NoteViewer->Handle()) << "the keys go to the list as the window opens";
  EXPECT_EQ(Folders(), (Names{L"All", L"* No Group *"}));
  EXPECT_TRUE(form->NoteViewer->Rows().empty());
  EXPECT_EQ(form->NotesFolders->FocusedNode(), form->NotesFolders->Roots()[0]) << "All is focused";
  form->UpdateActions();
  for (TAction* a : {form->_ShowNote, form->_EditNote, form->_DeleteNote, form->_HideGroup, form->_ShowGroup, form->_HideNote})
    EXPECT_FALSE(a->Enabled()) << WideToUtf8(a->Name());
  EXPECT_TRUE(form->_ShowNote->Visible()) << "a disabled Show Note stands in the menu";
  EXPECT_FALSE(form->_HideNote->Visible());
  for (TAction* a : {form->_NewNote, form->_RefreshAll, form->_PrintList, form->_About, form->_close})
    EXPECT_TRUE(a->Enabled()) << WideToUtf8(a->Name());
  EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << "a taskbar button";
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_MINIMIZEBOX, 0);
}

TEST_F(ManagerTest, FoldersFilterTheListByGroup) {
  Start({{L"plain", L""},
         {L"blanks", L"   "},
         {L"work1", L"Work"},
         {L"work2", L"WORK"},
         {L"home1", L"Home"},
         {L"home2", L" Home "},
         {L"ru1", L"Привет"},
         {L"ru2", L"Пример"},
         {L"x", L"X"}});
  Open();
  // Groups differing in case share a folder, named as the first note has it; groups differing
  // in blanks get one each, and each lists the notes of both. Two groups of one length outside
  // the code page are two folders.
  ASSERT_EQ(Folders(), (Names{L"All", L"* No Group *", L"Work", L"Home", L" Home ", L"Привет", L"Пример", L"X"}));
  struct Case {
    int folder;
    Names notes;
  } cases[] = {
      {0, {L"blanks", L"home1", L"home2", L"plain", L"ru1", L"ru2", L"work1", L"work2", L"x"}},
      {1, {L"blanks", L"plain"}},
      {2, {L"work1", L"work2"}},
      {3, {L"home1", L"home2"}},
      {4, {L"home1", L"home2"}},
      {5, {L"ru1"}},
      {6, {L"ru2"}},
      {7, {L"x"}},
  };
  for (const Case& c : cases) {
    ClickFolder(c.folder);
    EXPECT_EQ(Titles(), c.notes) << "folder " << c.folder;
  }
  // The folder stays by position when its group goes: after the last note of "X" is deleted
  // no folder stands there, and All takes the focus with every note.
  ClickFolder(7);
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDYES; });
  Click(form->NoteViewer, Row(L"x"));
  ASSERT_NE(form->FocusedNote(), nullptr);
  form->_DeleteNote->Execute();
  EXPECT_EQ(Folders(), (Names{L"All", L"* No Group *", L"Work", L"Home", L" Home ", L"Привет", L"Пример"}));
  EXPECT_EQ(form->NotesFolders->FocusedNode(), form->NotesFolders->Roots()[0]);
  EXPECT_EQ(Titles().size(), 8u);
  // A group that goes from the middle: the folder at that place now shows the next group.
  ClickFolder(2);
  Note(L"work1")->Note->Group = L"";
  Note(L"work2")->Note->Group = L"";
  form->UpdateList(true);
  EXPECT_EQ(Folders(), (Names{L"All", L"* No Group *", L"Home", L" Home ", L"Привет", L"Пример"}));
  EXPECT_EQ(form->NotesFolders->FocusedNode(), form->NotesFolders->Rows()[2]);
  EXPECT_EQ(Titles(), (Names{L"home1", L"home2"}));
  EXPECT_EQ(form->NoteViewer->FocusedNode(), nullptr) << "no note row is focused after a rebuild";
}

TEST_F(ManagerTest, OnlyNoteRowsTakeTheFocusAndNothingCollapses) {
  Start({{L"a", L"", 0, 0, false, false, true, "text of a"}, {L"b"}, {L"c"}});
  Open();
  TTreeGrid* v = form->NoteViewer;
  ASSERT_EQ(v->Rows().size(), 6u);
  Click(v, v->Rows()[1]);  // a preview row
  EXPECT_EQ(v->FocusedNode(), nullptr);
  EXPECT_EQ(form->FocusedNote(), nullptr);
  Click(v, v->Rows()[0]);
  EXPECT_EQ(form->FocusedNote(), Note(L"a"));
  FocusList();
  Key(VK_DOWN);  // steps over the preview row
  EXPECT_EQ(form->FocusedNote(), Note(L"b"));
  Key(VK_END);
  EXPECT_EQ(form->FocusedNote(), Note(L"c"));
  Key(VK_LEFT);  // would collapse the row
  EXPECT_EQ(v->Rows().size(), 6u);
  // Tab goes to the folder tree, where the arrows choose the folder, and back to the list.
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), form->NotesFolders->Handle());
  Key(VK_DOWN);
  EXPECT_EQ(form->NotesFolders->FocusedNode(), form->NotesFolders->Rows()[1]);
  EXPECT_EQ(Titles(), (Names{L"a", L"b", L"c"})) << "the notes without a group";
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), v->Handle());
  Key(VK_END);
  // A click on empty space leaves the focus where it was.
  RECT client;
  GetClientRect(v->Handle(), &client);
  SendMessageW(v->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, client.bottom - 3));
  SendMessageW(v->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, client.bottom - 3));
  EXPECT_EQ(form->FocusedNote(), Note(L"c"));
  // Texts, images and hints of the rows.
  const auto& r = v->Rows();
  EXPECT_EQ((Names{v->Source->GetText(v, r[0], 4), v->Source->GetText(v, r[1], 0), v->Source->GetText(v, r[1], 1),
                   v->Source->GetHint(v, r[0], 0), v->Source->GetHint(v, r[1], 0), v->Source->GetHint(v, r[2], 0)}),
            (Names{L" ", L"text of a", L"", L"Note text preview:\n\rtext of a", L"", L"Note text preview:\n\r"}));
  for (int c : {1, 2, 3}) EXPECT_EQ(v->Source->GetImageIndex(v, r[0], c, false), -1);
  EXPECT_EQ(v->Source->GetImageIndex(v, r[1], 0, false), -1);
}

TEST_F(ManagerTest, ImagesAndMomentsShowOpenMarkedAndTimedNotes) {
  Start({{L"closed", L"", EncodeDateTime(2030, 5, 1), EncodeDateTime(2030, 5, 1, 9, 30), false, false, true},
         {L"rolled on top", L"", 0, 0, true, true, false},
         {L"open", L"", 0, 0, false, false, false}});
  Open();
  TTreeGrid* v = form->NoteViewer;
  // Moments as the system formats them; midnight shows the date alone.
  const std::wstring alarm = v->Source->GetText(v, Row(L"closed"), 2), show = v->Source->GetText(v, Row(L"closed"), 3);
  EXPECT_EQ(alarm.find(L':'), std::wstring::npos) << WideToUtf8(alarm);
  EXPECT_EQ(show.rfind(alarm + L" ", 0), 0u) << WideToUtf8(show);
  EXPECT_NE(show.find(L"30"), std::wstring::npos) << WideToUtf8(show);
  auto image = [&](const wchar_t* t, int c) { return v->Source->GetImageIndex(v, Row(t), c, false); };
  EXPECT_EQ((std::vector<int>{image(L"closed", 0), image(L"open", 0), image(L"rolled on top", 4),
                              image(L"rolled on top", 5), image(L"open", 4), image(L"open", 5)}),
            (std::vector<int>{1, 0, 5, 5, 6, 6}));
}

TEST_F(ManagerTest, EveryColumnSortsBothWaysAndEqualKeysKeepListOrder) {
  // In list order: identifiers follow the table.
  Start({{L"b", L"g2", Day(3), 0, true, false},
         {L"A", L"G1", 0, Day(2), false, true},
         {L"c", L"g1", Day(1), Day(2), true, true},
         {L"ab", L"", Day(3), 0, false, false},
         {L"a", L"g2", 0, Day(1), false, false}});
  Open();
  Names listOrder;
  for (TNoteWrapper* w : Notes().Notes->List) listOrder.push_back(w->Note->Title);
  ASSERT_EQ(listOrder, (Names{L"b", L"A", L"c", L"ab", L"a"})) << "notes load in identifier order";
  EXPECT_EQ(Titles(), (Names{L"A", L"a", L"ab", L"b", L"c"})) << "by title at first, case ignored";
  struct Case {
    int column;
    Names ascending, descending;
  } cases[] = {
      // Title: "A" and "a" are equal and keep list order both ways.
      {0, {L"A", L"a", L"ab", L"b", L"c"}, {L"c", L"b", L"ab", L"A", L"a"}},
      // Group, then title within a group.
      {1, {L"ab", L"A", L"c", L"a", L"b"}, {L"b", L"a", L"c", L"A", L"ab"}},
      // Alarm: none first (in list order), then earliest to latest; equal moments keep list order.
      {2, {L"A", L"a", L"c", L"b", L"ab"}, {L"b", L"ab", L"c", L"A", L"a"}},
      {3, {L"b", L"ab", L"a", L"A", L"c"}, {L"A", L"c", L"a", L"b", L"ab"}},
      {4, {L"A", L"ab", L"a", L"b", L"c"}, {L"b", L"c", L"A", L"ab", L"a"}},
      {5, {L"b", L"ab", L"a", L"A", L"c"}, {L"A", L"c", L"b", L"ab", L"a"}},
  };
  for (const Case& c : cases) {
    if (form->NoteViewer->SortColumn() != c.column) ClickHeader(c.column);
    if (form->NoteViewer->SortDirection() != TSortDirection::sdAscending) ClickHeader(c.column);
    EXPECT_EQ(Titles(), c.ascending) << "column " << c.column << " ascending";
    ClickHeader(c.column);
    EXPECT_EQ(form->NoteViewer->SortDirection(), TSortDirection::sdDescending);
    EXPECT_EQ(Titles(), c.descending) << "column " << c.column << " descending";
  }
  // From Title ascending: Group twice, then Title: by title, still descending.
  ClickHeader(0);
  if (form->NoteViewer->SortDirection() != TSortDirection::sdAscending) ClickHeader(0);
  ClickHeader(1);
  EXPECT_EQ(form->NoteViewer->SortDirection(), TSortDirection::sdAscending);
  ClickHeader(1);
  EXPECT_EQ(Titles(), (Names{L"b", L"a", L"c", L"A", L"ab"}));
  ClickHeader(0);
  EXPECT_EQ(form->NoteViewer->SortColumn(), 0);
  EXPECT_EQ(form->NoteViewer->SortDirection(), TSortDirection::sdDescending);
  EXPECT_EQ(Titles(), (Names{L"c", L"b", L"ab", L"A", L"a"}));
  // Every preview row stands under its note.
  const auto& rows = form->NoteViewer->Rows();
  for (size_t i = 0; i + 1 < rows.size(); i += 2) {
    EXPECT_EQ(rows[i]->Kind, nkNote);
    EXPECT_EQ(rows[i + 1]->Kind, nkPreview);
    EXPECT_EQ(rows[i + 1]->Data, rows[i]->Data);
  }
}

TEST_F(ManagerTest, HandMadeOddValuesAreListedAndSortedTheSameWhateverTheOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::wstring longTitle(10000, L'x');
  // In list order; "inf" has an infinite alarm and an auto-show long before any calendar.
  Start({{longTitle, L"g"},
         {L"nan", L"", nan, nan},
         {L"empty", L""},
         {L"blank", L"   "},
         {L"inf", L"", inf, -1e300},
         {L"d", L"", Day(1), Day(1)},
         {L"e", L"", nan, nan}});
  Open();
  TTreeGrid* v = form->NoteViewer;
  EXPECT_TRUE(v->Source->GetText(v, Row(longTitle), 0) == longTitle) << "the long title whole";
  for (const wchar_t* t : {L"nan", L"inf", L"e"})
    for (int c : {2, 3}) EXPECT_EQ(v->Source->GetText(v, Row(t), c), L"") << "no date to show: " << WideToUtf8(t);
  EXPECT_NE(v->Source->GetText(v, Row(L"d"), 2), L"");
  // The long title shows as "x" in the orders below.
  const std::wstring x = L"x";
  auto titles = [&] {
    Names t = Titles();
    for (std::wstring& s : t)
      if (s == longTitle) s = x;
    return t;
  };
  // Values that are no date come before the real ones and keep list order among themselves.
  struct Case {
    int column;
    Names ascending, descending;
  } cases[] = {
      {1, {L"d", L"e", L"empty", L"inf", L"nan", L"blank", x}, {x, L"blank", L"nan", L"inf", L"empty", L"e", L"d"}},
      {2, {x, L"empty", L"blank", L"nan", L"inf", L"e", L"d"}, {L"d", L"nan", L"inf", L"e", x, L"empty", L"blank"}},
      {3, {x, L"empty", L"blank", L"nan", L"inf", L"e", L"d"}, {L"d", L"nan", L"inf", L"e", x, L"empty", L"blank"}},
  };
  for (const Case& c : cases) {
    // From two different starting orders: the result is the same.
    for (int from : {0, 1}) {
      v->SetSort(from, TSortDirection::sdDescending);
      v->SetSort(c.column, TSortDirection::sdAscending);
      EXPECT_EQ(titles(), c.ascending) << "column " << c.column << " ascending, from column " << from;
      v->SetSort(c.column, TSortDirection::sdDescending);
      EXPECT_EQ(titles(), c.descending) << "column " << c.column << " descending";
    }
  }
  RECT shot;
  GetWindowRect(form->Handle(), &shot);
  testsupport::SaveScreenShot(L"manager-odd-values", shot);
  ClickFolder(1);
  EXPECT_EQ(Titles().size(), 6u) << "the empty and the blank group are listed without a group";
}

TEST_F(ManagerTest, RenameInPlaceReachesTheNoteAndCancelGivesTheActionsBack) {
  Start({{L"first", L"", 0, 0, false, false, false, "body"}, {L"second"}});
  // Letters outside the code page reach the note and its file as they were typed.
  const std::wstring renamed = L"Renamed Привет 日本";
  Open();
  TTreeGrid* v = form->NoteViewer;
  TNoteWrapper* w = Note(L"first");
  ASSERT_TRUE(w->IsOpen());
  // F2 on a clicked row edits the title, and no other column.
  auto editTitle = [&](const std::wstring& t) { return Click(v, Row(t)), FocusList(), Key(VK_F2), v->IsEditing(); };
  ASSERT_TRUE(editTitle(L"first"));
  EXPECT_TRUE(form->ActionList->Suspended);
  EXPECT_FALSE(form->_DeleteNote->Enabled());
  HWND editor = v->EditorHandle();
  EXPECT_EQ(GetFocus(), editor);
  // Del deletes the selected text in the editor, never the note.
  Key(VK_DELETE);
  EXPECT_EQ(GetWindowTextLengthW(editor), 0);
  EXPECT_EQ(Notes().Notes->Count(), 2);
  Type(editor, renamed);
  Key(VK_RETURN);
  EXPECT_FALSE(v->IsEditing());
  EXPECT_EQ(w->Note->Title, renamed);
  EXPECT_FALSE(form->ActionList->Suspended);
  EXPECT_EQ(GetFocus(), v->Handle()) << "the keys stay in the list";
  EXPECT_EQ(notetest::LoadNote(w->FileName).Title, renamed) << "on disk at once, as typed text is";
  w->HideNote(true);

  // Every other end gives the edit up: the title stays, and every action works again. A click
  // on a column header sorts the rows away under the editor.
  const std::pair<const char*, std::function<void()>> endings[] = {
      {"Escape", [] { Key(VK_ESCAPE); }},
      {"focus to the folders", [&] { SetFocus(form->NotesFolders->Handle()), Pump(20); }},
      {"header click", [&] { ClickHeader(0); }},
  };
  for (const auto& [name, end] : endings) {
    ASSERT_TRUE(editTitle(L"second")) << name;
    Type(v->EditorHandle(), L"given up");
    end();
    EXPECT_FALSE(v->IsEditing()) << name << ": no editor left over another row";
    Key(VK_RETURN);
    EXPECT_EQ(Note(L"second")->Note->Title, L"second") << name;
    EXPECT_FALSE(form->ActionList->Suspended) << name;
    form->UpdateActions();
    EXPECT_TRUE(form->_DeleteNote->Enabled()) << name;
  }
  EXPECT_EQ(Titles(), (Names{L"second", renamed})) << "sorted descending";
  EXPECT_EQ(GetFocus(), v->Handle());
  // Ctrl+N works again: a new note.
  CtrlKey('N');
  EXPECT_EQ(Notes().Notes->Count(), 3);
  // A read-only note keeps its text, not its title: the title is renamed, the text and the
  // read-only state stay.
  TNoteWrapper* first = Note(renamed);
  first->ShowNote();
  first->Note->SetReadOnly(true);
  first->Form->ApplyReadOnly();
  Pump(20);
  ASSERT_TRUE(editTitle(renamed));
  Type(v->EditorHandle(), L"Locked");
  Key(VK_RETURN);
  EXPECT_EQ(first->Note->Title, L"Locked");
  EXPECT_TRUE(first->Note->GetReadOnly());
  EXPECT_EQ(first->Form->NoteEdit->Text(), L"body");
  EXPECT_NE(GetWindowLongPtrW(first->Form->NoteEdit->Handle(), GWL_STYLE) & ES_READONLY, 0);
  // A closed note's new title is on disk at once too.
  first->HideNote(true);
  ASSERT_TRUE(editTitle(L"Locked"));
  Type(v->EditorHandle(), L"Closed");
  Key(VK_RETURN);
  const TNoteClass stored = notetest::LoadNote(first->FileName);
  EXPECT_TRUE(stored.Title == L"Closed" && stored.GetHidden() && stored.GetReadOnly());
  // Other columns are never edited.
  Click(v, Row(L"second"));
  EXPECT_FALSE(v->EditNode(Row(L"second"), 1));
  EXPECT_FALSE(v->EditNode(v->Rows()[1], 0)) << "a preview row";
}

TEST_F(ManagerTest, ActionsThroughKeysAndMenusShowAtOnce) {
  Start({{L"one", L"grp", 0, 0, false, false, false}, {L"two", L"grp", 0, 0, false, false, true}, {L"three"}});
  Open();
  TTreeGrid* v = form->NoteViewer;
  TNoteWrapper* one = Note(L"one");
  ASSERT_TRUE(one->IsOpen());
  Click(v, Row(L"one"));
  form->UpdateActions();
  EXPECT_TRUE(form->_HideNote->Visible() && form->_HideNote->Enabled());
  EXPECT_FALSE(form->_ShowNote->Visible());
  CtrlKey('H');
  EXPECT_FALSE(one->IsOpen()) << "Ctrl+H closed the note";
  EXPECT_TRUE(one->Note->GetHidden());
  EXPECT_EQ(v->Source->GetImageIndex(v, Row(L"one"), 0, false), 1) << "the list shows it at once";
  EXPECT_EQ(form->FocusedNote(), nullptr) << "rebuilt: no row focused";
  Click(v, Row(L"one"));
  form->UpdateActions();
  EXPECT_TRUE(form->_ShowNote->Visible() && form->_ShowNote->Enabled());
  EXPECT_FALSE(form->_HideNote->Visible());
  CtrlKey('S');
  EXPECT_TRUE(one->IsOpen()) << "Ctrl+S showed it";
  EXPECT_TRUE(IsWindowVisible(one->Form->Handle()));
  // A double click shows or closes the note it is on.
  Click(v, Row(L"two"), 0, true);
  EXPECT_TRUE(Note(L"two")->IsOpen());
  Click(v, Row(L"two"), 0, true);
  EXPECT_FALSE(Note(L"two")->IsOpen());
  // Hide and show the whole group.
  Click(v, Row(L"one"));
  form->_HideGroup->Update();
  form->_HideGroup->Execute();
  EXPECT_FALSE(one->IsOpen() || Note(L"two")->IsOpen() || Note(L"three")->IsOpen());
  Click(v, Row(L"one"));
  form->_ShowGroup->Update();
  form->_ShowGroup->Execute();
  EXPECT_TRUE(one->IsOpen() && Note(L"two")->IsOpen());
  EXPECT_FALSE(Note(L"three")->IsOpen()) << "not of the group";
  // The menu bar: Notes > New Note, then Notes > Delete Note (declined still rebuilds).
  ChooseMenu(0, 0);
  EXPECT_EQ(Notes().Notes->Count(), 4);
  Click(v, Row(L"three"));
  int asked = 0;
  SetMessageBoxAnswerer([&](const MessageBoxRequest&) { return ++asked, IDNO; });
  ChooseMenu(0, 1);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Notes().Notes->Count(), 4);
  EXPECT_EQ(form->FocusedNote(), nullptr) << "the list was rebuilt";
  // Del deletes the focused note after the question.
  Click(v, Row(L"three"));
  const std::wstring file = Note(L"three")->FileName;
  SetMessageBoxAnswerer([&](const MessageBoxRequest&) { return ++asked, IDYES; });
  FocusList();
  Key(VK_DELETE);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Row(L"three"), nullptr);
  EXPECT_FALSE(FileExists(file));
  // F5 and View > Refresh All rebuild; Notes > Close closes the window.
  Note(L"one")->Note->Title = L"retitled";
  FocusList();
  Key(VK_F5);
  EXPECT_NE(Row(L"retitled"), nullptr);
  ChooseMenu(2, 0);
  EXPECT_NE(Row(L"retitled"), nullptr);
  ChooseMenu(0, 5);
  Pump(50);
  EXPECT_EQ(NotesManagerForm, nullptr);
}

TEST_F(ManagerTest, ChangesMadeElsewhereRepaintTheirNotesRowsAlone) {
  Start({{L"a", L"", 0, 0, false, false, false, "text a"},
         {L"b", L"", 0, 0, false, false, false, "text b"},
         {L"c", L"", 0, 0, false, false, false, "text c"}});
  Open();
  TTreeGrid* v = form->NoteViewer;
  Click(v, Row(L"a"));
  TNoteWrapper* b = Note(L"b");
  TNoteForm* f = b->Form;
  // The list stands painted, without the keyboard (a note that hides and shows again may pass
  // the activation to this window): what is painted again is what the list was told of.
  SetFocus(form->NotesFolders->Handle());
  SetForegroundWindow(f->Handle());
  Pump(30);
  const std::vector<TGridNode*> rows = v->Rows();  // a, its text, b, its text, c, its text
  struct Case {
    const char* name;
    std::function<void()> change;
  } cases[] = {
      {"text typed and saved",
       [&] {
         SendMessageW(f->NoteEdit->Handle(), EM_SETSEL, -1, -1);
         for (wchar_t c : std::wstring(L" more")) notetest::TypeChar(f, c);
         Pump(30);
         HRGN none = CreateRectRgn(0, 0, 0, 0);
         EXPECT_EQ(GetUpdateRgn(v->Handle(), none, FALSE), NULLREGION) << "nothing per key";
         DeleteObject(none);
         f->UpdateTimer->Tick();
       }},
      {"rolled up", [&] { f->ReduceToggle->Execute(); }},
      {"on top", [&] { f->ONTop->Execute(); }},
      {"alarm rang",
       [&] {
         b->Note->AlarmOn = true, b->Note->AlarmAt = EncodeDateTime(2019, 1, 1);
         Notes().CheckTimers();
         f->Allarme->SetEnabled(false);
       }},
  };
  for (const Case& c : cases) {
    UpdateWindow(v->Handle());  // whatever was pending before the change
    c.change();
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(v->Handle(), update, FALSE);
    for (int r = 0; r < 6; ++r) {
      const RECT cell = v->CellRect(rows[r], 1);
      EXPECT_EQ(RectInRegion(update, &cell) != 0, r == 2 || r == 3) << c.name << ": row " << r;
    }
    DeleteObject(update);
    EXPECT_EQ(v->Rows(), rows) << c.name << ": the rows were not made again";
    EXPECT_EQ(form->FocusedNote(), Note(L"a")) << c.name;
  }
  EXPECT_EQ(v->Source->GetText(v, rows[3], 0), L"text b more") << "the saved text";
  EXPECT_EQ(v->Source->GetText(v, rows[2], 2), L"Not Set") << "the alarm that rang";
  // A new title that sorts elsewhere moves the row, and the focus stays where it was.
  b->Note->Title = L"d";
  b->RefreshForm();
  EXPECT_EQ(Titles(), (Names{L"a", L"c", L"d"}));
  EXPECT_EQ(form->FocusedNote(), Note(L"a"));
  // A row that moves while a title is edited in place waits for the edit to end.
  v->SetSort(5, TSortDirection::sdAscending);  // "d" rolled up, last
  Click(v, Row(L"a"));
  FocusList();
  Key(VK_F2);
  ASSERT_TRUE(v->IsEditing());
  f->ReduceToggle->Execute();
  EXPECT_TRUE(v->IsEditing());
  EXPECT_EQ(Titles(), (Names{L"a", L"c", L"d"}));
  Key(VK_ESCAPE);
  EXPECT_EQ(Titles(), (Names{L"a", L"d", L"c"}));
  // A new group: the folders follow.
  b->Note->Group = L"new";
  b->RefreshForm();
  EXPECT_EQ(Folders(), (Names{L"All", L"* No Group *", L"new"}));
}

TEST_F(ManagerTest, ActionsOnANoteLeaveTheWindowInFrontOfTheNotes) {
  Start({{L"open", L"g", 0, 0, false, false, false}, {L"closed", L"g"}, {L"other", L"", 0, 0, false, false, false}});
  Open();
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDNO; });
  struct Case {
    const wchar_t* note;
    TAction* action;
  } cases[] = {{L"closed", form->_ShowNote}, {L"open", form->_HideNote},  {L"open", form->_ShowGroup},
               {L"open", form->_HideGroup},  {L"open", form->_DeleteNote}, {L"closed", form->_ShowNote}};
  for (const Case& c : cases) {
    Click(form->NoteViewer, Row(c.note));
    // Every open note over the window first.
    std::vector<HWND> windows{form->Handle()};
    for (TNoteWrapper* w : Notes().Notes->List)
      if (w->IsOpen()) {
        windows.push_back(w->Form->Handle());
        SetWindowPos(w->Form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    ASSERT_NE(testsupport::ZRank(form->Handle(), windows), 0);
    c.action->Update();
    c.action->Execute();
    Pump(30);
    for (TNoteWrapper* w : Notes().Notes->List)
      if (w->IsOpen()) windows.push_back(w->Form->Handle());
    EXPECT_EQ(testsupport::ZRank(form->Handle(), windows), 0) << WideToUtf8(c.action->Name());
  }
}

TEST_F(ManagerTest, MenusAreBuiltFromTheActions) {
  Start();
  Open();
  auto captions = [](TMenuItem* m) {
    std::wstring s;
    for (TMenuItem* i : m->Items()) s += i->Caption + L"|";
    return s;
  };
  EXPECT_EQ(captions(form->_NotesMenu) + captions(form->_PrintMenu) + captions(form->_HelpMenu),
            L"&New Note|&Delete Note|-|Refresh All|-|&Close|&Print current list|Print &setup|&Contents|-|&About|");
  EXPECT_EQ(captions(form->NotePopupMan->Items()),
            L"&Close Note|&Show Note|-|Show &all notes of the same group|Hide all notes of the same group|-|"
            L"&New Note|&Delete Note|-|Note &Properties|");
  EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 4);
  // Help > Contents opens the help file.
  std::vector<std::wstring> opened;
  SetShellOpenHook([&](const std::wstring& target) { opened.push_back(target); });
  const std::wstring before = helpFile;
  helpFile = L"C:\\vxq\\vxq.chm";
  ChooseMenu(3, 0);
  helpFile = before;
  SetShellOpenHook(nullptr);
  EXPECT_EQ(opened, std::vector<std::wstring>{L"C:\\vxq\\vxq.chm"});
  // Print > both, on a machine without any printer: the user is told, as the note's Print Note
  // tells it.
  ASSERT_TRUE(testsupport::DefaultPrinter().empty()) << "this prefix has no printer";
  std::vector<std::wstring> boxes;
  SetMessageBoxAnswerer([&](const MessageBoxRequest& r) { return boxes.push_back(r.Text), IDOK; });
  ChooseMenu(1, 0);
  ChooseMenu(1, 1);
  EXPECT_EQ(boxes, (std::vector<std::wstring>{L"The notes list cannot be printed: there is no printer.",
                                              L"The printer cannot be set up: there is no printer."}));
}

TEST_F(ManagerTest, SecondRequestBringsTheOneWindowBackAndPlacementIsKept) {
  Start({{L"n"}});
  TNotesManagerForm* first = Open();
  EXPECT_EQ(first->Left(), (GetSystemMetrics(SM_CXSCREEN) - first->Width()) / 2) << "centred the first time";
  VantaroEngine->ShowNotesManager();
  EXPECT_EQ(NotesManagerForm, first) << "one window";
  first->SetBounds(100, 120, 600, 420);
  first->Close();
  Pump(50);
  ASSERT_EQ(NotesManagerForm, nullptr);
  TNotesManagerForm* second = Open();
  EXPECT_EQ((std::vector<int>{second->Left(), second->Top(), second->Width(), second->Height()}),
            (std::vector<int>{100, 120, 600, 420}));
  second->SetWindowState(TWindowState::wsMaximized);
  second->Close();
  Pump(50);
  TNotesManagerForm* third = Open();
  EXPECT_EQ(third->WindowState(), TWindowState::wsMaximized);
  third->SetWindowState(TWindowState::wsNormal);
  EXPECT_EQ(third->Left(), 100) << "the restored placement is kept under the maximised one";
}

TEST_F(ManagerTest, ShutDownWithTheWindowOpenLetsGoOfEveryNote) {
  Start({{L"a", L"g"}, {L"b", L"g"}});
  Open();
  Click(form->NoteViewer, Row(L"a"));
  TLifeCheck alive = form->Watch();
  ShutdownOnce();
  EXPECT_EQ(NotesManagerForm, nullptr);
  Pump(100);
  EXPECT_FALSE(alive) << "the window went";
  Closing = false;
}

TEST_F(ManagerTest, TranslatedFromTheLanguageFile) {
  ForceDirectories(LanguagesFolder());
  std::ofstream(std::filesystem::path(LanguageFileName(L"italiano")), std::ios::binary)
      << "[LNG_Vantaro_About]\r\n_notes_manager_title=Gestore delle note\r\n_NewNote=&Nuova nota\r\n"
         "_NotesMenu=&Note\r\n_no_group=Senza gruppo\r\n_title=Titolo\r\n_reduced=Ridotta\r\n";
  InitLanguageEngine();
  LoadLanguage(L"italiano");
  Start({{L"n"}});
  Open();
  // Print and Group are not in the file: the built-in text; All is never translated.
  EXPECT_EQ((Names{form->Caption(), form->_NewNote->Caption(), form->_NotesMenu->Caption, form->_PrintMenu->Caption,
                   form->NoteViewer->ColumnCaption(0), form->NoteViewer->ColumnCaption(5),
                   form->NoteViewer->ColumnCaption(1), Folders()[1], Folders()[0]}),
            (Names{L"Gestore delle note", L"&Nuova nota", L"&Note", L"Print", L"Titolo", L"Ridotta", L"Group",
                   L"* Senza gruppo *", L"All"}));
  EXPECT_EQ(LanguageWrapper->Engine()->Section(), kGenericSection) << "the shared section is selected at the end";
  CloseNotesManagerForm();
  Pump(20);
  DoneLanguageEngine();
}

TEST_F(ManagerTest, PopupMenuAndAboutGiveTheActionsAndHotKeysBack) {
  Start({{L"n"}});
  Open();
  Click(form->NoteViewer, Row(L"n"));
  form->ActionList->Suspended = true;  // as a title edit leaves it
  // A right click on a row focuses it and opens the pop-up menu.
  TNoteWrapper* opened = nullptr;
  auto resume = form->NotePopupMan->OnPopup;
  form->NotePopupMan->OnPopup = [&](TComponent* sender) {
    opened = form->FocusedNote();
    resume(sender);
  };
  {
    testsupport::Watchdog closeMenu(300);
    RECT r = form->NoteViewer->CellRect(Row(L"n"), 0);
    const LPARAM at = MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2);
    form->NoteViewer->SetFocusedNode(nullptr);
    SendMessageW(form->NoteViewer->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    SendMessageW(form->NoteViewer->Handle(), WM_RBUTTONUP, 0, at);
    Pump(50);
  }
  EXPECT_EQ(opened, Note(L"n")) << "the menu opened on the clicked note";
  EXPECT_FALSE(form->ActionList->Suspended) << "opening the pop-up menu sets the actions back to normal";
  form->ActionList->Suspended = true;
  Click(form->NoteViewer, Row(L"n"));
  EXPECT_FALSE(form->ActionList->Suspended) << "and so does a click in the list";
  // About: the hot keys wait while the box is open and act again after it.
  static bool heldWhileOpen;
  heldWhileOpen = false;
  const UINT_PTR probe = testsupport::WhenReady([] { return testsupport::OpenModalForm<TAboutVantaro>() != nullptr; },
                                                 [] {
                                                   heldWhileOpen = !UIEnabled;
                                                   testsupport::OpenModalForm<TAboutVantaro>()->ModalResult = mrOk;
                                                 });
  TLifeCheck alive = form->Watch();
  {
    testsupport::Watchdog guard(testsupport::kPatience);
    form->_About->Execute();
  }
  KillTimer(nullptr, probe);
  EXPECT_TRUE(heldWhileOpen);
  EXPECT_TRUE(UIEnabled);
  EXPECT_TRUE(alive);
  EXPECT_TRUE(IsChild(form->Handle(), GetFocus())) << "the keys go to the window again after About";
}

}  // namespace
