#include "ui/TimeEdit.h"

#include <windows.h>
#include <windowsx.h>

#include <cwctype>
#include <stdexcept>

std::wstring TimeSeparator() {
  wchar_t sep[8] = L"";
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, 8) || !sep[0]) return L":";
  return sep;
}

bool TryStrToTime(const std::wstring& textIn, TDateTime& time) {
  std::wstring text = Trim(textIn);
  const std::wstring sep = TimeSeparator();
  // An AM or PM mark at the end, as the locale spells it or in English.
  int half = 0;  // 0 none, 1 AM, 2 PM
  wchar_t am[16] = L"", pm[16] = L"";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S1159, am, 16);
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S2359, pm, 16);
  for (auto [mark, value] : {std::pair<std::wstring, int>{am, 1}, {pm, 2}, {L"AM", 1}, {L"PM", 2}}) {
    if (half || mark.empty() || text.size() < mark.size()) continue;
    if (SameText(text.substr(text.size() - mark.size()), mark)) {
      half = value;
      text = Trim(text.substr(0, text.size() - mark.size()));
    }
  }
  int parts[3] = {0, 0, 0};
  int count = 0;
  size_t i = 0;
  while (count < 3) {
    size_t start = i;
    int v = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && i - start < 2) v = v * 10 + (text[i++] - L'0');
    if (i == start) return false;
    parts[count++] = v;
    if (i == text.size()) break;
    if (text.compare(i, sep.size(), sep) != 0) return false;
    i += sep.size();
    if (i == text.size()) return false;
  }
  if (i != text.size() || count < 2) return false;
  int hour = parts[0], minute = parts[1], second = parts[2];
  if (half) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (half == 2 ? 12 : 0);
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  time = (hour * 3600 + minute * 60 + second) / 86400.0;
  return true;
}

TDateTime StrToTime(const std::wstring& text) {
  TDateTime t = 0;
  if (!TryStrToTime(text, t)) throw std::invalid_argument("'" + WideToUtf8(text) + "' is not a valid time");
  return t;
}

TTimeEdit::TTimeEdit(TComponent* owner, const std::wstring& name) : TEdit(owner, name) {
  SetBounds(0, 0, 41, 21);
  // Two digits, the separator and two digits.
  SetMaxLength(static_cast<int>(2 + TimeSeparator().size() + 2));
}

namespace {
// Digits and the separator: all that can go into the edit.
bool IsTimeChar(wchar_t c, const std::wstring& sep) {
  return (c >= L'0' && c <= L'9') || sep.find(c) != std::wstring::npos;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  CloseClipboard();
  return text;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A whole time: two digits of hours, the separator, two digits of minutes.
bool IsWholeTime(const std::wstring& t, const std::wstring& sep) {
  return t.size() == 4 + sep.size() && IsDigit(t[0]) && IsDigit(t[1]) && t.compare(2, sep.size(), sep) == 0 &&
         IsDigit(t[2 + sep.size()]) && IsDigit(t[3 + sep.size()]);
}

// Hours up to 23 and minutes up to 59, each of at most two digits, one separator at most: what
// a text being typed may hold on its way to a time.
bool PartsInRange(const std::wstring& t, const std::wstring& sep) {
  const size_t at = t.find(sep);
  auto inRange = [](const std::wstring& part, int most) {
    if (part.size() > 2) return false;
    int v = 0;
    for (wchar_t c : part) {
      if (!IsDigit(c)) return false;
      v = v * 10 + (c - L'0');
    }
    return v <= most;
  };
  return inRange(at == std::wstring::npos ? t : t.substr(0, at), 23) &&
         (at == std::wstring::npos || inRange(t.substr(at + sep.size()), 59));
}

}  // namespace

void TTimeEdit::Select(size_t start, size_t end) {
  SendMessageW(HandleIfAllocated(), EM_SETSEL, start, end);
}

void TTimeEdit::Replace(const std::wstring& text, size_t caret) {
  // Through the edit's own replacement, so that Undo and the change notification work as for
  // anything typed.
  Select(0, Text().size());
  SendMessageW(HandleIfAllocated(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  Select(caret, caret);
}

void TTimeEdit::Refuse() { MessageBeep(MB_OK); }

bool TTimeEdit::Erase(bool forward) {
  DWORD start = 0, end = 0;
  SendMessageW(HandleIfAllocated(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring sep = TimeSeparator();
  std::wstring text = Text();
  const bool whole = IsWholeTime(text, sep);
  if (start == end) {
    // The separator is stepped over, never erased: what is left stays a time.
    if (forward) {
      if (start >= text.size()) return true;
      if (text.compare(start, sep.size(), sep) == 0) return Select(start + sep.size(), start + sep.size()), true;
      end = start + 1;
    } else {
      if (start == 0) return true;
      if (start >= sep.size() && text.compare(start - sep.size(), sep.size(), sep) == 0)
        return Select(start - sep.size(), start - sep.size()), true;
      start = end - 1;
    }
  }
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool kept = i < start || i >= end || !IsDigit(text[i]);
    // In a whole time an erased digit becomes 0, so that the parts stay where they are.
    if (kept)
      out += text[i];
    else if (whole)
      out += L'0';
  }
  Replace(out, start);
  return true;
}

bool TTimeEdit::TypeDigit(wchar_t c) {
  DWORD start = 0, end = 0;
  SendMessageW(HandleIfAllocated(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring sep = TimeSeparator();
  std::wstring text = Text();
  const size_t minutes = 2 + sep.size();
  if (IsWholeTime(text, sep)) {
    // As a masked field: the digit takes the place of the one at the caret (or at the start of
    // the selection), the separator stays, and the caret goes on to the next digit, from the
    // hours into the minutes. A part that would leave its range is refused there; a tens digit
    // that fits with a units digit of 0 only brings that 0 with it (2 over 19 gives 20).
    size_t at = start;
    if (at >= 2 && at < minutes) at = minutes;
    if (at >= text.size()) return Refuse(), true;
    const size_t part = at < 2 ? 0 : minutes;
    const int most = part == 0 ? 23 : 59, digit = c - L'0';
    int tens = text[part] - L'0', units = text[part + 1] - L'0';
    if (at == part) {
      if (digit * 10 > most) return Refuse(), true;
      tens = digit;
      if (tens * 10 + units > most) units = 0;
    } else {
      if (tens * 10 + digit > most) return Refuse(), true;
      units = digit;
    }
    text[part] = static_cast<wchar_t>(L'0' + tens);
    text[part + 1] = static_cast<wchar_t>(L'0' + units);
    const size_t next = at + 1 == 2 ? minutes : at + 1;
    Replace(text, next);
    return true;
  }
  // Typing a time into an empty or partly typed field: the digit goes in at the caret, after
  // the selected digits are taken out (a selected separator stays), and a digit right after two
  // digits of hours brings the separator with it.
  std::wstring out = text.substr(0, start);
  for (size_t i = start; i < end; ++i)
    if (!IsDigit(text[i])) out += text[i];
  const std::wstring rest = text.substr(end);
  if (out.size() == 2 && IsDigit(out[0]) && IsDigit(out[1]) && rest.compare(0, sep.size(), sep) != 0 &&
      out.find(sep) == std::wstring::npos)
    out += sep;
  out += c;
  const size_t caret = out.size();
  out += rest;
  if (out.size() > 4 + sep.size() || !PartsInRange(out, sep)) return Refuse(), true;
  Replace(out, caret);
  return true;
}

bool TTimeEdit::TypeSeparator() {
  DWORD start = 0, end = 0;
  SendMessageW(HandleIfAllocated(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring sep = TimeSeparator();
  const std::wstring text = Text();
  const size_t at = text.find(sep);
  // Typed in the hours of a time that has one, it moves on to the minutes; where there is
  // none yet, after one or two digits of hours, it is taken.
  if (at != std::wstring::npos) {
    if (start <= at) Select(at + sep.size(), at + sep.size());
    else Refuse();
    return true;
  }
  if (start != end || start != text.size() || text.empty()) return Refuse(), true;
  Replace(text + sep, text.size() + sep.size());
  return true;
}

void TTimeEdit::SelectClickedPart(int x) {
  const std::wstring sep = TimeSeparator();
  if (!IsWholeTime(Text(), sep)) return;
  DWORD start = 0, end = 0;
  SendMessageW(HandleIfAllocated(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start != end) return;  // a drag chose what it chose
  // The part under the click is the one typed next, from its first digit: a click on the
  // separator counts for the hours.
  const size_t minutes = 2 + sep.size();
  const LRESULT pos = SendMessageW(HandleIfAllocated(), EM_POSFROMCHAR, minutes, 0);
  if (x < GET_X_LPARAM(pos))
    Select(0, 2);
  else
    Select(minutes, minutes + 2);
}

LRESULT TTimeEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PASTE) {
    // Pasted text is held to what can be typed: anything else is refused whole. Over a whole
    // time, only a whole time in range is taken, in place of it.
    const std::wstring sep = TimeSeparator(), text = ClipboardText(HandleIfAllocated());
    for (wchar_t c : text)
      if (!IsTimeChar(c, sep)) return Refuse(), 0;
    if (IsWholeTime(Text(), sep)) {
      if (!IsWholeTime(text, sep) || !PartsInRange(text, sep)) return Refuse(), 0;
      Replace(text, text.size());
      return 0;
    }
  }
  if (msg == WM_CUT || msg == WM_CLEAR) {
    if (msg == WM_CUT) SendMessageW(HandleIfAllocated(), WM_COPY, 0, 0);
    Erase(true);
    return 0;
  }
  if (msg == WM_KEYDOWN && wp == VK_DELETE && !ReadOnly()) {
    if (GetKeyState(VK_SHIFT) < 0) SendMessageW(HandleIfAllocated(), WM_COPY, 0, 0);  // Shift+Delete cuts
    Erase(true);
    return 0;
  }
  if (msg == WM_LBUTTONUP) {
    const LRESULT r = TEdit::WndProc(msg, wp, lp);
    SelectClickedPart(GET_X_LPARAM(lp));
    return r;
  }
  if (msg == WM_CHAR && !ReadOnly()) {
    const wchar_t c = static_cast<wchar_t>(wp);
    const std::wstring sep = TimeSeparator();
    if (c == L'\b') return Erase(false), 0;
    // Other control characters (Ctrl+C, Ctrl+V...) do what they do in any edit.
    if (c < L' ') return TEdit::WndProc(msg, wp, lp);
    if (IsDigit(c)) return TypeDigit(c), 0;
    if (sep.find(c) != std::wstring::npos) return TypeSeparator(), 0;
    Refuse();
    return 0;
  }
  return TEdit::WndProc(msg, wp, lp);
}
