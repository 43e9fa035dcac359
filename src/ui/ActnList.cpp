#include "ui/ActnList.h"

#include <windows.h>

#include <algorithm>

#include "ui/Controls.h"
#include "ui/Menus.h"

TShortCut ShortCut(unsigned short key, TShortCut modifiers) { return static_cast<TShortCut>(key | modifiers); }

std::wstring ShortCutToText(TShortCut shortCut) {
  if (shortCut == scNone) return {};
  std::wstring s;
  if (shortCut & scShift) s += L"Shift+";
  if (shortCut & scCtrl) s += L"Ctrl+";
  if (shortCut & scAlt) s += L"Alt+";
  UINT vk = shortCut & 0xFF;
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return s + static_cast<wchar_t>(vk);
  if (vk >= VK_F1 && vk <= VK_F24) return s + L"F" + std::to_wstring(vk - VK_F1 + 1);
  switch (vk) {
    case VK_DELETE: return s + L"Del";
    case VK_INSERT: return s + L"Ins";
    case VK_RETURN: return s + L"Enter";
    case VK_ESCAPE: return s + L"Esc";
    case VK_SPACE: return s + L"Space";
    case VK_BACK: return s + L"BkSp";
    case VK_TAB: return s + L"Tab";
    default: break;
  }
  wchar_t name[64] = L"";
  GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16), name, 64);
  return s + name;
}

TAction::TAction(TComponent* owner, const std::wstring& name) : TComponent(owner) { SetName(name); }

TAction::~TAction() {
  for (TControl* c : std::vector<TControl*>(controls_)) c->SetAction(nullptr);
  for (TMenuItem* m : std::vector<TMenuItem*>(items_)) m->SetAction(nullptr);
}

void TAction::Changed() {
  for (TControl* c : controls_) c->ActionChanged();
  for (TMenuItem* m : items_) m->ActionChanged();
}

void TAction::SetCaption(const std::wstring& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Changed();
}
void TAction::SetHint(const std::wstring& hint) {
  if (hint_ == hint) return;
  hint_ = hint;
  Changed();
}
void TAction::SetShortCut(TShortCut shortCut) {
  if (shortCut_ == shortCut) return;
  shortCut_ = shortCut;
  Changed();
}
void TAction::SetImageIndex(int index) {
  if (imageIndex_ == index) return;
  imageIndex_ = index;
  Changed();
}
void TAction::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Changed();
}
void TAction::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}
void TAction::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed();
}

bool TAction::Execute() {
  Update();
  if (!enabled_ || !OnExecute) return false;
  OnExecute(this);
  return true;
}

void TAction::Update() {
  if (OnUpdate) OnUpdate(this);
}

void TAction::AddClient(TControl* control) { controls_.push_back(control); }
void TAction::RemoveClient(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}
void TAction::AddClient(TMenuItem* item) { items_.push_back(item); }
void TAction::RemoveClient(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
}

TActionList::TActionList(TComponent* owner, const std::wstring& name) : TComponent(owner) { SetName(name); }

TAction* TActionList::Add(const std::wstring& name, const std::wstring& caption, TShortCut shortCut) {
  auto* a = new TAction(this, name);
  a->SetCaption(caption);
  a->SetShortCut(shortCut);
  actions_.push_back(a);
  return a;
}

void TActionList::UpdateActions() {
  if (Suspended) return;
  for (TAction* a : actions_) a->Update();
}

unsigned TActionList::ShortCutModifierSets(unsigned key) const {
  unsigned sets = 0;
  if (Suspended) return sets;
  for (const TAction* a : actions_)
    if (a->ShortCut() != scNone && (a->ShortCut() & 0xFF) == key) sets |= ShortCutModifierSet(a->ShortCut());
  return sets;
}

bool TActionList::IsShortCut(TShortCut shortCut) {
  if (Suspended) return false;
  for (TAction* a : actions_)
    if (a->ShortCut() == shortCut && a->Visible()) {
      a->Update();
      if (a->Enabled()) {
        a->Execute();
        return true;
      }
    }
  return false;
}
