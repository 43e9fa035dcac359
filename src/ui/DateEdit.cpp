#include "ui/DateEdit.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/Clock.h"

namespace {
// 1 January 1601 and 31 December 9999: what SYSTEMTIME can hold.
constexpr double kFirstDay = -109205.0;
constexpr double kLastDay = 2958465.0;


std::wstring UserShortDateFormat() {
  wchar_t format[80] = L"";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, 80);
  return format;
}

// Positions of day, month and year in the short date format: which comes first, second, third.
TShortDateReader::Order ShortDateOrder(const std::wstring& f) {
  size_t d = f.find_first_of(L"d"), m = f.find_first_of(L"M"), y = f.find_first_of(L"y");
  if (d == std::wstring::npos || m == std::wstring::npos || y == std::wstring::npos) return {1, 0, 2};
  auto rank = [&](size_t p) { return static_cast<int>((p > d) + (p > m) + (p > y)); };
  return {rank(d), rank(m), rank(y)};
}

// What stands between the numbers of the short date format ("/" in M/d/yyyy, ". " in d. M. yyyy).
std::wstring ShortDateSeparators(const std::wstring& f) {
  std::wstring separators;
  for (wchar_t c : f)
    if (c != L'd' && c != L'M' && c != L'y' && c != L'g' && c != L'\'' && separators.find(c) == std::wstring::npos)
      separators += c;
  return separators.empty() ? L"/" : separators;
}

// The short date format with the year in four digits: a year written in two comes back in
// another century (1935 written "35" reads as 2035).
std::wstring FourDigitYears(const std::wstring& f) {
  std::wstring out;
  bool quoted = false;
  for (size_t i = 0; i < f.size();) {
    if (f[i] == L'\'') quoted = !quoted;
    if (quoted || f[i] != L'y') {
      out += f[i++];
      continue;
    }
    const size_t end = f.find_first_not_of(L'y', i);
    const size_t run = (end == std::wstring::npos ? f.size() : end) - i;
    out += run < 4 ? std::wstring(L"yyyy") : f.substr(i, run);
    i += run;
  }
  return out;
}
}  // namespace

bool IsCalendarDay(TDateTime date) { return std::isfinite(date) && date >= kFirstDay && date < kLastDay + 1; }

TShortDateWriter::TShortDateWriter() : format_(FourDigitYears(UserShortDateFormat())) {}

std::wstring TShortDateWriter::Write(TDateTime date) const {
  if (!IsCalendarDay(date)) return L"";
  SYSTEMTIME st;
  DateTimeToSystemTime(std::trunc(date), st);
  wchar_t text[128] = L"";
  if (!GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, format_.c_str(), text, 128)) return L"";
  return text;
}

std::wstring DateToStr(TDateTime date) { return date == 0 ? L"" : TShortDateWriter().Write(date); }

TShortDateReader::TShortDateReader() {
  const std::wstring format = UserShortDateFormat();
  order_ = ShortDateOrder(format);
  separators_ = ShortDateSeparators(format);
  SYSTEMTIME now;
  DateTimeToSystemTime(Now(), now);
  thisYear_ = now.wYear;
}

bool TryStrToDate(const std::wstring& text, TDateTime& date) { return TShortDateReader().Read(text, date); }

bool TShortDateReader::Read(const std::wstring& whole, TDateTime& date) const {
  const size_t first = whole.find_first_not_of(L' '), last = whole.find_last_not_of(L' ');
  if (first == std::wstring::npos) return false;
  const std::wstring text = whole.substr(first, last - first + 1);
  // A date starts with its first number ("-5/10/1990" is no date).
  if (text[0] < L'0' || text[0] > L'9') return false;
  long numbers[3];
  int count = 0;
  bool inNumber = false;
  for (const wchar_t c : text) {
    if (c >= L'0' && c <= L'9') {
      if (!inNumber && count == 3) return false;
      if (!inNumber) numbers[count++] = 0;
      inNumber = true;
      if (numbers[count - 1] > 99999) return false;
      numbers[count - 1] = numbers[count - 1] * 10 + (c - L'0');
    } else {
      // Only the format's own separators: a sign, a letter or another mark makes it no date.
      if (separators_.find(c) == std::wstring::npos) return false;
      inNumber = false;
    }
  }
  long day, month, year;
  if (count == 3) {
    day = numbers[order_.day], month = numbers[order_.month], year = numbers[order_.year];
    if (year < 100) year += year < 50 ? 2000 : 1900;
  } else if (count == 2) {
    // Day and month in their order; the year is this one.
    bool dayFirst = order_.day < order_.month;
    day = numbers[dayFirst ? 0 : 1], month = numbers[dayFirst ? 1 : 0], year = thisYear_;
  } else {
    return false;
  }
  // The calendar refuses a day the month does not have (31 April, 29 February of 2025).
  return TryEncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), date);
}

// ---------------------------------------------------------------- calendar

namespace {
// The system's month calendar, whose Enter and Escape are the popup's.
class TMonthCalendar : public TStdControl {
 public:
  TMonthCalendar(TCalendarPopup* popup)
      : TStdControl(popup, MONTHCAL_CLASSW, WS_TABSTOP | WS_BORDER), popup_(popup) {
    SetName(L"Calendar");
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
      popup_->Pick();
      return 0;
    }
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
      popup_->CloseUp();
      return 0;
    }
    return TStdControl::WndProc(msg, wp, lp);
  }

 private:
  TCalendarPopup* popup_;
};
}  // namespace

TCalendarPopup::TCalendarPopup(TDateEdit* edit)
    : TDropDownForm(edit, L"TCalendarPopup"), edit_(edit) {
  Calendar = new TMonthCalendar(this);
  Calendar->SetParent(this);
  // The calendar's own smallest size, which depends on the font and the locale.
  RECT r{0, 0, 180, 160};
  MonthCal_GetMinReqRect(Calendar->Handle(), &r);
  Calendar->SetBounds(0, 0, r.right - r.left + 2, r.bottom - r.top + 2);
  SetClientSize(Calendar->Width(), Calendar->Height());
  SetActiveControl(Calendar);
}

TDateTime TCalendarPopup::SelectedDate() const {
  SYSTEMTIME st{};
  if (!MonthCal_GetCurSel(Calendar->HandleIfAllocated(), &st)) return 0;
  st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0;
  return SystemTimeToDateTime(st);
}

void TCalendarPopup::SetSelectedDate(TDateTime date) {
  SYSTEMTIME st;
  DateTimeToSystemTime(std::trunc(date), st);
  MonthCal_SetCurSel(Calendar->Handle(), &st);
}

void TCalendarPopup::Pick() {
  TDateTime day = SelectedDate();
  TDateEdit* edit = edit_;
  edit->CloseUp();
  if (day != 0) edit->SetDate(day);
}

LRESULT TCalendarPopup::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY:
      // A click on a day (not on the month's arrows or title).
      if (reinterpret_cast<NMHDR*>(lp)->code == MCN_SELECT) {
        Pick();
        return 0;
      }
      break;
    default: break;
  }
  return TDropDownForm::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- the edit

TDateEdit::TDateEdit(TComponent* owner, const std::wstring& name) : TEdit(owner, name) {
  DropButton = new TButton(this, name + L"Button");
  DropButton->SetCaption(L"...");
  // Not a stop of its own: Alt+Down and F4 in the edit do what it does.
  DropButton->OnCreateParams = [](TCreateParams& p) { p.Style &= ~WS_TABSTOP; };
  DropButton->OnClick = [this](TComponent*) { DropDown(); };
  SetBounds(0, 0, 121, 21);
}

void TDateEdit::SetParent(TWinControl* parent) {
  TEdit::SetParent(parent);
  if (!DropButton) return;
  DropButton->SetParent(parent);
  PlaceButton();
}

void TDateEdit::SetVisible(bool visible) {
  TEdit::SetVisible(visible);
  if (DropButton) DropButton->SetVisible(visible);
}

void TDateEdit::SetEnabled(bool enabled) {
  TEdit::SetEnabled(enabled);
  if (DropButton) DropButton->SetEnabled(enabled);
}

void TDateEdit::PlaceButton() {
  if (!DropButton) return;
  // Inside the sunken border, as high as the client area; the text keeps clear of it.
  const int edge = GetSystemMetrics(SM_CXEDGE);
  const int h = std::max(Height() - 2 * edge, 1);
  DropButton->SetBounds(Left() + Width() - edge - h, Top() + edge, h, h);
  HWND e = HandleIfAllocated(), b = DropButton->HandleIfAllocated();
  if (e) SendMessageW(e, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, h + 1));
  // Above the edit, which then leaves its place alone.
  if (b) SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TDateEdit::BoundsChanged() { PlaceButton(); }

void TDateEdit::HandleCreated() {
  TEdit::HandleCreated();
  // The button's window comes after the edit's when the parent makes its children.
  if (DropButton && Parent()) DropButton->Handle();
  PlaceButton();
}

TDateTime TDateEdit::Date() const {
  TDateTime date = 0;
  return TryStrToDate(Text(), date) ? date : 0;
}

void TDateEdit::SetDate(TDateTime date) { SetText(DateToStr(date)); }

bool TDateEdit::DroppedDown() const { return popupAlive_ && popup_->Visible(); }

void TDateEdit::DropDown() {
  if (DroppedDown()) return;
  if (!popupAlive_) {
    popup_ = new TCalendarPopup(this);
    popupAlive_ = popup_->Watch();
  }
  popup_->SetSelectedDate(Date() != 0 ? Date() : std::trunc(Now()));
  popup_->DropDown();
}

void TDateEdit::CloseUp() {
  if (popupAlive_) popup_->CloseUp();
}

LRESULT TDateEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if ((msg == WM_KEYDOWN && wp == VK_F4) || (msg == WM_SYSKEYDOWN && wp == VK_DOWN)) {
    DropDown();
    return 0;
  }
  return TEdit::WndProc(msg, wp, lp);
}
