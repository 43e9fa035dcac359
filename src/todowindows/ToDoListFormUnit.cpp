#include "todowindows/ToDoListFormUnit.h"

#include <cderr.h>

#include <algorithm>
#include <optional>

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/VantaroMessages.h"
#include "ui/Application.h"
#include "ui/FormSaverClassUnit.h"
#include "ui/Glyphs.h"
#include "ui/InputBox.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"
#include "ui/Printers.h"
#include "ui/Screen.h"

TToDOListForm* ToDOListForm = nullptr;
TToDoTexts ToDoTexts;

namespace {
// Pictures of ImageList by role.
enum Image { imgDeleteProject = 0, imgNewProject = 1, imgDown = 2, imgUp = 3, imgEditTask = 6, imgNewTask = 7,
             imgRemoveTask = 8, imgRemoveDone = 9, imgPrint = 12, imgClose = 13, imgMenu = 14 };

const wchar_t* const kPriorityCaptions[kPriorityCount] = {
    L"Critical Priority", L"Priority 1", L"Priority 2", L"Priority 3", L"Priority 4",
    L"Priority 5",        L"Priority 6", L"Priority 7", L"Priority 8", L"Lowest Priority "};

constexpr TColor kPictureMask = 0xFF00FF;

// A priority outside the pictures (an old plain-text row, a number from a hand-made file) shows none.
int PriorityImage(int priority) { return priority >= 0 && priority < kPriorityCount ? priority : I_IMAGENONE; }

// The ten priority pictures: a yellow warning triangle, eight numbered tiles, a blue question mark.
void DrawPriorityImage(TBitmap& b, int priority) {
  TCanvas& c = b.Canvas();
  c.Brush = TBrush{kPictureMask};
  c.FillRect(0, 0, 16, 16);
  c.Font.SetName(L"Arial");
  c.Font.SetStyle(FontStyle::Bold);
  auto centred = [&c](const std::wstring& text, int size, TColor color, int dy) {
    c.Brush.Style = TBrushStyle::Clear;
    c.Font.SetSize(size);
    c.Font.SetColor(color);
    const SIZE s = c.TextExtent(text);
    c.TextOut((16 - s.cx) / 2, (16 - s.cy) / 2 + dy, text);
  };
  if (priority == 0) {
    // Row by row, widening downwards, with a dark rim.
    for (int y = 1; y < 15; ++y) {
      const int half = (y - 1) / 2 + 1;
      c.Brush = TBrush{0x00D8FF};
      c.FillRect(8 - half, y, 8 + half, y + 1);
      c.SetPixel(8 - half, y, 0x006080);
      c.SetPixel(8 + half - 1, y, 0x006080);
    }
    c.Brush = TBrush{0x006080};
    c.FillRect(1, 14, 15, 15);
    centred(L"!", 7, clBlack, 2);
  } else if (priority < 9) {
    c.Pen = TPen{0x804000};
    c.Brush = TBrush{0xF0D8B0};
    c.Rectangle(1, 1, 15, 15);
    centred(std::to_wstring(priority), 8, 0x602000, 0);
  } else {
    c.Pen = TPen{0xA04000};
    c.Brush = TBrush{0xE08030};
    c.Ellipse(1, 1, 15, 15);
    centred(L"?", 8, clWhite, 0);
  }
}

// The window's questions and notes, titled as the standard boxes are. While one is up the hot
// keys and the tray wait: the list must not be loaded again under a question about one of its rows.
bool AskYesNo(const std::wstring& text) {
  TUIDisabled held;
  return ShowMessageBox(text, L"Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}
void Tell(const std::wstring& text) {
  TUIDisabled held;
  ShowMessageBox(text, Application ? Application->Title() : L"Vantaro", MB_OK);
}
// Numbered messages, waited on in the same way.
void TellCoded(std::int32_t code) {
  TUIDisabled held;
  ShowCodedError(code);
}
void TellCoded(std::int32_t code, const std::wstring& detail) {
  TUIDisabled held;
  ShowCodedErrorW(code, detail);
}
// The answer as typed, or nothing when the box was cancelled.
std::optional<std::wstring> AskText(TForm* owner, const std::wstring& caption, const std::wstring& prompt,
                                    const std::wstring& start = L"", int maxLength = 255) {
  TUIDisabled held;
  std::wstring value = start;
  if (!InputQuery(owner, caption, prompt, value, maxLength)) return std::nullopt;
  return value;
}
}  // namespace

TToDOListForm::TToDOListForm(TComponent* owner) : TForm(owner, L"TToDOListForm") {
  SetName(L"ToDOListForm");
  BorderStyle = TFormBorderStyle::bsToolWindow;
  SetBounds(0, 0, 330, 298);
  Font().SetName(L"MS Sans Serif");
  Font().SetSize(8);
  MinWidth = 200;
  MinHeight = 150;
  OnCreateParams = [](TCreateParams& params) { params.Style |= WS_THICKFRAME; };
  BuildImages();
  ActionList = new TActionList(this, L"ActionList");
  ActionList->Images = ImageList.get();
  BuildActions();
  BuildControls();
  BuildMenus();
  OnMessage = [this](UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_TODO_SAVECHECK) return false;
    // A done mark changed by the keyboard; a click has saved it already.
    if (!Gone()) SaveCurrentProject();
    result = 0;
    return true;
  };
  // The program's end asks for the shown tasks before it goes (the close request, the session's
  // end): a change not yet written must not be left to the error log.
  SetPendingDocuments(L"todo", [] { return ToDOListForm ? ToDOListForm->SavePending() : std::wstring(); });
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  OnResize = [this](TComponent* s) { FormResize(s); };
  OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TComponent* s, TCloseAction& action) { FormClose(s, action); };
  DoCreate();
}

TToDOListForm::~TToDOListForm() {
  if (ToDOListForm == this) ToDOListForm = nullptr;
}

void TToDOListForm::BuildImages() {
  Priority = std::make_unique<TImageList>(16, 16);
  TBitmap picture(16, 16);
  for (int p = 0; p < kPriorityCount; ++p) {
    DrawPriorityImage(picture, p);
    Priority->Add(picture, kPictureMask);
  }
  using enum TGlyphShape;
  static const TGlyph glyphs[] = {
      {Box, 0xF0F0F0, L"-", 0x2020E0},  // 0 delete project: a red minus
      {Box, 0xF0F0F0, L"+", 0x20A020},  // 1 new project: a green plus
      {Disc, 0x808080, L"v"},     // 2 down
      {Disc, 0x808080, L"^"},     // 3 up
      {Blank, 0, L""},            // 4
      {Blank, 0, L""},            // 5
      {Note, 0xF0F0F0, L"/"},     // 6 edit task
      {Note, 0xF0F0F0, L""},      // 7 new task
      {Note, 0xF0F0F0, L"x", 0x2020E0},  // 8 remove task: a red cross
      {Bin, 0xC8C0B8, L""},       // 9 remove completed tasks
      {Blank, 0, L""},            // 10
      {Blank, 0, L""},            // 11
      {Printer, 0xC0C0C0, L""},   // 12 print
      {Door, 0x3070B0, L""},      // 13 close
      {Disc, 0x806040, L"="},     // 14 the menu button
  };
  ImageList = std::make_unique<TImageList>(16, 16);
  for (const TGlyph& g : glyphs) AddGlyph(*ImageList, g);
}

void TToDOListForm::BuildActions() {
  auto add = [this](const wchar_t* name, const wchar_t* caption, const wchar_t* hint, int image,
                    std::function<void()> run) {
    TAction* a = ActionList->Add(name, caption);
    a->SetHint(hint);
    a->SetImageIndex(image);
    if (run) a->OnExecute = [run = std::move(run)](TComponent*) { run(); };
    return a;
  };
  NewProject = add(L"NewProject", L"New Project", L"New Project", imgNewProject, [this] { CreateProject(); });
  DeleteProject = add(L"DeleteProject", L"Delete current project", L"Delete Current Project", imgDeleteProject,
                      [this] { DeleteCurrentProject(); });
  NewTask = add(L"NewTask", L"NewTask", L"New Task", imgNewTask, [this] { CreateTask(); });
  RemoveTask = add(L"RemoveTask", L"RemoveTask", L"Remove Task", imgRemoveTask, [this] { RemoveTaskExecute(); });
  RemoveChecked = add(L"RemoveChecked", L"RemoveChecked", L"", -1, nullptr);
  Up = add(L"Up", L"Up", L"Move task up", imgUp, nullptr);
  Down = add(L"Down", L"Down", L"Move task down", imgDown, nullptr);
  Up->SetVisible(false);
  Down->SetVisible(false);
  EditTask = add(L"EditTask", L"Edit Task", L"Edit Selected Task", imgEditTask, [this] { EditSelectedTask(); });
  RemoveCTasks = add(L"RemoveCTasks", L"Remove Completed Tasks", L"Remove Task", imgRemoveDone,
                     [this] { RemoveCTasksExecute(); });
  for (int p = 0; p < kPriorityCount; ++p) {
    TAction* a = add((L"Priority" + std::to_wstring(p)).c_str(), kPriorityCaptions[p], L"", p,
                     [this, p] { Priority0Execute(p); });
    a->Tag = p;
    // Enabled while a row is selected.
    a->OnUpdate = [this, a](TComponent*) { a->SetEnabled(ToDoList->HandleAllocated() && ToDoList->ItemIndex() >= 0); };
    PriorityActions[p] = a;
  }
  RenameProject = add(L"RenameProject", L"Rename project", L"", -1, [this] { RenameCurrentProject(); });
  PrintProject = add(L"PrintProject", L"Print Project", L"", imgPrint, [this] { PrintProjectExecute(); });
  CloseTODO = add(L"CloseTODO", L"Close TODOList", L"", imgClose, [this] { Close(); });
  // Each of these works on the selected project.
  for (TAction* a : {NewTask, RemoveTask, EditTask, Up, Down, RenameProject, DeleteProject, PrintProject})
    a->OnUpdate = [this, a](TComponent*) { a->SetEnabled(ProjectSelected()); };
}

void TToDOListForm::BuildControls() {
  Panel2 = new TPanel(this, L"Panel2");
  Panel2->SetParent(this);
  Panel2->SetBevelOuter(TBevelCut::bvLowered);
  Panel2->SetAlign(TAlign::alClient);

  Panel1 = new TPanel(this, L"Panel1");
  Panel1->SetParent(Panel2);
  Panel1->SetBevelOuter(TBevelCut::bvLowered);
  Panel1->SetBevelInner(TBevelCut::bvRaised);
  Panel1->SetAlign(TAlign::alTop);
  Panel1->SetHeight(27);
  ProjectMenuPanel = new TPanel(this, L"ProjectMenuPanel");
  ProjectMenuPanel->SetParent(Panel1);
  ProjectMenuPanel->SetBevelOuter(TBevelCut::bvNone);
  ProjectMenuPanel->SetAlign(TAlign::alRight);
  ProjectMenuPanel->SetWidth(62);
  ProjectPanel = new TPanel(this, L"ProjectPanel");
  ProjectPanel->SetParent(Panel1);
  ProjectPanel->SetBevelOuter(TBevelCut::bvNone);
  ProjectPanel->SetAlign(TAlign::alClient);
  ProjectListCB = new TComboBox(this, L"ProjectListCB", TComboBoxStyle::csDropDownList);
  ProjectListCB->SetParent(ProjectPanel);
  ProjectListCB->DropDownCount = 16;
  ProjectListCB->OnSelect = [this](TComponent*) { ProjectListCBChange(); };
  ProjectMenuDropdown = new TFlatButton(this, L"ProjectMenuDropdown");
  ProjectMenuDropdown->SetParent(ProjectMenuPanel);
  ProjectMenuDropdown->SetCaption(L"Menu");
  ProjectMenuDropdown->Images = ImageList.get();
  ProjectMenuDropdown->ImageIndex = imgMenu;

  ToolBar2 = new TPanel(this, L"ToolBar2");
  ToolBar2->SetParent(Panel2);
  ToolBar2->SetBevelOuter(TBevelCut::bvNone);
  ToolBar2->SetAlign(TAlign::alRight);
  ToolBar2->SetWidth(27);
  int y = 0;
  for (TAction* a : {NewTask, RemoveTask, EditTask, RemoveCTasks}) {
    auto* b = new TFlatButton(this, a->Name() + L"Button");
    b->SetParent(ToolBar2);
    b->SetBounds(2, y + 2, 23, 22);
    b->Images = ImageList.get();
    b->ShowCaption = false;
    b->SetShowHint(true);
    b->SetAction(a);
    y += 23;
  }

  ToDoList = new TCheckListView(this, L"ToDoList");
  ToDoList->SetParent(Panel2);
  ToDoList->SetAlign(TAlign::alClient);
  // No sorting by the header: the order is the tasks' own.
  ToDoList->OnCreateParams = [](TCreateParams& params) { params.Style |= LVS_NOSORTHEADER; };
  ToDoList->SetSmallImages(Priority.get());
  ToDoList->AddColumn(L"Title", -1);
  ToDoList->OnClick = [this](TComponent*) { TodolistClick(); };
  ToDoList->OnItemChecked = [this](TComponent*, int index, bool checked) { ItemChecked(index, checked); };
  SetActiveControl(ToDoList);
}

void TToDOListForm::BuildMenus() {
  TodoOptionsMenu = new TPopupMenu(this, L"TodoOptionsMenu");
  TodoOptionsMenu->Images = ImageList.get();
  TMenuItem* root = TodoOptionsMenu->Items();
  auto item = [](TMenuItem* parent, TAction* action, const wchar_t* name) {
    TMenuItem* i = parent->Add(L"", name);
    i->SetAction(action);
    return i;
  };
  item(root, NewProject, L"NewProject1");
  root->AddSeparator();
  item(root, DeleteProject, L"DeleteProject1");
  item(root, RenameProject, L"Renameproject1");
  root->AddSeparator();
  item(root, PrintProject, L"PrintProject1");
  root->AddSeparator();
  item(root, CloseTODO, L"CloseTODOList1");
  TodoOptionsMenu->OnPopup = [this](TComponent*) { ActionList->UpdateActions(); };
  ProjectMenuDropdown->DropDownMenu = TodoOptionsMenu;

  PriorityPopUP = new TPopupMenu(this, L"PriorityPopUP");
  PriorityPopUP->Images = Priority.get();
  for (int p = 0; p < kPriorityCount; ++p) {
    const std::wstring name = L"Priority" + std::to_wstring(p) + L"1";
    item(PriorityPopUP->Items(), PriorityActions[p], name.c_str());
  }
  PriorityPopUP->OnPopup = [this](TComponent*) { ActionList->UpdateActions(); };
  ToDoList->PopupMenu = PriorityPopUP;
}

void TToDOListForm::Translate() {
  if (!LanguageWrapper) return;
  LanguageWrapper->SetSection(L"Vantaro_TODOList_l");
  LanguageWrapper->TranslateActionList(ActionList);
  const std::wstring title = LanguageWrapper->GetString(L"_Title", L"Title");
  if (ToDoList->HandleAllocated()) {
    LVCOLUMNW col{};
    std::wstring text = title;
    col.mask = LVCF_TEXT;
    col.pszText = text.data();
    SendMessageW(ToDoList->Handle(), LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  }
  TToDoTexts& t = ToDoTexts;
  const TToDoTexts d;
  t.NewTask = LanguageWrapper->GetString(L"_NewTask", d.NewTask);
  t.TaskText = LanguageWrapper->GetString(L"_TaskText", d.TaskText);
  t.EditTask = LanguageWrapper->GetString(L"_EditTask", d.EditTask);
  t.NoItemSelected = LanguageWrapper->GetString(L"_NoItemSelected", d.NoItemSelected);
  t.AreYouSureAllTasks = LanguageWrapper->GetString(L"_AreYouSureAllTasks", d.AreYouSureAllTasks);
  t.NewProject = LanguageWrapper->GetString(L"_NewProject", d.NewProject);
  t.NewProjectName = LanguageWrapper->GetString(L"_NewProjectName", d.NewProjectName);
  t.RenameProject = LanguageWrapper->GetString(L"_RenameProject", d.RenameProject);
  t.RenameProjectName = LanguageWrapper->GetString(L"_RenameProjectName", d.RenameProjectName);
  LanguageWrapper->SetSection(kGenericSection);
  t.DOYouWanttoDelete = LanguageWrapper->GetString(L"_DOYouWanttoDelete", d.DOYouWanttoDelete);
}

// ---------------------------------------------------------------- the window

void TToDOListForm::FormCreate(TComponent*) {
  SetCaption(L"My TODO List");
  Translate();
  const SIZE screen = PrimaryScreenSize();
  SetBounds((screen.cx - Width()) / 2, (screen.cy - Height()) / 2, Width(), Height());
  ToDoFormSaver = std::make_unique<TFormSaver>();
  try {
    ToDoFormSaver->LoadFromRegistry(kToDoWinKey);
    ToDoFormSaver->Apply(this);
  } catch (...) {
    // A placement that cannot be read leaves the window centred.
  }
}

void TToDOListForm::FormResize(TComponent*) {
  LayoutProjectBar();
  FitTitleColumn();
}

void TToDOListForm::FitTitleColumn() {
  if (!ToDoList->HandleAllocated()) return;
  RECT r{};
  GetClientRect(ToDoList->HandleIfAllocated(), &r);
  if (r.right > 0) ToDoList->SetColumnWidth(0, r.right);
}

void TToDOListForm::LayoutProjectBar() {
  if (!HandleAllocated() || WindowState() != TWindowState::wsNormal) return;
  ProjectMenuDropdown->SetBounds(0, 0, ProjectMenuPanel->Width(), ProjectMenuPanel->Height());
  ProjectListCB->SetBounds(0, 1, ProjectPanel->Width(), ProjectPanel->Height());
}

void TToDOListForm::FormCloseQuery(TComponent*, bool& canClose) {
  // The rows stay when they cannot be written: the user is told and the window stays open,
  // unless the program is ending (the error log has them then).
  TLifeCheck alive = Watch();
  const bool saved = SaveCurrentProject();
  // A box about the save ran the loop: the program's end may have closed the window meanwhile.
  if (!alive || Gone() || (!saved && !shuttingDown_)) {
    canClose = false;
    return;
  }
  try {
    if (ToDoFormSaver) {
      ToDoFormSaver->Capture(this);
      ToDoFormSaver->SaveToRegistry(kToDoWinKey);
    }
  } catch (...) {
    // The placement is given up; the window closes all the same.
  }
  canClose = true;
}

void TToDOListForm::FormClose(TComponent*, TCloseAction& action) {
  closed_ = true;
  action = TCloseAction::caFree;
  ToDoFormSaver.reset();
  if (ToDOListForm == this) ToDOListForm = nullptr;
}

void TToDOListForm::CloseForShutdown() {
  if (closed_) return;
  shuttingDown_ = true;
  bool canClose = true;
  FormCloseQuery(this, canClose);
  TCloseAction action = TCloseAction::caFree;
  FormClose(this, action);
  // Freed once the message being handled, and any box or menu of its own, has returned.
  Release();
}

// ---------------------------------------------------------------- projects

std::wstring TToDOListForm::CurrentProject() const {
  const int i = ProjectListCB->ItemIndex();
  return i >= 0 ? ProjectListCB->Items[i] : std::wstring();
}

void TToDOListForm::FillProjectList() {
  ProjectListCB->Items.Assign(ProjectNames());
  ProjectListCB->SetItemIndex(-1);
}

void TToDOListForm::SelectProject(const std::wstring& name) {
  const TListItems& items = ProjectListCB->Items;
  if (items.Count() > 0) {
    if (!Trim(name).empty()) {
      // The last match wins.
      for (int i = 0; i < items.Count(); ++i)
        if (SameProjectName(items[i], name)) ProjectListCB->SetItemIndex(i);
    } else {
      ProjectListCB->SetItemIndex(0);
    }
  }
  ProjectListCBChange();
}

void TToDOListForm::ProjectListCBChange() {
  const std::wstring chosen = CurrentProject();
  TLifeCheck alive = Watch();
  // Also when the same project is chosen again: it is read back from its file.
  const bool saved = SaveCurrentProject();
  if (saved && (!alive || Gone())) return;
  if (!saved) {
    // The shown project could not be written: it stays, and so does its entry (unless the
    // window went while the failure was told).
    if (!alive || Gone()) return;
    const std::wstring shown = ExtractFileName(shownFile_);
    const int i = ProjectListCB->Items.IndexOf(shown.substr(0, shown.size() - (std::size(kProjectExtension) - 1)));
    ProjectListCB->SetItemIndex(i);
    return;
  }
  if (ProjectSelected()) {
    LoadProject(ProjectFileName(chosen));
  } else {
    tasks_.clear();
    shownFile_.clear();
    unsaved_ = false;
    ShowTasks(-1);
  }
}

void TToDOListForm::LoadProject(const std::wstring& fileName) {
  tasks_.clear();
  shownFile_ = fileName;
  unsaved_ = false;
  std::wstring failure;
  const bool read = ReadProjectFile(fileName, tasks_, failure);
  unreadable_ = !read && FileExists(fileName);
  SortTasks(tasks_);
  ShowTasks(-1);
  // Whatever the reason, the user learns which file it is.
  if (!read) TellCoded(105, fileName + L": " + failure);
}

bool TToDOListForm::SaveProject(const std::wstring& fileName) {
  std::wstring aside;
  if (fileName == shownFile_ && unreadable_ && FileExists(fileName)) {
    // A file held by another program or holding no text was never shown: an empty list must not
    // take its place. Unchanged, it is left alone; once the user adds to the list, the file is
    // kept aside under a name of its own before the list is written.
    if (!unsaved_) return true;
    std::wstring candidate = fileName + L".unread";
    for (int n = 2; FileExists(candidate); ++n) candidate = fileName + L".unread" + std::to_wstring(n);
    if (!MoveFileExW(fileName.c_str(), candidate.c_str(), MOVEFILE_WRITE_THROUGH)) {
      SaveFailed(fileName, GetLastError());
      return false;
    }
    aside = candidate;
  }
  const unsigned long error = WriteProjectFile(fileName, tasks_);
  if (error != 0) {
    SaveFailed(fileName, error, aside);
    return false;
  }
  if (fileName == shownFile_) unsaved_ = unreadable_ = false;
  // The user may want what the file held: where it went is told, not left to be found.
  if (!aside.empty()) Report(KeptAsideText(fileName, aside));
  return true;
}

std::wstring TToDOListForm::KeptAsideText(const std::wstring& fileName, const std::wstring& aside) {
  return L"The project file could not be read and was kept under another name:\n\r" + fileName + L"\n\r" + aside;
}

void TToDOListForm::Report(const std::wstring& text) {
  // Nobody may be there to answer a box at the program's end: the log keeps it.
  if (shuttingDown_ || quiet_)
    AppendToErrorLog(text);
  else
    Tell(text);
}

void TToDOListForm::SaveFailed(const std::wstring& fileName, unsigned long error, const std::wstring& aside) {
  unsaved_ = true;
  std::wstring text = L"The project could not be saved:\n\r" + fileName + L"\n\r" + SystemErrorText(error);
  if (!aside.empty()) text += L"\n\r\n\r" + KeptAsideText(fileName, aside);
  lastFailure_ = text;
  // The program's end, asking before it goes, tells the user itself.
  if (quiet_) return;
  if (shuttingDown_) {
    // Nobody may be there to answer a box: the log keeps the file's name and the tasks.
    std::wstring lost = text + L"\r\nTasks:";
    for (const TToDoTask& t : tasks_) lost += L"\r\n" + std::wstring(t.Done ? L"[x] " : L"[ ] ") + t.Title;
    AppendToErrorLog(lost);
    return;
  }
  // While the box is up the hot keys and the tray wait: they would save these rows again, and
  // read the list anew under the box.
  TUIDisabled held;
  ShowMessageBox(text, L"Error", MB_OK | MB_ICONERROR);
}

std::wstring TToDOListForm::SavePending() {
  if (closed_) return L"";
  quiet_ = true;
  const bool saved = SaveCurrentProject();
  quiet_ = false;
  return saved ? std::wstring() : lastFailure_;
}

bool TToDOListForm::SaveCurrentProject() {
  // The rows go back where they came from: while a change of project is under way (its failure
  // told in a box) the project box already names the next one. Unchanged, the file is left as
  // it is: another program may have written it since, or the user deleted it.
  if (!unsaved_ || shownFile_.empty()) return true;
  return SaveProject(shownFile_);
}

void TToDOListForm::AskAndShowProject(const std::wstring& caption, const std::wstring& prompt,
                                      const std::function<TProjectFileResult(const std::wstring&, std::wstring&)>& act) {
  TLifeCheck alive = Watch();
  const std::wstring answer = Trim(AskText(this, caption, prompt).value_or(L""));
  if (!alive || Gone()) return;
  if (!answer.empty()) {
    std::wstring failure;
    switch (act(answer, failure)) {
      case TProjectFileResult::Done: break;
      case TProjectFileResult::Exists: TellCoded(102); break;
      case TProjectFileResult::Failed: TellCoded(101, failure); break;
    }
    if (!alive || Gone()) return;
  }
  // Also after Cancel or a failure: the list is read again and the answer, or the first
  // project, shown.
  FillProjectList();
  SelectProject(answer);
}

void TToDOListForm::CreateProject() {
  TLifeCheck alive = Watch();
  if (!SaveCurrentProject() || !alive || Gone()) return;
  AskAndShowProject(ToDoTexts.NewProject, ToDoTexts.NewProjectName, CreateProjectFile);
}

void TToDOListForm::RenameCurrentProject() {
  if (!ProjectSelected()) return;
  // The file moves with the rows as they stand.
  TLifeCheck alive = Watch();
  if (!SaveCurrentProject() || !alive || Gone()) return;
  const std::wstring current = CurrentProject();
  AskAndShowProject(ToDoTexts.RenameProject, ToDoTexts.RenameProjectName,
                    [current](const std::wstring& answer, std::wstring& failure) {
                      return RenameProjectFile(current, answer, failure);
                    });
}

void TToDOListForm::DeleteCurrentProject() {
  if (!ProjectSelected()) return;
  const std::wstring name = CurrentProject();
  TLifeCheck alive = Watch();
  const bool yes = AskYesNo(ToDoTexts.DOYouWanttoDelete + L": " + name);
  if (!alive || Gone() || !yes) return;
  std::wstring failure;
  if (!DeleteProjectFile(name, failure)) {
    // The project stays as it is shown, changes and all.
    Tell(L"The project could not be deleted:\n\r" + name + L"\n\r" + failure);
    return;
  }
  // Its file is gone: nothing of it is to be written any more.
  shownFile_.clear();
  unsaved_ = false;
  FillProjectList();
  SelectProject(L"");
}

// ---------------------------------------------------------------- tasks

void TToDOListForm::ShowTasks(int selected) {
  ToDoList->Clear();
  SendMessageW(ToDoList->Handle(), WM_SETREDRAW, FALSE, 0);
  // Room for every row at once, rather than growing with each.
  SendMessageW(ToDoList->Handle(), LVM_SETITEMCOUNT, tasks_.size(), LVSICF_NOINVALIDATEALL);
  for (const TToDoTask& t : tasks_) {
    const int row = ToDoList->AddItem(t.Title, 0, PriorityImage(t.Priority));
    if (t.Done) ToDoList->SetChecked(row, true);
  }
  SendMessageW(ToDoList->Handle(), WM_SETREDRAW, TRUE, 0);
  ToDoList->SetItemIndex(selected);
  FitTitleColumn();
  ToDoList->Invalidate();
}

void TToDOListForm::ResortTasks() {
  const int selected = ToDoList->ItemIndex();
  std::vector<size_t> order;
  SortTasks(tasks_, &order);
  int place = -1;
  for (size_t i = 0; i < order.size(); ++i)
    if (static_cast<int>(order[i]) == selected) place = static_cast<int>(i);
  ShowTasks(place);
}

void TToDOListForm::ItemChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(tasks_.size()) || tasks_[index].Done == checked) return;
  tasks_[index].Done = checked;
  unsaved_ = true;
  // A click saves through the click handler; a key (Space) has none, so the mark is written
  // once the key's messages are done.
  if (HandleAllocated()) PostMessageW(Handle(), WM_TODO_SAVECHECK, 0, 0);
}

void TToDOListForm::TodolistClick() {
  SaveCurrentProject();
}

void TToDOListForm::CreateTask() {
  if (!ProjectSelected()) return TellCoded(104);
  TLifeCheck alive = Watch();
  const std::wstring answer = Trim(AskText(this, ToDoTexts.NewTask, ToDoTexts.TaskText).value_or(L""));
  if (!alive || Gone()) return;
  if (!answer.empty()) {
    tasks_.push_back(TToDoTask{answer, false, kNewTaskPriority});
    unsaved_ = true;
    ToDoList->AddItem(answer, 0, PriorityImage(kNewTaskPriority));
    FitTitleColumn();
  }
  SaveCurrentProject();
  if (!alive || Gone()) return;
  ResortTasks();
}

void TToDOListForm::EditSelectedTask() {
  if (!ProjectSelected()) return TellCoded(104);
  const int row = ToDoList->ItemIndex();
  if (row < 0 || row >= static_cast<int>(tasks_.size())) return TellCoded(103);
  TLifeCheck alive = Watch();
  // The title as it stands, blanks and all: confirmed unchanged or cancelled, it stays as it was.
  const std::wstring title = tasks_[row].Title;
  // No limit: a title may have been written longer than a new one can be typed.
  const std::optional<std::wstring> typed = AskText(this, ToDoTexts.EditTask, ToDoTexts.TaskText, title, 0);
  if (!alive || Gone() || !typed || *typed == title) return;
  const std::wstring answer = Trim(*typed);
  if (answer.empty() || answer == title || row >= static_cast<int>(tasks_.size()) || tasks_[row].Title != title) return;
  tasks_[row].Title = answer;
  unsaved_ = true;
  ToDoList->SetItemText(row, answer);
  SaveCurrentProject();
}

void TToDOListForm::RemoveTaskExecute() {
  const int row = ToDoList->ItemIndex();
  if (row < 0) return Tell(ToDoTexts.NoItemSelected);
  RemoveTaskAt(row);
}

void TToDOListForm::RemoveTaskAt(int index) {
  if (index < 0 || index >= static_cast<int>(tasks_.size())) return;
  TLifeCheck alive = Watch();
  const bool yes = AskYesNo(ToDoTexts.DOYouWanttoDelete + L": " + tasks_[index].Title);
  if (!alive || Gone()) return;
  if (yes && index < static_cast<int>(tasks_.size())) {
    tasks_.erase(tasks_.begin() + index);
    unsaved_ = true;
    ToDoList->DeleteItem(index);
  }
  SaveCurrentProject();
}

void TToDOListForm::RemoveCTasksExecute() {
  TLifeCheck alive = Watch();
  const bool yes = AskYesNo(ToDoTexts.AreYouSureAllTasks);
  if (!alive || Gone() || !yes) return;
  const size_t before = tasks_.size();
  std::erase_if(tasks_, [](const TToDoTask& t) { return t.Done; });
  if (tasks_.size() == before) return;
  // Written at the next save point, or before another project replaces these rows.
  unsaved_ = true;
  ShowTasks(-1);
}

void TToDOListForm::Priority0Execute(int priority) {
  if (Gone()) return;
  const int row = ToDoList->ItemIndex();
  if (row >= 0 && row < static_cast<int>(tasks_.size()) && tasks_[row].Priority != priority) {
    tasks_[row].Priority = priority;
    unsaved_ = true;
  }
  // Written at the next save point, or before another project replaces these rows.
  ResortTasks();
}

// ---------------------------------------------------------------- printing

void TToDOListForm::PrintProjectExecute() {
  if (!ProjectSelected()) return;
  TLifeCheck alive = Watch();
  TPrintDialog dialog = PrintDialog;
  bool chosen = false;
  {
    TUIDisabled held;
    chosen = dialog.Execute(Handle());
  }
  // The dialog ran the message loop: the window may have been closed meanwhile.
  if (!alive || Gone()) return;
  PrintDialog.Copies = dialog.Copies;
  if (chosen) {
    PrintCurrentProject(Printer());
  } else if (dialog.Error() != 0) {
    ShowMessageBox(dialog.Error() == PDERR_NODEFAULTPRN
                       ? std::wstring(L"The project cannot be printed: there is no printer.")
                       : L"The project cannot be printed: the print dialog failed (error " +
                             std::to_wstring(dialog.Error()) + L").",
                   L"Vantaro", MB_OK | MB_ICONERROR);
  }
}

bool TToDOListForm::PrintCurrentProject(TPrinter& printer) {
  if (!ProjectSelected()) return false;
  // What is printed is taken first: the rows in the order the list shows them.
  const std::wstring header = L"Project: " + CurrentProject();
  const TToDoTasks tasks = tasks_;
  const TImageList* images = Priority.get();
  return RunPrintJob(printer, L"Vantaro to-do list", L"The project could not be printed:", [&](TPrinter& printer) {
    TCanvas& c = printer.Canvas();
    c.Font.SetName(L"Arial");
    c.Font.SetSize(10);
    c.Brush.Style = TBrushStyle::Clear;
    const int th = c.TextHeight(L"XxgPq");
    const int h = std::max(1, th * 12 / 10);
    const int pageHeight = printer.PageHeight();
    TBitmap scratch(16, 16);
    c.TextOut(100, 10, header);
    int line = 0;
    for (const TToDoTask& t : tasks) {
      int y = 2 * h + line * h;
      // A new page, with the header again, for a line that would fall off this one.
      if (y + h > pageHeight && line > 0) {
        printer.NewPage();
        c.TextOut(100, 10, header);
        line = 0;
        y = 2 * h;
      }
      scratch.Canvas().Brush = TBrush{clWhite};
      scratch.Canvas().FillRect(0, 0, 16, 16);
      if (t.Priority >= 0 && t.Priority < kPriorityCount) images->Draw(scratch.Canvas(), 0, 0, t.Priority);
      GdiFlush();
      StretchBlt(c.Handle(), 200, y, th, th, scratch.DC(), 0, 0, 16, 16, SRCCOPY);
      if (t.Done) c.TextOut(200 + h, y, L"X");
      c.TextOut(200 + 2 * h, y, t.Title);
      ++line;
    }
  });
}

// ---------------------------------------------------------------- the one window

void ShowToDoList(TComponent* owner) {
  if (!ToDOListForm) {
    auto* form = new TToDOListForm(owner ? owner : Application);
    ToDOListForm = form;
  }
  TToDOListForm* form = ToDOListForm;
  form->Show();
  SetForegroundWindow(form->Handle());
  // Changes of the shown project are written before the list is read again; when they cannot
  // be, the project stays shown.
  if (form->SaveCurrentProject()) {
    if (ToDOListForm != form) return;
    form->FillProjectList();
    form->SelectProject(L"");
  }
  if (ToDOListForm == form) form->LayoutProjectBar();
}

void CloseToDoListForm() {
  if (ToDOListForm) ToDOListForm->CloseForShutdown();
}
