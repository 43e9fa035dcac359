#pragma once
// The user settings in the registry under HKEY_CURRENT_USER.
#include <string>

inline constexpr wchar_t kMainKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro";
inline constexpr wchar_t kShortCutsKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts";
inline constexpr wchar_t kShortCutKeysKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys";

// The language to load at start-up; "english" when none is stored or it cannot be read.
void ReadLanguageSetting(std::wstring& name);
// Reads every other setting; stops silently at the first missing or mistyped value.
void LoadSettings();
// Makes sure the main key exists; writes the settings only once they were changed.
void SaveSettings();
