#pragma once
// The settings dialog: on four pages every user setting (note options, alarm sound, default
// colours, fonts and size with a live preview, the tray double-click, the three hot keys and
// the language of the next start). It edits copies only; ExecuteConfigurationForm fills it
// from the settings and writes them back when the user confirms.
#include <memory>
#include <string>

#include "shell/ShortcutManagerUnit.h"
#include "ui/ColorPicker.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FlatButton.h"
#include "ui/Forms.h"
#include "ui/ListControls.h"
#include "ui/Memo.h"
#include "ui/Panel.h"
#include "ui/QuotedFileNameEdit.h"
#include "ui/StdCtrls.h"
#include "ui/TreeGrid.h"

// The texts of the tray double-click actions, by the action's number: English until a settings
// dialog is translated, then the language's.
extern std::wstring TrayActionNames[3];

class TConfigurationForm : public TForm {
 public:
  explicit TConfigurationForm(TComponent* owner);
  ~TConfigurationForm() override;

  TPageControl* SetupPages;
  TTabSheet* _Options;
  TGroupBox* _NotesOptions;
  TCheckBox* SafeSave;
  TCheckBox* Noteanim;
  TCheckBox* TransNote;
  TGroupBox* _AlarmSoundFile;
  TQuotedFileNameEdit* TrillFileEdit;
  TFlatButton* SpeedButton1;
  TTabSheet* _ShortCutsTab;
  TGroupBox* _TrayIcongroup;
  TComboBox* TrayIconActionSelector;
  TGroupBox* _ShortCutsGroup;
  TTreeGrid* ShortCutsThree;
  TTabSheet* _noteStyle;
  TGroupBox* _NoteLayoutSetup;
  TPanel* PreviewPanel;
  TPaintBox* PreviewBox;
  TLabel* _TitleColor;
  TLabel* _NoteColor;
  TLabel* _TitleFont;
  TLabel* _TextFont;
  TLabel* SizeLabel;
  TColorPickerButton* BColor;
  TColorPickerButton* NColor;
  TFlatButton* TitleFontSelect;
  TFlatButton* NoteFontSelect;
  TFlatButton* NoteSizeChange;
  TTabSheet* _language;
  TListBox* LanguagesListBox;
  TGroupBox* LangNotesBox;
  TMemo* LangNotes;
  TLabel* _ChangesLabel;
  TButton* _cancel;
  TButton* _ok;
  TFontDialog TitleFontDialog;
  TFontDialog NoteFontDialog;
  TColorDialog ColorDialog;
  std::unique_ptr<TImageList> ImageList1;

  int DefWidth = 0, DefHeight = 0;
  std::wstring SizeCaption = L"Size";
  TVx_Shortcut_data NewNoteKey, NotesManagerKey, ToDoListKey;

  void Translate();
  void UpdateSizeLabel();
  // The Default Note Style rows: each label as wide as its text, its button beside it.
  void LayOutStyleRows();
  // The text of a hot-key row (0 new note, 1 notes manager, 2 to-do list), as the list shows it.
  std::wstring ShortcutRowText(int row) const;
  TVx_Shortcut_data& ShortcutOfRow(int row);

  // Event handlers.
  void FormCreate(TComponent* sender);
  void FormShow(TComponent* sender);
  void PreviewBoxPaint(TComponent* sender, TCanvas& canvas);
  void TitleFontSelectClick(TComponent* sender);
  void NoteFontSelectClick(TComponent* sender);
  void BColorChange(TComponent* sender);
  void BColorClick(TComponent* sender);
  void BColorDefaultSelect(TComponent* sender);
  void SpeedButton1Click(TComponent* sender);
  void NoteSizeChangeClick(TComponent* sender);
  void LanguagesListBoxClick(TComponent* sender);
  void ShortCutsThreeDblClick(TComponent* sender);
  // OK takes the dialog's values only when the sound file's name is one the edit accepts.
  void _okClick(TComponent* sender);

 private:
  void RunFontDialog(TFontDialog& dialog);
  TTreeGridEvents shortCutsSource_;
  bool soundTried_ = false;
};

// Fills the dialog from the settings (the hot keys' values included).
void LoadConfigurationForm(TConfigurationForm& form);
// Writes a confirmed dialog back: the language chosen, SettingsChanged, every setting, then the
// three hot keys registered anew.
void StoreConfigurationForm(const TConfigurationForm& form);
// The settings dialog over owner, from loading to storing. Returns whether the user confirmed
// it and it was stored: a dialog that a shut-down (a close request, the session's end) ended
// while it or a dialog of its own was open counts as cancelled and stores nothing.
bool ExecuteConfigurationForm(TComponent* owner);
// After a confirmed dialog: the hot keys that hold a key and yet are not registered (another
// program has them, or two actions share one), one a line; empty when every one works.
std::wstring UnregisteredShortcuts();
// Tells the user, in one message, about the hot keys UnregisteredShortcuts names.
void ReportUnregisteredShortcuts();
