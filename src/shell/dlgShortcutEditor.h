#pragma once
// The shortcut editor: one hot-key value chosen as a modifier and a key from fixed lists.
#include "shell/ShortcutManagerUnit.h"
#include "ui/Forms.h"
#include "ui/ListControls.h"
#include "ui/StdCtrls.h"

class TShortCutEditor : public TForm {
 public:
  explicit TShortCutEditor(TComponent* owner);

  TComboBox* ModKey;   // entry index = the modifier byte
  TComboBox* KeyCode;  // entry index = the row of the key table
  TButton* _ok;
  TButton* _cancel;

 private:
  void FormCreate(TComponent* sender);
};

// Opens a new editor on data, owned by owner (it goes with its owner), and writes the choice
// into data when the user confirms. Returns whether data was changed; nothing is touched when
// the editor went while it was open.
bool EditShortcut(TVx_Shortcut_data& data, TComponent* owner);
