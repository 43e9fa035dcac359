// The real vxq.exe, started from a copy in a folder of the test's own (its notes live beside
// it), found by its window classes and driven from outside.
#include "ProgramTestEnv.h"

#include <gtest/gtest.h>

namespace {

using namespace e2e;

TEST_F(ProgramTest, StartsBehindASplashWithItsNotesOnceOnlyAndExitFromTheTrayMenuSavesEveryNote) {
  SetSetting(L"", L"SafeSave", 0);  // only the shut-down writes what was typed
  notetest::WriteNote("NA1", 100, 100, 200, 150, L"First");
  notetest::WriteNote("NA2", 350, 100, 200, 150, L"Second");
  DWORD t0 = GetTickCount();
  HANDLE running = Start();
  const DWORD pid = GetProcessId(running);
  DWORD splashFrom = 0, splashTo = 0;
  std::vector<HWND> notes;
  EXPECT_TRUE(WaitUntil([&] {
    const bool splash = !WindowsOf(pid, L"TSplashForm").empty();
    if (splash && !splashFrom) splashFrom = GetTickCount();
    if (!splash && splashFrom && !splashTo) splashTo = GetTickCount();
    notes = WindowsOf(pid, L"TNoteForm");
    return splashTo && notes.size() == 2;
  })) << "the splash comes and goes, and both notes are on the screen";
  EXPECT_NE(splashFrom, 0u) << "the splash shows";
  EXPECT_GE(splashTo - splashFrom, 900u) << "for a second at least";
  printf("start: %lu ms, splash up for %lu ms\n", GetTickCount() - t0, splashTo - splashFrom);
  HWND main = MainWindow(running);
  ASSERT_NE(main, nullptr) << "the main window appears";
  EXPECT_FALSE(IsWindowVisible(main)) << "and is never seen";
  HWND tray = TrayWindow(running);
  ASSERT_NE(tray, nullptr);
  EXPECT_TRUE(IconShown(tray, TTrayIcon::IconId)) << "the icon is in the notification area";

  HANDLE second = Start();
  EXPECT_TRUE(Ended(second, kPatience)) << "a second copy ends at once";
  EXPECT_FALSE(Ended(running, 0)) << "and leaves the first one running";
  EXPECT_EQ(WindowsOf(GetProcessId(second), L"TVantaroMainForm", false).size(), 0u);

  ASSERT_EQ(notes.size(), 2u);
  Type(NoteAtLeft(notes, 100), L"one");
  Type(NoteAtLeft(notes, 350), L"two");

  // A real right click on the icon in Wine's fallback tray window (without xdotool, the message
  // such a click sends). The first entry makes a note, the last one ends the program.
  HWND menu = TrayMenu(tray, true);
  ASSERT_NE(menu, nullptr) << "the tray menu opens";
  RECT r = testsupport::ScreenRect(menu);
  testsupport::SaveScreenShot(L"e2e_tray_menu", RECT{0, 0, r.right + 20, r.bottom + 20});
  Choose(menu, {VK_DOWN, VK_RETURN});
  EXPECT_EQ(AwaitWindows(pid, L"TNoteForm", 3).size(), 3u) << "the first entry is New Note";
  ASSERT_TRUE(WaitUntil([&] { return WindowsOf(pid, L"#32768").empty(); }));
  ASSERT_NE(menu = TrayMenu(tray, true), nullptr);
  t0 = GetTickCount();
  Choose(menu, {VK_UP, VK_RETURN});  // up from nothing chosen lands on the last entry: Exit
  EXPECT_TRUE(EndedNormally(running, kPatience)) << "Exit ends the program";
  printf("exit: %lu ms\n", GetTickCount() - t0);
  EXPECT_NE(PlainText(LoadNote(NoteFileName("NA1"))).find(L"one"), std::wstring::npos) << "saved before the end";
  EXPECT_NE(PlainText(LoadNote(NoteFileName("NA2"))).find(L"two"), std::wstring::npos) << "saved before the end";
}

TEST_F(ProgramTest, TerminateShowsTheClosingWindowAndSavesEveryNoteOrEndsAtOnceWithNothingRunning) {
  EXPECT_TRUE(Ended(Start(L"/TERMINATE"), kPatience)) << "nothing to ask: it ends at once";
  SetSetting(L"", L"SafeSave", 0);
  notetest::WriteNote("NT1", 100, 100, 200, 150, L"First");
  notetest::WriteNote("NT2", 350, 100, 200, 150, L"Second");
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  const std::vector<HWND> notes = AwaitWindows(pid, L"TNoteForm", 2);
  ASSERT_EQ(notes.size(), 2u);
  Type(NoteAtLeft(notes, 100), L"first typed");
  Type(NoteAtLeft(notes, 350), L"second typed");
  DWORD t0 = GetTickCount();
  HANDLE terminate = Start(L"/terminate");
  // Other copies keep asking meanwhile: one closing window, one pause, and the program ends.
  for (int i = 0; i < 30; ++i) SendNotifyMessageW(MainWindow(running), WM_CLOSEREQUEST, 0, 0);
  size_t mostClosing = 0;
  DWORD closingFrom = 0;
  WaitUntil(
      [&] {
        const size_t closing = WindowsOf(pid, L"TClosingVantaroDLG").size();
        mostClosing = std::max(mostClosing, closing);
        if (closing && !closingFrom) closingFrom = GetTickCount();
        return Ended(terminate, 0) && Ended(running, 0);
      });
  EXPECT_TRUE(Ended(terminate, 0)) << "the asking copy returns";
  EXPECT_TRUE(EndedNormally(running, 0)) << "the running copy ends";
  EXPECT_EQ(mostClosing, 1u) << "one closing window shows while the request is handled";
  EXPECT_GE(GetTickCount() - closingFrom, 900u) << "for a second before the program ends";
  printf("terminate: %lu ms\n", GetTickCount() - t0);
  EXPECT_NE(PlainText(LoadNote(NoteFileName("NT1"))).find(L"first typed"), std::wstring::npos);
  EXPECT_NE(PlainText(LoadNote(NoteFileName("NT2"))).find(L"second typed"), std::wstring::npos);
}

// In translator mode (/l), which writes the texts it misses to the language file.
TEST_F(ProgramTest, CloseRequestDuringAStartUpQuestionIsCarriedOutOnceStartUpIsDone) {
  const auto text = UseTesterLanguage();
  notetest::WriteNote("NQ1", 100, 100, 200, 150, L"Kept");
  testsupport::WriteBytes(NoteFileName("NQ2"), testsupport::Bytes{4, 0, 0, 0});  // from a newer version
  HANDLE running = Start(L"/S /l");
  const DWORD pid = GetProcessId(running);
  HWND box = AwaitWindow(pid, L"#32770");
  ASSERT_NE(box, nullptr) << "start-up asks about the newer note";
  EXPECT_TRUE(Ended(Start(L"/TERMINATE"), kPatience)) << "the request is kept: the asking copy need not wait";
  // Nobody may be there to answer: the request answers No itself.
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the question is answered by the request";
  EXPECT_TRUE(EndedNormally(running, kPatience)) << "the request is carried out once start-up is done";
  EXPECT_TRUE(FileExists(NoteFileName("NQ2"))) << "No keeps the newer note's file";
  EXPECT_NE(testsupport::ReadText(ExtractFilePath(exe_) + L"ExceptionsLog.txt").find("newer version"), std::string::npos)
      << "the question nobody saw is kept in the error log";
  EXPECT_EQ(LoadNote(NoteFileName("NQ1")).Title, L"Kept");
  EXPECT_EQ(text(L"LNG_Vantaro_Main", L"_exit"), "&Exit[M]") << "the missing text, marked";
  EXPECT_EQ(text(L"LNG_Vantaro_Generic", L"_closing_vantaro"), "Closing Vantaro . . .[M]") << "asked while closing";
  EXPECT_EQ(text(L"LNG_Vantaro_Main", L"_NewNote"), "&Fresh Note") << "a translated text stays";
}

// The session end's own answer is checked inside the process, by the shell tests.
TEST_F(ProgramTest, ANoteThatCannotBeSavedHoldsUpTheCloseRequestUntilItCanBeAndTheAskingCopyNeverWaits) {
  SetSetting(L"", L"SafeSave", 0);
  notetest::WriteNote("NS1", 100, 100, 200, 150, L"Locked");
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  std::vector<HWND> notes;
  bool splashSeen = false;
  ASSERT_TRUE(WaitUntil([&] {
    splashSeen = splashSeen || !WindowsOf(pid, L"TSplashForm", false).empty();
    return (notes = WindowsOf(pid, L"TNoteForm")).size() == 1;
  }));
  EXPECT_FALSE(splashSeen) << "/S starts without a splash";
  Type(notes[0], L"typed");
  auto lock = std::make_unique<notetest::Lock>(NoteFileName("NS1"));  // another program holds the file
  // The question that the request raises: Retry or Cancel.
  auto question = [&] {
    HWND found = nullptr;
    WaitUntil([&] {
      for (HWND box : WindowsOf(pid, L"#32770"))
        if (GetDlgItem(box, IDRETRY)) found = box;
      return found != nullptr;
    });
    return found;
  };
  // OK to the tick's own word that the note cannot be saved, whenever its box comes.
  auto tickBoxes = [&] {
    for (HWND box : WindowsOf(pid, L"#32770"))
      if (!GetDlgItem(box, IDRETRY)) PostMessageW(box, WM_COMMAND, IDOK, 0);
  };
  DWORD t0 = GetTickCount();
  HANDLE terminate = Start(L"/TERMINATE");
  // An installer or a script that asks must not wait for a person.
  EXPECT_TRUE(Ended(terminate, kPatience)) << "the asking copy hands the request over and returns";
  printf("/TERMINATE returned after %lu ms\n", GetTickCount() - t0);
  HWND asked = question();
  ASSERT_NE(asked, nullptr) << "the close request asks Retry or Cancel";
  PostMessageW(asked, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(WaitUntil([&] { return tickBoxes(), Ended(running, 0); }, 1500)) << "Cancel keeps the program";
  EXPECT_TRUE(WindowsOf(pid, L"TClosingVantaroDLG").empty()) << "and takes the closing window away";

  // Asked again; nobody answers, but the file comes free and the tick saves the note: the
  // question no longer holds and goes, and the program ends.
  EXPECT_TRUE(Ended(Start(L"/TERMINATE"), kPatience));
  ASSERT_NE(asked = question(), nullptr) << "asked again";
  EXPECT_FALSE(Ended(running, 1000)) << "the question waits while the note cannot be saved";
  lock.reset();
  EXPECT_TRUE(WaitUntil([&] { return tickBoxes(), Ended(running, 0); }))
      << "the question is taken back once the note is saved, and the request carried out";
  EXPECT_TRUE(EndedNormally(running, 0));
  EXPECT_NE(PlainText(LoadNote(NoteFileName("NS1"))).find(L"typed"), std::wstring::npos);
}

TEST_F(ProgramTest, UninstallAsksAndOnYesRemovesItsOwnNotesOnlyWhateverItsFolderIsNamedAndLeavesAndNamesEveryLink) {
  // "Ő" has "O" as its best fit in the code page: the sibling is what a narrowed name reaches.
  const std::wstring root = ExtractFilePath(exe_), own = root + L"Vantaro-Ő\\", sibling = root + L"Vantaro-O\\",
                     outside = root + L"outside\\";
  for (const std::wstring& f : {own + L"Users\\me\\", sibling + L"Users\\me\\", outside}) {
    ForceDirectories(f);
    notetest::WriteBytes(f + L"N1.vxn", notetest::Bytes{1});
  }
  ASSERT_TRUE(CopyFileW(exe_.c_str(), (own + L"vxq.exe").c_str(), FALSE));
  // Links to a folder and to a file outside: the system may remove what a link points to in its
  // place (Wine does, for a file), so the links stay, and are named.
  const std::wstring folderLink = own + L"Users\\me\\linked", fileLink = own + L"Users\\me\\N2.vxn";
  EXPECT_TRUE(testsupport::MakeDirectoryLink(folderLink, outside)) << "no link could be made here";
  EXPECT_TRUE(testsupport::MakeFileLink(fileLink, outside + L"N1.vxn")) << "no link could be made here";
  for (int answer : {IDNO, IDYES}) {
    HANDLE uninstall = Start(L"/UNINSTALL", own + L"vxq.exe");
    const DWORD pid = GetProcessId(uninstall);
    const std::vector<HWND> boxes = AwaitWindows(pid, L"#32770");
    ASSERT_FALSE(boxes.empty()) << "the question";
    PostMessageW(boxes[0], WM_COMMAND, answer, 0);
    HWND told = nullptr;
    WaitUntil([&] {
      for (HWND box : WindowsOf(pid, L"#32770"))
        if (box != boxes[0]) told = box;
      return told || Ended(uninstall, 0);
    });
    wchar_t text[2048] = L"";
    if (told) {
      GetDlgItemTextW(told, 0xFFFF, text, 2048);  // the text of a message box
      PostMessageW(told, WM_COMMAND, IDOK, 0);
    }
    EXPECT_TRUE(Ended(uninstall, kPatience));
    EXPECT_EQ(WindowsOf(pid, L"TVantaroMainForm", false).size(), 0u) << "the program never ran";
    EXPECT_EQ(FileExists(own + L"Users\\me\\N1.vxn"), answer == IDNO) << "its own notes go on Yes only";
    if (answer == IDNO) continue;
    const std::wstring said = text;
    EXPECT_TRUE(said.find(folderLink) != std::wstring::npos && said.find(fileLink) != std::wstring::npos)
        << "the links that stay are named: " << WideToUtf8(said);
    EXPECT_TRUE(DirectoryExists(folderLink) && FileExists(fileLink)) << "the links stay";
  }
  EXPECT_TRUE(FileExists(sibling + L"Users\\me\\N1.vxn")) << "the sibling's notes stay";
  EXPECT_TRUE(FileExists(outside + L"N1.vxn")) << "what a link points to stays";
}

TEST_F(ProgramTest, HotKeysMakeAFocusedNoteAndOpenTheOneNotesManagerAndTerminateDuringItsDeleteQuestionKeepsTheNote) {
  const auto text = UseTesterLanguage();  // a run without /l writes nothing to it
  notetest::WriteNote("NM1", 100, 100, 200, 150, L"Listed");
  SetHotKey(L"NewNoteShortCut", VK_F8);
  SetHotKey(L"NotesManagerShortCut", VK_F7);
  HANDLE running = Start(L"/s");
  const DWORD pid = GetProcessId(running);
  HWND tray = TrayWindow(running);
  const ATOM atom = HotKeyAtom("NotesManagerShortCut"), newNote = HotKeyAtom("NewNoteShortCut");
  const std::vector<HWND> notes = AwaitWindows(pid, L"TNoteForm", 1);
  ASSERT_TRUE(atom && newNote && notes.size() == 1);
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(RegisterHotKey(probe, 1, MOD_WIN, VK_F8)) << "the program holds Win+F8";
  EXPECT_EQ(GetLastError(), 1409u);
  DestroyWindow(probe);
  bool pressed = false;
  if (notetest::HaveXdotool()) {
    pressed = PressWinKey(L"F8", [&] { return WindowsOf(pid, L"TNoteForm").size() == 2; });
    EXPECT_TRUE(pressed) << "Win+F8 on the keyboard makes a new note";
  }
  if (!pressed) PostMessageW(MainWindow(running), WM_HOTKEY, newNote, MAKELPARAM(MOD_WIN, VK_F8));
  const std::vector<HWND> two = AwaitWindows(pid, L"TNoteForm", 2);
  ASSERT_EQ(two.size(), 2u) << "the hot key makes a new note";
  HWND fresh = two[0] == notes[0] ? two[1] : two[0];
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(fresh) == RichEditOf(fresh); })) << "ready for typing";
  Type(fresh, L"fresh");

  HWND menu = TrayMenu(tray);
  ASSERT_NE(menu, nullptr);
  Choose(menu, {VK_DOWN, VK_DOWN, VK_RETURN});  // past New Note and the separator to the manager
  const std::vector<HWND> managers = AwaitWindows(pid, L"TNotesManagerForm", 1);
  ASSERT_EQ(managers.size(), 1u) << "the tray menu opens the notes manager";
  // A window of ours covers it once it has come to the front; the hot key brings the same
  // window back there.
  WaitUntil([&] { return GetForegroundWindow() == managers[0] && Painted(managers[0]); });
  HWND cover = CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 1024, nullptr, nullptr,
                               nullptr, nullptr);
  SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(testsupport::ZRank(cover, {cover, managers[0]}), 0);
  PostMessageW(MainWindow(running), WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, VK_F7));
  EXPECT_TRUE(WaitUntil([&] { return testsupport::ZRank(managers[0], {cover, managers[0]}) == 0; }))
      << "brought to the front";
  EXPECT_EQ(WindowsOf(pid, L"TNotesManagerForm"), managers) << "still the one window";
  DestroyWindow(cover);

  // The note list is the list view right inside the window (the folder tree sits in a panel).
  HWND list = FindWindowExW(managers[0], nullptr, L"SysListView32", nullptr);
  ASSERT_NE(list, nullptr);
  RECT header = testsupport::ScreenRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)));
  const LPARAM firstRow = MAKELPARAM(30, header.bottom - header.top + 5);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, firstRow);
  PostMessageW(list, WM_LBUTTONUP, 0, firstRow);
  PostMessageW(list, WM_KEYDOWN, VK_DELETE, 1);
  HWND box = AwaitWindow(pid, L"#32770");
  ASSERT_NE(box, nullptr) << "Del asks whether to delete the note";
  // Ended from outside while the question is open: every note is saved and freed meanwhile;
  // Yes, then, finds the note gone from the program and must not delete it.
  HANDLE terminate = Start(L"/TERMINATE");
  EXPECT_TRUE(Ended(terminate, kPatience));
  // The asking copy does not wait for the request to be carried out: the test does, until the
  // shut-down under the question has ended it.
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the shut-down ends the question";
  PostMessageW(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(EndedNormally(running, kPatience)) << "the running copy ends normally";
  EXPECT_EQ(LoadNote(NoteFileName("NM1")).Title, L"Listed");
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((ExtractFilePath(NoteFileName("NM1")) + L"*.vxn").c_str(), &found);
  int files = 0;
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) ++files;
  FindClose(find);
  EXPECT_EQ(files, 2) << "both notes are saved, neither deleted";
  EXPECT_EQ(text(L"LNG_Vantaro_Main", L"_exit") + text(L"LNG_Vantaro_Generic", L"_closing_vantaro"), "(none)(none)");
  EXPECT_EQ(GlobalFindAtomA("NewNoteShortCut"), 0) << "the hot keys' atoms are released";
}

TEST_F(ProgramTest, UnderAWindowManagerWindowsComeAtOnceAndAClickedManagerComesAboveNormalNotesOnly) {
  WindowManager wm;
  if (!wm.Running() || !notetest::HaveXdotool()) GTEST_SKIP() << "needs openbox and xdotool";
  notetest::WriteNote("NW1", 250, 400, 200, 150, L"Normal");
  TNoteClass onTop = notetest::WriteNote("NW2", 760, 560, 150, 120, L"On top");
  onTop.SetAlwaysOnTop(true);
  testsupport::WriteBytes(NoteFileName("NW2"), EncodeNoteFile(onTop));
  SetHotKey(L"NewNoteShortCut", VK_F8);
  SetHotKey(L"NotesManagerShortCut", VK_F7);
  HANDLE running = Start(L"/S");
  const DWORD pid = GetProcessId(running);
  HWND main = MainWindow(running);
  const std::vector<HWND> notes = AwaitWindows(pid, L"TNoteForm", 2);
  ASSERT_EQ(notes.size(), 2u);
  const ATOM newNote = HotKeyAtom("NewNoteShortCut"), manager = HotKeyAtom("NotesManagerShortCut");
  ASSERT_TRUE(newNote && manager);

  // The new note's window, shown, painted and taking the keys; then Ctrl+O on it, typed as a
  // user types it, to the properties dialog painted.
  HWND note = nullptr;
  DWORD t0 = GetTickCount();
  PostMessageW(main, WM_HOTKEY, newNote, MAKELPARAM(MOD_WIN, VK_F8));
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND h : WindowsOf(pid, L"TNoteForm"))
          if (h != notes[0] && h != notes[1]) note = h;
        return note && FocusOf(note) == RichEditOf(note) && Painted(note);
      }));
  const DWORD newNoteMs = GetTickCount() - t0;
  WaitUntil([&] { return GetForegroundWindow() == note; });
  INPUT keys[4] = {};
  const WORD vk[4] = {VK_CONTROL, 'O', 'O', VK_CONTROL};
  for (int i = 0; i < 4; ++i) keys[i] = {INPUT_KEYBOARD, {.ki = {vk[i], 0, i >= 2 ? KEYEVENTF_KEYUP : 0u, 0, 0}}};
  HWND dialog = nullptr;
  t0 = GetTickCount();
  SendInput(4, keys, sizeof keys[0]);
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowW(L"TNoteConf", nullptr)) && Painted(dialog); }));
  const DWORD propertiesMs = GetTickCount() - t0;
  printf("under openbox: new note %lu ms, properties %lu ms\n", newNoteMs, propertiesMs);
  EXPECT_LT(newNoteMs, 1000u) << "a new note comes at once";
  EXPECT_LT(propertiesMs, 1000u) << "so does the properties dialog";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

  PostMessageW(main, WM_HOTKEY, manager, MAKELPARAM(MOD_WIN, VK_F7));
  const std::vector<HWND> managers = AwaitWindows(pid, L"TNotesManagerForm", 1);
  ASSERT_EQ(managers.size(), 1u);
  const RECT m = testsupport::ScreenRect(managers[0]);
  // Points where the manager lies under the normal note and under the one always on top.
  const POINT normal{420, 500}, always{880, 650};
  const COLORREF yellow = 0x00FFFF;
  ASSERT_TRUE(PtInRect(&m, normal) && PtInRect(&m, always));
  auto click = [](int x, int y) {
    // With a Win key left held (a lost release), openbox would take the click for itself.
    return notetest::StartXdotool(L"keyup super mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                                  L" click 1");
  };
  // The window manager maps the manager in its own time: a click before that would raise the
  // note only for the manager to come over it afterwards.
  ASSERT_TRUE(WaitUntil([&] { return testsupport::ScreenPixel(normal.x, normal.y) != yellow; }))
      << "the manager shows over the normal note";
  ASSERT_TRUE(click(300, 500));  // where the manager leaves the normal note in sight
  EXPECT_TRUE(WaitUntil([&] { return testsupport::ScreenPixel(normal.x, normal.y) == yellow; }))
      << "a clicked note comes above the manager";
  ASSERT_TRUE(click(m.left + 20, m.bottom - 60));
  EXPECT_TRUE(WaitUntil([&] { return testsupport::ScreenPixel(normal.x, normal.y) != yellow; }))
      << "the clicked manager comes above the normal note";
  EXPECT_EQ(testsupport::ScreenPixel(always.x, always.y), yellow) << "and stays below the note always on top";
  testsupport::SaveScreenShot(L"e2e_window_manager");
  EXPECT_TRUE(Terminate(running));
}

}  // namespace
