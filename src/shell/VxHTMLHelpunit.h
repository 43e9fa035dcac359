#pragma once
// Opens the help file with the viewer the system associates with it.
#include <windows.h>

#include <string>

// The help file beside the program; set when the main window is created.
extern std::wstring helpFile;

// Shaped like the system's HTML-help call, but only the file name counts: the shell opens the
// file. Always 0.
int ShowHelpFile(HWND callerWindow, const std::wstring& fileName, UINT command = 0, UINT_PTR data = 0);
