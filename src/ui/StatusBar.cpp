#include "ui/StatusBar.h"

#include <commctrl.h>

TStatusBar::TStatusBar(TComponent* owner, const std::wstring& name)
    // Our layout places it: the bar neither moves nor sizes itself along its parent.
    : TStdControl(owner, STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER) {
  SetName(name);
  SetBounds(0, 0, 200, 19);
  SetAlign(TAlign::alBottom);
}

void TStatusBar::SetSimplePanel(bool on) {
  simple_ = on;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, SB_SIMPLE, on, 0);
}

void TStatusBar::SetSimpleText(const std::wstring& text) {
  simpleText_ = text;
  SyncText(SB_SIMPLEID);
}

int TStatusBar::AddPanel(const std::wstring& text, int width) {
  panels_.push_back(TStatusPanel{text, width});
  SyncParts();
  return static_cast<int>(panels_.size()) - 1;
}

void TStatusBar::SetPanelText(int index, const std::wstring& text) {
  if (index < 0 || index >= static_cast<int>(panels_.size())) return;
  panels_[index].Text = text;
  SyncText(index);
}

void TStatusBar::SetPanelWidth(int index, int width) {
  if (index < 0 || index >= static_cast<int>(panels_.size())) return;
  panels_[index].Width = width;
  SyncParts();
}

void TStatusBar::ClearPanels() {
  panels_.clear();
  SyncParts();
}

void TStatusBar::SyncParts() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  // The bar takes the right edge of each part; -1 runs to the end of the bar.
  std::vector<int> edges;
  int x = 0;
  for (const TStatusPanel& p : panels_) {
    x = p.Width < 0 ? -1 : x + p.Width;
    edges.push_back(x);
    if (x < 0) break;
  }
  if (edges.empty()) edges.push_back(-1);
  SendMessageW(h, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (int i = 0; i < static_cast<int>(panels_.size()); ++i) SyncText(i);
}

void TStatusBar::SyncText(int index) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  const std::wstring& text = index == SB_SIMPLEID ? simpleText_ : panels_[index].Text;
  SendMessageW(h, SB_SETTEXTW, index, reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::HandleCreated() {
  SyncParts();
  SyncText(SB_SIMPLEID);
  SendMessageW(HandleIfAllocated(), SB_SIMPLE, simple_, 0);
}
