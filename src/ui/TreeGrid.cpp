#include "ui/TreeGrid.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {
// Private messages and ids of the grid's list view window.
constexpr UINT WM_GRID_DESTROYEDITOR = WM_APP + 0x310;
constexpr UINT WM_GRID_REPAINT = WM_APP + 0x311;
constexpr UINT_PTR kEditTimer = 0x7E57;
constexpr UINT kEditorId = 0x7E58;

COLORREF Sys(int index) { return GetSysColor(index); }

// Every other pixel, as tree lines are drawn.
void DottedLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
  if (x1 == x2)
    for (int y = std::min(y1, y2); y < std::max(y1, y2); ++y) {
      if ((x1 + y) % 2 == 0) SetPixel(dc, x1, y, color);
    }
  else
    for (int x = std::min(x1, x2); x < std::max(x1, x2); ++x) {
      if ((x + y1) % 2 == 0) SetPixel(dc, x, y1, color);
    }
}
}  // namespace

TTreeGrid::TTreeGrid(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                  WS_EX_CLIENTEDGE) {
  SetName(name);
  SetBounds(0, 0, 250, 150);
}

void TTreeGrid::SetBorder(bool on) {
  exStyle_ = on ? exStyle_ | WS_EX_CLIENTEDGE : exStyle_ & ~WS_EX_CLIENTEDGE;
  HWND h = HandleIfAllocated();
  if (!h) return;
  SetWindowLongPtrW(h, GWL_EXSTYLE, on ? GetWindowLongPtrW(h, GWL_EXSTYLE) | WS_EX_CLIENTEDGE
                                       : GetWindowLongPtrW(h, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TTreeGrid::~TTreeGrid() {
  // No handler runs any more: the rows and the editor go quietly.
  OnEdited = nullptr;
  OnNewText = nullptr;
  OnFocusChanged = nullptr;
  if (editor_) {
    RemoveWindowSubclass(editor_, EditorProc, 1);
    editor_ = nullptr;
  }
  editNode_ = nullptr;
  focused_ = nullptr;
  FreeNodes();
}

void TTreeGrid::FreeNodes() {
  for (TGridNode* n : roots_) {
    for (TGridNode* c : n->children_) delete c;
    delete n;
  }
  roots_.clear();
  rows_.clear();
}

void TTreeGrid::CreateParams(TCreateParams& params) {
  TStdControl::CreateParams(params);
  if (!headerVisible_) params.Style |= LVS_NOCOLUMNHEADER;
}

COLORREF TTreeGrid::RowBackColor() const { return Color() != clNone ? ColorToRGB(Color()) : Sys(COLOR_WINDOW); }

void TTreeGrid::SetColor(TColor color) {
  TStdControl::SetColor(color);
  if (HWND h = View()) {
    SendMessageW(h, LVM_SETBKCOLOR, 0, RowBackColor());
    InvalidateRect(h, nullptr, TRUE);
  }
}

void TTreeGrid::HandleCreated() {
  HWND h = View();
  if (Color() != clNone) SendMessageW(h, LVM_SETBKCOLOR, 0, RowBackColor());
  DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER;
  SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  if (images_ && images_->Handle())
    SendMessageW(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_->Handle()));
  // The tip of the cell under the mouse; its text is asked for when it shows.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0,
                             0, 0, h, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tooltip_) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = h;
    ti.uId = 1;
    GetClientRect(h, &ti.rect);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
  }
  SyncCount();
}

HWND TTreeGrid::Header() const {
  return reinterpret_cast<HWND>(SendMessageW(View(), LVM_GETHEADER, 0, 0));
}

// ---------------------------------------------------------------- columns

int TTreeGrid::AddColumn(const std::wstring& caption, int width, int position) {
  HWND h = Handle();
  std::vector<int> order = ColumnOrder();
  std::wstring text = caption;
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = text.data();
  col.cx = width;
  const int index = ColumnCount();
  col.iSubItem = index;
  SendMessageW(h, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
  columns_.push_back(Column{caption, width});
  if (position < 0 || position > static_cast<int>(order.size())) position = static_cast<int>(order.size());
  order.insert(order.begin() + position, index);
  SetColumnOrder(order);
  UpdateSortGlyph();
  FitAutoSizeColumn();
  return index;
}

namespace {
// A header item's room beside its text: the margins either side and the sort glyph.
constexpr int kHeaderTextMargin = 28;
}  // namespace

void TTreeGrid::SetColumnCaption(int column, const std::wstring& caption) {
  if (column < 0 || column >= ColumnCount()) return;
  columns_[column].Caption = caption;
  std::wstring text = caption;
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = text.data();
  SendMessageW(Handle(), LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
  // A caption (a translation) longer than its column widens it: a header is never cut. The
  // column that takes the rest has what is left.
  HWND header = View() ? ListView_GetHeader(View()) : nullptr;
  if (!header || !headerVisible_ || column == AutoSizeColumn || caption.empty()) return;
  HDC dc = GetDC(header);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(header, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(header, dc);
  const int need = extent.cx + kHeaderTextMargin;
  if (ColumnWidth(column) < need) SetColumnWidth(column, need);
}

std::wstring TTreeGrid::ColumnCaption(int column) const {
  return column >= 0 && column < ColumnCount() ? columns_[column].Caption : std::wstring();
}

int TTreeGrid::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) return 0;
  return View() ? static_cast<int>(SendMessageW(View(), LVM_GETCOLUMNWIDTH, column, 0)) : columns_[column].Width;
}

void TTreeGrid::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= ColumnCount()) return;
  columns_[column].Width = width;
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, column, width);
  FitAutoSizeColumn();
}

std::vector<int> TTreeGrid::ColumnOrder() const {
  std::vector<int> order(columns_.size());
  if (order.empty()) return order;
  if (!View() || !SendMessageW(View(), LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data())))
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  return order;
}

void TTreeGrid::SetColumnOrder(const std::vector<int>& order) {
  if (order.size() != columns_.size()) return;
  std::vector<int> copy = order;
  SendMessageW(Handle(), LVM_SETCOLUMNORDERARRAY, copy.size(), reinterpret_cast<LPARAM>(copy.data()));
  Invalidate();
}

void TTreeGrid::SetHeaderVisible(bool visible) {
  headerVisible_ = visible;
  if (HWND h = View()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    style = visible ? (style & ~LVS_NOCOLUMNHEADER) : (style | LVS_NOCOLUMNHEADER);
    SetWindowLongPtrW(h, GWL_STYLE, style);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

void TTreeGrid::SetImages(TImageList* images) {
  images_ = images;
  if (HWND h = View())
    SendMessageW(h, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(images && images->Handle() ? images->Handle() : nullptr));
}

void TTreeGrid::FitAutoSizeColumn() {
  HWND h = View();
  if (!h || fitting_ || AutoSizeColumn < 0 || AutoSizeColumn >= ColumnCount()) return;
  RECT r;
  GetClientRect(h, &r);
  int rest = r.right - r.left;
  for (int c = 0; c < ColumnCount(); ++c)
    if (c != AutoSizeColumn) rest -= ColumnWidth(c);
  rest = std::max(rest, 30);
  if (rest == ColumnWidth(AutoSizeColumn)) return;
  fitting_ = true;
  SendMessageW(h, LVM_SETCOLUMNWIDTH, AutoSizeColumn, rest);
  fitting_ = false;
}

void TTreeGrid::Resized() { FitAutoSizeColumn(); }
void TTreeGrid::BoundsChanged() { FitAutoSizeColumn(); }

// ---------------------------------------------------------------- rows

void TTreeGrid::BeginUpdate() { ++updateCount_; }

void TTreeGrid::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && dirty_) Changed();
}

void TTreeGrid::Changed() {
  if (updateCount_ > 0) {
    dirty_ = true;
    return;
  }
  dirty_ = false;
  if (AutoSort)
    Sort();
  else
    RebuildRows();
}

TGridNode* TTreeGrid::AddChild(TGridNode* parent, int kind, void* data) {
  auto* node = new TGridNode;
  node->Kind = kind;
  node->Data = data;
  node->serial_ = nextSerial_++;
  node->parent_ = parent;
  std::vector<TGridNode*>& siblings = parent ? parent->children_ : roots_;
  node->index_ = static_cast<int>(siblings.size());
  siblings.push_back(node);
  Changed();
  return node;
}

void TTreeGrid::SetRootCount(int count) {
  BeginUpdate();
  while (RootCount() > std::max(count, 0)) DeleteNode(roots_.back());
  while (RootCount() < count) {
    TGridNode* n = AddChild(nullptr);
    if (Source) Source->InitNode(this, n);
  }
  EndUpdate();
}

void TTreeGrid::SetChildCount(TGridNode* parent, int count) {
  if (!parent) return SetRootCount(count);
  BeginUpdate();
  while (parent->ChildCount() > std::max(count, 0)) DeleteNode(parent->children_.back());
  while (parent->ChildCount() < count) {
    TGridNode* n = AddChild(parent);
    if (Source) Source->InitNode(this, n);
  }
  EndUpdate();
}

void TTreeGrid::DeleteNode(TGridNode* node) {
  if (IsEditing() && (editNode_ == node || editNode_->parent_ == node)) EndEdit(false);
  bool focusLost = focused_ && (focused_ == node || focused_->parent_ == node);
  for (TGridNode* c : node->children_) delete c;
  node->children_.clear();
  std::vector<TGridNode*>& siblings = node->parent_ ? node->parent_->children_ : roots_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->index_ = static_cast<int>(i);
  delete node;
  ++structure_;
  rows_.clear();  // no painting from stale rows until the rows are rebuilt
  Changed();
  if (focusLost) {
    focused_ = nullptr;
    if (OnFocusChanged) OnFocusChanged(this, nullptr);
  }
}

void TTreeGrid::Clear() {
  if (IsEditing()) EndEdit(false);
  focused_ = nullptr;
  FreeNodes();
  ++structure_;
  Changed();
}

void TTreeGrid::Expand(TGridNode* node, bool expanded) {
  if (!node || node->expanded_ == expanded) return;
  if (!expanded && OnCollapsing) {
    bool allowed = true;
    OnCollapsing(this, node, allowed);
    if (!allowed) return;
  }
  node->expanded_ = expanded;
  if (!expanded && focused_ && focused_->parent_ == node) {
    // The focus does not stay on a row that no longer shows.
    focused_ = nullptr;
    if (OnFocusChanged) OnFocusChanged(this, nullptr);
  }
  Changed();
}

void TTreeGrid::RebuildRows() {
  rows_.clear();
  for (TGridNode* n : roots_) {
    rows_.push_back(n);
    if (n->expanded_)
      for (TGridNode* c : n->children_) rows_.push_back(c);
  }
  SyncCount();
}

void TTreeGrid::SyncCount() {
  HWND h = View();
  if (!h) return;
  // The list view recounts its rows and scroll range even for the same count: only a new
  // count is told (a sort only repaints).
  if (static_cast<size_t>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)) != rows_.size())
    SendMessageW(h, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
  InvalidateRect(h, nullptr, FALSE);
}

int TTreeGrid::RowOf(const TGridNode* node) const {
  auto it = std::find(rows_.begin(), rows_.end(), node);
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

// ---------------------------------------------------------------- sorting

void TTreeGrid::SetSort(int column, TSortDirection direction) {
  sortColumn_ = column;
  sortDirection_ = direction;
  UpdateSortGlyph();
  Sort();
}

bool TTreeGrid::Before(TGridNode* a, TGridNode* b) {
  int c = Source && sortColumn_ >= 0 ? Source->CompareNodes(this, a, b, sortColumn_) : 0;
  if (sortDirection_ == TSortDirection::sdDescending) c = -c;
  // Equal keys stand in the order the rows were added, whatever the previous sort was.
  return c != 0 ? c < 0 : a->serial_ < b->serial_;
}

void TTreeGrid::SortSiblings(std::vector<TGridNode*>& nodes) {
  std::stable_sort(nodes.begin(), nodes.end(), [this](TGridNode* a, TGridNode* b) { return Before(a, b); });
  for (size_t i = 0; i < nodes.size(); ++i) nodes[i]->index_ = static_cast<int>(i);
}

void TTreeGrid::RefreshNode(TGridNode* node) {
  if (!node) return;
  if (AutoSort) {
    const std::vector<TGridNode*>& siblings = node->parent_ ? node->parent_->children_ : roots_;
    const size_t i = static_cast<size_t>(node->index_);
    if (i >= siblings.size() || siblings[i] != node) return;
    // The sorted rows stay sorted when this one still stands between its neighbours.
    if (Source && sortColumn_ >= 0) Source->BeginSort(this, sortColumn_);
    if ((i > 0 && !Before(siblings[i - 1], node)) || (i + 1 < siblings.size() && !Before(node, siblings[i + 1]))) {
      // Moving rows under an editor would leave it over another row: after the edit.
      if (!IsEditing()) return Sort();
      sortPending_ = true;
    }
  }
  const int row = RowOf(node);
  if (row >= 0 && View())
    SendMessageW(View(), LVM_REDRAWITEMS, row, row + (node->expanded_ ? node->ChildCount() : 0));
}

void TTreeGrid::Sort() {
  if (updateCount_ > 0) {
    dirty_ = true;
    return;
  }
  // The rows are about to move under the editor, which would then stand over another row's
  // cell: the edit is given up, as when the user clicks elsewhere.
  if (IsEditing()) {
    TLifeCheck alive = Watch();
    EndEdit(false);
    if (!alive) return;
  }
  sortPending_ = false;
  if (Source && sortColumn_ >= 0) Source->BeginSort(this, sortColumn_);
  SortSiblings(roots_);
  for (TGridNode* n : roots_) SortSiblings(n->children_);
  RebuildRows();
  if (focused_ && View() && RowOf(focused_) >= 0) SendMessageW(View(), LVM_ENSUREVISIBLE, RowOf(focused_), FALSE);
}

void TTreeGrid::UpdateSortGlyph() {
  HWND header = View() ? Header() : nullptr;
  if (!header) return;
  for (int c = 0; c < ColumnCount(); ++c) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, c, reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (c == sortColumn_) item.fmt |= sortDirection_ == TSortDirection::sdAscending ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(header, HDM_SETITEMW, c, reinterpret_cast<LPARAM>(&item));
  }
}

// ---------------------------------------------------------------- focus

bool TTreeGrid::AllowFocus(TGridNode* node) {
  bool allowed = true;
  if (OnFocusChanging) OnFocusChanging(this, node, allowed);
  return allowed;
}

bool TTreeGrid::SetFocusedNode(TGridNode* node) {
  if (node == focused_) return true;
  // While an update runs the rows are not laid out yet; afterwards only a row that shows.
  if (node && updateCount_ == 0 && RowOf(node) < 0) return false;
  if (!AllowFocus(node)) return false;
  if (IsEditing()) EndEdit(false);
  focused_ = node;
  if (HWND h = View()) {
    if (node && RowOf(node) >= 0) SendMessageW(h, LVM_ENSUREVISIBLE, RowOf(node), FALSE);
    InvalidateRect(h, nullptr, FALSE);
  }
  if (OnFocusChanged) OnFocusChanged(this, node);
  return true;
}

void TTreeGrid::StepFocus(int from, int step) {
  for (int i = from + step; i >= 0 && i < static_cast<int>(rows_.size()); i += step)
    if (SetFocusedNode(rows_[i])) return;
}

bool TTreeGrid::NavigationKey(WPARAM key) {
  const int count = static_cast<int>(rows_.size());
  const int current = RowOf(focused_);
  const int page = std::max(1, static_cast<int>(SendMessageW(View(), LVM_GETCOUNTPERPAGE, 0, 0)));
  switch (key) {
    case VK_UP: StepFocus(current < 0 ? count : current, -1); return true;
    case VK_DOWN: StepFocus(current, 1); return true;
    case VK_HOME: StepFocus(-1, 1); return true;
    case VK_END: StepFocus(count, -1); return true;
    case VK_PRIOR:
    case VK_NEXT: {
      // A page on, then the nearest row that takes the focus, first further on, then back.
      const int step = key == VK_NEXT ? 1 : -1;
      int target = std::clamp(current + step * page, 0, std::max(count - 1, 0));
      if (count == 0) return true;
      StepFocus(target - step, step);
      if (RowOf(focused_) != current) return true;
      StepFocus(target, -step);
      return true;
    }
    case VK_LEFT:
    case VK_RIGHT:
      if (focused_ && focused_->ChildCount() > 0) Expand(focused_, key == VK_RIGHT);
      return true;
    case VK_F2:
      if (focused_) EditNode(focused_, FocusedColumn);
      return true;
    default: return false;
  }
}

// ---------------------------------------------------------------- geometry

int TTreeGrid::RowHeight() const {
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  if (rows_.empty() || !SendMessageW(View(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return 0;
  return r.bottom - r.top;
}

RECT TTreeGrid::CellRect(const TGridNode* node, int column) const {
  RECT none{0, 0, 0, 0};
  const int row = RowOf(node);
  if (row < 0 || column < 0 || column >= ColumnCount() || !View()) return none;
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageW(View(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r))) return none;
  int x = r.left;
  for (int c : ColumnOrder()) {
    const int w = ColumnWidth(c);
    if (c == column) return RECT{x, r.top, x + w, r.bottom};
    x += w;
  }
  return none;
}

TGridNode* TTreeGrid::NodeAt(int x, int y, int* column) const {
  if (column) *column = -1;
  if (rows_.empty() || !View()) return nullptr;
  const int top = static_cast<int>(SendMessageW(View(), LVM_GETTOPINDEX, 0, 0));
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageW(View(), LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&r))) return nullptr;
  const int h = r.bottom - r.top;
  if (h <= 0 || y < r.top) return nullptr;
  const int row = top + (y - r.top) / h;
  if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
  if (column) {
    int left = r.left;
    for (int c : ColumnOrder()) {
      const int w = ColumnWidth(c);
      if (x >= left && x < left + w) *column = c;
      left += w;
    }
  }
  return rows_[row];
}

int TTreeGrid::TreeIndent(const TGridNode* node) const {
  return (ShowRootLines ? Indent : 0) + node->Level() * Indent;
}

bool TTreeGrid::OnButton(TGridNode* node, int x) const {
  if (!ShowRootLines || node->Level() != 0 || node->ChildCount() == 0) return false;
  RECT cell = CellRect(node, 0);
  return x >= cell.left && x < cell.left + Indent;
}

// ---------------------------------------------------------------- painting

LRESULT TTreeGrid::CustomDraw(NMLVCUSTOMDRAW* cd) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      // Asked once per paint rather than once per row: each is a call into the list view or
      // the system.
      paintOrder_ = ColumnOrder();
      paintWidths_.clear();
      for (int c = 0; c < ColumnCount(); ++c) paintWidths_.push_back(ColumnWidth(c));
      paintFocused_ = GetFocus() == View() || (editor_ && GetFocus() == editor_);
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      PaintRow(cd->nmcd.hdc, static_cast<int>(cd->nmcd.dwItemSpec));
      return CDRF_SKIPDEFAULT;
    default: return CDRF_DODEFAULT;
  }
}

void TTreeGrid::PaintRow(HDC dc, int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  TGridNode* node = rows_[row];
  RECT bounds{LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageW(View(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds))) return;
  RECT client;
  GetClientRect(View(), &client);
  RECT line{client.left, bounds.top, std::max(client.right, bounds.right), bounds.bottom};
  const bool selected = node == focused_;
  const bool focusHere = paintFocused_;
  COLORREF back = selected ? Sys(focusHere ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : RowBackColor();
  COLORREF fore = selected && focusHere ? Sys(COLOR_HIGHLIGHTTEXT)
                  : TextColor != clNone   ? ColorToRGB(TextColor)
                                          : Sys(COLOR_WINDOWTEXT);
  SetBkColor(dc, back);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);

  // Every cell's text and image first: an empty cell lends its room to the one at its left.
  if (paintOrder_.size() != columns_.size() || paintWidths_.size() != columns_.size()) {
    paintOrder_ = ColumnOrder();
    paintWidths_.clear();
    for (int c = 0; c < ColumnCount(); ++c) paintWidths_.push_back(ColumnWidth(c));
  }
  const std::vector<int>& order = paintOrder_;
  const int n = static_cast<int>(order.size());
  std::vector<std::wstring> texts(n);
  std::vector<int> imgs(n, -1);
  std::vector<int> lefts(n + 1, bounds.left);
  for (int p = 0; p < n; ++p) {
    const int c = order[p];
    if (Source) {
      texts[p] = Source->GetText(this, node, c);
      imgs[p] = images_ ? Source->GetImageIndex(this, node, c, selected) : -1;
    }
    lefts[p + 1] = lefts[p] + paintWidths_[c];
  }
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(View(), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, fore);
  for (int p = 0; p < n;) {
    int q = p + 1;
    if (!texts[p].empty())
      while (q < n && texts[q].empty() && imgs[q] < 0) ++q;
    RECT cell{lefts[p], bounds.top, lefts[q], bounds.bottom};
    int x = cell.left + 2;
    if (order[p] == 0) {
      if (ShowTreeLines) DrawTreeLines(dc, node, RECT{lefts[p], bounds.top, lefts[p + 1], bounds.bottom});
      x = cell.left + TreeIndent(node) + 2;
    }
    if (imgs[p] >= 0 && images_ && images_->Handle()) {
      ImageList_Draw(images_->Handle(), imgs[p], dc, x,
                     cell.top + (cell.bottom - cell.top - images_->Height()) / 2, ILD_TRANSPARENT);
      x += images_->Width() + 3;
    }
    if (!texts[p].empty()) {
      RECT tr{x, cell.top, cell.right - 2, cell.bottom};
      DrawTextW(dc, texts[p].c_str(), static_cast<int>(texts[p].size()), &tr,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    p = q;
  }
  SelectObject(dc, oldFont);
  if (GridLines) {
    HPEN pen = CreatePen(PS_SOLID, 1, Sys(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int p = 1; p <= n; ++p) {
      MoveToEx(dc, lefts[p] - 1, bounds.top, nullptr);
      LineTo(dc, lefts[p] - 1, bounds.bottom);
    }
    MoveToEx(dc, line.left, bounds.bottom - 1, nullptr);
    LineTo(dc, line.right, bounds.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  if (selected && focusHere) {
    SetTextColor(dc, Sys(COLOR_WINDOWTEXT));
    DrawFocusRect(dc, &line);
  }
}

void TTreeGrid::DrawTreeLines(HDC dc, TGridNode* node, const RECT& cell) {
  const COLORREF color = Sys(COLOR_GRAYTEXT);
  const int cy = (cell.top + cell.bottom) / 2;
  auto column = [&](int k) { return cell.left + k * Indent + Indent / 2; };
  HRGN clip = CreateRectRgn(cell.left, cell.top, cell.right, cell.bottom);
  SelectClipRgn(dc, clip);
  if (node->Level() == 0) {
    if (ShowRootLines) {
      const int cx = column(0);
      DottedLine(dc, cx, cy, cell.left + Indent, cy, color);
      if (node->Index() > 0) DottedLine(dc, cx, cell.top, cx, cy, color);
      if (node->Index() < RootCount() - 1) DottedLine(dc, cx, cy, cx, cell.bottom, color);
      if (node->ChildCount() > 0) {
        // The button that opens and closes the row.
        RECT box{cx - 4, cy - 4, cx + 5, cy + 5};
        HBRUSH white = CreateSolidBrush(Sys(COLOR_WINDOW));
        FillRect(dc, &box, white);
        DeleteObject(white);
        HBRUSH frame = CreateSolidBrush(color);
        FrameRect(dc, &box, frame);
        DeleteObject(frame);
        for (int x = cx - 2; x <= cx + 2; ++x) SetPixel(dc, x, cy, Sys(COLOR_WINDOWTEXT));
        if (!node->Expanded())
          for (int y = cy - 2; y <= cy + 2; ++y) SetPixel(dc, cx, y, Sys(COLOR_WINDOWTEXT));
      }
    }
  } else {
    TGridNode* parent = node->Parent();
    const int k = ShowRootLines ? 1 : 0;
    if (ShowRootLines && parent->Index() < RootCount() - 1)
      DottedLine(dc, column(0), cell.top, column(0), cell.bottom, color);
    const int cx = column(k);
    DottedLine(dc, cx, cell.top, cx, cy, color);
    if (node->Index() < parent->ChildCount() - 1) DottedLine(dc, cx, cy, cx, cell.bottom, color);
    DottedLine(dc, cx, cy, cell.left + (k + 1) * Indent, cy, color);
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
}

// ---------------------------------------------------------------- input

void TTreeGrid::CancelClickEdit() {
  if (editTimer_) KillTimer(View(), kEditTimer), editTimer_ = 0;
}

void TTreeGrid::MouseButton(UINT msg, int x, int y, WPARAM keys) {
  TLifeCheck alive = Watch();
  // The click that was waiting to edit meant something else: this one is the user's answer.
  CancelClickEdit();
  if (GetFocus() != View()) ::SetFocus(View());
  if (!alive) return;
  int column = -1;
  TGridNode* node = NodeAt(x, y, &column);
  const bool left = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
  const bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK;
  if (node && left && OnButton(node, x)) {
    Expand(node, !node->Expanded());
    return;
  }
  const bool again = node && node == focused_;
  SetFocusedNode(node);
  if (!alive) return;
  if (msg == WM_LBUTTONDOWN && again && column == FocusedColumn)
    editTimer_ = SetTimer(View(), kEditTimer, GetDoubleClickTime(), nullptr);
  const TMouseButton button = left ? TMouseButton::mbLeft : TMouseButton::mbRight;
  if (dbl && left) {
    DblClick();
    if (!alive) return;
  }
  MouseDown(button, ShiftStateFromKeys(keys) | (dbl ? ssDouble : 0), x, y);
  if (!alive) return;
  if (left && !dbl) Click();
}

void TTreeGrid::ShowHintFor(int x, int y) {
  int column = -1;
  TGridNode* node = NodeAt(x, y, &column);
  if (node == hintNode_ && column == hintColumn_) return;
  hintNode_ = node;
  hintColumn_ = column;
  // The tip of the previous cell goes; the next one shows when the mouse rests again.
  if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
}

LRESULT TTreeGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      // Ours: the list view would move its own focus and selection, which the grid keeps.
      MouseButton(msg, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), wp);
      return 0;
    case WM_MOUSEMOVE: ShowHintFor(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_KEYDOWN:
      // A key after the click is what the user does next: no editor opens late over it.
      CancelClickEdit();
      if (NavigationKey(wp)) return 0;
      break;
    case WM_TIMER:
      if (wp == kEditTimer) {
        KillTimer(View(), kEditTimer);
        editTimer_ = 0;
        if (focused_) EditNode(focused_, FocusedColumn);
        return 0;
      }
      break;
    case WM_KILLFOCUS: CancelClickEdit(), Invalidate(); break;
    case WM_SETFOCUS: Invalidate(); break;
    case WM_SIZE: {
      LRESULT r = TStdControl::WndProc(msg, wp, lp);
      FitAutoSizeColumn();
      if (tooltip_) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = View();
        ti.uId = 1;
        GetClientRect(View(), &ti.rect);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
      }
      return r;
    }
    case WM_GRID_DESTROYEDITOR:
      if (reinterpret_cast<HWND>(wp) != editor_) DestroyWindow(reinterpret_cast<HWND>(wp));
      return 0;
    case WM_GRID_REPAINT: Invalidate(); return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->hwndFrom == tooltip_ && hdr->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(View(), &p);
        int column = -1;
        TGridNode* node = NodeAt(p.x, p.y, &column);
        hintText_ = node && Source ? Source->GetHint(this, node, column) : std::wstring();
        info->lpszText = const_cast<wchar_t*>(hintText_.c_str());
        return 0;
      }
      if (hdr->hwndFrom == Header()) {
        LRESULT r = TStdControl::WndProc(msg, wp, lp);
        if (hdr->code == HDN_ITEMCHANGEDW || hdr->code == HDN_ITEMCHANGEDA) {
          FitAutoSizeColumn();
          Invalidate();
        } else if (hdr->code == HDN_ENDDRAG) {
          // The new order stands only once the header has finished the drag.
          PostMessageW(View(), WM_GRID_REPAINT, 0, 0);
        }
        return r;
      }
      break;
    }
    default: break;
  }
  return TStdControl::WndProc(msg, wp, lp);
}

bool TTreeGrid::Notify(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (msg != WM_NOTIFY) return false;
  auto* hdr = reinterpret_cast<NMHDR*>(lp);
  switch (hdr->code) {
    case NM_CUSTOMDRAW:
      result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
      return true;
    case LVN_GETDISPINFOW: {
      // What the list view itself asks for (accessibility, its own searches): the cell's text.
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lp);
      LVITEMW& item = info->item;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        std::wstring text;
        if (Source && item.iItem >= 0 && item.iItem < static_cast<int>(rows_.size()))
          text = Source->GetText(this, rows_[item.iItem], item.iSubItem);
        lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
      }
      if (item.mask & LVIF_IMAGE) item.iImage = -1;
      return true;
    }
    case LVN_ODFINDITEMW:
      result = -1;
      return true;
    case LVN_COLUMNCLICK:
      if (OnHeaderClick) OnHeaderClick(this, reinterpret_cast<NMLISTVIEW*>(lp)->iSubItem);
      return true;
    default: return false;
  }
}

// ---------------------------------------------------------------- editing in place

bool TTreeGrid::EditNode(TGridNode* node, int column) {
  if (!node || RowOf(node) < 0 || column < 0 || column >= ColumnCount() || !View()) return false;
  // Begun otherwise (F2, a caller), the edit must not be ended and begun again by a click's
  // pending one, which would take what is typed so far as the new text.
  CancelClickEdit();
  if (IsEditing()) EndEdit(true);
  bool allowed = false;
  if (OnEditing) OnEditing(this, node, column, allowed);
  if (!allowed || RowOf(node) < 0) return false;
  SendMessageW(View(), LVM_ENSUREVISIBLE, RowOf(node), FALSE);
  RECT r = CellRect(node, column);
  if (column == 0) r.left += TreeIndent(node);
  if (images_ && Source && Source->GetImageIndex(this, node, column, true) >= 0) r.left += images_->Width() + 3;
  const std::wstring text = Source ? Source->GetText(this, node, column) : std::wstring();
  HWND ed = CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left, r.top,
                            std::max<int>(r.right - r.left, 40), r.bottom - r.top, View(),
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEditorId)), GetModuleHandleW(nullptr), nullptr);
  if (!ed) return false;
  SendMessageW(ed, WM_SETFONT, SendMessageW(View(), WM_GETFONT, 0, 0), FALSE);
  SetWindowSubclass(ed, EditorProc, 1, reinterpret_cast<DWORD_PTR>(this));
  editor_ = ed;
  editNode_ = node;
  editColumn_ = column;
  // Every key goes to the editor, before any shortcut of the window.
  WantKeys = true;
  ShowWindow(ed, SW_SHOW);
  SendMessageW(ed, EM_SETSEL, 0, -1);
  ::SetFocus(ed);
  return true;
}

void TTreeGrid::EndEdit(bool accept) {
  if (!editor_ || ending_) return;
  ending_ = true;
  HWND ed = editor_;
  TGridNode* node = editNode_;
  const int column = editColumn_;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(ed)) + 1, L'\0');
  text.resize(GetWindowTextW(ed, text.data(), static_cast<int>(text.size())));
  editor_ = nullptr;
  editNode_ = nullptr;
  editColumn_ = -1;
  WantKeys = false;
  const bool hadFocus = GetFocus() == ed;
  ShowWindow(ed, SW_HIDE);
  // The keyboard focus stays in the grid, never nowhere.
  if (hadFocus || !GetFocus()) ::SetFocus(View());
  // The editor goes once its own message has returned.
  PostMessageW(View(), WM_GRID_DESTROYEDITOR, reinterpret_cast<WPARAM>(ed), 0);
  ending_ = false;
  TLifeCheck alive = Watch();
  const unsigned long long structure = structure_;
  if (accept && OnNewText) OnNewText(this, node, column, text);
  if (!alive) return;
  if (structure_ != structure) node = nullptr;
  if (OnEdited) OnEdited(this, node, column, accept);
  if (!alive) return;
  if ((accept || sortPending_) && AutoSort) Sort();
  Invalidate();
}

LRESULT CALLBACK TTreeGrid::EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* grid = reinterpret_cast<TTreeGrid*>(data);
  switch (msg) {
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_ESCAPE) {
        if (grid->editor_ == hwnd) GuardCallback([&] { grid->EndEdit(wp == VK_RETURN); });
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == L'\r' || wp == 27) return 0;  // no beep for the keys that ended the edit
      break;
    case WM_KILLFOCUS: {
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      // Leaving the editor cancels the edit, so nothing is renamed by accident.
      if (grid->editor_ == hwnd) GuardCallback([&] { grid->EndEdit(false); });
      return r;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, EditorProc, 1); break;
    default: break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}
