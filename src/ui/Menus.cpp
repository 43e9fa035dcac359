#include "ui/Menus.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Graphics.h"
#include "ui/MessageBox.h"

TPopupMenu* TPopupMenu::current_ = nullptr;

TMenuItem::TMenuItem(TComponent* owner, const std::wstring& name) : TComponent(owner) { SetName(name); }

TMenuItem::~TMenuItem() {
  SetAction(nullptr);
  if (parent_) parent_->items_.erase(std::remove(parent_->items_.begin(), parent_->items_.end(), this),
                                     parent_->items_.end());
  for (TMenuItem* i : items_) i->parent_ = nullptr;
}

void TMenuItem::SetAction(TAction* action) { LinkAction(action_, action, this); }

void TMenuItem::ActionChanged() {
  if (!action_) return;
  Caption = action_->Caption();
  Hint = action_->Hint();
  ShortCut = action_->ShortCut();
  Checked = action_->Checked();
  Enabled = action_->Enabled();
  Visible = action_->Visible();
  ImageIndex = action_->ImageIndex();
}

TMenuItem* TMenuItem::Add(const std::wstring& caption, const std::wstring& name) {
  auto* item = new TMenuItem(this, name);
  item->Caption = caption;
  Add(item);
  return item;
}

TMenuItem* TMenuItem::AddSeparator() { return Add(L"-"); }

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  item->parent_ = this;
  items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TMenuItem::Click() {
  if (!Enabled) return;
  if (OnClick)
    OnClick(this);
  else if (action_)
    action_->Execute();
}

TPopupMenu::TPopupMenu(TComponent* owner, const std::wstring& name)
    : TComponent(owner), items_(new TMenuItem(this, L"Items")) {
  SetName(name);
}

TPopupMenu::~TPopupMenu() {
  if (current_ == this) current_ = nullptr;
}

void TPopupMenu::UpdateItems(TMenuItem* root) {
  for (TMenuItem* i : root->Items()) {
    if (i->Action()) {
      i->Action()->Update();
      i->ActionChanged();
    }
    UpdateItems(i);
  }
}

HBITMAP MenuImageBitmap(TImageList* images, int index) {
  if (!images || index < 0 || index >= images->Count()) return nullptr;
  int w = images->Width(), h = images->Height();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!bmp) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  ImageList_Draw(images->Handle(), index, dc, 0, 0, ILD_TRANSPARENT);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}

void AppendMenuItem(HMENU menu, TMenuItem* item, UINT id, HMENU subMenu, HBITMAP bitmap) {
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  if (item->IsLine()) {
    mi.fMask = MIIM_FTYPE;
    mi.fType = MFT_SEPARATOR;
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
    return;
  }
  std::wstring text = item->Caption;
  if (item->ShortCut != scNone) text += L"\t" + ShortCutToText(item->ShortCut);
  mi.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_DATA;
  mi.wID = id;
  mi.dwItemData = reinterpret_cast<ULONG_PTR>(item);
  mi.fType = (item->RadioItem ? MFT_RADIOCHECK : 0) | (item->OwnerDraw ? MFT_OWNERDRAW : 0);
  mi.fState = (item->Checked ? MFS_CHECKED : 0) | (item->Enabled ? 0 : MFS_DISABLED) | (item->Default ? MFS_DEFAULT : 0);
  mi.dwTypeData = text.data();
  if (subMenu) {
    mi.fMask |= MIIM_SUBMENU;
    mi.hSubMenu = subMenu;
  }
  if (bitmap) {
    mi.fMask |= MIIM_BITMAP;
    mi.hbmpItem = bitmap;
  }
  InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
}

HMENU TPopupMenu::Build(TMenuItem* root) {
  HMENU menu = CreatePopupMenu();
  for (TMenuItem* i : root->Items()) {
    if (!i->Visible) continue;
    if (i->IsLine()) {
      AppendMenuItem(menu, i, 0, nullptr, nullptr);
      continue;
    }
    byId_.push_back(i);
    UINT id = static_cast<UINT>(byId_.size());
    HMENU sub = i->Items().empty() ? nullptr : Build(i);
    HBITMAP bmp = MenuImageBitmap(Images, i->ImageIndex);
    if (bmp) bitmaps_.push_back(bmp);
    AppendMenuItem(menu, i, id, sub, bmp);
  }
  return menu;
}

HWND TPopupMenu::OwnerWindow() const {
  // The window the menu is opened for keeps the activation (and so its focus and opacity).
  HWND h = nullptr;
  if (auto* c = dynamic_cast<TControl*>(PopupComponent)) {
    auto* w = dynamic_cast<TWinControl*>(c);
    h = w && w->HandleAllocated() ? w->HandleIfAllocated() : c->ParentHandle();
  }
  if (!h)
    if (auto* w = dynamic_cast<TWinControl*>(Owner()); w && w->HandleAllocated()) h = w->HandleIfAllocated();
  if (h) h = GetAncestor(h, GA_ROOT);
  if (h && IsWindowVisible(h)) return h;
  h = GetActiveWindow();
  if (h && TWinControl::FromHandle(h)) return h;
  // Nothing of ours is up (the tray's menu): the hidden application window owns it.
  return Application->Handle();
}

void TPopupMenu::Popup(int x, int y) {
  // While the program ends a menu would only wait for a click nobody makes.
  if (!Application || Ending()) return;
  TLifeCheck alive = Watch();
  UpdateItems(items_);
  if (OnPopup) OnPopup(this);
  if (!alive) return;
  byId_.clear();
  hmenu_ = Build(items_);
  TPopupMenu* outer = current_;
  current_ = this;
  HWND owner = OwnerWindow();
  // The owner must be the foreground window, or the menu does not close when the user clicks
  // elsewhere; a window that already is keeps its activation untouched.
  if (GetForegroundWindow() != owner) SetForegroundWindow(owner);
  HMENU menu = hmenu_;
  std::vector<HBITMAP> bitmaps;
  bitmaps.swap(bitmaps_);
  std::vector<TMenuItem*> items;
  items.swap(byId_);
  UINT id = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  for (HBITMAP b : bitmaps) DeleteObject(b);
  // The menu's loop ran the program's messages: the menu and its items may be gone.
  if (!alive) return;
  current_ = outer;
  hmenu_ = nullptr;
  if (id >= 1 && id <= items.size()) items[id - 1]->Click();
}

bool TPopupMenu::HandleMenuMessage(UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_MEASUREITEM) {
    auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    if (m->CtlType != ODT_MENU) return false;
    auto* item = reinterpret_cast<TMenuItem*>(m->itemData);
    if (!item) return false;
    int w = 120, h = GetSystemMetrics(SM_CYMENU);
    if (item->OnMeasureItem) item->OnMeasureItem(item, w, h);
    m->itemWidth = w;
    m->itemHeight = h;
    return true;
  }
  if (msg == WM_DRAWITEM) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    if (d->CtlType != ODT_MENU) return false;
    auto* item = reinterpret_cast<TMenuItem*>(d->itemData);
    if (!item) return false;
    TCanvas canvas(d->hDC);
    bool selected = (d->itemState & ODS_SELECTED) != 0;
    if (item->OnDrawItem) {
      item->OnDrawItem(item, canvas, d->rcItem, selected);
    } else {
      FillRect(d->hDC, &d->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
      RECT r = d->rcItem;
      r.left += 4;
      SetBkMode(d->hDC, TRANSPARENT);
      DrawTextW(d->hDC, item->Caption.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER);
    }
    return true;
  }
  return false;
}
