// The time edit: reading a time as the locale writes it, and typing into the real control.
#include <windowsx.h>

#include <cmath>
#include <memory>
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

// A time edit on a shown form.
class TimeEditTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    host_ = std::make_unique<TForm>(Application, L"TTimeEditHost");
    host_->SetBounds(200, 200, 200, 100);
    edit = uitest::Put(new TTimeEdit(host_.get(), L"Time"), host_.get(), 10, 10, 60, 21);
    host_->Show();
    h = edit->Handle();
  }
  void TearDown() override {
    host_.reset();
    AppTest::TearDown();
  }

  const std::wstring sep = TimeSeparator();
  TTimeEdit* edit = nullptr;
  HWND h = nullptr;

 private:
  std::unique_ptr<TForm> host_;
};

TEST_F(TimeEditTest, OvertypesItsDigitsKeepsTheSeparatorRefusesWhatIsOutOfRangeAndTakesNoMoreThanFive) {
  // ":" stands for the user's separator in the table.
  auto local = [&](const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) c == L':' ? out += sep : out += c;
    return out;
  };
  // "\x7f" stands for the Delete key.
  struct Row {
    const wchar_t *text;
    int start, end;  // the selection the keys come in, in the table's characters
    const wchar_t *typed, *expected;
    int caret;  // where the next key goes
  } rows[] = {
      {L"", 0, 0, L"1a2 3x05", L"12:30", 5},     // letters and blanks refused, the separator comes by itself
      {L"", 0, 0, L"9:45", L"9:45", 4},          // a typed separator is taken as it is
      {L"", 0, 0, L"2479", L"2", 1},             // no hour 24, no minute 79 on the way either
      {L"12:", 3, 3, L"\b\b", L"1:", 1},         // Backspace steps over the separator
      {L"00:00", 0, 5, L"1230", L"12:30", 5},    // the whole time selected: typed over digit by digit
      {L"00:00", 0, 5, L"27", L"20:00", 1},      // hour 27 refused where it is typed
      {L"00:00", 0, 0, L"0915", L"09:15", 5},    // no selection: each digit overwrites the next
      {L"19:34", 0, 0, L"23", L"23:34", 3},      // 2 over 19 is 20 on the way to 23, never 29
      {L"12:34", 0, 0, L"3", L"12:34", 0},       // no hour in the thirties
      {L"12:34", 3, 5, L"5", L"12:54", 4},       // the minutes selected
      {L"12:34", 1, 4, L"9", L"19:34", 3},       // across the separator, which stays
      {L"12:34", 2, 2, L"5", L"12:54", 4},       // in front of the separator: the digit goes after it
      {L"12:34", 2, 2, L":8", L"12:34", 3},      // the separator steps on; minute 84 is refused
      {L"12:34", 5, 5, L"6", L"12:34", 5},       // the end of a full time: nothing more
      {L"12:34", 0, 0, L"123456", L"12:34", 5},  // typed on past the end
      {L"12:34", 3, 3, L"\b", L"12:34", 2},      // the separator is never erased
      {L"12:34", 2, 2, L"\x7f", L"12:34", 3},    // not by Delete either
      {L"12:34", 5, 5, L"\b\b\b\b\b", L"00:00", 0},  // Backspace takes digit after digit, never the separator
      {L"12:34", 1, 4, L"\x7f", L"10:04", 1},    // a selection's digits go, the separator stays
      {L"12:34", 0, 5, L"\b0552", L"05:52", 5},  // all of it erased and typed again
      {L"12:", 0, 3, L"\b", L":", 0},            // partly typed: the digits go, the separator stays
  };
  for (const Row& r : rows) {
    SetWindowTextW(h, local(r.text).c_str());
    auto pos = [&](int i) { return i > 2 ? i - 1 + static_cast<int>(sep.size()) : i; };
    SendMessageW(h, EM_SETSEL, pos(r.start), pos(r.end));
    for (wchar_t c : local(r.typed)) {
      if (c == 0x7f)
        SendMessageW(h, WM_KEYDOWN, VK_DELETE, 1);
      else
        SendMessageW(h, WM_CHAR, c, 1);
    }
    DWORD start = 0, end = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(edit->Text(), local(r.expected)) << WideToUtf8(r.text) << " typed " << WideToUtf8(r.typed);
    EXPECT_EQ(static_cast<int>(start), pos(r.caret)) << WideToUtf8(r.text) << " typed " << WideToUtf8(r.typed);
    EXPECT_EQ(start, end);
  }

  // Pasted text is held to what can be typed, and to five characters; over a whole time, to a
  // whole time in range.
  struct Paste {
    std::wstring before, clip, result;
  } pastes[] = {{L"", L"hello", L""},
                {L"", L"7 PM", L""},
                {L"", L"1\r\n2", L""},
                {L"", local(L"08:15"), local(L"08:15")},
                {L"", L"123456789", L"12345"},
                {local(L"12:34"), local(L"08:15"), local(L"08:15")},
                {local(L"12:34"), local(L"25:15"), local(L"12:34")},
                {local(L"12:34"), L"7", local(L"12:34")}};
  for (const Paste& p : pastes) {
    ASSERT_TRUE(OpenClipboard(h));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (p.clip.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(g), p.clip.c_str(), (p.clip.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
    SetWindowTextW(h, p.before.c_str());
    SendMessageW(h, WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), p.result) << WideToUtf8(p.clip);
  }
}

// A click chooses the part under it, and the digits typed next fill it from its first digit and
// go on into the minutes: a click in the middle of "00:00" and 0552 is 05:52.
TEST_F(TimeEditTest, TypesIntoThePartUnderAClick) {
  const int minutes = 2 + static_cast<int>(sep.size());
  SetWindowTextW(h, (L"00" + sep + L"00").c_str());
  auto x = [&](int i) { return GET_X_LPARAM(SendMessageW(h, EM_POSFROMCHAR, i, 0)); };
  // Points over the characters: the second hour digit, the middle of the separator, the
  // second minute digit.
  const struct {
    const char* what;
    int at;
    const wchar_t* typed;
    std::wstring expected;
  } rows[] = {
      {"hours", (x(1) + x(2)) / 2, L"0552", L"05" + sep + L"52"},
      {"the separator", (x(2) + x(minutes)) / 2, L"0552", L"05" + sep + L"52"},
      {"minutes", x(minutes + 1) + 2, L"07", L"00" + sep + L"07"},
      {"hours, out of range", x(1) + 1, L"29", L"20" + sep + L"00"},
  };
  for (const auto& r : rows) {
    SetWindowTextW(h, (L"00" + sep + L"00").c_str());
    SendMessageW(h, EM_SETSEL, 0, 0);
    const int y = 10;
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.at, y));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(r.at, y));
    for (const wchar_t* c = r.typed; *c; ++c) SendMessageW(h, WM_CHAR, *c, 1);
    EXPECT_EQ(edit->Text(), r.expected) << "a click on " << r.what;
  }
}

}  // namespace
