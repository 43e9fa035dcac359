#include "ui/Dialogs.h"

#include <commdlg.h>

#include <cwchar>

bool ExecuteFontDialog(HWND owner, TFont& font) {
  LOGFONTW lf{};
  wcsncpy(lf.lfFaceName, font.Name().c_str(), LF_FACESIZE - 1);
  HDC screen = GetDC(nullptr);
  lf.lfHeight = -MulDiv(font.Size(), GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  lf.lfWeight = (font.Style() & FontStyle::Bold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.Style() & FontStyle::Italic) != 0;
  lf.lfUnderline = (font.Style() & FontStyle::Underline) != 0;
  lf.lfStrikeOut = (font.Style() & FontStyle::StrikeOut) != 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_FORCEFONTEXIST | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = ColorToRGB(font.Color());
  if (!ChooseFontW(&cf)) return false;
  font.SetName(lf.lfFaceName);
  font.SetSize(cf.iPointSize / 10);
  font.SetStyle((lf.lfWeight >= FW_BOLD ? FontStyle::Bold : 0) | (lf.lfItalic ? FontStyle::Italic : 0) |
                (lf.lfUnderline ? FontStyle::Underline : 0) | (lf.lfStrikeOut ? FontStyle::StrikeOut : 0));
  font.SetColor(cf.rgbColors);
  return true;
}
