// What the settings dialog does where a plain reading would fail the user: a stored sound file
// the edit refuses, the tray-action texts of the first dialog, hot keys that cannot be
// registered, and the end of the program while the dialog or one of its own dialogs is open.
#include "settings/SettingsTestEnv.h"

namespace {

using namespace settingstest;
using testsupport::DialogCloser;

TEST_F(SettingsTest, AStoredSoundFileTheEditRefusesStillOpensTheDialogAndOkAsksForAnotherName) {
  const std::wstring bracketed = ExeFolder() + L"ring[1].wav", good = ExeFolder() + L"ring.wav";
  for (const std::wstring& f : {bracketed, good}) testsupport::WriteBytes(f, {'R', 'I', 'F', 'F'});
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kMainKey, true));
  reg.WriteString(L"TrillFile", bracketed);
  StartProgram();
  ASSERT_EQ(TrillFile, bracketed);
  RecordBoxes();
  const bool opened = Setup([&](TConfigurationForm& d) {
    EXPECT_EQ(d.TrillFileEdit->Text(), bracketed) << "shown as it is stored";
    d.SetupPages->SetActivePage(d._language);
    d._ok->Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"Invalid file name - " + bracketed);
    EXPECT_EQ(d.ModalResult, mrNone) << "the dialog stays open";
    EXPECT_FALSE(SettingsChanged) << "with nothing stored";
    EXPECT_EQ(d.SetupPages->ActivePage(), d._Options) << "at the name to mend";
    // A name typed by hand with a bracket is refused the same way.
    SetWindowTextW(d.TrillFileEdit->Edit->Handle(), (ExeFolder() + L"new[2].wav").c_str());
    d._ok->Click();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(d.ModalResult, mrNone);
    SetWindowTextW(d.TrillFileEdit->Edit->Handle(), good.c_str());
    d._ok->Click();
  });
  ASSERT_TRUE(opened) << "the dialog opens whatever the stored name";
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(TrillFile, good);
  EXPECT_TRUE(UIEnabled);
}

TEST_F(SettingsTest, TheFirstDialogOfARunShowsTheTrayActionsInTheChosenLanguageAndItsDialogsTranslateToo) {
  MakeLanguageFile(L"tester.lng");
  const std::wstring file = LanguageFileName(L"tester");
  const struct {
    const wchar_t *section, *key, *text;
  } texts[] = {{L"LNG_Vantaro_Setup", L"_DoNothing", L"Niente"},
               {L"LNG_Vantaro_Setup", L"_CreateNewNote", L"Nuova nota"},
               {L"LNG_Vantaro_Setup", L"_OpenNotesManager", L"Gestione note"},
               {L"LNG_Vantaro_Setup", L"_setup_title", L"Impostazioni"},
               {L"LNG_Vantaro_Generic", L"_size", L"Misura"},
               {L"LNG_Vantaro_Generic", L"_change", L"Cambia"},
               {L"LNG_Vantaro_Generic", L"_ok", L"Va bene"},
               {L"LNG_ShortCut_Edit", L"_ShortCutEditor", L"Scorciatoia"},
               {L"LNG_Vantaro_Sizer", L"_note_size_title", L"Misura della nota"},
               {L"LNG_Vantaro_Sizer", L"_UsageLabel", L"OK per tenerla"},
               {L"LNG_Vantaro_Setup", L"_ShortcutsNotRegistered", L"Queste scorciatoie non funzionano."}};
  for (const auto& t : texts) WritePrivateProfileStringW(t.section, t.key, t.text, file.c_str());
  LanguageEngine = new TVxMultiLanguage;
  LanguageWrapper = new TVxMultiLanguageSTDWrp(LanguageEngine);
  LanguageEngine->LoadFromFile(file);
  DefaultTrayIconAction = 2;
  StartProgram();
  // Win+F9 is another program's: the message about it is the language's too.
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, VK_F9));
  RecordBoxes();
  ASSERT_TRUE(Setup([](TConfigurationForm& d) {
    d.NewNoteKey.Assign(Key(1, VK_F9));
    EXPECT_EQ(d.TrayIconActionSelector->Items.Strings(),
              (std::vector<std::wstring>{L"Niente", L"Nuova nota", L"Gestione note"}));
    EXPECT_EQ(d.TrayIconActionSelector->ItemIndex(), 2) << "the stored action stays chosen";
    EXPECT_EQ(d.TrayIconActionSelector->Text(), L"Gestione note");
    EXPECT_EQ(d.Caption(), L"Impostazioni");
    EXPECT_EQ(d.SizeLabel->Caption(), L"Misura: 160x160");
    EXPECT_EQ(d.NoteSizeChange->Caption(), L"Cambia");
    // The small dialogs translate themselves too.
    RunModal<TShortCutEditor>([&] { EditShortcut(d.NewNoteKey, &d); }, [](TShortCutEditor& e) {
      EXPECT_EQ(e.Caption(), L"Scorciatoia");
      EXPECT_EQ(e._ok->Caption(), L"Va bene");
      e._cancel->Click();
    });
    RunModal<TDefaultNoteSizeForm>([&] { d.NoteSizeChange->Click(); }, [](TDefaultNoteSizeForm& s) {
      EXPECT_EQ(s._note_size->Caption(), L"Misura della nota");
      EXPECT_EQ(s._UsageLabel->Caption(), L"OK per tenerla");
      EXPECT_EQ(s._OK->Caption(), L"Va bene");
      s._Cancel->Click();
    });
    d._ok->Click();
  }));
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
  EXPECT_EQ(DefaultTrayIconAction, 2);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind(L"Queste scorciatoie non funzionano.\n\nNew Note Shortcut: WIN + F9 key", 0), 0u)
      << WideToUtf8(boxes[0]);
}

TEST_F(SettingsTest, HotKeysThatCannotBeRegisteredAreNamedInOneMessageAndStoredAllTheSame) {
  StartProgram();
  // Win+F9 is another program's; F6 goes to two actions.
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_WIN, VK_F9));
  RecordBoxes();
  ASSERT_TRUE(Setup([](TConfigurationForm& d) {
    d.NewNoteKey.Assign(Key(1, VK_F9));
    d.NotesManagerKey.Assign(Key(1, VK_F6));
    d.ToDoListKey.Assign(Key(1, VK_F6));
    d._ok->Click();
  }));
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
  ASSERT_EQ(boxes.size(), 1u) << "one message";
  EXPECT_NE(boxes[0].find(L"New Note Shortcut: WIN + F9 key"), std::wstring::npos) << WideToUtf8(boxes[0]);
  EXPECT_NE(boxes[0].find(L"ToDo List Shortcut: WIN + F6 key"), std::wstring::npos) << WideToUtf8(boxes[0]);
  EXPECT_EQ(boxes[0].find(L"Notes Manager"), std::wstring::npos) << "that one works";
  EXPECT_TRUE(NotesManagerShortCut->Registered);
  const Values stored = ReadRegistry();
  EXPECT_EQ(stored.Keys[0].Key, VK_F9);
  EXPECT_EQ(stored.Keys[2].Key, VK_F6);
  EXPECT_TRUE(UIEnabled);
}

// What is open over the settings dialog when the program is asked to end.
enum class Over { Nothing, ShortcutEditor, SizeDialog, FontDialog, ColourDialog, FileBrowser };

// The close request of a second copy or the session's end reaches the main window while the
// dialog (and maybe one of its own dialogs) is open, with every setting changed in it; the user
// then presses OK wherever a dialog is still up.
void EndWhileOpen(UINT message, Over over) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  const std::wstring folder = ExeFolder();
  Values before{true, true, false, L"", 0x102030, 0x405060, {L"Arial", 7, 0, 0}, {L"Arial", 8, 0, 0}, 200, 180, 1,
                {Key(1, VK_F8), Key(0, 0), Key(0, 0)}, L"english"};
  WriteRegistry(before);
  CreateMainForm();
  ASSERT_NE(VantaroEngine, nullptr);
  // As after a dialog confirmed earlier in the run: the shut-down writes every setting.
  SettingsChanged = true;
  before.Sound = TrillFile;
  VantaroEngine->NotesManager->NewNote();
  TNoteWrapper* w = VantaroEngine->NotesManager->Notes->Items(0);
  const std::wstring file = w->FileName;
  HWND main = VantaroMainForm->Handle();
  LRESULT answer = 0;
  bool ran = false, systemDialogLeftOpen = false;
  ASSERT_TRUE(RunModal<TConfigurationForm>([] { VantaroMainForm->_setup->Execute(); }, [&](TConfigurationForm& d) {
    w->Form->NoteEdit->SetText(L"typed before the end");
    Values changed{false, false, true, folder + L"x.wav", 0x0A0B0C, 0x0D0E0F, {L"Tahoma", 11, 1, 5},
                   {L"Tahoma", 12, 2, 6}, 300, 260, 0, {Key(1, VK_F6), Key(1, VK_F7), Key(1, VK_F9)}, L""};
    WriteDialog(d, changed);
    TLifeCheck alive = d.Watch();
    auto end = [&] {
      answer = message == WM_QUERYENDSESSION ? testsupport::EndSession(main) : SendMessageW(main, message, 0, 0);
    };
    auto ownDialog = [&]<class F>(std::function<void()> open, TButton* F::*ok) {
      ran = RunModal<F>(open, [&](F& f) {
        TLifeCheck up = f.Watch();
        end();
        if (up) (f.*ok)->Click();
      });
    };
    auto systemDialog = [&](std::function<void()> open) {
      DialogCloser closer([&](HWND) { end(); });
      open();
      ran = closer.Found();
      systemDialogLeftOpen = closer.Forced();
    };
    switch (over) {
      case Over::Nothing:
        end();
        ran = true;
        break;
      case Over::ShortcutEditor:
        ownDialog.operator()<TShortCutEditor>([&] { EditShortcut(d.NewNoteKey, &d); }, &TShortCutEditor::_ok);
        break;
      case Over::SizeDialog:
        ownDialog.operator()<TDefaultNoteSizeForm>([&] { d.NoteSizeChange->Click(); }, &TDefaultNoteSizeForm::_OK);
        break;
      case Over::FontDialog: systemDialog([&] { d.TitleFontSelect->Click(); }); break;
      case Over::ColourDialog: systemDialog([&] { d.NColor->Click(); }); break;
      case Over::FileBrowser: systemDialog([&] { d.TrillFileEdit->Button->Click(); }); break;
    }
    if (alive) d._ok->Click();
  }));
  EXPECT_TRUE(ran) << "the dialog over the settings was open";
  EXPECT_EQ(answer, 1);
  EXPECT_FALSE(systemDialogLeftOpen) << "the system's dialog ends with the program";
  EXPECT_EQ(VantaroEngine, nullptr) << "the program has ended";
  testsupport::Pump(50);
  EXPECT_EQ(OpenModalForm<TConfigurationForm>(), nullptr);
  Values inProgram = before;
  for (TVx_Shortcut_data& k : inProgram.Keys) k = TVx_Shortcut_data();  // the hot keys went with the engine
  ExpectSame(ReadGlobals(), inProgram, "in the program");
  ExpectSame(ReadRegistry(), before, "as the shut-down wrote them");
  EXPECT_EQ(notetest::PlainText(notetest::LoadNote(file)), L"typed before the end") << "the note was saved";
}

TEST_F(SettingsTest, CloseRequestWhileTheDialogIsOpenChangesNoSetting) {
  EndWhileOpen(WM_CLOSEREQUEST, Over::Nothing);
}
TEST_F(SettingsTest, CloseRequestInTheShortcutEditorChangesNoSetting) {
  EndWhileOpen(WM_CLOSEREQUEST, Over::ShortcutEditor);
}
TEST_F(SettingsTest, CloseRequestInTheFontDialogChangesNoSetting) {
  EndWhileOpen(WM_CLOSEREQUEST, Over::FontDialog);
}
TEST_F(SettingsTest, SessionEndInTheSizeDialogChangesNoSetting) {
  EndWhileOpen(WM_QUERYENDSESSION, Over::SizeDialog);
}
TEST_F(SettingsTest, SessionEndInTheColourDialogChangesNoSetting) {
  EndWhileOpen(WM_QUERYENDSESSION, Over::ColourDialog);
}
TEST_F(SettingsTest, SessionEndInTheFileBrowserChangesNoSetting) {
  EndWhileOpen(WM_QUERYENDSESSION, Over::FileBrowser);
}

}  // namespace
