// Measures loading and showing many notes against the platform's floor: the same number of
// plain caption-less windows, each with a rich-edit child holding the same text.
//
//   vxq_bench <notes> <percent open> ours|floor|owned
//
// owned: the floor's windows owned by one hidden window, as the program's are.
//
// Prints one line: mode, notes, open, milliseconds until every open note is shown, the cost
// of one save, private bytes and working set.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchNotes.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "ui/Application.h"
#include "ui/Paths.h"

namespace {
void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void PrintMemory(const char* mode, int n, int open, double showMs, double saveMs) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  std::printf("%-5s notes=%4d open=%4d show_ms=%8.1f save_ms=%6.2f private_kb=%7zu working_set_kb=%7zu\n", mode, n,
              open, showMs, saveMs, static_cast<size_t>((pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024),
              static_cast<size_t>(pmc.WorkingSetSize / 1024));
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

void Floor(int n, int open, bool owned) {
  const HINSTANCE inst = RegisterPlainClass(PlainProc);
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  HWND owner = owned ? CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       inst, nullptr)
                     : nullptr;
  TraceMark(L"begin");
  double t0 = Ms();
  for (int i = 0; i < open; ++i) {
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"", WS_POPUP | WS_CLIPCHILDREN, (cx - 160) / 2,
                             (cy - 160) / 2, 160, 160, owner, nullptr, inst, nullptr);
    HWND re = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 3, 13,
                              154, 144, w, nullptr, inst, nullptr);
    std::string rtf = SampleRtf(i);
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, ReadIn};
    SendMessageW(re, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    ShowWindow(w, SW_SHOW);
  }
  Drain();
  double showMs = Ms() - t0;
  TraceMark(L"end");
  PrintMemory(owned ? "owned" : "floor", n, open, showMs, 0);
}

void Ours(int n, int open) {
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
  double showMs = Ms() - t0;
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
  PrintMemory("ours", n, open, showMs, saveMs);
  NoteAnimations = false;
  Closing = true;
  manager->CloseAll();
  delete manager;
  SetExeFolderOverride(L"");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::printf("usage: vxq_bench <notes> <percent open> ours|floor\n");
    return 2;
  }
  int n = std::atoi(argv[1]);
  int percent = std::atoi(argv[2]);
  int open = n * percent / 100;
  if (std::string(argv[3]) == "floor" || std::string(argv[3]) == "owned")
    Floor(n, open, std::string(argv[3]) == "owned");
  else
    Ours(n, open);
  return 0;
}
