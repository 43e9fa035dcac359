#pragma once
#include <windows.h>

#include <string>

// Milliseconds on the performance counter, a clock that every process of the machine shares.
inline double Ms() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Handles every message already waiting.
inline void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A mark in the Wine server's request trace (WINEDEBUG=+server): a look-up of an atom named
// "vxq-mark-<what>" that nothing else asks for. scripts/server-requests counts the requests
// the marking thread makes between "vxq-mark-begin" and "vxq-mark-end".
inline void TraceMark(const wchar_t* what) { GlobalFindAtomW((std::wstring(L"vxq-mark-") + what).c_str()); }
