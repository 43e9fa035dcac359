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
