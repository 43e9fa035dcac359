#include "ui/Printers.h"

#include <commdlg.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "ui/MessageBox.h"
#include "ui/Types.h"

namespace {
std::string ErrorText(const char* what, DWORD error) { return std::string(what) + " (error " + std::to_string(error) + ")"; }

HGLOBAL CopyGlobal(HGLOBAL source) {
  if (!source) return nullptr;
  SIZE_T size = GlobalSize(source);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return nullptr;
  void* from = GlobalLock(source);
  void* to = GlobalLock(copy);
  if (from && to) std::memcpy(to, from, size);
  if (to) GlobalUnlock(copy);
  if (from) GlobalUnlock(source);
  return copy;
}

std::wstring DefaultPrinterName() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return {};
  std::wstring name(size, L'\0');
  if (!GetDefaultPrinterW(name.data(), &size)) return {};
  name.resize(wcslen(name.c_str()));
  return name;
}
}  // namespace

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
  if (Printing()) {
    canvas_.ReleaseHandle();
    AbortDoc(dc_);
    DeleteDC(dc_);
  }
  FreeDevice();
}

void TPrinter::FreeDevice() {
  if (devMode_) GlobalFree(devMode_);
  if (devNames_) GlobalFree(devNames_);
  devMode_ = devNames_ = nullptr;
}

HGLOBAL TPrinter::CopyDevMode() const { return CopyGlobal(devMode_); }
HGLOBAL TPrinter::CopyDevNames() const { return CopyGlobal(devNames_); }

void TPrinter::TakeDevice(HGLOBAL devMode, HGLOBAL devNames) {
  FreeDevice();
  devMode_ = devMode;
  devNames_ = devNames;
}

void TPrinter::UseDefault() { FreeDevice(); }

std::wstring TPrinter::PrinterName() const {
  if (devNames_) {
    std::wstring name;
    if (auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNames_))) {
      name = reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset;
      GlobalUnlock(devNames_);
    }
    return name;
  }
  return DefaultPrinterName();
}

void TPrinter::SetPrinterName(const std::wstring& name) {
  // A DEVNAMES block with only the device's name: the settings are the printer's defaults.
  size_t chars = name.size() + 1;
  HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVNAMES) + (chars + 2) * sizeof(wchar_t));
  if (!names) throw EPrinter(ErrorText("Cannot choose the printer", GetLastError()));
  auto* dn = static_cast<DEVNAMES*>(GlobalLock(names));
  WORD base = sizeof(DEVNAMES) / sizeof(wchar_t);
  dn->wDriverOffset = static_cast<WORD>(base + chars);  // empty
  dn->wDeviceOffset = base;
  dn->wOutputOffset = static_cast<WORD>(base + chars + 1);  // empty
  std::memcpy(reinterpret_cast<wchar_t*>(dn) + base, name.c_str(), chars * sizeof(wchar_t));
  GlobalUnlock(names);
  TakeDevice(nullptr, names);
}

HDC TPrinter::CreateDeviceContext(bool informationOnly) const {
  std::wstring name = PrinterName();
  if (name.empty()) return nullptr;
  const DEVMODEW* mode = devMode_ ? static_cast<const DEVMODEW*>(GlobalLock(devMode_)) : nullptr;
  HDC dc = informationOnly ? CreateICW(L"WINSPOOL", name.c_str(), nullptr, mode)
                           : CreateDCW(L"WINSPOOL", name.c_str(), nullptr, mode);
  if (mode) GlobalUnlock(devMode_);
  return dc;
}

int TPrinter::Caps(int index) const {
  if (dc_) return GetDeviceCaps(dc_, index);
  HDC ic = CreateDeviceContext(true);
  if (!ic) throw EPrinter(PrinterName().empty() ? "There is no printer" : "Cannot open the printer");
  int v = GetDeviceCaps(ic, index);
  DeleteDC(ic);
  return v;
}

void TPrinter::BeginDoc(const std::wstring& title) {
  if (Printing()) throw EPrinter("A print job is already running");
  if (PrinterName().empty()) throw EPrinter("There is no printer");
  HDC dc = CreateDeviceContext(false);
  if (!dc) throw EPrinter(ErrorText("Cannot open the printer", GetLastError()));
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  if (StartDocW(dc, &info) <= 0) {
    DWORD error = GetLastError();
    DeleteDC(dc);
    throw EPrinter(ErrorText("Cannot start the print job", error));
  }
  if (StartPage(dc) <= 0) {
    DWORD error = GetLastError();
    AbortDoc(dc);
    DeleteDC(dc);
    throw EPrinter(ErrorText("Cannot start a page", error));
  }
  dc_ = dc;
  aborted_ = false;
  page_ = 1;
  canvas_.SetHandle(dc_);
  canvas_.Font.SetPixelsPerInch(GetDeviceCaps(dc_, LOGPIXELSY));
}

void TPrinter::NewPage() {
  if (!Printing()) throw EPrinter("No print job is running");
  // The canvas selects its objects again on the new page.
  canvas_.ReleaseHandle();
  if (EndPage(dc_) <= 0) {
    DWORD error = GetLastError();
    Abort();
    throw EPrinter(ErrorText("Cannot end the page", error));
  }
  if (StartPage(dc_) <= 0) {
    DWORD error = GetLastError();
    Abort();
    throw EPrinter(ErrorText("Cannot start a page", error));
  }
  ++page_;
  canvas_.SetHandle(dc_);
}

void TPrinter::EndDoc() {
  if (!Printing()) throw EPrinter("No print job is running");
  canvas_.ReleaseHandle();
  DWORD error = 0;
  const char* failed = nullptr;
  if (EndPage(dc_) <= 0) {
    error = GetLastError();
    failed = "Cannot end the page";
    AbortDoc(dc_);
  } else if (::EndDoc(dc_) <= 0) {
    error = GetLastError();
    failed = "Cannot end the print job";
  }
  Finish();
  if (failed) throw EPrinter(ErrorText(failed, error));
}

void TPrinter::Abort() {
  if (!Printing()) return;
  canvas_.ReleaseHandle();
  AbortDoc(dc_);
  Finish();
  aborted_ = true;
}

void TPrinter::Finish() {
  DeleteDC(dc_);
  dc_ = nullptr;
  page_ = 0;
}

bool RunPrintJob(TPrinter& printer, const std::wstring& title, const std::wstring& failure,
                 const std::function<void(TPrinter&)>& draw) {
  try {
    printer.BeginDoc(title);
    draw(printer);
    printer.EndDoc();
    return true;
  } catch (const EPrinter& e) {
    // The job is not left half open, and nobody is told it printed.
    printer.Abort();
    ShowMessageBox(failure + L"\n\r" + ExceptionText(e.what()), L"Vantaro", MB_OK | MB_ICONERROR);
    return false;
  }
}
