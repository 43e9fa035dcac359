#pragma once
// Built-in English error and warning texts, shown by number.
#include <cstdint>
#include <string>

void ShowErrorMessage(const std::string& msg);
void ShowCodedErrorEx(std::int32_t code, const std::string& extra);
void ShowCodedError(std::int32_t code);
// The same with a detail line in Unicode (a file name, the system's text), kept whole.
void ShowCodedErrorW(std::int32_t code, const std::wstring& extra);
void ShowTimeInPastWarning(std::int32_t code);

// The texts themselves (empty for an unknown code).
std::string CodedErrorText(std::int32_t code);
std::string TimeInPastWarningText(std::int32_t code);
