#pragma once
// The to-do window: a project box, the tasks of the chosen project with a check box and a
// priority picture each, a tool bar of task commands and a project menu. The window shows the
// tasks of one project file at a time and writes them back at its save points; it keeps them
// in a plain task list, row for row.
#include <functional>
#include <memory>
#include <string>

#include "todo/ToDoListEngine.h"
#include "ui/ActnList.h"
#include "ui/CheckListView.h"
#include "ui/Dialogs.h"
#include "ui/FlatButton.h"
#include "ui/Forms.h"
#include "ui/ListControls.h"
#include "ui/Menus.h"
#include "ui/Panel.h"

class TFormSaver;
class TPrinter;

// The window's message texts: built-in English, replaced by the language file whenever the
// window is made, kept until the program ends.
struct TToDoTexts {
  std::wstring NewTask = L"New task";
  std::wstring TaskText = L"Task text?";
  std::wstring EditTask = L"Edit Task";
  std::wstring NoItemSelected = L"No item selected";
  std::wstring AreYouSureAllTasks = L"Are you sure that you want to remove all completed tasks? (no undo possible)";
  std::wstring NewProject = L"New Project";
  std::wstring NewProjectName = L"Project Name?";
  std::wstring RenameProject = L"Rename Project";
  std::wstring RenameProjectName = L"Project new Name?";
  std::wstring DOYouWanttoDelete = L"Do you want to delete";
};
extern TToDoTexts ToDoTexts;

inline constexpr int kPriorityCount = 10;

class TToDOListForm : public TForm {
 public:
  explicit TToDOListForm(TComponent* owner);
  ~TToDOListForm() override;

  TPanel* Panel2;
  TPanel* Panel1;
  TPanel* ProjectPanel;
  TPanel* ProjectMenuPanel;
  TComboBox* ProjectListCB;
  TFlatButton* ProjectMenuDropdown;
  TPanel* ToolBar2;
  TCheckListView* ToDoList;
  std::unique_ptr<TImageList> Priority;   // image N for priority N
  std::unique_ptr<TImageList> ImageList;  // the actions' pictures
  TActionList* ActionList;
  TPopupMenu* PriorityPopUP;
  TPopupMenu* TodoOptionsMenu;
  TPrintDialog PrintDialog;

  TAction* NewProject;
  TAction* DeleteProject;
  TAction* NewTask;
  TAction* RemoveTask;
  TAction* RemoveChecked;
  TAction* Up;
  TAction* Down;
  TAction* EditTask;
  TAction* RemoveCTasks;
  TAction* PriorityActions[kPriorityCount];
  TAction* RenameProject;
  TAction* PrintProject;
  TAction* CloseTODO;

  // The tasks shown, row for row.
  const TToDoTasks& Tasks() const { return tasks_; }
  // The selected project's name, or empty.
  std::wstring CurrentProject() const;
  bool ProjectSelected() const { return ProjectListCB->ItemIndex() >= 0; }
  // Whether a change of the shown tasks has not reached the file yet.
  bool Unsaved() const { return unsaved_; }

  // The projects of the folder, none selected.
  void FillProjectList();
  // Selects the last entry that matches the name (the first entry for a blank name) and shows it.
  void SelectProject(const std::wstring& name);
  void ProjectListCBChange();
  void LoadProject(const std::wstring& fileName);
  // Writes the rows as they stand; a failure is told with the file's name and the rows stay.
  bool SaveProject(const std::wstring& fileName);
  // Writes the shown rows to the file they were read from, when they changed; false (told) when
  // they could not be written: they stay shown.
  bool SaveCurrentProject();
  void CreateProject();
  void RenameCurrentProject();
  void DeleteCurrentProject();

  void CreateTask();
  void EditSelectedTask();
  void RemoveTaskExecute();
  void RemoveTaskAt(int index);
  void RemoveCTasksExecute();
  void Priority0Execute(int priority);
  void TodolistClick();
  void ResortTasks();
  void PrintProjectExecute();
  // Prints the shown project, page after page with the header on each; false when nothing or
  // not all was printed (the user has been told).
  bool PrintCurrentProject(TPrinter& printer);

  void Translate();
  void LayoutProjectBar();
  // For the program's end: a change of the shown tasks is written without a box; the failure
  // that keeps it from the file, or empty.
  std::wstring SavePending();
  // The close handling of the window: the project and the placement are saved. At the
  // program's end a project that cannot be saved goes to the error log instead of a box.
  void CloseForShutdown();

 private:
  void BuildImages();
  void BuildActions();
  void BuildControls();
  void BuildMenus();
  void FormCreate(TComponent* sender);
  void FormResize(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);
  // The window was closed (or is closing) while a box or menu ran: nothing more may be done.
  bool Gone() const { return closed_; }
  // Asks for a project name, acts on it, and shows the list again with that project.
  void AskAndShowProject(const std::wstring& caption, const std::wstring& prompt,
                         const std::function<TProjectFileResult(const std::wstring&, std::wstring&)>& act);
  // Fills the rows from the task list, selecting the row of task selected (or none).
  void ShowTasks(int selected);
  // The one column takes the list's width, beside the scroll bar when there is one.
  void FitTitleColumn();
  void ItemChecked(int index, bool checked);
  void SaveFailed(const std::wstring& fileName, unsigned long error, const std::wstring& aside = L"");
  // A box, or the error log at the program's end.
  void Report(const std::wstring& text);
  static std::wstring KeptAsideText(const std::wstring& fileName, const std::wstring& aside);

  TToDoTasks tasks_;
  std::wstring shownFile_;  // the file the rows came from, empty when none
  bool unsaved_ = false;
  bool unreadable_ = false;  // shownFile_ is there but could not be read: not ours to write over
  bool closed_ = false;
  bool shuttingDown_ = false;
  bool quiet_ = false;        // a failed save is told by the caller, not by a box
  std::wstring lastFailure_;  // why the last save failed
  std::unique_ptr<TFormSaver> ToDoFormSaver;
};

// The to-do window, or null.
extern TToDOListForm* ToDOListForm;

// Opens the window (made with owner on first use), rebuilds the project list and shows the
// first project.
void ShowToDoList(TComponent* owner);
// At the program's end: an open window is closed through its own close handling.
void CloseToDoListForm();

// The placement's registry key.
inline constexpr wchar_t kToDoWinKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\TODOWin";
// The posted message that writes a done mark changed by the keyboard.
inline constexpr UINT WM_TODO_SAVECHECK = WM_APP + 0x321;
