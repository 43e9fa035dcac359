#include "ui/ListControls.h"

#include <algorithm>

// ---------------------------------------------------------------- TListItems

int TListItems::Add(const std::wstring& text) { return Insert(Count(), text); }

int TListItems::Insert(int index, const std::wstring& text) {
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, text);
  owner_->Inserted(index);
  return index;
}

void TListItems::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  owner_->Deleted(index);
}

void TListItems::Clear() {
  items_.clear();
  owner_->Cleared();
}

void TListItems::Assign(const std::vector<std::wstring>& items) {
  Clear();
  for (const std::wstring& s : items) Add(s);
}

int TListItems::IndexOf(const std::wstring& text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(items_[i], text)) return i;
  return -1;
}

// ---------------------------------------------------------------- TListControl

TListControl::TListControl(TComponent* owner, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                           const Messages& messages)
    : TStdControl(owner, windowClass, style, exStyle), messages_(messages) {
  SetColor(clWhite);
}

void TListControl::Inserted(int index) {
  if (HWND h = HandleIfAllocated())
    SendMessageW(h, messages_.Insert, index, reinterpret_cast<LPARAM>(Items[index].c_str()));
  else if (itemIndex_ >= index)
    ++itemIndex_;
}

void TListControl::Deleted(int index) {
  if (HWND h = HandleIfAllocated())
    SendMessageW(h, messages_.Delete, index, 0);
  else if (itemIndex_ == index)
    itemIndex_ = -1;
  else if (itemIndex_ > index)
    --itemIndex_;
}

void TListControl::Cleared() {
  itemIndex_ = -1;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, messages_.Reset, 0, 0);
}

int TListControl::ItemIndex() const {
  if (HWND h = HandleIfAllocated()) return static_cast<int>(SendMessageW(h, messages_.GetSel, 0, 0));
  return itemIndex_;
}

void TListControl::SetItemIndex(int index) {
  if (index < 0 || index >= Items.Count()) index = -1;
  itemIndex_ = index;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, messages_.SetSel, index, 0);
}

void TListControl::HandleCreated() {
  HWND h = HandleIfAllocated();
  for (int i = 0; i < Items.Count(); ++i)
    SendMessageW(h, messages_.Insert, i, reinterpret_cast<LPARAM>(Items[i].c_str()));
  if (itemIndex_ >= 0) SendMessageW(h, messages_.SetSel, itemIndex_, 0);
}

// ---------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TComponent* owner, const std::wstring& name, TComboBoxStyle style)
    : TListControl(owner, L"COMBOBOX",
                   WS_TABSTOP | WS_VSCROLL |
                       (style == TComboBoxStyle::csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL),
                   0, Messages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCURSEL, CB_SETCURSEL}),
      style_(style) {
  SetName(name);
  SetBounds(0, 0, 145, 21);
}

int TComboBox::DroppedHeight() const {
  // The window's height is that of the field and its dropped list together.
  return Height() + std::max(DropDownCount, 1) * 16 + 2;
}

void TComboBox::CreateParams(TCreateParams& params) {
  TListControl::CreateParams(params);
  params.Height = DroppedHeight();
}

void TComboBox::HandleCreated() {
  TListControl::HandleCreated();
  if (style_ == TComboBoxStyle::csDropDown && !caption_.empty()) SetWindowTextW(HandleIfAllocated(), caption_.c_str());
  // The field takes the height its font asks for; keep the object in step.
  RECT r;
  GetWindowRect(HandleIfAllocated(), &r);
  TControl::SetBounds(Left(), Top(), Width(), r.bottom - r.top);
}

void TComboBox::SetBounds(int left, int top, int width, int height) {
  TListControl::SetBounds(left, top, width, height);
  if (HWND h = HandleIfAllocated())
    SetWindowPos(h, nullptr, 0, 0, Width(), DroppedHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TComboBox::Text() const {
  if (style_ == TComboBoxStyle::csDropDownList && !HandleAllocated()) {
    int i = ItemIndex();
    return i >= 0 ? Items[i] : std::wstring();
  }
  return Caption();
}

void TComboBox::SetText(const std::wstring& text) {
  if (style_ == TComboBoxStyle::csDropDownList)
    SetItemIndex(Items.IndexOf(text));
  else
    SetCaption(text);
}

bool TComboBox::DroppedDown() const {
  HWND h = HandleIfAllocated();
  return h && SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0);
}

void TComboBox::SetDroppedDown(bool down) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, CB_SHOWDROPDOWN, down, 0);
}

bool TComboBox::Notify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg != WM_COMMAND) return false;
  switch (HIWORD(wp)) {
    case CBN_SELCHANGE: {
      // The field of an editable box shows the new entry only after this notification; the
      // handlers should read the entry just chosen.
      int i = ItemIndex();
      if (style_ == TComboBoxStyle::csDropDown && i >= 0 && Caption() != Items[i])
        SetWindowTextW(HandleIfAllocated(), Items[i].c_str());
      if (OnSelect) OnSelect(this);
      if (OnChange) OnChange(this);
      break;
    }
    case CBN_EDITCHANGE:
      if (OnChange) OnChange(this);
      break;
    default: return false;
  }
  result = 0;
  return true;
}

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* owner, const std::wstring& name)
    : TListControl(owner, L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                   Messages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCURSEL, LB_SETCURSEL}) {
  SetName(name);
  SetBounds(0, 0, 121, 97);
}

// A double click anywhere in the box arrives through the mouse as well; only one on an entry
// (the box's own notification) counts.
void TListBox::DblClick() {}

bool TListBox::Notify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg != WM_COMMAND) return false;
  switch (HIWORD(wp)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: TListControl::DblClick(); break;
    default: return false;
  }
  result = 0;
  return true;
}
