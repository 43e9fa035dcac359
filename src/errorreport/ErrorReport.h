#pragma once
// Every error that no code of the program handles ends here: it becomes a plain-text report
// (the message, the stack where it was thrown, the machine, the loaded modules and the
// versions of our files), is appended to "ExceptionsLog.txt" and is shown in the error dialog.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

class TExceptionForm;

class TTramlixErrorHandler {
 public:
  // Installs itself as the application's error hook.
  TTramlixErrorHandler();
  ~TTramlixErrorHandler();
  TTramlixErrorHandler(const TTramlixErrorHandler&) = delete;
  TTramlixErrorHandler& operator=(const TTramlixErrorHandler&) = delete;

  std::wstring LogFolder;  // empty: the executable's folder
  bool ListModules = true;
  int DialogsShown = 0;

  void HandleException(const std::exception& error);
  // An error while the dialog of an earlier one is up: logged only, no second dialog.
  void LogException(const std::exception& error);
  void BuildReport(std::vector<std::wstring>& lines, const std::exception* error);
  void ShowReport(const std::vector<std::wstring>& lines);
  std::wstring LogFileName() const;
};

extern TTramlixErrorHandler* ErrorHandler;

void CreateErrorHandler();
void FreeErrorHandler();

// Appends one entry to the log file: the heading with the moment and the executable, the
// lines, the end mark and two empty lines. Errors are swallowed.
void AppendLog(const std::wstring& fileName, const std::vector<std::wstring>& lines);

// Terminate in the error dialog ends the process through this, with exit code 1; tests
// replace it to stay alive.
extern std::function<void(UINT exitCode)> ErrorExitProcess;

// The executable's version for the report: "1.2.3 Build: 4"; " Build: 0" without one.
std::wstring FileVersionText(const std::wstring& fileName);

inline const std::wstring kReportSeparator(64, L'-');
