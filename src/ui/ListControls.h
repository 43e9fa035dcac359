#pragma once
// The list box and the combo box: a list of strings with one of them selected. The strings
// are kept here as well as in the window, so that a form can fill a list before its window
// exists and read it after the window is gone.
#include <string>
#include <vector>

#include "ui/StdCtrls.h"

class TListControl;

// The strings of a list box or combo box; every change reaches the window at once.
class TListItems {
 public:
  explicit TListItems(TListControl* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  const std::wstring& operator[](int index) const { return items_.at(index); }
  const std::vector<std::wstring>& Strings() const { return items_; }
  // Each returns the new entry's index.
  int Add(const std::wstring& text);
  int Insert(int index, const std::wstring& text);
  void Delete(int index);
  void Clear();
  void Assign(const std::vector<std::wstring>& items);
  // Compared without regard to case, as the controls themselves look strings up; -1 if absent.
  int IndexOf(const std::wstring& text) const;

 private:
  TListControl* owner_;
  std::vector<std::wstring> items_;
};

class TListControl : public TStdControl {
 public:
  TListItems Items{this};
  // The selected entry, or -1.
  int ItemIndex() const;
  void SetItemIndex(int index);

 protected:
  // The control's own messages for the same operations.
  struct Messages {
    UINT Insert, Delete, Reset, GetSel, SetSel;
  };
  TListControl(TComponent* owner, const wchar_t* windowClass, DWORD style, DWORD exStyle, const Messages& messages);
  void HandleCreated() override;

 private:
  friend class TListItems;
  void Inserted(int index);
  void Deleted(int index);
  void Cleared();
  Messages messages_;
  int itemIndex_ = -1;  // while there is no window
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TListControl {
 public:
  // csDropDown: free text plus a list; csDropDownList: a choice from the list only.
  TComboBox(TComponent* owner, const std::wstring& name = {}, TComboBoxStyle style = TComboBoxStyle::csDropDown);
  TComboBoxStyle Style() const { return style_; }
  std::wstring Text() const;
  // In a drop-down list this selects the entry with the text (or none).
  void SetText(const std::wstring& text);
  // Entries shown at once when the list drops down.
  int DropDownCount = 8;
  bool DroppedDown() const;
  void SetDroppedDown(bool down);
  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnChange;  // the text changed: typed, or another entry chosen
  TNotifyEvent OnSelect;  // an entry was chosen from the list

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  int DroppedHeight() const;
  TComboBoxStyle style_;
};

class TListBox : public TListControl {
 public:
  explicit TListBox(TComponent* owner, const std::wstring& name = {});
  // OnClick runs when the selection changes (by mouse or keys); OnDblClick on a double click
  // on an entry.
  void DblClick() override;

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
