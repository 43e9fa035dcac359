// Measures the to-do projects: a project of many tasks read, sorted and written as plain task
// lists, the same project loaded into the window, and the window opened over a folder of many
// projects (made, shown and painted).
//
//   vxq_todobench [tasks] [projects] [runs]     (defaults 5000, 200, 7)
//
// Prints the median milliseconds of each step over the runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "notes/InternalProcs.h"
#include "todo/ToDoListEngine.h"
#include "todowindows/ToDoListFormUnit.h"
#include "ui/Application.h"
#include "ui/Paths.h"

namespace {
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Time(const std::function<void()>& step) {
  const double start = Ms();
  step();
  return Ms() - start;
}

TToDoTasks ManyTasks(int n) {
  TToDoTasks tasks;
  for (int i = 0; i < n; ++i)
    tasks.push_back({L"Task number " + std::to_wstring((i * 7919) % n) + L" with a title of ordinary length", i % 3 == 0,
                     i % 10});
  return tasks;
}
}  // namespace

int main(int argc, char** argv) {
  const int tasksCount = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int projects = argc > 2 ? std::atoi(argv[2]) : 200;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 7;
  TApplication app;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring folder = std::wstring(tmp) + L"vxq-todobench\\";
  RemoveFolderTree(folder);
  SetExeFolderOverride(folder);
  InitUserFolder();
  Loading = false;
  UIEnabled = true;

  const TToDoTasks tasks = ManyTasks(tasksCount);
  const std::wstring file = ProjectFileName(L"Big");
  std::vector<double> save, load, sort, window;
  for (int r = 0; r < runs; ++r) {
    save.push_back(Time([&] { WriteProjectFile(file, tasks); }));
    TToDoTasks read;
    std::wstring failure;
    load.push_back(Time([&] { ReadProjectFile(file, read, failure); }));
    sort.push_back(Time([&] { SortTasks(read); }));
  }
  std::printf("%d tasks: save %.1f ms, load %.1f ms, sort %.1f ms (file %lu bytes)\n", tasksCount, Median(save),
              Median(load), Median(sort), static_cast<unsigned long>(GetCompressedFileSizeW(file.c_str(), nullptr)));

  // The same project shown in the window: read, sorted and every row filled.
  ShowToDoList(nullptr);
  Drain();
  for (int r = 0; r < runs; ++r)
    window.push_back(Time([&] {
      ToDOListForm->LoadProject(file);
      RedrawWindow(ToDOListForm->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }));
  std::printf("%d tasks loaded into the window: %.1f ms\n", tasksCount, Median(window));
  CloseToDoListForm();
  Drain();
  DeleteFileW(file.c_str());

  // Many small projects; the window opens on the first.
  for (int p = 0; p < projects; ++p) WriteProjectFile(ProjectFileName(L"Project " + std::to_wstring(p)), ManyTasks(10));
  std::vector<double> open;
  for (int r = 0; r < runs; ++r) {
    open.push_back(Time([&] {
      ShowToDoList(nullptr);
      RedrawWindow(ToDOListForm->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }));
    CloseToDoListForm();
    Drain();
  }
  std::printf("window opened with %d projects in the folder: %.1f ms\n", projects, Median(open));
  SetExeFolderOverride(L"");
  RemoveFolderTree(folder);
  return 0;
}
