#include "ui/Dialogs.h"

#include <cderr.h>
#include <commdlg.h>

#include <cwchar>
#include <vector>

#include "ui/Printers.h"

bool TCommonDialog::Finish(BOOL ok) {
  error_ = ok ? 0 : CommDlgExtendedError();
  return ok != FALSE;
}

// ---------------------------------------------------------------- colour

TColorDialog::TColorDialog() { CustomColors.fill(RGB(255, 255, 255)); }

bool TColorDialog::Execute(HWND owner) {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = ColorToRGB(Color);
  cc.lpCustColors = CustomColors.data();
  cc.Flags = CC_RGBINIT | CC_ANYCOLOR | (FullOpen ? CC_FULLOPEN : 0);
  if (!Finish(ChooseColorW(&cc))) return false;
  Color = cc.rgbResult;
  return true;
}

// ---------------------------------------------------------------- open and save

bool TOpenDialog::Execute(HWND owner) {
  // "text|pattern|text|pattern" becomes the dialog's "text\0pattern\0...\0\0".
  std::wstring filter = Filter;
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.append(2, L'\0');
  std::vector<wchar_t> file(32768, L'\0');
  wcsncpy(file.data(), FileName.c_str(), file.size() - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = FilterIndex;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  ofn.Flags = Options | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
  if (!Finish(Run(ofn))) return false;
  FileName = file.data();
  FilterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

// ---------------------------------------------------------------- font

bool TFontDialog::Execute(HWND owner) {
  using namespace FontDialogOption;
  LOGFONTW lf{};
  wcsncpy(lf.lfFaceName, Font.Name().c_str(), LF_FACESIZE - 1);
  lf.lfHeight = -MulDiv(Font.Size(), ScreenPixelsPerInch(), 72);
  lf.lfWeight = (Font.Style() & FontStyle::Bold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (Font.Style() & FontStyle::Italic) != 0;
  lf.lfUnderline = (Font.Style() & FontStyle::Underline) != 0;
  lf.lfStrikeOut = (Font.Style() & FontStyle::StrikeOut) != 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  static const std::pair<TFontDialogOptions, DWORD> flags[] = {
      {Effects, CF_EFFECTS},           {ForceFontExist, CF_FORCEFONTEXIST}, {FixedPitchOnly, CF_FIXEDPITCHONLY},
      {ScalableOnly, CF_SCALABLEONLY}, {TrueTypeOnly, CF_TTONLY},           {NoVectorFonts, CF_NOVECTORFONTS},
      {LimitSize, CF_LIMITSIZE},       {NoStyleSel, CF_NOSTYLESEL},         {NoSizeSel, CF_NOSIZESEL},
      {NoFaceSel, CF_NOFACESEL}};
  for (auto [option, flag] : flags)
    if (Options & option) cf.Flags |= flag;
  cf.nSizeMin = MinFontSize;
  cf.nSizeMax = MaxFontSize;
  cf.rgbColors = ColorToRGB(Font.Color());
  if (!Finish(ChooseFontW(&cf))) return false;
  Font.SetName(lf.lfFaceName);
  Font.SetSize(cf.iPointSize / 10);
  Font.SetStyle((lf.lfWeight >= FW_BOLD ? FontStyle::Bold : 0) | (lf.lfItalic ? FontStyle::Italic : 0) |
                (lf.lfUnderline ? FontStyle::Underline : 0) | (lf.lfStrikeOut ? FontStyle::StrikeOut : 0));
  if (Options & Effects) Font.SetColor(cf.rgbColors);
  return true;
}

bool ExecuteFontDialog(HWND owner, TFont& font) {
  TFontDialog dialog;
  dialog.Font.Assign(font);
  dialog.Options = FontDialogOption::Effects | FontDialogOption::ForceFontExist;
  if (!dialog.Execute(owner)) return false;
  font.Assign(dialog.Font);
  return true;
}

// ---------------------------------------------------------------- print

namespace {
std::function<bool(HWND)> g_printDialogAnswerer;
}

void SetPrintDialogAnswerer(std::function<bool(HWND owner)> answerer) { g_printDialogAnswerer = std::move(answerer); }

bool TPrintDialog::Execute(HWND owner) { return Run(owner, PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE); }

bool TPrintDialog::Run(HWND owner, DWORD flags) {
  TPrinter& printer = printer_ ? *printer_ : Printer();
  // Answered here as the dialog answers it, without the warning box some systems show anyway.
  if (printer.PrinterName().empty()) {
    error_ = PDERR_NODEFAULTPRN;
    return false;
  }
  if (g_printDialogAnswerer) {
    error_ = 0;
    return g_printDialogAnswerer(owner);
  }
  // The dialog works on copies: it may free and replace the blocks it is given, and a cancel
  // must leave the printer as it was.
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.hDevMode = printer.CopyDevMode();
  pd.hDevNames = printer.CopyDevNames();
  // Without a printer the dialog would show its own warning box; the caller reports it.
  pd.Flags = flags | PD_NOWARNING;
  pd.nCopies = static_cast<WORD>(Copies);
  bool ok = Finish(PrintDlgW(&pd));
  if (ok) {
    printer.TakeDevice(pd.hDevMode, pd.hDevNames);
    Copies = pd.nCopies;
  } else {
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
  }
  return ok;
}
