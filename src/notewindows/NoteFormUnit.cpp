#include "notewindows/NoteFormUnit.h"

#include <shellapi.h>
// after windows.h
#include <cderr.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notes/NotePainters.h"
#include "notes/NoteWrapper.h"
#include "notewindows/NoteConfUnit.h"
#include "shell/MainFormUnit.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"
#include "ui/Printers.h"
#include "ui/Screen.h"

namespace {
constexpr int kTitleHeight = 13;

// Whether a message to the editor would change the text or its format. The control's own
// read-only state refuses typing, but not its keys for undo, redo and formatting, so a
// read-only note lets through only what moves the caret, selects or copies.
bool EditsText(UINT msg, WPARAM key) {
  switch (msg) {
    case WM_CHAR:
    case WM_UNICHAR:
    case WM_IME_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REDO:
      return true;
    case WM_SYSKEYDOWN:
      return key == VK_BACK;  // Alt+Backspace undoes
    case WM_KEYDOWN:
      break;
    default:
      return false;
  }
  switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_SHIFT: case VK_CONTROL: case VK_MENU:
      return false;
    default:
      break;
  }
  if (GetKeyState(VK_CONTROL) < 0) return key != 'C' && key != 'A' && key != VK_INSERT;
  return key == VK_DELETE || key == VK_BACK || key == VK_RETURN || key == VK_TAB || key == VK_INSERT;
}

// The virtual key and the mouse-message flag of a button.
int ButtonKey(TMouseButton button) {
  return button == TMouseButton::mbLeft ? VK_LBUTTON : button == TMouseButton::mbRight ? VK_RBUTTON : VK_MBUTTON;
}
WPARAM ButtonFlag(TMouseButton button) {
  return button == TMouseButton::mbLeft ? MK_LBUTTON : button == TMouseButton::mbRight ? MK_RBUTTON : MK_MBUTTON;
}

// The system's menu colours.
constexpr TColor clMenu = 0x80000000u | COLOR_MENU, clMenuText = 0x80000000u | COLOR_MENUTEXT;

// The font the system draws menus with, in the given style.
void UseMenuFont(TFont& font, TFontStyles style) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    font.SetName(ncm.lfMenuFont.lfFaceName);
    const int height = std::abs(ncm.lfMenuFont.lfHeight);
    if (height) font.SetSize(MulDiv(height, 72, font.PixelsPerInch()));
  }
  font.SetStyle(style);
}

// A header item of a menu: the menu's colours, bold text, a frame over the item.
void PrepareMenuHeader(TCanvas& canvas, const RECT& rect) {
  canvas.Brush.Color = clMenu;
  UseMenuFont(canvas.Font, FontStyle::Bold);
  canvas.Font.SetColor(clMenuText);
  canvas.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
}

constexpr unsigned kSnoozeMinutes[] = {5, 10, 15, 30, 45, 60, 120};
constexpr const wchar_t* kSnoozeNames[] = {L"N5Minutes", L"N10Minutes", L"N15Minutes", L"N30Minutes",
                                          L"N45Minutes", L"N1Hour",     L"N2Hours",    L"illtomorrow"};

// A text of the note's language section; without the language objects, its English default.
std::wstring NoteText(const wchar_t* key, const std::wstring& defaultText) {
  return LanguageWrapper ? LanguageWrapper->GetString(key, defaultText) : defaultText;
}

// The web site printed at the head of every note.
constexpr wchar_t kWebSite[] = L"http://www.belvanto.com";
}  // namespace

TNoteForm::TNoteForm(TComponent* owner) : TForm(owner, L"TNoteForm") {
  BorderStyle = TFormBorderStyle::bsNone;
  MinWidth = 80;
  MinHeight = 80;
  AcceptFiles = true;
  // Under a window manager Wine hands it only top-level windows with a caption or a system
  // menu, or those shown active: a note opened quietly would float above every managed window
  // and stay there when the user clicks another one. Without a caption it draws nothing.
  OnCreateParams = [](TCreateParams& p) { p.Style |= WS_SYSMENU; };
  SetColor(0x00FFFF);
  SetBounds(Left(), Top(), 157, 150);

  TitleOwnerDraw = new TPaintBox(this, L"TitleOwnerDraw");
  TitleOwnerDraw->SetHeight(kTitleHeight);
  TitleOwnerDraw->SetAlign(TAlign::alTop);
  TitleOwnerDraw->SetParent(this);

  BottomBorder = new TTrekRect(this, L"BottomBorder");
  BottomBorder->SetHeight(3);
  BottomBorder->SetAlign(TAlign::alBottom);
  BottomBorder->Cursor = IDC_SIZENS;
  BottomBorder->SetParent(this);
  RightBorder = new TTrekRect(this, L"RightBorder");
  RightBorder->SetWidth(3);
  RightBorder->SetAlign(TAlign::alRight);
  RightBorder->Cursor = IDC_SIZEWE;
  RightBorder->SetParent(this);
  LeftBorder = new TTrekRect(this, L"LeftBorder");
  LeftBorder->SetWidth(3);
  LeftBorder->SetAlign(TAlign::alLeft);
  LeftBorder->Cursor = IDC_SIZEWE;
  LeftBorder->SetParent(this);

  NoteEdit = new TRichEdit(this, L"NoteEdit");
  NoteEdit->SetAlign(TAlign::alClient);
  NoteEdit->SetParent(this);
  // The keys go to the text whenever the note is activated: by a click on its title bar,
  // when a note above it closes, at start-up.
  SetActiveControl(NoteEdit);

  // The buttons and the sizer lie over the title bar and the border, so they come last.
  NoteMenuButton = new TSpeedButton(this, L"NoteMenuButton");
  NoteMenuButton->SetBounds(1, 1, 11, 11);
  NoteMenuButton->SetParent(this);
  CloseButton = new TSpeedButton(this, L"CloseButton");
  CloseButton->SetBounds(Width() - 12, 1, 11, 11);
  CloseButton->SetParent(this);
  LinkButton = new TSpeedButton(this, L"LinkButton");
  LinkButton->SetBounds(Width() - 25, 1, 11, 11);
  LinkButton->SetHint(L"Open attacched file");
  LinkButton->SetParent(this);
  Sizer = new TTrekRect(this, L"Sizer");
  Sizer->SetBounds(0, 0, 3, 3);
  Sizer->SetColor(clBlack);
  Sizer->Cursor = IDC_SIZENWSE;
  Sizer->SetParent(this);

  MenuIcons = new TImageList(16, 16);
  UpdateTimer = new TTimer(this, L"UpdateTimer", 1000);
  UpdateTimer->OnTimer = [this](TComponent* s) { UpdateTimerTimer(s); };
  Allarme = new TTimer(this, L"Allarme", 1000);
  ShakeTimer = new TTimer(this, L"ShakeTimer", 50);
  ShakeTimer->OnTimer = [this](TComponent*) { Shake(); };
  AnimationTimer = new TTimer(this, L"AnimationTimer", 10);
  AnimationTimer->OnTimer = [this](TComponent* s) { AnimationTimerTimer(s); };

  ActionList = new TActionList(this, L"ActionList");
  ActionList->Images = MenuIcons;
  ReduceToggle = ActionList->Add(L"ReduceToggle", L"&Reduced");
  ReduceToggle->OnExecute = [this](TComponent*) {
    if (!Wrapper) return;
    Wrapper->Note->SetReduced(!Wrapper->Note->GetReduced());
    ApplyReduced();
    if (Wrapper) Wrapper->FieldsChanged();
  };
  ReduceToggle->OnUpdate = [this](TComponent*) { ReduceToggle->SetChecked(IsReduced()); };
  ONTop = ActionList->Add(L"ONTop", L"Always on &top");
  ONTop->OnExecute = [this](TComponent*) {
    if (!Wrapper) return;
    Wrapper->UpdateFromForm();
    Wrapper->Note->SetAlwaysOnTop(!Wrapper->Note->GetAlwaysOnTop());
    Wrapper->RefreshForm();
  };
  ONTop->OnUpdate = [this](TComponent*) { ONTop->SetChecked(Wrapper && Wrapper->Note->GetAlwaysOnTop()); };
  CloseNoteAction = ActionList->Add(L"CloseNote", L"&Close note", ShortCut('H', scCtrl));
  CloseNoteAction->OnExecute = [this](TComponent*) { CloseNote(); };

  auto cutUpdate = [this](TComponent* s) { CutUpdate(s); };
  Undo = ActionList->Add(L"Undo", L"&Undo", ShortCut('Z', scCtrl));
  Undo->OnExecute = [this](TComponent*) {
    if (NoteEdit->CanUndo()) NoteEdit->Undo();
  };
  Undo->OnUpdate = [this](TComponent*) { Undo->SetEnabled(NoteEdit->CanUndo() && !IsReadOnly()); };
  Cut = ActionList->Add(L"Cut", L"&Cut", ShortCut('X', scCtrl));
  Cut->OnExecute = [this](TComponent*) { NoteEdit->CutToClipboard(); };
  Cut->OnUpdate = cutUpdate;
  Copy = ActionList->Add(L"Copy", L"&Copy", ShortCut('C', scCtrl));
  Copy->OnExecute = [this](TComponent*) { NoteEdit->CopyToClipboard(); };
  Paste = ActionList->Add(L"Paste", L"&Paste", ShortCut('V', scCtrl));
  Paste->OnExecute = [this](TComponent*) {
    if (IsClipboardFormatAvailable(CF_TEXT)) NoteEdit->PasteFromClipboard();
  };
  Paste->OnUpdate = cutUpdate;
  Delete = ActionList->Add(L"Delete", L"&Delete");
  Delete->OnExecute = [this](TComponent*) { NoteEdit->ClearSelection(); };
  Delete->OnUpdate = cutUpdate;
  SelectAll = ActionList->Add(L"SelectAll", L"Select &all", ShortCut('A', scCtrl));
  SelectAll->OnExecute = [this](TComponent*) { NoteEdit->SelectAll(); };
  Font = ActionList->Add(L"Font", L"&Font", ShortCut('F', scCtrl));
  Font->OnExecute = [this](TComponent*) {
    TTextAttributes a = NoteEdit->SelAttributes();
    TFont f;
    f.SetName(a.Name);
    f.SetSize(a.Size);
    f.SetStyle(a.Style);
    f.SetColor(a.Color);
    if (ExecuteFontDialog(Handle(), f)) NoteEdit->SetSelAttributes({f.Name(), f.Size(), f.Color(), f.Style()});
  };
  Font->OnUpdate = cutUpdate;
  Pain = ActionList->Add(L"Pain", L"&Plain", ShortCut('P', scCtrl));
  Pain->OnExecute = [this](TComponent*) { NoteEdit->SetSelStyle(0); };
  Pain->OnUpdate = cutUpdate;
  Bold = ActionList->Add(L"Bold", L"&Bold", ShortCut('B', scCtrl));
  Bold->OnExecute = [this](TComponent*) { ToggleStyle(FontStyle::Bold); };
  Bold->OnUpdate = cutUpdate;
  Italic = ActionList->Add(L"Italic", L"&Italic", ShortCut('I', scCtrl));
  Italic->OnExecute = [this](TComponent*) { ToggleStyle(FontStyle::Italic); };
  Italic->OnUpdate = cutUpdate;
  Underline = ActionList->Add(L"Underline", L"&Underline", ShortCut('U', scCtrl));
  Underline->OnExecute = [this](TComponent*) { ToggleStyle(FontStyle::Underline); };
  Underline->OnUpdate = cutUpdate;
  Strikeout = ActionList->Add(L"Strikeout", L"&Strikeout", ShortCut('S', scCtrl));
  Strikeout->OnExecute = [this](TComponent*) { ToggleStyle(FontStyle::StrikeOut); };
  Strikeout->OnUpdate = cutUpdate;
  ReadOnlyToggle = ActionList->Add(L"ReadOnlyToggle", L"Read Only");
  ReadOnlyToggle->OnExecute = [this](TComponent*) {
    if (!Wrapper) return;
    Wrapper->Note->SetReadOnly(!Wrapper->Note->GetReadOnly());
    ApplyReadOnly();
  };
  ReadOnlyToggle->OnUpdate = [this](TComponent*) { ReadOnlyToggle->SetChecked(IsReadOnly()); };
  PrintNoteAction = ActionList->Add(L"PrintNote", L"&Print Note");
  PrintNoteAction->OnExecute = [this](TComponent*) { PrintNote(); };
  CustomizeAction = ActionList->Add(L"Customize", L"Custo&mize", ShortCut('O', scCtrl));
  CustomizeAction->OnExecute = [this](TComponent*) { Customize(); };
  DeleteNoteAction = ActionList->Add(L"DeleteNote", L"&Delete note", ShortCut('D', scCtrl));
  DeleteNoteAction->OnExecute = [this](TComponent*) { DeleteNote(); };

  // Moving and sizing through the hit-test codes of a caption and of frame edges.
  TitleOwnerDraw->OnPaint = [this](TComponent* s, TCanvas& c) { TitleOwnerDrawPaint(s, c); };
  TitleOwnerDraw->OnMouseDown = [this](TComponent*, TMouseButton button, TShiftState shift, int, int) {
    if (shift & ssDouble) return;
    StartMoveOrSize(HTCAPTION, button);
    RestartUpdateTimer();
    StopAlarm();
  };
  TitleOwnerDraw->OnClick = [this](TComponent*) { StopAlarm(); };
  TitleOwnerDraw->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) { RestartUpdateTimer(); };
  TitleOwnerDraw->OnDblClick = [this](TComponent*) { ReduceToggle->Execute(); };
  LeftBorder->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTLEFT, b);
  };
  RightBorder->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTRIGHT, b);
  };
  BottomBorder->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTBOTTOM, b);
  };
  Sizer->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
    StartMoveOrSize(HTBOTTOMRIGHT, b);
  };

  CloseButton->OnClick = [this](TComponent*) { CloseNote(); };
  // A right click on the close box is a click on the note too: the snooze menu opens on a
  // note that has stopped shaking. The menu opens when the button comes up.
  CloseButton->OnMouseDown = [this](TComponent*, TMouseButton button, TShiftState, int, int) {
    StopAlarm();
    if (button == TMouseButton::mbRight) EnsureMenus();
  };
  LinkButton->OnClick = [this](TComponent* s) { LinkButtonClick(s); };
  NoteMenuButton->OnClick = [this](TComponent* s) { NoteMenuButtonClick(s); };
  OnClick = [this](TComponent*) { StopAlarm(); };
  Allarme->OnTimer = [this](TComponent* s) { AllarmeTimer(s); };

  NoteEdit->OnChange = [this](TComponent*) { RestartUpdateTimer(); };
  NoteEdit->OnMessage = [this](UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (!IsReadOnly() || !EditsText(msg, wp)) return false;
    result = 0;
    return true;
  };
  NoteEdit->OnURLClick = [this](TComponent* s, const std::wstring& url, TMouseButton b) {
    NoteEditURLClick(s, url, b);
  };
  NoteEdit->OnMouseDown = [this](TComponent*, TMouseButton, TShiftState, int, int) { StopAlarm(); };
  NoteEdit->OnMouseUp = [this](TComponent*, TMouseButton button, TShiftState, int, int) {
    if (button != TMouseButton::mbRight) return;
    POINT p;
    GetCursorPos(&p);
    EnsureMenus();
    EditMenu->Popup(p.x, p.y);
  };

  OnShow = [this](TComponent* s) { FormShow(s); };
  OnResize = [this](TComponent* s) { FormResize(s); };
  OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TComponent* s, TCloseAction& a) { FormClose(s, a); };
  OnActivate = [this](TComponent* s) { FormActivate(s); };
  OnDeactivate = [this](TComponent* s) { FormDeactivate(s); };
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

TNoteForm::~TNoteForm() {
  // Never leave the wrapper pointing at a freed window.
  if (Wrapper) Wrapper->FormDestroyed(this);
  delete MenuIcons;
}

void TNoteForm::EnsureMenus() {
  if (NoteMenu) return;
  BuildMenus();
  TranslateMenus();
  if (LanguageWrapper) LanguageWrapper->SetSection(kGenericSection);
}

void TNoteForm::BuildMenus() {
  NoteMenu = new TPopupMenu(this, L"NoteMenu");
  NoteMenu->Images = MenuIcons;
  TMenuItem* note = NoteMenu->Items();
  CreationDateMenu = note->Add(L"CreationDateMenu", L"CreationDateMenu");
  CreationDateMenu->Enabled = false;
  CreationDateMenu->OwnerDraw = true;
  CreationDateMenu->OnMeasureItem = [this](TMenuItem* i, int& w, int& h) { CreationDateMenuMeasureItem(i, w, h); };
  CreationDateMenu->OnDrawItem = [this](TMenuItem* i, TCanvas& c, const RECT& r, bool sel) {
    CreationDateMenuDrawItem(i, c, r, sel);
  };
  note->AddSeparator();
  note->Add(L"", L"Alwaysontop1")->SetAction(ONTop);
  note->Add(L"", L"Reduced1")->SetAction(ReduceToggle);
  note->Add(L"", L"ReadOnly1")->SetAction(ReadOnlyToggle);
  CloseforSub = note->Add(L"Close for", L"CloseforSub");
  std::array<TMenuItem*, 8> sub = AddSnoozeItems(CloseforSub, L"1");
  N5Minutes1 = sub[0], N10Minutes1 = sub[1], N15Minutes1 = sub[2], N30Minutes1 = sub[3], N45Minutes1 = sub[4];
  N1Hour1 = sub[5], N2Hours1 = sub[6], illtomorrow1 = sub[7];
  note->AddSeparator();
  note->Add(L"", L"PrintNote1")->SetAction(PrintNoteAction);
  note->AddSeparator();
  note->Add(L"", L"customize1")->SetAction(CustomizeAction);
  note->AddSeparator();
  note->Add(L"", L"TrashThis1")->SetAction(DeleteNoteAction);
  note->Add(L"", L"CloseNote1")->SetAction(CloseNoteAction);

  EditMenu = new TPopupMenu(this, L"EditMenu");
  EditMenu->Images = MenuIcons;
  TMenuItem* items = EditMenu->Items();
  items->Add(L"", L"Undo1")->SetAction(Undo);
  items->AddSeparator();
  items->Add(L"", L"Cut1")->SetAction(Cut);
  items->Add(L"", L"Copy1")->SetAction(Copy);
  items->Add(L"", L"Paste1")->SetAction(Paste);
  items->Add(L"", L"Delete1")->SetAction(Delete);
  items->Add(L"", L"SelectAll1")->SetAction(SelectAll);
  items->AddSeparator();
  items->Add(L"", L"Font1")->SetAction(Font);
  StyleSub = items->Add(L"&Style", L"StyleSub");
  StyleSub->Add(L"", L"Plain1")->SetAction(Pain);
  StyleSub->AddSeparator();
  StyleSub->Add(L"", L"Bold1")->SetAction(Bold);
  StyleSub->Add(L"", L"Italic1")->SetAction(Italic);
  StyleSub->Add(L"", L"Underline1")->SetAction(Underline);
  StyleSub->Add(L"", L"Strikeout1")->SetAction(Strikeout);
  EditMenu->OnPopup = [this](TComponent* s) { EditMenuPopup(s); };

  CloseForMenu = new TPopupMenu(this, L"CloseForMenu");
  CloseForLab1 = CloseForMenu->Items()->Add(L"CloseForLab", L"CloseForLab1");
  CloseForLab1->Enabled = false;
  CloseForLab1->OwnerDraw = true;
  CloseForLab1->OnDrawItem = [this](TMenuItem* i, TCanvas& c, const RECT& r, bool sel) {
    CloseForLab1DrawItem(i, c, r, sel);
  };
  std::array<TMenuItem*, 8> close = AddSnoozeItems(CloseForMenu->Items(), L"2");
  N5Minutes2 = close[0], N10Minutes2 = close[1], N15Minutes2 = close[2], N30Minutes2 = close[3];
  N45Minutes2 = close[4], N1Hour2 = close[5], N2Hours2 = close[6], illtomorrow2 = close[7];
  CloseButton->PopupMenu = CloseForMenu;
}

std::array<TMenuItem*, 8> TNoteForm::AddSnoozeItems(TMenuItem* menu, const wchar_t* suffix) {
  std::array<TMenuItem*, 8> items{};
  for (size_t i = 0; i < items.size(); ++i) {
    items[i] = menu->Add(L"", std::wstring(kSnoozeNames[i]) + suffix);
    if (i < std::size(kSnoozeMinutes)) {
      items[i]->Tag = static_cast<int>(kSnoozeMinutes[i]);
      items[i]->OnClick = [this](TComponent* s) { SnoozeClick(s); };
    } else {
      items[i]->OnClick = [this](TComponent* s) { TillTomorrowClick(s); };
    }
  }
  return items;
}

std::array<TMenuItem*, 8> TNoteForm::SnoozeItems(bool closeMenu) const {
  if (closeMenu)
    return {N5Minutes2, N10Minutes2, N15Minutes2, N30Minutes2, N45Minutes2, N1Hour2, N2Hours2, illtomorrow2};
  return {N5Minutes1, N10Minutes1, N15Minutes1, N30Minutes1, N45Minutes1, N1Hour1, N2Hours1, illtomorrow1};
}

void TNoteForm::Translate() {
  if (LanguageWrapper) LanguageWrapper->SetSection(L"Vantaro_Note");
  MinutesText = NoteText(L"Minutes", L"Minutes");
  HourText = NoteText(L"Hour", L"Hour");
  HoursText = NoteText(L"Horus", L"Hours");
  CloseForText = NoteText(L"Close_for", L"Close for:");
  if (NoteMenu) TranslateMenus();
  CreatedOnText = NoteText(L"CreatedOn", L"Created on:");
  if (!LanguageWrapper) return;
  LanguageWrapper->TranslateActionList(ActionList);
  // Windows translated after this one expect the shared section, as every window leaves it.
  LanguageWrapper->SetSection(kGenericSection);
}

void TNoteForm::TranslateMenus() {
  if (LanguageWrapper) LanguageWrapper->SetSection(L"Vantaro_Note");
  for (bool closeMenu : {false, true}) {
    std::array<TMenuItem*, 8> items = SnoozeItems(closeMenu);
    for (size_t i = 0; i < 5; ++i) items[i]->Caption = std::to_wstring(kSnoozeMinutes[i]) + L" " + MinutesText;
    items[5]->Caption = L"1 " + HourText;
    items[6]->Caption = L"2 " + HoursText;
    items[7]->Caption = NoteText(L"TillTomorrow", L"Till tomorrow");
  }
  if (LanguageWrapper) {
    LanguageWrapper->TranslateMenuItem(CloseforSub);
    LanguageWrapper->TranslateMenuItem(StyleSub);
  }
}

void TNoteForm::FormCreate(TComponent*) {
  // The translator's mode records every missing key as the note opens, the menus' too.
  if (LanguageEngine && LanguageEngine->MarkMissing()) BuildMenus();
  Translate();
  FormClosing = false;
  NoteEdit->Font().SetName(AnsiToWide(NoteFont.FaceName()));
  NoteEdit->Font().SetSize(NoteFont.Size);
  NoteEdit->Font().SetColor(NoteFont.Color);
  NoteEdit->Font().SetStyle(NoteFont.Style);
  // The windows are made when the note is first shown, already at the note's bounds; the
  // editor takes its default format from this font then, before any text is loaded.
  NoteEdit->Clear();
  FormResize(this);
}

void TNoteForm::FormShow(TComponent*) {
  ApplyReduced();
  ApplyReadOnly();
}

void TNoteForm::FormResize(TComponent*) {
  Sizer->SetBounds(ClientWidth() - Sizer->Width(), ClientHeight() - Sizer->Height(), Sizer->Width(),
                   Sizer->Height());
  NoteMenuButton->SetBounds(1, 1, NoteMenuButton->Width(), NoteMenuButton->Height());
  CloseButton->SetBounds(Width() - 12, 1, CloseButton->Width(), CloseButton->Height());
  if (Wrapper && Wrapper->Note) {
    bool linked = Wrapper->Note->HasLinkedFile();
    LinkButton->SetEnabled(linked);
    LinkButton->SetBounds(linked ? Width() - 25 : LinkButton->Left(), linked ? 1 : -25, LinkButton->Width(),
                          LinkButton->Height());
  }
  RestartUpdateTimer();
}

void TNoteForm::StartMoveOrSize(int hitTest, TMouseButton button) {
  // Only a button that is really down may start a move: sent without one, the system's loop
  // would not return until Escape, and ours would hold on to the pointer.
  if (!(GetAsyncKeyState(ButtonKey(button)) & 0x8000)) return;
  // The move starts from where the note rests, not from where a shake has put it.
  EndShake();
  if (button == TMouseButton::mbLeft) {
    ReleaseCapture();
    SendMessageW(Handle(), WM_NCLBUTTONDOWN, hitTest, 0);
    ReleaseCapture();
    return;
  }
  // The system's move and size loops end only when the left button comes up: another button
  // would leave the note stuck to the pointer. This window follows that button itself.
  drag_ = {hitTest, ButtonFlag(button), {}, {}};
  GetCursorPos(&drag_.start);
  GetWindowRect(Handle(), &drag_.bounds);
  SetCapture(Handle());
}

void TNoteForm::FollowButtonDrag() {
  POINT p;
  GetCursorPos(&p);
  const int dx = p.x - drag_.start.x, dy = p.y - drag_.start.y;
  RECT r = drag_.bounds;
  switch (drag_.hitTest) {
    case HTCAPTION: OffsetRect(&r, dx, dy); break;
    case HTLEFT: r.left = std::min<int>(r.left + dx, r.right - MinWidth); break;
    case HTRIGHT: r.right = std::max<int>(r.right + dx, r.left + MinWidth); break;
    case HTBOTTOMRIGHT: r.right = std::max<int>(r.right + dx, r.left + MinWidth); [[fallthrough]];
    case HTBOTTOM: r.bottom = std::max<int>(r.bottom + dy, r.top + MinHeight); break;
    default: break;
  }
  SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TNoteForm::EndButtonDrag() {
  if (!drag_.hitTest) return;
  drag_ = {};
  if (GetCapture() == HandleIfAllocated()) ReleaseCapture();
  RestartUpdateTimer();
}

void TNoteForm::SetNoteBounds(int left, int top, int width, int height) {
  // A damaged or hand-edited file may hold any size; the window keeps its limits anyway.
  width = std::max(width, MinWidth);
  height = std::max(height, MinHeight);
  // A note saved on a monitor that is gone (or at a position no screen shows) would be out of
  // reach for good: it comes onto the nearest monitor instead.
  RECT r{left, top, left + width, top + height};
  if (!MonitorOfRect(r)) {
    const RECT& work = NearestMonitor(r).Work;
    left = std::max<int>(work.left, std::min<int>(left, work.right - width));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  }
  SetBounds(left, top, width, height);
}

void TNoteForm::ApplyColor(TColor color) {
  if (color == clNone) color = NoteColor;
  SetColor(color);
  LeftBorder->SetColor(color);
  BottomBorder->SetColor(color);
  RightBorder->SetColor(color);
  NoteEdit->SetColor(color);
  Sizer->SetColor(color);
}

void TNoteForm::ApplyStayOnTop(TComponent* form) {
  auto* f = dynamic_cast<TForm*>(form);
  if (!f) return;
  try {
    bool onTop = Wrapper && Wrapper->Note->GetAlwaysOnTop();
    HWND h = f->Handle();
    // A window that is not topmost already stands where "not topmost" would put it.
    if (!onTop && !(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST)) return;
    SetWindowPos(h, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, f->Left(), f->Top(), f->Width(), f->Height(),
                 SWP_NOSIZE | SWP_NOACTIVATE);
    HWND owner = GetWindow(h, GW_OWNER);
    if (!onTop && owner && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      // Wine keeps an owned window right above its owner and turns "not topmost" into "after
      // the window above the owner", which is this window itself when nothing lies between, so
      // it would stay on top. Unowned for the call, it leaves the topmost band as it should.
      SetWindowLongPtrW(h, GWLP_HWNDPARENT, 0);
      SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      SetWindowLongPtrW(h, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
  } catch (...) {
  }
}

void TNoteForm::ApplyReduced() {
  if (FormClosing) return;
  if (IsReduced()) {
    SetWindowRegion(CreateRectRgn(0, 0, TitleOwnerDraw->Width(), TitleOwnerDraw->Height()), true);
  } else {
    // Removing a region costs a round trip to the display even when there is none to remove.
    if (!HandleAllocated() || !HasWindowRegion()) return;
    SetWindowRegion(nullptr, true);
    NoteEdit->Invalidate();
    if (HWND h = HandleIfAllocated()) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    Invalidate();
  }
}

bool TNoteForm::IsReduced() const { return Wrapper && Wrapper->Note->GetReduced(); }

bool TNoteForm::IsReadOnly() const { return Wrapper && Wrapper->Note->GetReadOnly(); }

void TNoteForm::ApplyReadOnly() {
  if (FormClosing) return;
  NoteEdit->SetReadOnly(IsReadOnly());
}

void TNoteForm::RestartUpdateTimer() {
  // Before its window is made there is nothing to save: the wrapper switches the timer off
  // before it opens the window anyway, and the layout run on opening starts it.
  if (FormClosing || !HandleAllocated()) return;
  // A running timer keeps its moment: the save comes one second after the first change not
  // yet saved, so typing that never pauses is still saved every second, and a key costs no
  // timer call.
  if (!UpdateTimer->Enabled()) UpdateTimer->SetEnabled(true);
}

void TNoteForm::CloseNote() {
  if (closeNoteRunning_) return;
  closeNoteRunning_ = true;
  TLifeCheck alive = Watch();
  // Messages run in between (a shut-down among them may free the window): each step goes on
  // only while the window is still there.
  auto processMessages = [&alive] {
    if (Application) Application->ProcessMessages();
    return bool(alive);
  };
  try {
    UpdateTimer->SetEnabled(false);
    Allarme->SetEnabled(false);
    EndShake();
    if (!processMessages()) return;
    if (Wrapper) {
      Wrapper->UpdateFromForm();
      Wrapper->HideNote(false);
    }
    if (!alive) return;
    CloseButton->SetEnabled(false);
    if (!processMessages()) return;
    Close();
  } catch (...) {
  }
  if (alive) closeNoteRunning_ = false;
}

void TNoteForm::FormCloseQuery(TComponent*, bool& canClose) {
  // A close that arrives while the window fades (the close box, Alt+F4, the system's close) is
  // the same close again: the first one already ends the window, with the close that the
  // animation asks for at its end.
  if (FormClosing) {
    canClose = animationEnded_;
    return;
  }
  FormClosing = true;
  UpdateTimer->SetEnabled(false);
  Allarme->SetEnabled(false);
  EndShake();
  AnimationSteps.clear();
  if (NoteAnimations && !Closing && HandleAllocated() && IsWindowVisible(HandleIfAllocated())) {
    // Step by step on its timer, which closes the window at the end: the window thread neither
    // waits between the steps nor runs a message loop of its own.
    AnimationTimer->SetEnabled(true);
    canClose = false;
    return;
  }
  animationEnded_ = true;
  canClose = true;
}

void TNoteForm::AnimationTimerTimer(TComponent*) {
  // A shut-down meanwhile closes the window at once.
  bool more = !Closing;
  if (more && AlphaBlend()) {
    int alpha = (AlphaBlendValue() - 10) % 256;
    if (alpha < 0) alpha += 256;
    SetAlphaBlendValue(static_cast<BYTE>(alpha));
    AnimationSteps.push_back(alpha);
    more = AlphaBlendValue() >= 20;
  } else if (more) {
    ScaleBy(85, 100);
    AnimationSteps.push_back(Width());
    more = Width() >= 90;
  }
  if (more) return;
  AnimationTimer->SetEnabled(false);
  animationEnded_ = true;
  Close();
}

void TNoteForm::FormClose(TComponent*, TCloseAction& action) { action = TCloseAction::caFree; }

void TNoteForm::FormActivate(TComponent*) {
  if (NoteTransparency) SetAlphaBlendValue(225);
}

void TNoteForm::FormDeactivate(TComponent*) {
  if (NoteTransparency) SetAlphaBlendValue(200);
}

void TNoteForm::TitleOwnerDrawPaint(TComponent*, TCanvas& canvas) {
  if (!Wrapper || !Wrapper->Note) return;
  const TNoteClass& n = *Wrapper->Note;
  DrawNoteTitle(canvas, n.Title, TitleOwnerDraw->Width(), TitleOwnerDraw->Height(), n.TitleColor, n.TitleFontColor,
                n.NoteColor, n.HasLinkedFile());
}

void TNoteForm::UpdateTimerTimer(TComponent*) {
  if (Loading || FormClosing) return;
  TLifeCheck alive = Watch();
  bool saved = true, changed = false;
  if (Wrapper) {
    // Written only when the note changed (Save compares with what its file holds).
    changed = Wrapper->UpdateFromForm();
    if (SafeSave) saved = Wrapper->Save();
  }
  // A failure's message box ran the message loop: the note may have gone meanwhile.
  if (!alive) return;
  if (changed) Repaint();
  // A failed save keeps the timer going: the next tick tries again.
  if (saved) UpdateTimer->SetEnabled(false);
}

void TNoteForm::AllarmeTimer(TComponent*) {
  if (FormClosing) return;
  PlayAlarmSound();
  // Four moves 50 ms apart on the shake timer, the first one now; the window thread never
  // waits for them. A window being moved or sized by the pointer is left to it.
  if (sizeMove_ || drag_.hitTest) return;
  LARGE_INTEGER clock{};
  QueryPerformanceCounter(&clock);
  shakeRandom_.seed(static_cast<unsigned>(clock.QuadPart));
  shakeMovesLeft_ = 4;
  Shake();
  ShakeTimer->SetEnabled(true);
}

void TNoteForm::Shake() {
  if (shakeMovesLeft_ <= 0 || FormClosing) {
    EndShake();
    return;
  }
  --shakeMovesLeft_;
  std::uniform_int_distribution<int> offset(-3, 2);
  const int dx = offset(shakeRandom_), dy = offset(shakeRandom_);
  SetShakeOffset({dx, dy});
}

void TNoteForm::EndShake() {
  shakeMovesLeft_ = 0;
  ShakeTimer->SetEnabled(false);
  SetShakeOffset({0, 0});
}

void TNoteForm::SetShakeOffset(POINT offset) {
  if (offset.x == shakeOffset_.x && offset.y == shakeOffset_.y) return;
  // Relative to where the window stands now, so that nothing else that moved it is undone.
  SetBounds(Left() - shakeOffset_.x + offset.x, Top() - shakeOffset_.y + offset.y, Width(), Height());
  shakeOffset_ = offset;
}

RECT TNoteForm::NoteBounds() const {
  const int left = Left() - shakeOffset_.x, top = Top() - shakeOffset_.y;
  return RECT{left, top, left + Width(), top + Height()};
}

void TNoteForm::StopAlarm() {
  EndShake();
  if (!Allarme->Enabled()) return;
  Allarme->SetEnabled(false);
  // The note was disarmed when it began to ring: the next save takes that to its file, so that
  // an alarm the user has seen does not ring again after a restart.
  RestartUpdateTimer();
}

void TNoteForm::SnoozeClick(TComponent* sender) {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item || !Wrapper) return;
  // The wrapper closes the window without reading it: what was typed since the last edit
  // pause goes into the note first.
  Wrapper->UpdateFromForm();
  Wrapper->HideForMinutes(static_cast<unsigned>(item->Tag));
  // The window is closing now: nothing of it may be touched after this.
}

void TNoteForm::TillTomorrowClick(TComponent*) {
  if (!Wrapper) return;
  Wrapper->UpdateFromForm();
  Wrapper->HideUntil(std::floor(Now()) + 1);
}

void TNoteForm::NoteMenuButtonClick(TComponent*) {
  StopAlarm();
  EnsureMenus();
  NoteMenu->Popup(Left(), Top() + 12);
}

void TNoteForm::CreationDateMenuMeasureItem(TMenuItem*, int& width, int& height) {
  if (!Wrapper) return;
  const std::wstring created = DateTimeToStr(Wrapper->Note->Created);
  HDC screen = GetDC(nullptr);
  {
    TCanvas canvas(screen);
    UseMenuFont(canvas.Font, FontStyle::Bold);
    const int labelWidth = canvas.TextWidth(CreatedOnText);
    UseMenuFont(canvas.Font, 0);
    height = canvas.TextHeight(created) * 2 + 8;
    // Never narrower than the label and the moment it shows.
    width = std::max({width, labelWidth + 4, canvas.TextWidth(created) + 4});
  }
  ReleaseDC(nullptr, screen);
}

void TNoteForm::CreationDateMenuDrawItem(TMenuItem*, TCanvas& canvas, const RECT& rect, bool) {
  PrepareMenuHeader(canvas, rect);
  canvas.TextOut(rect.left + 2, rect.top + 2, CreatedOnText);
  const int h = canvas.TextHeight(CreatedOnText);
  UseMenuFont(canvas.Font, 0);
  if (Wrapper) canvas.TextOut(rect.left + 2, rect.top + 4 + h, DateTimeToStr(Wrapper->Note->Created));
}

void TNoteForm::CloseForLab1DrawItem(TMenuItem*, TCanvas& canvas, const RECT& rect, bool) {
  PrepareMenuHeader(canvas, rect);
  const SIZE text = canvas.TextExtent(CloseForText);
  canvas.TextOut(rect.left + (rect.right - rect.left - text.cx) / 2, rect.top + (rect.bottom - rect.top - text.cy) / 2,
                 CloseForText);
}

bool RunMainPrintDialog(TForm& owner, bool setup, const std::wstring& subject) {
  TLifeCheck alive = owner.Watch();
  TLifeCheck mainAlive = VantaroMainForm ? VantaroMainForm->Watch() : TLifeCheck();
  // A copy: a shut-down while the dialog is up frees the main window, whose dialog must not be
  // written into then.
  auto run = [&](auto TVantaroMainForm::*member) {
    using Dialog = std::remove_reference_t<decltype(VantaroMainForm->*member)>;
    Dialog dialog = VantaroMainForm ? VantaroMainForm->*member : Dialog();
    const bool chosen = dialog.Execute(owner.Handle());
    if (mainAlive && VantaroMainForm) (VantaroMainForm->*member).Copies = dialog.Copies;
    return std::pair{chosen, dialog.Error()};
  };
  const auto [chosen, error] = setup ? run(&TVantaroMainForm::PrinterSetupDialog) : run(&TVantaroMainForm::PrintDialog);
  // The dialog ran the message loop: the owner may have gone meanwhile.
  if (!alive) return false;
  if (!chosen && error == PDERR_NODEFAULTPRN)
    ShowMessageBox(subject + L": there is no printer.", L"Vantaro", MB_OK | MB_ICONERROR);
  else if (!chosen && error != 0)
    ShowMessageBox(subject + L": the print dialog failed (error " + std::to_wstring(error) + L").", L"Vantaro",
                   MB_OK | MB_ICONERROR);
  return chosen;
}

bool TNoteForm::PrintNote() {
  if (!RunMainPrintDialog(*this, false, L"The note cannot be printed")) return false;
  if (!Wrapper) return false;
  const std::wstring title = Wrapper->Note->Title, created = DateTimeToStr(Wrapper->Note->Created);
  std::wstring text = NoteEdit->Text();
  return RunPrintJob(Printer(), L"Vantaro note", L"The note could not be printed:", [&](TPrinter& printer) {
    TCanvas& canvas = printer.Canvas();
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font.SetName(L"Arial");
    canvas.Font.SetSize(10);
    canvas.Font.SetStyle(0);
    canvas.Font.SetColor(clBlack);
    const int h = canvas.TextHeight(L"Ag");
    int y = 100;
    canvas.TextOut(100, y, std::wstring(L"Printed with Vantaro: ") + kWebSite);
    y += h + 10;
    canvas.TextOut(100, y, L"Note: " + title + L" Of: " + created);
    y += h + 10;
    canvas.TextOut(100, y, L"Note text: ");
    y += h + 10;
    // One page: what does not fit above its bottom edge is cut off.
    RECT r{100, y, printer.PageWidth() - 100, printer.PageHeight()};
    HFONT old = static_cast<HFONT>(SelectObject(printer.Handle(), canvas.Font.Handle()));
    SetBkMode(printer.Handle(), TRANSPARENT);
    DrawTextExW(printer.Handle(), text.data(), static_cast<int>(text.size()), &r, DT_WORDBREAK, nullptr);
    SelectObject(printer.Handle(), old);
  });
}

void TNoteForm::Customize() {
  if (!Wrapper) return;
  TLifeCheck alive = Watch();
  EditNotePropertiesEx(this, Wrapper, Left(), Top());
  // The dialog ran the message loop: the note may have been closed or deleted meanwhile, and
  // then it was saved (or its file removed) as it left this window; saving again would bring
  // a deleted note back.
  if (!alive || !Wrapper || Wrapper->Form != this) return;
  Wrapper->Save();
  if (!alive) return;  // a failed save told the user, in a message box
  RestartUpdateTimer();
}

void TNoteForm::DeleteNote() {
  auto* manager = Wrapper ? dynamic_cast<TNotesManager*>(Wrapper->Owner) : nullptr;
  if (!manager) return;
  TLifeCheck alive = Watch();
  const bool deleted = manager->DeleteNote(Wrapper, false);
  // The question ran the message loop.
  if (deleted && alive) Close();
}

void TNoteForm::EditMenuPopup(TComponent*) {
  TTextAttributes a = NoteEdit->SelAttributes();
  auto item = [this](const wchar_t* name) { return static_cast<TMenuItem*>(EditMenu->Items()->FindComponent(name)); };
  TMenuItem* style = StyleSub;
  auto check = [style](const wchar_t* name, bool on) {
    if (auto* i = static_cast<TMenuItem*>(style->FindComponent(name))) i->Checked = on;
  };
  check(L"Bold1", a.Style & FontStyle::Bold);
  check(L"Italic1", a.Style & FontStyle::Italic);
  check(L"Underline1", a.Style & FontStyle::Underline);
  check(L"Strikeout1", a.Style & FontStyle::StrikeOut);
  if (TMenuItem* paste = item(L"Paste1")) paste->Enabled = IsClipboardFormatAvailable(CF_TEXT) && !IsReadOnly();
}

void TNoteForm::CutUpdate(TComponent* sender) {
  if (auto* item = dynamic_cast<TMenuItem*>(sender))
    item->Enabled = !IsReadOnly();
  else if (auto* action = dynamic_cast<TAction*>(sender))
    action->SetEnabled(!IsReadOnly());
}

void TNoteForm::ToggleStyle(TFontStyles style) {
  TFontStyles s = NoteEdit->SelAttributes().Style;
  NoteEdit->SetSelStyle((s & style) ? (s & ~style) : (s | style));
}

void TNoteForm::NoteEditURLClick(TComponent*, const std::wstring& url, TMouseButton button) {
  if (button != TMouseButton::mbLeft) return;
  OpenURL(VantaroMainForm ? VantaroMainForm->Handle() : nullptr, url);
}

void TNoteForm::LinkButtonClick(TComponent*) {
  if (Wrapper) OpenLinkedFile(Wrapper->Note->LinkedFile);
}

void TNoteForm::FilesDropped(const std::vector<std::wstring>& files) {
  if (!Wrapper) return;
  if (!files.empty() && FileExists(files[0])) Wrapper->Note->LinkedFile = files[0];
  // The refresh loads the window from the note: what was typed or moved since the last
  // edit-pause copy must be in the note first, or the drop would undo it.
  Wrapper->UpdateFromForm();
  Wrapper->RefreshForm();
  RestartUpdateTimer();
}

LRESULT TNoteForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_QUERYENDSESSION: return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      EndSession(wp != FALSE);
      return 0;
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wp);
      std::vector<std::wstring> files;
      UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        UINT n = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(n + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), n + 1);
        name.resize(n);
        files.push_back(name);
      }
      DragFinish(drop);
      FilesDropped(files);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (drag_.hitTest) {
        // The button came up where this window did not see it.
        if (!(wp & drag_.button))
          EndButtonDrag();
        else
          FollowButtonDrag();
        return 0;
      }
      break;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (drag_.hitTest) {
        FollowButtonDrag();
        EndButtonDrag();
      }
      break;  // the control under the pointer still gets its mouse-up
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
      sizeMove_ = msg == WM_ENTERSIZEMOVE;
      break;
    case WM_CAPTURECHANGED:
      if (drag_.hitTest && reinterpret_cast<HWND>(lp) != HandleIfAllocated()) EndButtonDrag();
      break;
    case WM_SYSCOMMAND:
      // Its system menu is only there for the window manager's sake (see the constructor):
      // Alt and Alt+Space open nothing that would take the keys from the text.
      if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_CLOSE:
      // Closed some other way than the close button (system close, Alt+F4): the note is hidden
      // and saved just the same.
      if (!FormClosing && Wrapper && Wrapper->Form == this) {
        CloseNote();
        return 0;
      }
      break;
    default: break;
  }
  return TForm::WndProc(msg, wp, lp);
}
