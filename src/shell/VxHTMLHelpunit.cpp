#include "shell/VxHTMLHelpunit.h"

#include "notes/InternalProcs.h"
#include "ui/Paths.h"

std::wstring helpFile;

int ShowHelpFile(HWND, const std::wstring& fileName, UINT, UINT_PTR) {
  // The viewer runs from the help file's folder; whether the shell managed is not reported.
  ShellOpen(nullptr, fileName, ExtractFilePath(fileName));
  return 0;
}
