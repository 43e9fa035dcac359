#pragma once
// Drawing: fonts, a canvas over any device context, memory bitmaps and image lists.
// Every GDI object is owned by exactly one of these objects and freed by it; a canvas puts
// back what it selected into a device context it does not own.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Types.h"

// A TColor to a GDI COLORREF. Colours with the top bit set name a system colour by its index
// (COLOR_BTNFACE...) the way the class library did; clNone becomes black.
COLORREF ColorToRGB(TColor color);

// Font style bits. The values are those the settings store, so a style converts as it is.
using TFontStyles = std::uint8_t;
namespace FontStyle {
inline constexpr TFontStyles Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8;
}

// The pixels per inch of the screen (LOGPIXELSY), read once.
int ScreenPixelsPerInch();

class TFont {
 public:
  TFont();
  // A copy takes the look of the other font, never its handle or its OnChange.
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);
  ~TFont();

  const std::wstring& Name() const { return name_; }
  void SetName(const std::wstring& name);
  // Points.
  int Size() const { return size_; }
  void SetSize(int points);
  // Character height in pixels (without internal leading) at PixelsPerInch.
  int Height() const;
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // The screen's by default; a printer canvas sets its own so that points stay points.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi);

  void Assign(const TFont& other);
  bool SameLook(const TFont& other) const;

  // Made on first use and again after a change of name, size, style or resolution.
  HFONT Handle() const;
  // Called after every change, the colour's included.
  std::function<void()> OnChange;

 private:
  friend class TCanvas;
  void Changed(bool handleStale);

  std::wstring name_ = L"Tahoma";
  int size_ = 8;
  TFontStyles style_ = 0;
  TColor color_ = clBlack;
  int pixelsPerInch_;
  mutable HFONT handle_ = nullptr;
  // Lets the canvas that has the handle selected let go of it before it is deleted.
  std::function<void(HFONT)> releasing_;
};

enum class TPenStyle { Solid, Dash, Dot, DashDot, Clear };
enum class TBrushStyle { Solid, Clear };

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::Solid;
  bool operator==(const TPen&) const = default;
};

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::Solid;
  bool operator==(const TBrush&) const = default;
};

class TBitmap;

// Draws on a device context it does not own. Pen, brush and font are plain settings: the GDI
// objects behind them are made and selected only when something is drawn, and the DC's own
// objects are selected back when the canvas lets go of the DC.
class TCanvas {
 public:
  TCanvas();
  explicit TCanvas(HDC dc);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() const { return dc_; }
  // Lets go of the present DC (selecting its objects back) and takes another; nullptr only
  // lets go.
  void SetHandle(HDC dc);
  void ReleaseHandle() { SetHandle(nullptr); }

  TPen Pen;
  TBrush Brush;
  TFont Font;

  // With the brush only.
  void FillRect(const RECT& r);
  void FillRect(int left, int top, int right, int bottom);
  // Outlined with the pen and filled with the brush; right and bottom exclusive.
  void Rectangle(int left, int top, int right, int bottom);
  void Ellipse(int left, int top, int right, int bottom);
  // The end point of a line is not drawn.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  POINT PenPos() const;

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Opaque on the brush colour with a solid brush, transparent with a clear one. Leaves the
  // pen position behind the text.
  void TextOut(int x, int y, const std::wstring& text);
  SIZE TextExtent(const std::wstring& text);
  int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
  int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }

  // Copies the bitmap's pixels with its top-left corner at (x, y).
  void Draw(int x, int y, const TBitmap& bitmap);

 private:
  void RequirePen();
  void RequireBrush();
  void RequireFont();
  HBRUSH BrushHandle();
  void FreeObjects();

  HDC dc_ = nullptr;
  // The DC's own objects, kept from the first time ours replaced them.
  HGDIOBJ origPen_ = nullptr, origBrush_ = nullptr, origFont_ = nullptr;
  // Ours; a clear pen or brush is a stock object and not deleted.
  HPEN pen_ = nullptr;
  bool penOwned_ = false;
  TPen penMade_;
  HBRUSH brush_ = nullptr;
  bool brushOwned_ = false;
  TBrush brushMade_;
  bool brushSelected_ = false;
  HFONT fontSelected_ = nullptr;
};

// A 32-bit top-down DIB section with a memory DC and a canvas of its own.
class TBitmap {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Keeps what fits of the old picture; new area is white.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }

  TCanvas& Canvas() { return canvas_; }
  HDC DC() const { return dc_; }
  HBITMAP Handle() const { return bitmap_; }

  // Straight from the bits (after letting GDI finish); clNone outside the picture.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // A 24-bit .bmp; false when the file cannot be written.
  bool SaveToFile(const std::wstring& path) const;

 private:
  friend class TImageList;

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ origBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  TCanvas canvas_;
};

// A comctl32 image list of one image size.
class TImageList {
 public:
  TImageList(int width = 16, int height = 16);
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  HIMAGELIST Handle() const { return list_; }  // null until the first image is added
  int Count() const;

  // Each returns the new image's index, or -1.
  int AddIcon(HICON icon);
  // Pixels of maskColor become transparent; clNone keeps every pixel.
  int Add(const TBitmap& image, TColor maskColor = clNone);
  void Clear();
  void Draw(TCanvas& canvas, int x, int y, int index) const;

 private:
  HIMAGELIST EnsureList();
  int width_, height_;
  HIMAGELIST list_ = nullptr;
};
