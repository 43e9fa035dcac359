#include "notes/VantaroMessages.h"

#include "ui/MessageBox.h"
#include "ui/Types.h"

// The program's own line break in message texts is LF followed by CR.
static const char kBreak[] = "\n\r";

std::string CodedErrorText(std::int32_t code) {
  switch (code) {
    case 1:
      return std::string("Error Creating Note.") + kBreak +
             "Check if Vantaro have write priviledges into its folder and subfolder";
    case 101: return "Error creating project";
    case 102: return "Project already existent";
    case 103: return "No Task Selected";
    case 104: return "No Project Selected";
    case 105: return "Error loading project";
    default: return {};
  }
}

std::string TimeInPastWarningText(std::int32_t code) {
  switch (code) {
    case 1: return "Allarm time is previous than current time, allarm disabled!";
    case 2: return "Autoshow time is previous than current time, autoshow disabled!";
    default: return {};
  }
}

void ShowErrorMessage(const std::string& msg) {
  ShowMessageBox(AnsiToWide(msg), L"Error", MB_OK | MB_ICONERROR);
}

void ShowCodedErrorEx(std::int32_t code, const std::string& extra) {
  std::string text = CodedErrorText(code);
  if (!extra.empty()) text += kBreak + extra;
  ShowErrorMessage(text);
}

void ShowCodedError(std::int32_t code) { ShowCodedErrorEx(code, {}); }

void ShowCodedErrorW(std::int32_t code, const std::wstring& extra) {
  std::wstring text = AnsiToWide(CodedErrorText(code));
  if (!extra.empty()) text += L"\n\r" + extra;
  ShowMessageBox(text, L"Error", MB_OK | MB_ICONERROR);
}

void ShowTimeInPastWarning(std::int32_t code) { ShowErrorMessage(TimeInPastWarningText(code)); }
