#include "notewindows/frmNotesManagerForm.h"

#include <cmath>
#include <functional>

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notes/NoteWrapper.h"
#include "notewindows/NoteConfUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "shell/FormSaverClassUnit.h"
#include "shell/MainFormUnit.h"
#include "shell/VantaroEngineUnit.h"
#include "shell/VxHTMLHelpunit.h"
#include "shell/dlgAboutVantaro.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/DateEdit.h"
#include "ui/FlatButton.h"
#include "ui/Glyphs.h"
#include "ui/MessageBox.h"
#include "ui/Printers.h"

TNotesManagerForm* NotesManagerForm = nullptr;

namespace {
// Columns of the note list, by index.
enum Column { colTitle, colGroup, colAlarm, colAutoShow, colOnTop, colReduced, colCount };

struct ColumnInfo {
  const wchar_t* Key;
  const wchar_t* Caption;
  int Position;
  int Width;
};
constexpr ColumnInfo kColumns[colCount] = {
    {L"_title", L"Title", 0, 57},      {L"_group", L"Group", 3, 72},    {L"_alarm", L"Alarm", 4, 72},
    {L"_autoshow", L"Autoshow", 5, 72}, {L"_on_top", L"On Top", 2, 50}, {L"_reduced", L"Reduced", 1, 50},
};

// Images of NoteImageList by role.
enum Image {
  imgNoteShown = 0, imgNoteHidden = 1, imgDelete = 2, imgClose = 3, imgYes = 5, imgNo = 6, imgFolder = 7,
  imgAll = 9, imgRefresh = 10, imgPrintSetup = 11, imgPrintList = 12, imgContents = 13, imgAbout = 14,
  imgProperties = 17
};

TNoteWrapper* WrapperOf(const TGridNode* node) { return node ? static_cast<TNoteWrapper*>(node->Data) : nullptr; }

// Byte by byte; a text that is the start of the other comes first.
int CompareBytes(const std::wstring& a, const std::wstring& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Orders two notes by whether a moment is set, then by the moment: notes without one first.
// Equal values are equal, so the sort keeps their list order. A stored value that is no date
// (NaN, infinite, out of range; hand-made files) comes before every real moment: NaN compares
// false with everything, which would give a different order for every starting order.
int CompareMoments(bool setA, TDateTime a, bool setB, TDateTime b) {
  if (setA != setB) return setA ? 1 : -1;
  if (!setA) return 0;
  const bool dateA = IsCalendarDay(a), dateB = IsCalendarDay(b);
  if (dateA != dateB) return dateA ? 1 : -1;
  if (!dateA || a == b) return 0;
  return a > b ? 1 : -1;
}

int CompareFlags(bool a, bool b) { return a == b ? 0 : a ? 1 : -1; }

// The platform's default form of a moment: short date, and the long time unless it is midnight.
std::wstring MomentText(TDateTime moment) {
  // A value that is no date shows no date, rather than the system's earliest day.
  if (!IsCalendarDay(moment)) return L"";
  if (moment != std::floor(moment)) return DateTimeToStr(moment);
  SYSTEMTIME st;
  DateTimeToSystemTime(moment, st);
  wchar_t date[128] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
  return date;
}

// Letters a-z taken as A-Z and nothing else folded: the order of the sort keys.
std::wstring UpperAscii(std::wstring s) {
  for (wchar_t& c : s)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return s;
}
}  // namespace

TNotesManagerForm::TNotesManagerForm(TComponent* owner) : TForm(owner, L"TNotesManagerForm") {
  SetName(L"NotesManagerForm");
  SetCaption(L"Notes Manager");
  SetBounds(0, 0, 570, 394);
  ShowInTaskbar = true;
  Font().SetName(L"MS Shell Dlg 2");
  Font().SetSize(8);
  // A taskbar button of its own, whatever owns the object: the desktop is its parent window.
  OnCreateParams = [](TCreateParams& params) {
    params.ExStyle |= WS_EX_APPWINDOW;
    params.Style &= ~WS_MINIMIZEBOX;
    params.Parent = GetDesktopWindow();
  };
  BuildImageList();
  ActionList = new TActionList(this, L"ActionList");
  ActionList->Images = NoteImageList.get();
  BuildActions();
  BuildViews();
  BuildMenus();
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TComponent* s, TCloseAction& action) { FormClose(s, action); };
  DoCreate();
}

TNotesManagerForm::~TNotesManagerForm() {
  StopListening();
  if (NotesManagerForm == this) NotesManagerForm = nullptr;
  // No grid may paint or sort through a handler of ours from here on.
  NoteViewer->Source = nullptr;
  NotesFolders->Source = nullptr;
}

void TNotesManagerForm::BuildImageList() {
  using enum TGlyphShape;
  static const TGlyph glyphs[] = {
      {Note, 0x80FFFF, L""},    // 0 note shown, new note
      {Note, 0xD0D0D0, L""},    // 1 note not shown
      {Box, 0x3030D0, L"x"},    // 2 delete note
      {Note, 0x80FFFF, L"x"},   // 3 close note
      {Blank, 0, L""},          // 4
      {Check, 0x20A020, L""},   // 5 yes
      {Dash, 0x3030C0, L""},    // 6 no
      {Folder, 0x60D0F0, L""},  // 7 group folder
      {Blank, 0, L""},          // 8
      {Folder, 0x40A0E0, L"*"},  // 9 all notes
      {Disc, 0x20A020, L"R"},   // 10 refresh all
      {Printer, 0xC0C0C0, L"*"},  // 11 print setup
      {Printer, 0xC0C0C0, L""},  // 12 print list
      {Box, 0xC06020, L"?"},    // 13 contents
      {Disc, 0xC06020, L"i"},   // 14 about
      {Blank, 0, L""},          // 15
      {Blank, 0, L""},          // 16
      {Note, 0x80FFFF, L"P"},   // 17 note properties
  };
  NoteImageList = std::make_unique<TImageList>(16, 16);
  for (const TGlyph& g : glyphs) AddGlyph(*NoteImageList, g);
}

void TNotesManagerForm::BuildActions() {
  auto add = [this](const wchar_t* name, const wchar_t* caption, TShortCut shortCut, int image,
                    std::function<void()> run) {
    TAction* a = ActionList->Add(name, caption, shortCut);
    a->SetImageIndex(image);
    a->OnExecute = [run = std::move(run)](TComponent*) { run(); };
    return a;
  };
  // The actions on one note take it from FocusedNote and do nothing without one. Whatever
  // runs the message loop (a note's save failure box, a dialog, the delete question) may end
  // the program meanwhile: afterwards the window checks that it and the notes still exist.
  auto onNote = [this](void (*act)(TNoteWrapper*)) {
    return [this, act] {
      TNoteWrapper* w = FocusedNote();
      if (!w) return;
      TLifeCheck alive = Watch();
      act(w);
      if (alive) ToFront();
    };
  };
  _NewNote = add(L"_NewNote", L"&New Note", ShortCut('N', scCtrl), imgNoteShown, [] {
    if (VantaroEngine && VantaroEngine->NotesManager) VantaroEngine->NotesManager->NewNote();
  });
  _HideNote = add(L"_HideNote", L"&Close Note", ShortCut('H', scCtrl), imgClose,
                  onNote([](TNoteWrapper* w) { w->HideNote(true); }));
  _ShowNote = add(L"_ShowNote", L"&Show Note", ShortCut('S', scCtrl), -1, onNote([](TNoteWrapper* w) { w->ShowNote(); }));
  _EditNote = add(L"_EditNote", L"Note &Properties", ShortCut('P', scCtrl), imgProperties,
                  onNote([](TNoteWrapper* w) { EditNoteProperties(w, -1, -1); }));
  auto showGroup = [this](bool show) {
    TNoteWrapper* w = FocusedNote();
    TNotesManager* notes = Notes();
    if (!w || !notes) return;
    TLifeCheck alive = Watch();
    notes->ShowGroup(w->Note->Group, show);
    if (!alive || Gone()) return;
    if (!show && Application) Application->ProcessMessages();
    if (alive) ToFront();
  };
  _HideGroup = add(L"_HideGroup", L"Hide all notes of the same group", scNone, -1, [showGroup] { showGroup(false); });
  _ShowGroup = add(L"_ShowGroup", L"Show &all notes of the same group", scNone, -1, [showGroup] { showGroup(true); });
  _DeleteNote = add(L"_DeleteNote", L"&Delete Note", ShortCut(VK_DELETE, scNone), imgDelete, [this] {
    TNoteWrapper* w = FocusedNote();
    TNotesManager* notes = Notes();
    if (!w || !notes) return;
    TLifeCheck alive = Watch();
    // The notes manager asks first; declined or not, the list is rebuilt.
    notes->DeleteNote(w, true);
    if (!alive || Gone()) return;
    UpdateList(false);
    ToFront();
  });
  _RefreshAll = add(L"_RefreshAll", L"Refresh All", ShortCut(VK_F5, scNone), imgRefresh, [this] {
    UpdateList(true);
    Invalidate();
  });
  _PrintList = add(L"_PrintList", L"&Print current list", scNone, imgPrintList, [this] { _PrintListExecute(); });
  _PrintSetup = add(L"_PrintSetup", L"Print &setup", scNone, imgPrintSetup,
                    [this] { RunMainPrintDialog(*this, true, L"The printer cannot be set up"); });
  _About = add(L"_About", L"&About", scNone, imgAbout, [] {
    TUIDisabled held;
    ShowAboutBox();
  });
  _HelpContents = add(L"_HelpContents", L"&Contents", scNone, imgContents, [] {
    ShowHelpFile(VantaroMainForm ? VantaroMainForm->Handle() : nullptr, helpFile, 0, 0);
  });
  _close = add(L"_close", L"&Close", scNone, -1, [this] { Close(); });

  // Enabled and visible as the focused note allows.
  _HideNote->OnUpdate = [this](TComponent*) {
    TNoteWrapper* w = FocusedNote();
    const bool open = w && w->IsOpen();
    _HideNote->SetVisible(open);
    _HideNote->SetEnabled(open);
  };
  _ShowNote->OnUpdate = [this](TComponent*) {
    TNoteWrapper* w = FocusedNote();
    _ShowNote->SetEnabled(w != nullptr);
    _ShowNote->SetVisible(!w || !w->IsOpen());
    if (N2) N2->Visible = true;
  };
  for (TAction* a : {_EditNote, _HideGroup, _ShowGroup})
    a->OnUpdate = [this, a](TComponent*) { a->SetEnabled(FocusedNote() != nullptr); };
  _DeleteNote->OnUpdate = [this](TComponent*) {
    _DeleteNote->SetEnabled(FocusedNote() != nullptr && !NoteViewer->IsEditing());
  };
}

void TNotesManagerForm::BuildViews() {
  // The tool bar is kept hidden; its buttons follow their actions all the same.
  ToolBar1 = new TPanel(this, L"ToolBar1");
  ToolBar1->SetParent(this);
  ToolBar1->SetBevelOuter(TBevelCut::bvNone);
  ToolBar1->SetAlign(TAlign::alTop);
  ToolBar1->SetHeight(29);
  ToolBar1->SetVisible(false);
  int x = 0;
  for (TAction* a : {_NewNote, _RefreshAll, _PrintList}) {
    auto* b = new TFlatButton(this, a->Name() + L"Button");
    b->SetParent(ToolBar1);
    b->SetBounds(x, 2, 25, 25);
    b->Images = NoteImageList.get();
    b->SetAction(a);
    x += 25 + 8;  // the separator between buttons
  }
  StatusBar1 = new TStatusBar(this, L"StatusBar1");
  StatusBar1->SetParent(this);
  NotesFoldersPanel = new TPanel(this, L"NotesFoldersPanel");
  NotesFoldersPanel->SetParent(this);
  NotesFoldersPanel->SetBevelOuter(TBevelCut::bvNone);
  NotesFoldersPanel->SetAlign(TAlign::alLeft);
  NotesFoldersPanel->SetWidth(185);

  NotesFolders = new TTreeGrid(this, L"NotesFolders");
  NotesFolders->SetParent(NotesFoldersPanel);
  NotesFolders->SetAlign(TAlign::alClient);
  NotesFolders->SetHeaderVisible(false);
  NotesFolders->ShowTreeLines = NotesFolders->ShowRootLines = true;
  NotesFolders->Source = &notesFoldersSource_;
  NotesFolders->AutoSort = false;
  NotesFolders->AddColumn(L"", 180);
  NotesFolders->AutoSizeColumn = 0;
  NotesFolders->SetImages(NoteImageList.get());
  notesFoldersSource_.OnGetText = [this](TTreeGrid*, TGridNode* n, int) { return NotesFoldersGetText(n); };
  notesFoldersSource_.OnGetImageIndex = [](TTreeGrid*, TGridNode* n, int, bool) {
    return n->Level() == 0 ? imgAll : imgFolder;
  };
  NotesFolders->OnFocusChanging = [](TTreeGrid*, TGridNode* n, bool& allowed) { allowed = n != nullptr; };
  NotesFolders->OnFocusChanged = [this](TTreeGrid*, TGridNode*) { NotesFoldersFocusChanged(); };
  NotesFolders->OnCollapsing = [](TTreeGrid*, TGridNode*, bool& allowed) { allowed = false; };

  NoteViewer = new TTreeGrid(this, L"NoteViewer");
  NoteViewer->SetParent(this);
  NoteViewer->SetAlign(TAlign::alClient);
  NoteViewer->Source = &noteViewerSource_;
  NoteViewer->SetImages(NoteImageList.get());
  for (int c = 0; c < colCount; ++c) NoteViewer->AddColumn(kColumns[c].Caption, kColumns[c].Width);
  std::vector<int> order(colCount);
  for (int c = 0; c < colCount; ++c) order[kColumns[c].Position] = c;
  NoteViewer->SetColumnOrder(order);
  NoteViewer->AutoSizeColumn = colTitle;
  NoteViewer->SetSort(colTitle, TSortDirection::sdAscending);
  noteViewerSource_.OnGetText = [this](TTreeGrid*, TGridNode* n, int c) { return NoteViewerGetText(n, c); };
  noteViewerSource_.OnGetImageIndex = [this](TTreeGrid*, TGridNode* n, int c, bool) {
    return NoteViewerGetImageIndex(n, c);
  };
  noteViewerSource_.OnGetHint = [this](TTreeGrid*, TGridNode* n, int) { return NoteViewerGetHint(n); };
  // Titles and groups may have changed since the last sort.
  noteViewerSource_.OnBeginSort = [this](TTreeGrid*, int) { sortKeys_.clear(); };
  noteViewerSource_.OnCompareNodes = [this](TTreeGrid*, TGridNode* a, TGridNode* b, int c) {
    return NoteViewerCompareNodes(a, b, c);
  };
  NoteViewer->OnHeaderClick = [this](TTreeGrid*, int c) { NoteViewerHeaderClick(c); };
  NoteViewer->OnFocusChanging = [this](TTreeGrid*, TGridNode* n, bool& allowed) { NoteViewerFocusChanging(n, allowed); };
  NoteViewer->OnCollapsing = [](TTreeGrid*, TGridNode*, bool& allowed) { allowed = false; };
  NoteViewer->OnEditing = [this](TTreeGrid*, TGridNode* n, int c, bool& allowed) { NoteViewerEditing(n, c, allowed); };
  NoteViewer->OnNewText = [this](TTreeGrid*, TGridNode* n, int c, const std::wstring& t) { NoteViewerNewText(n, c, t); };
  NoteViewer->OnEdited = [this](TTreeGrid*, TGridNode*, int, bool) { NoteViewerEdited(); };
  NoteViewer->OnClick = [this](TComponent*) { NoteViewerClick(); };
  NoteViewer->OnDblClick = [this](TComponent*) { NoteViewerDblClick(); };
  SetActiveControl(NoteViewer);
}

void TNotesManagerForm::BuildMenus() {
  auto item = [](TMenuItem* parent, TAction* action, const std::wstring& name = {}) {
    TMenuItem* i = parent->Add(L"", name.empty() ? action->Name() + L"Item" : name);
    i->SetAction(action);
    return i;
  };
  MainMenu = new TMainMenu(this, L"MainMenu");
  MainMenu->Images = NoteImageList.get();
  TMenuItem* bar = MainMenu->Items();
  _NotesMenu = bar->Add(L"&Notes", L"_NotesMenu");
  item(_NotesMenu, _NewNote);
  item(_NotesMenu, _DeleteNote);
  _NotesMenu->AddSeparator();
  item(_NotesMenu, _RefreshAll);
  _NotesMenu->AddSeparator();
  item(_NotesMenu, _close);
  _PrintMenu = bar->Add(L"Print", L"_PrintMenu");
  item(_PrintMenu, _PrintList);
  item(_PrintMenu, _PrintSetup);
  _ViewMenu = bar->Add(L"View", L"_ViewMenu");
  item(_ViewMenu, _RefreshAll, L"_RefreshAllView");
  _HelpMenu = bar->Add(L"&Help", L"_HelpMenu");
  item(_HelpMenu, _HelpContents);
  _HelpMenu->AddSeparator();
  item(_HelpMenu, _About);
  MainMenu->Attach(this);

  NotePopupMan = new TPopupMenu(this, L"NotePopupMan");
  NotePopupMan->Images = NoteImageList.get();
  TMenuItem* root = NotePopupMan->Items();
  item(root, _HideNote, L"HideNote1");
  item(root, _ShowNote, L"ShowNote1");
  N2 = root->AddSeparator();
  N2->SetName(L"N2");
  item(root, _ShowGroup, L"Showallgroup1");
  item(root, _HideGroup, L"Hideallgroup1");
  root->AddSeparator();
  item(root, _NewNote, L"NewNotePopup");
  item(root, _DeleteNote, L"DeleteNotePopup");
  root->AddSeparator();
  item(root, _EditNote, L"Noteproperties1");
  NotePopupMan->OnPopup = [this](TComponent*) { ResumeActions(); };
  NoteViewer->PopupMenu = NotePopupMan;
}

void TNotesManagerForm::Translate() {
  if (!LanguageWrapper) return;
  LanguageWrapper->SetSection(L"Vantaro_About");
  SetCaption(LanguageWrapper->GetString(L"_notes_manager_title", Caption()));
  LanguageWrapper->TranslateActionList(ActionList);
  for (TMenuItem* m : {_NotesMenu, _PrintMenu, _ViewMenu, _HelpMenu}) LanguageWrapper->TranslateMenuItem(m);
  MainMenu->Rebuild();
  NoGroupText = LanguageWrapper->GetString(L"_no_group", L"No Group");
  for (int c = 0; c < colCount; ++c)
    NoteViewer->SetColumnCaption(c, LanguageWrapper->GetString(kColumns[c].Key, kColumns[c].Caption));
  LanguageWrapper->SetSection(kGenericSection);
}

void TNotesManagerForm::FormCreate(TComponent*) {
  Translate();
  Groups.clear();
  SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
            Height());
  FormSaver = std::make_unique<TFormSaver>(this);
  try {
    FormSaver->LoadFromRegistry(kNotesManagerWinKey);
  } catch (...) {
    // A placement that cannot be read leaves the window centred.
  }
  NoteViewer->BeginUpdate();
  NoteViewer->Clear();
  NoteViewer->EndUpdate();
}

void TNotesManagerForm::FormCloseQuery(TComponent*, bool& canClose) {
  try {
    if (FormSaver) FormSaver->SaveToRegistry(kNotesManagerWinKey);
  } catch (...) {
    // The placement is given up; the window closes all the same.
  }
  canClose = true;
}

void TNotesManagerForm::FormClose(TComponent*, TCloseAction& action) {
  // Every row lets go of its note now: the notes may be freed before this window is.
  NoteViewer->Clear();
  StopListening();
  FormSaver.reset();
  action = TCloseAction::caFree;
  if (NotesManagerForm == this) NotesManagerForm = nullptr;
}

TNotesManager* TNotesManagerForm::Notes() const { return VantaroEngine ? VantaroEngine->NotesManager : nullptr; }

bool TNotesManagerForm::Gone() const { return NotesManagerForm != this || !Notes(); }

void TNotesManagerForm::ToFront() {
  if (Gone() || !HandleAllocated()) return;
  BringToFront();
}

void TNotesManagerForm::ResumeActions() {
  ActionList->Suspended = false;
  _DeleteNote->SetEnabled(true);
}

// ---------------------------------------------------------------- the lists

bool TNotesManagerForm::Admits(TGridNode* folder, TNoteWrapper* w) const {
  if (folder->Level() == 0) return true;
  const std::wstring& group = w->Note->Group;
  if (folder->Index() == 0) return Trim(group).empty();
  const size_t k = static_cast<size_t>(folder->Index());
  // The rule that made the list of groups, so that a folder holds the notes it stands for.
  return k <= Groups.size() && SameText(Trim(Groups[k - 1]), Trim(group));
}

void TNotesManagerForm::UpdateList(bool rebuildFolders) {
  if (NotesManagerForm != this) return;
  TNotesManager* notes = Notes();
  ++rebuilding_;
  struct Done {
    int& n;
    ~Done() { --n; }
  } done{rebuilding_};
  NotesFolders->BeginUpdate();
  NoteViewer->BeginUpdate();
  try {
    if (rebuildFolders) {
      NotesFolders->SetRootCount(1);
      Groups.clear();
      if (notes) notes->GetGroups(Groups);
      TGridNode* all = NotesFolders->Roots()[0];
      NotesFolders->SetChildCount(all, static_cast<int>(Groups.size()) + 1);
      NotesFolders->Expand(all, true);
      if (!NotesFolders->FocusedNode()) NotesFolders->SetFocusedNode(all);
    }
    NoteViewer->Clear();
    listedGroups_.clear();
    if (notes && listening_ != notes) {
      listening_ = notes;
      notes->OnNoteChanged = [this](TNoteWrapper* w) { NoteChanged(w); };
    }
    TGridNode* folder = NotesFolders->FocusedNode();
    if (notes)
      for (int i = 0; i < notes->Notes->Count(); ++i) {
        TNoteWrapper* w = notes->Notes->Items(i);
        listedGroups_[w] = w->Note->Group;
        if (folder && Admits(folder, w)) AddNoteToList(w);
      }
  } catch (...) {
    NoteViewer->EndUpdate();
    NotesFolders->EndUpdate();
    throw;
  }
  NoteViewer->EndUpdate();
  NotesFolders->EndUpdate();
}

void TNotesManagerForm::NoteChanged(TNoteWrapper* w) {
  if (Gone() || rebuilding_ > 0 || !w || !w->Note) return;
  auto listed = listedGroups_.find(w);
  if (listed == listedGroups_.end() || listed->second != w->Note->Group) return UpdateList(true);
  for (TGridNode* row : NoteViewer->Roots())
    if (row->Data == w) return NoteViewer->RefreshNode(row);
}

void TNotesManagerForm::StopListening() {
  if (listening_ && listening_ == Notes()) listening_->OnNoteChanged = nullptr;
  listening_ = nullptr;
}

void TNotesManagerForm::AddNoteToList(TNoteWrapper* wrapper) {
  TGridNode* row = NoteViewer->AddChild(nullptr, nkNote, wrapper);
  NoteViewer->AddChild(row, nkPreview, wrapper);
  NoteViewer->Expand(row, true);
}

TNoteWrapper* TNotesManagerForm::FocusedNote() {
  try {
    TGridNode* n = NoteViewer->FocusedNode();
    if (!n || !NoteViewer->Selected(n) || n->Kind != nkNote) return nullptr;
    return WrapperOf(n);
  } catch (...) {
    return nullptr;
  }
}

std::wstring TNotesManagerForm::NoteViewerGetText(TGridNode* node, int column) {
  TNoteWrapper* w = WrapperOf(node);
  if (!w || !w->Note) return L"";
  if (node->Kind == nkPreview) return column == colTitle ? w->GetPreview() : L"";
  const TNoteClass& n = *w->Note;
  switch (column) {
    case colTitle: return n.Title;
    case colGroup: return n.Group;
    case colAlarm: return n.AlarmOn ? MomentText(n.AlarmAt) : L"Not Set";
    case colAutoShow: return n.AutoShowPending == 1 ? MomentText(n.ShowAt) : L"Not Set";
    case colOnTop:
    case colReduced: return L" ";
    default: return L"";
  }
}

int TNotesManagerForm::NoteViewerGetImageIndex(TGridNode* node, int column) {
  TNoteWrapper* w = WrapperOf(node);
  if (!w || !w->Note || node->Kind != nkNote) return -1;
  switch (column) {
    case colTitle: return w->IsOpen() ? imgNoteShown : imgNoteHidden;
    case colOnTop: return w->Note->GetAlwaysOnTop() ? imgYes : imgNo;
    case colReduced: return w->Note->GetReduced() ? imgYes : imgNo;
    default: return -1;
  }
}

std::wstring TNotesManagerForm::NoteViewerGetHint(TGridNode* node) {
  TNoteWrapper* w = WrapperOf(node);
  if (!w || node->Kind != nkNote) return L"";
  return L"Note text preview:\n\r" + w->GetPreview();
}

int TNotesManagerForm::NoteViewerCompareNodes(TGridNode* a, TGridNode* b, int column) {
  if (a->Kind != nkNote || b->Kind != nkNote) return 0;
  const TNoteClass &x = *WrapperOf(a)->Note, &y = *WrapperOf(b)->Note;
  switch (column) {
    case colTitle: return CompareBytes(KeyOf(WrapperOf(a)).Title, KeyOf(WrapperOf(b)).Title);
    case colGroup: {
      const SortKey &ka = KeyOf(WrapperOf(a)), &kb = KeyOf(WrapperOf(b));
      const int c = CompareBytes(ka.Group, kb.Group);
      return c != 0 ? c : CompareBytes(ka.Title, kb.Title);
    }
    case colAlarm: return CompareMoments(x.AlarmOn, x.AlarmAt, y.AlarmOn, y.AlarmAt);
    case colAutoShow: return CompareMoments(x.AutoShowPending == 1, x.ShowAt, y.AutoShowPending == 1, y.ShowAt);
    case colOnTop: return CompareFlags(x.GetAlwaysOnTop(), y.GetAlwaysOnTop());
    case colReduced: return CompareFlags(x.GetReduced(), y.GetReduced());
    default: return 0;
  }
}

const TNotesManagerForm::SortKey& TNotesManagerForm::KeyOf(const TNoteWrapper* w) {
  auto it = sortKeys_.find(w);
  if (it == sortKeys_.end())
    it = sortKeys_.emplace(w, SortKey{UpperAscii(w->Note->Title), UpperAscii(w->Note->Group)}).first;
  return it->second;
}

void TNotesManagerForm::NoteViewerHeaderClick(int column) {
  TSortDirection direction = NoteViewer->SortDirection();
  if (column == NoteViewer->SortColumn())
    direction = direction == TSortDirection::sdAscending ? TSortDirection::sdDescending : TSortDirection::sdAscending;
  NoteViewer->SetSort(column, direction);
}

void TNotesManagerForm::NoteViewerFocusChanging(TGridNode* node, bool& allowed) {
  allowed = node && node->Kind == nkNote;
}

void TNotesManagerForm::NoteViewerEditing(TGridNode* node, int column, bool& allowed) {
  allowed = node && node->Kind == nkNote && column == colTitle;
  if (allowed) {
    // Keys typed into the editor must never run an action of the window, Del least of all.
    ActionList->Suspended = true;
    _DeleteNote->SetEnabled(false);
  } else {
    ResumeActions();
  }
}

void TNotesManagerForm::NoteViewerNewText(TGridNode* node, int column, const std::wstring& text) {
  if (!node || node->Kind != nkNote || column != colTitle) return;
  TNoteWrapper* w = WrapperOf(node);
  if (!w) return;
  w->SetTitle(text);
  // On disk at once, as a pause in typing puts the text there: a kill or a power cut must not
  // take the new title. No box inside the editor's end: a failure is told, and the save tried
  // again, by the next tick.
  DWORD error = ERROR_SUCCESS;
  w->TrySave(error);
}

void TNotesManagerForm::NoteViewerEdited() {
  // Accepted or cancelled (Escape, the focus gone elsewhere): the actions come back either way.
  ResumeActions();
}

void TNotesManagerForm::NoteViewerClick() { ResumeActions(); }

void TNotesManagerForm::NoteViewerDblClick() {
  TNoteWrapper* w = FocusedNote();
  if (!w) return;
  TAction* a = w->IsOpen() ? _HideNote : _ShowNote;
  a->Update();
  a->Execute();
}

std::wstring TNotesManagerForm::NotesFoldersGetText(TGridNode* node) {
  if (node->Level() == 0) return L"All";
  if (node->Index() == 0) return L"* " + NoGroupText + L" *";
  const size_t k = static_cast<size_t>(node->Index());
  return k <= Groups.size() ? Groups[k - 1] : L"";
}

void TNotesManagerForm::NotesFoldersFocusChanged() {
  if (rebuilding_ == 0) UpdateList(false);
}

// ---------------------------------------------------------------- printing

void TNotesManagerForm::_PrintListExecute() {
  // The dialog ran the message loop: the window or the whole program may have gone.
  if (!RunMainPrintDialog(*this, false, L"The notes list cannot be printed") || Gone()) return;
  PrintList(Printer());
}

int TNotesManagerForm::PrintNoteListHeader(TPrinter& printer, int& x0, int& x1, int& x2) {
  TCanvas& c = printer.Canvas();
  int y = 10;
  x0 = 80;
  c.TextOut(x0, y, L"Vantaro v2.4.0");
  y += c.TextHeight(L"Vantaro v2.4.0") + 5;
  x1 = printer.PageWidth() * 3 / 10;
  x2 = printer.PageWidth() * 5 / 10;
  c.TextOut(x0, y, L"Title");
  c.TextOut(x1, y, L"Group");
  c.TextOut(x2, y, L"Preview");
  y += c.TextHeight(L"Title");
  c.Pen = TPen{clBlack, 2, TPenStyle::Solid};
  c.MoveTo(0, y);
  c.LineTo(printer.PageWidth(), y);
  c.Pen = TPen{clBlack, 1, TPenStyle::Dot};
  return y + 5;
}

bool TNotesManagerForm::PrintList(TPrinter& printer) {
  // What is printed is taken first: the rows as they stand on the screen, in their order.
  struct Line {
    std::wstring Title, Group, Preview;
  };
  std::vector<Line> lines;
  for (TGridNode* n : NoteViewer->Rows())
    if (n->Kind == nkNote)
      if (TNoteWrapper* w = WrapperOf(n))
        lines.push_back(Line{w->Note->Title, w->Note->Group, w->GetPreview()});
  return RunPrintJob(printer, L"Vantaro notes list", L"The notes list could not be printed:", [&](TPrinter& printer) {
    TCanvas& c = printer.Canvas();
    c.Font.SetName(L"Arial");
    c.Font.SetSize(9);
    c.Brush.Style = TBrushStyle::Clear;
    int x0 = 0, x1 = 0, x2 = 0;
    int y = PrintNoteListHeader(printer, x0, x1, x2);
    int rowsOnPage = 0;
    const int pageHeight = printer.PageHeight();
    for (const Line& line : lines) {
      const int h = c.TextHeight(line.Title.empty() ? L"X" : line.Title);
      // A new page only for a page that already holds a row: a row too tall for any page is
      // printed where it stands, instead of starting page after page.
      if (pageHeight <= y + h && rowsOnPage > 0) {
        printer.NewPage();
        y = PrintNoteListHeader(printer, x0, x1, x2);
        rowsOnPage = 0;
      }
      c.TextOut(x0, y, line.Title);
      c.TextOut(x1, y, line.Group);
      c.TextOut(x2, y, line.Preview);
      y += h;
      c.MoveTo(0, y);
      c.LineTo(printer.PageWidth(), y);
      y += 3;
      ++rowsOnPage;
    }
  });
}

// ---------------------------------------------------------------- the one window

void CloseNotesManagerForm() {
  TNotesManagerForm* form = NotesManagerForm;
  if (!form) return;
  bool canClose = true;
  if (form->OnCloseQuery) form->OnCloseQuery(form, canClose);
  TCloseAction action = TCloseAction::caFree;
  if (form->OnClose) form->OnClose(form, action);
  // Destroyed once the message being handled (and any modal loop of its own) has returned.
  form->Release();
}
