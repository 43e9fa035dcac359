// The time edit: reading a time as the locale writes it, and typing into the real control.
#include <cmath>
#include <stdexcept>

#include "UiTestEnv.h"
#include "ui/TimeEdit.h"

namespace {

using uitest::AppTest;

TEST(TimeText, ReadsHoursAndMinutesWithTheLocaleSeparatorAndNothingImpossible) {
  const std::wstring sep = TimeSeparator();
  struct Row {
    std::wstring text;
    bool ok;
    int seconds;
  } rows[] = {
      {L"12" + sep + L"30", true, 12 * 3600 + 30 * 60},
      {L"0" + sep + L"5", true, 5 * 60},
      {L" 23" + sep + L"59 ", true, 23 * 3600 + 59 * 60},
      {L"07" + sep + L"08" + sep + L"09", true, 7 * 3600 + 8 * 60 + 9},
      {L"12" + sep + L"00 PM", true, 12 * 3600},
      {L"12" + sep + L"00 AM", true, 0},
      {L"1" + sep + L"15 pm", true, 13 * 3600 + 15 * 60},
      {L"25" + sep + L"99", false, 0},
      {L"24" + sep + L"00", false, 0},
      {L"12" + sep + L"60", false, 0},
      {L"13" + sep + L"00 PM", false, 0},
      {L"", false, 0},
      {L"12", false, 0},
      {L"12" + sep, false, 0},
      {L"123" + sep + L"00", false, 0},
      {L"ab" + sep + L"cd", false, 0},
      {L"12" + sep + L"30" + sep + L"15" + sep + L"1", false, 0},
  };
  for (const Row& r : rows) {
    TDateTime t = -1;
    EXPECT_EQ(TryStrToTime(r.text, t), r.ok) << WideToUtf8(r.text);
    if (r.ok) {
      EXPECT_EQ(std::lround(t * 86400), r.seconds) << WideToUtf8(r.text);
    }
  }
  EXPECT_THROW(StrToTime(L"25" + sep + L"99"), std::invalid_argument);
}

TEST_F(AppTest, TimeEditOvertypesItsDigitsKeepsTheSeparatorAndTakesNoMoreThanFive) {
  TForm host(Application, L"TTimeEditHost");
  host.SetBounds(200, 200, 200, 100);
  auto* edit = uitest::Put(new TTimeEdit(&host, L"Time"), &host, 10, 10, 41, 21);
  host.Show();
  HWND h = edit->Handle();
  // ":" stands for the user's separator in the table.
  const std::wstring sep = TimeSeparator();
  auto local = [&](const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) c == L':' ? out += sep : out += c;
    return out;
  };
  struct Row {
    const wchar_t *text;
    int start, end;  // the selection the keys come in, in the table's characters
    const wchar_t *typed, *expected;
    int caret;  // where the next key goes
  } rows[] = {
      {L"", 0, 0, L"1a2 3x05", L"12:30", 5},    // letters and blanks refused, the separator comes by itself
      {L"", 0, 0, L"9:45", L"9:45", 4},         // a typed separator is taken as it is
      {L"12:", 3, 3, L"\b\b", L"1", 1},         // Backspace works
      {L"00:00", 0, 5, L"1230", L"12:30", 5},   // the whole time selected: typed over digit by digit
      {L"00:00", 0, 5, L"7", L"70:00", 1},      // one digit replaces only the first
      {L"00:00", 0, 0, L"0915", L"09:15", 5},   // no selection: each digit overwrites the next
      {L"12:34", 3, 5, L"5", L"12:54", 4},      // the minutes selected
      {L"12:34", 1, 4, L"9", L"19:34", 3},      // across the separator, which stays
      {L"12:34", 2, 2, L"5", L"12:54", 4},      // in front of the separator: the digit goes after it
      {L"12:34", 2, 2, L":8", L"12:84", 4},     // the separator typed over itself steps on
      {L"12:34", 5, 5, L"6", L"12:34", 5},      // the end of a full time: nothing more
      {L"12:34", 0, 0, L"123456", L"12:34", 5}, // typed on past the end
  };
  for (const Row& r : rows) {
    SetWindowTextW(h, local(r.text).c_str());
    auto pos = [&](int i) { return i > 2 ? i - 1 + static_cast<int>(sep.size()) : i; };
    SendMessageW(h, EM_SETSEL, pos(r.start), pos(r.end));
    for (wchar_t c : local(r.typed)) SendMessageW(h, WM_CHAR, c, 1);
    DWORD start = 0, end = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(edit->Text(), local(r.expected)) << WideToUtf8(r.text) << " typed " << WideToUtf8(r.typed);
    EXPECT_EQ(static_cast<int>(start), pos(r.caret)) << WideToUtf8(r.text) << " typed " << WideToUtf8(r.typed);
    EXPECT_EQ(start, end);
  }

  // Pasted text is held to what can be typed, and to five characters.
  struct Paste {
    std::wstring clip, result;
  } pastes[] = {{L"hello", L""}, {L"7 PM", L""}, {L"1\r\n2", L""}, {local(L"08:15"), local(L"08:15")},
                {L"123456789", L"12345"}};
  for (const Paste& p : pastes) {
    ASSERT_TRUE(OpenClipboard(h));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (p.clip.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(g), p.clip.c_str(), (p.clip.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
    SetWindowTextW(h, L"");
    SendMessageW(h, WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), p.result) << WideToUtf8(p.clip);
  }
}

}  // namespace
