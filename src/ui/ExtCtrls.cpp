#include "ui/ExtCtrls.h"

#include "ui/Application.h"

TPaintBox::TPaintBox(TComponent* owner, const std::wstring& name) : TGraphicControl(owner) {
  SetName(name);
  SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint(TCanvas& canvas) {
  if (OnPaint) OnPaint(this, canvas);
}

TSpeedButton::TSpeedButton(TComponent* owner, const std::wstring& name) : TGraphicControl(owner) {
  SetName(name);
  SetBounds(0, 0, 23, 22);
}

void TSpeedButton::Paint(TCanvas& canvas) {
  // Transparent and flat: the parent's painting shows through.
  if (!Transparent) {
    canvas.Brush.Color = Color();
    canvas.FillRect(RECT{0, 0, Width(), Height()});
  }
}

TTimer::TTimer(TComponent* owner, const std::wstring& name, unsigned interval)
    : TComponent(owner), interval_(interval) {
  SetName(name);
}

TTimer::~TTimer() { Disarm(); }

// Under Wine each SetTimer and KillTimer is a round trip to the server, so the system's timer
// is stopped lazily: switching off only marks the timer, and its next tick, finding it off,
// stops it. A stop and start in a row (the usual restart) is thus one SetTimer, which
// replaces the running one and so starts its count again.
void TTimer::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (enabled_) Arm();
}

void TTimer::SetInterval(unsigned interval) {
  if (interval_ == interval) return;
  interval_ = interval;
  if (enabled_) Arm();
}

void TTimer::Restart() {
  enabled_ = true;
  Arm();
}

void TTimer::Arm() {
  if (interval_ == 0 || !Application) {
    Disarm();
    return;
  }
  if (!id_) id_ = Application->AddTimer(this);
  SetTimer(Application->Handle(), id_, interval_, nullptr);
}

void TTimer::Disarm() {
  if (id_ && Application) Application->RemoveTimer(id_);
  id_ = 0;
}

void TTimer::Tick() {
  if (!enabled_) {
    Disarm();
    return;
  }
  if (!OnTimer) return;
  TLifeCheck alive = Watch();
  OnTimer(this);
  // Switched off by its own handler: stopped at once rather than at one more tick.
  if (alive && !enabled_) Disarm();
}
