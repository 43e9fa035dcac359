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

TTimer::~TTimer() {
  enabled_ = false;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(unsigned interval) {
  if (interval_ == interval) return;
  interval_ = interval;
  Update();
}

void TTimer::Restart() {
  SetEnabled(false);
  SetEnabled(true);
}

void TTimer::Update() {
  if (id_ && Application) Application->RemoveTimer(id_);
  id_ = 0;
  if (enabled_ && interval_ > 0 && Application) {
    id_ = Application->AddTimer(this);
    SetTimer(Application->Handle(), id_, interval_, nullptr);
  }
}

void TTimer::Tick() {
  if (enabled_ && OnTimer) OnTimer(this);
}
