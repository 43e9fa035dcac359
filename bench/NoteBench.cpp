// Measures loading and showing many notes, to be set against the platform's floor (the same
// number of plain caption-less windows, each with a rich-edit child holding the same text),
// which is a program of its own that links no code of ours: bench/FloorBench.
//
//   vxq_bench <notes> <percent open> ours [typing <keys>]
//
// typing: then types <keys> keys into the focused note, through the program's message loop
// and its idle work, and measures the processor time of this process's thread and of the Wine
// server (VXQ_SERVER_PID) they took, from Linux's nanosecond counts (/proc/<pid>/schedstat).
//
// Prints one line: mode, notes, open, milliseconds until every open note is shown, the cost
// of one save, private bytes, working set, proportional set size (Linux's count of this Wine
// process), and the moments the showing began and ended on the performance counter (the
// clock of bench/xwatch, which sees the windows on the screen). With typing, a second line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchNotes.h"
#include "BenchShow.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "ui/Application.h"
#include "ui/Paths.h"

namespace {
const char kExe[] = "vxq_bench.exe";

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
  PrintMemory(kExe, "ours", n, open, showMs, saveMs, t0, t1);
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
    Type(kExe, "ours", open, typing, [&app] {
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
    std::printf("usage: vxq_bench <notes> <percent open> ours [typing <keys>]\n");
    return 2;
  }
  int n = std::atoi(argv[1]);
  int percent = std::atoi(argv[2]);
  int open = n * percent / 100;
  int typing = argc > 5 && std::string(argv[4]) == "typing" ? std::atoi(argv[5]) : 0;
  Ours(n, open, typing);
  return 0;
}
