// The settings dialog of the real program, opened from the tray and driven with the mouse and
// the keyboard: a new hot key for new notes, and a new default note colour for the open notes.
#include <algorithm>

#include "ProgramTestEnv.h"

namespace {

using namespace e2e;

std::wstring N(long v) { return std::to_wstring(v); }

// A real click (or two) of the left button at a client point of a window.
bool XClick(HWND h, int x, int y, int clicks = 1) {
  POINT p{x, y};
  ClientToScreen(h, &p);
  return notetest::StartXdotool(L"mousemove " + N(p.x) + L" " + N(p.y) + L" sleep 0.2 click --repeat " + N(clicks) +
                                L" --delay 80 1");
}

// The shown windows of a class inside a window, top to bottom.
std::vector<HWND> ShownChildren(HWND parent, const wchar_t* className, const wchar_t* text = nullptr) {
  struct Search {
    const wchar_t *cls, *text;
    std::vector<HWND> found;
  } s{className, text, {}};
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t cls[64] = {}, text[64] = {};
        GetClassNameW(h, cls, 64);
        GetWindowTextW(h, text, 64);
        if (IsWindowVisible(h) && lstrcmpiW(cls, s->cls) == 0 && (!s->text || lstrcmpW(text, s->text) == 0))
          s->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  std::sort(s.found.begin(), s.found.end(),
            [](HWND a, HWND b) { return testsupport::ScreenRect(a).top < testsupport::ScreenRect(b).top; });
  return s.found;
}

// The colour of a note's text area on the screen.
COLORREF NotePixel(HWND note) {
  const RECT r = testsupport::ScreenRect(RichEditOf(note));
  return testsupport::ScreenPixel(r.right - 10, r.bottom - 10);
}

// Win and a key pressed on the keyboard; returns once the program shows count notes, or after
// a while. xdotool's search may trip over a window that goes meanwhile: it is asked again then.
bool PressHotKey(DWORD pid, const wchar_t* key, size_t count, int attempts = 2, DWORD waitMs = kPatience / 3) {
  bool seen = false;
  for (int i = 0; i < attempts && !seen; ++i)
    seen = PressWinKey(key, [&] { return WindowsOf(pid, L"TNoteForm").size() == count; }, waitMs);
  return seen;
}

TEST_F(ProgramTest, SetupFromTheTrayGivesNewNotesAnotherKeyAndTheOpenNotesAnotherColour) {
  if (!notetest::HaveXdotool()) GTEST_SKIP() << "needs xdotool";
  notetest::WriteNote("NS1", 100, 600, 200, 150, L"Default colour");
  SetHotKey(L"NewNoteShortCut", VK_F8);
  HANDLE running = Start(L"/s");
  const DWORD pid = GetProcessId(running);
  HWND tray = TrayWindow(running);
  ASSERT_NE(HotKeyAtom("NewNoteShortCut"), 0);
  const std::vector<HWND> notes = AwaitWindows(pid, L"TNoteForm", 1);
  ASSERT_EQ(notes.size(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return Painted(notes[0]); }));
  const COLORREF yellow = NotePixel(notes[0]);

  HWND menu = TrayMenu(tray);
  ASSERT_NE(menu, nullptr);
  Choose(menu, {VK_UP, VK_UP, VK_UP, VK_RETURN});  // from the end: Exit, Help, Setup
  HWND dialog = AwaitWindow(pid, L"TConfigurationForm");
  ASSERT_NE(dialog, nullptr) << "Setup opens the settings dialog";
  ASSERT_TRUE(WaitUntil([&] { return Painted(dialog); }));
  HWND tabs = FindWindowExW(dialog, nullptr, L"SysTabControl32", nullptr);
  ASSERT_NE(tabs, nullptr);

  // The Shortcuts page, and a double-click on the new-note row.
  ASSERT_TRUE(XClick(tabs, 20, 10));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == tabs; })) << "the first tab has the keys";
  ASSERT_TRUE(notetest::StartXdotool(L"key Right"));
  std::vector<HWND> lists;
  ASSERT_TRUE(WaitUntil([&] { return (lists = ShownChildren(dialog, L"SysListView32")).size() == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return Painted(dialog); }));
  ASSERT_TRUE(XClick(lists[0], 60, 8, 2));
  HWND editor = AwaitWindow(pid, L"TShortCutEditor");
  ASSERT_NE(editor, nullptr) << "the double-click opens the shortcut editor";
  ASSERT_TRUE(WaitUntil([&] { return Painted(editor) && FocusOf(editor) != nullptr; }));
  testsupport::SaveScreenShot(L"e2e-shortcut-editor", testsupport::ScreenRect(editor));
  // From the modifier to the key, one key further (F8 to F9), and Enter for OK.
  ASSERT_TRUE(notetest::StartXdotool(L"key Tab sleep 0.2 key Down sleep 0.2 key Return"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(editor); })) << "OK closes the editor";

  // The style page, and a colour from the note colour's palette.
  ASSERT_TRUE(XClick(tabs, 20, 10));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == tabs; }));
  ASSERT_TRUE(notetest::StartXdotool(L"key Right sleep 0.2 key Right"));
  std::vector<HWND> pickers;  // the colour buttons show a colour, not a text
  ASSERT_TRUE(WaitUntil([&] { return (pickers = ShownChildren(dialog, L"Button", L"")).size() == 2; }));
  ASSERT_TRUE(WaitUntil([&] { return Painted(dialog); }));
  testsupport::SaveScreenShot(L"e2e-settings-style", testsupport::ScreenRect(dialog));
  RECT picker;
  GetClientRect(pickers[1], &picker);
  ASSERT_TRUE(XClick(pickers[1], picker.right - 5, picker.bottom / 2));  // its arrow
  HWND palette = AwaitWindow(pid, L"TColorPalette");
  ASSERT_NE(palette, nullptr) << "the arrow drops the palette down";
  ASSERT_TRUE(WaitUntil([&] { return Painted(palette); }));
  RECT cells;
  GetClientRect(palette, &cells);
  ASSERT_TRUE(XClick(palette, cells.right / 2 + 9, cells.bottom / 2));  // a colour in the middle
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(palette); }));
  EXPECT_EQ(NotePixel(notes[0]), yellow) << "the open notes wait for OK";

  const std::vector<HWND> ok = ShownChildren(dialog, L"Button", L"OK");
  ASSERT_EQ(ok.size(), 1u);
  ASSERT_TRUE(XClick(ok[0], 20, 10));
  ASSERT_TRUE(WaitUntil([&] { return WindowsOf(pid, L"TConfigurationForm").empty(); })) << "OK closes it";
  // Read until the same colour shows twice: a repaint caught half-way shows something else.
  COLORREF refreshed = yellow;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const COLORREF now = NotePixel(notes[0]);
        const bool settled = now != yellow && now == refreshed;
        refreshed = now;
        return settled;
      }))
      << "the open note takes the new default colour";

  EXPECT_TRUE(PressHotKey(pid, L"F9", 2)) << "Win+F9 makes a new note now";
  const std::vector<HWND> two = WindowsOf(pid, L"TNoteForm");
  ASSERT_EQ(two.size(), 2u);
  HWND fresh = two[0] == notes[0] ? two[1] : two[0];
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(fresh) == RichEditOf(fresh); })) << "ready for typing";
  EXPECT_FALSE(PressHotKey(pid, L"F8", 3, 1, 1500)) << "Win+F8 makes none any more";
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(RegisterHotKey(probe, 1, MOD_WIN, VK_F8)) << "the program let Win+F8 go";
  UnregisterHotKey(probe, 1);
  DestroyWindow(probe);

  EXPECT_TRUE(Terminate(running));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(L"\\SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys", false));
  EXPECT_EQ(reg.ReadInteger(L"NewNoteShortCut_k"), VK_F9);
  ASSERT_TRUE(reg.OpenKey(L"\\SOFTWARE\\Belvanto\\VxVantaro", false));
  EXPECT_EQ(static_cast<COLORREF>(reg.ReadInteger(L"NoteColor")), refreshed) << "the colour the note shows";
}

}  // namespace
