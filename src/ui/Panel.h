#pragma once
// A container of our own window class that paints its own colour, a bevel and a caption.
// The bevel lies outside the client area, so aligned children stay inside it.
#include <string>

#include "ui/Controls.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner, const std::wstring& name = {});

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut bevel);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut bevel);
  // Pixels of bevel on each side (one per bevel that is not bvNone).
  int BevelSize() const;

  TAlignment Alignment = TAlignment::taCenter;  // of the caption, which is centred vertically
  void SetCaption(const std::wstring& caption) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintWindow(HDC dc, const RECT& update) override;

 private:
  void FrameChanged();
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
  TBevelCut bevelInner_ = TBevelCut::bvNone;
};

// A one-pixel bevel around r, raised or lowered; r shrinks by what was drawn.
void DrawBevel(HDC dc, RECT& r, TBevelCut bevel);
