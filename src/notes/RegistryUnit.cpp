#include "notes/RegistryUnit.h"

#include "notes/InternalProcs.h"
#include "shell/ShortcutManagerUnit.h"
#include "ui/Paths.h"
#include "ui/Registry.h"

void ReadLanguageSetting(std::wstring& name) {
  name = L"english";
  TRegistry reg;
  if (!reg.KeyExists(kMainKey)) return;
  try {
    if (reg.OpenKey(kMainKey, false) && reg.ValueExists(L"Language")) name = reg.ReadString(L"Language");
  } catch (const std::exception&) {
    name = L"english";
  }
  // The name becomes a file in the languages folder, which translator mode writes to: one that
  // could reach anywhere else is not a language.
  if (!IsPlainFileName(name)) name = L"english";
}

namespace {
void ReadFont(TRegistry& reg, const wchar_t* valueName, TFontSetting& font) {
  if (!reg.ValueExists(valueName)) return;
  // A shorter value overwrites only the first bytes of the record.
  TFontSetting copy = font;
  reg.ReadBinaryData(valueName, &copy, sizeof copy);
  font = copy;
}

void LoadShortcut(TRegistry& reg, TVx_Shortcut* shortcut, const char* name) {
  if (shortcut) shortcut->LoadFromRegistry(reg, name);
}
void SaveShortcut(TRegistry& reg, TVx_Shortcut* shortcut, const char* name) {
  if (shortcut) shortcut->SaveToRegistry(reg, name);
}
}  // namespace

void LoadSettings() {
  TRegistry reg;
  if (!reg.KeyExists(kMainKey)) return;
  if (!reg.OpenKey(kMainKey, false)) return;
  try {
    if (reg.ValueExists(L"SafeSave")) {
      SafeSave = reg.ReadBool(L"SafeSave");
      NoteColor = static_cast<TColor>(reg.ReadInteger(L"NoteColor"));
      TitleColor = static_cast<TColor>(reg.ReadInteger(L"TitleColor"));
      NoteAnimations = reg.ReadBool(L"NoteAnimations");
      NoteTransparency = reg.ReadBool(L"NoteTransparency");
      ReadFont(reg, L"TitleFont", TitleFont);
      ReadFont(reg, L"NoteFont", NoteFont);
    }
    if (reg.ValueExists(L"DefNoteWidth") && reg.ValueExists(L"DefNoteHeight")) {
      DefNoteWidth = reg.ReadInteger(L"DefNoteWidth");
      DefNoteHeight = reg.ReadInteger(L"DefNoteHeight");
    }
    if (reg.ValueExists(L"TrillFile"))
      TrillFile = reg.ReadString(L"Trillfile");
    else
      TrillFile = ExeFolder() + L"trill.wav";
    if (reg.KeyExists(kShortCutsKey)) {
      reg.OpenKey(kShortCutsKey, false);
      if (reg.ValueExists(L"DefaultTrayIconAction"))
        DefaultTrayIconAction = static_cast<std::uint8_t>(reg.ReadInteger(L"DefaultTrayIconAction") & 0xFF);
      if (reg.KeyExists(kShortCutKeysKey)) {
        reg.OpenKey(kShortCutKeysKey, false);
        LoadShortcut(reg, NewNoteShortCut, "NewNoteShortCut");
        LoadShortcut(reg, NotesManagerShortCut, "NotesManagerShortCut");
        LoadShortcut(reg, ToDoListShortCut, "ToDoListShortCut");
      }
    }
  } catch (const ERegistryError&) {
    // The first bad value ends the reading; what was read before it stays.
  }
  reg.CloseKey();
}

void SaveSettings() {
  TRegistry reg;
  if (!reg.OpenKey(kMainKey, true)) throw ERegistryError("Cannot create the settings key");
  if (SettingsChanged) {
    reg.WriteBool(L"SafeSave", SafeSave);
    reg.WriteInteger(L"NoteColor", static_cast<std::int32_t>(NoteColor));
    reg.WriteInteger(L"TitleColor", static_cast<std::int32_t>(TitleColor));
    reg.WriteBool(L"NoteAnimations", NoteAnimations);
    reg.WriteBool(L"NoteTransparency", NoteTransparency);
    reg.WriteBinaryData(L"TitleFont", &TitleFont, sizeof TitleFont);
    reg.WriteBinaryData(L"NoteFont", &NoteFont, sizeof NoteFont);
    reg.WriteString(L"TrillFile", TrillFile);
    reg.WriteString(L"Language", LanguageName);
    reg.WriteInteger(L"DefNoteWidth", DefNoteWidth);
    reg.WriteInteger(L"DefNoteHeight", DefNoteHeight);
    if (!reg.OpenKey(kShortCutsKey, true)) throw ERegistryError("Cannot create the shortcuts key");
    reg.WriteInteger(L"DefaultTrayIconAction", DefaultTrayIconAction);
    if (!reg.OpenKey(kShortCutKeysKey, true)) throw ERegistryError("Cannot create the hot keys key");
    SaveShortcut(reg, NewNoteShortCut, "NewNoteShortCut");
    SaveShortcut(reg, NotesManagerShortCut, "NotesManagerShortCut");
    SaveShortcut(reg, ToDoListShortCut, "ToDoListShortCut");
  }
  reg.CloseKey();
}
