#pragma once
// Basic value types shared by the whole program.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Days since 30 December 1899; the time of day is the fraction.
using TDateTime = double;

// $00BBGGRR, or clNone.
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

// 8-bit text is in the ANSI code page; these convert at the edges. A character the code page
// cannot hold becomes "?", never a look-alike that names something else.
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);
// The same, where text that does not fit must be refused: false and out untouched then.
bool TryWideToAnsi(const std::wstring& s, std::string& out);
// The text one character at a time (a surrogate pair as one), each with its code and its bytes
// in the ANSI code page; the bytes are empty for a character the page cannot hold (no look-alike,
// no bytes that read back as another character).
void ForEachAnsiChar(const std::wstring& s, const std::function<void(char32_t code, std::string_view bytes)>& each);
// The text of an exception's what(): the program writes it in UTF-8; a message that is not
// valid UTF-8 (from elsewhere) is read in the ANSI code page.
std::wstring ExceptionText(const char* what);
std::string WideToUtf8(const std::wstring& s);
std::wstring Utf8ToWide(const std::string& s);

// Removes leading and trailing blanks and control characters (code <= 32).
std::string Trim(const std::string& s);
std::wstring Trim(const std::wstring& s);
std::string UpperCase(const std::string& s);
std::wstring UpperCase(const std::wstring& s);
bool SameText(const std::wstring& a, const std::wstring& b);
// Whether text begins or ends with affix, letter case aside (ordinal), and has more besides.
bool StartsText(const std::wstring& text, const wchar_t* affix);
bool EndsText(const std::wstring& text, const wchar_t* affix);
