#include "ui/StdCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Forms.h"

TStdControl::TStdControl(TComponent* owner, const wchar_t* windowClass, DWORD style, DWORD exStyle)
    : TWinControl(owner), windowClass_(windowClass), style_(style), exStyle_(exStyle) {
  ownClass_ = false;
  SetColor(clNone);
}

void TStdControl::CreateParams(TCreateParams& params) {
  params.WindowClass = windowClass_;
  params.Style = style_ | WS_CHILD | WS_CLIPSIBLINGS | (Visible() ? WS_VISIBLE : 0) | (Enabled() ? 0 : WS_DISABLED);
  params.ExStyle = exStyle_;
}

TButton::TButton(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP) {
  SetName(name);
  SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool on) {
  default_ = on;
  if (HWND h = HandleIfAllocated())
    SendMessageW(h, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::HandleCreated() { SetDefault(default_); }

void TButton::CreateParams(TCreateParams& params) {
  TStdControl::CreateParams(params);
  // The dialog keyboard presses these ids for Enter and Escape.
  if (default_)
    params.Id = IDOK;
  else if (Cancel)
    params.Id = IDCANCEL;
}

void TButton::Click() {
  TLifeCheck alive = Watch();
  TStdControl::Click();
  // The handler may have run a dialog during which the form went.
  if (alive && ModalResult != 0)
    if (TForm* f = ParentForm(this)) f->ModalResult = ModalResult;
}

bool TButton::Notify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    // The dialog keyboard sends its clicks by id, whatever the button's state.
    if (IsWindowEnabled(HandleIfAllocated()) && IsWindowVisible(HandleIfAllocated())) Click();
    result = 0;
    return true;
  }
  return false;
}

TCheckBox::TCheckBox(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP) {
  SetName(name);
  SetBounds(0, 0, 97, 17);
}

bool TCheckBox::Checked() const {
  if (HWND h = HandleIfAllocated()) return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return checked_;
}

void TCheckBox::SetChecked(bool checked) {
  checked_ = checked;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::HandleCreated() { SetChecked(checked_); }

bool TCheckBox::Notify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    checked_ = Checked();
    Click();
    result = 0;
    return true;
  }
  return false;
}

TLabel::TLabel(TComponent* owner, const std::wstring& name) : TStdControl(owner, L"STATIC", SS_LEFT) {
  SetName(name);
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool on) {
  autoSize_ = on;
  AdjustSize();
}

void TLabel::SetWordWrap(bool on) {
  wordWrap_ = on;
  AdjustSize();
}

void TLabel::SetCaption(const std::wstring& caption) {
  TStdControl::SetCaption(caption);
  AdjustSize();
}

void TLabel::ApplyFont() {
  TStdControl::ApplyFont();
  AdjustSize();
}

void TLabel::BoundsChanged() {
  // A wrapped label given another width wraps anew.
  if (wordWrap_) AdjustSize();
}

SIZE TLabel::TextExtent(int wrapWidth) {
  // Measured as the static control draws it: its font, tabs expanded, "&" marking the access key.
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  const std::wstring text = caption_.empty() ? L" " : caption_;
  RECT r{0, 0, std::max(wrapWidth, 1), 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : 0));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{caption_.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

void TLabel::AdjustSize() {
  if (!autoSize_ || adjusting_) return;
  adjusting_ = true;
  const SIZE need = TextExtent(wordWrap_ ? Width() : 0);
  SetBounds(Left(), Top(), wordWrap_ ? std::max<int>(Width(), need.cx) : need.cx, need.cy);
  adjusting_ = false;
}

void LayOutLabelColumn(const std::vector<TLabelRow>& rows, int controlsLeft, int gap, int right, int minWidth) {
  if (rows.empty()) return;
  const int labelsLeft = rows.front().Label->Left();
  int widest = 0;
  for (const TLabelRow& row : rows) {
    row.Label->SetWordWrap(false);
    row.Label->SetAutoSize(true);
    widest = std::max<int>(widest, row.Label->Width());
  }
  int left = std::max(controlsLeft, labelsLeft + widest + gap);
  if (right - left < minWidth) {
    // No room for the labels on one line: they wrap in the column that is left.
    left = std::max(controlsLeft, right - minWidth);
    for (const TLabelRow& row : rows) {
      row.Label->SetWidth(std::max(left - gap - labelsLeft, 1));
      row.Label->SetWordWrap(true);
    }
  }
  for (const TLabelRow& row : rows) {
    TControl* c = row.Control;
    c->SetBounds(left, c->Top(), std::max(std::min(c->Width(), right - left), 1), c->Height());
  }
}

TGroupBox::TGroupBox(TComponent* owner, const std::wstring& name)
    // A container: the dialog keyboard walks into the controls inside it.
    : TStdControl(owner, L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT) {
  SetName(name);
  SetBounds(0, 0, 185, 105);
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The system's group box draws only its frame and text: the inside would show whatever was
  // on the screen before (another page's controls).
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(HandleIfAllocated(), &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, BackgroundBrush());
    return 1;
  }
  return TStdControl::WndProc(msg, wp, lp);
}

TEdit::TEdit(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE) {
  SetName(name);
  SetBounds(0, 0, 121, 21);
  SetColor(clWhite);
}

void TEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETREADONLY, on, 0);
}

void TEdit::SetMaxLength(int length) {
  maxLength_ = length;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_LIMITTEXT, length, 0);
}

void TEdit::HandleCreated() {
  // Also for no limit: the system's default limit would refuse typing past 30,000 characters.
  SetMaxLength(maxLength_);
}

void TEdit::CreateParams(TCreateParams& params) {
  TStdControl::CreateParams(params);
  if (readOnly_) params.Style |= ES_READONLY;
}

bool TEdit::Notify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
    if (OnChange) OnChange(this);
    result = 0;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------- pages

TTabSheet::TTabSheet(TPageControl* pageControl, const std::wstring& name)
    : TWinControl(pageControl), pageControl_(pageControl) {
  SetName(name);
  SetColor(clNone);
  pageControl_->AddPage(this);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (pageControl_) pageControl_->SyncTabs();
}

TPageControl::TPageControl(TComponent* owner, const std::wstring& name)
    : TStdControl(owner, WC_TABCONTROLW, WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT) {
  SetName(name);
  SetBounds(0, 0, 289, 193);
}

void TPageControl::AddPage(TTabSheet* page) {
  pages_.push_back(page);
  page->SetParent(this);
  if (active_ < 0) active_ = 0;
  SyncTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  if (active_ >= static_cast<int>(pages_.size())) active_ = static_cast<int>(pages_.size()) - 1;
  SyncTabs();
}

TTabSheet* TPageControl::ActivePage() const {
  return active_ >= 0 && active_ < static_cast<int>(pages_.size()) ? pages_[active_] : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  active_ = static_cast<int>(it - pages_.begin());
  if (HWND h = HandleIfAllocated()) TabCtrl_SetCurSel(h, active_);
  LayoutPages();
}

void TPageControl::SyncTabs() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  TabCtrl_DeleteAllItems(h);
  for (size_t i = 0; i < pages_.size(); ++i) {
    std::wstring text = pages_[i]->Caption();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(h, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  if (active_ >= 0) TabCtrl_SetCurSel(h, active_);
  LayoutPages();
}

void TPageControl::LayoutPages() {
  HWND h = HandleIfAllocated();
  RECT r{0, 0, Width(), Height()};
  if (h) {
    GetClientRect(h, &r);
    TabCtrl_AdjustRect(h, FALSE, &r);
  }
  for (size_t i = 0; i < pages_.size(); ++i) {
    pages_[i]->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    pages_[i]->SetVisible(static_cast<int>(i) == active_);
  }
}

void TPageControl::HandleCreated() { SyncTabs(); }
void TPageControl::Resized() { LayoutPages(); }
void TPageControl::BoundsChanged() { LayoutPages(); }

bool TPageControl::Notify(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(TCN_SELCHANGE)) {
    active_ = TabCtrl_GetCurSel(HandleIfAllocated());
    LayoutPages();
    if (OnChange) OnChange(this);
    result = 0;
    return true;
  }
  return false;
}
