#pragma once
// What the to-do window suites share: a fresh user folder with project files written by the
// document's own writer, the window opened as the program opens it, and the boxes answered.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "todo/TaskText.h"
#include "notewindows/NoteTestEnv.h"
#include "notes/InternalProcs.h"
#include "todo/ToDoListEngine.h"
#include "todowindows/ToDoListFormUnit.h"
#include "ui/FileIO.h"
#include "ui/InputBox.h"
#include "ui/MessageBox.h"

namespace todotest {

using tasktext::Describe;

using testsupport::Pump;

class ToDoWindowTest : public notetest::NoteTest {
 protected:
  void SetUp() override {
    NoteTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto\\VxVantaro\\TODOWin");
    SetMessageBoxAnswerer([this](const MessageBoxRequest& r) {
      boxes.push_back(r.Text);
      if (onBox) onBox(r);
      if ((r.Flags & MB_YESNO) != MB_YESNO) return IDOK;
      if (yesNo.empty()) {
        ADD_FAILURE() << "unexpected question: " << WideToUtf8(r.Text);
        return IDNO;
      }
      const int answer = yesNo.front();
      yesNo.pop_front();
      return answer;
    });
    SetInputBoxAnswerer([this](const InputBoxRequest& r, std::wstring& value) {
      asked.push_back(r);
      if (onInput) onInput(r);
      if (inputs.empty()) {
        ADD_FAILURE() << "unexpected input box: " << WideToUtf8(r.Caption);
        return false;
      }
      const std::optional<std::wstring> answer = inputs.front();
      inputs.pop_front();
      if (!answer) return false;
      value = *answer;
      return true;
    });
  }

  void TearDown() override {
    CloseToDoListForm();
    Pump(20);
    ToDOListForm = nullptr;
    form = nullptr;
    SetWriteFailAfter(std::nullopt);
    SetInputBoxAnswerer({});
    EXPECT_TRUE(yesNo.empty()) << "questions not asked";
    EXPECT_TRUE(inputs.empty()) << "input boxes not shown";
    NoteTest::TearDown();
  }

  static void Write(const std::wstring& name, const TToDoTasks& tasks) {
    ASSERT_EQ(WriteProjectFile(ProjectFileName(name), tasks), 0u);
  }
  static std::string OnDisk(const std::wstring& name) {
    TToDoTasks tasks;
    std::wstring failure;
    if (!ReadProjectFile(ProjectFileName(name), tasks, failure)) return "unreadable: " + WideToUtf8(failure);
    return Describe(tasks);
  }
  // The first project of the folder's own order: the one the window opens on.
  static std::wstring FirstProject() {
    const std::vector<std::wstring> names = ProjectNames();
    return names.empty() ? L"" : names[0];
  }

  // Opens the window as the hot key does.
  void Open() {
    ShowToDoList(nullptr);
    form = ToDOListForm;
    ASSERT_NE(form, nullptr);
    Pump(10);
  }
  // The rows as the list shows them: title, check box and picture.
  std::string Rows() {
    std::string s;
    for (int i = 0; i < form->ToDoList->ItemCount(); ++i) {
      const int image = form->ToDoList->ItemImage(i);
      s += "[" + WideToUtf8(form->ToDoList->ItemText(i)) + "|" + (form->ToDoList->Checked(i) ? "x" : " ") + "|" +
           (image >= 0 ? std::to_string(image) : std::string("-")) + "]";
    }
    return s;
  }
  void SelectRow(int row) { form->ToDoList->SetItemIndex(row); }
  // Chooses a project in the box as a user does.
  void Choose(const std::wstring& name) {
    const int i = form->ProjectListCB->Items.IndexOf(name);
    ASSERT_GE(i, 0) << WideToUtf8(name);
    form->ProjectListCB->SetItemIndex(i);
    form->ProjectListCBChange();
  }
  // A click in the list, as the list reports it.
  void ClickList() {
    NMHDR hdr{form->ToDoList->Handle(), form->ToDoList->ControlId(), static_cast<UINT>(NM_CLICK)};
    SendMessageW(GetParent(form->ToDoList->Handle()), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
  }
  bool Enabled(TAction* a) {
    form->ActionList->UpdateActions();
    return a->Enabled();
  }

  TToDOListForm* form = nullptr;
  std::deque<int> yesNo;
  std::deque<std::optional<std::wstring>> inputs;
  std::vector<InputBoxRequest> asked;
  std::function<void(const MessageBoxRequest&)> onBox;
  std::function<void(const InputBoxRequest&)> onInput;
};

}  // namespace todotest
