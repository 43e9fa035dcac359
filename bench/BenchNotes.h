#pragma once
// The notes both benchmarks load: the same sample text in each, made fresh on every run.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"

inline std::string SampleRtf(int i) {
  return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
         "\\f0\\fs16 Note number " + std::to_string(i) +
         "\\par Buy milk, call the garage about the brakes, \\b finish the report\\b0  before Friday."
         "\\par Meeting notes: budget, hiring, the new office plan and the summer schedule.\\par }";
}

// Where note i stands: a cascade one pixel apart, so that every note keeps a sliver of itself
// on the screen, where bench/xwatch sees it painted.
inline POINT BenchNotePosition(int i) { return POINT{100 + i % 1000, 50 + i % 900}; }
constexpr int kBenchNoteSize = 160;

// EM_STREAMIN's reader of a std::string it consumes.
inline DWORD CALLBACK ReadIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  auto* s = reinterpret_cast<std::string*>(cookie);
  LONG n = static_cast<LONG>(s->size()) < cb ? static_cast<LONG>(s->size()) : cb;
  memcpy(buf, s->data(), n);
  s->erase(0, n);
  *done = n;
  return 0;
}

// Replaces the note files of the current user's folder with n notes, the first open ones shown.
inline void WriteBenchNotes(int n, int open) {
  WIN32_FIND_DATAW fd;
  HANDLE f = FindFirstFileW((NotesFolder + L"*.vxn").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do DeleteFileW((NotesFolder + fd.cFileName).c_str());
    while (FindNextFileW(f, &fd));
    FindClose(f);
  }
  for (int i = 0; i < n; ++i) {
    char id[32];
    std::snprintf(id, sizeof id, "N%08X00", i);
    TNoteClass note(id);
    const POINT at = BenchNotePosition(i);
    note.Left = at.x, note.Top = at.y, note.Width = note.Height = kBenchNoteSize;
    std::string rtf = SampleRtf(i);
    note.Text.assign(rtf.begin(), rtf.end());
    note.SetHidden(!(i < open));
    note.SaveToFile(NoteFileName(id));
  }
}

// The floor's window class "BenchPlain" with the rich-edit library loaded.
inline HINSTANCE RegisterPlainClass(WNDPROC proc) {
  LoadLibraryW(L"riched20.dll");
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchPlain";
  RegisterClassW(&wc);
  return wc.hInstance;
}
