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

}  // namespace
