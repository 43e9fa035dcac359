#include "notewindows/NoteConfUnit.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notes/NotePainters.h"
#include "notes/NoteWrapper.h"
#include "notes/VantaroMessages.h"
#include "shell/MainFormUnit.h"
#include "ui/Application.h"
#include "ui/Clock.h"

namespace {
// A panel holding a day and a time edit with their labels, on the auto-show and alarm pages.
TPanel* MomentPanel(TNoteConf* form, TTabSheet* page, const std::wstring& name, TLabel*& dayLabel,
                    const std::wstring& dayLabelName, TDateEdit*& date, const std::wstring& dateName,
                    TLabel*& timeLabel, const std::wstring& timeLabelName, TTimeEdit*& time,
                    const std::wstring& timeName) {
  auto* panel = Place(new TPanel(form, name), page, 8, 34, 297, 41);
  panel->SetBevelOuter(TBevelCut::bvLowered);
  dayLabel = Place(new TLabel(form, dayLabelName), panel, 8, 13, 32, 13, L"Day:");
  date = Place(new TDateEdit(form, dateName), panel, 44, 9, 110, 21);
  timeLabel = Place(new TLabel(form, timeLabelName), panel, 172, 13, 34, 13, L"Time:");
  time = Place(new TTimeEdit(form, timeName), panel, 210, 9, 45, 21);
  return panel;
}

// The dialogs running now, each with its note's wrapper, so that a wrapper that goes can end
// its dialog and tell it that the note is gone.
struct TRunningNoteConf {
  TNoteWrapper* Wrapper;
  TNoteConf* Dialog;
  TLifeCheck DialogAlive;
  bool WrapperGone = false;
};
std::vector<TRunningNoteConf*> g_running;

class TRunningRegistration {
 public:
  explicit TRunningRegistration(TRunningNoteConf* running) : running_(running) { g_running.push_back(running); }
  ~TRunningRegistration() { std::erase(g_running, running_); }

 private:
  TRunningNoteConf* running_;
};

// What the dialog held when it closed: read at once, before anything can run the message loop.
struct TNoteConfValues {
  TColor TitleColor, NoteColor, TitleFontColor;
  std::wstring Title, Group, LinkedFile;
  bool AutoShow, Alarm;
  TDateTime ShowAt, AlarmAt;
  bool AutoShowEdited, AlarmEdited;
};

TNoteConfValues ReadValues(const TNoteConf& d) {
  return TNoteConfValues{d.BColor->SelectionColor(), d.NColor->SelectionColor(), d.TBcolor->SelectionColor(),
                         d.Titleedit->Text(),        d.GroupBox->Text(),         d.LinkedFileEdit->FileName(),
                         d.AutoShowCB->Checked(),    d.AlarmCB->Checked(),       d.GetAutoShowDateTime(),
                         d.GetAlarmDateTime(),       d.AutoShowPage() != d.LoadedAutoShow,
                         d.AlarmPage() != d.LoadedAlarm};
}

void LoadValues(TNoteConf& d, TNoteWrapper& wrapper) {
  TNoteClass& note = *wrapper.Note;
  d.BColor->SetSelectionColor(note.TitleColor);
  d.NColor->SetSelectionColor(note.NoteColor);
  d.Titleedit->SetText(note.Title);
  d.TBcolor->SetSelectionColor(note.TitleFontColor);
  d.AutoShowCB->SetChecked(note.AutoShowPending == 1);
  d.SetAutoShowDateTime(note.ShowAt);
  d.AlarmCB->SetChecked(note.AlarmOn);
  d.SetAlarmDateTime(note.AlarmAt);
  d.GroupBox->Items.Clear();
  if (auto* manager = dynamic_cast<TNotesManager*>(wrapper.Owner)) {
    std::vector<std::wstring> groups;
    manager->GetGroups(groups);
    for (const std::wstring& g : groups) d.GroupBox->Items.Add(g);
  }
  d.GroupBox->SetText(note.Group);
  try {
    d.LinkedFileEdit->SetFileName(note.LinkedFile);
  } catch (const EInvalidFileName&) {
    // A name stored from a mistyped link: shown as it is, and kept unless the user changes it.
    d.LinkedFileEdit->SetText(note.LinkedFile);
  }
  d.LoadedAutoShow = d.AutoShowPage();
  d.LoadedAlarm = d.AlarmPage();
}

// Writes a confirmed dialog's values into the note, refusing moments that are already past.
// Stops when the note went while a warning was up.
void StoreValues(const TNoteConfValues& v, TRunningNoteConf& running) {
  auto note = [&] { return running.Wrapper->Note; };
  note()->TitleColor = v.TitleColor;
  note()->NoteColor = v.NoteColor;
  note()->TitleFontColor = v.TitleFontColor;
  note()->Title = v.Title;
  if (v.AutoShowEdited) {
    bool autoShow = v.AutoShow;
    if (autoShow) {
      if (Now() < v.ShowAt) {
        note()->ShowAt = v.ShowAt;
      } else {
        ShowTimeInPastWarning(2);
        // The warning box ran the message loop.
        if (running.WrapperGone) return;
        autoShow = false;
      }
    }
    note()->AutoShowPending = autoShow ? 1 : 0;
  }
  if (v.AlarmEdited) {
    bool alarm = v.Alarm;
    if (alarm) {
      if (!(Now() > v.AlarmAt)) {
        note()->AlarmAt = v.AlarmAt;
      } else {
        ShowTimeInPastWarning(1);
        if (running.WrapperGone) return;
        alarm = false;
      }
    }
    note()->AlarmOn = alarm;
  }
  note()->Group = v.Group;
  note()->LinkedFile = v.LinkedFile;
}

void PlaceDialog(TNoteConf& dialog, int x, int y) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int width = dialog.Width(), height = dialog.Height();
  const int left = x == -1 || x + 10 + width > screenWidth ? screenWidth - width : x + 10;
  const int top = y == -1 || y + 10 + height > screenHeight ? screenHeight - height : y + 10;
  dialog.SetBounds(left, top, width, height);
}

TDateTime MomentOf(const TDateEdit& date, const TTimeEdit& time) {
  try {
    const long seconds = std::lround(StrToTime(time.Text()) * 86400);
    // Put together as the clock puts its moments together, so that the minute the clock
    // reads is the same number, not one a rounding error away.
    SYSTEMTIME st;
    DateTimeToSystemTime(date.Date(), st);
    st.wHour = static_cast<WORD>(seconds / 3600);
    st.wMinute = static_cast<WORD>(seconds / 60 % 60);
    st.wSecond = static_cast<WORD>(seconds % 60);
    st.wMilliseconds = 0;
    return SystemTimeToDateTime(st);
  } catch (const std::exception&) {
    return Now();
  }
}
}  // namespace

std::wstring FormatHourMinute(TDateTime moment) {
  if (!IsCalendarDay(moment)) return EmptyTimeText();
  SYSTEMTIME st;
  DateTimeToSystemTime(moment, st);
  wchar_t text[32];
  swprintf(text, 32, L"%02u%ls%02u", st.wHour, TimeSeparator().c_str(), st.wMinute);
  return text;
}

std::wstring EmptyTimeText() { return L"00" + TimeSeparator() + L"00"; }

// ---------------------------------------------------------------- the dialog

TNoteConf::TNoteConf(TComponent* owner) : TForm(owner, L"TNoteConf") {
  SetName(L"NoteConf");
  SetCaption(L"Note Options");
  BorderStyle = TFormBorderStyle::bsToolWindow;
  // Stays above the notes, which may themselves stay on top.
  OnCreateParams = [](TCreateParams& p) { p.ExStyle |= WS_EX_TOPMOST; };
  SetClientSize(323, 200);

  PageControl1 = Place(new TPageControl(this, L"PageControl1"), this, 0, 0, 323, 167);
  ButtonPanel = Place(new TPanel(this, L"ButtonPanel"), this, 0, 167, 323, 33);
  ButtonPanel->SetBevelOuter(TBevelCut::bvNone);
  ButtonPanel->SetAlign(TAlign::alBottom);
  PageControl1->SetAlign(TAlign::alClient);
  // Left to right, in the order Tab walks them.
  _cancel = Place(new TButton(this, L"_cancel"), ButtonPanel, 160, 4, 75, 25, L"Cancel");
  _cancel->Cancel = true;
  _cancel->ModalResult = mrCancel;
  _ok = Place(new TButton(this, L"_ok"), ButtonPanel, 241, 4, 75, 25, L"OK");
  _ok->SetDefault(true);
  _ok->ModalResult = mrOk;

  General = new TTabSheet(PageControl1, L"General");
  General->SetCaption(L"General");
  Appearance = new TTabSheet(PageControl1, L"Appearance");
  Appearance->SetCaption(L"Appearance");
  AutoShow = new TTabSheet(PageControl1, L"AutoShow");
  AutoShow->SetCaption(L"Autoshow");
  Alarm = new TTabSheet(PageControl1, L"Alarm");
  Alarm->SetCaption(L"Alarm");

  _NoteTitle = Place(new TGroupBox(this, L"_NoteTitle"), General, 4, 0, 307, 44, L"Note Title");
  Titleedit = Place(new TEdit(this, L"Titleedit"), _NoteTitle, 8, 16, 291, 21);
  Titleedit->SetMaxLength(124);
  _NoteGroup = Place(new TGroupBox(this, L"_NoteGroup"), General, 4, 46, 307, 44, L"Note group");
  GroupBox = Place(new TComboBox(this, L"GroupBox"), _NoteGroup, 8, 16, 291, 21);
  _AttacchedFile = Place(new TGroupBox(this, L"_AttacchedFile"), General, 4, 92, 307, 44, L"Attached File");
  LinkedFileEdit = Place(new TFileNameEdit(this, L"LinkedFileEdit"), _AttacchedFile, 8, 16, 291, 21);

  _NoteLayout = Place(new TGroupBox(this, L"_NoteLayout"), Appearance, 4, 0, 307, 136, L"Note Layout");
  // The preview paints on a plain panel: a group box draws nothing for windowless controls.
  PreviewPanel = Place(new TPanel(this, L"PreviewPanel"), _NoteLayout, 8, 20, 121, 105);
  PreviewPanel->SetBevelOuter(TBevelCut::bvNone);
  PreviewBox = Place(new TPaintBox(this, L"PreviewBox"), PreviewPanel, 0, 0, 121, 105);
  TColorPickerButton** pickers[] = {&BColor, &NColor, &TBcolor};
  TLabel** labels[] = {&Label3, &Label4, &Label5};
  const wchar_t* pickerNames[] = {L"BColor", L"NColor", L"TBcolor"};
  const wchar_t* labelNames[] = {L"Label3", L"Label4", L"Label5"};
  const wchar_t* labelTexts[] = {L"Title Color", L"Note Color", L"Title Font"};
  for (int i = 0; i < 3; ++i) {
    *labels[i] = Place(new TLabel(this, labelNames[i]), _NoteLayout, 140, 26 + 36 * i, 68, 13, labelTexts[i]);
    (*labels[i])->Font().SetStyle(FontStyle::Bold);
    TColorPickerButton* p = Place(new TColorPickerButton(this, pickerNames[i]), _NoteLayout, 210, 21 + 36 * i, 89, 22);
    p->CustomText = L"Custom";
    p->DefaultText = L"Default";
    p->OnChange = [this](TComponent* s) { BColorChange(s); };
    p->OnClick = [this](TComponent* s) { BColorClick(s); };
    p->OnDefaultSelect = [this](TComponent* s) { BColorDefaultSelect(s); };
    *pickers[i] = p;
  }
  PreviewBox->OnPaint = [this](TComponent* s, TCanvas& c) { PreviewBoxPaint(s, c); };

  AutoShowCB = Place(new TCheckBox(this, L"AutoShowCB"), AutoShow, 8, 10, 200, 17, L"AutoShow After");
  AutoShowPanel = MomentPanel(this, AutoShow, L"AutoShowPanel", Label6, L"Label6", AutoShowDateEdit,
                              L"AutoShowDateEdit", Label7, L"Label7", AutoShowTimeEdit, L"AutoShowTimeEdit");
  AlarmCB = Place(new TCheckBox(this, L"AlarmCB"), Alarm, 8, 10, 200, 17, L"Alarm on");
  AlarmPanel = MomentPanel(this, Alarm, L"AlarmPanel", Label1, L"Label1", DayInfo, L"DayInfo", Label2, L"Label2",
                           TimeInfo, L"TimeInfo");
  AutoShowTimeEdit->OnExit = [this](TComponent* s) { AutoShowTimeEditExit(s); };
  TimeInfo->OnExit = [this](TComponent* s) { TimeInfoExit(s); };

  // The pages by keyboard: Ctrl+Tab and Ctrl+Shift+Tab, as in the system's property sheets.
  PageKeys = new TActionList(this, L"PageKeys");
  auto turn = [this](int step) {
    const auto& pages = PageControl1->Pages();
    auto it = std::find(pages.begin(), pages.end(), PageControl1->ActivePage());
    int n = static_cast<int>(pages.size()), i = it == pages.end() ? 0 : static_cast<int>(it - pages.begin());
    PageControl1->SetActivePage(pages[(i + step + n) % n]);
    // The keys go to the first control of the page shown.
    if (HWND first = GetNextDlgTabItem(PageControl1->ActivePage()->Handle(), nullptr, FALSE)) ::SetFocus(first);
  };
  PageKeys->Add(L"NextPage", L"", ShortCut(VK_TAB, scCtrl))->OnExecute = [turn](TComponent*) { turn(1); };
  PageKeys->Add(L"PreviousPage", L"", ShortCut(VK_TAB, scCtrl | scShift))->OnExecute = [turn](TComponent*) {
    turn(-1);
  };

  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TNoteConf::FormCreate(TComponent*) {
  PageControl1->SetActivePage(General);
  SetActiveControl(Titleedit);
  Translate();
}

void TNoteConf::Translate() {
  if (!LanguageWrapper) return;
  TVxMultiLanguageSTDWrp& lw = *LanguageWrapper;
  lw.SetSection(L"Vantaro_Note_Conf");
  SetCaption(lw.GetString(L"_title", Caption()));
  lw.TranslateTabSheet(General);
  lw.TranslateGroupBox(_NoteTitle);
  lw.TranslateGroupBox(_NoteGroup);
  lw.TranslateGroupBox(_AttacchedFile);
  lw.TranslateTabSheet(Appearance);
  lw.TranslateGroupBox(_NoteLayout);
  Label3->SetCaption(lw.GetString(L"_titlecolor", L"Title Color") + L":");
  Label4->SetCaption(lw.GetString(L"_notecolor", L"Note Color") + L":");
  Label5->SetCaption(lw.GetString(L"_titlefont", L"Title Font") + L":");
  // The auto-show page keeps its tab text: only its check box is translated.
  lw.TranslateTabSheet(Alarm);
  lw.TranslateCheckBox(AlarmCB);
  lw.TranslateCheckBox(AutoShowCB);
  Label1->SetCaption(lw.GetString(L"day", L"Day") + L":");
  Label2->SetCaption(lw.GetString(L"time", L"Time") + L":");
  Label6->SetCaption(Label1->Caption());
  Label7->SetCaption(Label2->Caption());
  lw.SetSection(kGenericSection);
  lw.TranslateButton(_ok);
  lw.TranslateButton(_cancel);
}

void TNoteConf::SetAutoShowDateTime(TDateTime moment) {
  AutoShowDateEdit->SetDate(std::trunc(moment));
  AutoShowTimeEdit->SetText(FormatHourMinute(moment));
}

void TNoteConf::SetAlarmDateTime(TDateTime moment) {
  DayInfo->SetDate(std::trunc(moment));
  TimeInfo->SetText(FormatHourMinute(moment));
}

TNoteConf::TMomentPage TNoteConf::AutoShowPage() const {
  return {AutoShowCB->Checked(), AutoShowDateEdit->Text(), AutoShowTimeEdit->Text()};
}
TNoteConf::TMomentPage TNoteConf::AlarmPage() const { return {AlarmCB->Checked(), DayInfo->Text(), TimeInfo->Text()}; }

TDateTime TNoteConf::GetAutoShowDateTime() const { return MomentOf(*AutoShowDateEdit, *AutoShowTimeEdit); }
TDateTime TNoteConf::GetAlarmDateTime() const { return MomentOf(*DayInfo, *TimeInfo); }

void TNoteConf::PreviewBoxPaint(TComponent*, TCanvas& canvas) {
  DrawDemoNote(canvas, PreviewBox->Width(), PreviewBox->Height(), BColor->SelectionColor(),
               TBcolor->SelectionColor(), NColor->SelectionColor(), nullptr, nullptr);
}

void TNoteConf::BColorChange(TComponent* sender) {
  auto* picker = static_cast<TColorPickerButton*>(sender);
  picker->SetCaption(picker->SelectionColor() == clNone ? L"Default" : L"");
  PreviewBox->Invalidate();
}

void TNoteConf::BColorClick(TComponent* sender) {
  auto* picker = static_cast<TColorPickerButton*>(sender);
  ColorDialog.Color = picker->SelectionColor();
  TLifeCheck alive = Watch();
  bool ok = ColorDialog.Execute(HandleIfAllocated());
  // The colour dialog ran the message loop: a session end may have ended this dialog.
  if (!alive) return;
  if (ok) picker->SetSelectionColor(ColorDialog.Color);
  PreviewBox->Invalidate();
}

void TNoteConf::BColorDefaultSelect(TComponent* sender) {
  static_cast<TColorPickerButton*>(sender)->SetSelectionColor(clNone);
}

namespace {
void CheckTimeText(TTimeEdit* edit, TCheckBox* box) {
  TDateTime t;
  if (TryStrToTime(edit->Text(), t)) return;
  // No message: the box goes off and the time reads empty.
  box->SetChecked(false);
  edit->SetText(EmptyTimeText());
}
}  // namespace

void TNoteConf::AutoShowTimeEditExit(TComponent*) { CheckTimeText(AutoShowTimeEdit, AutoShowCB); }
void TNoteConf::TimeInfoExit(TComponent*) { CheckTimeText(TimeInfo, AlarmCB); }

// ---------------------------------------------------------------- running it

void NotePropertiesWrapperGoing(TNoteWrapper* Wrapper) {
  for (TRunningNoteConf* r : g_running) {
    if (r->Wrapper != Wrapper) continue;
    r->WrapperGone = true;
    // Ended as cancelled; its modal loop returns once the message being handled has.
    if (r->DialogAlive) r->Dialog->ModalResult = mrCancel;
  }
}

void EditNotePropertiesEx(TForm* Owner, TNoteWrapper* Wrapper, int X, int Y) {
  if (!Wrapper) return;
  TComponent* owner = Owner ? static_cast<TComponent*>(Owner)
                      : VantaroMainForm ? static_cast<TComponent*>(VantaroMainForm)
                                        : static_cast<TComponent*>(Application);
  auto* dialog = new TNoteConf(owner);
  TRunningNoteConf running{Wrapper, dialog, dialog->Watch()};
  TRunningRegistration registration(&running);
  TUIDisabled held;
  std::exception_ptr error;
  try {
    PlaceDialog(*dialog, X, Y);
    // The window is filled again from the record once the dialog closes: what was typed or
    // moved since the last save goes into the record first, or it would be lost.
    Wrapper->UpdateFromForm();
    LoadValues(*dialog, *Wrapper);
    const TModalResult result = dialog->ShowModal();
    // The dialog ran the message loop: its note may be gone, and the dialog with its owner.
    if (result == mrOk && running.DialogAlive && !running.WrapperGone) StoreValues(ReadValues(*dialog), running);
    if (!running.WrapperGone) Wrapper->RefreshForm();
  } catch (...) {
    error = std::current_exception();
  }
  if (running.DialogAlive) dialog->Release();
  if (!running.WrapperGone) {
    try {
      Wrapper->Save();
    } catch (...) {
      if (!error) error = std::current_exception();
    }
    // Saving may have shown a message, during which the note may have gone.
    if (!running.WrapperGone) Wrapper->InvalidatePreview();
  }
  if (error) std::rethrow_exception(error);
}

void EditNoteProperties(TNoteWrapper* Wrapper, int X, int Y) { EditNotePropertiesEx(nullptr, Wrapper, X, Y); }
