#include "shell/XPTheme.h"

#include <commctrl.h>

bool XPThemeWanted(DWORD platformId, DWORD major, DWORD minor) {
  // Major and minor together: 6.0 (Vista) and 10.0 are later than 5.1 although their minor
  // number is 0.
  return platformId == VER_PLATFORM_WIN32_NT && (major > 5 || (major == 5 && minor >= 1));
}

void InitXPTheme() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return;
#pragma GCC diagnostic pop
  if (XPThemeWanted(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion)) InitCommonControls();
}
