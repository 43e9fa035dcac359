#pragma once
// The notes both benchmarks load: the same sample text in each, made fresh on every run.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchWindows.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"

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
