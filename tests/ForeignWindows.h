#pragma once
// Looks at another process's windows, as the end-to-end tests and the program benchmark do.
#include <windows.h>
#include <shellapi.h>

// Shown, and neither it nor a shown window inside it waits for a paint.
inline bool Painted(HWND h) {
  if (!IsWindowVisible(h) || GetUpdateRect(h, nullptr, FALSE)) return false;
  bool clean = true;
  EnumChildWindows(
      h,
      [](HWND c, LPARAM lp) -> BOOL {
        if (!IsWindowVisible(c) || !GetUpdateRect(c, nullptr, FALSE)) return TRUE;
        *reinterpret_cast<bool*>(lp) = false;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&clean));
  return clean;
}

// The window that has the keyboard focus in the thread of window.
inline HWND FocusOf(HWND window) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) ? gui.hwndFocus : nullptr;
}

// Shell_NotifyIconW(message) for the icon id of window, asked as its owner would.
inline bool NotifyIcon(DWORD message, HWND window, UINT id) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = window;
  nid.uID = id;
  return Shell_NotifyIconW(message, &nid) != FALSE;
}
inline bool IconShown(HWND window, UINT id) { return NotifyIcon(NIM_MODIFY, window, id); }
