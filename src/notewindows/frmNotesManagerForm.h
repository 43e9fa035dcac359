#pragma once
// The notes manager window: a folder tree (all notes, the notes without a group, one folder per
// group) and the list of the chosen folder's notes, each with a row of its text under it. The
// window keeps no note data: every row points at a wrapper of the notes manager and reads the
// note when it is painted.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/ActnList.h"
#include "ui/Forms.h"
#include "ui/MainMenu.h"
#include "ui/Menus.h"
#include "ui/Panel.h"
#include "ui/StatusBar.h"
#include "ui/TreeGrid.h"

class TFormSaver;
class TNoteWrapper;
class TNotesManager;
class TPrinter;

// Kind of a row of the note list.
inline constexpr int nkPreview = 0, nkNote = 1;

class TNotesManagerForm : public TForm {
 public:
  explicit TNotesManagerForm(TComponent* owner);
  ~TNotesManagerForm() override;

  TPanel* ToolBar1;  // hidden
  TStatusBar* StatusBar1;
  TPanel* NotesFoldersPanel;
  TTreeGrid* NotesFolders;
  TTreeGrid* NoteViewer;
  TPopupMenu* NotePopupMan;
  TMainMenu* MainMenu;
  TActionList* ActionList;
  std::unique_ptr<TImageList> NoteImageList;

  TAction* _NewNote;
  TAction* _HideNote;
  TAction* _ShowNote;
  TAction* _EditNote;
  TAction* _HideGroup;
  TAction* _ShowGroup;
  TAction* _DeleteNote;
  TAction* _RefreshAll;
  TAction* _PrintList;
  TAction* _PrintSetup;
  TAction* _About;
  TAction* _HelpContents;
  TAction* _close;
  TMenuItem* _NotesMenu;
  TMenuItem* _PrintMenu;
  TMenuItem* _ViewMenu;
  TMenuItem* _HelpMenu;
  TMenuItem* N2;

  // Rebuilds the note list of the focused folder, and first the folder tree when asked.
  void UpdateList(bool rebuildFolders);
  void AddNoteToList(TNoteWrapper* wrapper);
  // The note of the focused (and selected) note row, or null.
  TNoteWrapper* FocusedNote();
  void Translate();

  // The group names shown as folders: folder k (k >= 1) under "All" is entry k - 1.
  std::vector<std::wstring> Groups;
  std::wstring NoGroupText = L"No Group";

  // Prints the rows of the list as they stand, on the given printer; a failure of the printer
  // is told in a message box and the job abandoned. Returns whether the list was printed.
  bool PrintList(TPrinter& printer);

 private:
  void BuildImageList();
  void BuildActions();
  void BuildMenus();
  void BuildViews();
  // The notes manager behind the window, or null once the engine has gone.
  TNotesManager* Notes() const;
  // The window was closed or the program is shutting down: nothing may be touched any more.
  bool Gone() const;
  void ToFront();
  // Back from editing a title in place: the actions work again.
  void ResumeActions();

  void FormCreate(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);

  std::wstring NoteViewerGetText(TGridNode* node, int column);
  int NoteViewerGetImageIndex(TGridNode* node, int column);
  std::wstring NoteViewerGetHint(TGridNode* node);
  int NoteViewerCompareNodes(TGridNode* a, TGridNode* b, int column);
  void NoteViewerHeaderClick(int column);
  void NoteViewerFocusChanging(TGridNode* node, bool& allowed);
  void NoteViewerEditing(TGridNode* node, int column, bool& allowed);
  void NoteViewerNewText(TGridNode* node, int column, const std::wstring& text);
  void NoteViewerEdited();
  void NoteViewerClick();
  void NoteViewerDblClick();
  std::wstring NotesFoldersGetText(TGridNode* node);
  void NotesFoldersFocusChanged();
  bool Admits(TGridNode* folder, TNoteWrapper* wrapper) const;
  // A note's fields changed elsewhere (its window, a dialog, an alarm): its row is painted
  // again, moved when its sort place changed; a new group redoes folders and list.
  void NoteChanged(TNoteWrapper* wrapper);
  void StopListening();

  void _PrintListExecute();
  // Prints the header of a page and returns the first row's y.
  int PrintNoteListHeader(TPrinter& printer, int& x0, int& x1, int& x2);

  // The keys of one sort, taken once per note rather than in every comparison.
  struct SortKey {
    std::wstring Title, Group;
  };
  std::unordered_map<const TNoteWrapper*, SortKey> sortKeys_;
  const SortKey& KeyOf(const TNoteWrapper* w);

  TTreeGridEvents noteViewerSource_;
  TTreeGridEvents notesFoldersSource_;
  std::unique_ptr<TFormSaver> FormSaver;
  int rebuilding_ = 0;
  // The notes manager whose changes this window hears, and each note's group as last listed.
  TNotesManager* listening_ = nullptr;
  std::unordered_map<const TNoteWrapper*, std::wstring> listedGroups_;
};

// The one notes manager window, or null.
extern TNotesManagerForm* NotesManagerForm;

// Closes the window when it is open: its placement is saved, it lets go of every note and is
// released. Safe at any moment of the shut-down, also while one of its dialogs is open.
void CloseNotesManagerForm();

// The placement's registry key.
inline constexpr wchar_t kNotesManagerWinKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\NotesManagerWin";
