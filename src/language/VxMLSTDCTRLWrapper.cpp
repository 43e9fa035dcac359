#include "language/VxMLSTDCTRLWrapper.h"

#include "ui/ActnList.h"
#include "ui/Controls.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

TVxMultiLanguageSTDWrp* LanguageWrapper = nullptr;

TVxMultiLanguageSTDWrp::TVxMultiLanguageSTDWrp(TVxMultiLanguage* engine) : FEngine(engine) {
  if (!FEngine) throw ELanguageError(L"Invalid Engine");
}

void TVxMultiLanguageSTDWrp::SetSection(const std::wstring& name) { FEngine->SetSection(name); }

std::wstring TVxMultiLanguageSTDWrp::GetString(const std::wstring& key, const std::wstring& defaultText) {
  return FEngine->GetString(key, defaultText);
}

bool TVxMultiLanguageSTDWrp::WantsHint(const std::wstring& name, const std::wstring& hint, bool showHint) const {
  return !hint.empty() || showHint || FEngine->KeyExists(name + kHintKeySuffix);
}

// A component without a name has no key: looking it up would read (and in translator mode
// write) an entry with an empty key name, so such a component keeps its texts.
void TVxMultiLanguageSTDWrp::TranslateControl(TControl* control, bool withHint) {
  if (!control || control->Name().empty()) return;
  const std::wstring& name = control->Name();
  control->SetCaption(GetString(name, control->Caption()));
  if (withHint && WantsHint(name, control->Hint(), control->ShowHint()))
    control->SetHint(GetString(name + kHintKeySuffix, control->Hint()));
}

void TVxMultiLanguageSTDWrp::TranslateCheckBox(TCheckBox* control) { TranslateControl(control, true); }
void TVxMultiLanguageSTDWrp::TranslateTabSheet(TTabSheet* control) { TranslateControl(control, true); }
void TVxMultiLanguageSTDWrp::TranslateButton(TButton* control) { TranslateControl(control, true); }
void TVxMultiLanguageSTDWrp::TranslateGroupBox(TGroupBox* control) { TranslateControl(control, false); }
void TVxMultiLanguageSTDWrp::TranslateLabel(TLabel* control) { TranslateControl(control, false); }

void TVxMultiLanguageSTDWrp::TranslateAction(TAction* action) {
  if (!action || action->Name().empty()) return;
  const std::wstring& name = action->Name();
  action->SetCaption(GetString(name, action->Caption()));
  if (WantsHint(name, action->Hint(), false)) action->SetHint(GetString(name + kHintKeySuffix, action->Hint()));
}

void TVxMultiLanguageSTDWrp::TranslateMenuItem(TMenuItem* item) {
  if (!item || item->Name().empty()) return;
  const std::wstring& name = item->Name();
  item->Caption = GetString(name, item->Caption);
  if (WantsHint(name, item->Hint, false)) item->Hint = GetString(name + kHintKeySuffix, item->Hint);
}

void TVxMultiLanguageSTDWrp::TranslateActionList(TActionList* list) {
  if (!list) return;
  for (TAction* action : list->Actions()) TranslateAction(action);
}
