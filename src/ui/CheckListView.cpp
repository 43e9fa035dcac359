#include "ui/CheckListView.h"

#include <commctrl.h>

TCheckListView::TCheckListView(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
                  WS_EX_CLIENTEDGE) {
  SetName(name);
  SetBounds(0, 0, 250, 150);
  SetColor(clWhite);
}

void TCheckListView::HandleCreated() {
  HWND h = HandleIfAllocated();
  DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  if (smallImages_ && smallImages_->Handle())
    SendMessageW(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
}

int TCheckListView::AddColumn(const std::wstring& caption, int width) {
  std::wstring text = caption;
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = text.data();
  col.cx = width < 0 ? 50 : width;
  int n = ColumnCount();
  col.iSubItem = n;
  int index = static_cast<int>(SendMessageW(View(), LVM_INSERTCOLUMNW, n, reinterpret_cast<LPARAM>(&col)));
  if (width < 0) SetColumnWidth(index, width);
  return index;
}

void TCheckListView::SetColumnWidth(int column, int width) {
  SendMessageW(View(), LVM_SETCOLUMNWIDTH, column, width < 0 ? LVSCW_AUTOSIZE_USEHEADER : width);
}

int TCheckListView::ColumnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessageW(View(), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int TCheckListView::AddItem(const std::wstring& caption, LPARAM data, int imageIndex) {
  std::wstring text = caption;
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = ItemCount();
  item.pszText = text.data();
  item.lParam = data;
  item.iImage = imageIndex;
  ++settingCheck_;  // the new row's box appears unchecked
  int index = static_cast<int>(SendMessageW(View(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  --settingCheck_;
  return index;
}

void TCheckListView::SetSubItem(int index, int column, const std::wstring& text) {
  std::wstring copy = text;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = copy.data();
  SendMessageW(View(), LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
}

std::wstring TCheckListView::ItemText(int index, int column) const {
  std::wstring buffer(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  int n = static_cast<int>(SendMessageW(View(), LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item)));
  buffer.resize(std::max(n, 0));
  return buffer;
}

LPARAM TCheckListView::ItemData(int index) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  return SendMessageW(View(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

int TCheckListView::ItemImage(int index) const {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  return SendMessageW(View(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
}

void TCheckListView::SetItemImage(int index, int imageIndex) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  item.iImage = imageIndex;
  SendMessageW(View(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TCheckListView::FindData(LPARAM data) const {
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = data;
  return static_cast<int>(SendMessageW(View(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int TCheckListView::ItemCount() const { return static_cast<int>(SendMessageW(View(), LVM_GETITEMCOUNT, 0, 0)); }

void TCheckListView::DeleteItem(int index) { SendMessageW(View(), LVM_DELETEITEM, index, 0); }

void TCheckListView::Clear() { SendMessageW(View(), LVM_DELETEALLITEMS, 0, 0); }

bool TCheckListView::Checked(int index) const {
  // The state image: 1 unchecked, 2 checked.
  UINT state = static_cast<UINT>(SendMessageW(View(), LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void TCheckListView::SetChecked(int index, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  ++settingCheck_;
  SendMessageW(View(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
  --settingCheck_;
}

int TCheckListView::ItemIndex() const {
  return static_cast<int>(SendMessageW(View(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TCheckListView::SetItemIndex(int index) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageW(View(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (index < 0) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(View(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
  SendMessageW(View(), LVM_ENSUREVISIBLE, index, FALSE);
}

void TCheckListView::SetSmallImages(TImageList* images) {
  smallImages_ = images;
  if (HWND h = HandleIfAllocated())
    SendMessageW(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

namespace {
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM view) {
  // Nothing may be thrown through the list view's sort.
  int result = 0;
  GuardCallback([&] { result = reinterpret_cast<TCheckListView*>(view)->OnCompare(a, b); });
  return result;
}
}  // namespace

void TCheckListView::Sort() {
  // By data (LVM_SORTITEMS): the index-based LVM_SORTITEMSEX is not dependable everywhere.
  if (OnCompare) SendMessageW(View(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(CompareRows));
}

bool TCheckListView::Notify(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (msg != WM_NOTIFY) return false;
  auto* hdr = reinterpret_cast<const NMHDR*>(lp);
  if (hdr->code == static_cast<UINT>(NM_CLICK)) {
    Click();
    result = 0;
    return true;
  }
  if (hdr->code != LVN_ITEMCHANGED) return false;
  auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
  if (change->iItem < 0) return false;
  UINT oldCheck = change->uOldState & LVIS_STATEIMAGEMASK, newCheck = change->uNewState & LVIS_STATEIMAGEMASK;
  // A new row's box going from none to unchecked is no change of the user's.
  if ((change->uChanged & LVIF_STATE) && oldCheck != newCheck && oldCheck != 0 && !settingCheck_ && OnItemChecked)
    OnItemChecked(this, change->iItem, newCheck == INDEXTOSTATEIMAGEMASK(2));
  if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED) &&
      OnSelectItem)
    OnSelectItem(this);
  result = 0;
  return true;
}
