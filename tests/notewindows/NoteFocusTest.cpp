// The note's text takes the keys whenever the note is active, whatever activated it, and
// keys go through the program's own message loop as a user's would.
#include "NoteTestEnv.h"

using namespace notetest;
using testsupport::Pump;
using testsupport::PumpUntil;

namespace {

class NoteFocusTest : public NoteTest {};

// A key as the keyboard delivers it: a key-down to the focused window, turned into a
// character by the loop's translation.
void PressKey(UINT vk) {
  HWND focus = GetFocus();
  LPARAM lp = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
  PostMessageW(focus, WM_KEYDOWN, vk, lp);
  PostMessageW(focus, WM_KEYUP, vk, lp | 0xC0000000);
  Pump(20);
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) PressKey(c == L'\t' ? VK_TAB : c == L'\r' ? VK_RETURN : static_cast<UINT>(towupper(c)));
}

TEST_F(NoteFocusTest, TheTextTakesTheKeysAfterStartTitleClicksMenusAndAnotherNoteClosing) {
  NoteTransparency = true;
  TNoteWrapper* a = OpenNote(100, 100, 220, 160, L"First");
  TNoteForm* fa = a->Form;
  SetForegroundWindow(fa->Handle());
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == fa->NoteEdit->Handle(); })) << "a shown note's text has the keys";
  // Tab and Enter are the text's own keys, not the dialog keyboard's.
  TypeText(L"a\tb\rc");
  EXPECT_EQ(fa->NoteEdit->Text(), L"a\tb\r\nc");

  // The edit menu leaves the note active, opaque and taking the keys.
  ASSERT_EQ(fa->AlphaBlendValue(), 225);
  POINT inText = fa->NoteEdit->ClientToScreen(POINT{20, 20});
  SetCursorPos(inText.x, inText.y);
  WithMenuOpen([&] { PostClick(fa->NoteEdit->Handle(), 20, 20, true); }, nullptr);
  EXPECT_EQ(GetActiveWindow(), fa->Handle());
  EXPECT_EQ(fa->AlphaBlendValue(), 225) << "the note stayed active while its menu was open";
  EXPECT_EQ(GetFocus(), fa->NoteEdit->Handle());
  TypeText(L"d");
  EXPECT_EQ(fa->NoteEdit->Text(), L"a\tb\r\ncd");

  // A second note takes the keys while it is active; when it closes, the first has them again.
  TNoteWrapper* b = OpenNote(400, 100, 220, 160, L"Second");
  TNoteForm* fb = b->Form;
  SetForegroundWindow(fb->Handle());
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == fb->NoteEdit->Handle(); }));
  TypeText(L"x");
  EXPECT_EQ(fb->NoteEdit->Text(), L"x");
  if (HaveXdotool()) {
    // A real click on the first note's title bar activates it with the keys in its text.
    RECT ra = ScreenRect(fa->Handle());
    StartXdotool(L"mousemove " + std::to_wstring(ra.left + 60) + L" " + std::to_wstring(ra.top + 5) + L" click 1");
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == fa->Handle(); }));
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == fa->NoteEdit->Handle(); })) << "after a click on the title bar";
    SetForegroundWindow(fb->Handle());
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == fb->NoteEdit->Handle(); }));
  }
  fb->CloseNote();
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == fa->Handle(); }));
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == fa->NoteEdit->Handle(); })) << "after the other note closed";
  TypeText(L"e");
  EXPECT_EQ(fa->NoteEdit->Text(), L"a\tb\r\ncde");
  // Alt and Alt+Space open no menu of the system's that would take the next keys.
  testsupport::Watchdog menuCloser(300);
  SendMessageW(fa->Handle(), WM_SYSCOMMAND, SC_KEYMENU, L' ');
  SendMessageW(fa->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
  EXPECT_FALSE(testsupport::Watchdog::fired);
}

}  // namespace
