#pragma once
// Windowed standard controls: button, check box, label, group box, edit, and the page control
// with its tab sheets.
#include <string>
#include <vector>

#include "ui/Controls.h"

// A wrapped system control: created from its window class, then subclassed.
class TStdControl : public TWinControl {
 public:
  TStdControl(TComponent* owner, const wchar_t* windowClass, DWORD style, DWORD exStyle = 0);

 protected:
  void CreateParams(TCreateParams& params) override;
  const wchar_t* windowClass_;
  DWORD style_, exStyle_;
};

class TButton : public TStdControl {
 public:
  explicit TButton(TComponent* owner, const std::wstring& name = {});
  int ModalResult = 0;
  bool Default() const { return default_; }
  void SetDefault(bool on);
  bool Cancel = false;
  void Click() override;

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void HandleCreated() override;
  void CreateParams(TCreateParams& params) override;

 private:
  bool default_ = false;
};

class TCheckBox : public TStdControl {
 public:
  explicit TCheckBox(TComponent* owner, const std::wstring& name = {});
  bool Checked() const;
  void SetChecked(bool checked);

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void HandleCreated() override;

 private:
  bool checked_ = false;
};

class TLabel : public TStdControl {
 public:
  explicit TLabel(TComponent* owner, const std::wstring& name = {});
};

class TGroupBox : public TStdControl {
 public:
  explicit TGroupBox(TComponent* owner, const std::wstring& name = {});

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TEdit : public TStdControl {
 public:
  explicit TEdit(TComponent* owner, const std::wstring& name = {});
  std::wstring Text() const { return Caption(); }
  void SetText(const std::wstring& text) { SetCaption(text); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  // The most characters the user can type; 0 for the system's limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);
  TNotifyEvent OnChange;

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;

 private:
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class TPageControl;

// One page of a page control: a plain container whose caption is the tab's text.
class TTabSheet : public TWinControl {
 public:
  TTabSheet(TPageControl* pageControl, const std::wstring& name = {});
  ~TTabSheet() override;
  void SetCaption(const std::wstring& caption) override;
  std::wstring Caption() const override { return caption_; }
  TPageControl* PageControl() const { return pageControl_; }

 private:
  TPageControl* pageControl_;
};

class TPageControl : public TStdControl {
 public:
  explicit TPageControl(TComponent* owner, const std::wstring& name = {});
  const std::vector<TTabSheet*>& Pages() const { return pages_; }
  TTabSheet* ActivePage() const;
  void SetActivePage(TTabSheet* page);
  TNotifyEvent OnChange;

 protected:
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void HandleCreated() override;
  void Resized() override;
  void BoundsChanged() override;

 private:
  friend class TTabSheet;
  void AddPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void SyncTabs();
  void LayoutPages();
  std::vector<TTabSheet*> pages_;
  int active_ = -1;
};
