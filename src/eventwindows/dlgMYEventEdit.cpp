#include "eventwindows/dlgMYEventEdit.h"

#include <memory>

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "ui/Application.h"

TMyEventEdit::TMyEventEdit(TComponent* owner) : TForm(owner, L"TMyEventEdit") {
  SetName(L"MyEventEdit");
  SetCaption(L"Edit event properties");
  BorderStyle = TFormBorderStyle::bsDialog;
  OnCreateParams = [](TCreateParams& p) { p.Style &= ~WS_SYSMENU; };
  Font().SetName(L"MS Shell Dlg 2");
  Font().SetSize(8);
  SetClientSize(378, 85);
  _description = new TLabel(this, L"_description");
  EventText = new TEdit(this, L"EventText");
  _date = new TLabel(this, L"_date");
  EventDate = new TDateEdit(this, L"EventDate");
  _ok = new TButton(this, L"_ok");
  _cancel = new TButton(this, L"_cancel");
  // In tab order; each label comes right before its field, so that its access key focuses it.
  const struct {
    TWinControl* Control;
    RECT Bounds;  // left, top, width, height
    const wchar_t* Caption;
  } layout[] = {
      {_description, {8, 8, 60, 13}, L"&Description:"}, {EventText, {72, 5, 297, 21}, nullptr},
      {_date, {8, 40, 60, 13}, L"Da&te:"},              {EventDate, {72, 32, 121, 21}, nullptr},
      {_ok, {216, 56, 75, 25}, L"OK"},                  {_cancel, {296, 56, 75, 25}, L"Cancel"},
  };
  for (const auto& row : layout) {
    row.Control->SetParent(this);
    row.Control->SetBounds(row.Bounds.left, row.Bounds.top, row.Bounds.right, row.Bounds.bottom);
    if (row.Caption) row.Control->SetCaption(row.Caption);
  }
  // The description has no length limit.
  EventText->SetMaxLength(0);
  LayOutLabels();
  _ok->SetDefault(true);
  _ok->ModalResult = mrOk;
  _cancel->Cancel = true;
  _cancel->ModalResult = mrCancel;
  SetActiveControl(EventText);
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TMyEventEdit::FormCreate(TComponent*) {
  Translate();
  SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
            Height());
}

void TMyEventEdit::Translate() {
  if (!LanguageWrapper) return;
  TVxMultiLanguageSTDWrp& lw = *LanguageWrapper;
  lw.SetSection(L"Vantaro_EventEdit");
  SetCaption(lw.GetString(L"_event_edit_title", Caption()));
  lw.TranslateLabel(_description);
  lw.TranslateLabel(_date);
  lw.SetSection(kGenericSection);
  lw.TranslateButton(_ok);
  lw.TranslateButton(_cancel);
  LayOutLabels();
}

void TMyEventEdit::LayOutLabels() {
  // The fields move right as far as the longer label needs; the description keeps its right end.
  LayOutLabelColumn({{_description, EventText}, {_date, EventDate}}, 72, 4, 369, 80);
}

bool RunEventEditDialog(std::wstring& text, TDateTime& date) {
  if (!Application) return false;
  // Hot keys and the tray's double-click wait while the dialog runs.
  TUIDisabled held;
  auto* dialog = new TMyEventEdit(Application);
  TLifeCheck alive = dialog->Watch();
  dialog->EventText->SetText(text);
  dialog->EventDate->SetDate(date);
  const TModalResult result = dialog->ShowModal();
  // A session end frees the dialog with the application's windows: nothing of it is read then.
  if (!alive) return false;
  const bool confirmed = result == mrOk && !Closing;
  if (confirmed) {
    text = dialog->EventText->Text();
    date = dialog->EventDate->Date();
  }
  delete dialog;
  return confirmed;
}
