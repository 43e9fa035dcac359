#pragma once
// Basic value types shared by the whole program.
#include <cstdint>
#include <string>

// Days since 30 December 1899; the time of day is the fraction.
using TDateTime = double;

// $00BBGGRR, or clNone.
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

// 8-bit text is in the ANSI code page; these convert at the edges.
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);
std::string WideToUtf8(const std::wstring& s);
std::wstring Utf8ToWide(const std::string& s);

// Removes leading and trailing blanks and control characters (code <= 32).
std::string Trim(const std::string& s);
std::wstring Trim(const std::wstring& s);
std::string UpperCase(const std::string& s);
std::wstring UpperCase(const std::wstring& s);
bool SameText(const std::wstring& a, const std::wstring& b);
