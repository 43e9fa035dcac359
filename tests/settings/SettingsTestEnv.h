#pragma once
// What the settings-dialog suites share: a program started in this process over the real
// registry, the dialog run through the tray's Setup with a script acting on it once it is up,
// and the settings as the registry, the dialog and the globals hold them, compared row by row.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "language/VxMultiLanguageEngine.h"
#include "notes/InternalProcs.h"
#include "notes/NotePainters.h"
#include "notes/RegistryUnit.h"
#include "notewindows/NoteTestEnv.h"
#include "shell/ConfigurationFormUnit.h"
#include "shell/MainFormUnit.h"
#include "shell/ShortcutManagerUnit.h"
#include "shell/VantaroEngineUnit.h"
#include "shell/dlgDefaultNoteSize.h"
#include "notewindows/frmNotesManagerForm.h"
#include "shell/dlgShortcutEditor.h"
#include "ui/ExtCtrls.h"
#include "ui/Registry.h"

namespace settingstest {

using testsupport::OpenModalForm;
using testsupport::RunModal;

// The font part of the settings, as plain values.
struct FontValues {
  std::wstring Face;
  int Size, Style;
  TColor Color;
};

// Every setting the dialog edits.
struct Values {
  bool SafeSave, Animations, Transparency;
  std::wstring Sound;
  TColor Title, Note;
  FontValues TitleFont, NoteFont;
  int Width, Height;
  int TrayAction;
  TVx_Shortcut_data Keys[3];  // new note, notes manager, to-do list
  std::wstring Language;
};

inline FontValues FontOf(const TFontSetting& s) {
  return {AnsiToWide(s.FaceName()), s.Size, s.Style, static_cast<TColor>(s.Color)};
}
inline FontValues FontOf(const TFont& f) { return {f.Name(), f.Size(), f.Style(), f.Color()}; }
inline TFontSetting SettingOf(const FontValues& v) {
  TFontSetting s{};
  s.SetFaceName(WideToAnsi(v.Face));
  s.Size = static_cast<std::uint8_t>(v.Size);
  s.Style = static_cast<std::uint8_t>(v.Style);
  s.Color = v.Color;
  return s;
}

// One row per setting: its name and its value as text, so two sets compare row by row.
inline std::vector<std::pair<std::string, std::string>> Rows(const Values& v) {
  auto n = [](long long x) { return std::to_string(x); };
  auto font = [&](const FontValues& f) {
    return WideToUtf8(f.Face) + " " + n(f.Size) + " style " + n(f.Style) + " colour " + n(f.Color);
  };
  auto key = [&](const TVx_Shortcut_data& k) { return n(k.Modifier) + "/" + n(k.Key); };
  return {{"SafeSave", n(v.SafeSave)},
          {"NoteAnimations", n(v.Animations)},
          {"NoteTransparency", n(v.Transparency)},
          {"TrillFile", WideToUtf8(v.Sound)},
          {"TitleColor", n(v.Title)},
          {"NoteColor", n(v.Note)},
          {"TitleFont", font(v.TitleFont)},
          {"NoteFont", font(v.NoteFont)},
          {"DefNoteWidth", n(v.Width)},
          {"DefNoteHeight", n(v.Height)},
          {"DefaultTrayIconAction", n(v.TrayAction)},
          {"NewNoteShortCut", key(v.Keys[0])},
          {"NotesManagerShortCut", key(v.Keys[1])},
          {"ToDoListShortCut", key(v.Keys[2])},
          {"Language", WideToUtf8(v.Language)}};
}

inline void ExpectSame(const Values& actual, const Values& expected, const std::string& where) {
  const auto a = Rows(actual), e = Rows(expected);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].second, e[i].second) << a[i].first << " " << where;
}

inline const wchar_t* const kKeyNames[3] = {L"NewNoteShortCut", L"NotesManagerShortCut", L"ToDoListShortCut"};

inline void WriteRegistry(const Values& v) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kMainKey, true));
  reg.WriteBool(L"SafeSave", v.SafeSave);
  reg.WriteInteger(L"NoteColor", static_cast<std::int32_t>(v.Note));
  reg.WriteInteger(L"TitleColor", static_cast<std::int32_t>(v.Title));
  reg.WriteBool(L"NoteAnimations", v.Animations);
  reg.WriteBool(L"NoteTransparency", v.Transparency);
  const TFontSetting title = SettingOf(v.TitleFont), note = SettingOf(v.NoteFont);
  reg.WriteBinaryData(L"TitleFont", &title, sizeof title);
  reg.WriteBinaryData(L"NoteFont", &note, sizeof note);
  reg.WriteString(L"TrillFile", v.Sound);
  reg.WriteString(L"Language", v.Language);
  reg.WriteInteger(L"DefNoteWidth", v.Width);
  reg.WriteInteger(L"DefNoteHeight", v.Height);
  ASSERT_TRUE(reg.OpenKey(kShortCutsKey, true));
  reg.WriteInteger(L"DefaultTrayIconAction", v.TrayAction);
  ASSERT_TRUE(reg.OpenKey(kShortCutKeysKey, true));
  for (int i = 0; i < 3; ++i) {
    reg.WriteInteger(std::wstring(kKeyNames[i]) + L"_m", v.Keys[i].Modifier);
    reg.WriteInteger(std::wstring(kKeyNames[i]) + L"_k", v.Keys[i].Key);
  }
}

inline Values ReadRegistry() {
  Values v{};
  TRegistry reg;
  EXPECT_TRUE(reg.OpenKey(kMainKey, false));
  try {
    v.SafeSave = reg.ReadBool(L"SafeSave");
    v.Note = static_cast<TColor>(reg.ReadInteger(L"NoteColor"));
    v.Title = static_cast<TColor>(reg.ReadInteger(L"TitleColor"));
    v.Animations = reg.ReadBool(L"NoteAnimations");
    v.Transparency = reg.ReadBool(L"NoteTransparency");
    TFontSetting title{}, note{};
    reg.ReadBinaryData(L"TitleFont", &title, sizeof title);
    reg.ReadBinaryData(L"NoteFont", &note, sizeof note);
    v.TitleFont = FontOf(title), v.NoteFont = FontOf(note);
    v.Sound = reg.ReadString(L"TrillFile");
    v.Language = reg.ReadString(L"Language");
    v.Width = reg.ReadInteger(L"DefNoteWidth");
    v.Height = reg.ReadInteger(L"DefNoteHeight");
    EXPECT_TRUE(reg.OpenKey(kShortCutsKey, false));
    v.TrayAction = reg.ReadInteger(L"DefaultTrayIconAction");
    EXPECT_TRUE(reg.OpenKey(kShortCutKeysKey, false));
    for (int i = 0; i < 3; ++i) {
      v.Keys[i].Modifier = static_cast<std::uint8_t>(reg.ReadInteger(std::wstring(kKeyNames[i]) + L"_m"));
      v.Keys[i].Key = reg.ReadInteger(std::wstring(kKeyNames[i]) + L"_k");
    }
  } catch (const ERegistryError& e) {
    ADD_FAILURE() << "a setting is missing from the registry: " << e.what();
  }
  return v;
}

// What the dialog shows.
inline Values ReadDialog(TConfigurationForm& d) {
  Values v{d.SafeSave->Checked(),
           d.Noteanim->Checked(),
           d.TransNote->Checked(),
           d.TrillFileEdit->FileName(),
           d.BColor->SelectionColor(),
           d.NColor->SelectionColor(),
           FontOf(d.TitleFontDialog.Font),
           FontOf(d.NoteFontDialog.Font),
           d.DefWidth,
           d.DefHeight,
           d.TrayIconActionSelector->ItemIndex(),
           {},
           d.LanguagesListBox->ItemIndex() < 0 ? L"" : d.LanguagesListBox->Items[d.LanguagesListBox->ItemIndex()]};
  for (int i = 0; i < 3; ++i) v.Keys[i].Assign(d.ShortcutOfRow(i));
  return v;
}

// Sets every control as a user would leave it (the sound file typed).
inline void WriteDialog(TConfigurationForm& d, const Values& v) {
  d.SafeSave->SetChecked(v.SafeSave);
  d.Noteanim->SetChecked(v.Animations);
  d.TransNote->SetChecked(v.Transparency);
  SetWindowTextW(d.TrillFileEdit->Edit->Handle(), v.Sound.c_str());
  d.BColor->SetSelectionColor(v.Title);
  d.NColor->SetSelectionColor(v.Note);
  for (auto [font, values] :
       {std::pair{&d.TitleFontDialog.Font, &v.TitleFont}, {&d.NoteFontDialog.Font, &v.NoteFont}}) {
    font->SetName(values->Face);
    font->SetSize(values->Size);
    font->SetStyle(static_cast<TFontStyles>(values->Style));
    font->SetColor(values->Color);
  }
  d.DefWidth = v.Width;
  d.DefHeight = v.Height;
  d.TrayIconActionSelector->SetItemIndex(v.TrayAction);
  for (int i = 0; i < 3; ++i) d.ShortcutOfRow(i).Assign(v.Keys[i]);
  d.LanguagesListBox->SetItemIndex(d.LanguagesListBox->Items.IndexOf(v.Language));
}

// The globals as the running program holds them.
inline Values ReadGlobals() {
  Values v{SafeSave,  NoteAnimations, NoteTransparency, TrillFile, TitleColor,           NoteColor,
           FontOf(::TitleFont), FontOf(::NoteFont), DefNoteWidth, DefNoteHeight, DefaultTrayIconAction, {},
           LanguageName};
  TVx_Shortcut* live[3] = {NewNoteShortCut, NotesManagerShortCut, ToDoListShortCut};
  for (int i = 0; i < 3; ++i)
    if (live[i]) v.Keys[i].Assign(*live[i]->Data);
  return v;
}

inline TVx_Shortcut_data Key(std::uint8_t modifier, int key) {
  TVx_Shortcut_data d;
  d.Modifier = modifier;
  d.Key = key;
  return d;
}

// An empty language file of the name in the languages folder (with its notes, when given).
inline void MakeLanguageFile(const std::wstring& fileName, const std::wstring& notes = L"") {
  ForceDirectories(LanguagesFolder());
  testsupport::WriteBytes(LanguagesFolder() + fileName, {});
  if (!notes.empty())
    WritePrivateProfileStringW(L"info", L"notes", notes.c_str(), (LanguagesFolder() + fileName).c_str());
}

// A program started in this process over a registry of the test's own making: the main window
// and the engine, which loads the settings and the notes. The test ends it.
class SettingsTest : public notetest::NoteTest {
 protected:
  void SetUp() override {
    notetest::NoteTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
    SettingsChanged = false;
    UIEnabled = true;
  }
  void TearDown() override {
    if (VantaroEngine) {
      Closing = true;
      Shutdown(true);
    }
    VantaroMainForm = nullptr;
    if (LanguageWrapper || LanguageEngine) DoneLanguageEngine();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto");
    SettingsChanged = false;
    LanguageName = L"english";
    TrillFile.clear();
    DefaultTrayIconAction = 1;
    DefNoteWidth = DefNoteHeight = 160;
    TrayActionNames[0] = L"Do Nothing";
    TrayActionNames[1] = L"Create a new note";
    TrayActionNames[2] = L"Open notes manager";
    SetSoundHook({});
    notetest::NoteTest::TearDown();
  }

  // Starts the program: main window, engine, settings, notes, hot keys.
  void StartProgram() {
    CreateMainForm();
    ASSERT_NE(VantaroEngine, nullptr);
  }

  // Opens Setup as the tray menu does, and runs act on the dialog once it is up.
  bool Setup(const std::function<void(TConfigurationForm&)>& act) {
    return RunModal<TConfigurationForm>([] { VantaroMainForm->_setup->Execute(); }, act);
  }
};

}  // namespace settingstest
