#include "ui/Clock.h"

#include <windows.h>

#include <cmath>

namespace {
std::optional<TDateTime> g_nowOverride;
constexpr double kMsPerDay = 86400000.0;
// Days from 1 January 1601 (FILETIME epoch) to 30 December 1899.
constexpr double kEpochDelta = 109205.0;
}  // namespace

void SetNowOverride(std::optional<TDateTime> moment) { g_nowOverride = moment; }

TDateTime Now() {
  if (g_nowOverride) return *g_nowOverride;
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  FILETIME ft;
  SYSTEMTIME copy = st;
  copy.wDayOfWeek = 0;
  if (!SystemTimeToFileTime(&copy, &ft)) return 0;
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  // 100 ns units -> whole milliseconds, so that the fraction is exact to the millisecond.
  double ms = static_cast<double>(u.QuadPart / 10000ULL);
  return ms / kMsPerDay - kEpochDelta;
}

void DateTimeToSystemTime(TDateTime dt, SYSTEMTIME& st) {
  double ms = std::floor((dt + kEpochDelta) * kMsPerDay + 0.5);
  if (ms < 0) ms = 0;
  ULARGE_INTEGER u;
  u.QuadPart = static_cast<ULONGLONG>(ms) * 10000ULL;
  FILETIME ft;
  ft.dwLowDateTime = u.LowPart;
  ft.dwHighDateTime = u.HighPart;
  if (!FileTimeToSystemTime(&ft, &st)) ZeroMemory(&st, sizeof st);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  st.wMilliseconds = static_cast<WORD>(ms);
  return SystemTimeToDateTime(st);
}

std::wstring DateTimeToStr(TDateTime dt) {
  SYSTEMTIME st;
  DateTimeToSystemTime(dt, st);
  wchar_t date[128] = L"", time[128] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}
