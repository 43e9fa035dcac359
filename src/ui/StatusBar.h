#pragma once
// The status bar: one simple text, or panels of given widths side by side.
#include <string>
#include <vector>

#include "ui/StdCtrls.h"

struct TStatusPanel {
  std::wstring Text;
  int Width = 50;  // pixels; the last panel takes what is left when its width is -1
};

class TStatusBar : public TStdControl {
 public:
  // Along the bottom of its parent, 19 pixels high.
  explicit TStatusBar(TComponent* owner, const std::wstring& name = {});

  // One text over the whole bar, instead of the panels.
  bool SimplePanel() const { return simple_; }
  void SetSimplePanel(bool on);
  const std::wstring& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::wstring& text);

  const std::vector<TStatusPanel>& Panels() const { return panels_; }
  int AddPanel(const std::wstring& text, int width);
  void SetPanelText(int index, const std::wstring& text);
  void SetPanelWidth(int index, int width);
  void ClearPanels();

 protected:
  void HandleCreated() override;

 private:
  void SyncParts();
  void SyncText(int index);
  bool simple_ = false;
  std::wstring simpleText_;
  std::vector<TStatusPanel> panels_;
};
