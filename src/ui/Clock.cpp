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

namespace {
// Days from 1 March of year 0 of the proleptic Gregorian calendar; 30 December 1899 is 693899.
constexpr long kDay0 = 693899;

long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = y / 400, yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
}
}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  date = static_cast<double>(DaysFromCivil(year, month, day) - kDay0);
  return true;
}

void DecodeDate(TDateTime moment, int& year, int& month, int& day) {
  // What no calendar day stands for (NaN, far out of range) is taken as the null date.
  if (!(moment > -693899.0 && moment < 2958466.0)) moment = 0;
  const long z = static_cast<long>(std::floor(moment)) + kDay0;
  const long era = z / 146097, doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

std::wstring DateTimeToStr(TDateTime dt) {
  SYSTEMTIME st;
  DateTimeToSystemTime(dt, st);
  wchar_t date[128] = L"", time[128] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}
