#include "notewindows/TrekComponents.h"

TTrekRect::TTrekRect(TComponent* owner, const std::wstring& name) : TGraphicControl(owner) {
  SetName(name);
  SetBounds(0, 0, 100, 110);
  SetColor(0xFF0000);
}

TTrekRect::~TTrekRect() = default;

void TTrekRect::SetColor(TColor color) {
  if (color == Color()) return;
  ++colorInvalidations_;
  TGraphicControl::SetColor(color);
}

void TTrekRect::Paint(TCanvas& canvas) {
  // Filled straight onto the parent's canvas. An off-screen bitmap per control would give the
  // same pixels but hold a bitmap and a device context for each border of every open note:
  // with a thousand notes that is most of the 10,000 GDI objects a process may have.
  canvas.Brush.Color = Color();
  canvas.FillRect(0, 0, Width(), Height());
}
