// The platform's floor that the program's benchmarks are measured against: plain caption-less
// windows, each with a rich-edit child holding the same text as the program's notes. It links
// no code of ours, so that its memory and its start-up are the platform's alone.
//
//   vxq_floor <notes> <percent open> floor|owned [typing <keys>]   (beside bench/NoteBench)
//   vxq_floor child <open>                                         (beside bench/ProgramBench)
//
// floor and owned: shows the open share of the notes and prints the line bench/NoteBench prints
// (owned: the windows owned by one hidden window, as the program's are); typing: then types
// <keys> keys into the last note and prints the processor time they took.
// child: the floor process that bench/ProgramBench starts and measures from outside: a hidden
// window, as the program's main window, and the open notes; a posted WM_HOTKEY to the hidden
// window adds a note and gives it the keyboard focus.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "BenchClock.h"
#include "BenchShow.h"
#include "BenchWindows.h"

namespace {
const char kExe[] = "vxq_floor.exe";

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

void Show(int n, int open, bool owned, int typing) {
  const HINSTANCE inst = RegisterPlainClass(PlainProc);
  HWND owner = owned ? CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       inst, nullptr)
                     : nullptr;
  HWND last = nullptr;
  TraceMark(L"begin");
  const double t0 = Ms();
  for (int i = 0; i < open; ++i) last = GetWindow(PlainNote(i, owner), GW_CHILD);
  Drain();
  const double t1 = Ms();
  TraceMark(L"end");
  PrintMemory(kExe, owned ? "owned" : "floor", n, open, t1 - t0, 0, t0, t1);
  if (typing > 0) {
    if (last) SetFocus(last);
    // A pause, so that the screen's watcher has seen the showing end first.
    const double settle = Ms();
    while (Ms() - settle < 500) {
      Drain();
      Sleep(10);
    }
    Type(kExe, "floor", open, typing, Drain);
  }
}

LRESULT CALLBACK ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_HOTKEY) {
    HWND note = PlainNote(0);
    SetForegroundWindow(note);
    SetFocus(GetWindow(note, GW_CHILD));
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

int Child(int open) {
  const HINSTANCE inst = RegisterPlainClass(ChildProc);
  // The hidden window that owns the hot key, as the program's main window does.
  CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlain", L"bench-floor-main", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  inst, nullptr);
  for (int i = 0; i < open; ++i) PlainNote(i);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "child") return Child(std::atoi(argv[2]));
  if (argc < 4) {
    std::printf("usage: vxq_floor <notes> <percent open> floor|owned [typing <keys>] | vxq_floor child <open>\n");
    return 2;
  }
  const int n = std::atoi(argv[1]), open = n * std::atoi(argv[2]) / 100;
  const int typing = argc > 5 && std::string(argv[4]) == "typing" ? std::atoi(argv[5]) : 0;
  Show(n, open, std::string(argv[3]) == "owned", typing);
  return 0;
}
