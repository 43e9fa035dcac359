#pragma once
// Helpers shared by the test suites: throwaway folders, pumping messages, screenshots.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "gtest/gtest.h"
#include "notes/InternalProcs.h"
#include "ui/Application.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Graphics.h"
#include "ui/Paths.h"
#include "ui/Types.h"

namespace testsupport {

// How long a test waits for a state before it counts as never coming: many times what it takes
// here, as a machine with every core busy may be that much slower. Only a hang runs into it.
inline constexpr DWORD kPatience = 30000;

// A name part that no other process or run has used: Wine reuses process ids, and a run that
// failed (or was killed) may have left a folder named after the same id behind.
inline std::wstring UniquePart() {
  static std::atomic<unsigned> made{0};
  wchar_t random[16];
  _ultow(std::random_device{}(), random, 36);
  return std::to_wstring(GetCurrentProcessId()) + L"-" + random + L"-" + std::to_wstring(made++);
}

// A fresh folder under the temp folder, of a name no other one has, removed with everything in
// it at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& name) {
    do path_ = Temp() + L"vxq-" + name + L"-" + UniquePart() + L"\\";
    while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    ForceDirectories(path_);
  }
  // Takes over the latest folder of name that the process pid made and could not remove (it
  // ended abruptly), to remove it at the end; Path() is empty when there is none.
  TempFolder(const std::wstring& name, DWORD pid) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((Temp() + L"vxq-" + name + L"-" + std::to_wstring(pid) + L"-*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    FILETIME latest{};
    do {
      if (CompareFileTime(&found.ftCreationTime, &latest) < 0) continue;
      latest = found.ftCreationTime;
      path_ = Temp() + found.cFileName + L"\\";
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  ~TempFolder() { Remove(); }
  const std::wstring& Path() const { return path_; }

 private:
  static std::wstring Temp() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    return tmp;
  }
  void Remove() {
    if (path_.empty()) return;
    std::wstring from = path_.substr(0, path_.size() - 1);
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
  }
  std::wstring path_;
};

// A user of the current test's own: the program's folder is a fresh temp folder named after the
// test, with the user's data folder made in it; both go at the end.
class TestUserFolder {
 public:
  TestUserFolder() : folder_(Utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    SetExeFolderOverride(folder_.Path());
    InitUserFolder();
  }
  ~TestUserFolder() { SetExeFolderOverride(L""); }
  const std::wstring& Path() const { return folder_.Path(); }

 private:
  TempFolder folder_;
};

using Bytes = std::vector<std::uint8_t>;

// Waits, without handling messages, until done() holds or ms have passed; returns whether it held.
inline bool WaitFor(const std::function<bool()>& done, DWORD ms = kPatience) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(20))
    if (GetTickCount() - start > ms) return false;
  return true;
}

// Makes link a Unix symbolic link to target through ln, as Wine itself makes none; returns
// whether ln could be started.
inline bool MakeUnixLink(const std::wstring& link, const std::wstring& target) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  auto quoted = [unixName](std::wstring path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    char* name = unixName(path.c_str());
    const std::wstring q = L"\"" + Utf8ToWide(name ? name : "") + L"\"";
    HeapFree(GetProcessHeap(), 0, name);
    return q;
  };
  std::wstring cmd = L"ln -s " + quoted(target) + L" " + quoted(link);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\ln", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// Makes link a link to the folder target. Where the system makes symbolic links it is one;
// Wine only pretends to (its CreateSymbolicLinkW does nothing) but shows a Unix link to a
// folder as a link, so there ln makes one. Returns whether link now stands as a link.
inline bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target) {
  auto isLink = [](const std::wstring& p) {
    const DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
  };
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && isLink(link)) return true;
  if (!MakeUnixLink(link, target)) return false;
  // A Unix process is not waited for through its handle.
  return WaitFor([&] { return isLink(link); });
}

// Makes link a symbolic link to the file target, as MakeDirectoryLink does for a folder. Wine
// shows such a link as the file itself (not as a link): it stands once the file is found there.
inline bool MakeFileLink(const std::wstring& link, const std::wstring& target) {
  auto stands = [](const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; };
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), 0) && stands(link)) return true;
  if (!MakeUnixLink(link, target)) return false;
  return WaitFor([&] { return stands(link); });
}

inline Bytes ReadBytes(const std::wstring& path) {
  std::ifstream f(std::filesystem::path(path), std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// A file's bytes as a string, to search in.
inline std::string ReadText(const std::wstring& path) {
  const Bytes b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

inline void WriteBytes(const std::wstring& path, const Bytes& bytes) {
  std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline RECT ScreenRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// A pixel of the screen, where our windows are drawn.
inline COLORREF ScreenPixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

// Where a window stands in the z-order among the given ones: 0 is the topmost.
inline int ZRank(HWND w, const std::vector<HWND>& among) {
  int rank = 0;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == w) return rank;
    for (HWND a : among)
      if (h == a) ++rank;
  }
  return -1;
}

// The build folder CTest names (Wine maps / to drive Z:), with a trailing backslash.
inline std::wstring BuildFolder() {
  const char* build = std::getenv("VXQ_BUILD_DIR");
  std::string b = build ? build : ".";
  if (!b.empty() && b[0] == '/') b = "Z:" + b;
  return AnsiToWide(b) + L"\\";
}

// Holds modifiers down for the keys posted meanwhile (the message loop reads the key state).
class HeldKey {
 public:
  explicit HeldKey(std::vector<int> keys) : keys_(std::move(keys)) { Set(0x80); }
  explicit HeldKey(int vk) : HeldKey(std::vector<int>{vk}) {}
  ~HeldKey() { Set(0); }

 private:
  void Set(BYTE state) {
    BYTE k[256];
    GetKeyboardState(k);
    for (int vk : keys_) k[vk] = state;
    SetKeyboardState(k);
  }
  std::vector<int> keys_;
};

// Lets the application handle its messages for about ms milliseconds.
inline void Pump(int ms) {
  DWORD end = GetTickCount() + ms;
  do {
    if (Application) Application->ProcessMessages();
    Sleep(5);
  } while (static_cast<int>(end - GetTickCount()) > 0);
  if (Application) Application->ProcessMessages();
}

// The end of the Windows session as the system brings it to one window: the question, then
// WM_ENDSESSION saying whether the session ends (it does when this window and every other
// program agreed). Returns the window's answer to the question.
inline LRESULT EndSession(HWND h, bool othersAgree = true) {
  const LRESULT answer = SendMessageW(h, WM_QUERYENDSESSION, 0, 0);
  if (IsWindow(h)) SendMessageW(h, WM_ENDSESSION, answer && othersAgree, 0);
  return answer;
}

// Pumps until pred() holds or ms pass; returns pred().
template <class Pred>
bool PumpUntil(Pred pred, int ms = kPatience) {
  DWORD end = GetTickCount() + ms;
  while (!pred() && static_cast<int>(end - GetTickCount()) > 0) Pump(10);
  return pred();
}

// The folder where screenshots go: build/shots (scripts/test turns them into PNG files).
inline std::wstring ShotsFolder() {
  const std::wstring dir = BuildFolder() + L"shots\\";
  ForceDirectories(dir);
  return dir;
}

// Saves the screen rectangle r (screen coordinates) as a BMP named name.bmp.
inline bool SaveScreenShot(const std::wstring& name, RECT r) {
  TBitmap bmp(r.right - r.left, r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(bmp.DC(), 0, 0, bmp.Width(), bmp.Height(), screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return bmp.SaveToFile(ShotsFolder() + name + L".bmp");
}

inline bool SaveScreenShot(const std::wstring& name) {
  return SaveScreenShot(name, RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

// The texts a window shows cut, one line each, naming the control's text: a label whose text,
// measured with its own font, is wider than the label or (wrapped) higher; a check box, radio
// button, push button or group box whose caption is wider than the room it leaves for it; or
// such a control lying partly outside its parent. Hidden controls (another page's) are passed
// over, and so are the buttons that paint themselves.
inline std::vector<std::string> CutTexts(HWND window) {
  std::vector<std::string> cut;
  auto check = [&](HWND h) {
    wchar_t kind[32] = L"";
    GetClassNameW(h, kind, 32);
    const bool label = !lstrcmpiW(kind, L"Static"), button = !lstrcmpiW(kind, L"Button");
    const DWORD style = GetWindowLongW(h, GWL_STYLE);
    if (!lstrcmpiW(kind, WC_HEADERW) && IsWindowVisible(h)) {
      // A list's column headers: each caption within its column, beside the item's margins.
      HDC dc = GetDC(h);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
      for (int i = 0; i < Header_GetItemCount(h); ++i) {
        wchar_t text[256] = L"";
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 256;
        RECT r{};
        SIZE need{};
        if (!Header_GetItem(h, i, &item) || !Header_GetItemRect(h, i, &r) || !*text) continue;
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &need);
        if (need.cx + 12 > r.right - r.left)
          cut.push_back("header \"" + WideToUtf8(text) + "\" needs " + std::to_string(need.cx + 12) + " and has " +
                        std::to_string(r.right - r.left));
      }
      SelectObject(dc, old);
      ReleaseDC(h, dc);
      return;
    }
    if (!IsWindowVisible(h) || !(label || button)) return;
    const DWORD type = label ? style & SS_TYPEMASK : style & BS_TYPEMASK;
    const bool wraps = label ? type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT : (style & BS_MULTILINE) != 0;
    // Room the control's own drawing takes beside the text: the box of a check box, the frame.
    int beside = 0;
    if (label && type > SS_LEFTNOWORDWRAP && type != SS_SIMPLE) return;  // pictures, frames
    if (button) switch (type) {
        case BS_GROUPBOX: beside = 16; break;
        case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: beside = GetSystemMetrics(SM_CXMENUCHECK) + 4; break;
        case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: beside = 4; break;
        default: return;
      }
    const int length = GetWindowTextLengthW(h);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(h, text.data(), length + 1));
    RECT client;
    GetClientRect(h, &client);
    const std::string name = "\"" + WideToUtf8(text) + "\"";
    if (HWND parent = GetParent(h); parent && parent != GetDesktopWindow()) {
      RECT own = ScreenRect(h), inside;
      GetClientRect(parent, &inside);
      MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&inside), 2);
      if (own.left < inside.left || own.top < inside.top || own.right > inside.right || own.bottom > inside.bottom)
        cut.push_back(name + " lies partly outside its parent");
    }
    if (text.empty()) return;
    HDC dc = GetDC(h);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    const int room = std::max<int>(client.right - beside, 1);
    RECT need{0, 0, room, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
              DT_CALCRECT | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : 0) |
                  (label && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    // A group box's caption stands on its frame: only its width counts.
    if (need.right > room || (type != BS_GROUPBOX && need.bottom > client.bottom))
      cut.push_back(name + " needs " + std::to_string(need.right + beside) + "x" + std::to_string(need.bottom) +
                    " and has " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
  };
  EnumChildWindows(
      window,
      [](HWND h, LPARAM f) {
        (*reinterpret_cast<decltype(check)*>(f))(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&check));
  return cut;
}

// Writes the texts of an INI text ("[section]" lines, then "key=text" lines) into a language
// file, as a translator would have them there.
inline void WriteLanguageTexts(const std::wstring& file, const std::wstring& ini) {
  std::wstring section;
  for (size_t start = 0, end; start < ini.size(); start = end + 1) {
    end = std::min(ini.find(L'\n', start), ini.size());
    const std::wstring line = ini.substr(start, end - start);
    const size_t equals = line.find(L'=');
    if (line.size() > 2 && line.front() == L'[' && line.back() == L']')
      section = line.substr(1, line.size() - 2);
    else if (equals != std::wstring::npos && equals > 0)
      WritePrivateProfileStringW(section.c_str(), line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(),
                                 file.c_str());
  }
}

// The program's visual styles (its manifest asks for the common controls 6) for the windows this
// thread makes while it lives, as the program has them.
class ProgramVisualStyles {
 public:
  ProgramVisualStyles() {
    const std::wstring exe = BuildFolder() + L"vxq.exe";
    ACTCTXW ctx{};
    ctx.cbSize = sizeof ctx;
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    ctx.lpSource = exe.c_str();
    ctx.lpResourceName = MAKEINTRESOURCEW(1);
    context_ = CreateActCtxW(&ctx);
    active_ = context_ != INVALID_HANDLE_VALUE && ActivateActCtx(context_, &cookie_);
  }
  ~ProgramVisualStyles() {
    if (active_) DeactivateActCtx(0, cookie_);
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }
  bool Active() const { return active_; }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

// Runs the current test again in a process of its own, with the variable mode set (the test
// looks for it to play its part there); returns that process's exit code, or WAIT_TIMEOUT
// when it had not ended within timeoutMs. Its output is not shown.
inline DWORD RunThisTestAlone(const wchar_t* mode, DWORD timeoutMs, DWORD* pid = nullptr) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  wchar_t exe[MAX_PATH];
  std::wstring command = L"\"" + std::wstring(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH)) +
                         L"\" --gtest_filter=" + Utf8ToWide(test->test_suite_name()) + L"." + Utf8ToWide(test->name());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION pi{};
  SetEnvironmentVariableW(mode, L"1");
  const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableW(mode, nullptr);
  if (!started) return GetLastError();
  DWORD code = WAIT_TIMEOUT;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 1);
  if (pid) *pid = pi.dwProcessId;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// Runs the application's own message loop until done() holds. A thread timer keeps the loop's
// idle wait short, so that a failing test ends instead of hanging.
inline bool RunLoopUntil(const std::function<bool()>& done, DWORD timeoutMs = kPatience) {
  UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);
  DWORD start = GetTickCount();
  bool ok = done();
  while (!ok && GetTickCount() - start < timeoutMs) {
    Application->HandleMessage();
    ok = done();
  }
  KillTimer(nullptr, tick);
  return ok;
}

// Runs act once ready() holds, from a timer of this thread: the message loops of a menu and of
// a modal dialog run it too, so act can answer what they show, however long a busy machine
// takes to show it. Gives up after kPatience; KillTimer with the id returned stops it early.
inline UINT_PTR WhenReady(std::function<bool()> ready, std::function<void()> act) {
  struct Pending {
    std::function<bool()> ready;
    std::function<void()> act;
    DWORD start;
  };
  static std::map<UINT_PTR, Pending> pending;
  const UINT_PTR id = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = pending.find(id);
    if (it != pending.end() && !it->second.ready() && GetTickCount() - it->second.start < kPatience) return;
    KillTimer(nullptr, id);
    if (it == pending.end()) return;
    const bool ready = it->second.ready();
    const std::function<void()> act = std::move(it->second.act);
    pending.erase(it);
    if (ready) act();
  });
  pending[id] = Pending{std::move(ready), std::move(act), GetTickCount()};
  return id;
}

// Whether a pop-up menu is up on the screen.
inline bool MenuUp() { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }

// Ends a menu or a modal loop that a failing test would otherwise leave open for good.
class Watchdog {
 public:
  explicit Watchdog(DWORD ms) : id_(SetTimer(nullptr, 0, ms, Fire)) { fired = false; }
  ~Watchdog() { KillTimer(nullptr, id_); }
  static inline bool fired = false;

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
    fired = true;
    EndMenu();
    if (Application)
      for (TForm* f : Application->Forms())
        if (f->Modal()) f->ModalResult = mrAbort;
  }
  UINT_PTR id_;
};

// Ends the whole test program with a message when the code under test has not come back after
// ms: a hang on the window thread cannot be ended from inside.
class HangGuard {
 public:
  HangGuard(DWORD ms, const char* what) : worker_([=, this] {
    if (WaitForSingleObject(done_, ms) == WAIT_OBJECT_0) return;
    std::fprintf(stderr, "HANG: %s did not return within %lu ms\n", what, ms);
    TerminateProcess(GetCurrentProcess(), 3);
  }) {}
  ~HangGuard() { SetEvent(done_), worker_.join(), CloseHandle(done_); }

 private:
  HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread worker_;
};

// The open modal form of type F, or null.
template <class F>
F* OpenModalForm() {
  if (!Application) return nullptr;
  for (TForm* f : Application->Forms())
    if (auto* d = dynamic_cast<F*>(f); d && d->Modal() && IsWindowVisible(d->HandleIfAllocated())) return d;
  return nullptr;
}

// Runs start, which opens a modal form of type F; once it is up, act runs inside its loop (and
// usually ends it). Returns whether act ran.
template <class F>
bool RunModal(const std::function<void()>& start, const std::function<void(F&)>& act, DWORD watchdogMs = 10000) {
  Watchdog dog(watchdogMs);
  bool ran = false;
  TTimer driver(Application, L"Driver", 20);
  driver.OnTimer = [&](TComponent*) {
    F* d = ran ? nullptr : OpenModalForm<F>();
    if (!d) return;
    ran = true;
    driver.SetEnabled(false);
    act(*d);
  };
  driver.SetEnabled(true);
  start();
  EXPECT_FALSE(Watchdog::fired) << "the dialog had to be ended by the watchdog";
  return ran;
}

// A TrueType font of variable pitch that this system has.
inline std::wstring ProportionalFace() {
  std::wstring face;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(
      dc, &lf,
      [](const LOGFONTW* f, const TEXTMETRICW*, DWORD type, LPARAM lp) {
        if (!(type & TRUETYPE_FONTTYPE) || f->lfFaceName[0] == L'@' || (f->lfPitchAndFamily & 3) == FIXED_PITCH)
          return 1;
        *reinterpret_cast<std::wstring*>(lp) = f->lfFaceName;
        return 0;
      },
      reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, dc);
  return face;
}

// Waits on its own thread for a standard dialog of the test's thread (until the closer goes),
// then acts on it; one still open long after is cancelled, so that no test can hang on one.
class DialogCloser {
 public:
  explicit DialogCloser(std::function<void(HWND dialog)> action)
      : guiThread_(GetCurrentThreadId()), action_(std::move(action)), worker_([this] { Run(); }) {}
  ~DialogCloser() {
    stop_ = true;
    worker_.join();
  }
  bool Found() const { return found_; }
  bool Forced() const { return forced_; }

 private:
  HWND FindDialog() const {
    HWND found = nullptr;
    EnumThreadWindows(
        guiThread_,
        [](HWND h, LPARAM lp) {
          wchar_t cls[16] = L"";
          GetClassNameW(h, cls, 16);
          if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
  void Run() {
    HWND dialog = nullptr;
    for (const DWORD start = GetTickCount(); !stop_ && !dialog && GetTickCount() - start < kPatience;) {
      dialog = FindDialog();
      if (!dialog) Sleep(10);
    }
    if (!dialog) return;
    found_ = true;
    action_(dialog);
    for (const DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < kPatience;) Sleep(10);
    if (IsWindow(dialog)) {
      forced_ = true;
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  }

  DWORD guiThread_;
  std::function<void(HWND)> action_;
  std::atomic<bool> stop_{false}, found_{false}, forced_{false};
  std::thread worker_;
};

inline void PressOk(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); }

// Gives the settings and other globals a test changes their values back at the end of the scope.
template <class... T>
class Keep {
 public:
  explicit Keep(T&... v) : refs_(v...), old_(v...) {}
  ~Keep() { refs_ = old_; }

 private:
  std::tuple<T&...> refs_;
  std::tuple<T...> old_;
};

}  // namespace testsupport
