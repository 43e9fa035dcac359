#pragma once
// A multi-line plain-text edit.
#include <string>
#include <vector>

#include "ui/StdCtrls.h"

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TEdit {
 public:
  explicit TMemo(TComponent* owner, const std::wstring& name = {});

  // Taken when the window is made.
  TScrollStyle ScrollBars = TScrollStyle::ssNone;
  bool WordWrap = true;  // long lines wrap at the width (and there is no horizontal scrolling)
  bool Border = true;    // a sunken frame; without it the text area is flat

  // Whether Enter starts a new line and Tab types a tab, rather than going to the dialog's
  // default button and to the next control.
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool on);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool on) { wantTabs_ = on; }

  // The text split at its line breaks (CR LF), and back.
  std::vector<std::wstring> Lines() const;
  void SetLines(const std::vector<std::wstring>& lines);
  void AddLine(const std::wstring& line);
  void Clear() { SetText(L""); }

  // The lines as the memo lays them out, wrapped lines counted one by one.
  int LineCount() const;
  std::wstring DisplayLine(int index) const;

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool wantReturns_ = true;
  bool wantTabs_ = false;
};
