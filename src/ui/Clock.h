#pragma once
// The one source of "now" for the whole program. Tests set it, so that alarm and
// auto-show checks never have to sleep.
#include <optional>
#include <string>

#include "ui/Types.h"

struct _SYSTEMTIME;

TDateTime Now();
void SetNowOverride(std::optional<TDateTime> moment);

TDateTime SystemTimeToDateTime(const _SYSTEMTIME& st);
void DateTimeToSystemTime(TDateTime dt, _SYSTEMTIME& st);
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0);
// The day (at 00:00) of a date of the Gregorian calendar between 1601 and 9999; false for a day
// the month does not have. Plain arithmetic, for the loops over many dates.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
// Year, month and day of a moment's calendar day.
void DecodeDate(TDateTime moment, int& year, int& month, int& day);

// Short date and long time of the user's locale, as the system formats them.
std::wstring DateTimeToStr(TDateTime dt);
