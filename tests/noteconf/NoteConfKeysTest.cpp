// The properties dialog driven by keys: Escape and Enter inside a palette, a calendar, a combo
// list or a system dialog end only that, and the keys come back to the control that opened it;
// Alt and a letter of a translated caption reach the control it names, on the page shown only.
#include "noteconf/NoteConfTestEnv.h"

namespace {

using noteconftest::FocusedControl;
using noteconftest::AltKey;
using noteconftest::Key;
using noteconftest::RunDialog;
using notetest::NoteTest;
using testsupport::DialogCloser;

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
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
      SendMessageW(d.GroupBox->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
      Key(key);
      seen.push_back(State(d) + (SendMessageW(d.GroupBox->Handle(), CB_GETDROPPEDSTATE, 0, 0) ? " dropped" : ""));
    }
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
                                            "GroupBox", "GroupBox", "LinkedFileEditButton"}));
  EXPECT_EQ(picked, TColorPalette::CellColor(1));
}

TEST_F(NoteTest, AltAndALetterReachTheControlItsCaptionNamesOnThePageShown) {
  noteconftest::UseLanguage(L"mnemonics",
      "[LNG_Vantaro_Note_Conf]\r\n_NoteGroup=&Gruppo\r\n_AttacchedFile=&File\r\nAlarmCB=&Sveglia\r\n"
      "[LNG_Vantaro_Generic]\r\n_cancel=&Annulla\r\n");
  TNoteWrapper* w = OpenNote(100, 100, 200, 150, L"Mnemonics");
  std::vector<std::string> seen;
  ASSERT_TRUE(RunDialog(w, w->Form, 100, 100, [&](TNoteConf& d) {
    // Only the key goes in: the character comes from the program's own translation of it.
    for (char letter : {'G', 'F', 'S'}) {
      AltKey(letter);
      seen.push_back(State(d) + (d.AlarmCB->Checked() ? " alarm" : ""));
    }
    d.PageControl1->SetActivePage(d.Alarm);
    d.AlarmCB->SetFocus();
    AltKey('S');
    seen.push_back(State(d) + (d.AlarmCB->Checked() ? " alarm" : ""));
    AltKey('A');
    seen.push_back(State(d));
    if (d.ModalResult == mrNone) d._cancel->Click();
  }));
  DoneLanguageEngine();
  EXPECT_EQ(seen, (std::vector<std::string>{"GroupBox", "LinkedFileEditEdit", "LinkedFileEditEdit", "AlarmCB alarm",
                                            "AlarmCB ended"}))
      << "a group box's letter goes to the control inside it; a hidden page's controls take none";
  EXPECT_FALSE(w->Note->AlarmOn) << "Cancel";
}

}  // namespace
