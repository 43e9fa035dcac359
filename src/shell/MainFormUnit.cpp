#include "shell/MainFormUnit.h"

#include <utility>

#include "events/MyEventsManagerUnit.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/frmNotesManagerForm.h"
#include "shell/ShortcutManagerUnit.h"
#include "shell/VantaroEngineUnit.h"
#include "todowindows/ToDoListFormUnit.h"
#include "ui/Application.h"
#include "ui/Glyphs.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"

TVantaroMainForm* VantaroMainForm = nullptr;

namespace {
// The maker's pages; the paths are the site's own.
const wchar_t kSite[] = L"http://www.belvanto.com";

// True while the engine exists and the user interface is not held by a dialog or a new note.
bool CanAct() { return VantaroEngine && UIEnabled; }
}  // namespace

TStartSwitches ReadSwitches(std::wstring first, std::wstring second) {
  for (std::wstring* p : {&first, &second})
    for (wchar_t& c : *p)
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  TStartSwitches s;
  s.MarkMissing = first == L"/L" || second == L"/L";
  s.Splash = first != L"/S";
  s.Uninstall = first == L"/UNINSTALL";
  s.Terminate = first == L"/TERMINATE";
  return s;
}

TVantaroMainForm::TVantaroMainForm(TComponent* owner) : TForm(owner, L"TVantaroMainForm") {
  SetName(L"VantaroMainForm");
  BorderStyle = TFormBorderStyle::bsNone;
  SetBounds(0, -100, 239, 33);
  SetCaption(L"VXQ 2.0");
  NoteSystemTimer = new TTimer(this, L"NoteSystemTimer", 1000);
  NoteSystemTimer->OnTimer = [this](TComponent* s) { NoteSystemTimerTimer(s); };
  BuildImageList();
  MainActions = new TActionList(this, L"MainActions");
  MainActions->Images = ImageList.get();
  BuildActions();
  TrayMenu = new TPopupMenu(this, L"TrayMenu");
  TrayMenu->Images = ImageList.get();
  BuildTrayMenu();
  TrayIcon = new TTrayIcon(this, L"TrayIcon");
  TrayIcon->PopupMenu = TrayMenu;
  TrayIcon->OnClick = [this](TComponent* s) { TrayIconClick(s); };
  TrayIcon->OnDblClick = [this](TComponent* s) { TrayIconDblClick(s); };
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  OnActivate = [this](TComponent* s) { FormActivate(s); };
  OnPaint = [](TComponent*, TCanvas&) { HideAppWindows(); };
  OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TComponent* s, TCloseAction& action) { FormClose(s, action); };
}

TVantaroMainForm::~TVantaroMainForm() {
  if (Application) Application->OnDeactivate = nullptr;
}

void TVantaroMainForm::BuildImageList() {
  using enum TGlyphShape;
  static const TGlyph glyphs[] = {
      {Note, 0x80FFFF, L"+"},  // 0 new note
      {Box, 0x3030D0, L"x"},   // 1 exit
      {Box, 0xC06020, L"?"},   // 2 help contents
      {Disc, 0xC06020, L"i"},  // 3 about
      {Note, 0xF0F0F0, L"v"},  // 4 to-do list
      {Disc, 0xD09030, L"w"},  // 5 web site
      {Disc, 0x2060C0, L"!"},  // 6 report a bug
      {Box, 0xA0A0A0, L""},    // 7 (unused)
      {Disc, 0x808080, L"*"},  // 8 setup
      {Box, 0xA0A0A0, L""},    // 9 (unused)
      {Box, 0x40A040, L"!"},   // 10 incoming events
      {Disc, 0x20B0E0, L"$"},  // 11 donation
      {Box, 0x40A040, L"e"},   // 12 edit events
      {Note, 0x80FFFF, L"="},  // 13 notes manager
  };
  ImageList = std::make_unique<TImageList>(16, 16);
  for (const TGlyph& g : glyphs) AddGlyph(*ImageList, g);
}

void TVantaroMainForm::BuildActions() {
  auto add = [this](const wchar_t* name, const wchar_t* caption, int image, std::function<void()> run) {
    TAction* a = MainActions->Add(name, caption);
    a->SetImageIndex(image);
    a->OnExecute = [run = std::move(run)](TComponent*) { run(); };
    return a;
  };
  _about = add(L"_about", L"&About Vantaro", 3, [] {
    TUIDisabled held;
    ShowAboutBox();
  });
  _contents = add(L"_contents", L"&Contents", 2, [this] { ShowHelpFile(Handle(), helpFile); });
  _donate = add(L"_donate", L"Make a &Donation", 11, [] { OpenURL(nullptr, std::wstring(kSite) + L"/go/donate"); });
  _website = add(L"_website", L"&Belvanto Website", 5,
                 [] { OpenURL(nullptr, std::wstring(kSite) + L"/go/software"); });
  _bugsubmit = add(L"_bugsubmit", L"Submit a &Bug", 6,
                   [] { OpenURL(nullptr, std::wstring(kSite) + L"/go/bugsreport"); });
  _exit = add(L"_exit", L"&Exit", 1, [this] { Close(); });
  _setup = add(L"_setup", L"&Setup", 8, [] {
    if (VantaroEngine) VantaroEngine->Setup();
  });
  _NewNote = add(L"_NewNote", L"&New Note", 0, [] {
    if (VantaroEngine) VantaroEngine->NotesManager->NewNote();
  });
  _notesManager = add(L"_notesManager", L"Show Notes &Manager", 13, [] {
    if (VantaroEngine) VantaroEngine->ShowNotesManager();
  });
  _mytodolist = add(L"_mytodolist", L"My &ToDo List", 4, [this] { ShowToDoList(this); });
  _editevents = add(L"_editevents", L"Edi&t My Events", 12, [] {
    if (VantaroEngine) VantaroEngine->ShowEventsManager();
  });
  _incomingevents = add(L"_incomingevents", L"&Incoming Events", 10, [] {
    if (VantaroEngine) VantaroEngine->ShowLatestEvents(true);
  });
  // Exit stays usable when the engine could not be built: nothing else can end the program.
  _exit->OnUpdate = [this](TComponent*) { _exit->SetEnabled(UIEnabled || !VantaroEngine); };
  _setup->OnUpdate = [this](TComponent*) { _setup->SetEnabled(UIEnabled && VantaroEngine); };
}

void TVantaroMainForm::BuildTrayMenu() {
  TMenuItem* root = TrayMenu->Items();
  auto item = [](TMenuItem* parent, TAction* action) {
    TMenuItem* i = parent->Add(L"", action->Name());
    i->SetAction(action);
  };
  item(root, _NewNote);
  root->AddSeparator()->Enabled = false;
  item(root, _notesManager);
  item(root, _mytodolist);
  _EventsSub = root->Add(L"My E&vents", L"_EventsSub");
  _EventsSub->ImageIndex = 10;
  item(_EventsSub, _editevents);
  _EventsSub->AddSeparator();
  item(_EventsSub, _incomingevents);
  root->AddSeparator();
  item(root, _setup);
  root->AddSeparator();
  _Helpsub = root->Add(L"&Help", L"_Helpsub");
  _Helpsub->ImageIndex = 2;
  item(_Helpsub, _contents);
  _Helpsub->AddSeparator();
  item(_Helpsub, _bugsubmit);
  _Helpsub->AddSeparator();
  item(_Helpsub, _donate);
  item(_Helpsub, _website);
  item(_Helpsub, _about);
  root->AddSeparator();
  item(root, _exit);
}

void TVantaroMainForm::Translate() {
  if (!LanguageWrapper) return;
  LanguageWrapper->SetSection(L"Vantaro_Main");
  LanguageWrapper->TranslateActionList(MainActions);
  LanguageWrapper->TranslateMenuItem(_Helpsub);
  LanguageWrapper->TranslateMenuItem(_EventsSub);
}

TVantaroEngine* TVantaroMainForm::CreateEngine() { return TVantaroEngine::Create(); }

void TVantaroMainForm::FormCreate(TComponent*) {
  TLifeCheck alive = Watch();
  try {
    SetVisible(false);
    Translate();
    SetBounds(Left(), -100, Width(), Height());
    HideAppWindows();
    SetCaption(L"Vantaro");
    TrayIcon->SetHint(L"Vantaro");
    if (Application) {
      Application->SetTitle(L"Vantaro");
      Application->OnDeactivate = [this] { AppDeactivate(); };
    }
    helpFile = ExeFolder() + L"vxq.chm";
    TrayIcon->SetActive(true);
    TVantaroEngine* engine = CreateEngine();
    Sleep(0);
    VantaroEngine = engine;
    if (VantaroEngine) VantaroEngine->RefreshNotesManager();
    NoteSystemTimer->SetEnabled(true);
    if (VantaroEngine) VantaroEngine->ShowLatestEvents(false);
    CloseSplash();
    Loading = false;
  } catch (...) {
    // The program runs on in the tray without an engine; the error is reported once.
    TApplication::HandleException(std::current_exception());
  }
  if (!alive) return;
  startupDone_ = true;
  // A close request that came while start-up asked something is carried out now.
  if (closeRequestPending_) PostMessageW(Handle(), WM_CLOSEREQUEST, 0, 0);
}

void TVantaroMainForm::FormActivate(TComponent*) {
  if (NoteSystemTimer->Enabled()) HideAppWindows();
}

void TVantaroMainForm::AppDeactivate() {
  if (NoteSystemTimer->Enabled() && VantaroEngine) VantaroEngine->NotesManager->ApplyStayOnTop();
}

void TVantaroMainForm::TrayIconClick(TComponent*) {
  // The release that ends a double-click comes as a click of its own: it must not take the
  // keys from the note the double-click has just made.
  if (std::exchange(doubleClicked_, false)) return;
  if (!NoteSystemTimer->Enabled() || !Application) return;
  HideAppWindows();
  // An open dialog comes to the front rather than staying behind other programs.
  if (HWND popup = Application->LastActivePopup(); popup && popup != Application->Handle())
    SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(Application->Handle());
}

void TVantaroMainForm::TrayIconDblClick(TComponent*) {
  doubleClicked_ = true;
  // The shell's icon messages are sent, and a sent message brings no time: a note made while
  // handling one asks for the keyboard focus dated by the last message this thread took from
  // its queue, often older than the click on the tray, and a window system that orders focus
  // requests by time (X) leaves the keys with the tray. A posted message is dated when posted.
  PostMessageW(Handle(), WM_TRAYDBLCLICK, 0, 0);
}

void TVantaroMainForm::TrayIconDblClickAction() {
  if (!CanAct()) return;
  if (DefaultTrayIconAction == 1)
    VantaroEngine->NotesManager->NewNote();
  else if (DefaultTrayIconAction == 2)
    VantaroEngine->ShowNotesManager();
}

void TVantaroMainForm::NoteSystemTimerTimer(TComponent*) {
  if (Loading || !VantaroEngine) return;
  VantaroEngine->NotesManager->CheckTimers();
  // A note's box may have run a shut-down meanwhile.
  if (VantaroEngine && VantaroEngine->EventsManager) VantaroEngine->EventsManager->Tick();
  CheckShutdownBlockReason();
  HideAppWindows();
}

void TVantaroMainForm::FormCloseQuery(TComponent*, bool& canClose) {
  // No other box may hold up the end the user asked for.
  BeginEnding();
  if (!VantaroEngine) return;
  // The user asked to end: a note (or the to-do list) that cannot be saved is named, and the
  // user may stay.
  canClose = VantaroEngine->NotesManager->SaveBeforeExit() && SavePendingDocumentsBeforeExit();
  if (!canClose && VantaroEngine) CancelEnding();
}

void TVantaroMainForm::FormClose(TComponent*, TCloseAction& action) {
  CloseNotesManagerForm();
  // From here on the program ends: each note closes at once, without its animation and
  // without handling the messages of the others (the repaints of what each close uncovers
  // would cost seconds with many notes open).
  Closing = true;
  Shutdown(false);
  // Closing the main window ends the program; the window itself goes once this message has
  // been handled.
  action = TCloseAction::caFree;
  if (VantaroMainForm == this) VantaroMainForm = nullptr;
  if (Application) Application->Terminate();
}

LRESULT TVantaroMainForm::WMQueryEndSession() {
  // Everything is saved before the answer: a note that cannot be saved is the one reason to refuse.
  return QueryEndSession() ? TRUE : FALSE;
}

LRESULT TVantaroMainForm::WMCloseRequest() {
  // One request at a time, and none after the shut-down: repeated requests must neither pile
  // up closing windows nor keep the program from ending with a pause each.
  if (Closing || closeRequestRunning_) return 1;
  // A script or an installer may have asked, with nobody at the screen: no box waits for an
  // answer from here on (what a box had to say goes to the error log), but the end's own
  // question about what cannot be saved.
  BeginEnding();
  if (Loading && !startupDone_) {
    // Start-up runs under us (a box of its own ran the loop, and goes now): the request is
    // carried out once start-up is done.
    closeRequestPending_ = true;
    return 1;
  }
  closeRequestRunning_ = true;
  ShowClosingWindow();
  // The closing window stays a second before the shut-down; the thread keeps answering meanwhile
  // (a session end, the tray's Exit, typing), and the request ends if the program did.
  TLifeCheck alive = Watch();
  const ULONGLONG until = GetTickCount64() + 1000;
  for (ULONGLONG now; (now = GetTickCount64()) < until;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
    if (Application) Application->ProcessMessages();
    if (!alive || Closing || !Application || Application->Terminated()) return 1;
  }
  if (!VantaroEngine) {
    // No engine was built: nothing to save, and the program ends as Exit ends it.
    Close();
    return 1;
  }
  if (!VantaroEngine->NotesManager->SaveChanged().empty() || !SavePendingDocuments().empty()) {
    // Exit's question, which must not sit under the closing window: the user may keep the
    // program and the notes (or the to-do list) that cannot be saved.
    HideClosingWindow();
    if (!VantaroEngine->NotesManager->SaveBeforeExit() || !SavePendingDocumentsBeforeExit()) {
      // Unless a shut-down ran during the question, the program stays and takes requests again.
      if (VantaroEngine) {
        closeRequestRunning_ = false;
        CancelEnding();
      }
      return 1;
    }
  }
  ShutdownOnce();
  return 1;
}

void TVantaroMainForm::WMHotKey(WPARAM id) {
  if (!CanAct()) return;
  if (NewNoteShortCut && id == NewNoteShortCut->Atom) VantaroEngine->NotesManager->NewNote();
  if (VantaroEngine && NotesManagerShortCut && id == NotesManagerShortCut->Atom) VantaroEngine->ShowNotesManager();
  if (ToDoListShortCut && id == ToDoListShortCut->Atom) ShowToDoList(this);
}

LRESULT TVantaroMainForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_QUERYENDSESSION: return WMQueryEndSession();
    case WM_ENDSESSION:
      EndSession(wp != FALSE);
      return 0;
    case WM_CLOSEREQUEST: return WMCloseRequest();
    case WM_TRAYDBLCLICK:
      TrayIconDblClickAction();
      return 0;
    case WM_HOTKEY:
      WMHotKey(wp);
      return 0;
    default: return TForm::WndProc(msg, wp, lp);
  }
}

void CreateMainForm() {
  // A new run: nothing is ending, and a box that the end takes back is kept in the error log.
  CancelEnding();
  SetUnseenMessageBoxHook([](const MessageBoxRequest& box) {
    AppendToErrorLog(L"Taken back as the program ended: " + box.Caption + L"\n\r" + box.Text);
  });
  // The global is set before the creation handler runs: the engine gives the main window to
  // the hot keys as the window that receives them.
  VantaroMainForm = new TVantaroMainForm(Application);
  VantaroMainForm->DoCreate();
}
