// The real vxq.exe at the two ends of a user's day: the note a double-click on the tray icon
// makes, typed into with the keyboard, and the end of the Windows session, refused by another
// program and then carried out.
#include "ProgramTestEnv.h"

#include <gtest/gtest.h>

namespace {

using namespace e2e;

// Every top-level window of a process, shown or not: the system asks each of them whether the
// session may end.
std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  std::pair<DWORD, std::vector<HWND>> s{pid, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == s->first) s->second.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.second;
}

// The end of the session as the system brings it to a program: the question to every window,
// then, to every window, whether the session ends (only when each program agreed). Returns how
// many windows refused.
int EndSession(DWORD pid, bool othersAgree) {
  const std::vector<HWND> windows = TopLevelWindowsOf(pid);
  int refused = 0;
  for (HWND h : windows) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(h, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer) && !answer) ++refused;
  }
  for (HWND h : windows) SendMessageTimeoutW(h, WM_ENDSESSION, othersAgree && !refused, 0, SMTO_NORMAL, 10000, nullptr);
  return refused;
}

// The text of the note file that holds what, or nothing.
std::wstring NoteTextWith(const std::wstring& what) {
  const std::wstring folder = ExtractFilePath(NoteFileName("N1"));
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"*.vxn").c_str(), &found);
  std::wstring text;
  for (bool more = find != INVALID_HANDLE_VALUE; more && text.empty(); more = FindNextFileW(find, &found)) {
    const std::wstring t = PlainText(LoadNote(folder + found.cFileName));
    if (t.find(what) != std::wstring::npos) text = t;
  }
  FindClose(find);
  return text;
}

class EndingTest : public ProgramTest {
 protected:
  // A double-click on the tray icon with the real mouse makes a note; then the keyboard types
  // into it. Returns the new note's window.
  HWND DoubleClickTrayAndType(HANDLE running, const std::vector<HWND>& before, const std::wstring& text) {
    const DWORD pid = GetProcessId(running);
    if (!TrayWindow(running)) return nullptr;
    const RECT tray = TrayIconRect();
    const int x = (tray.left + tray.right) / 2, y = (tray.top + tray.bottom) / 2;
    EXPECT_TRUE(notetest::StartXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                                       L" sleep 0.3 click --repeat 2 --delay 120 1"));
    HWND note = nullptr;
    WaitUntil([&] {
      for (HWND h : WindowsOf(pid, L"TNoteForm"))
        if (std::find(before.begin(), before.end(), h) == before.end()) note = h;
      return note != nullptr;
    });
    if (!note) {
      ADD_FAILURE() << "the double-click makes a note";
      return nullptr;
    }
    // A user starts typing as soon as the note is there (a window manager may take a moment
    // more to hand it the focus than the program takes to show it).
    std::wstring keys;
    for (wchar_t c : text) keys += c == L' ' ? std::wstring(L"space ") : std::wstring(1, c) + L" ";
    // A Win key left held by an earlier xdotool whose release was lost would turn the letters
    // into the window manager's own shortcuts (Win+D shows the desktop): let it go first.
    EXPECT_TRUE(notetest::StartXdotool(L"keyup super sleep 0.3 key --delay 60 " + keys));
    HWND edit = RichEditOf(note);
    const bool typed = WaitUntil([&] { return SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) >= LRESULT(text.size()); });
    wchar_t got[256] = {};
    SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(got));
    EXPECT_TRUE(typed) << "the keys went to the new note; the foreground is "
                       << (GetForegroundWindow() == note ? std::string("the note") : Describe(GetForegroundWindow()));
    EXPECT_EQ(std::wstring(got), text);
    return note;
  }

  // Where the first icon stands in Wine's tray window (top left, under a window manager's
  // title bar when one runs).
  static RECT TrayIconRect() {
    RECT r{0, 20, 26, 44};  // the bare display's fallback tray, its first icon at about (13, 32)
    if (HWND tray = FindWindowW(nullptr, L"Wine System Tray")) {
      POINT origin{0, 0};
      ClientToScreen(tray, &origin);
      const int size = GetSystemMetrics(SM_CYSMICON) + 8;
      r = RECT{origin.x, origin.y, origin.x + size, origin.y + size};
    }
    return r;
  }

  static std::string Describe(HWND h) {
    wchar_t cls[64] = {}, title[64] = {};
    GetClassNameW(h, cls, 64);
    GetWindowTextW(h, title, 64);
    return WideToUtf8(std::wstring(cls) + L" \"" + title + L"\"");
  }
};

TEST_F(EndingTest, ATrayDoubleClickMakesANoteThatTakesTheKeysAndASessionEndRefusedElsewhereLeavesTheProgramRunning) {
  if (!notetest::HaveXdotool()) GTEST_SKIP() << "needs xdotool";
  SetSetting(L"", L"SafeSave", 0);  // only the session end saves what was typed
  SetSetting(L"", L"DefaultTrayIconAction", 1);
  notetest::WriteNote("NE1", 400, 300, 200, 150, L"There before");
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  const std::vector<HWND> before = AwaitWindows(pid, L"TNoteForm", 1);
  ASSERT_EQ(before.size(), 1u);
  HWND note = DoubleClickTrayAndType(running, before, L"first words");
  ASSERT_NE(note, nullptr);
  // Once the program has had keys of its own, the system holds it to the time of its last
  // message when it asks for the focus: a note made straight from the icon's message (which
  // brings no time) lost the focus to the click on the tray.
  HWND second = DoubleClickTrayAndType(running, {before[0], note}, L"second note");
  ASSERT_NE(second, nullptr);
  testsupport::SaveScreenShot(L"e2e_tray_double_click");

  // Another program refuses the log-off: ours has saved, and goes on.
  EXPECT_EQ(EndSession(pid, false), 0) << "every window lets the session end";
  EXPECT_EQ(NoteTextWith(L"first words"), L"first words") << "saved before the answer";
  EXPECT_FALSE(Ended(running, 1500)) << "the session goes on, and so does the program";
  EXPECT_TRUE(IsWindowVisible(note) && IsWindowVisible(before[0]));
  Type(note, L" and more");
  HWND tray = TrayWindow(running);
  ASSERT_NE(tray, nullptr);
  EXPECT_TRUE(IconShown(tray, TTrayIcon::IconId)) << "the icon stays";

  // The next session end is carried out.
  EXPECT_EQ(EndSession(pid, true), 0);
  EXPECT_TRUE(EndedNormally(running, kPatience)) << "the program ends with the session";
  EXPECT_EQ(NoteTextWith(L"first words"), L"first words and more");
}

TEST_F(EndingTest, UnderAWindowManagerATrayDoubleClickMakesANoteThatTakesTheKeys) {
  WindowManager wm;
  if (!wm.Running() || !notetest::HaveXdotool()) GTEST_SKIP() << "needs openbox and xdotool";
  SetSetting(L"", L"DefaultTrayIconAction", 1);
  HANDLE running = Start(L"/S");
  ASSERT_NE(AwaitStartUp(running), nullptr) << "the icon is in the tray before it is clicked";
  EXPECT_NE(DoubleClickTrayAndType(running, {}, L"under openbox"), nullptr);
  testsupport::SaveScreenShot(L"e2e_tray_double_click_openbox");
  EXPECT_TRUE(Terminate(running));
  EXPECT_EQ(NoteTextWith(L"under openbox"), L"under openbox");
}

// The error log beside the program, as text.
std::string ErrorLogOf(const std::wstring& exe) { return testsupport::ReadText(ExtractFilePath(exe) + L"ExceptionsLog.txt"); }

// A close request while start-up tells something in a box: nobody may be there to press OK, so
// the box is taken back, what it said goes to the error log, and the program ends.
TEST_F(EndingTest, ACloseRequestTakesBackTheBoxOfStartUpAndKeepsItsWordsInTheErrorLog) {
  const std::string notEvents = "not an events file\r\n";
  testsupport::WriteBytes(NotesFolder + L"myevents.evt", notetest::Bytes(notEvents.begin(), notEvents.end()));
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  ASSERT_NE(AwaitWindow(pid, L"#32770"), nullptr) << "start-up says the events file was kept aside";
  EXPECT_TRUE(Ended(Start(L"/TERMINATE"), kPatience));
  EXPECT_TRUE(EndedNormally(running, kPatience)) << "the box does not wait for an OK";
  EXPECT_NE(ErrorLogOf(exe_).find("holds no events"), std::string::npos) << ErrorLogOf(exe_);
}

// A note's save that fails holds up neither a close request right after the typing nor the end of
// the session. Typing, and at once a close request (as a second copy started with /TERMINATE
// hands it over): the note's own save a second after the typing fails within the closing
// window's second, and that failure is no box of its own; the request asks Retry or Cancel, and
// once the file is free and the note saved the question goes and the program ends. The session
// ending while the note's box is up takes that box back. Either way the failure is in the log.
TEST_F(EndingTest, ANoteThatCannotBeSavedHoldsUpNeitherACloseRequestRightAfterTypingNorTheSessionEnd) {
  for (const bool sessionEnd : {false, true}) {
    SCOPED_TRACE(sessionEnd ? "the session end" : "a close request");
    const char* id = "NL1";  // written anew for each road
    const std::wstring title = sessionEnd ? L"Held till the session end" : L"Held till the request";
    notetest::WriteNote(id, 100, 100, 200, 150, title);
    HANDLE running = Start(L"/S");
    const DWORD pid = GetProcessId(running);
    const std::vector<HWND> notes = AwaitWindows(pid, L"TNoteForm", 1);
    ASSERT_EQ(notes.size(), 1u);
    ASSERT_NE(TrayWindow(running), nullptr);
    auto lock = std::make_unique<notetest::Lock>(NoteFileName(id));
    Type(notes[0], L"typed");
    if (sessionEnd) {
      ASSERT_NE(AwaitWindow(pid, L"#32770"), nullptr) << "the note's save tells that it failed";
      lock.reset();
      EXPECT_EQ(EndSession(pid, true), 0);
    } else {
      SendNotifyMessageW(MainWindow(running), WM_CLOSEREQUEST, 0, 0);
      HWND asked = nullptr;
      ASSERT_TRUE(WaitUntil([&] {
        for (HWND box : WindowsOf(pid, L"#32770"))
          if (GetDlgItem(box, IDRETRY)) asked = box;
        return asked != nullptr;
      })) << "the request asks Retry or Cancel";
      for (HWND box : WindowsOf(pid, L"#32770")) EXPECT_EQ(box, asked) << "no other box";
      lock.reset();
    }
    EXPECT_TRUE(EndedNormally(running, kPatience)) << "the program ends";
    EXPECT_EQ(PlainText(LoadNote(NoteFileName(id))), L"typed");
    EXPECT_NE(ErrorLogOf(exe_).find(WideToUtf8(L"\"" + title + L"\" cannot be saved")), std::string::npos)
        << ErrorLogOf(exe_);
  }
}

}  // namespace
