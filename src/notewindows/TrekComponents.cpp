#include "notewindows/TrekComponents.h"

TTrekRect::TTrekRect(TComponent* owner, const std::wstring& name) : TGraphicControl(owner), bitmap_(new TBitmap) {
  SetName(name);
  SetBounds(0, 0, 100, 110);
  SetColor(0xFF0000);
}

TTrekRect::~TTrekRect() { delete bitmap_; }

void TTrekRect::SetColor(TColor color) {
  if (color == Color()) return;
  ++colorInvalidations_;
  TGraphicControl::SetColor(color);
}

void TTrekRect::Paint(TCanvas& canvas) {
  // The off-screen bitmap is resized only when the control's size changed.
  if (bitmap_->Width() != Width() || bitmap_->Height() != Height()) bitmap_->SetSize(Width(), Height());
  TCanvas& c = bitmap_->Canvas();
  c.Brush.Color = Color();
  c.Pen.Color = Color();
  c.Rectangle(0, 0, Width() + 1, Height() + 1);
  canvas.Draw(0, 0, *bitmap_);
}
