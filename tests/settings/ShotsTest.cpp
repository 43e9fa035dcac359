// Pictures to look at: the four pages of the settings dialog, the shortcut editor and the
// default-size dialog.
#include "settings/SettingsTestEnv.h"

namespace {

using namespace settingstest;
using testsupport::Pump;
using testsupport::SaveScreenShot;
using testsupport::ScreenRect;

TEST_F(SettingsTest, ScreenshotsOfThePagesTheShortcutEditorAndTheSizeDialog) {
  MakeLanguageFile(L"english.lng", L"Built-in texts, for comparison.");
  MakeLanguageFile(L"italiano.lng", L"Traduzione di prova con note lunghe abbastanza da andare a capo.");
  DefaultTrayIconAction = 2;
  StartProgram();
  NewNoteShortCut->SetShortcut(Key(1, VK_F8));
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    const wchar_t* names[] = {L"settings-options", L"settings-shortcuts", L"settings-style", L"settings-language"};
    for (int page = 0; page < 4; ++page) {
      d.SetupPages->SetActivePage(d.SetupPages->Pages()[page]);
      Pump(150);
      EXPECT_TRUE(SaveScreenShot(names[page], ScreenRect(d.Handle())));
    }
    // The colour buttons' palette, its custom entry as the language's default has it.
    d.NColor->DropDown();
    Pump(150);
    ASSERT_TRUE(d.NColor->Palette());
    EXPECT_EQ(d.NColor->Palette()->EntryText(TColorPalette::CustomEntry), L"Custom");
    EXPECT_TRUE(SaveScreenShot(L"settings-colour-palette", ScreenRect(d.NColor->Palette()->Handle())));
    d.NColor->CloseUp();
    RunModal<TShortCutEditor>([&] { EditShortcut(d.NewNoteKey, &d); }, [](TShortCutEditor& e) {
      Pump(150);
      EXPECT_TRUE(SaveScreenShot(L"settings-shortcut-editor", ScreenRect(e.Handle())));
      e._cancel->Click();
    });
    RunModal<TDefaultNoteSizeForm>([&] { d.NoteSizeChange->Click(); }, [](TDefaultNoteSizeForm& s) {
      Pump(150);
      RECT r = ScreenRect(s.Handle());
      EXPECT_TRUE(SaveScreenShot(L"settings-size-dialog", RECT{r.left - 10, r.top - 10, r.right + 10, r.bottom + 10}));
      s._Cancel->Click();
    });
    d._cancel->Click();
  }));
}

// Every page and both small dialogs under a language whose texts are longer than the built-in
// ones: no label, check box, button or group caption is cut.
TEST_F(SettingsTest, UnderALanguageWithLongTextsNoLabelIsCut) {
  MakeLanguageFile(L"italiano.lng", L"Testi lunghi.");
  testsupport::WriteLanguageTexts(LanguageFileName(L"italiano"), LR"(
[LNG_Vantaro_Setup]
_setup_title=Impostazioni di Vantaro
_Options=Opzioni
_NotesOptions=Opzioni delle note
SafeSave=Abilita il &salvataggio sicuro delle note
Noteanim=&Animazioni all'apertura e alla chiusura delle note
TransNote=Note trasparenti (solo Windows 2000 e XP)
_AlarmSoundFile=File audio da suonare per l'allarme delle note
_noteStyle=Stile predefinito delle note
_NoteLayoutSetup=Aspetto predefinito delle nuove note
_TitleColor=Colore del titolo
_NoteColor=Colore della nota
_TitleFont=Carattere del titolo
_TextFont=Carattere del testo
_ShortCutsTab=Scorciatoie
_TrayIcongroup=Doppio clic sull'icona nell'area di notifica
_ShortCutsGroup=Scorciatoie da tastiera di Windows
_language=Lingua
LangNotesBox=Note sulla traduzione
_ChangesLabel=Le modifiche avranno effetto solo al prossimo avvio di Vantaro, dopo averlo chiuso dal menu
[LNG_Vantaro_Generic]
_size=Dimensione
_change=Cambia
_custom=Personalizzato
_cancel=Annulla
[LNG_ShortCut_Edit]
_ShortCutEditor=Modifica la scorciatoia
[LNG_Vantaro_Sizer]
_note_size_title=Dimensione della nota
_UsageLabel=Premere OK per accettare la nuova dimensione della nota, Annulla per mantenere quella precedente
)");
  LanguageName = L"italiano";
  InitLanguageEngine();
  LoadLanguage(L"italiano");
  DefNoteWidth = 250, DefNoteHeight = 200;
  StartProgram();
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    const wchar_t* names[] = {L"settings-options-long", L"settings-shortcuts-long", L"settings-style-long",
                              L"settings-language-long"};
    for (int page = 0; page < 4; ++page) {
      d.SetupPages->SetActivePage(d.SetupPages->Pages()[page]);
      Pump(150);
      EXPECT_EQ(testsupport::CutTexts(d.Handle()), std::vector<std::string>{}) << WideToUtf8(names[page]);
      EXPECT_TRUE(SaveScreenShot(names[page], ScreenRect(d.Handle())));
    }
    EXPECT_EQ(d.SizeLabel->Caption(), L"Dimensione: 250x200");
    // The buttons beside the labels still show their captions whole.
    for (TControl* button : {static_cast<TControl*>(d.NoteSizeChange), static_cast<TControl*>(d.BColor)})
      EXPECT_GE(button->Left(), d.SizeLabel->Left() + d.SizeLabel->Width()) << "beside, not over, the labels";
    EXPECT_LE(d.NoteSizeChange->Left() + d.NoteSizeChange->Width(), 325);
    RunModal<TShortCutEditor>([&] { EditShortcut(d.NewNoteKey, &d); }, [](TShortCutEditor& e) {
      Pump(150);
      EXPECT_EQ(testsupport::CutTexts(e.Handle()), std::vector<std::string>{});
      EXPECT_TRUE(SaveScreenShot(L"settings-shortcut-editor-long", ScreenRect(e.Handle())));
      e._cancel->Click();
    });
    RunModal<TDefaultNoteSizeForm>([&] { d.NoteSizeChange->Click(); }, [](TDefaultNoteSizeForm& s) {
      Pump(150);
      EXPECT_EQ(testsupport::CutTexts(s.Handle()), std::vector<std::string>{});
      EXPECT_LE(s._OK->Top() + s._OK->Height(), s.ClientHeight()) << "the buttons under the text stay inside";
      RECT r = ScreenRect(s.Handle());
      EXPECT_TRUE(SaveScreenShot(L"settings-size-dialog-long", RECT{r.left - 10, r.top - 10, r.right + 10, r.bottom + 10}));
      s._Cancel->Click();
    });
    d._cancel->Click();
  }));
}

}  // namespace
