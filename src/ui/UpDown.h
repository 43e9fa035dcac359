#pragma once
// The up-down arrows beside an edit (its buddy), which show the position as a number.
#include <functional>

#include "ui/StdCtrls.h"

class TUpDown : public TStdControl {
 public:
  explicit TUpDown(TComponent* owner, const std::wstring& name = {});

  int Min() const { return min_; }
  void SetMin(int value) { SetRange(value, max_); }
  int Max() const { return max_; }
  void SetMax(int value) { SetRange(min_, value); }
  void SetRange(int min, int max);
  // Read from the buddy's text while there is one, so a number typed there counts.
  int Position() const;
  void SetPosition(int value);
  int Increment = 1;

  // The edit the arrows step; the arrows move to its right edge and take its height.
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* edit);

  // Before a step: the new position, which the handler may refuse.
  std::function<void(TComponent* sender, int newPosition, bool& allow)> OnChanging;
  // After a step by the arrows, their keys or the mouse.
  TNotifyEvent OnChange;

 protected:
  void HandleCreated() override;
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  int min_ = 0, max_ = 100, position_ = 0;
  TWinControl* associate_ = nullptr;
};
