// What saving costs, and what a kill costs the user.
//
//   vxq_savebench save [saves]      one save of a 4 KB note: median and 90th percentile, in ms
//   vxq_savebench typing [rounds]   seconds of typing lost when the program is killed while
//                                   the user types steadily (a key every 100-300 ms)
//   vxq_savebench typist <folder>   (the child of "typing"; it writes <folder>\keys.txt)
//
// Typing: the child opens one note window and types into it by itself from a timer, writing
// each key's moment to the keys file before posting it. The parent kills the child after 3 to
// 5 s, counts the keys the note file holds, and prints the time from the first key that did
// not reach the file to the kill (0 when all did) and the age of the newest key that did.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "ui/Application.h"
#include "ui/Paths.h"
#include "ui/RichEdit.h"

namespace {

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

std::wstring TempFolder(const std::wstring& name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"vxq-savebench-" + name + L"\\";
  ForceDirectories(dir);
  return dir;
}

void Save(int saves) {
  TNoteClass note("N0000000100");
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs16 ";
  while (rtf.size() < 4096 - 6) rtf += "Buy milk, call the garage, finish the report. \\par ";
  rtf.resize(4096 - 1);
  rtf += "}";
  note.Text.assign(rtf.begin(), rtf.end());
  const std::wstring file = TempFolder(L"save") + L"note.vxn";
  std::vector<double> ms;
  for (int i = 0; i < saves; ++i) {
    const double t0 = Ms();
    if (!note.SaveToFile(file)) std::printf("save %d failed\n", i);
    ms.push_back(Ms() - t0);
  }
  std::printf("save of a 4 KB note: median %.3f ms, p90 %.3f ms (%d saves)\n", Percentile(ms, 0.5),
              Percentile(ms, 0.9), saves);
}

const char kNoteId[] = "N0000000200";

// The child: one open note, typed into until it is killed.
void Typist(const std::wstring& folder) {
  const std::wstring keysFile = folder + L"keys.txt";
  TApplication app;
  SetExeFolderOverride(folder);
  SetDefaultSettings();
  InitUserFolder();
  Loading = Closing = NoteAnimations = NoteTransparency = false;
  UIEnabled = SafeSave = true;
  TNoteClass note(kNoteId);
  note.Left = note.Top = 100;
  note.SaveToFile(NoteFileName(kNoteId));
  TNotesManager manager;
  static HWND edit = nullptr;
  for (TNoteWrapper* w : manager.Notes->List)
    if (w->IsOpen()) edit = w->Form->NoteEdit->Handle();
  if (!edit) return;
  static HANDLE keys =
      CreateFileW(keysFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  static std::mt19937 rng(GetCurrentProcessId());
  static int typed = 0;
  static TIMERPROC type = [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // The moment goes to the keys file first: a key that was posted is a key that was typed.
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%d %.3f\n", typed, Ms());
    DWORD written = 0;
    WriteFile(keys, line, static_cast<DWORD>(n), &written, nullptr);
    PostMessageW(edit, WM_CHAR, static_cast<WPARAM>(L'a' + typed++ % 26), 1);
    SetTimer(nullptr, 0, std::uniform_int_distribution<UINT>(100, 300)(rng), type);
  };
  SetTimer(nullptr, 0, 1500, type);  // after the save that opening a note makes
  app.Run();
}

void Typing(int rounds) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::mt19937 rng(1);
  std::vector<double> lost, newest;
  for (int r = 0; r < rounds; ++r) {
    const std::wstring folder = TempFolder(L"typing" + std::to_wstring(r)), keysFile = folder + L"keys.txt";
    // Without the folder's last backslash, which would escape the closing quote.
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" typist \"" + folder.substr(0, folder.size() - 1) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    Sleep(std::uniform_int_distribution<DWORD>(3000, 5000)(rng) + 1500);
    const double killedAt = Ms();
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    std::vector<double> at;
    if (FILE* f = _wfopen(keysFile.c_str(), L"r")) {
      int k;
      double t;
      while (std::fscanf(f, "%d %lf", &k, &t) == 2) at.push_back(t);
      std::fclose(f);
    }
    if (at.empty()) {
      std::printf("typing round %d: the child typed nothing\n", r);
      continue;
    }
    SetExeFolderOverride(folder);
    InitUserFolder();
    TNoteClass note(kNoteId);
    std::size_t saved = 0;
    if (note.LoadFromFile(NoteFileName(kNoteId)))
      for (wchar_t c : RichTextToPlainText(note.Text)) saved += c >= L'a' && c <= L'z';
    lost.push_back(saved < at.size() ? (killedAt - at[saved]) / 1000 : 0);
    newest.push_back((killedAt - at[saved ? saved - 1 : 0]) / 1000);
    std::printf("typing round %d: %zu keys typed, %zu saved, %.2f s of typing lost, newest saved key %.2f s old\n", r,
                at.size(), saved, lost.back(), newest.back());
  }
  std::printf("typing lost after a kill: median %.2f s, worst %.2f s (%d kills)\n", Percentile(lost, 0.5),
              Percentile(lost, 1), static_cast<int>(lost.size()));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "save") {
    Save(argc > 2 ? std::atoi(argv[2]) : 500);
  } else if (mode == "typing") {
    Typing(argc > 2 ? std::atoi(argv[2]) : 8);
  } else if (mode == "typist" && argc > 2) {
    Typist(AnsiToWide(argv[2]) + L"\\");
  } else {
    std::printf("usage: vxq_savebench save [saves] | typing [rounds]\n");
    return 2;
  }
  return 0;
}
