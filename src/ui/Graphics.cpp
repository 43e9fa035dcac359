#include "ui/Graphics.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

COLORREF ColorToRGB(TColor color) {
  if (color == clNone) return RGB(0, 0, 0);
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFF;
}

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

// ---------------------------------------------------------------------------------------------
// TFont

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) {}

TFont::TFont(const TFont& other)
    : name_(other.name_),
      size_(other.size_),
      style_(other.style_),
      color_(other.color_),
      pixelsPerInch_(other.pixelsPerInch_) {}

TFont& TFont::operator=(const TFont& other) {
  Assign(other);
  return *this;
}

TFont::~TFont() {
  if (handle_) {
    if (releasing_) releasing_(handle_);
    DeleteObject(handle_);
  }
}

int TFont::Height() const { return MulDiv(size_, pixelsPerInch_, 72); }

void TFont::SetName(const std::wstring& name) {
  if (name == name_) return;
  name_ = name;
  Changed(true);
}

void TFont::SetSize(int points) {
  if (points == size_) return;
  size_ = points;
  Changed(true);
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed(true);
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed(false);
}

void TFont::SetPixelsPerInch(int ppi) {
  if (ppi <= 0 || ppi == pixelsPerInch_) return;
  pixelsPerInch_ = ppi;
  Changed(true);
}

bool TFont::SameLook(const TFont& other) const {
  return name_ == other.name_ && size_ == other.size_ && style_ == other.style_ &&
         color_ == other.color_ && pixelsPerInch_ == other.pixelsPerInch_;
}

void TFont::Assign(const TFont& other) {
  if (this == &other || SameLook(other)) return;
  bool stale = name_ != other.name_ || size_ != other.size_ || style_ != other.style_ ||
               pixelsPerInch_ != other.pixelsPerInch_;
  name_ = other.name_;
  size_ = other.size_;
  style_ = other.style_;
  color_ = other.color_;
  pixelsPerInch_ = other.pixelsPerInch_;
  Changed(stale);
}

void TFont::Changed(bool handleStale) {
  if (handleStale && handle_) {
    if (releasing_) releasing_(handle_);
    DeleteObject(handle_);
    handle_ = nullptr;
  }
  if (OnChange) OnChange();
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTW lf{};
    // Negative: the character height, so that the size in points means what it says.
    lf.lfHeight = -Height();
    lf.lfWeight = (style_ & FontStyle::Bold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & FontStyle::Italic) ? TRUE : FALSE;
    lf.lfUnderline = (style_ & FontStyle::Underline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style_ & FontStyle::StrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    size_t n = std::min(name_.size(), static_cast<size_t>(LF_FACESIZE - 1));
    std::memcpy(lf.lfFaceName, name_.data(), n * sizeof(wchar_t));
    handle_ = CreateFontIndirectW(&lf);
    if (!handle_) handle_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return handle_;
}

// ---------------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() {
  Font.releasing_ = [this](HFONT font) {
    if (dc_ && fontSelected_ == font) {
      SelectObject(dc_, origFont_);
      fontSelected_ = nullptr;
    }
  };
}

TCanvas::TCanvas(HDC dc) : TCanvas() { dc_ = dc; }

TCanvas::~TCanvas() {
  ReleaseHandle();
  Font.releasing_ = nullptr;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  if (dc_) {
    if (origPen_) SelectObject(dc_, origPen_);
    if (origBrush_) SelectObject(dc_, origBrush_);
    if (origFont_) SelectObject(dc_, origFont_);
  }
  origPen_ = origBrush_ = origFont_ = nullptr;
  fontSelected_ = nullptr;
  brushSelected_ = false;
  FreeObjects();
  dc_ = dc;
}

void TCanvas::FreeObjects() {
  if (pen_ && penOwned_) DeleteObject(pen_);
  pen_ = nullptr;
  penOwned_ = false;
  if (brush_ && brushOwned_) DeleteObject(brush_);
  brush_ = nullptr;
  brushOwned_ = false;
}

void TCanvas::RequirePen() {
  if (!dc_) return;
  if (pen_ && penMade_ == Pen) return;
  HPEN made;
  bool owned = true;
  if (Pen.Style == TPenStyle::Clear) {
    made = static_cast<HPEN>(GetStockObject(NULL_PEN));
    owned = false;
  } else {
    int style = PS_SOLID;
    switch (Pen.Style) {
      case TPenStyle::Dash: style = PS_DASH; break;
      case TPenStyle::Dot: style = PS_DOT; break;
      case TPenStyle::DashDot: style = PS_DASHDOT; break;
      default: break;
    }
    made = CreatePen(style, std::max(Pen.Width, 0), ColorToRGB(Pen.Color));
  }
  HGDIOBJ old = SelectObject(dc_, made);
  if (!origPen_) origPen_ = old;
  if (pen_ && penOwned_) DeleteObject(pen_);
  pen_ = made;
  penOwned_ = owned;
  penMade_ = Pen;
}

HBRUSH TCanvas::BrushHandle() {
  if (brush_ && brushMade_ == Brush) return brush_;
  HBRUSH made;
  bool owned = true;
  if (Brush.Style == TBrushStyle::Clear) {
    made = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    owned = false;
  } else {
    made = CreateSolidBrush(ColorToRGB(Brush.Color));
  }
  // The old brush may still be the DC's: put ours in first, then free the old one.
  if (dc_ && brushSelected_) SelectObject(dc_, made);
  if (brush_ && brushOwned_) DeleteObject(brush_);
  brush_ = made;
  brushOwned_ = owned;
  brushMade_ = Brush;
  return brush_;
}

void TCanvas::RequireBrush() {
  if (!dc_) return;
  HBRUSH b = BrushHandle();
  if (!brushSelected_) {
    HGDIOBJ old = SelectObject(dc_, b);
    if (!origBrush_) origBrush_ = old;
    brushSelected_ = true;
  }
  SetBkColor(dc_, ColorToRGB(Brush.Color));
  SetBkMode(dc_, Brush.Style == TBrushStyle::Solid ? OPAQUE : TRANSPARENT);
}

void TCanvas::RequireFont() {
  if (!dc_) return;
  HFONT f = Font.Handle();
  if (fontSelected_ != f) {
    HGDIOBJ old = SelectObject(dc_, f);
    if (!origFont_) origFont_ = old;
    fontSelected_ = f;
  }
  SetTextColor(dc_, ColorToRGB(Font.Color()));
}

void TCanvas::FillRect(const RECT& r) {
  if (!dc_) return;
  ::FillRect(dc_, &r, BrushHandle());
}

void TCanvas::FillRect(int left, int top, int right, int bottom) {
  RECT r{left, top, right, bottom};
  FillRect(r);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (!dc_) return;
  RequirePen();
  RequireBrush();
  ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  if (!dc_) return;
  RequirePen();
  RequireBrush();
  ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::MoveTo(int x, int y) {
  if (dc_) MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (!dc_) return;
  RequirePen();
  ::LineTo(dc_, x, y);
}

POINT TCanvas::PenPos() const {
  POINT p{0, 0};
  if (dc_) GetCurrentPositionEx(dc_, &p);
  return p;
}

TColor TCanvas::Pixel(int x, int y) const {
  if (!dc_) return clNone;
  COLORREF c = GetPixel(dc_, x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (dc_) ::SetPixel(dc_, x, y, ColorToRGB(color));
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
  if (!dc_) return;
  RequireFont();
  RequireBrush();
  ExtTextOutW(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
  MoveToEx(dc_, x + TextWidth(text), y, nullptr);
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
  SIZE s{0, 0};
  if (!dc_) return s;
  RequireFont();
  GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &s);
  if (text.empty()) {
    // An empty text is as high as any other line of the font.
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc_, &tm)) s.cy = tm.tmHeight;
  }
  return s;
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  if (!dc_ || !bitmap.DC()) return;
  BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), bitmap.DC(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() {
  dc_ = CreateCompatibleDC(nullptr);
  canvas_.SetHandle(dc_);
}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() {
  canvas_.ReleaseHandle();
  if (dc_) {
    if (origBitmap_) SelectObject(dc_, origBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  HBITMAP made = nullptr;
  void* bits = nullptr;
  if (width > 0 && height > 0) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down: row 0 first in memory
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    made = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!made) {
      width = height = 0;
      bits = nullptr;
    }
  }
  std::uint32_t* newBits = static_cast<std::uint32_t*>(bits);
  if (newBits) {
    std::fill(newBits, newBits + static_cast<size_t>(width) * height, 0x00FFFFFFu);
    GdiFlush();
    if (bits_) {
      int w = std::min(width, width_), h = std::min(height, height_);
      for (int y = 0; y < h; ++y)
        std::memcpy(newBits + static_cast<size_t>(y) * width, bits_ + static_cast<size_t>(y) * width_,
                    static_cast<size_t>(w) * 4);
    }
  }
  if (made) {
    HGDIOBJ old = SelectObject(dc_, made);
    if (!origBitmap_) origBitmap_ = old;
  } else if (origBitmap_) {
    SelectObject(dc_, origBitmap_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = made;
  bits_ = newBits;
  width_ = width;
  height_ = height;
}

TColor TBitmap::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  GdiFlush();
  std::uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];
  return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  COLORREF c = ColorToRGB(color);
  bits_[static_cast<size_t>(y) * width_ + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

bool TBitmap::SaveToFile(const std::wstring& path) const {
  GdiFlush();
  const int rowSize = (width_ * 3 + 3) & ~3;
  const DWORD imageSize = static_cast<DWORD>(rowSize) * height_;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  fh.bfType = 0x4D42;  // "BM"
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + imageSize;
  ih.biSize = sizeof ih;
  ih.biWidth = width_;
  ih.biHeight = height_;  // bottom-up, which every reader takes
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = imageSize;
  ih.biXPelsPerMeter = ih.biYPelsPerMeter = 3780;  // 96 dpi

  std::vector<unsigned char> data(fh.bfSize);
  std::memcpy(data.data(), &fh, sizeof fh);
  std::memcpy(data.data() + sizeof fh, &ih, sizeof ih);
  for (int y = 0; y < height_; ++y) {
    unsigned char* row = data.data() + fh.bfOffBits + static_cast<size_t>(height_ - 1 - y) * rowSize;
    for (int x = 0; x < width_; ++x) {
      std::uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];
      row[x * 3] = v & 0xFF;
      row[x * 3 + 1] = (v >> 8) & 0xFF;
      row[x * 3 + 2] = (v >> 16) & 0xFF;
    }
  }

  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == data.size();
}

// ---------------------------------------------------------------------------------------------
// TImageList

// The system list is made with the first image: most lists (one per note window) stay empty.
TImageList::TImageList(int width, int height) : width_(width), height_(height) {}

HIMAGELIST TImageList::EnsureList() {
  if (!list_) list_ = ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, 4, 4);
  return list_;
}

TImageList::~TImageList() {
  if (list_) ImageList_Destroy(list_);
}

int TImageList::Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }

int TImageList::AddIcon(HICON icon) { return EnsureList() && icon ? ImageList_AddIcon(list_, icon) : -1; }

int TImageList::Add(const TBitmap& image, TColor maskColor) {
  if (!EnsureList() || !image.bitmap_) return -1;
  // Adding with a mask colour blackens those pixels in the bitmap given, so the list gets a
  // copy and the caller's picture stays as it was.
  TBitmap copy(image.width_, image.height_);
  copy.canvas_.Draw(0, 0, image);
  // A bitmap can be selected into one DC only, and the list selects it into its own.
  SelectObject(copy.dc_, copy.origBitmap_);
  return maskColor == clNone ? ImageList_Add(list_, copy.bitmap_, nullptr)
                             : ImageList_AddMasked(list_, copy.bitmap_, ColorToRGB(maskColor));
}

void TImageList::Clear() {
  if (list_) ImageList_RemoveAll(list_);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
  if (list_ && canvas.Handle()) ImageList_Draw(list_, index, canvas.Handle(), x, y, ILD_TRANSPARENT);
}
