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
  // The tray's "Edit My Events": the events manager window.
  static HWND OpenManager(HANDLE running) {
    const DWORD pid = GetProcessId(running);
    HWND submenu = EventsSubmenu(TrayWindow(running));
    EXPECT_NE(submenu, nullptr);
    if (!submenu) return nullptr;
    Choose(submenu, {VK_RETURN});
    HWND manager = AwaitWindow(pid, L"TEventsManager");
    EXPECT_NE(manager, nullptr) << "Edit My Events opens the events manager";
    EXPECT_TRUE(WaitUntil([&] { return WindowsOf(pid, L"#32768").empty(); }));
    return manager;
  }
  // New Event in the events manager's menu, text typed and Enter; returns whether the dialog came
  // and went.
  static bool AddEvent(HWND manager, const std::wstring& typed) {
    DWORD pid = 0;
    GetWindowThreadProcessId(manager, &pid);
    PostMessageW(manager, WM_SYSCOMMAND, SC_KEYMENU, 'e');
    HWND menu = AwaitWindow(pid, L"#32768");
    EXPECT_NE(menu, nullptr) << "the Events menu opens";
    if (!menu) return false;
    Choose(menu, {VK_RETURN});
    HWND dialog = AwaitWindow(pid, L"TMyEventEdit");
    EXPECT_NE(dialog, nullptr) << "New Event opens the edit dialog";
    HWND text = dialog ? FindWindowExW(dialog, nullptr, L"Edit", nullptr) : nullptr;
    if (!text) return false;
    for (wchar_t c : typed) PostMessageW(text, WM_CHAR, c, 1);
    PostMessageW(text, WM_KEYDOWN, VK_RETURN, 1);
    return WaitUntil([&] { return WindowsOf(pid, L"TMyEventEdit").empty(); });
  }
  bool FileHolds(const std::string& text) const {
    return testsupport::ReadText(EventsFile()).find(text) != std::string::npos;
  }
  // A message box of the program, with or without a Retry button.
  static HWND Box(DWORD pid, bool retry) {
    HWND found = nullptr;
    WaitUntil([&] {
      for (HWND box : WindowsOf(pid, L"#32770"))
        if ((GetDlgItem(box, IDRETRY) != nullptr) == retry) found = box;
      return found != nullptr;
    });
    return found;
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
  HWND manager = OpenManager(running);
  ASSERT_NE(manager, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Rows(manager) == 3; }));
  ASSERT_TRUE(AddEvent(manager, L"added in the manager"));
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

// A backup or a sync tool holds the events file as the program starts, and lets it go later.
TEST_F(EventsProgramTest, AFileHeldAtStartUpIsReadOnceLetGoAndKeepsWhatWasAddedMeanwhile) {
  const std::string file = "[main]\r\nfileinfo=1\r\n[item0]\r\nText=far away\r\ndate=" + DateFromToday(100) + "\r\n";
  testsupport::WriteBytes(EventsFile(), notetest::Bytes(file.begin(), file.end()));
  auto lock = std::make_unique<notetest::Lock>(EventsFile());
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  HWND told = Box(pid, false);
  ASSERT_NE(told, nullptr) << "start-up tells that the file cannot be read";
  PostMessageW(told, WM_COMMAND, IDOK, 0);
  ASSERT_NE(AwaitStartUp(running), nullptr);
  HWND manager = OpenManager(running);
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(Rows(manager), 0);
  ASSERT_TRUE(AddEvent(manager, L"added while held"));
  EXPECT_TRUE(WaitUntil([&] { return Rows(manager) == 1; }));
  lock.reset();
  EXPECT_TRUE(WaitUntil([&] { return Rows(manager) == 2; })) << "read on the tick once let go";
  EXPECT_TRUE(WaitUntil([&] { return FileHolds("[item0]\r\nText=far away\r\n"
                                               "date=" + DateFromToday(100) + "\r\n[item1]\r\nText=added while held\r\n"); }))
      << "the file's events first, then what was added, saved";
  EXPECT_TRUE(Terminate(running));
}

// The file is held by another program after start-up: the new event cannot be written.
TEST_F(EventsProgramTest, AnEventThatCannotBeSavedHoldsUpTheCloseRequestUntilItCanBe) {
  const std::string file = "[main]\r\nfileinfo=1\r\n[item0]\r\nText=far away\r\ndate=" + DateFromToday(100) + "\r\n";
  testsupport::WriteBytes(EventsFile(), notetest::Bytes(file.begin(), file.end()));
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  ASSERT_NE(AwaitStartUp(running), nullptr);
  auto lock = std::make_unique<notetest::Lock>(EventsFile());
  HWND manager = OpenManager(running);
  ASSERT_NE(manager, nullptr);
  // The box that tells the failed save runs its own loop: the dialog is gone before it comes.
  ASSERT_TRUE(AddEvent(manager, L"added while held"));
  HWND told = Box(pid, false);
  ASSERT_NE(told, nullptr) << "the failed save is told";
  PostMessageW(told, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(Ended(Start(L"/TERMINATE"), kPatience)) << "the asking copy returns at once";
  HWND asked = Box(pid, true);
  ASSERT_NE(asked, nullptr) << "the close request asks Retry or Cancel";
  PostMessageW(asked, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(Ended(running, 1500)) << "Cancel keeps the program and the event";
  lock.reset();
  EXPECT_TRUE(WaitUntil([&] { return FileHolds("[item1]\r\nText=added while held\r\n"); }))
      << "the tick saves it once it can";
  EXPECT_TRUE(Terminate(running));
  EXPECT_TRUE(FileHolds("[item0]\r\nText=far away\r\n"));
}

}  // namespace
}  // namespace e2e
