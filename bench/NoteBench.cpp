// Measures loading and showing many notes against the platform's floor: the same number of
// plain caption-less windows, each with a rich-edit child holding the same text.
//
//   vxq_bench <notes> <percent open> ours|floor|owned [typing <keys>]
//
// owned: the floor's windows owned by one hidden window, as the program's are.
// typing: then types <keys> keys into the focused note (ours: through the program's message
// loop and its idle work; floor: a bare rich edit's loop) and measures the processor time of
// this process's thread and of the Wine server (VXQ_SERVER_PID) they took, from Linux's
// nanosecond counts (/proc/<pid>/schedstat).
//
// Prints one line: mode, notes, open, milliseconds until every open note is shown, the cost
// of one save, private bytes, working set, proportional set size (Linux's count of this Wine
// process), and the moments the showing began and ended on the performance counter (the
// clock of bench/xwatch, which sees the windows on the screen). With typing, a second line.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchLinux.h"
#include "BenchNotes.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "ui/Application.h"
#include "ui/Paths.h"

namespace {
// This process's Linux id (the Wine server opens files, so /proc/self would be the server).
std::string SelfPid() {
  static const std::string pid = std::to_string(LinuxPidOf("vxq_bench.exe"));
  return pid;
}

void PrintMemory(const char* mode, int n, int open, double showMs, double saveMs, double t0, double t1) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  std::printf("%-5s notes=%4d open=%4d show_ms=%8.1f save_ms=%6.2f private_kb=%7zu working_set_kb=%7zu pss_kb=%7ld "
              "t0=%.3f t1=%.3f\n",
              mode, n, open, showMs, saveMs,
              static_cast<size_t>((pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024),
              static_cast<size_t>(pmc.WorkingSetSize / 1024), LinuxPssKb(SelfPid()), t0, t1);
  std::fflush(stdout);
}

// Types keys into the focused window: a key-down and key-up each, translated into a
// character by the loop as the keyboard's would be; pump handles what they bring.
void Type(const char* mode, int open, int keys, const std::function<void()>& pump) {
  HWND focus = GetFocus();
  if (!focus) {
    std::printf("%-5s typing: nothing has the focus\n", mode);
    return;
  }
  const std::string self = SelfPid(), server = std::to_string(WineServerPid());
  const double c0 = LinuxThreadCpuMs(self), s0 = LinuxThreadCpuMs(server);
  TraceMark(L"typing-begin");
  for (int i = 0; i < keys; ++i) {
    const UINT vk = i % 40 == 39 ? VK_RETURN : i % 8 == 7 ? VK_SPACE : 'A' + i % 26;
    const LPARAM lp = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(focus, WM_KEYDOWN, vk, lp);
    PostMessageW(focus, WM_KEYUP, vk, lp | 0xC0000000);
    pump();
  }
  TraceMark(L"typing-end");
  const double cpu = LinuxThreadCpuMs(self) - c0, serverCpu = LinuxThreadCpuMs(server) - s0;
  std::printf("%-5s typing open=%4d keys=%5d cpu_ms=%8.2f server_cpu_ms=%8.2f per_key_ms=%7.4f\n", mode, open, keys,
              cpu, serverCpu, (cpu + serverCpu) / keys);
  std::fflush(stdout);
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

void Floor(int n, int open, bool owned, int typing) {
  const HINSTANCE inst = RegisterPlainClass(PlainProc);
  HWND owner = owned ? CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       inst, nullptr)
                     : nullptr;
  HWND last = nullptr;
  TraceMark(L"begin");
  double t0 = Ms();
  for (int i = 0; i < open; ++i) {
    const POINT at = BenchNotePosition(i);
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"", WS_POPUP | WS_CLIPCHILDREN, at.x, at.y,
                             kBenchNoteSize, kBenchNoteSize, owner, nullptr, inst, nullptr);
    HWND re = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 3, 13,
                              154, 144, w, nullptr, inst, nullptr);
    std::string rtf = SampleRtf(i);
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, ReadIn};
    SendMessageW(re, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    ShowWindow(w, SW_SHOW);
    last = re;
  }
  Drain();
  const double t1 = Ms();
  TraceMark(L"end");
  PrintMemory(owned ? "owned" : "floor", n, open, t1 - t0, 0, t0, t1);
  if (typing > 0) {
    if (last) SetFocus(last);
    // A pause, so that the screen's watcher has seen the showing end first.
    const double settle = Ms();
    while (Ms() - settle < 500) {
      Drain();
      Sleep(10);
    }
    Type("floor", open, typing, Drain);
  }
}

void Ours(int n, int open, int typing) {
  TApplication app;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"vxq-bench-" + std::to_wstring(n) + L"-" + std::to_wstring(open) + L"\\";
  SetExeFolderOverride(dir);
  SetDefaultSettings();
  NoteAnimations = false;
  InitUserFolder();
  WriteBenchNotes(n, open);
  TraceMark(L"begin");
  double t0 = Ms();
  auto* manager = new TNotesManager;
  Drain();
  const double t1 = Ms();
  double showMs = t1 - t0;
  TraceMark(L"end");
  // One save of an open note (what the edit pause costs).
  double saveMs = 0;
  for (TNoteWrapper* w : manager->Notes->List)
    if (w->IsOpen()) {
      double s0 = Ms();
      w->Save();
      saveMs = Ms() - s0;
      break;
    }
  PrintMemory("ours", n, open, showMs, saveMs, t0, t1);
  if (typing > 0) {
    // As after start-up: edit pauses save, and each open note has had its first save (a
    // second after start-up ends) before the typing begins.
    // First still starting (its timers do nothing), as long as the floor pauses.
    for (const double pause = Ms(); Ms() - pause < 500; Sleep(10)) app.ProcessMessages();
    Loading = false;
    SafeSave = true;
    const double settle = Ms();
    while (Ms() - settle < 1500) {
      app.ProcessMessages();
      Sleep(10);
    }
    Type("ours", open, typing, [&app] {
      app.ProcessMessages();
      // The loop's idle work after each key, as TApplication's loop does it.
      if (TForm* f = app.ActiveForm(); f && IsWindowVisible(f->HandleIfAllocated())) f->UpdateActions();
    });
  }
  NoteAnimations = false;
  Closing = true;
  manager->CloseAll();
  delete manager;
  SetExeFolderOverride(L"");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::printf("usage: vxq_bench <notes> <percent open> ours|floor|owned [typing <keys>]\n");
    return 2;
  }
  int n = std::atoi(argv[1]);
  int percent = std::atoi(argv[2]);
  int open = n * percent / 100;
  int typing = argc > 5 && std::string(argv[4]) == "typing" ? std::atoi(argv[5]) : 0;
  if (std::string(argv[3]) == "floor" || std::string(argv[3]) == "owned")
    Floor(n, open, std::string(argv[3]) == "owned", typing);
  else
    Ours(n, open, typing);
  return 0;
}
