// The program's main file: starts the program and nothing else.
#include <windows.h>

#include "notes/InternalProcs.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  HANDLE mutex = nullptr;
  if (IsAlreadyRunning(mutex, "VxVantaro_istance")) {
    if (mutex) CloseHandle(mutex);
    return 0;
  }
  if (mutex) CloseHandle(mutex);
  return 0;
}
