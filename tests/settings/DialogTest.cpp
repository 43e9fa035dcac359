// The settings dialog's own behaviour: the language list and its notes, the tray action outside
// the list, the live preview and the test-sound button.
#include <algorithm>

#include "settings/SettingsTestEnv.h"
// after windows.h
#include <mmsystem.h>

namespace {

using namespace settingstest;
using testsupport::DialogCloser;

std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// A click on the list's entry, as the mouse makes it.
void ClickEntry(TListBox* list, int index) {
  RECT r{};
  SendMessageW(list->Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
  SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list->Handle(), WM_LBUTTONUP, 0, at);
}

TEST_F(SettingsTest, LanguagesAreListedByTheNameBeforeTheFirstPointAndTheStoredOneIsSelectedWhateverItsCase) {
  MakeLanguageFile(L"Deutsch.lng", L"Deutsche Texte von Hand");
  MakeLanguageFile(L"pt.br.lng", L"Portugues do Brasil");
  MakeLanguageFile(L"readme.txt");
  LanguageName = L"deutsch";
  StartProgram();
  ASSERT_TRUE(Setup([](TConfigurationForm& d) {
    EXPECT_EQ(Sorted(d.LanguagesListBox->Items.Strings()), (std::vector<std::wstring>{L"Deutsch", L"pt"}));
    ASSERT_GE(d.LanguagesListBox->ItemIndex(), 0);
    EXPECT_EQ(d.LanguagesListBox->Items[d.LanguagesListBox->ItemIndex()], L"Deutsch") << "found without regard to case";
    EXPECT_EQ(d.LangNotes->Lines(), (std::vector<std::wstring>{L"Notes:", L"Deutsche Texte von Hand"}));
    EXPECT_TRUE(d.LangNotes->ReadOnly());
    d.SetupPages->SetActivePage(d._language);
    ClickEntry(d.LanguagesListBox, d.LanguagesListBox->Items.IndexOf(L"pt"));
    EXPECT_EQ(d.LangNotes->Text(), L"") << "pt.br's notes are looked for in pt.lng, which does not exist";
    d._ok->Click();
  }));
  EXPECT_EQ(LanguageName, L"pt");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kMainKey, false));
  EXPECT_EQ(reg.ReadString(L"Language"), L"pt") << "for the next start";
}

TEST_F(SettingsTest, WithoutLanguageFilesTheListStaysEmptyAndTheLanguageAsItWas) {
  LanguageName = L"tester";
  StartProgram();
  for (const bool folder : {false, true}) {
    if (folder) MakeLanguageFile(L"notes.txt");
    ASSERT_TRUE(Setup([](TConfigurationForm& d) {
      EXPECT_EQ(d.LanguagesListBox->Items.Count(), 0);
      EXPECT_EQ(d.LangNotes->Text(), L"");
      d._ok->Click();
    }));
    EXPECT_EQ(LanguageName, L"tester") << (folder ? "an empty folder" : "no folder");
  }
}

TEST_F(SettingsTest, TrayActionsZeroToTwoRoundTripAndAnyOtherLeavesNoSelectionStores255AndDoesNothing) {
  StartProgram();
  for (const int stored : {0, 1, 2, 3, 255}) {
    DefaultTrayIconAction = static_cast<std::uint8_t>(stored);
    ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
      EXPECT_EQ(d.TrayIconActionSelector->ItemIndex(), stored <= 2 ? stored : -1) << stored;
      d._ok->Click();
    }));
    EXPECT_EQ(ReadRegistry().TrayAction, stored <= 2 ? stored : 255) << stored;
  }
  const int before = VantaroEngine->NotesManager->Notes->Count();
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    SendMessageW(VantaroMainForm->TrayIcon->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, m);
  EXPECT_EQ(VantaroEngine->NotesManager->Notes->Count(), before) << "255: a double-click does nothing";
  EXPECT_EQ(NotesManagerForm, nullptr);
}

// A pixel of the preview as the screen shows it.
COLORREF PreviewPixel(TConfigurationForm& d, int x, int y) {
  HWND h = d.PreviewPanel->Handle();
  RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetDC(h);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(h, dc);
  return c;
}

// Whether the colour shows anywhere in the part of the preview.
bool PreviewShows(TConfigurationForm& d, RECT part, COLORREF colour) {
  for (int y = part.top; y < part.bottom; ++y)
    for (int x = part.left; x < part.right; ++x)
      if (PreviewPixel(d, x, y) == colour) return true;
  return false;
}

TEST_F(SettingsTest, ThePreviewFollowsEveryColourAndFontChangeBeforeOk) {
  StartProgram();
  const TColor before = NoteColor;
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    d.SetupPages->SetActivePage(d._noteStyle);
    const int w = d.PreviewBox->Width();
    EXPECT_EQ(PreviewPixel(d, 60, 80), ColorToRGB(NoteColor));
    d.NColor->SetSelectionColor(0x3060C0);
    EXPECT_EQ(PreviewPixel(d, 60, 80), 0x3060C0u) << "the note colour";
    d.BColor->SetSelectionColor(0x20A040);
    EXPECT_EQ(PreviewPixel(d, 60, 1), 0x20A040u) << "the title bar";
    // A font change shows whether the font dialog was confirmed or not.
    const struct {
      TFontDialog* dialog;
      TFlatButton* button;
      RECT part;  // where its text is drawn
      COLORREF colour;
      bool confirm;
    } fonts[] = {{&d.TitleFontDialog, d.TitleFontSelect, {w - 11, 2, w - 2, 11}, 0xC00000, true},
                 {&d.TitleFontDialog, d.TitleFontSelect, {w - 11, 2, w - 2, 11}, 0x0000C0, false},
                 {&d.NoteFontDialog, d.NoteFontSelect, {2, 14, 100, 50}, 0x008080, true},
                 {&d.NoteFontDialog, d.NoteFontSelect, {2, 14, 100, 50}, 0x800080, false}};
    // A face the font dialog lists (TrueType only); the note's big and bold, so that some pixels
    // of its letters are the colour itself, not a blend.
    const std::wstring face = testsupport::ProportionalFace();
    d.TitleFontDialog.Font.SetName(face);
    d.NoteFontDialog.Font.SetName(face);
    d.NoteFontDialog.Font.SetSize(16);
    d.NoteFontDialog.Font.SetStyle(FontStyle::Bold);
    for (const auto& f : fonts) {
      f.dialog->Font.SetColor(f.colour);
      EXPECT_FALSE(PreviewShows(d, f.part, f.colour)) << "not before the font dialog has run";
      DialogCloser answer([&](HWND dialog) {
        Sleep(300);  // the font dialog selects the font it was given only once it is up
        PostMessageW(dialog, WM_COMMAND, f.confirm ? IDOK : IDCANCEL, 0);
      });
      f.button->Click();
      EXPECT_TRUE(answer.Found()) << "the font dialog opened";
      testsupport::Pump(100);  // the screen where the font dialog stood is drawn again
      EXPECT_TRUE(PreviewShows(d, f.part, f.colour))
          << std::hex << f.colour << (f.confirm ? " confirmed" : " cancelled");
    }
    d._cancel->Click();
  }));
  EXPECT_EQ(NoteColor, before) << "nothing taken without OK";
}

TEST_F(SettingsTest, TheTestSoundButtonPlaysTheTypedNameNotTheStoredOne) {
  const std::wstring typed = ExeFolder() + L"typed.wav";
  testsupport::WriteBytes(typed, {'R', 'I', 'F', 'F'});
  StartProgram();
  TrillFile = ExeFolder() + L"stored.wav";
  std::vector<std::pair<std::wstring, UINT>> played;
  SetSoundHook([&](const std::wstring& file, UINT flags) { played.emplace_back(file, flags); });
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    SetWindowTextW(d.TrillFileEdit->Edit->Handle(), typed.c_str());
    d.SpeedButton1->Click();
    d._cancel->Click();
  }));
  testsupport::Pump(20);
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0].first, typed);
  EXPECT_TRUE(played[0].second & SND_ASYNC) << "played alongside the dialog";
  EXPECT_FALSE(played[0].second & SND_NOSTOP) << "a second try starts it again";
  EXPECT_EQ(played[1].first, L"") << "stopped as the dialog closes";
  EXPECT_EQ(TrillFile, ExeFolder() + L"stored.wav");
}

}  // namespace
