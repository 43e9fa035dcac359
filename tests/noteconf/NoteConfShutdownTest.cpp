// The properties dialog when its note goes while it is open: a shut-down, a session end or the
// close request of a second copy frees every note, a delete takes one away; the dialog ends as
// cancelled, and nothing is written into the note or its file afterwards.
#include "noteconf/NoteConfTestEnv.h"

namespace {

using noteconftest::AltKey;
using noteconftest::Key;
using noteconftest::OpenDialog;
using noteconftest::RunDialog;
using notetest::Bytes;
using notetest::LoadNote;
using notetest::NoteTest;
using notetest::ReadBytes;
using testsupport::DialogCloser;

TEST_F(NoteTest, NotesFreedWhileTheDialogIsOpenEndItAsCancelledAndAreNotWrittenAfterwards) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Before");
  const std::wstring file = w->FileName;
  TModalResult endedWith = -1;
  bool uiWhileOpen = true;
  Bytes atShutdown;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    uiWhileOpen = UIEnabled;
    SetWindowTextW(d.Titleedit->Handle(), L"Typed in the dialog");
    d.AlarmCB->SetChecked(true);
    TLifeCheck alive = d.Watch();
    // What the shut-down does to the notes: saved, closed, freed.
    manager->CloseAll();
    manager.reset();
    atShutdown = ReadBytes(file);
    endedWith = alive ? d.ModalResult : -2;
    // A user who goes on in a dialog that is still up presses OK.
    if (alive && d.ModalResult == mrNone) d._ok->Click();
  }));
  EXPECT_FALSE(uiWhileOpen) << "hot keys, the tray and the menus wait while the dialog runs";
  EXPECT_EQ(endedWith, mrCancel) << "ended as cancelled before its note went";
  testsupport::Pump(50);
  EXPECT_EQ(OpenDialog(), nullptr);
  EXPECT_EQ(ReadBytes(file), atShutdown) << "the note file is as the shut-down left it";
  EXPECT_EQ(LoadNote(file).Title, L"Before");
  EXPECT_TRUE(UIEnabled);
}

TEST_F(NoteTest, ANoteDeletedWhileItsDialogAndCalendarAreOpenStaysDeleted) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDYES; });
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Going");
  TNoteForm* f = w->Form;
  const std::wstring file = w->FileName;
  TModalResult endedWith = -1;
  // Opened from the note window, as Ctrl+O does.
  ASSERT_TRUE(noteconftest::RunDialogBy([&] { f->CustomizeAction->Execute(); }, [&](TNoteConf& d) {
    d.PageControl1->SetActivePage(d.Alarm);
    d.DayInfo->SetFocus();
    d.DayInfo->DropDown();
    TLifeCheck alive = d.Watch();
    // From the notes manager window, say, reached through the tray while the dialog is up.
    ASSERT_TRUE(manager->DeleteNote(w, true));
    endedWith = alive ? d.ModalResult : -2;
    if (alive && d.ModalResult == mrNone) d._ok->Click();
  }));
  EXPECT_EQ(endedWith, mrCancel);
  testsupport::Pump(50);
  EXPECT_EQ(OpenDialog(), nullptr);
  EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "the deleted note's file was written again";
  EXPECT_TRUE(UIEnabled);
}

TEST_F(NoteTest, ANoteReadOnceItsFileIsLetGoEndsTheDialogOpenOnItsStandInWithoutWritingIt) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  notetest::WriteNote("NHeld", 100, 100, 200, 150, L"Held", 0x80FF80);
  auto lock = std::make_unique<notetest::Lock>(NoteFileName("NHeld"));
  TNoteWrapper* w = notetest::FindNote(Manager(), "NHeld");
  ASSERT_TRUE(w && w->LoadPending()) << "another program holds its file";
  TModalResult endedWith = -1;
  ASSERT_TRUE(RunDialog(w, nullptr, 100, 100, [&](TNoteConf& d) {
    SetWindowTextW(d.Titleedit->Handle(), L"Typed over the stand-in");
    TLifeCheck alive = d.Watch();
    lock.reset();
    manager->CheckTimers();  // the tick that reads it
    endedWith = alive ? d.ModalResult : -2;
    if (alive && d.ModalResult == mrNone) d._ok->Click();
  }));
  EXPECT_EQ(endedWith, mrCancel);
  testsupport::Pump(50);
  ASSERT_TRUE(w->IsOpen());
  manager->CloseAll();
  const TNoteClass stored = LoadNote(NoteFileName("NHeld"));
  EXPECT_TRUE(stored.Title == L"Held" && stored.NoteColor == 0x80FF80) << "the note as its file held it";
}

// What is open over the dialog when the message comes: nothing, the colour dialog of a picker,
// or the colour dialog of a palette's Custom entry (whose key handler is then still running;
// that dialog is the main window's).
enum class Over { Nothing, PickerColourDialog, PaletteColourDialog };

// A session end or a close request reaches the main window while the dialog is open.
void EndWhileOpen(UINT message, Over over = Over::Nothing) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  CreateMainForm();
  ASSERT_NE(VantaroEngine, nullptr);
  VantaroEngine->NotesManager->NewNote();
  TNoteWrapper* w = VantaroEngine->NotesManager->Notes->Items(0);
  w->Note->Title = L"Before";
  w->Save();
  const std::wstring file = w->FileName;
  TModalResult endedWith = -1;
  LRESULT answer = 0;
  Bytes atShutdown;
  bool colourDialogLeftOpen = false;
  TForm* owner = over == Over::PaletteColourDialog ? nullptr : w->Form;
  ASSERT_TRUE(RunDialog(w, owner, 100, 100, [&](TNoteConf& d) {
    SetWindowTextW(d.Titleedit->Handle(), L"Typed in the dialog");
    TLifeCheck alive = d.Watch();
    HWND main = VantaroMainForm->Handle();
    auto end = [&] {
      answer = message == WM_QUERYENDSESSION ? testsupport::EndSession(main) : SendMessageW(main, message, 0, 0);
      atShutdown = ReadBytes(file);
    };
    if (over == Over::Nothing) {
      end();
    } else {
      d.PageControl1->SetActivePage(d.Appearance);
      d.BColor->SetFocus();
      DialogCloser closer([&](HWND) { end(); });
      if (over == Over::PickerColourDialog) {
        Key(VK_SPACE);
      } else {
        AltKey(VK_DOWN);
        d.BColor->Palette()->SetHighlight(TColorPalette::CustomEntry);
        Key(VK_RETURN);
      }
      EXPECT_TRUE(closer.Found());
      colourDialogLeftOpen = closer.Forced();
    }
    endedWith = alive ? d.ModalResult : -2;
  }));
  EXPECT_EQ(answer, 1);
  EXPECT_FALSE(colourDialogLeftOpen) << "the colour dialog ends with the program";
  EXPECT_EQ(VantaroEngine, nullptr) << "the notes are gone";
  EXPECT_EQ(endedWith, mrCancel);
  testsupport::Pump(50);
  EXPECT_EQ(OpenDialog(), nullptr);
  EXPECT_EQ(ReadBytes(file), atShutdown) << "nothing written after the shut-down saved the note";
  EXPECT_EQ(LoadNote(file).Title, L"Before");
}

TEST_F(NoteTest, SessionEndWhileTheDialogIsOpenLeavesTheFreedNoteAlone) { EndWhileOpen(WM_QUERYENDSESSION); }

TEST_F(NoteTest, CloseRequestWhileTheDialogIsOpenLeavesTheFreedNoteAlone) { EndWhileOpen(WM_CLOSEREQUEST); }

TEST_F(NoteTest, SessionEndInThePickersColourDialogLeavesTheFreedNoteAlone) {
  EndWhileOpen(WM_QUERYENDSESSION, Over::PickerColourDialog);
}

TEST_F(NoteTest, SessionEndInThePalettesColourDialogLeavesTheFreedNoteAlone) {
  EndWhileOpen(WM_QUERYENDSESSION, Over::PaletteColourDialog);
}

}  // namespace
