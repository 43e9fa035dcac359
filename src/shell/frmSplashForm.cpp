#include "shell/frmSplashForm.h"

#include <vector>

TSplashForm* SplashForm = nullptr;

namespace {
constexpr int kPictureWidth = 214, kPictureHeight = 150;
constexpr int kFold = 26;  // the folded corner at the bottom right

// The note's outline: rounded at the top, the bottom-right corner folded away.
std::vector<POINT> NoteOutline() {
  const int r = kPictureWidth - 1, b = kPictureHeight - 1;
  return {{4, 0}, {r - 4, 0}, {r, 4}, {r, b - kFold}, {r - kFold, b}, {0, b}, {0, 4}};
}
}  // namespace

TSplashForm::TSplashForm(TComponent* owner) : TForm(owner, L"TSplashForm") {
  SetName(L"SplashForm");
  BorderStyle = TFormBorderStyle::bsNone;
  SetColor(GetSysColor(COLOR_BTNFACE));
  SetClientSize(214, 169);
  CenterOnScreen(*this);
  SplashImage = new TImage(this, L"SplashImage");
  SplashImage->SetParent(this);
  DrawSplashPicture(SplashImage->Picture());
  SplashImage->SetBounds(0, 0, kPictureWidth, kPictureHeight);
  SetAlphaBlendValue(225);
  SetAlphaBlend(true);
  TBitmap mask(kPictureWidth, kPictureHeight);
  DrawSplashMask(mask);
  SetWindowRegion(RegionFromMask(mask));
}

namespace {
// The note's outline on white, filled and edged as given; picture and mask share it, so the
// window's region fits the picture exactly. Leaves the pen selected, and returns the DC's own.
HGDIOBJ DrawOutline(TBitmap& bitmap, HBRUSH brush, HPEN pen, HGDIOBJ& oldPen) {
  bitmap.SetSize(kPictureWidth, kPictureHeight);
  TCanvas& c = bitmap.Canvas();
  c.Brush.Color = clWhite;
  c.FillRect(0, 0, kPictureWidth, kPictureHeight);
  HDC dc = c.Handle();
  std::vector<POINT> outline = NoteOutline();
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  oldPen = SelectObject(dc, pen);
  Polygon(dc, outline.data(), static_cast<int>(outline.size()));
  return oldBrush;
}
}  // namespace

void TSplashForm::DrawSplashPicture(TBitmap& picture) {
  HBRUSH body = CreateSolidBrush(0x80FFFF);
  HPEN edge = CreatePen(PS_SOLID, 1, 0x00B0B0);
  HGDIOBJ oldPen;
  HGDIOBJ oldBrush = DrawOutline(picture, body, edge, oldPen);
  TCanvas& c = picture.Canvas();
  HDC dc = c.Handle();
  // The title bar of a note, and the fold in a darker yellow.
  HBRUSH bar = CreateSolidBrush(0x00ECEC), fold = CreateSolidBrush(0x00C8D8);
  SelectObject(dc, bar);
  Rectangle(dc, 0, 4, kPictureWidth, 18);
  const int r = kPictureWidth - 1, b = kPictureHeight - 1;
  POINT corner[] = {{r, b - kFold}, {r - kFold, b - kFold}, {r - kFold, b}};
  SelectObject(dc, fold);
  Polygon(dc, corner, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(body), DeleteObject(bar), DeleteObject(fold), DeleteObject(edge);

  c.Brush.Style = TBrushStyle::Clear;
  c.Font.SetName(L"Arial");
  c.Font.SetStyle(FontStyle::Bold);
  c.Font.SetSize(28);
  c.Font.SetColor(0x404040);
  const std::wstring name = L"Vantaro";
  c.TextOut((kPictureWidth - c.TextWidth(name)) / 2, 42, name);
  c.Font.SetSize(10);
  c.Font.SetStyle(0);
  c.Font.SetColor(0x606060);
  const std::wstring line = L"sticky notes for your desktop";
  c.TextOut((kPictureWidth - c.TextWidth(line)) / 2, 92, line);
  c.Brush.Style = TBrushStyle::Solid;
}

void TSplashForm::DrawSplashMask(TBitmap& mask) {
  HGDIOBJ oldPen;
  HGDIOBJ oldBrush = DrawOutline(mask, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                                 static_cast<HPEN>(GetStockObject(BLACK_PEN)), oldPen);
  HDC dc = mask.Canvas().Handle();
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

HRGN TSplashForm::RegionFromMask(const TBitmap& mask) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (int y = 0; y < mask.Height(); ++y) {
    int x = 0;
    while (x < mask.Width()) {
      while (x < mask.Width() && mask.Pixel(x, y) != clBlack) ++x;
      const int start = x;
      while (x < mask.Width() && mask.Pixel(x, y) == clBlack) ++x;
      if (x > start) {
        HRGN run = CreateRectRgn(start, y, x, y + 1);
        CombineRgn(region, region, run, RGN_OR);
        DeleteObject(run);
      }
    }
  }
  return region;
}

void CenterOnScreen(TForm& form) {
  form.SetBounds((GetSystemMetrics(SM_CXSCREEN) - form.Width()) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - form.Height()) / 2, form.Width(), form.Height());
}

void CreateSplash(bool show) { SplashForm = show ? new TSplashForm(nullptr) : nullptr; }

void ShowSplash() {
  if (!SplashForm) return;
  SplashForm->Show();
  SplashForm->Repaint();
}

void CloseSplash() {
  if (!SplashForm) return;
  SplashForm->Release();
  SplashForm = nullptr;
}
