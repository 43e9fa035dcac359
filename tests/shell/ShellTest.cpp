// The shell inside one process: hot keys, the main window's menu and actions, the engine's
// shut-down.
#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

#include "ForeignWindows.h"
#include "notewindows/NoteConfUnit.h"
#include "notewindows/NoteTestEnv.h"
#include "notewindows/frmNotesManagerForm.h"
#include "shell/ShortcutManagerUnit.h"
#include "notes/RegistryUnit.h"
#include "todo/ToDoListEngine.h"
#include "todowindows/ToDoListFormUnit.h"
#include "ui/FileIO.h"
#include "ui/Registry.h"

namespace {

using notetest::Lock;
using notetest::NoteTest;
using notetest::UnwritableSettings;

TVx_Shortcut_data Value(std::uint8_t modifier, int key) {
  TVx_Shortcut_data d;
  d.Modifier = modifier;
  d.Key = key;
  return d;
}

TEST(HotKeys, KeyTableAndDisplayText) {
  for (int i = 1; i < VirtualKeyCount; ++i) {
    EXPECT_LT(VirtualKeyCodes[i - 1], VirtualKeyCodes[i]) << "row " << i;
    EXPECT_EQ(IndexOfVirtualKey(VirtualKeyCodes[i]), i) << "row " << i;
  }
  EXPECT_EQ(IndexOfVirtualKey(0x6A), 0) << "no row for multiply";
  const struct {
    std::uint8_t modifier;
    int key;
    const char* text;
  } rows[] = {{0, 'N', "None"},
              {1, 0, "None"},
              {1, 'N', "WIN + N key"},
              {1, '0', "WIN + 0 key"},
              {1, VK_BACK, "WIN + BACKSPACE key"},
              {1, VK_HELP, "WIN + HELP key"},
              {1, VK_NUMPAD9, "WIN + Numeric keypad 9 key"},
              {1, VK_DIVIDE, "WIN + Divide key"},
              {2, VK_F5, "CTRL + ALT + F5 key"},
              {1, VK_F24, "WIN + F24 key"},
              {7, VK_SPACE, "UNK +SPACEBAR"},
              {1, 0x6A, "WIN + NONE"}};
  for (const auto& r : rows) EXPECT_EQ(Value(r.modifier, r.key).ToText(), r.text) << r.text;
}

TEST_F(NoteTest, HotKeyTakenTwiceStaysUnregisteredAndHoldsNoAtom) {
  TForm window(Application, L"THotKeyProbe");
  TVx_Shortcut first, second;
  first.Window = second.Window = &window;
  first.Name = "VxqProbeFirst";
  second.Name = "VxqProbeSecond";

  first.SetShortcut(Value(1, VK_F9));
  ASSERT_TRUE(first.Registered);
  EXPECT_NE(GlobalFindAtomA("VxqProbeFirst"), 0);
  second.SetShortcut(Value(1, VK_F9));
  EXPECT_EQ(GetLastError(), 1409u) << "the key is taken";
  EXPECT_FALSE(second.Registered);
  EXPECT_EQ(GlobalFindAtomA("VxqProbeSecond"), 0) << "the atom of a failed registration is released at once";

  // The same value again: still one registration and one atom reference.
  first.SetShortcut(Value(1, VK_F9));
  EXPECT_TRUE(first.Registered);
  first.SetShortcut(Value(2, VK_F9));
  EXPECT_FALSE(first.Registered) << "Ctrl + Alt is shown, never registered";
  EXPECT_EQ(GlobalFindAtomA("VxqProbeFirst"), 0);
  second.SetShortcut(Value(1, VK_F9));
  EXPECT_TRUE(second.Registered) << "free again";
}

TEST_F(NoteTest, EngineThatCannotWriteTheSettingsStillReleasesHotKeysAndSavesNotes) {
  UnwritableSettings unwritable;
  SettingsChanged = true;
  TForm window(Application, L"THotKeyProbe");
  auto* engine = new TVantaroEngine;
  NewNoteShortCut = new TVx_Shortcut;
  NewNoteShortCut->Window = &window;
  NewNoteShortCut->Name = "NewNoteShortCut";
  NewNoteShortCut->SetShortcut(Value(1, VK_F10));
  ASSERT_TRUE(NewNoteShortCut->Registered);
  engine->NotesManager = new TNotesManager;
  engine->NotesManager->NewNote();
  TNoteWrapper* w = engine->NotesManager->Notes->Items(0);
  std::wstring file = w->FileName;
  w->Form->NoteEdit->SetText(L"kept");

  EXPECT_NO_THROW(delete engine);
  SettingsChanged = false;
  EXPECT_EQ(NewNoteShortCut, nullptr);
  EXPECT_TRUE(RegisterHotKey(window.Handle(), 7, MOD_WIN, VK_F10)) << "the hot key was released";
  UnregisterHotKey(window.Handle(), 7);
  EXPECT_EQ(notetest::PlainText(notetest::LoadNote(file)), L"kept");
}

TEST_F(NoteTest, SettingsRoundTripThatFailsGivesTheUserInterfaceBack) {
  struct FailingDialog : TVantaroEngine {
    bool RunSettingsDialog() override { throw std::runtime_error("dialog failed"); }
  } engine;
  engine.NotesManager = new TNotesManager;
  UIEnabled = true;
  EXPECT_THROW(engine.Setup(), std::runtime_error);
  EXPECT_TRUE(UIEnabled) << "hot keys and the tray act again";
}

TEST_F(NoteTest, TrayMenuFollowsTheActionsInItsOrder) {
  TVantaroMainForm form(Application);
  std::function<std::wstring(TMenuItem*)> walk = [&](TMenuItem* item) {
    std::wstring s;
    for (TMenuItem* i : item->Items()) {
      s += i->Caption;
      if (i->Count()) s += L"[" + walk(i) + L"]";
      s += L"|";
    }
    return s;
  };
  EXPECT_EQ(walk(form.TrayMenu->Items()),
            L"&New Note|-|Show Notes &Manager|My &ToDo List|My E&vents[Edi&t My Events|-|&Incoming Events|]|-|"
            L"&Setup|-|&Help[&Contents|-|Submit a &Bug|-|Make a &Donation|&Belvanto Website|&About Vantaro|]|-|"
            L"&Exit|");
  EXPECT_FALSE(form.TrayMenu->Items()->Items()[1]->Enabled) << "the first separator";
  // Every entry shows its picture.
  ASSERT_EQ(form.TrayMenu->Images, form.ImageList.get());
  for (TAction* a : form.MainActions->Actions())
    EXPECT_LT(a->ImageIndex(), form.ImageList->Count()) << WideToUtf8(a->Name());
}

class BrokenEngineForm : public TVantaroMainForm {
 public:
  using TVantaroMainForm::TVantaroMainForm;

 protected:
  TVantaroEngine* CreateEngine() override {
    UIEnabled = false;  // as the engine leaves it when a step fails
    throw std::runtime_error("cannot build");
  }
};

// Exit and a close request end a copy that runs without an engine alike.
class WithoutAnEngine : public NoteTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WithoutAnEngine, TheProgramStaysInTheTrayAndStillEnds) {
  std::vector<std::string> errors;
  Application->OnException = [&](const std::exception& e) { errors.push_back(e.what()); };
  Loading = true;
  VantaroMainForm = new BrokenEngineForm(Application);
  VantaroMainForm->DoCreate();
  TVantaroMainForm* form = VantaroMainForm;
  EXPECT_EQ(errors, std::vector<std::string>{"cannot build"});
  EXPECT_EQ(VantaroEngine, nullptr);
  EXPECT_TRUE(Loading);
  EXPECT_FALSE(form->NoteSystemTimer->Enabled());
  EXPECT_TRUE(form->TrayIcon->Active());
  form->MainActions->UpdateActions();
  EXPECT_FALSE(form->_setup->Enabled());
  EXPECT_TRUE(form->_exit->Enabled());
  EXPECT_TRUE(form->_NewNote->Execute()) << "does nothing without an engine";
  if (GetParam())
    SendMessageW(form->Handle(), WM_CLOSEREQUEST, 0, 0);
  else
    EXPECT_TRUE(form->_exit->Execute());
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(VantaroMainForm, nullptr);
  UIEnabled = true;
  Loading = false;
}

INSTANTIATE_TEST_SUITE_P(ExitOrCloseRequest, WithoutAnEngine, ::testing::Bool());

TEST_F(NoteTest, RunningMainWindowMakesNotesByTrayAndHotKeyAndExitsOnlyWhenEverythingIsSaved) {
  Loading = true;
  CreateMainForm();
  TVantaroMainForm* form = VantaroMainForm;
  ASSERT_NE(VantaroEngine, nullptr);
  EXPECT_FALSE(Loading);
  EXPECT_TRUE(UIEnabled);
  EXPECT_TRUE(form->NoteSystemTimer->Enabled());
  EXPECT_TRUE(form->TrayIcon->Active());
  TNotesManager* notes = VantaroEngine->NotesManager;
  NewNoteShortCut->SetShortcut(Value(1, VK_F11));
  ASSERT_TRUE(NewNoteShortCut->Registered);
  const struct {
    const char* what;
    std::uint8_t trayAction;
    bool uiEnabled, hotKey, newNote, manager;
  } rows[] = {{"tray: nothing", 0, true, false, false, false}, {"tray: manager", 2, true, false, false, true},
                {"tray: unknown", 7, true, false, false, false}, {"tray: UI held", 1, false, false, false, false},
                {"hot key: UI held", 1, false, true, false, false}, {"tray: new note", 1, true, false, true, false},
                {"hot key: new note", 1, true, true, true, false}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    DefaultTrayIconAction = r.trayAction;
    UIEnabled = r.uiEnabled;
    const int before = notes->Notes->Count();
    if (r.hotKey)
      SendMessageW(form->Handle(), WM_HOTKEY, NewNoteShortCut->Atom, MAKELPARAM(MOD_WIN, VK_F11));
    else  // what the system sends for a double-click: the last release comes after it
      for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageW(form->TrayIcon->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, m);
    testsupport::Pump(0);  // the double-click acts from a message of its own
    UIEnabled = true;
    ASSERT_EQ(notes->Notes->Count() - before, r.newNote ? 1 : 0);
    EXPECT_EQ(NotesManagerForm != nullptr, r.manager);
    CloseNotesManagerForm();
    if (r.newNote) {
      EXPECT_EQ(GetFocus(), notes->Notes->Items(before)->Form->NoteEdit->Handle()) << "ready for typing";
    }
  }
  // A released hot key's number may go to the next atom made: it must run nothing any more.
  const WPARAM released = NewNoteShortCut->Atom;
  NewNoteShortCut->SetShortcut(Value(0, 0));
  SendMessageW(form->Handle(), WM_HOTKEY, released, MAKELPARAM(MOD_WIN, VK_F11));
  EXPECT_EQ(notes->Notes->Count(), 2) << "a released hot key runs nothing";
  NewNoteShortCut->SetShortcut(Value(1, VK_F11));

  SetSoundHook([](const std::wstring&, UINT) {});
  TNoteClass* alarm = notes->Notes->Items(1)->Note;
  alarm->AlarmOn = true;
  alarm->AlarmAt = Now() - notetest::kMinute;
  for (bool loading : {true, false}) {
    Loading = loading;
    form->NoteSystemTimer->Tick();
    EXPECT_EQ(alarm->AlarmOn, loading) << (loading ? "the tick waits for start-up" : "rings once started");
  }
  SetSoundHook({});
  TNoteWrapper* w = notes->Notes->Items(0);
  ASSERT_TRUE(w->Save());
  const std::wstring file = w->FileName;

  // A note that cannot be saved: Cancel keeps the program and everything in it.
  w->Note->Title = L"Unsaved";
  auto lock = std::make_unique<Lock>(w->FileName);
  boxes.clear();
  RecordBoxes([](const MessageBoxRequest&) { return IDCANCEL; });
  form->_exit->Execute();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_NE(VantaroEngine, nullptr);
  EXPECT_EQ(VantaroMainForm, form);
  EXPECT_TRUE(form->NoteSystemTimer->Enabled());
  EXPECT_TRUE(NewNoteShortCut->Registered);
  EXPECT_FALSE(Application->Terminated());

  lock.reset();
  form->_exit->Execute();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(VantaroEngine, nullptr);
  EXPECT_EQ(NewNoteShortCut, nullptr);
  EXPECT_FALSE(form->TrayIcon->Active());
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(notetest::LoadNote(file).Title, L"Unsaved");
}

// Exit with many notes open: each note closes at once, and no message of the others is handled
// in between (with a thousand notes, repainting what each close uncovers took half a minute).
TEST_F(NoteTest, ExitClosesEveryNoteAtOnceWithoutHandlingMessagesBetweenTheCloses) {
  static int handled = 0;
  for (bool animations : {false, true}) {
    SCOPED_TRACE(animations ? "with the close animation" : "without it");
    Closing = false;
    NoteAnimations = animations;
    CreateMainForm();
    ASSERT_NE(VantaroEngine, nullptr);
    std::vector<HWND> windows;
    for (int i = 0; i < 5; ++i) {
      VantaroEngine->NotesManager->NewNote();
      TNoteForm* f = VantaroEngine->NotesManager->Notes->Items(i)->Form;
      f->SetBounds(100 + 20 * i, 100 + 20 * i, 200, 150);  // each over the one before
      windows.push_back(f->Handle());
    }
    testsupport::Pump(50);
    handled = 0;
    HHOOK hook = SetWindowsHookExW(
        WH_GETMESSAGE,
        [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
          if (code == HC_ACTION && wp == PM_REMOVE) ++handled;
          return CallNextHookEx(nullptr, code, wp, lp);
        },
        nullptr, GetCurrentThreadId());
    VantaroMainForm->_exit->Execute();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(VantaroEngine, nullptr);
    EXPECT_EQ(handled, 0) << "no message taken from the queue while the notes close";
    for (HWND h : windows) EXPECT_FALSE(IsWindow(h) && IsWindowVisible(h)) << "every note gone at once";
    testsupport::Pump(50);
  }
  NoteAnimations = false;
}

// The real main window and engine with one note, saved and then retitled: a change to save.
TNoteWrapper* RunWithOneChangedNote(const std::wstring& title) {
  CreateMainForm();
  if (!VantaroEngine) return nullptr;
  VantaroEngine->NotesManager->NewNote();
  TNoteWrapper* w = VantaroEngine->NotesManager->Notes->Items(0);
  EXPECT_TRUE(w->Save());
  w->Note->Title = title;
  return w;
}

TEST_F(NoteTest, SessionEndWaitsWhileANoteCannotBeSavedAndOtherwiseSavesBeforeItsAnswer) {
  TNoteWrapper* w = RunWithOneChangedNote(L"Unsaved");
  ASSERT_NE(w, nullptr);
  TVantaroMainForm* form = VantaroMainForm;
  const std::wstring file = w->FileName;
  w->Form->NoteEdit->SetText(L"before the answer");
  const HWND note = w->Form->Handle();
  TLifeCheck alive = form->Watch();
  RecordBoxes();  // the tick's own retry tells once that the note cannot be saved

  Lock lock(file);
  for (HWND asked : {form->Handle(), note})
    EXPECT_EQ(testsupport::EndSession(asked), 0) << "the session is asked to wait, by any window";
  EXPECT_NE(VantaroEngine, nullptr) << "and the program runs on";
  EXPECT_NE(ShutdownBlockReason().find(L"\"Unsaved\""), std::wstring::npos) << "the system is told which note";
  form->NoteSystemTimer->Tick();
  EXPECT_FALSE(ShutdownBlockReason().empty()) << "while it still cannot be saved";
  lock.Release();
  form->NoteSystemTimer->Tick();
  EXPECT_EQ(ShutdownBlockReason(), L"") << "withdrawn once saving works again";

  // Saved when asked; another program refuses, and the session and the program go on.
  for (HWND asked : {form->Handle(), note})
    EXPECT_EQ(testsupport::EndSession(asked, false), 1) << "the session may end";
  EXPECT_EQ(notetest::PlainText(notetest::LoadNote(file)), L"before the answer") << "saved before the answer";
  EXPECT_EQ(notetest::LoadNote(file).Title, L"Unsaved");
  ASSERT_NE(VantaroEngine, nullptr) << "the program runs on";
  EXPECT_EQ(VantaroMainForm, form);
  EXPECT_TRUE(form->NoteSystemTimer->Enabled() && form->TrayIcon->Active() && IsWindowVisible(note));
  EXPECT_FALSE(Closing || Application->Terminated());

  // The next time it ends: typed since the question, saved as the program shuts down.
  w->Form->NoteEdit->SetText(L"after the answer");
  EXPECT_EQ(SendMessageW(note, WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_NE(VantaroEngine, nullptr) << "the question alone ends nothing";
  w->Form->NoteEdit->SetText(L"after the question");
  SendMessageW(note, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(notetest::PlainText(notetest::LoadNote(file)), L"after the question");
  EXPECT_EQ(VantaroEngine, nullptr);
  EXPECT_EQ(VantaroMainForm, nullptr);
  EXPECT_TRUE(alive) << "not freed inside a handler";
  EXPECT_EQ(SendMessageW(form->Handle(), WM_CLOSEREQUEST, 0, 0), 1);
  EXPECT_EQ(FindWindowW(L"TClosingVantaroDLG", nullptr), nullptr) << "a late close request finds nothing to do";
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !alive; })) << "freed once the handler returned";
}

// The closing window's second does not stop the program from answering: a session end asked
// meanwhile (from another thread, as the system asks) gets its answer at once, and the request
// then finds the program already ended.
TEST_F(NoteTest, TheClosingWindowsSecondLeavesTheProgramAnswering) {
  TNoteWrapper* w = RunWithOneChangedNote(L"Pause");
  ASSERT_NE(w, nullptr);
  const HWND main = VantaroMainForm->Handle();
  const std::wstring file = w->FileName;
  w->Form->NoteEdit->SetText(L"typed before the request");
  std::atomic<bool> answered{false};
  std::atomic<ULONGLONG> waited{0};
  std::thread system([&] {
    // Wait until the request is being carried out: its closing window is up.
    for (const ULONGLONG from = GetTickCount64();
         !FindWindowW(L"TClosingVantaroDLG", nullptr) && GetTickCount64() - from < testsupport::kPatience;)
      Sleep(5);
    const ULONGLONG start = GetTickCount64();
    DWORD_PTR answer = 0;
    answered = SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 500, &answer) && answer;
    waited = GetTickCount64() - start;
    if (answered) SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
  });
  EXPECT_EQ(SendMessageW(main, WM_CLOSEREQUEST, 0, 0), 1);
  system.join();
  EXPECT_TRUE(answered) << "answered within half a second, not after the pause (" << waited << " ms)";
  EXPECT_EQ(VantaroEngine, nullptr) << "the session's end ended the program";
  EXPECT_EQ(notetest::PlainText(notetest::LoadNote(file)), L"typed before the request");
}

// A session end while one of our boxes about an unsaved note is open saves and frees every
// note: what runs after the box must not touch them.
TEST_F(NoteTest, SessionEndInsideAWarningAboutAnUnsavedNoteEndsCleanly) {
  const struct {
    const char* what;
    int answer;
    std::function<void()> open;
  } rows[] = {
      {"Exit's question, then Retry", IDRETRY, [] { VantaroMainForm->_exit->Execute(); }},
      {"the tick's warning", IDOK, [] { VantaroMainForm->NoteSystemTimer->Tick(); }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    Closing = false;
    TNoteWrapper* w = RunWithOneChangedNote(L"Late");
    ASSERT_NE(w, nullptr);
    const HWND main = VantaroMainForm->Handle();
    TLifeCheck alive = VantaroMainForm->Watch();
    const std::wstring file = w->FileName;
    auto lock = std::make_unique<Lock>(file);
    DWORD error = 0;
    EXPECT_FALSE(w->TrySave(error));  // failed before: the tick tries again
    boxes.clear();
    RecordBoxes([&](const MessageBoxRequest&) {
      if (boxes.size() > 1) return IDCANCEL;
      lock.reset();  // saving works again, and the session ends while the box is open
      EXPECT_EQ(testsupport::EndSession(main), 1);
      return r.answer;
    });
    r.open();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(VantaroEngine, nullptr);
    EXPECT_EQ(notetest::LoadNote(file).Title, L"Late");
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !alive; }));
    DeleteFileW(file.c_str());  // the next row starts with no notes
  }
}

// A to-do change that cannot be written holds up the program's end as an unsaved note does:
// the session is asked to wait, and a close request or Exit asks the user, instead of leaving the
// tasks to the error log.
enum class ToDoEnd { SessionEnd, CloseRequest, Exit };
class ToDoAtTheEnd : public NoteTest {
 protected:
  void TearDown() override {
    SetWriteFailAfter(std::nullopt);
    NoteTest::TearDown();
  }
  void ChangesAreSavedFirstOrHoldItUp(ToDoEnd how);
};

void ToDoAtTheEnd::ChangesAreSavedFirstOrHoldItUp(ToDoEnd how) {
  CreateMainForm();
  ASSERT_NE(VantaroEngine, nullptr);
  const std::wstring file = ProjectFileName(L"Mine");
  ASSERT_EQ(WriteProjectFile(file, {{L"task", false, 5}}), 0u);
  const HWND main = VantaroMainForm->Handle();
  TLifeCheck alive = VantaroMainForm->Watch();
  ShowToDoList(VantaroMainForm);
  ASSERT_NE(ToDOListForm, nullptr);
  ToDOListForm->ToDoList->SetItemIndex(0);
  ToDOListForm->Priority0Execute(0);
  boxes.clear();
  RecordBoxes([&](const MessageBoxRequest&) {
    // The first question is cancelled: the program stays. The second is retried once the
    // file can be written again.
    if (boxes.size() == 1) return IDCANCEL;
    SetWriteFailAfter(std::nullopt);
    return IDRETRY;
  });
  SetWriteFailAfter(0);
  // The user's request to end, once.
  auto ask = [&] {
    if (how == ToDoEnd::Exit)
      VantaroMainForm->_exit->Execute();
    else
      SendMessageW(main, WM_CLOSEREQUEST, 0, 0);
  };
  if (how == ToDoEnd::SessionEnd) {
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), 0) << "the session is asked to wait";
    EXPECT_NE(ShutdownBlockReason().find(file), std::wstring::npos) << WideToUtf8(ShutdownBlockReason());
    EXPECT_TRUE(boxes.empty()) << "nobody may be there to answer";
    VantaroMainForm->NoteSystemTimer->Tick();
    EXPECT_FALSE(ShutdownBlockReason().empty()) << "while it still cannot be saved";
    SetWriteFailAfter(std::nullopt);
    VantaroMainForm->NoteSystemTimer->Tick();
    EXPECT_EQ(ShutdownBlockReason(), L"") << "withdrawn once it is saved";
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), 1);
    SendMessageW(main, WM_ENDSESSION, TRUE, 0);
  } else {
    ask();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(file), std::wstring::npos) << WideToUtf8(boxes[0]);
    EXPECT_NE(VantaroEngine, nullptr) << "cancelled: the program stays";
    ask();
    EXPECT_EQ(boxes.size(), 2u);
  }
  SetWriteFailAfter(std::nullopt);
  EXPECT_EQ(VantaroEngine, nullptr);
  TToDoTasks tasks;
  std::wstring failure;
  ASSERT_TRUE(ReadProjectFile(file, tasks, failure));
  EXPECT_EQ(tasks, (TToDoTasks{{L"task", false, 0}}));
  EXPECT_FALSE(FileExists(ExeFolder() + L"ExceptionsLog.txt")) << "nothing left to the log";
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !alive; }));
}

// One test each: an ended program's application object does not start again.
TEST_F(ToDoAtTheEnd, SessionEnd) { ChangesAreSavedFirstOrHoldItUp(ToDoEnd::SessionEnd); }
TEST_F(ToDoAtTheEnd, CloseRequest) { ChangesAreSavedFirstOrHoldItUp(ToDoEnd::CloseRequest); }
TEST_F(ToDoAtTheEnd, Exit) { ChangesAreSavedFirstOrHoldItUp(ToDoEnd::Exit); }

TEST_F(NoteTest, ShutDownWritesTheHotKeysWithTheSettingsOnlyOnceTheyWereConfirmed) {
  for (bool confirmed : {false, true}) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
    Closing = false;
    CreateMainForm();
    ASSERT_NE(VantaroEngine, nullptr);
    SettingsChanged = confirmed;
    NewNoteShortCut->SetShortcut(Value(1, VK_F6));
    ShutdownOnce();
    TRegistry reg;
    EXPECT_EQ(reg.OpenKey(L"\\SOFTWARE\\Belvanto\\VxVantaro\\ShortCuts\\Keys", false) &&
                  reg.ValueExists(L"NewNoteShortCut_k") && reg.ReadInteger(L"NewNoteShortCut_k") == VK_F6,
              confirmed);
    testsupport::Pump(20);
  }
  SettingsChanged = false;
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
}

TEST_F(NoteTest, DialogsGiveTheUserInterfaceBackAsTheyFoundIt) {
  TNoteWrapper* w = RunWithOneChangedNote(L"Dialogs");
  ASSERT_NE(w, nullptr);
  VantaroEngine->ShowNotesManager();
  const std::pair<const char*, std::function<void()>> dialogs[] = {
      {"About from the tray", [] { VantaroMainForm->_about->Execute(); }},
      {"About from the notes manager", [] { NotesManagerForm->_About->Execute(); }},
      {"note properties", [&] { EditNoteProperties(w, 100, 100); }},
      {"settings", [] { VantaroEngine->Setup(); }},
      {"new note", [] { VantaroEngine->NotesManager->NewNote(); }},
  };
  for (const auto& [what, open] : dialogs)
    for (bool before : {false, true}) {
      UIEnabled = before;
      testsupport::Watchdog close(100);  // ends the dialog's modal loop
      open();
      EXPECT_EQ(UIEnabled, before) << what;
    }
  ShutdownOnce();
}

TEST(StartSwitches, OnlyTheirOwnPositionsCount) {
  // What is on: L marks missing texts, S shows the splash, U uninstalls, T terminates.
  const struct {
    const wchar_t *first, *second;
    const char* on;
  } rows[] = {{L"", L"", "S"},         {L"/s", L"/L", "L"},           {L"/L", L"/S", "LS"},
              {L"/l", L"/UNINSTALL", "LS"}, {L"/Uninstall", L"", "SU"}, {L"/TERMINATE", L"/l", "LST"},
              {L"/S", L"/TERMINATE", ""},  {L"-S", L"/LL", "S"},        {L"/S ", L"L", "S"}};
  for (const auto& r : rows) {
    const TStartSwitches s = ReadSwitches(r.first, r.second);
    const std::string on = std::string(s.MarkMissing ? "L" : "") + (s.Splash ? "S" : "") + (s.Uninstall ? "U" : "") +
                           (s.Terminate ? "T" : "");
    EXPECT_EQ(on, r.on) << WideToUtf8(std::wstring(r.first) + L"|" + r.second);
  }
}

TEST_F(NoteTest, TrayIconComesBackWithANewTaskbarAndAnswersItsClicks) {
  TTrayIcon icon(Application, L"TrayIcon");
  int clicks = 0, doubleClicks = 0;
  icon.OnClick = [&](TComponent*) { ++clicks; };
  icon.OnDblClick = [&](TComponent*) { ++doubleClicks; };
  auto shown = [&] { return IconShown(icon.Handle(), TTrayIcon::IconId); };
  ASSERT_TRUE(icon.SetActive(true));
  EXPECT_TRUE(shown());

  // A restarted taskbar has lost every icon and says so to every top-level window.
  NotifyIcon(NIM_DELETE, icon.Handle(), TTrayIcon::IconId);
  ASSERT_FALSE(shown());
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(shown()) << "added again";

  SendMessageW(icon.Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_LBUTTONUP);
  SendMessageW(icon.Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_LBUTTONDBLCLK);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubleClicks, 1);
  icon.SetActive(false);
  EXPECT_FALSE(shown());
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(shown()) << "an inactive icon stays away";
}

}  // namespace
