#pragma once
// An edit for a date that may be left empty. It shows and reads the user's short date format;
// an empty or unreadable text is the null date 0 (30 December 1899), which shows as empty.
#include <string>

#include "ui/StdCtrls.h"

// Whether a calendar date (1601 to 9999) stands for the moment: not so for NaN, infinities
// and moments out of that range, which a damaged file may hold.
bool IsCalendarDay(TDateTime date);
// The short date of the user's locale; empty for the null date and for a moment that no
// calendar date stands for (before 1601, after 9999, not a number).
std::wstring DateToStr(TDateTime date);
// Reads a date in the order of the user's short date format: day, month and year as numbers
// with any separators; a missing year is this year's, a two-digit one lies between 1950 and
// 2049. False for anything else, or a day the month does not have.
bool TryStrToDate(const std::wstring& text, TDateTime& date);

class TDateEdit : public TEdit {
 public:
  explicit TDateEdit(TComponent* owner, const std::wstring& name = {});
  // The whole day of the text; 0 when it is empty or unreadable.
  TDateTime Date() const;
  // Shows the whole-day part of date; 0 (and anything that is no calendar date) empties it.
  void SetDate(TDateTime date);
};
