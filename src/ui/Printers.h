#pragma once
// The printer: the system's default one, or the one a print or printer-setup dialog chose.
// A print job draws on the printer's canvas in device pixels, page by page. Every failure
// (no printer, a job or page that cannot start or end) is thrown as EPrinter.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "ui/Graphics.h"

class EPrinter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Empty when no printer was chosen and the system has no default one.
  std::wstring PrinterName() const;
  // Uses this printer with its own default settings from now on.
  void SetPrinterName(const std::wstring& name);
  // Back to the system's default printer.
  void UseDefault();

  void BeginDoc(const std::wstring& title = L"Vxq");
  void NewPage();
  void EndDoc();
  // Ends the job at once; what was printed of it is thrown away.
  void Abort();
  bool Printing() const { return dc_ != nullptr; }
  bool Aborted() const { return aborted_; }
  int PageNumber() const { return page_; }

  // The printable area in device pixels, and the device's pixels per inch.
  int PageWidth() const { return Caps(HORZRES); }
  int PageHeight() const { return Caps(VERTRES); }
  int PixelsPerInchX() const { return Caps(LOGPIXELSX); }
  int PixelsPerInchY() const { return Caps(LOGPIXELSY); }

  // Draws on the page between BeginDoc and EndDoc. Its font sizes are points on the printer.
  TCanvas& Canvas() { return canvas_; }
  HDC Handle() const { return dc_; }

  // For the dialogs: copies of the chosen device's settings (DEVMODE and DEVNAMES movable
  // global blocks; null when none was chosen), and taking over the ones a dialog returned.
  HGLOBAL CopyDevMode() const;
  HGLOBAL CopyDevNames() const;
  void TakeDevice(HGLOBAL devMode, HGLOBAL devNames);

 private:
  HDC CreateDeviceContext(bool informationOnly) const;
  int Caps(int index) const;
  void FreeDevice();
  void Finish();
  HGLOBAL devMode_ = nullptr, devNames_ = nullptr;
  HDC dc_ = nullptr;
  bool aborted_ = false;
  int page_ = 0;
  TCanvas canvas_;
};

// The program's printer object.
TPrinter& Printer();

// One whole print job: draw fills the pages between BeginDoc and EndDoc. Whatever fails, the job
// is aborted and the user is told, failure first, then the reason; returns whether it printed.
bool RunPrintJob(TPrinter& printer, const std::wstring& title, const std::wstring& failure,
                 const std::function<void(TPrinter&)>& draw);
