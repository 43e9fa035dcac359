// The real vxq.exe, started from a copy in a folder of the test's own (its notes live beside
// it), found by its window classes and driven from outside.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "notewindows/NoteTestEnv.h"
#include "shell/MainFormUnit.h"
#include "ui/TrayIcon.h"

namespace {

using notetest::LoadNote;
using notetest::PlainText;

std::wstring ProgramPath() {
  const char* exe = std::getenv("VXQ_EXE");
  if (!exe) return L"";
  std::string p = exe;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;  // a Unix path from CTest
  for (char& c : p)
    if (c == '/') c = '\\';
  return AnsiToWide(p);
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
  return true;
}

// The top-level windows of a class that belong to a process.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, bool visibleOnly) {
  struct Search {
    DWORD pid;
    const wchar_t* cls;
    bool visible;
    std::vector<HWND> found;
  } s{pid, className, visibleOnly, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (owner == s->pid && lstrcmpiW(cls, s->cls) == 0 && (!s->visible || IsWindowVisible(h)))
          s->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND RichEditOf(HWND note) { return FindWindowExW(note, nullptr, L"RICHEDIT20W", nullptr); }

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ProgramPath().empty()) << "VXQ_EXE is not set";
    folder_ = std::make_unique<testsupport::TempFolder>(
        Utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    exe_ = folder_->Path() + L"vxq.exe";
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), exe_.c_str(), FALSE));
    // The program keeps its notes beside itself: this process writes and reads them there.
    SetExeFolderOverride(folder_->Path());
    InitUserFolder();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
  }

  void TearDown() override {
    for (PROCESS_INFORMATION& pi : started_) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "a copy of the program was left running";
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
      }
      CloseHandle(pi.hProcess);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
    SetExeFolderOverride(L"");
    folder_.reset();
  }

  // Starts a copy with the switches; returns its process handle.
  HANDLE Start(const std::wstring& switches = L"") {
    std::wstring cmd = L"\"" + exe_ + L"\" " + switches;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_->Path().c_str(), &si,
                        &pi)) {
      ADD_FAILURE() << "cannot start the program: " << GetLastError();
      return nullptr;
    }
    CloseHandle(pi.hThread);
    started_.push_back(pi);
    return pi.hProcess;
  }

  // Waits for the main window of a started copy.
  HWND MainWindow(HANDLE process) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          auto w = WindowsOf(GetProcessId(process), L"TVantaroMainForm", false);
          found = w.empty() ? nullptr : w[0];
          return found != nullptr;
        },
        10000);
    return found;
  }

  static bool Ended(HANDLE process, DWORD ms) { return WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }

  // SafeSave off: only the shut-down writes what was typed.
  static void SetSetting(const wchar_t* key, const wchar_t* value, DWORD data) {
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    RegSetValueExW(k, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(k);
  }

  static void Type(HWND note, const std::wstring& text) {
    HWND edit = RichEditOf(note);
    ASSERT_NE(edit, nullptr);
    const LRESULT before = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
    // Sent messages overtake posted ones: wait until the keys are in before asking anything.
    EXPECT_TRUE(WaitUntil(
        [&] { return SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) >= before + static_cast<LRESULT>(text.size()); },
        5000));
  }

  std::wstring exe_;

 private:
  std::unique_ptr<testsupport::TempFolder> folder_;
  std::vector<PROCESS_INFORMATION> started_;
};

TEST_F(ProgramTest, StartsWithItsNotesInTheTrayOnceOnlyAndEndsOnTerminateSavingTheTyping) {
  SetSetting(L"SOFTWARE\\Belvanto\\VxVantaro", L"SafeSave", 0);
  notetest::WriteNote("NA1", 100, 100, 200, 150, L"First");
  notetest::WriteNote("NA2", 350, 100, 200, 150, L"Second");
  DWORD t0 = GetTickCount();
  HANDLE running = Start();
  HWND main = MainWindow(running);
  ASSERT_NE(main, nullptr) << "the main window appears";
  EXPECT_FALSE(IsWindowVisible(main)) << "and is never seen";
  const DWORD pid = GetProcessId(running);
  std::vector<HWND> notes;
  EXPECT_TRUE(WaitUntil([&] { return (notes = WindowsOf(pid, L"TNoteForm", true)).size() == 2; }, 5000))
      << "both notes are on the screen";
  auto tray = WindowsOf(pid, L"TTrayIconWindow", false);
  ASSERT_EQ(tray.size(), 1u);
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = tray[0];
  nid.uID = TTrayIcon::IconId;
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &nid)) << "the icon is in the notification area";
  printf("start: %lu ms\n", GetTickCount() - t0);

  HANDLE second = Start();
  EXPECT_TRUE(Ended(second, 5000)) << "a second copy ends at once";
  EXPECT_FALSE(Ended(running, 0)) << "and leaves the first one running";
  EXPECT_EQ(WindowsOf(GetProcessId(second), L"TVantaroMainForm", false).size(), 0u);

  ASSERT_FALSE(notes.empty());
  Type(notes[0], L"typed");
  t0 = GetTickCount();
  HANDLE terminate = Start(L"/terminate");
  EXPECT_TRUE(Ended(terminate, 15000)) << "the asking copy returns once the running one is done";
  EXPECT_TRUE(Ended(running, 5000)) << "the running copy ends";
  printf("terminate: %lu ms\n", GetTickCount() - t0);
  std::wstring typed;
  for (const char* id : {"NA1", "NA2"}) typed += PlainText(LoadNote(NoteFileName(id)));
  EXPECT_NE(typed.find(L"typed"), std::wstring::npos) << "saved before the end";
}

TEST_F(ProgramTest, SessionEndSavesEverythingBeforeItAnswers) {
  SetSetting(L"SOFTWARE\\Belvanto\\VxVantaro", L"SafeSave", 0);
  notetest::WriteNote("NB1", 100, 100, 200, 150, L"Session");
  HANDLE running = Start(L"/S");
  HWND main = MainWindow(running);
  ASSERT_NE(main, nullptr);
  std::vector<HWND> notes;
  ASSERT_TRUE(WaitUntil([&] { return (notes = WindowsOf(GetProcessId(running), L"TNoteForm", true)).size() == 1; },
                        5000));
  Type(notes[0], L"last words");
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(answer, 1u) << "the session may end";
  // The session kills the program right after the answer.
  TerminateProcess(running, 0);
  EXPECT_TRUE(Ended(running, 5000));
  EXPECT_NE(PlainText(LoadNote(NoteFileName("NB1"))).find(L"last words"), std::wstring::npos);
}

TEST_F(ProgramTest, HotKeyMakesAFocusedNoteAndExitFromTheTrayMenuEndsTheProgram) {
  SetSetting(L"SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys", L"NewNoteShortCut_m", 1);
  SetSetting(L"SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys", L"NewNoteShortCut_k", VK_F8);
  HANDLE running = Start(L"/s");
  HWND main = MainWindow(running);
  ASSERT_NE(main, nullptr);
  const DWORD pid = GetProcessId(running);
  // Wait until the engine is built: the hot key is then registered.
  ATOM atom = 0;
  ASSERT_TRUE(WaitUntil([&] { return (atom = GlobalFindAtomA("NewNoteShortCut")) != 0; }, 5000));
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(RegisterHotKey(probe, 1, MOD_WIN, VK_F8)) << "the program holds Win+F8";
  EXPECT_EQ(GetLastError(), 1409u);
  DestroyWindow(probe);

  PostMessageW(main, WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, VK_F8));
  std::vector<HWND> notes;
  ASSERT_TRUE(WaitUntil([&] { return (notes = WindowsOf(pid, L"TNoteForm", true)).size() == 1; }, 5000))
      << "a new note";
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  EXPECT_TRUE(WaitUntil(
      [&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(notes[0], nullptr), &gui) &&
               gui.hwndFocus == RichEditOf(notes[0]);
      },
      3000))
      << "ready for typing";

  auto tray = WindowsOf(pid, L"TTrayIconWindow", false);
  ASSERT_EQ(tray.size(), 1u);
  DWORD t0 = GetTickCount();
  PostMessageW(tray[0], TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_RBUTTONUP);
  std::vector<HWND> menus;
  ASSERT_TRUE(WaitUntil([&] { return !(menus = WindowsOf(pid, L"#32768", true)).empty(); }, 5000))
      << "the tray menu opens";
  // Up from nothing chosen lands on the last entry: Exit.
  PostMessageW(menus[0], WM_KEYDOWN, VK_UP, 0);
  PostMessageW(menus[0], WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(Ended(running, 10000)) << "Exit ends the program";
  printf("exit: %lu ms\n", GetTickCount() - t0);
  EXPECT_EQ(GlobalFindAtomA("NewNoteShortCut"), 0) << "its atom is released";
}

TEST_F(ProgramTest, UninstallAsksAndRemovesEveryUsersNotesOnlyOnYes) {
  notetest::WriteNote("NC1", 100, 100, 200, 150, L"Keep");
  const std::wstring file = NoteFileName("NC1");
  for (int answer : {IDNO, IDYES}) {
    HANDLE uninstall = Start(L"/UNINSTALL");
    std::vector<HWND> boxes;
    ASSERT_TRUE(WaitUntil([&] { return !(boxes = WindowsOf(GetProcessId(uninstall), L"#32770", true)).empty(); },
                          5000))
        << "the question";
    PostMessageW(boxes[0], WM_COMMAND, answer, 0);
    EXPECT_TRUE(Ended(uninstall, 10000));
    EXPECT_EQ(WindowsOf(GetProcessId(uninstall), L"TVantaroMainForm", false).size(), 0u) << "the program never ran";
    EXPECT_EQ(FileExists(file), answer == IDNO);
  }
  EXPECT_FALSE(DirectoryExists(ExtractFilePath(exe_) + L"Users"));
}

}  // namespace
