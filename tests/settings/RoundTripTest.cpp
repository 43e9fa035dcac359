// The settings round trip against the real registry: every setting loaded into the dialog and
// written back on OK; Cancel and the close box change nothing; OK without a change still writes.
#include "settings/SettingsTestEnv.h"

namespace {

using namespace settingstest;

// Two sets of settings that differ in every row.
Values First(const std::wstring& folder) {
  return {true,
          false,
          true,
          folder + L"first.wav",
          0x102030,
          0x405060,
          {L"Arial", 9, fsBold, 0x112233},
          {L"Courier New", 10, 0, 0x223344},
          200,
          180,
          2,
          {Key(1, VK_F8), Key(1, VK_F7), Key(0, 0)},
          L"english"};
}

Values Second(const std::wstring& folder) {
  return {false,
          true,
          false,
          folder + L"второй звук.wav",  // outside the code page, with a blank
          0x0A0B0C,
          0x0D0E0F,
          {L"Tahoma", 11, fsItalic | fsUnderline, 0x445566},
          {L"Times New Roman", 12, fsBold | fsStrikeOut, 0x556677},
          300,
          260,
          0,
          {Key(1, VK_F6), Key(0, 0), Key(1, VK_F9)},
          L"русский"};
}

class RoundTrip : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    folder = ExeFolder();
    for (const wchar_t* f : {L"first.wav", L"второй звук.wav"})
      testsupport::WriteBytes(folder + f, {'R', 'I', 'F', 'F'});
    MakeLanguageFile(L"english.lng");
    MakeLanguageFile(L"русский.lng");
    WriteRegistry(First(folder));
  }
  std::wstring folder;
};

TEST_F(RoundTrip, EverySettingIsLoadedIntoTheDialogAndWrittenBackOnOk) {
  StartProgram();
  const bool ran = Setup([&](TConfigurationForm& d) {
    EXPECT_FALSE(UIEnabled) << "hot keys and the tray wait while the dialog runs";
    ExpectSame(ReadDialog(d), First(folder), "loaded into the dialog");
    WriteDialog(d, Second(folder));
    d._ok->Click();
  });
  ASSERT_TRUE(ran);
  EXPECT_TRUE(UIEnabled);
  ExpectSame(ReadGlobals(), Second(folder), "taken by the program");
  ExpectSame(ReadRegistry(), Second(folder), "written to the registry at once");
  EXPECT_TRUE(NewNoteShortCut->Registered && ToDoListShortCut->Registered) << "the new keys work at once";
  EXPECT_FALSE(NotesManagerShortCut->Registered) << "a key set to none is dropped at once";
  HWND probe = VantaroMainForm->Handle();
  EXPECT_TRUE(RegisterHotKey(probe, 99, MOD_WIN, VK_F7)) << "the old key is free again";
  UnregisterHotKey(probe, 99);
}

TEST_F(RoundTrip, CancelAndTheCloseBoxChangeNothingAndOkWithoutAChangeStillWrites) {
  StartProgram();
  for (const bool closeBox : {false, true}) {
    ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
      WriteDialog(d, Second(folder));
      if (closeBox)
        SendMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      else
        d._cancel->Click();
    }));
    ExpectSame(ReadGlobals(), First(folder), closeBox ? "after the close box" : "after Cancel");
    EXPECT_FALSE(SettingsChanged);
    EXPECT_TRUE(NewNoteShortCut->Registered) << "the live key stays";
  }
  // Nothing was written meanwhile; OK without a change writes every value, now and at the end.
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kMainKey, true));
  reg.WriteInteger(L"NoteColor", 0x777777);
  ASSERT_TRUE(Setup([](TConfigurationForm& d) { d._ok->Click(); }));
  EXPECT_TRUE(SettingsChanged);
  ExpectSame(ReadRegistry(), First(folder), "written by an OK without a change");
}

TEST_F(RoundTrip, ALongFontNameIsStoredCutTo255AndATypedNameWithABlankAsItsFirstWord) {
  StartProgram();
  const std::wstring longName(300, L'F');
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    d.TitleFontDialog.Font.SetName(longName);
    SetWindowTextW(d.TrillFileEdit->Edit->Handle(), (folder + L"no such sound.wav").c_str());
    d._ok->Click();
  }));
  EXPECT_EQ(ReadRegistry().TitleFont.Face, longName.substr(0, 255));
  EXPECT_EQ(TitleFont.NameLength, 255);
  EXPECT_EQ(TrillFile, folder + L"no") << "a name that names no file is its first word";
}

}  // namespace
