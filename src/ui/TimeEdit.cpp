#include "ui/TimeEdit.h"

#include <windows.h>

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
}  // namespace

LRESULT TTimeEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PASTE) {
    // Pasted text is held to what can be typed: anything else is refused whole.
    const std::wstring sep = TimeSeparator(), text = ClipboardText(HandleIfAllocated());
    for (wchar_t c : text)
      if (!IsTimeChar(c, sep)) {
        MessageBeep(MB_OK);
        return 0;
      }
  }
  if (msg == WM_CHAR) {
    const wchar_t c = static_cast<wchar_t>(wp);
    const std::wstring sep = TimeSeparator();
    // Control characters (Backspace, Ctrl+C, Ctrl+V...) do what they do in any edit.
    if (c < L' ') return TEdit::WndProc(msg, wp, lp);
    bool isDigit = c >= L'0' && c <= L'9';
    if (!IsTimeChar(c, sep)) {
      MessageBeep(MB_OK);
      return 0;
    }
    DWORD start = 0, end = 0;
    SendMessageW(HandleIfAllocated(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::wstring text = Text();
    // As a masked field: the separator stays where it is. Typed on, the caret steps over it;
    // a digit typed on a digit (alone or in a selection) takes its place, and the caret goes on
    // to the next digit.
    size_t at = start;
    if (at < text.size() && text.compare(at, sep.size(), sep) == 0) {
      at += sep.size();
      if (!isDigit) {
        SendMessageW(HandleIfAllocated(), EM_SETSEL, at, at);
        return 0;
      }
    }
    if (isDigit && at < text.size() && iswdigit(text[at])) {
      SendMessageW(HandleIfAllocated(), EM_SETSEL, at, at + 1);
      const wchar_t digit[2] = {c, 0};
      SendMessageW(HandleIfAllocated(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(digit));
      if (text.compare(at + 1, sep.size(), sep) == 0)
        SendMessageW(HandleIfAllocated(), EM_SETSEL, at + 1 + sep.size(), at + 1 + sep.size());
      return 0;
    }
    // A digit typed right after two digits of hours brings the separator with it.
    if (isDigit && start == 2 && end >= start && text.size() >= 2 && iswdigit(text[0]) && iswdigit(text[1]) &&
        text.compare(2, sep.size(), sep) != 0 &&
        text.size() - (end - start) + 1 + sep.size() <= 2 + sep.size() + 2)
      SendMessageW(HandleIfAllocated(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(sep.c_str()));
  }
  return TEdit::WndProc(msg, wp, lp);
}
