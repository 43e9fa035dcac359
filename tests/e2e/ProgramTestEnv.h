#pragma once
// The real vxq.exe, started from a copy in a folder of the test's own (its notes live beside
// it), found by its window classes and driven from outside: what every end-to-end file shares.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ForeignWindows.h"
#include "notewindows/NoteTestEnv.h"
#include "shell/MainFormUnit.h"
#include "ui/Registry.h"
#include "ui/TrayIcon.h"

namespace e2e {

using notetest::LoadNote;
using notetest::PlainText;

inline std::wstring ProgramPath() {
  const char* exe = std::getenv("VXQ_EXE");
  std::string p = exe ? exe : "";
  if (!p.empty() && p[0] == '/') p = "Z:" + p;  // a Unix path from CTest
  std::replace(p.begin(), p.end(), '/', '\\');
  return AnsiToWide(p);
}

using testsupport::kPatience;

inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = kPatience) { return testsupport::WaitFor(done, ms); }

// The top-level windows of a class that belong to a process.
inline std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, bool visibleOnly = true) {
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

// Waits for count windows of a class (or any, for 0); returns them, or nothing on a time-out.
inline std::vector<HWND> AwaitWindows(DWORD pid, const wchar_t* className, size_t count = 0, bool visibleOnly = true) {
  std::vector<HWND> w;
  const bool found = WaitUntil([&] {
    w = WindowsOf(pid, className, visibleOnly);
    return count ? w.size() == count : !w.empty();
  });
  return found ? w : std::vector<HWND>{};
}
inline HWND AwaitWindow(DWORD pid, const wchar_t* className, bool visibleOnly = true) {
  const std::vector<HWND> w = AwaitWindows(pid, className, 0, visibleOnly);
  return w.empty() ? nullptr : w[0];
}

inline HWND RichEditOf(HWND note) { return FindWindowExW(note, nullptr, L"RICHEDIT20W", nullptr); }

// The note window whose left edge is at x.
inline HWND NoteAtLeft(const std::vector<HWND>& notes, int x) {
  for (HWND n : notes)
    if (testsupport::ScreenRect(n).left == x) return n;
  return nullptr;
}

// Win and key pressed on the keyboard (xdotool) while a window of this process has the X
// keyboard focus, as Wine hands a hot key over only then; this thread's messages are handled
// until done() holds or ms pass. Returns whether done() held. xdotool sends the keys to that
// window, and the releases may still be on their way: destroyed, the window would end xdotool
// on an error with the keys left held down. It is only hidden, and lives as long as the test.
inline bool PressWinKey(const std::wstring& key, const std::function<bool()>& done, DWORD ms = kPatience) {
  const std::wstring name = L"vxq-e2e-keys-" + testsupport::UniquePart();
  HWND focus = CreateWindowExW(0, L"STATIC", name.c_str(), WS_POPUP | WS_VISIBLE, 600, 600, 80, 40, nullptr, nullptr,
                               nullptr, nullptr);
  const bool held = notetest::StartXdotool(L"search --sync --onlyvisible --name " + name +
                                           L" windowfocus --sync %1 sleep 0.2 key super+" + key) &&
                    WaitUntil(
                        [&] {
                          MSG msg;
                          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                          return done();
                        },
                        ms);
  ShowWindow(focus, SW_HIDE);
  return held;
}

// Keys posted to another process's pop-up menu (its items cannot be read from here under Wine).
inline void Choose(HWND menu, std::initializer_list<WPARAM> keys) {
  for (WPARAM k : keys) PostMessageW(menu, WM_KEYDOWN, k, 0);
}

// openbox on the test's display while this lives, with the program's windows handed to it (the
// test prefix keeps Wine's windows from any window manager, as Xvfb has none). A Unix process
// cannot be waited on from here: a file stands while openbox runs.
class WindowManager {
 public:
  WindowManager() {
    if (GetFileAttributesW(L"Z:\\usr\\bin\\openbox") == INVALID_FILE_ATTRIBUTES) return;
    const std::wstring flag = L"/tmp/vxq-openbox-" + testsupport::UniquePart();
    flag_ = L"Z:" + flag;
    std::replace(flag_.begin(), flag_.end(), L'/', L'\\');
    DeleteFileW(flag_.c_str());
    const std::wstring script = L"openbox --startup 'touch " + flag + L"' 2>/dev/null; rm -f " + flag;
    if (!notetest::StartUnixProgram(L"Z:\\bin\\sh", L"-c \"" + script + L"\"")) return;
    running_ = WaitUntil([&] { return FileExists(flag_); });
    TRegistry reg;
    if (reg.OpenKey(kAppKey, true)) reg.WriteString(L"Managed", L"Y");
  }
  ~WindowManager() {
    RegDeleteKeyW(HKEY_CURRENT_USER, kAppKey + 1);
    if (running_ && notetest::StartUnixProgram(L"Z:\\usr\\bin\\openbox", L"--exit")) {
      EXPECT_TRUE(WaitUntil([&] { return !FileExists(flag_); })) << "openbox ends";
    }
  }
  bool Running() const { return running_; }

 private:
  static constexpr const wchar_t* kAppKey = L"\\Software\\Wine\\AppDefaults\\vxq.exe\\X11 Driver";
  std::wstring flag_;
  bool running_ = false;
};

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
      if (!Ended(pi.hProcess, 0)) {
        ADD_FAILURE() << "a copy of the program was left running";
        TerminateProcess(pi.hProcess, 1);
        Ended(pi.hProcess, 5000);
      }
      CloseHandle(pi.hProcess);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
    SetExeFolderOverride(L"");
    folder_.reset();
  }

  // Starts a copy (exe_ unless told) with the switches; returns its process handle.
  HANDLE Start(const std::wstring& switches = L"", std::wstring exe = L"") {
    if (exe.empty()) exe = exe_;
    std::wstring cmd = L"\"" + exe + L"\" " + switches;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_->Path().c_str(), &si,
                        &pi)) {
      ADD_FAILURE() << "cannot start the program: " << GetLastError();
      return nullptr;
    }
    CloseHandle(pi.hThread);
    started_.push_back(pi);
    return pi.hProcess;
  }

  // Asks the running copy to end from a second one; true once both have ended, the running
  // one by itself (neither killed nor crashed).
  bool Terminate(HANDLE running) {
    HANDLE terminate = Start(L"/TERMINATE");
    EXPECT_TRUE(Ended(terminate, kPatience)) << "the asking copy returns";
    return EndedNormally(running, kPatience);
  }

  static HWND MainWindow(HANDLE process) { return AwaitWindow(GetProcessId(process), L"TVantaroMainForm", false); }
  // The tray icon's window: it stands from the first moment of start-up, before any note is read.
  static HWND TrayWindow(HANDLE process) { return AwaitWindow(GetProcessId(process), L"TTrayIconWindow", false); }
  // Waits until start-up is over (every note read, the engine built) and returns the tray
  // window: the tray menu opens only once the program's message loop runs. Its menu is closed
  // again.
  static HWND AwaitStartUp(HANDLE process) {
    HWND tray = TrayWindow(process);
    HWND menu = tray ? TrayMenu(tray) : nullptr;
    if (!menu) return nullptr;
    Choose(menu, {VK_ESCAPE});
    return WaitUntil([&] { return !IsWindowVisible(menu); }) ? tray : nullptr;
  }
  // Opens the tray menu (by a click the system would send) and returns its window.
  static HWND TrayMenu(HWND tray, bool click = false) {
    if (!click || !notetest::HaveXdotool() || !notetest::StartXdotool(L"mousemove 13 32 sleep 0.2 click 3"))
      PostMessageW(tray, TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_RBUTTONUP);
    DWORD pid = 0;
    GetWindowThreadProcessId(tray, &pid);
    return AwaitWindow(pid, L"#32768");
  }
  // The atom of a hot key, once the running copy has registered it.
  static ATOM HotKeyAtom(const char* name) {
    ATOM atom = 0;
    WaitUntil([&] { return (atom = GlobalFindAtomA(name)) != 0; });
    return atom;
  }

  static bool Ended(HANDLE process, DWORD ms) { return WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }
  // Ended, and by itself: neither killed nor crashed.
  static bool EndedNormally(HANDLE process, DWORD ms) {
    DWORD code = 1;
    return Ended(process, ms) && GetExitCodeProcess(process, &code) && code == 0;
  }

  // A number in the program's settings, under key below its own.
  static void SetSetting(const std::wstring& key, const wchar_t* value, DWORD data) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(L"\\SOFTWARE\\Belvanto\\VxVantaro" + key, true));
    reg.WriteInteger(value, static_cast<std::int32_t>(data));
  }
  // The hot key name with Win and vk.
  static void SetHotKey(const std::wstring& name, int vk) {
    SetSetting(L"\\ShortCuts\\Keys", (name + L"_m").c_str(), 1);
    SetSetting(L"\\ShortCuts\\Keys", (name + L"_k").c_str(), vk);
  }

  // Chooses a language file "tester" with one text translated; returns the reader of its texts.
  std::function<std::string(const wchar_t*, const wchar_t*)> UseTesterLanguage() {
    const std::wstring file = ExtractFilePath(exe_) + L"languages\\tester.lng";
    ForceDirectories(ExtractFilePath(file));
    EXPECT_TRUE(WritePrivateProfileStringW(L"LNG_Vantaro_Main", L"_NewNote", L"&Fresh Note", file.c_str()));
    TRegistry reg;
    EXPECT_TRUE(reg.OpenKey(L"\\SOFTWARE\\Belvanto\\VxVantaro", true));
    reg.WriteString(L"Language", L"tester");
    return [file](const wchar_t* section, const wchar_t* key) {
      wchar_t v[256] = {};
      GetPrivateProfileStringW(section, key, L"(none)", v, 256, file.c_str());
      return WideToUtf8(v);
    };
  }

  static void Type(HWND note, const std::wstring& text) {
    HWND edit = RichEditOf(note);
    ASSERT_NE(edit, nullptr);
    const LRESULT before = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
    // Sent messages overtake posted ones: wait until the keys are in before asking anything.
    EXPECT_TRUE(WaitUntil(
        [&] { return SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) >= before + static_cast<LRESULT>(text.size()); }));
  }

  std::wstring exe_;

 private:
  std::unique_ptr<testsupport::TempFolder> folder_;
  std::vector<PROCESS_INFORMATION> started_;
};

}  // namespace e2e
