#pragma once
// A list view in report mode with a check box in front of every row: columns, rows with
// sub-items, a small image per row and a number of the program's own per row (its data),
// by which the rows are sorted.
#include <functional>
#include <string>

#include "ui/StdCtrls.h"

class TCheckListView : public TStdControl {
 public:
  explicit TCheckListView(TComponent* owner, const std::wstring& name = {});

  // The window is made on first use: the view must have its parent by then.
  // Width -1 makes the column take the rest of the view's width.
  int AddColumn(const std::wstring& caption, int width);
  void SetColumnWidth(int column, int width);
  int ColumnCount() const;

  // Returns the new row's index.
  int AddItem(const std::wstring& caption, LPARAM data = 0, int imageIndex = -1);
  void SetSubItem(int index, int column, const std::wstring& text);
  std::wstring ItemText(int index, int column = 0) const;
  void SetItemText(int index, const std::wstring& caption) { SetSubItem(index, 0, caption); }
  LPARAM ItemData(int index) const;
  int ItemImage(int index) const;
  void SetItemImage(int index, int imageIndex);
  int FindData(LPARAM data) const;  // the row with this data, or -1
  int ItemCount() const;
  void DeleteItem(int index);
  void Clear();

  bool Checked(int index) const;
  // Changes made by the program do not run OnItemChecked.
  void SetChecked(int index, bool checked);

  // The selected row, or -1.
  int ItemIndex() const;
  void SetItemIndex(int index);

  // Small images in front of the captions; the list stays the caller's.
  void SetSmallImages(TImageList* images);

  // Orders the rows by their data, through the compare handler (negative, zero, positive).
  std::function<int(LPARAM a, LPARAM b)> OnCompare;
  void Sort();

  // The user checked or unchecked a row.
  std::function<void(TComponent* sender, int index, bool checked)> OnItemChecked;
  // OnClick: a click in the view. OnSelectItem: another row was selected.
  TNotifyEvent OnSelectItem;

 protected:
  void HandleCreated() override;
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  HWND View() const { return const_cast<TCheckListView*>(this)->Handle(); }
  TImageList* smallImages_ = nullptr;
  int settingCheck_ = 0;  // inside a change made by the program
};
