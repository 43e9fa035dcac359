#include "ui/MainMenu.h"

#include "ui/Forms.h"

namespace {
// Command ids of menu bars: above the child-control ids, so that the reflection of WM_COMMAND
// by id never mistakes one for the other.
constexpr UINT kFirstMenuId = 0xC000, kLastMenuId = 0xFFFF;

// The hook in the form's OnMessage; it can be recognised there, to be taken out again.
struct TMenuHook {
  std::shared_ptr<TMainMenu*> Menu;
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> Previous;
  bool operator()(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const;
};

std::wstring LookOf(const TMenuItem* item) {
  return item->Caption + (item->Enabled ? L"|e" : L"|d") + (item->Visible ? L"|v" : L"|h");
}
}  // namespace

class TMainMenuAccess {
 public:
  static bool Handle(TMainMenu* menu, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return menu->HandleMessage(msg, wp, lp, result);
  }
};

bool TMenuHook::operator()(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const {
  if (TMainMenu* menu = *Menu; menu && TMainMenuAccess::Handle(menu, msg, wp, lp, result)) return true;
  return Previous && Previous(msg, wp, lp, result);
}

TMainMenu::TMainMenu(TComponent* owner, const std::wstring& name)
    : TComponent(owner), items_(new TMenuItem(this, L"Items")), nextId_(kFirstMenuId) {
  SetName(name);
}

TMainMenu::~TMainMenu() { Detach(); }

UINT TMainMenu::NextId() {
  for (;;) {
    UINT id = nextId_;
    nextId_ = nextId_ >= kLastMenuId ? kFirstMenuId : nextId_ + 1;
    if (!commands_.count(id)) return id;
  }
}

void TMainMenu::Attach(TForm* form) {
  if (form_ == form) return;
  Detach();
  if (!form) return;
  form_ = form;
  self_ = std::make_shared<TMainMenu*>(this);
  form->OnMessage = TMenuHook{self_, form->OnMessage};
  bar_ = CreateMenu();
  Rebuild();
  SetMenu(form->Handle(), bar_);
}

void TMainMenu::Detach() {
  if (!form_) return;
  if (self_) *self_ = nullptr;
  // Taken out when ours is still the outermost hook; a handler set over it keeps calling it,
  // and it now passes everything on.
  if (auto* hook = form_->OnMessage.target<TMenuHook>(); hook && hook->Menu == self_)
    form_->OnMessage = hook->Previous;
  self_.reset();
  if (HWND h = form_->HandleIfAllocated(); h && GetMenu(h) == bar_) SetMenu(h, nullptr);
  Empty(bar_);
  DestroyMenu(bar_);
  bar_ = nullptr;
  form_ = nullptr;
}

void TMainMenu::Rebuild() {
  if (!bar_) return;
  Fill(bar_, items_);
  barLook_.clear();
  for (TMenuItem* i : items_->Items()) barLook_.push_back(LookOf(i));
  if (form_ && form_->HandleIfAllocated()) DrawMenuBar(form_->HandleIfAllocated());
}

void TMainMenu::Empty(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) {
    if (HMENU sub = GetSubMenu(menu, 0)) {
      Empty(sub);
      dropDowns_.erase(sub);
    } else if (auto it = commands_.find(GetMenuItemID(menu, 0)); it != commands_.end()) {
      if (it->second.Bitmap) DeleteObject(it->second.Bitmap);
      commands_.erase(it);
    }
    DeleteMenu(menu, 0, MF_BYPOSITION);
  }
}

void TMainMenu::Fill(HMENU menu, TMenuItem* parent) {
  Empty(menu);
  for (TMenuItem* i : parent->Items()) {
    if (!i->Visible) continue;
    HMENU sub = nullptr;
    UINT id = 0;
    HBITMAP bitmap = nullptr;
    if (!i->Items().empty()) {
      sub = CreatePopupMenu();
      dropDowns_[sub] = i;
      Fill(sub, i);
    } else if (!i->IsLine()) {
      id = NextId();
      // The bar's own entries show no image.
      if (parent != items_) bitmap = MenuImageBitmap(Images, i->ImageIndex);
      commands_[id] = Entry{i, bitmap};
    }
    AppendMenuItem(menu, i, id, sub, bitmap);
  }
}

void TMainMenu::UpdateActions(TMenuItem* parent) {
  for (TMenuItem* i : parent->Items())
    if (i->Action()) {
      i->Action()->Update();
      i->ActionChanged();
    }
}

bool TMainMenu::Contains(const TMenuItem* parent, const TMenuItem* item) const {
  for (const TMenuItem* i : parent->Items())
    if (i == item || Contains(i, item)) return true;
  return false;
}

TMenuItem* TMainMenu::FindItem(UINT id) const {
  auto it = commands_.find(id);
  // An item freed since the menu was built is no longer among ours; it is not touched.
  return it != commands_.end() && Contains(items_, it->second.Item) ? it->second.Item : nullptr;
}

bool TMainMenu::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (lp == 0 && HIWORD(wp) == 0) {
        if (TMenuItem* item = FindItem(LOWORD(wp))) {
          item->Click();
          result = 0;
          return true;
        }
      }
      break;
    case WM_INITMENU: {
      if (reinterpret_cast<HMENU>(wp) != bar_) break;
      UpdateActions(items_);
      std::vector<std::wstring> look;
      for (TMenuItem* i : items_->Items()) look.push_back(LookOf(i));
      if (look != barLook_) Rebuild();
      break;
    }
    case WM_INITMENUPOPUP:
      if (auto it = dropDowns_.find(reinterpret_cast<HMENU>(wp)); it != dropDowns_.end()) {
        TMenuItem* item = it->second;
        if (!Contains(items_, item)) break;
        UpdateActions(item);
        Fill(it->first, item);
        result = 0;
        return true;
      }
      break;
    default: break;
  }
  return false;
}
