#pragma once
// The hidden main window: it carries the tray icon with its menu and actions, the one-second
// timer that drives alarms and auto-show, and the hot keys; the close request of a second copy
// and the end of the Windows session arrive here.
#include <memory>
#include <string>

#include "errorreport/ErrorReport.h"  // CreateErrorHandler, FreeErrorHandler
#include "ui/ActnList.h"
#include "ui/Dialogs.h"
#include "ui/Graphics.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/TrayIcon.h"
#include "shell/VxHTMLHelpunit.h"
#include "shell/dlgAboutVantaro.h"
#include "shell/dlgClosingVantaro.h"
#include "shell/frmSplashForm.h"

class TVantaroEngine;

// Sent by a copy started with "/TERMINATE" to the running one, which answers 1 (the sender
// does not wait for the answer).
inline constexpr UINT WM_CLOSEREQUEST = WM_USER + 5678;

// Posted by the main window to itself: what a double-click on the tray icon does.
inline constexpr UINT WM_TRAYDBLCLICK = WM_APP + 0x400;

class TVantaroMainForm : public TForm {
 public:
  // The window and its components; FormCreate (through DoCreate) then builds the engine.
  explicit TVantaroMainForm(TComponent* owner);
  ~TVantaroMainForm() override;

  TPopupMenu* TrayMenu;
  // The actions' and submenus' pictures, by the actions' image indexes.
  std::unique_ptr<TImageList> ImageList;
  // Used by the notes manager window for printing its list.
  TPrintDialog PrintDialog;
  TPrinterSetupDialog PrinterSetupDialog;
  TActionList* MainActions;
  TTrayIcon* TrayIcon;
  TTimer* NoteSystemTimer;

  TAction* _about;
  TAction* _contents;
  TAction* _donate;
  TAction* _website;
  TAction* _bugsubmit;
  TAction* _exit;
  TAction* _setup;
  TAction* _NewNote;
  TAction* _notesManager;
  TAction* _mytodolist;
  TAction* _editevents;
  TAction* _incomingevents;
  TMenuItem* _EventsSub;
  TMenuItem* _Helpsub;

  void Translate();

 protected:
  // Builds the engine; a test puts a failing one in its place.
  virtual TVantaroEngine* CreateEngine();
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FormCreate(TComponent* sender);
  void FormActivate(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);
  void AppDeactivate();
  void TrayIconClick(TComponent* sender);
  void TrayIconDblClick(TComponent* sender);
  void TrayIconDblClickAction();
  void NoteSystemTimerTimer(TComponent* sender);
  LRESULT WMQueryEndSession();
  LRESULT WMCloseRequest();
  void WMHotKey(WPARAM id);
  void BuildActions();
  void BuildTrayMenu();
  void BuildImageList();

  bool startupDone_ = false;          // the creation handler has finished, engine or not
  bool closeRequestPending_ = false;  // a close request came before that
  bool closeRequestRunning_ = false;  // a close request is being carried out
  bool doubleClicked_ = false;        // the tray icon's next click ends a double-click
};

// The main window; null before it is created and after the shut-down has let it go.
extern TVantaroMainForm* VantaroMainForm;

// Creates the main window into VantaroMainForm (set before its creation handler runs, which
// builds the engine); an error in that handler is reported and the program runs on without an
// engine.
void CreateMainForm();

// What the command line asks for. Only the first two parameters count, each upper-cased by the
// plain A-Z rule and compared whole.
struct TStartSwitches {
  bool MarkMissing = false;  // "/L" first or second: translator mode
  bool Splash = true;        // no "/S" first
  bool Uninstall = false;    // "/UNINSTALL" first
  bool Terminate = false;    // "/TERMINATE" first
};
TStartSwitches ReadSwitches(std::wstring first, std::wstring second);
