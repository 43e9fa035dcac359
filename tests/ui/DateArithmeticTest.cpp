// The calendar arithmetic of the clock against the system's own conversions, day by day.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/Clock.h"

namespace {

TEST(DateArithmetic, AgreesWithTheSystemOnEveryDayFrom1601To9999) {
  int checked = 0;
  for (int year = 1601; year <= 9999; year += year < 1700 || (year > 1890 && year < 2110) || year > 9900 ? 1 : 37) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 32; ++day) {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(year), st.wMonth = static_cast<WORD>(month), st.wDay = static_cast<WORD>(day);
        // A day the calendar has comes back from the system as itself.
        FILETIME ft;
        SYSTEMTIME back{};
        const bool valid = SystemTimeToFileTime(&st, &ft) && FileTimeToSystemTime(&ft, &back) &&
                           back.wYear == st.wYear && back.wMonth == st.wMonth && back.wDay == st.wDay;
        TDateTime date = -1;
        ASSERT_EQ(TryEncodeDate(year, month, day, date), valid) << year << "-" << month << "-" << day;
        if (!valid) continue;
        ASSERT_EQ(date, SystemTimeToDateTime(st)) << year << "-" << month << "-" << day;
        int y = 0, m = 0, d = 0;
        DecodeDate(date + 0.75, y, m, d);
        ASSERT_EQ(y * 10000 + m * 100 + d, year * 10000 + month * 100 + day);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 150000);
  TDateTime date;
  EXPECT_FALSE(TryEncodeDate(1600, 12, 31, date));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, date));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, date));
  EXPECT_FALSE(TryEncodeDate(2024, 0, 1, date));
}

}  // namespace
