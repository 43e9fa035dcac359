// The reminder events in the real program: the announcement at start-up, and the tray's entries
// to the events manager and the latest-events window.
#include "ProgramTestEnv.h"

#include <commctrl.h>

#include "events/MyEventsManagerUnit.h"

namespace e2e {
namespace {

// Today plus days, in the user's short date format, as the program reads it.
std::string DateFromToday(int days) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER u{{ft.dwLowDateTime, ft.dwHighDateTime}};
  u.QuadPart += static_cast<ULONGLONG>(days) * 864000000000ULL;
  ft = {u.LowPart, u.HighPart};
  FileTimeToSystemTime(&ft, &st);
  st.wYear -= 20;  // twenty years ago, on that day (29 February aside)
  char text[64] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 64);
  return text;
}

class EventsProgramTest : public ProgramTest {
 protected:
  std::wstring EventsFile() const { return NotesFolder + kEventsFileName; }
  // The rows of a window's tree-grid.
  static LRESULT Rows(HWND window) {
    HWND list = FindWindowExW(window, nullptr, L"SysListView32", nullptr);
    return list ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : -1;
  }
  // The tray menu's "My Events" submenu opened, its first entry chosen.
  static HWND EventsSubmenu(HWND tray) {
    HWND menu = TrayMenu(tray);
    if (!menu) return nullptr;
    Choose(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    DWORD pid = 0;
    GetWindowThreadProcessId(tray, &pid);
    const std::vector<HWND> menus = AwaitWindows(pid, L"#32768", 2);
    return menus.empty() ? nullptr : menus[0] == menu ? menus[1] : menus[0];
  }
};

TEST_F(EventsProgramTest, TodaysAndTomorrowsEventsAreAnnouncedAndANewEventIsSavedAtOnce) {
  const std::string file = "[main]\r\nfileinfo=1\r\n[item0]\r\nText=far away\r\ndate=" + DateFromToday(100) +
                           "\r\n[item1]\r\nText=birthday\r\ndate=" + DateFromToday(0) +
                           "\r\n[item2]\r\nText=wedding\r\ndate=" + DateFromToday(1) + "\r\n";
  testsupport::WriteBytes(EventsFile(), notetest::Bytes(file.begin(), file.end()));
  HANDLE running = Start();
  const DWORD pid = GetProcessId(running);
  HWND latest = AwaitWindow(pid, L"TLatestEvents");
  ASSERT_NE(latest, nullptr) << "the latest events are shown at start-up";
  EXPECT_EQ(Rows(latest), 4) << "Today with one event, Tomorrow with one";
  testsupport::SaveScreenShot(L"e2e_latest_events", testsupport::ScreenRect(latest));

  // The tray's "Edit My Events" opens the events manager; its menu's first entry adds an event.
  HWND submenu = EventsSubmenu(TrayWindow(running));
  ASSERT_NE(submenu, nullptr);
  Choose(submenu, {VK_RETURN});
  HWND manager = AwaitWindow(pid, L"TEventsManager");
  ASSERT_NE(manager, nullptr) << "Edit My Events opens the events manager";
  EXPECT_TRUE(WaitUntil([&] { return Rows(manager) == 3; }));
  EXPECT_TRUE(WaitUntil([&] { return WindowsOf(pid, L"#32768").empty(); }));
  PostMessageW(manager, WM_SYSCOMMAND, SC_KEYMENU, 'e');
  HWND menu = AwaitWindow(pid, L"#32768");
  ASSERT_NE(menu, nullptr) << "the Events menu opens";
  Choose(menu, {VK_RETURN});
  HWND dialog = AwaitWindow(pid, L"TMyEventEdit");
  ASSERT_NE(dialog, nullptr) << "New Event opens the edit dialog";
  HWND text = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
  ASSERT_NE(text, nullptr);
  for (wchar_t c : std::wstring(L"added in the manager")) PostMessageW(text, WM_CHAR, c, 1);
  PostMessageW(text, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitUntil([&] { return Rows(manager) == 4; })) << "the new event is the last row";
  EXPECT_NE(testsupport::ReadText(EventsFile()).find("[item3]\r\nText=added in the manager\r\n"), std::string::npos)
      << "in the file while the program runs";
  EXPECT_TRUE(Terminate(running));
}

TEST_F(EventsProgramTest, NothingDueShowsNothingAtStartUpButIncomingEventsAlwaysOpens) {
  const std::string file = "[main]\r\nfileinfo=1\r\n[item0]\r\nText=far away\r\ndate=" + DateFromToday(100) + "\r\n";
  testsupport::WriteBytes(EventsFile(), notetest::Bytes(file.begin(), file.end()));
  HANDLE running = Start();
  const DWORD pid = GetProcessId(running);
  HWND tray = AwaitStartUp(running);
  ASSERT_NE(tray, nullptr);
  EXPECT_TRUE(WindowsOf(pid, L"TLatestEvents").empty()) << "nothing is announced";
  HWND submenu = EventsSubmenu(tray);
  ASSERT_NE(submenu, nullptr);
  Choose(submenu, {VK_DOWN, VK_RETURN});
  HWND latest = AwaitWindow(pid, L"TLatestEvents");
  ASSERT_NE(latest, nullptr) << "Incoming Events opens it all the same";
  EXPECT_EQ(Rows(latest), 1) << "the one line that says there is nothing";
  EXPECT_TRUE(Terminate(running));
  EXPECT_EQ(testsupport::ReadText(EventsFile()), file) << "read and not changed: written back as it was";
}

}  // namespace
}  // namespace e2e
