// The shell inside one process: hot keys, the main window's menu and actions, the engine's
// shut-down.
#include <stdexcept>

#include <set>

#include "notewindows/NoteTestEnv.h"
#include "shell/ShortcutManagerUnit.h"
#include "notes/RegistryUnit.h"

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
  std::set<int> codes(VirtualKeyCodes, VirtualKeyCodes + VirtualKeyCount);
  EXPECT_EQ(codes.size(), 101u) << "every code once";
  EXPECT_STREQ(VirtualKeyNames[IndexOfVirtualKey(0x6C)], "Separator key");
  EXPECT_EQ(IndexOfVirtualKey(0x6A), 0) << "no row for multiply";
  EXPECT_STREQ(VirtualKeyNames[VirtualKeyCount - 1], "F24 key");
  EXPECT_EQ(VirtualKeyCodes[VirtualKeyCount - 1], 0x87);

  EXPECT_EQ(Value(0, 'N').ToText(), "None");
  EXPECT_EQ(Value(1, 0).ToText(), "None");
  EXPECT_EQ(Value(1, 'N').ToText(), "WIN + N key");
  EXPECT_EQ(Value(2, VK_F5).ToText(), "CTRL + ALT + F5 key");
  EXPECT_EQ(Value(7, VK_SPACE).ToText(), "UNK +SPACEBAR");
  EXPECT_EQ(Value(1, 0x6A).ToText(), "WIN + NONE");
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
  ATOM atom = static_cast<ATOM>(first.Atom);
  first.SetShortcut(Value(2, VK_F9));
  EXPECT_FALSE(first.Registered) << "Ctrl + Alt is shown, never registered";
  EXPECT_EQ(GlobalFindAtomA("VxqProbeFirst"), 0);
  EXPECT_EQ(GlobalGetAtomNameA(atom, nullptr, 0), 0u);
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
  std::vector<std::wstring> names;
  for (TAction* a : form.MainActions->Actions()) names.push_back(a->Name());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"_about", L"_contents", L"_donate", L"_website", L"_bugsubmit",
                                               L"_exit", L"_setup", L"_NewNote", L"_notesManager", L"_mytodolist",
                                               L"_editevents", L"_incomingevents"}));
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

TEST_F(NoteTest, WithoutAnEngineTheProgramStaysInTheTrayAndExitStillEndsIt) {
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
  EXPECT_TRUE(form->_exit->Execute());
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(VantaroMainForm, nullptr);
  UIEnabled = true;
  Loading = false;
}

TEST_F(NoteTest, RunningMainWindowMakesNotesByHotKeyAndExitsOnlyWhenEverythingIsSaved) {
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
  UIEnabled = false;
  SendMessageW(form->Handle(), WM_HOTKEY, NewNoteShortCut->Atom, MAKELPARAM(MOD_WIN, VK_F11));
  EXPECT_EQ(notes->Notes->Count(), 0) << "held while a dialog runs";
  UIEnabled = true;
  SendMessageW(form->Handle(), WM_HOTKEY, NewNoteShortCut->Atom, MAKELPARAM(MOD_WIN, VK_F11));
  ASSERT_EQ(notes->Notes->Count(), 1);
  TNoteWrapper* w = notes->Notes->Items(0);
  EXPECT_EQ(GetFocus(), w->Form->NoteEdit->Handle()) << "ready for typing";
  ASSERT_TRUE(w->Save());
  const std::wstring file = w->FileName;

  // A note that cannot be saved: Cancel keeps the program and everything in it.
  w->Note->Title = L"Unsaved";
  auto lock = std::make_unique<Lock>(w->FileName);
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

TEST_F(NoteTest, SessionEndSavesBeforeAnsweringAndTheWindowGoesOnlyAfterItsHandler) {
  CreateMainForm();
  TVantaroMainForm* form = VantaroMainForm;
  ASSERT_NE(VantaroEngine, nullptr);
  VantaroEngine->NotesManager->NewNote();
  TNoteWrapper* w = VantaroEngine->NotesManager->Notes->Items(0);
  std::wstring file = w->FileName;
  w->Form->NoteEdit->SetText(L"before the answer");
  TLifeCheck alive = form->Watch();

  EXPECT_EQ(SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(notetest::PlainText(notetest::LoadNote(file)), L"before the answer");
  EXPECT_EQ(VantaroEngine, nullptr);
  EXPECT_EQ(VantaroMainForm, nullptr);
  EXPECT_TRUE(alive) << "not freed inside its own handler";
  EXPECT_EQ(SendMessageW(form->Handle(), WM_CLOSEREQUEST, 0, 0), 1) << "a late close request finds nothing to do";
  testsupport::Pump(50);
  EXPECT_FALSE(alive) << "freed once the handler returned";
}

}  // namespace

namespace {

bool IconShown(HWND window) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = window;
  nid.uID = TTrayIcon::IconId;
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

TEST_F(NoteTest, TrayIconComesBackWithANewTaskbarAndAnswersItsClicks) {
  TTrayIcon icon(Application, L"TrayIcon");
  int clicks = 0, doubleClicks = 0;
  icon.OnClick = [&](TComponent*) { ++clicks; };
  icon.OnDblClick = [&](TComponent*) { ++doubleClicks; };
  ASSERT_TRUE(icon.SetActive(true));
  EXPECT_TRUE(IconShown(icon.Handle()));

  // A restarted taskbar has lost every icon and says so to every top-level window.
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = icon.Handle();
  nid.uID = TTrayIcon::IconId;
  Shell_NotifyIconW(NIM_DELETE, &nid);
  ASSERT_FALSE(IconShown(icon.Handle()));
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IconShown(icon.Handle())) << "added again";

  SendMessageW(icon.Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_LBUTTONUP);
  SendMessageW(icon.Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_LBUTTONDBLCLK);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubleClicks, 1);
  icon.SetActive(false);
  EXPECT_FALSE(IconShown(icon.Handle()));
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(IconShown(icon.Handle())) << "an inactive icon stays away";
}

}  // namespace
