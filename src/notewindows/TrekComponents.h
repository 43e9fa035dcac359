#pragma once
// A windowless rectangle of one colour: the borders and the sizing corner of caption-less
// windows. The owning window sets its colour, cursor and mouse handlers; it only paints.
#include "ui/Controls.h"

class TTrekRect : public TGraphicControl {
 public:
  explicit TTrekRect(TComponent* owner, const std::wstring& name = {});
  ~TTrekRect() override;

  TColor Color() const { return TControl::Color(); }
  void SetColor(TColor color) override;
  void Paint(TCanvas& canvas) override;
  // Number of repaints requested by colour changes (a colour it already has asks for none).
  int ColorInvalidations() const { return colorInvalidations_; }

 private:
  int colorInvalidations_ = 0;
};
