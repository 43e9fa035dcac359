#include "shell/ShortcutManagerUnit.h"

#include "ui/Registry.h"
#include "ui/Types.h"

TVx_Shortcut* NewNoteShortCut = nullptr;
TVx_Shortcut* NotesManagerShortCut = nullptr;
TVx_Shortcut* ToDoListShortCut = nullptr;

TVx_Shortcut::TVx_Shortcut() : Data(new TVx_Shortcut_data) {}

TVx_Shortcut::~TVx_Shortcut() {
  delete Data;
  Data = nullptr;
  Registered = false;
}

void TVx_Shortcut::LoadFromRegistry(TRegistry& reg, const std::string& valueName) {
  std::wstring m = AnsiToWide(valueName + "_m"), k = AnsiToWide(valueName + "_k");
  if (!reg.ValueExists(m) || !reg.ValueExists(k)) return;
  Data->Modifier = static_cast<std::uint8_t>(reg.ReadInteger(m) & 0xFF);
  Data->Key = reg.ReadInteger(k);
}

void TVx_Shortcut::SaveToRegistry(TRegistry& reg, const std::string& valueName) {
  reg.WriteInteger(AnsiToWide(valueName + "_m"), Data->Modifier);
  reg.WriteInteger(AnsiToWide(valueName + "_k"), Data->Key);
}
