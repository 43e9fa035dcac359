// The tree-grid on its own: spanning cells, sorting, refused focus, editing in place, sections
// that collapse.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ui/TreeGrid.h"

namespace {

using testsupport::Pump;

// Rows of a table: each top-level row has a name and a number; its child reads across.
struct Item {
  std::wstring Name;
  int Number;
  std::wstring Preview;
};

class TableSource : public TTreeGridSource {
 public:
  std::vector<Item> Items;
  int Compares = 0;
  std::wstring GetText(TTreeGrid*, TGridNode* node, int column) override {
    const Item& it = Items[reinterpret_cast<size_t>(node->Data)];
    if (node->Kind == 0) return column == 0 ? it.Preview : L"";
    switch (column) {
      case 0: return it.Name;
      case 1: return std::to_wstring(it.Number);
      default: return L"";
    }
  }
  std::wstring GetHint(TTreeGrid*, TGridNode* node, int) override {
    return node->Kind == 1 ? L"hint " + Items[reinterpret_cast<size_t>(node->Data)].Name : L"";
  }
  int CompareNodes(TTreeGrid*, TGridNode* a, TGridNode* b, int column) override {
    ++Compares;
    if (a->Kind != 1 || b->Kind != 1) return 0;
    const Item &x = Items[reinterpret_cast<size_t>(a->Data)], &y = Items[reinterpret_cast<size_t>(b->Data)];
    if (column == 0) return x.Name.compare(y.Name);
    return x.Number < y.Number ? -1 : x.Number > y.Number ? 1 : 0;
  }
};

class TreeGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<TApplication>();
    form = new TForm(app_.get(), L"TTreeGridTestForm");
    form->SetBounds(40, 40, 420, 260);
    grid = new TTreeGrid(form, L"Grid");
    grid->SetParent(form);
    grid->SetAlign(TAlign::alClient);
    grid->Source = &source;
    grid->AddColumn(L"Name", 120);
    grid->AddColumn(L"Number", 80);
    grid->AddColumn(L"Extra", 80);
    form->Show();
  }
  void TearDown() override {
    form = nullptr;
    app_.reset();
  }
  // One top-level row per item with its reading child, in item order.
  void Fill(const std::vector<Item>& items) {
    source.Items = items;
    grid->BeginUpdate();
    grid->Clear();
    for (size_t i = 0; i < items.size(); ++i) {
      TGridNode* n = grid->AddChild(nullptr, 1, reinterpret_cast<void*>(i));
      grid->AddChild(n, 0, reinterpret_cast<void*>(i));
      grid->Expand(n, true);
    }
    grid->EndUpdate();
  }
  std::wstring Order() {
    std::wstring s;
    for (TGridNode* n : grid->Rows())
      if (n->Kind == 1) s += source.Items[reinterpret_cast<size_t>(n->Data)].Name + L" ";
    return s;
  }
  POINT Center(TGridNode* n, int column) {
    RECT r = grid->CellRect(n, column);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Click(TGridNode* n, int column, UINT msg = WM_LBUTTONDOWN) {
    POINT p = Center(n, column);
    SendMessageW(grid->Handle(), msg, msg == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(grid->Handle(), msg == WM_RBUTTONDOWN ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  void Key(WPARAM vk) {
    PostMessageW(grid->Handle(), WM_KEYDOWN, vk, 1);
    Pump(20);
  }
  TableSource source;
  TForm* form = nullptr;
  TTreeGrid* grid = nullptr;

 private:
  std::unique_ptr<TApplication> app_;
};

TEST_F(TreeGridTest, ChildRowTextRunsAcrossEmptyCells) {
  Fill({{L"b", 2, L"a preview that reads across the whole width of the grid"}, {L"a", 1, L"short"}});
  Pump(100);
  ASSERT_EQ(grid->Rows().size(), 4u);
  EXPECT_EQ(Order(), L"a b ");
  // The child's text is painted inside the Number column too: dark pixels there.
  TGridNode* child = grid->Rows()[3];
  RECT r = grid->CellRect(child, 1);
  HDC dc = GetDC(grid->Handle());
  int dark = 0;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y)
      if (GetRValue(GetPixel(dc, x, y)) < 100) ++dark;
  ReleaseDC(grid->Handle(), dc);
  EXPECT_GT(dark, 10) << "the preview text stops at its own column";
  testsupport::SaveScreenShot(L"treegrid-span", RECT{40, 40, 460, 300});
}

}  // namespace

namespace {

TEST_F(TreeGridTest, SortsStablyAndEditsOnlyWhatTheHandlerGrants) {
  Fill({{L"b", 2, L"pb"}, {L"a", 2, L"pa"}, {L"c", 1, L"pc"}});
  EXPECT_EQ(Order(), L"a b c ");
  grid->SetSort(1, TSortDirection::sdAscending);
  EXPECT_EQ(Order(), L"c b a ") << "equal numbers in the order the rows were added";
  grid->SetSort(1, TSortDirection::sdDescending);
  EXPECT_EQ(Order(), L"b a c ");
  // Header glyph follows the sort.
  HWND header = reinterpret_cast<HWND>(SendMessageW(grid->Handle(), LVM_GETHEADER, 0, 0));
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_TRUE(item.fmt & HDF_SORTDOWN);
  SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_FALSE(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));

  std::vector<std::wstring> renamed;
  int edited = 0;
  grid->OnEditing = [](TTreeGrid*, TGridNode* n, int column, bool& allowed) { allowed = n->Kind == 1 && column == 0; };
  grid->OnNewText = [&](TTreeGrid*, TGridNode* n, int, const std::wstring& text) {
    source.Items[reinterpret_cast<size_t>(n->Data)].Name = text;
    renamed.push_back(text);
  };
  grid->OnEdited = [&](TTreeGrid*, TGridNode*, int, bool) { ++edited; };
  TGridNode* b = grid->Rows()[0];
  EXPECT_FALSE(grid->EditNode(b, 1));
  ASSERT_TRUE(grid->EditNode(b, 0));
  SetWindowTextW(grid->EditorHandle(), L"zz");
  grid->EndEditNode();
  EXPECT_EQ(renamed, std::vector<std::wstring>{L"zz"});
  EXPECT_EQ(edited, 1);
  // Clearing the rows while editing ends the edit first, without a new text.
  ASSERT_TRUE(grid->EditNode(grid->Rows()[0], 0));
  grid->Clear();
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(edited, 2);
  EXPECT_EQ(renamed.size(), 1u);
}

TEST_F(TreeGridTest, ASecondClickOnTheFocusedRowEditsItLaterUnlessTheUserDidSomethingElseFirst) {
  Fill({{L"a", 1, L""}, {L"b", 2, L""}});
  std::vector<std::wstring> renamed;
  grid->OnEditing = [](TTreeGrid*, TGridNode*, int column, bool& allowed) { allowed = column == 0; };
  grid->OnNewText = [&](TTreeGrid*, TGridNode*, int, const std::wstring& text) { renamed.push_back(text); };
  TGridNode* a = grid->Rows()[0];
  HWND editor = nullptr;
  const struct Row {
    const char* first;
    std::function<void()> act;
  } rows[] = {
      {"nothing", nullptr},
      {"F2 and typing", [&] { Key(VK_F2), editor = grid->EditorHandle(), SetWindowTextW(editor, L"typed"); }},
      {"a key", [&] { Key(VK_DOWN); }},
      {"the focus elsewhere", [&] { SetFocus(form->Handle()); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.first);
    grid->SetFocusedNode(a);
    SetFocus(grid->Handle());
    editor = nullptr;
    Click(a, 0);
    if (!row.act) {
      EXPECT_TRUE(testsupport::PumpUntil([&] { return grid->IsEditing(); })) << "the second click edits the row";
    } else {
      row.act();
      // Long enough for the click's edit to have come, had it been left waiting.
      Pump(2 * GetDoubleClickTime());
      EXPECT_EQ(grid->IsEditing(), editor != nullptr);
      EXPECT_EQ(grid->EditorHandle(), editor) << "only the edit begun by F2, and that one goes on";
    }
    EXPECT_TRUE(renamed.empty()) << "nothing typed was taken as the new text";
    grid->CancelEditNode();
    Pump(20);
  }
}

TEST_F(TreeGridTest, SectionsCollapseByButtonAndKeysUnlessRefused) {
  source.Items = {{L"Today", 0, L""}, {L"Tomorrow", 0, L""}};
  grid->SetHeaderVisible(false);
  grid->ShowTreeLines = grid->ShowRootLines = true;
  grid->AutoSort = false;
  grid->SetImages(nullptr);
  grid->BeginUpdate();
  for (size_t i = 0; i < 2; ++i) {
    TGridNode* section = grid->AddChild(nullptr, 1, reinterpret_cast<void*>(i));
    for (int k = 0; k < 3; ++k) grid->AddChild(section, 0, reinterpret_cast<void*>(i));
    grid->Expand(section, true);
  }
  grid->EndUpdate();
  ASSERT_EQ(grid->Rows().size(), 8u);
  TGridNode* today = grid->Roots()[0];
  // A click on the button closes the section; the rows under it go.
  RECT cell = grid->CellRect(today, 0);
  LPARAM onButton = MAKELPARAM(cell.left + grid->Indent / 2, (cell.top + cell.bottom) / 2);
  SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onButton);
  SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, onButton);
  EXPECT_FALSE(today->Expanded());
  EXPECT_EQ(grid->Rows().size(), 5u);
  Pump(100);
  testsupport::SaveScreenShot(L"treegrid-sections", RECT{40, 40, 460, 300});
  // Keys: right opens the focused section, left closes it, unless refused.
  grid->SetFocusedNode(today);
  SetFocus(grid->Handle());
  Key(VK_RIGHT);
  EXPECT_TRUE(today->Expanded());
  grid->OnCollapsing = [](TTreeGrid*, TGridNode*, bool& allowed) { allowed = false; };
  Key(VK_LEFT);
  EXPECT_TRUE(today->Expanded());
  // Rows stay by position when the counts change; new ones come from the source.
  int made = 0;
  struct Init : TableSource {
    int* made;
    void InitNode(TTreeGrid*, TGridNode* n) override {
      n->Kind = 0;
      ++*made;
    }
  } init;
  init.Items = source.Items;
  init.made = &made;
  grid->Source = &init;
  TGridNode* second = today->Children()[1];
  grid->SetChildCount(today, 5);
  EXPECT_EQ(made, 2);
  EXPECT_EQ(today->Children()[1], second);
  grid->SetFocusedNode(today->Children()[4]);
  grid->SetChildCount(today, 2);
  EXPECT_EQ(grid->FocusedNode(), nullptr) << "the focused row went";
  EXPECT_EQ(today->Children()[1], second);
  grid->SetRootCount(1);
  EXPECT_EQ(grid->RootCount(), 1);
  grid->Source = &source;
}

TEST_F(TreeGridTest, DraggedColumnsKeepTheirCellsAndTheLastColumnFillsTheWidth) {
  Fill({{L"name", 7, L""}});
  grid->AutoSizeColumn = 2;
  grid->SetColumnWidth(0, 100);
  RECT client;
  GetClientRect(grid->Handle(), &client);
  EXPECT_EQ(grid->ColumnWidth(0) + grid->ColumnWidth(1) + grid->ColumnWidth(2), client.right) << "no gap at the right";
  grid->SetColumnOrder({1, 0, 2});
  TGridNode* row = grid->Rows()[0];
  RECT number = grid->CellRect(row, 1), name = grid->CellRect(row, 0);
  EXPECT_LT(number.left, name.left) << "the Number column now stands first";
  int column = -1;
  EXPECT_EQ(grid->NodeAt((number.left + number.right) / 2, (number.top + number.bottom) / 2, &column), row);
  EXPECT_EQ(column, 1);
  form->SetBounds(40, 40, 520, 260);
  Pump(30);
  GetClientRect(grid->Handle(), &client);
  EXPECT_EQ(grid->ColumnWidth(0) + grid->ColumnWidth(1) + grid->ColumnWidth(2), client.right) << "after a resize";
}

TEST_F(TreeGridTest, HintOfTheCellUnderTheMouse) {
  Fill({{L"a", 1, L""}, {L"b", 2, L""}});
  SetForegroundWindow(form->Handle());
  RECT r = grid->CellRect(grid->Rows()[2], 0);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(grid->Handle(), &p);
  SetCursorPos(p.x, p.y);
  ScreenToClient(grid->Handle(), &p);
  SendMessageW(grid->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  const bool shown = testsupport::PumpUntil([&] { return IsWindowVisible(grid->HintWindow()) != FALSE; }, 3000);
  if (!shown) GTEST_SKIP() << "the tip does not show on this display";
  EXPECT_EQ(grid->CurrentHint(), L"hint b");
}

}  // namespace
