// The to-do list in the real program: opened by its hot key, a task typed, ticked and given a
// priority, and all of it on disk after the program was ended with the window still open.
#include "ProgramTestEnv.h"
// after windows.h
#include <commctrl.h>

#include "todo/TaskText.h"
#include "todo/ToDoListEngine.h"
#include "todowindows/ToDoListFormUnit.h"

namespace {
using e2e::AwaitWindow;
using e2e::Choose;
using e2e::ProgramTest;
using e2e::WaitUntil;

// The first descendant window of a class (and caption, when given).
HWND ChildOfClass(HWND parent, const wchar_t* className, const wchar_t* text = nullptr) {
  struct Search {
    const wchar_t *cls, *text;
    HWND found;
  } search{className, text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t cls[64], caption[64];
        GetClassNameW(h, cls, 64);
        GetWindowTextW(h, caption, 64);
        if (_wcsicmp(cls, s->cls) != 0 || (s->text && wcscmp(caption, s->text) != 0)) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND h) {
  wchar_t text[256] = L"";
  SendMessageW(h, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(ProgramTest, ToDoHotKeyOpensTheFirstProjectAndTheTasksSurviveTerminate) {
  std::wstring failure;
  ASSERT_EQ(CreateProjectFile(L"Errands", failure), TProjectFileResult::Done);
  ASSERT_EQ(CreateProjectFile(L"Garden", failure), TProjectFileResult::Done);
  const std::wstring first = ProjectNames().at(0);
  SetHotKey(L"ToDoListShortCut", VK_F6);
  HANDLE running = Start(L"/s");
  const DWORD pid = GetProcessId(running);
  const ATOM atom = HotKeyAtom("ToDoListShortCut");
  ASSERT_NE(atom, 0);
  HWND window = nullptr;
  if (notetest::HaveXdotool()) {
    e2e::PressWinKey(L"F6", [&] {
      return (window = FindWindowW(L"TToDOListForm", nullptr)) != nullptr && IsWindowVisible(window);
    });
    EXPECT_NE(window, nullptr) << "Win+F6 on the keyboard opens the to-do list";
  }
  if (!window) PostMessageW(MainWindow(running), WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, VK_F6));
  window = AwaitWindow(pid, L"TToDOListForm");
  ASSERT_NE(window, nullptr);
  HWND box = ChildOfClass(window, L"ComboBox"), list = ChildOfClass(window, WC_LISTVIEWW);
  ASSERT_TRUE(box && list);
  EXPECT_EQ(TextOf(box), first) << "opens on the first project";

  // A task typed into the new-task box, started from the tool bar's first button.
  HWND newTask = ChildOfClass(window, L"Button", L"NewTask");
  ASSERT_NE(newTask, nullptr);
  PostMessageW(newTask, BM_CLICK, 0, 0);
  HWND input = AwaitWindow(pid, L"TInputBoxForm");
  ASSERT_NE(input, nullptr);
  HWND edit = FindWindowExW(input, nullptr, L"Edit", nullptr);
  for (wchar_t c : std::wstring(L"Water the roses")) PostMessageW(edit, WM_CHAR, c, 1);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) >= 15; }));
  PostMessageW(input, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }));

  // Ticked with the keyboard, then given priority 2 through the list's pop-up menu.
  PostMessageW(list, WM_KEYDOWN, VK_HOME, 0x00470001);
  PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
  PostMessageW(list, WM_CHAR, L' ', 0x00390001);
  PostMessageW(list, WM_KEYUP, VK_SPACE, 0xC0390001);
  EXPECT_TRUE(WaitUntil([&] {
    return (SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
  }));
  PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  HWND menu = AwaitWindow(pid, L"#32768");
  ASSERT_NE(menu, nullptr);
  Choose(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});  // Critical, Priority 1, Priority 2
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  // Moved by the user to where it never opens by itself. The move is carried out by the
  // program's thread, after the chosen item (which runs as soon as its menu has gone).
  SetWindowPos(window, nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(WaitUntil([&] { return testsupport::ScreenRect(window).left == 70; }));
  const RECT placed = testsupport::ScreenRect(window);

  // Ended from outside with the window open: its own close handling saves the project, and its
  // placement for the next time it opens.
  EXPECT_TRUE(Terminate(running));
  TToDoTasks tasks;
  ASSERT_TRUE(ReadProjectFile(ProjectFileName(first), tasks, failure)) << WideToUtf8(failure);
  EXPECT_EQ(tasktext::Describe(tasks), "[Water the roses|x|2]");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kToDoWinKey, false)) << "the placement is saved";
  EXPECT_EQ((std::vector{reg.ReadInteger(L"FormX"), reg.ReadInteger(L"FormY"), reg.ReadInteger(L"FormW"),
                         reg.ReadInteger(L"FormH")}),
            (std::vector<std::int32_t>{placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top}));
}
}  // namespace
