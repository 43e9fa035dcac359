#pragma once
// The program's global hot keys: their value, registry form and registration.
#include <windows.h>

#include <cstdint>
#include <string>

class TRegistry;

class TVx_Shortcut_data {
 public:
  virtual ~TVx_Shortcut_data() { Modifier = 0; Key = 0; }
  std::uint8_t Modifier = 0;  // 0 none, 1 the Windows key
  std::int32_t Key = 0;       // virtual-key code, 0 none
  bool IsValid() const { return Modifier != 0 && Key != 0; }
  void Assign(const TVx_Shortcut_data& source) {
    Modifier = source.Modifier;
    Key = source.Key;
  }
};

class TVx_Shortcut {
 public:
  TVx_Shortcut();
  virtual ~TVx_Shortcut();
  TVx_Shortcut(const TVx_Shortcut&) = delete;
  TVx_Shortcut& operator=(const TVx_Shortcut&) = delete;

  TVx_Shortcut_data* Data;
  bool Registered = false;
  std::uint32_t Atom = 0;
  std::string Name;

  // Reads ValueName + "_m" and ValueName + "_k" from the open key, only when both exist.
  // A value of the wrong type throws (the settings loader stops there).
  void LoadFromRegistry(TRegistry& reg, const std::string& valueName);
  void SaveToRegistry(TRegistry& reg, const std::string& valueName);
};

// The three hot keys; created and freed by the engine, null before that.
extern TVx_Shortcut* NewNoteShortCut;
extern TVx_Shortcut* NotesManagerShortCut;
extern TVx_Shortcut* ToDoListShortCut;
