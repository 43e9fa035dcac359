#include "shell/dlgShortcutEditor.h"

#include "language/VxMLSTDCTRLWrapper.h"
#include "shell/frmSplashForm.h"
#include "ui/Types.h"

TShortCutEditor::TShortCutEditor(TComponent* owner) : TForm(owner, L"TShortCutEditor") {
  SetName(L"ShortCutEditor");
  SetCaption(L"ShortCut ");
  BorderStyle = TFormBorderStyle::bsToolWindow;
  SetClientSize(257, 72);
  CenterOnScreen(*this);
  ModKey = Place(new TComboBox(this, L"ModKey", TComboBoxStyle::csDropDownList), this, 8, 8, 97, 21);
  KeyCode = Place(new TComboBox(this, L"KeyCode", TComboBoxStyle::csDropDownList), this, 112, 8, 137, 21);
  KeyCode->DropDownCount = 16;
  _ok = Place(new TButton(this, L"_ok"), this, 94, 40, 75, 25, L"OK");
  _ok->SetDefault(true);
  _ok->ModalResult = mrOk;
  _cancel = Place(new TButton(this, L"_cancel"), this, 174, 40, 75, 25, L"Cancel");
  _cancel->Cancel = true;
  _cancel->ModalResult = mrCancel;
  SetActiveControl(ModKey);
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TShortCutEditor::FormCreate(TComponent*) {
  ModKey->Items.Clear();
  ModKey->Items.Add(L"NONE");
  ModKey->Items.Add(L"WIN");
  KeyCode->Items.Clear();
  for (const char* name : VirtualKeyNames) KeyCode->Items.Add(AnsiToWide(name));
  if (!LanguageWrapper) {
    SetCaption(L"Edit ShortCut");
    return;
  }
  LanguageWrapper->SetSection(L"ShortCut_Edit");
  SetCaption(LanguageWrapper->GetString(L"_ShortCutEditor", L"Edit ShortCut"));
  LanguageWrapper->SetSection(kGenericSection);
  LanguageWrapper->TranslateButton(_ok);
  LanguageWrapper->TranslateButton(_cancel);
}

bool EditShortcut(TVx_Shortcut_data& data, TComponent* owner) {
  auto* editor = new TShortCutEditor(owner);
  // A modifier outside the list selects nothing, and a key outside the table selects "NONE".
  editor->ModKey->SetItemIndex(data.Modifier < editor->ModKey->Items.Count() ? data.Modifier : -1);
  editor->KeyCode->SetItemIndex(IndexOfVirtualKey(data.Key));
  TLifeCheck alive = editor->Watch();
  const TModalResult result = editor->ShowModal();
  // The editor went with its owner while it was open (a shut-down): so did data's holder.
  if (!alive || result != mrOk) return false;
  // Nothing chosen stores 255, which is shown but never registered.
  data.Modifier = static_cast<std::uint8_t>(editor->ModKey->ItemIndex());
  const int row = editor->KeyCode->ItemIndex();
  data.Key = row >= 0 ? VirtualKeyCodes[row] : 0;
  return true;
}
