// Measures the reminder events with many of them: loading the events file and sorting today's
// and tomorrow's events out of it, opening the events manager window on them (built, shown and
// painted), and saving the file.
//
//   vxq_eventsbench <events> <rounds>
//
// Prints the median and the slowest of the rounds, in milliseconds, for each step.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "events/MyEventsManagerUnit.h"
#include "eventwindows/EventWindows.h"
#include "notes/InternalProcs.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/Forms.h"
#include "ui/Paths.h"

namespace {
struct Step {
  const char* Name;
  std::vector<double> Ms;
  void Print() {
    std::sort(Ms.begin(), Ms.end());
    std::printf("%-34s median %7.2f ms   slowest %7.2f ms\n", Name, Ms[Ms.size() / 2], Ms.back());
  }
};
}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
  TApplication app;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  SetExeFolderOverride(std::wstring(tmp) + L"vxq-eventsbench\\");
  SetDefaultSettings();
  InitUserFolder();
  RegisterEventWindows();
  Loading = false;
  UIEnabled = true;
  {
    // The file: events spread over the year, texts of a usual length.
    TMyEventsmanager m;
    for (int i = 0; i < n; ++i) {
      auto* e = new TMYEvent;
      e->Text = L"Birthday of person number " + std::to_wstring(i);
      e->Date = EncodeDateTime(1940 + i % 80, 1 + i % 12, 1 + (i / 12) % 28);
      m.Events.Add(e);
    }
    if (!m.SaveEvents()) return 1;
  }
  Step load{"load + classify", {}}, open{"open the events manager window", {}}, save{"save", {}};
  int listed = 0, unread = 0;
  for (int r = 0; r < rounds; ++r) {
    double t0 = Ms();
    TMyEventsmanager m;
    m.LoadEvents();
    m.Classify(true);
    load.Ms.push_back(Ms() - t0);
    listed = m.Today.Count() + m.Tomorrow.Count();
    unread = static_cast<int>(std::count_if(m.Events.Items().begin(), m.Events.Items().end(),
                                            [](const TMYEvent* e) { return e->DateUnread; }));
    t0 = Ms();
    m.ShowManager();
    TForm* f = m.ManagerForm();
    RedrawWindow(f->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Drain();
    open.Ms.push_back(Ms() - t0);
    t0 = Ms();
    if (!m.SaveEvents()) return 1;
    save.Ms.push_back(Ms() - t0);
    m.CloseManager();
    Drain();
  }
  std::printf("%d events, %d of them today or tomorrow, %d unreadable dates, %d rounds\n", n, listed, unread, rounds);
  load.Print();
  open.Print();
  save.Print();
  return 0;
}
