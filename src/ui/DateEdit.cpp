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
  DropButton->SetParent(this);
  DropButton->SetCaption(L"...");
  // Not a stop of its own: Alt+Down and F4 in the edit do what it does.
  DropButton->OnCreateParams = [](TCreateParams& p) { p.Style &= ~WS_TABSTOP; };
  DropButton->OnClick = [this](TComponent*) { DropDown(); };
  SetBounds(0, 0, 121, 21);
}

void TDateEdit::CreateParams(TCreateParams& params) {
  TEdit::CreateParams(params);
  // The text must not paint over the button.
  params.Style |= WS_CLIPCHILDREN;
}

void TDateEdit::BoundsChanged() {
  if (!DropButton) return;
  const int h = std::max(ClientHeight(), 1);
  DropButton->SetBounds(ClientWidth() - h, 0, h, h);
  if (HWND e = HandleIfAllocated()) SendMessageW(e, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, h + 1));
}

void TDateEdit::HandleCreated() {
  TEdit::HandleCreated();
  BoundsChanged();
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
