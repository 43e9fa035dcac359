#pragma once
// A tree-grid: rows in two levels (top-level rows and their children) in columns that the user
// can drag to other positions and resize, with sort glyphs in the header. It stands on a list
// view in report mode holding only a row count (owner data): the list view scrolls, keeps the
// header and its drag and sizing, and the grid paints each row itself when the list view asks,
// reading texts and images from its data source at that moment. So a cell whose right-hand
// neighbours are empty lets its text run on over them, and a child row can be indented with
// tree lines. Focus and selection are the grid's own: a move can be refused, and keyboard
// moves step over the rows that refuse it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/StdCtrls.h"

class TImageList;
class TTreeGrid;

// One row. The grid owns it; the row's own record (Kind and Data) is the user's.
class TGridNode {
 public:
  TGridNode* Parent() const { return parent_; }
  int Level() const { return parent_ ? 1 : 0; }
  const std::vector<TGridNode*>& Children() const { return children_; }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  bool Expanded() const { return expanded_; }
  // The position among its siblings in the order shown.
  int Index() const { return index_; }

  int Kind = 0;
  void* Data = nullptr;

 private:
  friend class TTreeGrid;
  TGridNode* parent_ = nullptr;
  std::vector<TGridNode*> children_;
  bool expanded_ = false;
  int index_ = 0;
  unsigned long long serial_ = 0;  // order of creation: the tie-break of every sort
};

// Where the grid reads what it shows. Every call comes when the grid needs the value (a row
// being painted, a sort), so the rows always show the data as it is now.
class TTreeGridSource {
 public:
  virtual ~TTreeGridSource() = default;
  virtual std::wstring GetText(TTreeGrid* grid, TGridNode* node, int column) = 0;
  // -1 for none.
  virtual int GetImageIndex(TTreeGrid*, TGridNode*, int /*column*/, bool /*selected*/) { return -1; }
  virtual std::wstring GetHint(TTreeGrid*, TGridNode*, int /*column*/) { return {}; }
  // Negative, zero or positive, as a before, equal to or after b in ascending order.
  virtual int CompareNodes(TTreeGrid*, TGridNode*, TGridNode*, int /*column*/) { return 0; }
  // A row that SetRootCount or SetChildCount made: its record is to be filled in.
  virtual void InitNode(TTreeGrid*, TGridNode*) {}
  // A sort by column is about to compare rows: the time to take each row's key once.
  virtual void BeginSort(TTreeGrid*, int /*column*/) {}
};

// A source whose answers are handlers, for a window that names them after its grid.
class TTreeGridEvents : public TTreeGridSource {
 public:
  std::function<std::wstring(TTreeGrid*, TGridNode*, int column)> OnGetText;
  std::function<int(TTreeGrid*, TGridNode*, int column, bool selected)> OnGetImageIndex;
  std::function<std::wstring(TTreeGrid*, TGridNode*, int column)> OnGetHint;
  std::function<int(TTreeGrid*, TGridNode*, TGridNode*, int column)> OnCompareNodes;
  std::function<void(TTreeGrid*, TGridNode*)> OnInitNode;
  std::function<void(TTreeGrid*, int column)> OnBeginSort;

  std::wstring GetText(TTreeGrid* g, TGridNode* n, int c) override { return OnGetText ? OnGetText(g, n, c) : L""; }
  int GetImageIndex(TTreeGrid* g, TGridNode* n, int c, bool s) override {
    return OnGetImageIndex ? OnGetImageIndex(g, n, c, s) : -1;
  }
  std::wstring GetHint(TTreeGrid* g, TGridNode* n, int c) override { return OnGetHint ? OnGetHint(g, n, c) : L""; }
  int CompareNodes(TTreeGrid* g, TGridNode* a, TGridNode* b, int c) override {
    return OnCompareNodes ? OnCompareNodes(g, a, b, c) : 0;
  }
  void InitNode(TTreeGrid* g, TGridNode* n) override {
    if (OnInitNode) OnInitNode(g, n);
  }
  void BeginSort(TTreeGrid* g, int c) override {
    if (OnBeginSort) OnBeginSort(g, c);
  }
};

enum class TSortDirection { sdAscending, sdDescending };

class TTreeGrid : public TStdControl {
 public:
  explicit TTreeGrid(TComponent* owner, const std::wstring& name = {});
  ~TTreeGrid() override;

  TTreeGridSource* Source = nullptr;  // not owned

  // Columns, by index; position is the place on the screen from the left (-1: at the end).
  int AddColumn(const std::wstring& caption, int width, int position = -1);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  void SetColumnCaption(int column, const std::wstring& caption);
  std::wstring ColumnCaption(int column) const;
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  // Column indexes in screen order, left to right.
  std::vector<int> ColumnOrder() const;
  void SetColumnOrder(const std::vector<int>& order);
  // This column takes the width that the others leave free (-1: none).
  int AutoSizeColumn = -1;
  bool HeaderVisible() const { return headerVisible_; }
  void SetHeaderVisible(bool visible);
  // The sunken edge round the grid; a grid inside a frame of its own goes without.
  bool Border() const { return (exStyle_ & WS_EX_CLIENTEDGE) != 0; }
  void SetBorder(bool on);

  // Images of the cells, and the rows' height with them; the list stays the caller's.
  void SetImages(TImageList* images);
  TImageList* Images() const { return images_; }

  // Tree lines in the first column: for the children, and with root lines also for the
  // top-level rows, with a button on rows that have children.
  bool ShowTreeLines = false;
  bool ShowRootLines = false;
  int Indent = 18;
  // Lines between the rows and between the columns.
  bool GridLines = false;
  // The text of the rows that are not selected; clNone for the system's window text. The
  // rows' background is the control's colour (clNone: the system's window colour).
  TColor TextColor = clNone;
  void SetColor(TColor color) override;

  // Rows. Changes between BeginUpdate and EndUpdate reach the screen (and the automatic sort)
  // once, at the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  TGridNode* AddChild(TGridNode* parent, int kind = 0, void* data = nullptr);
  // Existing rows stay by position; surplus ones go from the end, missing ones are appended
  // and given to the source's InitNode.
  void SetRootCount(int count);
  void SetChildCount(TGridNode* parent, int count);
  int RootCount() const { return static_cast<int>(roots_.size()); }
  const std::vector<TGridNode*>& Roots() const { return roots_; }
  void Clear();
  void Expand(TGridNode* node, bool expanded);

  // Every row that shows (children of expanded rows), in screen order from the top.
  const std::vector<TGridNode*>& Rows() const { return rows_; }
  int RowOf(const TGridNode* node) const;

  // Sorting: by column and direction, stable, with rows of equal keys in the order they were
  // added. With AutoSort the grid sorts after every update and edit.
  int SortColumn() const { return sortColumn_; }
  TSortDirection SortDirection() const { return sortDirection_; }
  void SetSort(int column, TSortDirection direction);
  bool AutoSort = true;
  void Sort();
  // The data of one row changed: it and its children are painted again and, sorted
  // automatically, it moves only when it no longer stands in order among its siblings (after
  // an edit in place, should one run). The other rows are left alone.
  void RefreshNode(TGridNode* node);

  // Focus and selection: one row at most, and the focused row is the selected one.
  TGridNode* FocusedNode() const { return focused_; }
  // Asks OnFocusChanging first; returns whether the focus now stands on node.
  bool SetFocusedNode(TGridNode* node);
  bool Selected(const TGridNode* node) const { return node && node == focused_; }

  // Editing one cell in place; OnEditing decides which may be edited. F2 and a second click
  // on the focused row edit FocusedColumn.
  int FocusedColumn = 0;
  bool EditNode(TGridNode* node, int column);
  void EndEditNode() { EndEdit(true); }
  void CancelEditNode() { EndEdit(false); }
  bool IsEditing() const { return editor_ != nullptr && editNode_ != nullptr; }
  HWND EditorHandle() const { return editor_; }

  // Where things are, in client coordinates (an empty rectangle when the row is not shown).
  RECT CellRect(const TGridNode* node, int column) const;
  // The row and column under a client point (null / -1 when none).
  TGridNode* NodeAt(int x, int y, int* column = nullptr) const;
  // The hint shown for the cell under the mouse, as the tip shows it now.
  std::wstring CurrentHint() const { return hintText_; }
  HWND HintWindow() const { return tooltip_; }

  // Events that answer through their last argument.
  std::function<void(TTreeGrid* sender, TGridNode* node, bool& allowed)> OnFocusChanging;
  std::function<void(TTreeGrid* sender, TGridNode* node)> OnFocusChanged;
  std::function<void(TTreeGrid* sender, TGridNode* node, bool& allowed)> OnCollapsing;
  std::function<void(TTreeGrid* sender, TGridNode* node, int column, bool& allowed)> OnEditing;
  std::function<void(TTreeGrid* sender, TGridNode* node, int column, const std::wstring& text)> OnNewText;
  // The edit ended, accepted or not; node is null when the row went meanwhile.
  std::function<void(TTreeGrid* sender, TGridNode* node, int column, bool accepted)> OnEdited;
  std::function<void(TTreeGrid* sender, int column)> OnHeaderClick;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Resized() override;
  void BoundsChanged() override;

 private:
  struct Column {
    std::wstring Caption;
    int Width;
  };
  HWND View() const { return HandleIfAllocated(); }
  HWND Header() const;
  bool AllowFocus(TGridNode* node);
  void Changed();  // the rows changed: sort (when automatic) and show them
  // Frees every node; the editor and the focus must already have let go of them.
  void FreeNodes();
  void RebuildRows();
  void SyncCount();
  void SortSiblings(std::vector<TGridNode*>& nodes);
  // Whether a comes before b in the current order.
  bool Before(TGridNode* a, TGridNode* b);
  void DeleteNode(TGridNode* node);
  void UpdateSortGlyph();
  void FitAutoSizeColumn();
  int RowHeight() const;
  COLORREF RowBackColor() const;
  int TopRowY() const;
  LRESULT CustomDraw(NMLVCUSTOMDRAW* cd);
  void PaintRow(HDC dc, int row);
  void DrawTreeLines(HDC dc, TGridNode* node, const RECT& cell);
  int TreeIndent(const TGridNode* node) const;
  bool OnButton(TGridNode* node, int x) const;
  // Input of our own.
  void MouseButton(UINT msg, int x, int y, WPARAM keys);
  bool NavigationKey(WPARAM key);
  void StepFocus(int from, int step);
  void ShowHintFor(int x, int y);
  void EndEdit(bool accept);
  static LRESULT CALLBACK EditorProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  std::vector<Column> columns_;
  bool headerVisible_ = true;
  TImageList* images_ = nullptr;
  std::vector<TGridNode*> roots_;
  std::vector<TGridNode*> rows_;
  unsigned long long nextSerial_ = 1;
  unsigned long long structure_ = 0;  // counts removals, so callers can tell a row went
  int updateCount_ = 0;
  bool dirty_ = false;
  int sortColumn_ = 0;
  TSortDirection sortDirection_ = TSortDirection::sdAscending;
  bool sortPending_ = false;  // a row left out of order while an edit ran
  TGridNode* focused_ = nullptr;
  bool fitting_ = false;
  // What every row of one paint shares: the columns' order and left edges, and the focus.
  std::vector<int> paintOrder_;
  std::vector<int> paintWidths_;
  bool paintFocused_ = false;
  // In-place editor.
  HWND editor_ = nullptr;
  TGridNode* editNode_ = nullptr;
  int editColumn_ = -1;
  bool ending_ = false;
  // Hints.
  HWND tooltip_ = nullptr;
  TGridNode* hintNode_ = nullptr;
  int hintColumn_ = -1;
  std::wstring hintText_;
  // A click on the focused row's editable cell starts editing after the double-click time,
  // unless a double click, another click, a key, an edit begun otherwise or the focus leaving
  // came first.
  UINT_PTR editTimer_ = 0;
  void CancelClickEdit();
};
