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
  // An auto-sized label follows its caption and font, so that a translation never cuts it: on
  // one line it is as wide as its text; with WordWrap it keeps its width and is as high as its
  // text wrapped there. What stands beside it is the form's to move (LayOutLabelColumn).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  // The caption's size with the label's font: on one line, or wrapped at wrapWidth when it is
  // more than 0 (wider only when a single word is).
  SIZE TextExtent(int wrapWidth = 0);
  void SetCaption(const std::wstring& caption) override;

 protected:
  void ApplyFont() override;
  void BoundsChanged() override;

 private:
  void AdjustSize();
  bool autoSize_ = false, wordWrap_ = false, adjusting_ = false;
};

// A column of labels, each with the control it names on its row, laid out for the labels'
// texts: the controls stand at controlsLeft, or further right when a label needs the room (gap
// pixels after the widest label). A control that would then pass right gives up width, down
// to minWidth; when even that is too little, the labels wrap in the column left to them. The
// labels become auto-sized.
struct TLabelRow {
  TLabel* Label;
  TControl* Control;
};
void LayOutLabelColumn(const std::vector<TLabelRow>& rows, int controlsLeft, int gap, int right, int minWidth);

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
  // The most characters the user can type; 0 for no limit (not the system's default one).
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
