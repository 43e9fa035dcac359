#include "shell/ShortcutManagerUnit.h"

#include "ui/Controls.h"
#include "ui/Registry.h"
#include "ui/Types.h"

TVx_Shortcut* NewNoteShortCut = nullptr;
TVx_Shortcut* NotesManagerShortCut = nullptr;
TVx_Shortcut* ToDoListShortCut = nullptr;

const int VirtualKeyCodes[VirtualKeyCount] = {
    0,    0x08, 0x09, 0x0C, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x1B, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E,
    0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x60, 0x61, 0x62, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77,
    0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87};

const char* const VirtualKeyNames[VirtualKeyCount] = {
    "NONE",
    "BACKSPACE key", "TAB key", "CLEAR key", "ENTER key", "SHIFT key", "CTRL key", "ALT key", "PAUSE key",
    "CAPS LOCK key", "ESC key", "SPACEBAR", "PAGE UP key", "PAGE DOWN key", "END key", "HOME key",
    "LEFT ARROW key", "UP ARROW key", "RIGHT ARROW key", "DOWN ARROW key", "SELECT key", "PRINT key",
    "EXECUTE key", "PRINT SCREEN key", "INS key", "DEL key", "HELP key",
    "0 key", "1 key", "2 key", "3 key", "4 key", "5 key", "6 key", "7 key", "8 key", "9 key",
    "A key", "B key", "C key", "D key", "E key", "F key", "G key", "H key", "I key", "J key", "K key", "L key",
    "M key", "N key", "O key", "P key", "Q key", "R key", "S key", "T key", "U key", "V key", "W key", "X key",
    "Y key", "Z key",
    "Numeric keypad 0 key", "Numeric keypad 1 key", "Numeric keypad 2 key", "Numeric keypad 3 key",
    "Numeric keypad 4 key", "Numeric keypad 5 key", "Numeric keypad 6 key", "Numeric keypad 7 key",
    "Numeric keypad 8 key", "Numeric keypad 9 key",
    "Separator key", "Subtract key", "Decimal key", "Divide key",
    "F1 key", "F2 key", "F3 key", "F4 key", "F5 key", "F6 key", "F7 key", "F8 key", "F9 key", "F10 key",
    "F11 key", "F12 key", "F13 key", "F14 key", "F15 key", "F16 key", "F17 key", "F18 key", "F19 key",
    "F20 key", "F21 key", "F22 key", "F23 key", "F24 key"};

int IndexOfVirtualKey(int vk) {
  int index = 0;
  for (int i = 0; i < VirtualKeyCount; ++i)
    if (VirtualKeyCodes[i] == vk) index = i;
  return index;
}

std::string TVx_Shortcut_data::ToText() const {
  if (!IsValid()) return "None";
  const char* prefix = Modifier == 1 ? "WIN + " : Modifier == 2 ? "CTRL + ALT + " : "UNK +";
  return prefix + std::string(VirtualKeyNames[IndexOfVirtualKey(Key)]);
}

TVx_Shortcut::TVx_Shortcut() : Data(new TVx_Shortcut_data) {}

TVx_Shortcut::~TVx_Shortcut() {
  UnregisterShortcut();
  delete Data;
  Data = nullptr;
  Registered = false;
  Window = nullptr;
}

void TVx_Shortcut::RegisterShortcut() {
  if (Registered) UnregisterShortcut();
  if (!Data->IsValid() || Data->Modifier != 1 || !Window) return;
  Atom = GlobalAddAtomA(Name.c_str());
  if (!Atom) return;
  if (RegisterHotKey(Window->Handle(), static_cast<int>(Atom), MOD_WIN, static_cast<UINT>(Data->Key))) {
    Registered = true;
    return;
  }
  // Taken by someone else: an atom held for a hot key we do not have would only leak, once
  // per settings dialog.
  DWORD error = GetLastError();
  GlobalDeleteAtom(static_cast<ATOM>(Atom));
  Atom = 0;
  SetLastError(error);
}

void TVx_Shortcut::UnregisterShortcut() {
  if (!Registered) return;
  UnregisterHotKey(Window ? Window->HandleIfAllocated() : nullptr, static_cast<int>(Atom));
  GlobalDeleteAtom(static_cast<ATOM>(Atom));
  // The number may go to another atom now: kept here, one key would run two actions.
  Atom = 0;
  Registered = false;
}

void TVx_Shortcut::SetShortcut(const TVx_Shortcut_data& source) {
  UnregisterShortcut();
  Data->Assign(source);
  RegisterShortcut();
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
