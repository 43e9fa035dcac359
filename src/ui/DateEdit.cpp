#include "ui/DateEdit.h"

#include <windows.h>

#include <cmath>
#include <vector>

#include "ui/Clock.h"

namespace {
// 1 January 1601 and 31 December 9999: what SYSTEMTIME can hold.
constexpr double kFirstDay = -109205.0;
constexpr double kLastDay = 2958465.0;


// Positions of day, month and year in the short date format: which comes first, second, third.
struct DateOrder {
  int day, month, year;
};

DateOrder ShortDateOrder() {
  wchar_t format[80] = L"";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, 80);
  std::wstring f = format;
  size_t d = f.find_first_of(L"d"), m = f.find_first_of(L"M"), y = f.find_first_of(L"y");
  if (d == std::wstring::npos || m == std::wstring::npos || y == std::wstring::npos) return {1, 0, 2};
  auto rank = [&](size_t p) { return static_cast<int>((p > d) + (p > m) + (p > y)); };
  return {rank(d), rank(m), rank(y)};
}
}  // namespace

bool IsCalendarDay(TDateTime date) { return std::isfinite(date) && date >= kFirstDay && date < kLastDay + 1; }

std::wstring DateToStr(TDateTime date) {
  if (date == 0 || !IsCalendarDay(date)) return L"";
  SYSTEMTIME st;
  DateTimeToSystemTime(std::trunc(date), st);
  wchar_t text[128] = L"";
  if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 128)) return L"";
  return text;
}

bool TryStrToDate(const std::wstring& text, TDateTime& date) {
  std::vector<long> numbers;
  bool inNumber = false;
  for (wchar_t c : text) {
    if (c >= L'0' && c <= L'9') {
      if (!inNumber) numbers.push_back(0);
      inNumber = true;
      if (numbers.back() > 99999) return false;
      numbers.back() = numbers.back() * 10 + (c - L'0');
    } else {
      // Only separators between the numbers: letters (a month's name) are not understood.
      if (IsCharAlphaW(c)) return false;
      inNumber = false;
    }
  }
  DateOrder order = ShortDateOrder();
  SYSTEMTIME now;
  DateTimeToSystemTime(Now(), now);
  long day, month, year;
  if (numbers.size() == 3) {
    day = numbers[order.day], month = numbers[order.month], year = numbers[order.year];
  } else if (numbers.size() == 2) {
    // Day and month in their order; the year is this one.
    bool dayFirst = order.day < order.month;
    day = numbers[dayFirst ? 0 : 1], month = numbers[dayFirst ? 1 : 0], year = now.wYear;
  } else {
    return false;
  }
  if (numbers.size() == 3 && year < 100) year += year < 50 ? 2000 : 1900;
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year), st.wMonth = static_cast<WORD>(month), st.wDay = static_cast<WORD>(day);
  FILETIME ft;
  // The system refuses a day the month does not have (31 April, 29 February of 2025).
  if (!SystemTimeToFileTime(&st, &ft)) return false;
  date = SystemTimeToDateTime(st);
  return true;
}

TDateEdit::TDateEdit(TComponent* owner, const std::wstring& name) : TEdit(owner, name) { SetBounds(0, 0, 121, 21); }

TDateTime TDateEdit::Date() const {
  TDateTime date = 0;
  return TryStrToDate(Text(), date) ? date : 0;
}

void TDateEdit::SetDate(TDateTime date) { SetText(DateToStr(date)); }
