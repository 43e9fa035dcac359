#pragma once
// A windowless picture: a bitmap of its own or an icon, at the top left, centred or stretched.
#include "ui/Controls.h"

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner, const std::wstring& name = {});
  ~TImage() override;

  // The picture to draw into or copy in; an icon, when set, is shown instead.
  TBitmap& Picture() { return picture_; }
  void SetPicture(const TBitmap& bitmap);
  // Keeps a copy of the icon (the caller keeps its own); null shows the picture again.
  void SetIcon(HICON icon);
  HICON Icon() const { return icon_; }

  bool Stretch = false;       // to the control's size
  bool Proportional = false;  // when stretching, keep the picture's proportions
  bool Center = false;
  void Paint(TCanvas& canvas) override;

 private:
  SIZE PictureSize() const;
  TBitmap picture_;
  HICON icon_ = nullptr;
};
