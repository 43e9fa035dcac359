#pragma once
// Standard dialogs. Each Execute runs the system's modal dialog and returns true when the
// user confirmed it; Error() then tells a failure (CommDlgExtendedError) from a cancel (0).
#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <array>
#include <functional>
#include <string>

#include "ui/Graphics.h"

class TPrinter;

class TCommonDialog {
 public:
  DWORD Error() const { return error_; }

 protected:
  // Keeps the dialog's extended error after a false result.
  bool Finish(BOOL ok);
  DWORD error_ = 0;
};

class TColorDialog : public TCommonDialog {
 public:
  TColor Color = clBlack;
  // The sixteen custom colours; the dialog changes them and they are kept for the next time.
  std::array<COLORREF, 16> CustomColors;
  bool FullOpen = false;  // opens with the custom colour part shown
  TColorDialog();
  bool Execute(HWND owner);
};

// Filters as pairs of text and pattern: "Text files (*.txt)|*.txt|All files (*.*)|*.*".
class TOpenDialog : public TCommonDialog {
 public:
  std::wstring Filter;
  int FilterIndex = 1;  // from 1, as the dialog counts
  std::wstring InitialDir;
  std::wstring FileName;  // in: the proposed name; out: the chosen file's full path
  std::wstring Title;
  std::wstring DefaultExt;  // without the dot
  // OFN_ flags; the dialog always keeps the program's current folder as it was.
  DWORD Options = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  bool Execute(HWND owner);
  virtual ~TOpenDialog() = default;

 protected:
  virtual BOOL Run(OPENFILENAMEW& ofn) { return GetOpenFileNameW(&ofn); }
};

class TSaveDialog : public TOpenDialog {
 public:
  TSaveDialog() { Options = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY; }

 protected:
  BOOL Run(OPENFILENAMEW& ofn) override { return GetSaveFileNameW(&ofn); }
};

// Font dialog options.
using TFontDialogOptions = unsigned;
namespace FontDialogOption {
inline constexpr TFontDialogOptions Effects = 1,  // colour, underline and strike-out
    ForceFontExist = 2,                            // only fonts that exist may be typed in
    FixedPitchOnly = 4, ScalableOnly = 8, TrueTypeOnly = 16, NoVectorFonts = 32,
    LimitSize = 64,  // sizes between MinFontSize and MaxFontSize only
    NoStyleSel = 128, NoSizeSel = 256, NoFaceSel = 512;
}

class TFontDialog : public TCommonDialog {
 public:
  TFont Font;  // in: the proposed font; out: the chosen name, size, style and colour
  TFontDialogOptions Options = FontDialogOption::Effects;
  int MinFontSize = 0, MaxFontSize = 0;  // points, with LimitSize
  bool Execute(HWND owner);
};

// The font dialog with effects (colour, underline, strike-out), only existing fonts.
// On OK the font takes the chosen name, size, style and colour.
bool ExecuteFontDialog(HWND owner, TFont& font);

// The print dialog, and the printer-setup dialog. On OK the printer (the program's own
// unless another is given) uses the chosen printer and settings. Without any printer (none
// chosen, no default one) the dialog does not open: Execute returns false with Error()
// PDERR_NODEFAULTPRN.
class TPrintDialog : public TCommonDialog {
 public:
  explicit TPrintDialog(TPrinter* printer = nullptr) : printer_(printer) {}
  int Copies = 1;
  bool Execute(HWND owner);

 protected:
  bool Run(HWND owner, DWORD flags);
  TPrinter* printer_;
};

// For tests: answers the print and printer-setup dialogs in place of the user (true is OK; the
// printer stays as it is), where the system's dialog would not take OK; an empty answerer
// shows the dialogs again. The case without any printer is answered as before.
void SetPrintDialogAnswerer(std::function<bool(HWND owner)> answerer);

class TPrinterSetupDialog : public TPrintDialog {
 public:
  using TPrintDialog::TPrintDialog;
  bool Execute(HWND owner) { return Run(owner, PD_PRINTSETUP); }
};
