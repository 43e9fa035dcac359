#pragma once
// Starts the common controls, so that the visual styles the manifest asks for apply.
#include <windows.h>

// Whether a system of this platform and version gets the common controls started: every NT
// system from 5.1 (XP) on.
bool XPThemeWanted(DWORD platformId, DWORD major, DWORD minor);
// Runs once, first thing at process start.
void InitXPTheme();
