// The program's main file: starts the program and nothing else.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "language/VxMultiLanguageEngine.h"
#include "notes/InternalProcs.h"
#include "shell/MainFormUnit.h"
#include "shell/XPTheme.h"
#include "ui/Application.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"
#include "ui/Types.h"

namespace {
HANDLE MutexHandle = nullptr;

// Parameter index (1 or 2); empty when there is none.
std::wstring Param(int index) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring p;
  if (args && index < count) p = args[index];
  if (args) LocalFree(args);
  return p;
}

void Uninstall() {
  if (ShowMessageBox(L"Do you want to remove all notes?", L"Vantaro", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // Every Windows user's data goes, and not to the recycle bin. The folder is named to the
  // system as it is, and a link in it is left where it is, unentered: the shell's own delete
  // takes wildcards and follows links, and a system may remove what a link points to in its
  // place. What stays is named, a few at most.
  const std::wstring users = ExeFolder() + L"Users";
  std::vector<std::wstring> left;
  if (RemoveFolderTree(users, &left)) return;
  std::wstring text = L"Some notes could not be removed from:\n\r" + users;
  constexpr size_t kNamed = 15;
  for (size_t i = 0; i < left.size() && i < kNamed; ++i) text += L"\n\r" + left[i];
  if (left.size() > kNamed) text += L"\n\r(" + std::to_wstring(left.size() - kNamed) + L" more)";
  ShowMessageBox(text, L"Vantaro", MB_OK | MB_ICONERROR);
}

void Terminate() {
  // The request is handed over without waiting for it to be carried out: the running copy
  // may ask its user something (a note that cannot be saved), and an installer or a script
  // that called us must not hang until somebody answers.
  if (HWND running = FindWindowA("TVANTAROMAINFORM", nullptr)) SendNotifyMessageA(running, WM_CLOSEREQUEST, 0, 0);
}

void Run(bool splash) {
  if (IsAlreadyRunning(MutexHandle, "VxVantaro_istance")) {
    // Another copy runs: end without a word.
    CloseHandle(MutexHandle);
    MutexHandle = nullptr;
    FreeErrorHandler();
    return;
  }
  // The application comes first: the splash is one of its windows.
  TApplication app;
  CreateSplash(splash);
  Loading = true;
  Closing = false;
  app.SetTitle(L"Vantaro");
  CreateErrorHandler();
  ShowSplash();
  // The splash stays a second at least, however quickly the notes load.
  if (SplashForm) Sleep(1000);
  ShowWindow(app.Handle(), SW_HIDE);
  bool created = true;
  try {
    CreateMainForm();
  } catch (...) {
    // Without a main window there is nothing to run: report and end.
    created = false;
    CloseSplash();
    TApplication::HandleException(std::current_exception());
  }
  CloseSplash();
  if (created) app.Run();
  if (MutexHandle) CloseHandle(MutexHandle);
  MutexHandle = nullptr;
  FreeErrorHandler();
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  InitXPTheme();
  InitLanguageEngine();
  const TStartSwitches switches = ReadSwitches(Param(1), Param(2));
  if (LanguageEngine) LanguageEngine->SetMarkMissing(switches.MarkMissing);
  LoadLanguage(LanguageName);
  if (switches.Uninstall)
    Uninstall();
  else if (switches.Terminate)
    Terminate();
  else
    Run(switches.Splash);
  DoneLanguageEngine();
  return 0;
}
