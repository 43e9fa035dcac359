#pragma once
// Actions: one command with its caption, hint, shortcut and state, shared by the menu items
// and buttons linked to it. An action list updates its actions when the program is idle and
// before a menu opens; shortcuts reach only the active window's actions.
#include <functional>
#include <string>
#include <vector>

#include "ui/Component.h"

class TControl;
class TMenuItem;
class TImageList;

// Virtual-key code in the low byte, modifiers in the high bits.
using TShortCut = unsigned short;
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(unsigned short key, TShortCut modifiers);
// The combinations of modifiers that shortcuts on one key use, as a set of eight bits: bit n
// stands for the modifiers (n << 13) (Shift 1, Ctrl 2, Alt 4).
inline unsigned ShortCutModifierSet(TShortCut shortCut) { return 1u << ((shortCut >> 13) & 7); }
// Of those sets, the ones in which a modifier (scCtrl, scShift or scAlt) is down, or is up.
inline unsigned ShortCutModifierSetsWith(TShortCut modifier, bool down) {
  unsigned with = 0;
  for (unsigned n = 0; n < 8; ++n)
    if ((((n << 13) & modifier) != 0) == down) with |= 1u << n;
  return with;
}
std::wstring ShortCutToText(TShortCut shortCut);

class TAction : public TComponent {
 public:
  explicit TAction(TComponent* owner, const std::wstring& name = {});
  ~TAction() override;

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut shortCut);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  std::function<void(TComponent* sender)> OnExecute;
  std::function<void(TComponent* sender)> OnUpdate;

  // Runs the execute handler when the action is enabled; returns whether one ran.
  bool Execute();
  void Update();

  // Clients follow the action's properties.
  void AddClient(TControl* control);
  void RemoveClient(TControl* control);
  void AddClient(TMenuItem* item);
  void RemoveClient(TMenuItem* item);

 private:
  void Changed();
  std::wstring caption_, hint_;
  TShortCut shortCut_ = scNone;
  int imageIndex_ = -1;
  bool checked_ = false, enabled_ = true, visible_ = true;
  std::vector<TControl*> controls_;
  std::vector<TMenuItem*> items_;
};

// Moves a client (a control or a menu item) from the action it follows to another one.
template <class Client>
void LinkAction(TAction*& slot, TAction* action, Client* client) {
  if (slot == action) return;
  if (slot) slot->RemoveClient(client);
  slot = action;
  if (slot) {
    slot->AddClient(client);
    client->ActionChanged();
  }
}

class TActionList : public TComponent {
 public:
  explicit TActionList(TComponent* owner, const std::wstring& name = {});
  TImageList* Images = nullptr;
  // Actions in the order they were added.
  const std::vector<TAction*>& Actions() const { return actions_; }
  TAction* Add(const std::wstring& name, const std::wstring& caption, TShortCut shortCut = scNone);
  // A suspended list neither updates its actions nor answers their shortcuts.
  bool Suspended = false;
  void UpdateActions();
  bool IsShortCut(TShortCut shortCut);
  // The modifier sets (ShortCutModifierSet) of the shortcuts on a key.
  unsigned ShortCutModifierSets(unsigned key) const;

 private:
  std::vector<TAction*> actions_;
};
