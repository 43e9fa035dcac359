#pragma once
// Windowless helpers (paint box, flat speed button) and the timer.
#include <functional>

#include "ui/Controls.h"

class TPaintBox : public TGraphicControl {
 public:
  explicit TPaintBox(TComponent* owner, const std::wstring& name = {});
  std::function<void(TComponent* sender, TCanvas& canvas)> OnPaint;
  void Paint(TCanvas& canvas) override;
};

// A flat, transparent button: it draws nothing of its own and lies over shapes that its
// parent paints, so that those shapes act as buttons. Moving it out of sight hides it.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner, const std::wstring& name = {});
  bool Flat = true;
  bool Transparent = true;
  void Paint(TCanvas& canvas) override;
};

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner, const std::wstring& name = {}, unsigned interval = 1000);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned interval);
  // Switches the timer off and on, so that its count starts again.
  void Restart();
  TNotifyEvent OnTimer;
  void Tick();  // called by the application window

 private:
  void Arm();     // the system's timer runs from now with the interval
  void Disarm();  // the system's timer is stopped
  bool enabled_ = false;
  unsigned interval_;
  UINT_PTR id_ = 0;
};
