// Measures the real program from outside, against a floor process of the same shape.
//
//   vxq_progbench <vxq.exe> <notes> <open> ours|floor
//   vxq_progbench <vxq.exe> <notes> <open> windows   (the windows a user opens, ROUNDS times)
//   vxq_progbench <vxq.exe> <notes> <open> ending    (Exit from the tray and /TERMINATE, timed)
//
// ours: writes the notes beside a copy of vxq.exe, starts it with /S and times until every open
// note is mapped; then the hot key (a posted WM_HOTKEY) until a new note has the keyboard focus.
// floor: starts the floor process, "vxq_floor child" (bench/FloorBench, beside this program; it
// links no code of ours): plain caption-less windows with a rich-edit child, one of which a
// posted WM_HOTKEY adds and focuses.
// Both: private bytes and working set after start-up, and the CPU time the process uses over
// VXQ_IDLE_S idle seconds (default 60; 0 skips it), by GetProcessTimes and by Linux, with the
// Wine server's.
//
// Prints one line: mode, notes, open, start_ms, hotkey_ms, private_kb, working_set_kb, idle_s,
// idle_cpu_ms, linux_cpu_ms, wineserver_cpu_ms, pss_kb (Linux's proportional set size of the
// program's process, with the notes open) and t0, the moment of the start on the performance
// counter (the clock of bench/xwatch, which sees the windows painted on the screen).
// ours, on a line of its own: exit_ms, from the tray menu's Exit (the main window's close, sent
// here as WM_CLOSE) until the program has ended, with no note changed since start-up but the
// hot key's new one (every open note's save timer has long run out by then). The close request
// of vxq.exe /TERMINATE takes the same way after showing its closing window for a second.
//
// windows: the real program only, one line per round: the hot key until a new note is shown,
// painted and has the keyboard focus (new_note_ms); Ctrl+O on it, typed as a user types it,
// until the properties dialog is shown and painted (properties_ms); its Cancel until the
// dialog is gone and the note shown and painted again (close_ms). Run with and without a
// window manager on the display: that is where the two differ.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../tests/ForeignWindows.h"
#include "BenchClock.h"
#include "BenchLinux.h"
#include "BenchNotes.h"
#include "notes/InternalProcs.h"
#include "ui/Paths.h"
#include "ui/TrayIcon.h"
#include "ui/Types.h"

namespace {

constexpr int kHotKeyId = 0x4242;

// ---- The measuring process ----

std::vector<HWND> VisibleWindowsOf(DWORD pid, const wchar_t* cls) {
  struct Search {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
  } s{pid, cls, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != s->pid || !IsWindowVisible(h)) return TRUE;
        wchar_t c[64] = {};
        GetClassNameW(h, c, 64);
        if (lstrcmpiW(c, s->cls) == 0) s->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindOwned(DWORD pid, const wchar_t* cls, const wchar_t* title) {
  HWND h = nullptr;
  while ((h = FindWindowExW(nullptr, h, cls, title)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == pid) return h;
  }
  return nullptr;
}

// Each look costs the program's Wine server a few requests per window (the windows are
// another process's): looked at every 20 ms, not to slow down what it measures.
bool WaitFor(const std::function<bool()>& done, double ms, DWORD every = 20) {
  double start = Ms();
  while (!done()) {
    if (Ms() - start > ms) return false;
    Sleep(every);
  }
  return true;
}

HANDLE Launch(const std::wstring& exe, const std::wstring& args, const std::wstring& dir) {
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

double CpuMs(HANDLE process) {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(process, &created, &ended, &kernel, &user);
  auto v = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  return static_cast<double>(v(kernel) + v(user)) / 10000.0;
}

void SetDword(const wchar_t* key, const wchar_t* value, DWORD data) {
  HKEY k = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
  RegSetValueExW(k, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(k);
}

std::wstring ToWindowsPath(const char* p) {
  std::string s = p;
  if (!s.empty() && s[0] == '/') s = "Z:" + s;
  for (char& c : s)
    if (c == '/') c = '\\';
  return AnsiToWide(s);
}

std::wstring BenchFolder() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring dir = std::wstring(tmp) + L"vxq-progbench\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

// A copy of the program beside n notes, the first open ones shown, started with /S; t0 is
// the moment of its start.
HANDLE StartOurs(const std::wstring& program, int n, int open, double& t0) {
  const std::wstring dir = BenchFolder(), exe = dir + L"vxq.exe";
  if (!CopyFileW(program.c_str(), exe.c_str(), FALSE)) {
    std::printf("cannot copy %ls\n", program.c_str());
    return nullptr;
  }
  SetExeFolderOverride(dir);
  InitUserFolder();
  WriteBenchNotes(n, open);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
  SetDword(L"SOFTWARE\\Belvanto\\VxVantaro", L"NoteAnimations", 0);
  SetDword(L"SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys", L"NewNoteShortCut_m", 1);
  SetDword(L"SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys", L"NewNoteShortCut_k", VK_F8);
  t0 = Ms();
  return Launch(exe, L"/S", dir);
}

// Ends the copy as a second copy asks it to, and forgets its settings.
// Ends the program by its main window's close (timed as exit_ms when that window is given),
// or else by /TERMINATE.
void EndOurs(HANDLE process, HWND main = nullptr) {
  const std::wstring dir = BenchFolder();
  const double e0 = Ms();
  DWORD_PTR answer = 0;
  if (!main || !SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, &answer)) {
    HANDLE terminate = Launch(dir + L"vxq.exe", L"/TERMINATE", dir);
    if (terminate) {
      WaitForSingleObject(terminate, 60000);
      CloseHandle(terminate);
    }
  }
  const bool ended = WaitForSingleObject(process, 60000) == WAIT_OBJECT_0;
  if (main) {
    std::printf("exit_ms=%8.1f%s\n", Ms() - e0, ended ? "" : " (did not end)");
    std::fflush(stdout);
  }
  if (!ended) TerminateProcess(process, 1);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
  SetExeFolderOverride(L"");
}

// The atom of the program's new-note hot key, once its engine has registered it.
WPARAM NewNoteHotKey() {
  ATOM atom = 0;
  WaitFor([&] { return (atom = GlobalFindAtomA("NewNoteShortCut")) != 0; }, 10000);
  return atom;
}

int Measure(const std::wstring& program, int n, int open, bool ours) {
  const std::wstring dir = BenchFolder();
  wchar_t self[MAX_PATH];
  const std::wstring here(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  const std::wstring floor = here.substr(0, here.rfind(L'\\') + 1) + L"vxq_floor.exe";
  HANDLE process = nullptr;
  const wchar_t* noteClass = ours ? L"TNoteForm" : L"BenchPlain";
  double t0 = 0;
  if (ours) {
    process = StartOurs(program, n, open, t0);
  } else {
    t0 = Ms();
    process = Launch(floor, L"child " + std::to_wstring(open), dir);
  }
  if (!process) {
    std::printf("cannot start\n");
    return 1;
  }
  const DWORD pid = GetProcessId(process);
  const bool shown =
      WaitFor([&] { return static_cast<int>(VisibleWindowsOf(pid, noteClass).size()) >= open; }, 120000);
  const double startMs = Ms() - t0;
  // Memory with the notes open, before the hot key adds one.
  HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(query, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  const int unixPid = ours ? LinuxPidOf("vxq-progbench\\vxq.exe") : LinuxPidOf("vxq_floor.exe", "child");
  const long pssKb = unixPid ? LinuxPssKb(std::to_string(unixPid)) : -1;

  // Hot key: a new note with the keyboard focus.
  HWND main = ours ? FindOwned(pid, L"TVantaroMainForm", nullptr) : FindOwned(pid, L"BenchPlain", L"bench-floor-main");
  const WPARAM id = ours ? NewNoteHotKey() : kHotKeyId;
  double hotKeyMs = -1;
  // The screen's watcher sees the start-up's painting end before the hot key's note comes.
  Sleep(300);
  if (shown && main) {
    const DWORD tid = GetWindowThreadProcessId(main, nullptr);
    auto focus = [tid] {
      GUITHREADINFO gui{};
      gui.cbSize = sizeof gui;
      return GetGUIThreadInfo(tid, &gui) ? gui.hwndFocus : nullptr;
    };
    // Done when the keys go to a rich edit that did not have them before: the new note's.
    const HWND before = focus();
    const double h0 = Ms();
    PostMessageW(main, WM_HOTKEY, id, MAKELPARAM(MOD_WIN, VK_F8));
    if (WaitFor(
            [&] {
              const HWND now = focus();
              if (!now || now == before) return false;
              wchar_t c[64] = {};
              GetClassNameW(now, c, 64);
              return lstrcmpiW(c, L"RICHEDIT20W") == 0 && IsWindowVisible(GetAncestor(now, GA_ROOT));
            },
            10000, 1))
      hotKeyMs = Ms() - h0;
  }

  const char* idle = std::getenv("VXQ_IDLE_S");
  const int idleS = idle ? std::atoi(idle) : 60;
  double idleCpu = 0, linuxCpu = 0, serverCpu = 0;
  if (idleS > 0) {
    const int serverPid = WineServerPid();
    Sleep(2000);  // the hot key's note settles first (its first save comes a second after it opens)
    // Linux's nanosecond counts of the program's main thread and of the server.
    const std::string program = std::to_string(unixPid), server = std::to_string(serverPid);
    const double c0 = CpuMs(query), l0 = LinuxThreadCpuMs(program), s0 = LinuxThreadCpuMs(server);
    Sleep(static_cast<DWORD>(idleS) * 1000);
    idleCpu = CpuMs(query) - c0;
    linuxCpu = LinuxThreadCpuMs(program) - l0;
    serverCpu = LinuxThreadCpuMs(server) - s0;
  }
  std::printf("%-5s notes=%5d open=%5d start_ms=%8.1f hotkey_ms=%7.1f private_kb=%7zu working_set_kb=%7zu idle_s=%3d "
              "idle_cpu_ms=%7.1f linux_cpu_ms=%7.1f wineserver_cpu_ms=%7.1f pss_kb=%7ld t0=%.3f%s\n",
              ours ? "ours" : "floor", n, open, startMs, hotKeyMs,
              static_cast<size_t>((pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024),
              static_cast<size_t>(pmc.WorkingSetSize / 1024), idleS, idleCpu, linuxCpu, serverCpu, pssKb, t0,
              shown ? "" : " (not all shown)");
  std::fflush(stdout);

  if (ours) {
    // The notes opened at start-up settle first: each one's save timer runs a second after it opens.
    if (idleS == 0) Sleep(2000);
    EndOurs(process, main);
  } else {
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
  }
  CloseHandle(query);
  CloseHandle(process);
  return 0;
}
// The keys go to the foreground window, as a user's do.
void TypeCtrl(WORD key) {
  INPUT in[4] = {};
  const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = keys[i];
    in[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, in, sizeof in[0]);
}

int MeasureWindows(const std::wstring& program, int n, int open, int rounds) {
  double t0 = 0;
  HANDLE process = StartOurs(program, n, open, t0);
  if (!process) return 1;
  const DWORD pid = GetProcessId(process);
  const bool shown = WaitFor([&] { return static_cast<int>(VisibleWindowsOf(pid, L"TNoteForm").size()) >= open; },
                             60000);
  const HWND main = FindOwned(pid, L"TVantaroMainForm", nullptr);
  const WPARAM atom = NewNoteHotKey();
  Sleep(300);
  for (int round = 1; shown && main && atom && round <= rounds; ++round) {
    const std::vector<HWND> before = VisibleWindowsOf(pid, L"TNoteForm");
    HWND note = nullptr;
    double h0 = Ms();
    PostMessageW(main, WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, VK_F8));
    const bool made = WaitFor(
        [&] {
          for (HWND h : VisibleWindowsOf(pid, L"TNoteForm"))
            if (std::find(before.begin(), before.end(), h) == before.end()) note = h;
          return note && FocusOf(note) == FindWindowExW(note, nullptr, L"RICHEDIT20W", nullptr) && Painted(note);
        },
        10000, 1);
    const double newNoteMs = made ? Ms() - h0 : -1;
    double propertiesMs = -1, closeMs = -1;
    if (made) {
      if (GetForegroundWindow() != note) SetForegroundWindow(note);
      WaitFor([&] { return GetForegroundWindow() == note; }, 2000);
      HWND dialog = nullptr;
      h0 = Ms();
      TypeCtrl('O');
      if (WaitFor([&] { return (dialog = FindOwned(pid, L"TNoteConf", nullptr)) && Painted(dialog); }, 10000, 1))
        propertiesMs = Ms() - h0;
      if (dialog) {
        h0 = Ms();
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        // The dialog goes once its note is filled and shown again.
        if (WaitFor([&] { return !IsWindow(dialog) && Painted(note); }, 10000, 1)) closeMs = Ms() - h0;
      }
    }
    std::printf("WINDOWS round=%d new_note_ms=%7.1f properties_ms=%7.1f close_ms=%7.1f\n", round, newNoteMs,
                propertiesMs, closeMs);
    std::fflush(stdout);
  }
  if (!shown || !main || !atom) std::printf("WINDOWS not started\n");
  EndOurs(process);
  CloseHandle(process);
  return 0;
}

// The two ways a running copy is ended from its tray and from outside, with every note open:
// the tray menu's Exit (chosen with the keys in the real menu) and vxq.exe /TERMINATE, each
// until the program has ended. /TERMINATE shows its closing window for a second first; that
// pause is also given taken off.
int MeasureEnding(const std::wstring& program, int n, int open) {
  for (const char* way : {"exit", "terminate"}) {
    double t0 = 0;
    HANDLE process = StartOurs(program, n, open, t0);
    if (!process) return 1;
    const DWORD pid = GetProcessId(process);
    const bool shown =
        WaitFor([&] { return static_cast<int>(VisibleWindowsOf(pid, L"TNoteForm").size()) >= open; }, 120000);
    HWND tray = nullptr;
    WaitFor([&] { return (tray = FindOwned(pid, L"TTrayIconWindow", nullptr)) != nullptr; }, 10000);
    Sleep(2000);  // each opened note's save timer runs a second after it opens
    double e0 = Ms();
    bool asked = false;
    if (std::strcmp(way, "exit") == 0 && tray) {
      PostMessageW(tray, TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_RBUTTONUP);  // a right click on the icon
      HWND menu = nullptr;
      if (WaitFor([&] { return (menu = FindOwned(pid, L"#32768", nullptr)) && IsWindowVisible(menu); }, 10000)) {
        Sleep(200);
        e0 = Ms();
        PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);  // up from nothing chosen: the last entry, Exit
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        asked = true;
      }
    } else if (HANDLE terminate = Launch(BenchFolder() + L"vxq.exe", L"/TERMINATE", BenchFolder())) {
      e0 = Ms();
      asked = true;
      CloseHandle(terminate);
    }
    const bool ended = asked && WaitForSingleObject(process, 180000) == WAIT_OBJECT_0;
    const double ms = Ms() - e0;
    std::printf("ENDING way=%-9s notes=%5d open=%5d ms=%8.1f less_pause_ms=%8.1f%s\n", way, n, open, ms,
                std::strcmp(way, "terminate") == 0 ? ms - 1000 : ms,
                !shown ? " (not all shown)" : ended ? "" : " (did not end)");
    std::fflush(stdout);
    if (!ended) TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
    SetExeFolderOverride(L"");
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::printf("usage: vxq_progbench <vxq.exe> <notes> <open> ours|floor\n");
    return 2;
  }
  const int n = std::atoi(argv[2]);
  const int open = std::atoi(argv[3]);
  const std::string mode = argv[4];
  if (mode == "ending") return MeasureEnding(ToWindowsPath(argv[1]), n, open);
  if (mode == "windows") {
    const char* rounds = std::getenv("ROUNDS");
    return MeasureWindows(ToWindowsPath(argv[1]), n, open, rounds ? std::atoi(rounds) : 5);
  }
  return Measure(ToWindowsPath(argv[1]), n, open, mode == "ours");
}
