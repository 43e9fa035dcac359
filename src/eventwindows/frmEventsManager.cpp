#include "eventwindows/frmEventsManager.h"

#include "events/MyEventsManagerUnit.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "ui/FormSaverClassUnit.h"
#include "ui/MessageBox.h"

namespace {
enum Column { colText, colDate };
enum Image { imgDelete, imgEdit, imgNew };
}  // namespace

TEventsManager::TEventsManager(TComponent* owner, TMyEventsmanager& events)
    : TForm(owner, L"TEventsManager"), events_(&events), eventsAlive_(events.Watch()) {
  SetName(L"EventsManager");
  SetCaption(L"My Events Manager");
  SetBounds(0, 0, 474, 286);
  Font().SetName(L"MS Shell Dlg 2");
  Font().SetSize(8);

  ImageList = std::make_unique<TImageList>(16, 16);
  for (const TGlyph& g : {TGlyph{TGlyphShape::Box, 0x3030D0, L"x"}, TGlyph{TGlyphShape::Note, 0x80FFFF, L"e"},
                          TGlyph{TGlyphShape::Note, 0x80FFFF, L"+"}})
    AddGlyph(*ImageList, g);

  StatusBar1 = new TStatusBar(this, L"StatusBar1");
  StatusBar1->SetParent(this);
  ActionList = new TActionList(this, L"ActionList");
  ActionList->Images = ImageList.get();
  _NewEvent = ActionList->Add(L"_NewEvent", L"&New Event");
  _NewEvent->SetImageIndex(imgNew);
  _NewEvent->OnExecute = [this](TComponent*) { _NewEventExecute(); };
  _DeleteEvent = ActionList->Add(L"_DeleteEvent", L"&Delete Event");
  _DeleteEvent->SetImageIndex(imgDelete);
  _DeleteEvent->OnExecute = [this](TComponent*) { _DeleteEventExecute(); };
  _Close = ActionList->Add(L"_Close", L"&Close");
  _Close->OnExecute = [this](TComponent*) { Close(); };
  _EditEvent = ActionList->Add(L"_EditEvent", L"&Edit Current Event");
  _EditEvent->SetImageIndex(imgEdit);
  _EditEvent->OnExecute = [this](TComponent*) { _EditEventExecute(); };
  for (TAction* a : {_DeleteEvent, _EditEvent})
    a->OnUpdate = [this, a](TComponent*) { a->SetEnabled(FocusedIndex() >= 0); };

  EventsList = new TTreeGrid(this, L"EventsList");
  EventsList->SetParent(this);
  EventsList->SetAlign(TAlign::alClient);
  EventsList->Source = &eventsListSource_;
  EventsList->AutoSort = false;
  EventsList->GridLines = true;
  EventsList->AddColumn(L"Text", 352);
  EventsList->AddColumn(L"Date", 110);
  EventsList->SetColumnOrder({colDate, colText});
  EventsList->AutoSizeColumn = colText;
  // The rows stand in the order of the events: the header sorts nothing and shows no arrow.
  EventsList->SetSort(-1, TSortDirection::sdAscending);
  eventsListSource_.OnGetText = [this](TTreeGrid*, TGridNode* n, int c) { return EventsListGetText(n, c); };
  EventsList->OnCollapsing = [](TTreeGrid*, TGridNode*, bool& allowed) { allowed = false; };
  EventsList->OnDblClick = [this](TComponent*) { _EditEvent->Execute(); };
  SetActiveControl(EventsList);

  auto item = [](TMenuItem* parent, TAction* action, const wchar_t* name) {
    TMenuItem* i = parent->Add(L"", name);
    i->SetAction(action);
    return i;
  };
  MainMenu = new TMainMenu(this, L"MainMenu");
  MainMenu->Images = ImageList.get();
  _EventsMenu = MainMenu->Items()->Add(L"&Events", L"_EventsMenu");
  NewEvent1 = item(_EventsMenu, _NewEvent, L"NewEvent1");
  EditEvent1 = item(_EventsMenu, _EditEvent, L"EditEvent1");
  DeleteEvent1 = item(_EventsMenu, _DeleteEvent, L"DeleteEvent1");
  N1 = _EventsMenu->AddSeparator();
  N1->SetName(L"N1");
  Close1 = item(_EventsMenu, _Close, L"Close1");
  MainMenu->Attach(this);
  PopupMenu = new TPopupMenu(this, L"PopupMenu");
  PopupMenu->Images = ImageList.get();
  EditEvent2 = item(PopupMenu->Items(), _EditEvent, L"EditEvent2");
  DeleteEvent2 = item(PopupMenu->Items(), _DeleteEvent, L"DeleteEvent2");
  EventsList->PopupMenu = PopupMenu;

  OnCreate = [this](TComponent* s) { FormCreate(s); };
  OnShow = [this](TComponent* s) { FormShow(s); };
  OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TComponent* s, TCloseAction& action) { FormClose(s, action); };
  DoCreate();
}

TEventsManager::~TEventsManager() { EventsList->Source = nullptr; }

bool TEventsManager::Gone() const { return !eventsAlive_ || events_->ManagerForm() != this; }

void TEventsManager::FormCreate(TComponent*) {
  SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
            Height());
  FormSaver = std::make_unique<TFormSaver>(this);
  try {
    FormSaver->LoadFromRegistry(kEventsManagerWinKey);
  } catch (...) {
    // A placement that cannot be read leaves the window where it opened.
  }
}

void TEventsManager::FormShow(TComponent*) {
  Translate();
  RefreshList();
}

void TEventsManager::FormCloseQuery(TComponent*, bool& canClose) {
  try {
    if (FormSaver) FormSaver->SaveToRegistry(kEventsManagerWinKey);
  } catch (...) {
    // The placement is given up; the window closes all the same.
  }
  canClose = true;
}

void TEventsManager::FormClose(TComponent*, TCloseAction& action) {
  // The events manager releases the window and forgets it; one it no longer knows goes itself.
  action = Gone() ? TCloseAction::caFree : TCloseAction::caNone;
  if (action == TCloseAction::caNone) events_->CloseManager();
}

void TEventsManager::Translate() {
  if (!LanguageWrapper) return;
  TVxMultiLanguageSTDWrp& lw = *LanguageWrapper;
  lw.SetSection(L"Vantaro_EditEvents");
  SetCaption(lw.GetString(L"_MyEvents_manager", Caption()));
  lw.TranslateActionList(ActionList);
  lw.TranslateMenuItem(_EventsMenu);
  MainMenu->Rebuild();
  EventsList->SetColumnCaption(colText, lw.GetString(L"_text", L"Text"));
  EventsList->SetColumnCaption(colDate, lw.GetString(L"_date", L"Date"));
  lw.SetSection(kGenericSection);
}

int TEventsManager::FocusedIndex() const {
  TGridNode* n = EventsList->FocusedNode();
  return n ? n->Index() : -1;
}

void TEventsManager::RefreshList() {
  if (Gone()) return;
  EventsList->SetRootCount(events_->Events.Count());
  EventsList->Invalidate();
}

std::wstring TEventsManager::EventsListGetText(TGridNode* node, int column) {
  if (Gone() || !node || node->Index() >= events_->Events.Count()) return L"";
  const TMYEvent* e = events_->Events.GetItem(node->Index());
  switch (column) {
    case colText: return e->Text;
    case colDate: return e->DateDisplay();
    default: return L"";
  }
}

void TEventsManager::_NewEventExecute() {
  if (Gone()) return;
  TLifeCheck alive = Watch();
  events_->AddEvent();
  // The dialog ran the message loop: the window or the events may have gone meanwhile.
  if (alive) RefreshList();
}

void TEventsManager::_EditEventExecute() {
  const int index = FocusedIndex();
  if (Gone() || index < 0) return;
  TLifeCheck alive = Watch();
  events_->EditEvent(index);
  if (alive && !Gone()) EventsList->Invalidate();
}

void TEventsManager::_DeleteEventExecute() {
  const int index = FocusedIndex();
  if (!Gone() && index >= 0 && index < events_->Events.Count()) {
    TMYEvent* e = events_->Events.GetItem(index);
    TLifeCheck alive = Watch();
    TLifeCheck eventAlive = e->Watch();
    const int answer = ShowMessageBox(L"Do you want to delete event: \n\r" + e->Text, L"Confirm",
                                      MB_YESNO | MB_ICONQUESTION);
    if (!alive || Gone() || !eventAlive) return;
    // The box ran the message loop: the event is looked up again rather than trusted by index.
    const int now = events_->Events.IndexOf(e);
    if (answer == IDYES && now >= 0) events_->DeleteEventAndSave(now);
  }
  RefreshList();
}
