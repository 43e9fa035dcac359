#pragma once
// An edit for a date that may be left empty. It shows and reads the user's short date format;
// an empty or unreadable text is the null date 0 (30 December 1899), which shows as empty.
// A button over its right end (or Alt+Down, F4) drops down a month calendar to pick from.
#include <string>

#include "ui/Forms.h"
#include "ui/StdCtrls.h"

// Whether a calendar date (1601 to 9999) stands for the moment: not so for NaN, infinities
// and moments out of that range, which a damaged file may hold.
bool IsCalendarDay(TDateTime date);
// The short date of the user's locale, with the year always in four digits; empty for the null
// date and for a moment that no calendar date stands for.
std::wstring DateToStr(TDateTime date);
// Reads a date in the order of the user's short date format: day, month and year as numbers
// with the format's separators between them (blanks around the whole are dropped); a missing
// year is this year's, a two-digit one lies between 1950 and 2049. False for anything else
// (a sign, a letter, another separator), or a day the month does not have.
bool TryStrToDate(const std::wstring& text, TDateTime& date);

// DateToStr for many dates, the null date included (30 December 1899): the format is taken once,
// when it is made.
class TShortDateWriter {
 public:
  TShortDateWriter();
  // Empty for a moment that no calendar date stands for.
  std::wstring Write(TDateTime date) const;

 private:
  std::wstring format_;
};

// TryStrToDate for many dates: the format and this year are taken once, when it is made.
class TShortDateReader {
 public:
  TShortDateReader();
  bool Read(const std::wstring& text, TDateTime& date) const;
  struct Order {
    int day, month, year;
  };

 private:
  Order order_;
  std::wstring separators_;
  int thisYear_;
};

class TDateEdit;

// The month calendar that drops down below a date edit. Enter or a click on a day picks it,
// Escape (or a click elsewhere) closes it unchanged.
class TCalendarPopup : public TDropDownForm {
 public:
  explicit TCalendarPopup(TDateEdit* edit);
  TWinControl* Calendar;
  // The day the calendar has selected.
  TDateTime SelectedDate() const;
  void SetSelectedDate(TDateTime date);
  // Closes the popup and gives its day to the edit.
  void Pick();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  TDateEdit* edit_;
};

class TDateEdit : public TEdit {
 public:
  explicit TDateEdit(TComponent* owner, const std::wstring& name = {});
  // The whole day of the text; 0 when it is empty or unreadable.
  TDateTime Date() const;
  // Shows the whole-day part of date; 0 (and anything that is no calendar date) empties it.
  void SetDate(TDateTime date);

  // A sibling of the edit lying over its right end, inside its border: the visual-styles edit
  // paints over a child window of its own.
  TButton* DropButton = nullptr;
  // Opens the calendar at the edit's day (today for none).
  void DropDown();
  void CloseUp();
  bool DroppedDown() const;
  void SetParent(TWinControl* parent) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  // Made on the first DropDown.
  TCalendarPopup* Popup() const { return popup_; }

 protected:
  void HandleCreated() override;
  void BoundsChanged() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void PlaceButton();
  TCalendarPopup* popup_ = nullptr;
  TLifeCheck popupAlive_;
};
