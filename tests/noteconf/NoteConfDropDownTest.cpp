// The properties dialog's drop-downs and the system dialogs it opens, driven by keys: Escape and
// Enter inside a palette or calendar end only that drop-down, the keys come back to the control
// that opened it, and a session end while a colour dialog is open over the dialog leaves the
// note as the shut-down saved it.
#include "noteconf/NoteConfTestEnv.h"
#include "shell/MainFormUnit.h"
#include "shell/VantaroEngineUnit.h"

namespace {

using noteconftest::FocusedControl;
using noteconftest::Key;
using noteconftest::OpenDialog;
using noteconftest::RunDialog;
using notetest::LoadNote;
using notetest::NoteTest;
using testsupport::DialogCloser;

// Alt and a key, as the keyboard sends it to the focused window.
void AltKey(WPARAM vk) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_SYSKEYDOWN, vk, 0x20000001);
  PostMessageW(focus, WM_SYSKEYUP, vk, 0xE0000001);
  Application->ProcessMessages();
}

// Where the keys are, whether the dialog is still running, and what is dropped down.
std::string State(TNoteConf& d) {
  TWinControl* c = FocusedControl();
  const bool inDropDown = c && (dynamic_cast<TDropDownForm*>(c) || dynamic_cast<TDropDownForm*>(ParentForm(c)));
  std::string s = !c ? "(none)" : dynamic_cast<TDropDownForm*>(c) ? "drop-down" : WideToUtf8(c->Name());
  if (d.ModalResult != mrNone) s += " ended";
  if (!inDropDown && GetActiveWindow() != d.Handle()) s += " inactive";
  return s;
}

TEST_F(NoteTest, KeysInsideADropDownOrASystemDialogEndOnlyThatAndComeBack) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Keys");
  std::vector<std::string> seen;
  TColor picked = 0;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    d.PageControl1->SetActivePage(d.Appearance);
    d.BColor->SetFocus();
    AltKey(VK_DOWN);
    seen.push_back(State(d));
    Key(VK_ESCAPE);
    seen.push_back(State(d));
    AltKey(VK_DOWN);
    Key(VK_DOWN);  // the Default entry
    Key(VK_DOWN);  // the first colour
    Key(VK_RETURN);
    picked = d.BColor->SelectionColor();
    seen.push_back(State(d));
    {
      // The colour dialog from the palette's Custom entry, cancelled by its own Escape.
      DialogCloser closer([](HWND h) { PostMessageW(h, WM_COMMAND, IDCANCEL, 0); });
      d.NColor->SetFocus();
      Key(VK_F4);
      d.NColor->Palette()->SetHighlight(TColorPalette::CustomEntry);
      Key(VK_RETURN);
      EXPECT_TRUE(closer.Found());
    }
    testsupport::Pump(30);
    seen.push_back(State(d));

    d.PageControl1->SetActivePage(d.Alarm);
    d.DayInfo->SetFocus();
    Key(VK_F4);
    seen.push_back(State(d));
    Key(VK_ESCAPE);
    seen.push_back(State(d));
    AltKey(VK_DOWN);
    Key(VK_RETURN);
    seen.push_back(State(d));

    d.PageControl1->SetActivePage(d.General);
    d.GroupBox->SetFocus();
    SendMessageW(d.GroupBox->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    Key(VK_ESCAPE);
    seen.push_back(State(d));
    {
      DialogCloser closer([](HWND h) { PostMessageW(h, WM_COMMAND, IDCANCEL, 0); });
      d.LinkedFileEdit->Button->SetFocus();
      Key(VK_SPACE);
      EXPECT_TRUE(closer.Found());
    }
    testsupport::Pump(30);
    seen.push_back(State(d));
    d._cancel->Click();
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"drop-down", "BColor", "BColor", "NColor", "Calendar", "DayInfo", "DayInfo",
                                            "GroupBox", "LinkedFileEditButton"}));
  EXPECT_EQ(picked, TColorPalette::CellColor(1));
}

// From the picker itself, or from its palette's Custom entry (the palette's own key handler is
// then still running, and the dialog is the main window's).
void SessionEndInColourDialog(bool fromPalette) {
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
  CreateMainForm();
  ASSERT_NE(VantaroEngine, nullptr);
  VantaroEngine->NotesManager->NewNote();
  TNoteWrapper* w = VantaroEngine->NotesManager->Notes->Items(0);
  w->Note->Title = L"Before";
  w->Save();
  const std::wstring file = w->FileName;
  bool found = false, forced = true;
  LRESULT answer = 0;
  ASSERT_TRUE(RunDialog(w, fromPalette ? nullptr : w->Form, 100, 100, [&](TNoteConf& d) {
    SetWindowTextW(d.Titleedit->Handle(), L"Typed in the dialog");
    d.PageControl1->SetActivePage(d.Appearance);
    d.BColor->SetFocus();
    HWND main = VantaroMainForm->Handle();
    DialogCloser closer([&](HWND) { answer = SendMessageW(main, WM_QUERYENDSESSION, 0, 0); });
    if (fromPalette) {
      AltKey(VK_DOWN);
      d.BColor->Palette()->SetHighlight(TColorPalette::CustomEntry);
      Key(VK_RETURN);
    } else {
      Key(VK_SPACE);
    }
    found = closer.Found();
    forced = closer.Forced();
  }));
  EXPECT_TRUE(found);
  EXPECT_FALSE(forced) << "the colour dialog ended with the session";
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(VantaroEngine, nullptr);
  testsupport::Pump(50);
  EXPECT_EQ(OpenDialog(), nullptr);
  EXPECT_EQ(LoadNote(file).Title, L"Before");
}

TEST_F(NoteTest, SessionEndInTheColourDialogOfAPickerLeavesTheNoteAsSaved) { SessionEndInColourDialog(false); }

TEST_F(NoteTest, SessionEndInTheColourDialogOfAPaletteLeavesTheNoteAsSaved) { SessionEndInColourDialog(true); }

}  // namespace
