#pragma once
// The menu bar of a form. Its items are menu items as the pop-up menus have them; each
// drop-down menu is built again when it opens, after the actions of its items have updated
// themselves, so that items follow their actions. A chosen item runs its click.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Menus.h"

class TForm;

class TMainMenu : public TComponent {
 public:
  explicit TMainMenu(TComponent* owner, const std::wstring& name = {});
  ~TMainMenu() override;

  // The top-level items are the bar's entries; their sub-items drop down.
  TMenuItem* Items() { return items_; }
  TImageList* Images = nullptr;

  // Shows the bar on the form's window and takes its menu messages, in front of the form's
  // own OnMessage handler (which keeps working). One form at a time.
  void Attach(TForm* form);
  void Detach();
  TForm* Form() const { return form_; }
  HMENU Handle() const { return bar_; }

  // Builds the bar again: call it after adding, removing or renaming top-level items.
  void Rebuild();

  // The item behind a command id of the bar, if it is still one of ours.
  TMenuItem* FindItem(UINT id) const;

 private:
  friend class TMainMenuAccess;
  struct Entry {
    TMenuItem* Item;
    HBITMAP Bitmap;
  };
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void Fill(HMENU menu, TMenuItem* parent);
  void Empty(HMENU menu);
  bool Contains(const TMenuItem* parent, const TMenuItem* item) const;
  UINT NextId();
  static void UpdateActions(TMenuItem* parent);

  TMenuItem* items_;
  TForm* form_ = nullptr;
  HMENU bar_ = nullptr;
  std::map<UINT, Entry> commands_;
  std::map<HMENU, TMenuItem*> dropDowns_;
  UINT nextId_ = 0;
  // What the bar shows of its entries, to build it again only when that changed.
  std::vector<std::wstring> barLook_;
  // Shared with the hook in the form's OnMessage, which outlives us when another handler
  // wrapped it; null once we are gone.
  std::shared_ptr<TMainMenu*> self_;
};
