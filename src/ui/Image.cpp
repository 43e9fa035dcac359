#include "ui/Image.h"

#include <algorithm>

TImage::TImage(TComponent* owner, const std::wstring& name) : TGraphicControl(owner) {
  SetName(name);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  if (icon_) DestroyIcon(icon_);
}

void TImage::SetPicture(const TBitmap& bitmap) {
  picture_.SetSize(bitmap.Width(), bitmap.Height());
  picture_.Canvas().Draw(0, 0, bitmap);
  Invalidate();
}

void TImage::SetIcon(HICON icon) {
  if (icon_) DestroyIcon(icon_);
  icon_ = icon ? CopyIcon(icon) : nullptr;
  Invalidate();
}

SIZE TImage::PictureSize() const {
  if (!icon_) return SIZE{picture_.Width(), picture_.Height()};
  SIZE s{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  ICONINFO info{};
  if (GetIconInfo(icon_, &info)) {
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) s = SIZE{bm.bmWidth, bm.bmHeight};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  return s;
}

void TImage::Paint(TCanvas& canvas) {
  SIZE s = PictureSize();
  if (s.cx <= 0 || s.cy <= 0) return;
  int w = s.cx, h = s.cy;
  if (Stretch) {
    w = Width();
    h = Height();
    if (Proportional) {
      // The larger of the two scales that still fit.
      if (static_cast<long long>(Width()) * s.cy < static_cast<long long>(Height()) * s.cx)
        h = MulDiv(s.cy, Width(), s.cx);
      else
        w = MulDiv(s.cx, Height(), s.cy);
    }
  }
  int x = Center ? (Width() - w) / 2 : 0, y = Center ? (Height() - h) / 2 : 0;
  HDC dc = canvas.Handle();
  if (icon_) {
    DrawIconEx(dc, x, y, icon_, w, h, 0, nullptr, DI_NORMAL);
  } else {
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, x, y, w, h, picture_.DC(), 0, 0, s.cx, s.cy, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  }
}
