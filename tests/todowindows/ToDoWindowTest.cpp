// The to-do window on real project files: opening, the task commands, the project menu.
#include <filesystem>
#include <fstream>

#include "ToDoTestEnv.h"
#include "language/VxMultiLanguageEngine.h"
#include "ui/Registry.h"
#include "ui/ExtCtrls.h"
#include "ui/Screen.h"

namespace {
using todotest::ToDoWindowTest;
using testsupport::Pump;

TEST_F(ToDoWindowTest, WithoutProjectsOnlyNewProjectWorks) {
  Open();
  EXPECT_EQ(form->ProjectListCB->Items.Count(), 0);
  EXPECT_EQ(form->ToDoList->ItemCount(), 0);
  EXPECT_EQ(form->Caption(), L"My TODO List");
  for (TAction* a : {form->NewTask, form->RemoveTask, form->EditTask, form->RenameProject, form->DeleteProject,
                     form->PrintProject})
    EXPECT_FALSE(Enabled(a)) << WideToUtf8(a->Name());
  EXPECT_TRUE(Enabled(form->NewProject));
  EXPECT_TRUE(Enabled(form->RemoveCTasks));
  EXPECT_FALSE(Enabled(form->PriorityActions[3]));
  // Run anyway, the task commands say why they cannot.
  form->CreateTask();
  form->EditSelectedTask();
  EXPECT_EQ(boxes, (std::vector<std::wstring>{L"No Project Selected", L"No Project Selected"}));
}

TEST_F(ToDoWindowTest, OpensOnTheFirstProjectEveryTime) {
  Write(L"One", {{L"a", false, 1}});
  Write(L"Two", {{L"b", false, 1}});
  Open();
  const std::wstring first = FirstProject();
  EXPECT_EQ(form->CurrentProject(), first);
  const std::wstring second = first == L"One" ? L"Two" : L"One";
  Choose(second);
  EXPECT_EQ(form->CurrentProject(), second);
  EXPECT_TRUE(Enabled(form->NewTask));
  EXPECT_FALSE(Enabled(form->PriorityActions[0])) << "no row selected";
  SelectRow(0);
  EXPECT_TRUE(Enabled(form->PriorityActions[0]));
  Open();
  EXPECT_EQ(form->CurrentProject(), first);
  EXPECT_EQ(form, ToDOListForm) << "the same window";
}

TEST_F(ToDoWindowTest, ListSortedByPriorityThenTitleWithOldRowsFirst) {
  testsupport::WriteBytes(ProjectFileName(L"Old"), {'1', 'z', '\r', '\n', '0', 'a'});
  Open();
  EXPECT_EQ(Rows(), "[a| |-][z|x|-]") << "old rows have no picture";
  inputs = {L"New"};
  form->CreateTask();
  EXPECT_EQ(Rows(), "[a| |-][z|x|-][New| |1]");
  EXPECT_EQ(OnDisk(L"Old"), "[a| |9][z|x|9][New| |1]") << "saved in the INI form, new task last";
  Write(L"Old", {{L"b", false, 12}, {L"beta", false, 1}, {L"Beta", true, 1}, {L"x", false, 9}, {L"!", false, 0}});
  Open();
  EXPECT_EQ(Rows(), "[!| |0][Beta|x|1][beta| |1][x| |9][b| |-]");
}

TEST_F(ToDoWindowTest, NewTaskTakesItsPlaceAmongPriorityOne) {
  Write(L"P", {{L"Apple", false, 1}, {L"apple pie", false, 1}, {L"crit", false, 0}, {L"low", false, 9}});
  Open();
  inputs = {L"  apple  ", L""};
  form->CreateTask();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Caption, L"New task");
  EXPECT_EQ(asked[0].Prompt, L"Task text?");
  EXPECT_EQ(asked[0].MaxLength, 255);
  // Upper case first; a title that begins another comes before it; trimmed.
  EXPECT_EQ(Rows(), "[crit| |0][Apple| |1][apple| |1][apple pie| |1][low| |9]");
  EXPECT_EQ(OnDisk(L"P"), "[crit| |0][Apple| |1][apple pie| |1][low| |9][apple| |1]");
  // An empty answer adds nothing and saves all the same.
  form->CreateTask();
  EXPECT_EQ(form->ToDoList->ItemCount(), 5);
}

TEST_F(ToDoWindowTest, EditTask) {
  // An old plain-text file keeps the blanks of a title.
  const testsupport::Bytes old = {'0', ' ', ' ', 'p', 'a', 'd', 'd', 'e', 'd', ' ', ' ', '\r', '\n', '0', 'b'};
  testsupport::WriteBytes(ProjectFileName(L"P"), old);
  Open();
  form->EditSelectedTask();
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"No Task Selected"});
  // Cancelled, or confirmed as it stands, the title stays whole and nothing is written.
  SelectRow(0);
  inputs = {std::nullopt, L"  padded  "};
  form->EditSelectedTask();
  form->EditSelectedTask();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].Default, L"  padded  ") << "the starting text is the title as it is";
  EXPECT_EQ(Rows(), "[  padded  | |-][b| |-]");
  EXPECT_EQ(testsupport::ReadBytes(ProjectFileName(L"P")), old);
  // A new title keeps the row's place: the list is not sorted again.
  inputs = {L" zzz ", L"   "};
  form->EditSelectedTask();
  EXPECT_EQ(Rows(), "[zzz| |-][b| |-]");
  EXPECT_EQ(OnDisk(L"P"), "[zzz| |9][b| |9]");
  form->EditSelectedTask();
  EXPECT_EQ(Rows(), "[zzz| |-][b| |-]") << "a blank answer changes nothing";
}

TEST_F(ToDoWindowTest, EditingALongTitleNeverCutsIt) {
  const std::wstring title(300, L'x');
  Write(L"P", {{title, false, 1}});
  Open();
  SelectRow(0);
  inputs = {title, title + L"!"};
  form->EditSelectedTask();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Default, title);
  EXPECT_TRUE(asked[0].MaxLength == 0 || asked[0].MaxLength > 300) << "room for more than the title";
  EXPECT_EQ(OnDisk(L"P"), "[" + std::string(300, 'x') + "| |1]");
  form->EditSelectedTask();
  EXPECT_EQ(OnDisk(L"P"), "[" + std::string(300, 'x') + "!| |1]");
  // A new project's name is still at most 255 characters.
  inputs = {std::nullopt};
  form->CreateProject();
  EXPECT_EQ(asked.back().MaxLength, 255);
}

TEST_F(ToDoWindowTest, RemoveTask) {
  Write(L"P", {{L"a", false, 2}, {L"b", false, 3}});
  Open();
  form->RemoveTaskExecute();
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"No item selected"});
  // Answered No: nothing goes, and the project is saved (with the new priority of row 1).
  SelectRow(1);
  form->Priority0Execute(1);
  EXPECT_EQ(OnDisk(L"P"), "[a| |2][b| |3]") << "a priority waits for the next save point";
  SelectRow(0);
  yesNo = {IDNO, IDYES};
  form->RemoveTaskExecute();
  EXPECT_EQ(boxes.back(), L"Do you want to delete: b");
  EXPECT_EQ(OnDisk(L"P"), "[b| |1][a| |2]");
  form->RemoveTaskExecute();
  EXPECT_EQ(Rows(), "[a| |2]");
  EXPECT_EQ(OnDisk(L"P"), "[a| |2]");
}

TEST_F(ToDoWindowTest, RemoveCompletedTasks) {
  Write(L"P", {{L"a", true, 2}, {L"b", false, 3}, {L"c", true, 4}});
  Open();
  yesNo = {IDNO, IDYES};
  form->RemoveCTasksExecute();
  EXPECT_EQ(Rows(), "[a|x|2][b| |3][c|x|4]");
  form->RemoveCTasksExecute();
  EXPECT_EQ(boxes.back(), L"Are you sure that you want to remove all completed tasks? (no undo possible)");
  EXPECT_EQ(Rows(), "[b| |3]");
  ClickList();
  EXPECT_EQ(OnDisk(L"P"), "[b| |3]");
}

TEST_F(ToDoWindowTest, ProjectMenu) {
  Write(L"Keep", {{L"k", false, 1}});
  Open();
  // A new project is an empty file; its name is shown.
  inputs = {L"  Fresh  "};
  form->CreateProject();
  EXPECT_EQ(asked.back().Caption, L"New Project");
  EXPECT_EQ(asked.back().Prompt, L"Project Name?");
  EXPECT_EQ(form->CurrentProject(), L"Fresh");
  EXPECT_TRUE(testsupport::ReadBytes(ProjectFileName(L"Fresh")).empty());
  EXPECT_EQ(form->ToDoList->ItemCount(), 0);
  EXPECT_TRUE(boxes.empty());
  // A name in use: error 102 and that project shown.
  inputs = {L"KEEP"};
  form->CreateProject();
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Project already existent"});
  EXPECT_EQ(form->CurrentProject(), L"Keep");
  // Renamed: the file moves; a case-only rename counts as taken.
  inputs = {L"keep", L"Kept"};
  form->RenameCurrentProject();
  EXPECT_EQ(boxes.back(), L"Project already existent");
  EXPECT_EQ(asked.back().Caption, L"Rename Project");
  EXPECT_EQ(form->CurrentProject(), L"Keep");
  form->RenameCurrentProject();
  EXPECT_EQ(form->CurrentProject(), L"Kept");
  EXPECT_EQ(Rows(), "[k| |1]");
  EXPECT_FALSE(FileExists(ProjectFileName(L"Keep")));
  // Cancel shows the first project.
  inputs = {std::nullopt};
  form->CreateProject();
  EXPECT_EQ(form->CurrentProject(), FirstProject());
  // Deleting, down to the last project.
  for (int i = 0; i < 2; ++i) {
    const std::wstring name = form->CurrentProject();
    yesNo = {IDNO, IDYES};
    form->DeleteCurrentProject();
    EXPECT_TRUE(FileExists(ProjectFileName(name)));
    form->DeleteCurrentProject();
    EXPECT_EQ(boxes.back(), L"Do you want to delete: " + name);
    EXPECT_FALSE(FileExists(ProjectFileName(name)));
  }
  EXPECT_EQ(form->ProjectListCB->Items.Count(), 0);
  EXPECT_EQ(form->CurrentProject(), L"");
  EXPECT_EQ(form->ToDoList->ItemCount(), 0);
  EXPECT_FALSE(Enabled(form->DeleteProject));
}

TEST_F(ToDoWindowTest, VanishedProjectTellsWhy) {
  Write(L"P", {{L"a", false, 1}});
  Open();
  DeleteFileW(ProjectFileName(L"P").c_str());
  onBox = [](const MessageBoxRequest&) { EXPECT_FALSE(UIEnabled) << "the hot keys and the tray wait"; };
  Choose(L"P");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind(L"Error loading project\n\r" + ProjectFileName(L"P") + L": ", 0), 0u)
      << WideToUtf8(boxes[0]);
  EXPECT_EQ(form->ToDoList->ItemCount(), 0);
  // Not text, or too big: the file is named for every reason, on the one detail line.
  testsupport::WriteBytes(ProjectFileName(L"P"), {'M', 'Z', 0, 0, 1});
  Choose(L"P");
  ASSERT_EQ(boxes.size(), 2u);
  const std::wstring detail = boxes[1].substr(boxes[1].find(L"\n\r") + 2);
  EXPECT_EQ(detail.rfind(ProjectFileName(L"P") + L": ", 0), 0u) << WideToUtf8(boxes[1]);
  EXPECT_EQ(detail.find_first_of(L"\r\n"), std::wstring::npos) << WideToUtf8(boxes[1]);
}

TEST_F(ToDoWindowTest, PlacementKeptAndAnOffScreenOneIgnored) {
  Open();
  const SIZE screen = PrimaryScreenSize();
  EXPECT_EQ(form->Left(), (screen.cx - form->Width()) / 2);
  EXPECT_EQ(form->Top(), (screen.cy - form->Height()) / 2);
  form->SetBounds(40, 50, 400, 350);
  form->Close();
  Pump(20);
  EXPECT_EQ(ToDOListForm, nullptr);
  Open();
  EXPECT_EQ((std::vector<int>{form->Left(), form->Top(), form->Width(), form->Height()}),
            (std::vector<int>{40, 50, 400, 350}));
  form->Close();
  Pump(20);
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kToDoWinKey, false));
    reg.WriteInteger(L"FormX", screen.cx + 10);
  }
  Open();
  EXPECT_EQ(form->Left(), (screen.cx - form->Width()) / 2) << "a placement off the screen leaves it centred";
}

TEST_F(ToDoWindowTest, ClosedAndOpenedAgainIsANewWindowOnTheFirstProject) {
  Write(L"A", {{L"a", false, 1}});
  Write(L"B", {{L"b", false, 1}});
  Open();
  Choose(FirstProject() == L"A" ? L"B" : L"A");
  TLifeCheck old = form->Watch();
  form->CloseTODO->Execute();
  Pump(30);
  EXPECT_FALSE(old) << "released";
  EXPECT_EQ(ToDOListForm, nullptr);
  Open();
  EXPECT_EQ(form->CurrentProject(), FirstProject());
}

// Runs New Task with the real input box, and act on the box from a timer of the window once the
// box is up (a tick after it was found).
void NewTaskInTheRealBox(TToDOListForm* form, const std::function<void(HWND box)>& act) {
  auto* typist = new TTimer(form, L"Typist", 50);
  int ticks = 0;
  typist->OnTimer = [&](TComponent*) {
    HWND box = FindWindowW(L"TInputBoxForm", nullptr);
    if (!box || ++ticks < 2) return;
    typist->SetEnabled(false);
    act(box);
  };
  typist->SetEnabled(true);
  testsupport::Watchdog watchdog(testsupport::kPatience);
  form->CreateTask();
  EXPECT_FALSE(testsupport::Watchdog::fired);
  delete typist;
}

TEST_F(ToDoWindowTest, RealInputBox) {
  // The box itself, answered through its edit line and OK button from a timer.
  SetInputBoxAnswerer({});
  Write(L"P", {});
  Open();
  NewTaskInTheRealBox(form, [](HWND box) {
    HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 255) << "at most 255 characters";
    SetWindowTextW(edit, L"  Задача  ");
    wchar_t caption[64];
    GetWindowTextW(box, caption, 64);
    EXPECT_STREQ(caption, L"New task");
    testsupport::SaveScreenShot(L"todo-input-box", testsupport::ScreenRect(box));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(OnDisk(L"P"), "[Задача| |1]");
}

TEST_F(ToDoWindowTest, TranslatedFromTheLanguageFile) {
  ForceDirectories(LanguagesFolder());
  std::ofstream(std::filesystem::path(LanguageFileName(L"italiano")), std::ios::binary)
      << "[LNG_Vantaro_TODOList_l]\r\nNewTask=Nuova attivita\r\nNewTask_HINT=Nuova\r\n_NewTask=Nuova\r\n"
         "_TaskText=Testo?\r\n_Title=Titolo\r\n[LNG_Vantaro_Generic]\r\n_DOYouWanttoDelete=Eliminare\r\n";
  InitLanguageEngine();
  LoadLanguage(L"italiano");
  Write(L"P", {{L"a", false, 1}});
  Open();
  EXPECT_EQ(form->NewTask->Caption(), L"Nuova attivita");
  EXPECT_EQ(form->NewTask->Hint(), L"Nuova");
  EXPECT_EQ(form->Caption(), L"My TODO List") << "the caption is not translated";
  inputs = {L"b"};
  form->CreateTask();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Caption, L"Nuova");
  EXPECT_EQ(asked[0].Prompt, L"Testo?");
  EXPECT_EQ(asked[0].Caption, ToDoTexts.NewTask);
  SelectRow(0);
  yesNo = {IDNO};
  form->RemoveTaskExecute();
  EXPECT_EQ(boxes.back(), L"Eliminare: a");
  EXPECT_EQ(ToDoTexts.EditTask, L"Edit Task") << "not in the file: the built-in text";
  CloseToDoListForm();
  Pump(20);
  DoneLanguageEngine();
  ToDoTexts = TToDoTexts();
}

TEST_F(ToDoWindowTest, UnderALanguageWithLongTextsNoLabelOfTheWindowOrItsBoxesIsCut) {
  ForceDirectories(LanguagesFolder());
  testsupport::WriteLanguageTexts(LanguageFileName(L"italiano"), LR"(
[LNG_Vantaro_TODOList_l]
_Title=Titolo dell'attività
_NewTask=Nuova attività
_TaskText=Testo della nuova attività da aggiungere al progetto scelto (potrà essere cambiato in seguito)?
)");
  InitLanguageEngine();
  LoadLanguage(L"italiano");
  SetInputBoxAnswerer({});
  Write(L"P", {});
  Open();
  Pump(50);
  EXPECT_EQ(testsupport::CutTexts(form->Handle()), std::vector<std::string>{});
  testsupport::SaveScreenShot(L"todo-long-texts", testsupport::ScreenRect(form->Handle()));
  std::vector<std::string> cut{"not shown"};
  NewTaskInTheRealBox(form, [&](HWND box) {
    cut = testsupport::CutTexts(box);
    testsupport::SaveScreenShot(L"todo-input-box-long-texts", testsupport::ScreenRect(box));
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(cut, std::vector<std::string>{}) << "the prompt wraps and the box grows";
  CloseToDoListForm();
  Pump(20);
  DoneLanguageEngine();
  ToDoTexts = TToDoTexts();
}

TEST_F(ToDoWindowTest, SelectProjectTakesTheLastMatchLettersAToZAside) {
  Write(L"abc", {{L"lower", false, 1}});
  Open();
  // Entries that differ in case only, as a file system that tells them apart lists them.
  form->ProjectListCB->Items.Assign({L"abc", L"xyz", L"ABC", L"Дом"});
  form->SelectProject(L"aBc");
  EXPECT_EQ(form->ProjectListCB->ItemIndex(), 2);
  // No match: the selection stays.
  form->SelectProject(L"nothing");
  EXPECT_EQ(form->ProjectListCB->ItemIndex(), 2);
  form->SelectProject(L"дом");
  EXPECT_EQ(form->ProjectListCB->ItemIndex(), 2) << "only A to Z are taken without regard to case";
  boxes.clear();
  form->SelectProject(L"   ");
  EXPECT_EQ(form->ProjectListCB->ItemIndex(), 0);
  EXPECT_EQ(Rows(), "[lower| |1]");
}
}  // namespace
