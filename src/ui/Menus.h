#pragma once
// Pop-up menus. The native menu is built when the menu opens, from items that may follow an
// action; the chosen item is clicked after the menu has closed.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/ActnList.h"
#include "ui/Component.h"

class TImageList;
class TCanvas;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner, const std::wstring& name = {});
  ~TMenuItem() override;

  std::wstring Caption;  // "-" makes a separator
  std::wstring Hint;
  TShortCut ShortCut = scNone;
  bool Checked = false;
  bool RadioItem = false;
  bool Enabled = true;
  bool Visible = true;
  bool Default = false;
  int ImageIndex = -1;
  bool OwnerDraw = false;
  std::function<void(TMenuItem* item, int& width, int& height)> OnMeasureItem;
  std::function<void(TMenuItem* item, TCanvas& canvas, const RECT& rect, bool selected)> OnDrawItem;
  std::function<void(TComponent* sender)> OnClick;

  TAction* Action() const { return action_; }
  void SetAction(TAction* action);
  void ActionChanged();

  // Sub-items; the item owns them.
  TMenuItem* Add(const std::wstring& caption, const std::wstring& name = {});
  TMenuItem* AddSeparator();
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();
  const std::vector<TMenuItem*>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Parent() const { return parent_; }
  bool IsLine() const { return Caption == L"-"; }

  void Click();

 private:
  friend class TPopupMenu;
  TAction* action_ = nullptr;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
};

// Shared by the pop-up menus and the menu bar.
// A 32-bit premultiplied bitmap of one image-list image for an item's icon, or null; the
// caller deletes it once the menu is gone.
HBITMAP MenuImageBitmap(TImageList* images, int index);
// Appends the item (a separator, or its caption, shortcut, marks and state) to a native menu.
void AppendMenuItem(HMENU menu, TMenuItem* item, UINT id, HMENU subMenu, HBITMAP bitmap);

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner, const std::wstring& name = {});
  ~TPopupMenu() override;

  TMenuItem* Items() { return items_; }
  TImageList* Images = nullptr;
  TComponent* PopupComponent = nullptr;
  std::function<void(TComponent* sender)> OnPopup;

  // Opens at a screen point and returns after the menu has closed (and the chosen item ran).
  void Popup(int x, int y);

  // Tests: the menu that is open now, and a way to close it.
  static TPopupMenu* Current() { return current_; }
  HMENU CurrentHandle() const { return hmenu_; }

  // WM_MEASUREITEM / WM_DRAWITEM of an open menu's owner-drawn items.
  static bool HandleMenuMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  HMENU Build(TMenuItem* root);
  HWND OwnerWindow() const;
  void UpdateItems(TMenuItem* root);
  TMenuItem* items_;
  HMENU hmenu_ = nullptr;
  std::vector<TMenuItem*> byId_;
  std::vector<HBITMAP> bitmaps_;
  static TPopupMenu* current_;
};
