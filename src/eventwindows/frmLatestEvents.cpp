#include "eventwindows/frmLatestEvents.h"

#include <windowsx.h>

#include <algorithm>

#include "events/MyEventsManagerUnit.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/NotePainters.h"
#include "notewindows/TrekComponents.h"
#include "ui/FormSaverClassUnit.h"

namespace {
enum Column { colLabel, colYears };
constexpr int kTitleHeight = 13;

TTrekRect* Border(TForm* form, const wchar_t* name, TAlign align, LPCWSTR cursor) {
  auto* r = new TTrekRect(form, name);
  if (align == TAlign::alBottom) {
    r->SetHeight(3);
  } else {
    r->SetWidth(3);
  }
  r->SetAlign(align);
  r->Cursor = cursor;
  r->SetParent(form);
  return r;
}
}  // namespace

TLatestEvents::TLatestEvents(TComponent* owner, TMyEventsmanager& events)
    : TForm(owner, L"TLatestEvents"), events_(&events), eventsAlive_(events.Watch()) {
  SetName(L"LatestEvents");
  SetCaption(L"LatestEvents");
  BorderStyle = TFormBorderStyle::bsNone;
  // As for a note: a window manager hands Wine only windows with a system menu.
  OnCreateParams = [](TCreateParams& p) { p.Style |= WS_SYSMENU; };
  Font().SetName(L"MS Shell Dlg 2");
  Font().SetSize(8);
  SetBounds(Left(), Top(), 238, 229);

  TitleOwnerDraw = new TPaintBox(this, L"TitleOwnerDraw");
  TitleOwnerDraw->SetHeight(kTitleHeight);
  TitleOwnerDraw->SetAlign(TAlign::alTop);
  TitleOwnerDraw->SetParent(this);
  BottomBorder = Border(this, L"BottomBorder", TAlign::alBottom, IDC_SIZENS);
  RightBorder = Border(this, L"RightBorder", TAlign::alRight, IDC_SIZEWE);
  LeftBorder = Border(this, L"LeftBorder", TAlign::alLeft, IDC_SIZEWE);

  EventsTree = new TTreeGrid(this, L"EventsTree");
  EventsTree->SetParent(this);
  EventsTree->SetAlign(TAlign::alClient);
  EventsTree->SetHeaderVisible(false);
  // The note's own borders frame it.
  EventsTree->SetBorder(false);
  EventsTree->ShowTreeLines = EventsTree->ShowRootLines = true;
  EventsTree->AutoSort = false;
  EventsTree->AddColumn(L"Label", 192);
  EventsTree->AddColumn(L"Years", 40);
  EventsTree->AutoSizeColumn = colLabel;
  EventsTree->SetSort(-1, TSortDirection::sdAscending);
  EventsTree->Source = &eventsTreeSource_;
  eventsTreeSource_.OnGetText = [this](TTreeGrid*, TGridNode* n, int c) { return EventsTreeGetText(n, c); };

  // The buttons and the sizer lie over the title bar and the border, so they come last.
  NoteMenuButton = new TSpeedButton(this, L"NoteMenuButton");
  CloseButton = new TSpeedButton(this, L"CloseButton");
  for (TSpeedButton* b : {NoteMenuButton, CloseButton}) {
    b->SetParent(this);
    b->SetBounds(b == CloseButton ? Width() - 12 : 1, 1, 11, 11);
  }
  Sizer = new TTrekRect(this, L"Sizer");
  Sizer->SetBounds(0, 0, 3, 3);
  Sizer->Cursor = IDC_SIZENWSE;
  Sizer->SetParent(this);

  ActionList = new TActionList(this, L"ActionList");
  _close = ActionList->Add(L"_close", L"&Close");
  _close->OnExecute = [this](TComponent*) { Close(); };
  PopupMenu = new TPopupMenu(this, L"PopupMenu");
  close1 = PopupMenu->Items()->Add(L"", L"close1");
  close1->SetAction(_close);

  TitleOwnerDraw->OnPaint = [this](TComponent* s, TCanvas& c) { TitleOwnerDrawPaint(s, c); };
  TitleOwnerDraw->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTCAPTION, b);
  };
  LeftBorder->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) { StartMoveOrSize(HTLEFT, b); };
  BottomBorder->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTBOTTOM, b);
  };
  Sizer->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTBOTTOMRIGHT, b);
  };
  // Where the click that starts sizing was, so that the edge keeps its distance to the pointer.
  RightBorder->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int x, int) {
    grab_ = Width() - RightBorder->Left() - x;
  };
  RightBorder->OnClick = [this](TComponent*) {
    // The click is over, so no button is held: the edge follows the pointer until the next
    // click, as the system's own sizing does when started from the keyboard.
    GetWindowRect(Handle(), &sizingStart_);
    sizingRight_ = true;
    SetCapture(Handle());
  };
  NoteMenuButton->OnClick = [this](TComponent*) { PopupMenu->Popup(Left(), Top() + 12); };
  CloseButton->OnClick = [this](TComponent*) { Close(); };

  OnCreate = [this](TComponent* s) { FormCreate(s); };
  OnShow = [this](TComponent* s) { FormShow(s); };
  OnResize = [this](TComponent* s) { FormResize(s); };
  OnActivate = [this](TComponent*) {
    if (NoteTransparency) SetAlphaBlendValue(225);
  };
  OnDeactivate = [this](TComponent*) {
    if (NoteTransparency) SetAlphaBlendValue(200);
  };
  OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TComponent* s, TCloseAction& action) { FormClose(s, action); };
  DoCreate();
}

TLatestEvents::~TLatestEvents() { EventsTree->Source = nullptr; }

bool TLatestEvents::Gone() const { return !eventsAlive_ || events_->LatestForm() != this; }

void TLatestEvents::FormCreate(TComponent*) {
  SetAlphaBlend(NoteTransparency);
  if (NoteTransparency) SetAlphaBlendValue(200);
  SetColor(NoteColor);
  for (TTrekRect* r : {LeftBorder, BottomBorder, RightBorder, Sizer}) r->SetColor(NoteColor);
  EventsTree->SetColor(NoteColor);
  EventsTree->TextColor = static_cast<TColor>(NoteFont.Color);
  FormSaver = std::make_unique<TFormSaver>(this);
  try {
    FormSaver->LoadFromRegistry(kLatestEventsWinKey);
  } catch (...) {
    // A placement that cannot be read leaves the window where it opened.
  }
}

void TLatestEvents::FormShow(TComponent* sender) {
  Translate();
  FillTree();
  FormResize(sender);
}

void TLatestEvents::FormResize(TComponent*) {
  Sizer->SetBounds(ClientWidth() - Sizer->Width(), ClientHeight() - Sizer->Height(), Sizer->Width(), Sizer->Height());
  NoteMenuButton->SetBounds(1, 1, NoteMenuButton->Width(), NoteMenuButton->Height());
  CloseButton->SetBounds(Width() - 12, 1, CloseButton->Width(), CloseButton->Height());
}

void TLatestEvents::FormCloseQuery(TComponent*, bool& canClose) {
  try {
    if (FormSaver) FormSaver->SaveToRegistry(kLatestEventsWinKey);
  } catch (...) {
    // The placement is given up; the window closes all the same.
  }
  canClose = true;
}

void TLatestEvents::FormClose(TComponent*, TCloseAction& action) {
  EndSizingRight(true);
  // The events manager releases the window and forgets it; one it no longer knows goes itself.
  action = Gone() ? TCloseAction::caFree : TCloseAction::caNone;
  if (action == TCloseAction::caNone) events_->CloseLatest();
}

void TLatestEvents::Translate() {
  if (!LanguageWrapper) return;
  TVxMultiLanguageSTDWrp& lw = *LanguageWrapper;
  lw.SetSection(L"Vantaro_LatestsEvents");
  CaptionText = lw.GetString(L"_MyEvents", L"MY Events");
  TodayText = lw.GetString(L"_Today", L"Today");
  TomorrowText = lw.GetString(L"_Tomorrow", L"Tomorrow");
  IncomingText = lw.GetString(L"_Incoming", L"Incoming");
  NoEventsText = lw.GetString(L"_NoEvents", L"No incoming events");
  _close->SetCaption(lw.GetString(L"_close", _close->Caption()));
  lw.SetSection(kGenericSection);
}

void TLatestEvents::FillTree() {
  EventsTree->BeginUpdate();
  EventsTree->Clear();
  nodes_.clear();
  if (!Gone()) {
    AddEventSection(&events_->Today, TodayText);
    AddEventSection(&events_->Tomorrow, TomorrowText);
    AddEventSection(&events_->Incoming, IncomingText);
  }
  const bool empty = EventsTree->RootCount() == 0;
  if (empty) AddEventSection(nullptr, NoEventsText);
  EventsTree->EndUpdate();
  EventsTree->SetEnabled(!empty);
  TitleOwnerDraw->Invalidate();
}

void TLatestEvents::AddEventSection(const TMyEventsList* list, const std::wstring& caption) {
  if (list && list->Count() == 0) return;
  nodes_.push_back(std::make_unique<TEventNodeData>(TEventNodeData{caption, list ? ekSection : ekNoEvents, 0, nullptr}));
  TGridNode* root = EventsTree->AddChild(nullptr, nodes_.back()->Kind, nodes_.back().get());
  if (!list) return;
  for (TMYEvent* e : list->Items()) AddEventNode(EventsTree->AddChild(root, ekEvent), e);
  EventsTree->Expand(root, true);
}

void TLatestEvents::AddEventNode(TGridNode* node, TMYEvent* event) {
  if (!node || !event) return;
  nodes_.push_back(std::make_unique<TEventNodeData>(TEventNodeData{event->Text, ekEvent, event->YearsSince(), event}));
  node->Data = nodes_.back().get();
}

const TEventNodeData* TLatestEvents::NodeData(const TGridNode* node) const {
  return node ? static_cast<const TEventNodeData*>(node->Data) : nullptr;
}

std::wstring TLatestEvents::EventsTreeGetText(TGridNode* node, int column) {
  const TEventNodeData* d = NodeData(node);
  if (!d) return L"";
  if (column == colLabel) return d->Text;
  if (column == colYears && d->Kind == ekEvent) return std::to_wstring(d->Years);
  return L"";
}

void TLatestEvents::TitleOwnerDrawPaint(TComponent*, TCanvas& canvas) {
  DrawNoteTitle(canvas, CaptionText, TitleOwnerDraw->Width(), TitleOwnerDraw->Height(), clNone, clNone, clNone, false);
}

void TLatestEvents::StartMoveOrSize(int hitTest, TMouseButton button) {
  // The system's move and size loops follow the left button, and only one that is really
  // down: started without it, the loop would not return until Escape.
  if (button != TMouseButton::mbLeft || !(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_NCLBUTTONDOWN, hitTest, 0);
  ReleaseCapture();
}

void TLatestEvents::EndSizingRight(bool keep) {
  if (!sizingRight_) return;
  sizingRight_ = false;
  if (!keep) SetBounds(sizingStart_.left, sizingStart_.top, sizingStart_.right - sizingStart_.left, Height());
  if (HandleAllocated() && GetCapture() == HandleIfAllocated()) ReleaseCapture();
}

LRESULT TLatestEvents::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_QUERYENDSESSION: return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      EndSession(wp != FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (sizingRight_) {
        SetBounds(Left(), Top(), std::max(GET_X_LPARAM(lp) + grab_, 40), Height());
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (sizingRight_) {
        EndSizingRight(true);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (sizingRight_ && (wp == VK_ESCAPE || wp == VK_RETURN)) {
        EndSizingRight(wp == VK_RETURN);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (sizingRight_ && reinterpret_cast<HWND>(lp) != HandleIfAllocated()) sizingRight_ = false;
      break;
  }
  return TForm::WndProc(msg, wp, lp);
}
