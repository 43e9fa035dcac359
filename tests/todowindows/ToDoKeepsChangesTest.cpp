// Changes of the shown project are never dropped: not by another project, a rename, the hot
// key, a failed save, or the program's end at an awkward moment.
#include "ToDoTestEnv.h"
#include "ui/ExtCtrls.h"
#include "ui/Registry.h"

namespace {
using todotest::ToDoWindowTest;
using testsupport::Pump;

class ToDoKeepsChanges : public ToDoWindowTest {
 protected:
  // Two projects, the window on "Mine" with the priority of its only task changed, unsaved.
  void OpenWithUnsavedPriority() {
    Write(L"Mine", {{L"task", false, 5}, {L"done", true, 5}});
    Write(L"Other", {{L"o", false, 1}});
    Open();
    Choose(L"Mine");
    SelectRow(1);  // "task", after "done"
    form->Priority0Execute(0);
    ASSERT_TRUE(form->Unsaved());
    ASSERT_EQ(OnDisk(L"Mine"), "[task| |5][done|x|5]");
  }
  const std::string kChanged = "[task| |0][done|x|5]";
};

TEST_F(ToDoKeepsChanges, BeforeAnotherProjectIsShown) {
  OpenWithUnsavedPriority();
  Choose(L"Mine");
  EXPECT_EQ(Rows(), "[task| |0][done|x|5]") << "chosen again, read back with the change";
  Choose(L"Other");
  EXPECT_EQ(OnDisk(L"Mine"), kChanged);
  // Remove Completed Tasks, then away and back: the done task stays removed.
  Choose(L"Mine");
  yesNo = {IDYES};
  form->RemoveCTasksExecute();
  Choose(L"Other");
  Choose(L"Mine");
  EXPECT_EQ(Rows(), "[task| |0]");
}

TEST_F(ToDoKeepsChanges, BeforeTheHotKeyShowsTheList) {
  OpenWithUnsavedPriority();
  Open();
  EXPECT_EQ(OnDisk(L"Mine"), kChanged);
}

TEST_F(ToDoKeepsChanges, BeforeCreateRenameAndDelete) {
  OpenWithUnsavedPriority();
  inputs = {L"Renamed"};
  form->RenameCurrentProject();
  EXPECT_EQ(OnDisk(L"Renamed"), kChanged) << "the file moves with the tasks as shown";
  SelectRow(0);
  form->Priority0Execute(9);
  inputs = {L"Third"};
  form->CreateProject();
  EXPECT_EQ(OnDisk(L"Renamed"), "[done|x|5][task| |9]");
  // Declined, a delete keeps the project and its changes.
  Choose(L"Renamed");
  SelectRow(0);
  form->Priority0Execute(1);
  yesNo = {IDNO};
  form->DeleteCurrentProject();
  ClickList();
  EXPECT_EQ(OnDisk(L"Renamed"), "[done|x|1][task| |9]");
}

TEST_F(ToDoKeepsChanges, AtTheProgramsEndWithPlacement) {
  OpenWithUnsavedPriority();
  form->SetBounds(30, 40, 350, 300);
  TLifeCheck alive = form->Watch();
  CloseToDoListForm();
  EXPECT_EQ(ToDOListForm, nullptr);
  Pump(20);
  EXPECT_FALSE(alive);
  EXPECT_EQ(OnDisk(L"Mine"), kChanged);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kToDoWinKey, false));
  EXPECT_EQ(reg.ReadInteger(L"FormX"), 30);
  EXPECT_EQ(reg.ReadInteger(L"FormH"), 300);
}

TEST_F(ToDoKeepsChanges, DoneMarkByTheKeyboard) {
  Write(L"Mine", {{L"a", false, 1}, {L"b", false, 2}});
  Open();
  HWND list = form->ToDoList->Handle();
  SetFocus(list);
  SelectRow(1);
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageW(list, WM_CHAR, L' ', 0x00390001);
  SendMessageW(list, WM_KEYUP, VK_SPACE, 0xC0390001);
  Pump(30);
  EXPECT_EQ(Rows(), "[a| |1][b|x|2]");
  EXPECT_EQ(OnDisk(L"Mine"), "[a| |1][b|x|2]");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ToDoKeepsChanges, FailedSaveToldOnceAndTheTasksStay) {
  Write(L"Mine", {{L"old", false, 1}});
  Open();
  SetWriteFailAfter(0);
  inputs = {L"new"};
  form->CreateTask();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(ProjectFileName(L"Mine")), std::wstring::npos) << WideToUtf8(boxes[0]);
  EXPECT_EQ(Rows(), "[new| |1][old| |1]");
  EXPECT_EQ(OnDisk(L"Mine"), "[old| |1]") << "the old file is whole";
  // The user closes: the window stays, with its tasks, and says why.
  form->Close();
  Pump(20);
  EXPECT_EQ(ToDOListForm, form);
  EXPECT_EQ(boxes.size(), 2u);
  SetWriteFailAfter(std::nullopt);
  ClickList();
  EXPECT_EQ(OnDisk(L"Mine"), "[new| |1][old| |1]");
}

TEST_F(ToDoKeepsChanges, UnchangedTasksLeaveTheFileToOthers) {
  Write(L"P", {{L"a", false, 1}, {L"b", false, 2}});
  Open();
  // Another program writes the file while the window shows it.
  Write(L"P", {{L"theirs", false, 3}});
  const std::string theirs = "[theirs| |3]";
  inputs = {std::nullopt};
  form->CreateTask();
  EXPECT_EQ(OnDisk(L"P"), theirs) << "New Task cancelled";
  SelectRow(0);
  yesNo = {IDNO};
  form->RemoveTaskExecute();
  EXPECT_EQ(OnDisk(L"P"), theirs) << "Remove Task answered No";
  SelectRow(0);
  inputs = {std::nullopt, L"a"};
  form->EditSelectedTask();
  EXPECT_EQ(OnDisk(L"P"), theirs) << "Edit Task cancelled";
  form->EditSelectedTask();
  EXPECT_EQ(OnDisk(L"P"), theirs) << "Edit Task confirmed unchanged";
  ClickList();
  Open();
  EXPECT_EQ(OnDisk(L"P"), theirs) << "a click, the hot key";
  form->Close();
  Pump(20);
  EXPECT_EQ(OnDisk(L"P"), theirs) << "closed";
  // Deleted by the user meanwhile: not made again, neither by a close nor by the program's end.
  Open();
  ASSERT_TRUE(DeleteFileW(ProjectFileName(L"P").c_str()));
  form->Close();
  Pump(20);
  Write(L"Q", {});
  Open();
  ASSERT_TRUE(DeleteFileW(ProjectFileName(L"Q").c_str()));
  CloseToDoListForm();
  Pump(20);
  EXPECT_FALSE(FileExists(ProjectFileName(L"P")));
  EXPECT_FALSE(FileExists(ProjectFileName(L"Q")));
}

TEST_F(ToDoKeepsChanges, UnsafeNamesRefused) {
  Write(L"Mine", {});
  Open();
  const std::wstring parent = ExtractFilePath(NotesFolder.substr(0, NotesFolder.size() - 1));
  inputs = {L"..\\Escape", L"CON", L"sub/x"};
  form->CreateProject();
  EXPECT_EQ(form->CurrentProject(), L"") << "after a failed creation no project is selected";
  Choose(L"Mine");
  form->RenameCurrentProject();
  Choose(L"Mine");
  form->RenameCurrentProject();
  ASSERT_EQ(boxes.size(), 3u);
  for (const std::wstring& b : boxes) EXPECT_EQ(b.rfind(L"Error creating project\n\r", 0), 0u) << WideToUtf8(b);
  EXPECT_FALSE(FileExists(parent + L"Escape.tdl"));
  EXPECT_EQ(ProjectNames(), std::vector<std::wstring>{L"Mine"});
  // Dots inside a name are plain characters; a superscript digit makes a device all the same.
  boxes.clear();
  inputs = {L"Ideas... later", L"LPT\u00B2"};
  form->CreateProject();
  EXPECT_EQ(form->CurrentProject(), L"Ideas... later");
  form->RenameCurrentProject();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind(L"Error creating project\n\r", 0), 0u) << WideToUtf8(boxes[0]);
  EXPECT_TRUE(FileExists(ProjectFileName(L"Ideas... later")));
}

TEST_F(ToDoKeepsChanges, AProjectThatCouldNotBeReadIsNeverWrittenOver) {
  // Held by another program while the window read it: closing must not write the empty list.
  Write(L"Held", {{L"keep", false, 1}});
  {
    FileHandle lock(CreateFileW(ProjectFileName(L"Held").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    Open();
  }
  EXPECT_EQ(boxes.size(), 1u) << "the failed read is told";
  form->Close();
  Pump(20);
  EXPECT_EQ(OnDisk(L"Held"), "[keep| |1]");
  ASSERT_TRUE(DeleteFileW(ProjectFileName(L"Held").c_str()));

  // No text at all: left alone while unchanged, kept aside once the user writes a task.
  const std::wstring file = ProjectFileName(L"Bin");
  const std::vector<std::uint8_t> binary = {'M', 'Z', 0, 1, 2, 0, 'x'};
  ASSERT_EQ(WriteFileReplacing(file, binary), 0u);
  Open();
  form->Close();
  Pump(20);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, binary);
  Open();
  boxes.clear();
  inputs = {L"new"};
  form->CreateTask();
  EXPECT_EQ(OnDisk(L"Bin"), "[new| |1]");
  ASSERT_TRUE(ReadWholeFile(file + L".unread", bytes));
  EXPECT_EQ(bytes, binary);
  ASSERT_EQ(boxes.size(), 1u) << "the user is told where the file went";
  EXPECT_NE(boxes[0].find(file + L".unread"), std::wstring::npos) << WideToUtf8(boxes[0]);
}

TEST_F(ToDoKeepsChanges, AFileKeptAsideAtTheProgramsEndIsNamedInTheLog) {
  const std::wstring file = ProjectFileName(L"Held");
  Write(L"Held", {{L"keep", false, 1}});
  testsupport::WriteBytes(file + L".unread", {'x'});
  const std::wstring log = ExeFolder() + L"ExceptionsLog.txt";
  DeleteFileW(log.c_str());
  {
    // Held by another program: not read, and not moved while it is held.
    FileHandle lock(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    Open();
    inputs = {L"new"};
    form->CreateTask();
    ASSERT_TRUE(form->Unsaved());
  }
  boxes.clear();
  CloseToDoListForm();
  Pump(20);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(OnDisk(L"Held"), "[new| |1]");
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(file + L".unread2", bytes));
  ASSERT_TRUE(ReadWholeFile(log, bytes));
  const std::wstring text = Utf8ToWide(std::string(bytes.begin(), bytes.end()));
  EXPECT_NE(text.find(file + L".unread2"), std::wstring::npos) << WideToUtf8(text);
}

// ---------------------------------------------------------------- the end while a box is up

TEST_F(ToDoKeepsChanges, EndDuringTheRemoveQuestion) {
  OpenWithUnsavedPriority();
  // The hot keys wait while the question is up: the rows must not be loaded again under it.
  onBox = [](const MessageBoxRequest&) {
    EXPECT_FALSE(UIEnabled);
    CloseToDoListForm();
  };
  yesNo = {IDYES};
  form->RemoveTaskExecute();
  EXPECT_EQ(ToDOListForm, nullptr);
  Pump(20);
  EXPECT_EQ(OnDisk(L"Mine"), kChanged) << "saved as it stood when the program ended";
}

TEST_F(ToDoKeepsChanges, EndDuringTheInputBox) {
  OpenWithUnsavedPriority();
  onInput = [](const InputBoxRequest&) {
    EXPECT_FALSE(UIEnabled);
    CloseToDoListForm();
  };
  inputs = {L"late"};
  form->CreateTask();
  Pump(20);
  EXPECT_EQ(OnDisk(L"Mine"), kChanged);
  EXPECT_TRUE(UIEnabled);
}

TEST_F(ToDoKeepsChanges, EndWhileTheFailedSaveOfAProjectChangeIsTold) {
  OpenWithUnsavedPriority();
  SetWriteFailAfter(0);
  // The box already names "Other" while the failure of "Mine" is told; the end writes "Mine".
  onBox = [](const MessageBoxRequest&) {
    EXPECT_FALSE(UIEnabled) << "the hot key and the tray would save and read the list again";
    SetWriteFailAfter(std::nullopt);
    CloseToDoListForm();
  };
  Choose(L"Other");
  Pump(20);
  EXPECT_EQ(ToDOListForm, nullptr);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(OnDisk(L"Other"), "[o| |1]") << "another project is never written over";
  EXPECT_EQ(OnDisk(L"Mine"), kChanged);
  EXPECT_TRUE(UIEnabled);
}

TEST_F(ToDoKeepsChanges, EndWhileThePriorityMenuIsOpen) {
  OpenWithUnsavedPriority();
  auto* ender = new TTimer(nullptr, L"Ender", 50);
  ender->OnTimer = [&](TComponent*) {
    if (!TPopupMenu::Current()) return;
    ender->SetEnabled(false);
    CloseToDoListForm();
    EndMenu();
  };
  ender->SetEnabled(true);
  testsupport::Watchdog watchdog(testsupport::kPatience);
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  form->PriorityPopUP->Popup(10, 10);
  delete ender;
  EXPECT_FALSE(testsupport::Watchdog::fired);
  EXPECT_EQ(ToDOListForm, nullptr);
  Pump(20);
  EXPECT_EQ(OnDisk(L"Mine"), kChanged);
}
}  // namespace
