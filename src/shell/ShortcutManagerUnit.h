#pragma once
// The program's global hot keys: their value, registry form and registration, and the table of
// keys a hot key may use with their display names.
#include <windows.h>

#include <cstdint>
#include <string>

class TRegistry;
class TWinControl;

class TVx_Shortcut_data {
 public:
  virtual ~TVx_Shortcut_data() { Modifier = 0; Key = 0; }
  std::uint8_t Modifier = 0;  // 0 none, 1 the Windows key, 2 shown as Ctrl + Alt (never registered)
  std::int32_t Key = 0;       // virtual-key code, 0 none
  bool IsValid() const { return Modifier != 0 && Key != 0; }
  void Assign(const TVx_Shortcut_data& source) {
    Modifier = source.Modifier;
    Key = source.Key;
  }
  // "None", or the modifier's text followed by the key's name from the table.
  std::string ToText() const;
};

class TVx_Shortcut {
 public:
  TVx_Shortcut();
  // Drops the registration (and its atom) before the value goes.
  virtual ~TVx_Shortcut();
  TVx_Shortcut(const TVx_Shortcut&) = delete;
  TVx_Shortcut& operator=(const TVx_Shortcut&) = delete;

  TVx_Shortcut_data* Data;
  bool Registered = false;
  std::uint32_t Atom = 0;  // the atom of Name: the hot key's identifier in WM_HOTKEY
  std::string Name;
  TWinControl* Window = nullptr;  // receives WM_HOTKEY

  // Registers the value with the Windows key. A key that another program (or another of our
  // hot keys) holds stays unregistered, without a word and without keeping its atom.
  void RegisterShortcut();
  void UnregisterShortcut();
  // Drops the registration, takes the value and registers it.
  void SetShortcut(const TVx_Shortcut_data& source);

  // Reads ValueName + "_m" and ValueName + "_k" from the open key, only when both exist.
  // A value of the wrong type throws (the settings loader stops there).
  void LoadFromRegistry(TRegistry& reg, const std::string& valueName);
  void SaveToRegistry(TRegistry& reg, const std::string& valueName);
};

// The keys a hot key may use, with their display names; row 0 is "NONE".
inline constexpr int VirtualKeyCount = 101;
extern const int VirtualKeyCodes[VirtualKeyCount];
extern const char* const VirtualKeyNames[VirtualKeyCount];
// The row of the key; 0 for a key outside the table.
int IndexOfVirtualKey(int vk);

// The three hot keys; created and freed by the engine, null before that.
extern TVx_Shortcut* NewNoteShortCut;
extern TVx_Shortcut* NotesManagerShortCut;
extern TVx_Shortcut* ToDoListShortCut;
