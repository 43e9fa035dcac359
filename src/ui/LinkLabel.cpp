#include "ui/LinkLabel.h"

#include <shellapi.h>

#include "ui/ActnList.h"

TLinkLabel::TLinkLabel(TComponent* owner, const std::wstring& name) : TGraphicControl(owner) {
  SetName(name);
  SetBounds(0, 0, 65, 13);
  Cursor = IDC_HAND;
}

void TLinkLabel::LinkFont(TFont& font) {
  font.Assign(Font());
  font.SetStyle(font.Style() | FontStyle::Underline);
  font.SetColor(Enabled() ? LinkColor : (0x80000000u | COLOR_GRAYTEXT));
}

void TLinkLabel::SetCaption(const std::wstring& caption) {
  TGraphicControl::SetCaption(caption);
  if (!AutoSize) return;
  HDC screen = GetDC(nullptr);
  SIZE s{};
  {
    TCanvas canvas(screen);
    LinkFont(canvas.Font);
    s = canvas.TextExtent(caption);
  }
  ReleaseDC(nullptr, screen);
  // The last letter's ink may reach one pixel past its advance.
  SetBounds(Left(), Top(), s.cx + 1, s.cy);
}

void TLinkLabel::Click() {
  if (OnClick || Action()) {
    TGraphicControl::Click();
    return;
  }
  std::wstring url = URL.empty() ? Caption() : URL;
  if (url.empty()) return;
  if (OnOpen)
    OnOpen(url);
  else
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TLinkLabel::Paint(TCanvas& canvas) {
  LinkFont(canvas.Font);
  canvas.Brush.Style = TBrushStyle::Clear;
  canvas.TextOut(0, 0, Caption());
}
