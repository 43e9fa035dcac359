#pragma once
// The two-digit time edit: hours, the user's time separator, minutes ("hh:mm"), at most five
// characters. Only digits and the separator can be typed or pasted; the separator comes by
// itself after two digits of hours, and once there it is never erased. Over a whole time the
// edit works as a masked field: a click chooses the part under it, digits fill that part and
// go on into the minutes, and a digit that would take a part out of its range is refused.
#include <string>

#include "ui/StdCtrls.h"

// The time separator of the user's locale (":" when it has none).
std::wstring TimeSeparator();
// Hours, separator, minutes and optionally separator and seconds, each one or two digits, with
// blanks around; an "AM"/"PM" mark after it takes a 12-hour clock. The fraction of a day, or
// false for anything else (hour 24 or more, minute or second 60 or more, other characters).
bool TryStrToTime(const std::wstring& text, TDateTime& time);
// The same, throwing std::invalid_argument "'text' is not a valid time".
TDateTime StrToTime(const std::wstring& text);

class TTimeEdit : public TEdit {
 public:
  explicit TTimeEdit(TComponent* owner, const std::wstring& name = {});

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Select(size_t start, size_t end);
  // The whole text becomes text, as an edit of the user's, with the caret at caret.
  void Replace(const std::wstring& text, size_t caret);
  void Refuse();
  // Backspace (backward) and Delete (forward), and Cut and Clear on a selection.
  bool Erase(bool forward);
  bool TypeDigit(wchar_t c);
  bool TypeSeparator();
  void SelectClickedPart(int x);
};
