#pragma once
// Printing in tests: a PostScript printer of the test's own, the pages it printed read back, and
// a closer for the standard dialogs a test opens.
#include <windows.h>
// after windows.h
#include <winspool.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/Types.h"

namespace testprint {

// Waits on its own thread for a standard dialog of the test's thread, then acts on it; one still
// open a few seconds later is cancelled, so that no test can hang on one.
class DialogCloser {
 public:
  explicit DialogCloser(std::function<void(HWND dialog)> action)
      : guiThread_(GetCurrentThreadId()), action_(std::move(action)), worker_([this] { Run(); }) {}
  ~DialogCloser() {
    stop_ = true;
    worker_.join();
  }
  bool Found() const { return found_; }
  bool Forced() const { return forced_; }

 private:
  HWND FindDialog() const {
    HWND found = nullptr;
    EnumThreadWindows(
        guiThread_,
        [](HWND h, LPARAM lp) {
          wchar_t cls[16] = L"";
          GetClassNameW(h, cls, 16);
          if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
  void Run() {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !stop_ && !dialog; ++i) {
      dialog = FindDialog();
      if (!dialog) Sleep(10);
    }
    if (!dialog) return;
    found_ = true;
    action_(dialog);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
    if (IsWindow(dialog)) {
      forced_ = true;
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  }

  DWORD guiThread_;
  std::function<void(HWND)> action_;
  std::atomic<bool> stop_{false}, found_{false}, forced_{false};
  std::thread worker_;
};

// The text of each page of a PostScript file from the system's driver, which draws every
// character by its glyph's name ("/H glyphshow").
inline std::vector<std::string> PrintedPages(const std::string& ps) {
  std::vector<std::string> pages;
  size_t pos = 0;
  while ((pos = ps.find('\n', pos)) != std::string::npos) {
    size_t end = ps.find('\n', ++pos);
    std::string line = ps.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (line.rfind("%%Page:", 0) == 0) pages.emplace_back();
    const std::string show = " glyphshow";
    if (pages.empty() || line.size() < show.size() + 2 || line[0] != '/' ||
        line.compare(line.size() - show.size(), show.size(), show) != 0)
      continue;
    std::string name = line.substr(1, line.size() - show.size() - 1);
    static const char* const kDigits[] = {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    std::string text = "?";
    if (name.size() == 1) text = name;
    else if (name == "space" || name == "uni00A0") text = " ";
    else if (name == "period") text = ".";
    for (int d = 0; d < 10; ++d)
      if (name == kDigits[d]) text = std::string(1, static_cast<char>('0' + d));
    pages.back() += text;
  }
  return pages;
}

inline std::wstring DefaultPrinter() {
  wchar_t name[256] = L"";
  DWORD size = 256;
  return GetDefaultPrinterW(name, &size) ? name : L"";
}

// A PostScript printer of the test's own: the system's PostScript driver with a small
// description file, printing into a file of the build folder.
class TestPrinter {
 public:
  static constexpr wchar_t kName[] = L"Vxq Test Printer", kDriver[] = L"Vxq Test PostScript";

  // The paper is A4 unless a size in points is given (its whole area printable then).
  // A printer of another paper needs a name of its own: the driver keeps what it read of a
  // printer for the whole process.
  explicit TestPrinter(const std::string& unixOutput, int widthPt = 0, int heightPt = 0,
                       const std::wstring& name = kName)
      : port_(AnsiToWide(unixOutput)), name_(name) {
    // The description goes straight where the driver looks for it: the installation does not copy it.
    wchar_t dir[MAX_PATH] = L"";
    DWORD needed = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed);
    ppd_ = std::wstring(dir) + L"\\3\\vxqtest.ppd";
    std::filesystem::create_directories(std::filesystem::path(ppd_).parent_path());
    std::string ppd = kPpd;
    if (widthPt > 0 && heightPt > 0) {
      auto replaceAll = [&ppd](const std::string& from, const std::string& to) {
        for (size_t at = ppd.find(from); at != std::string::npos; at = ppd.find(from, at + to.size()))
          ppd.replace(at, from.size(), to);
      };
      const std::string size = std::to_string(widthPt) + " " + std::to_string(heightPt);
      replaceAll("595 842", size);
      replaceAll("18 18 577 824", "0 0 " + size);
      // Known by its name the A4 sheet would keep its own size: this paper has one of its own.
      replaceAll("A4", "Strip");
    }
    std::ofstream(std::filesystem::path(ppd_), std::ios::binary) << ppd;
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriver);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = ppd_.data();
    installed_ = AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    if (!installed_) return;
    HKEY ports;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPorts, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &ports, nullptr) == 0) {
      RegSetValueExW(ports, port_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
      RegCloseKey(ports);
    }
    PRINTER_INFO_2W info{};
    info.pPrinterName = name_.data();
    info.pPortName = port_.data();
    info.pDriverName = const_cast<wchar_t*>(kDriver);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    installed_ = printer != nullptr;
    if (printer) ClosePrinter(printer);
    installed_ = installed_ && SetDefaultPrinterW(name_.c_str());
  }
  ~TestPrinter() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(name_.data(), &printer, &access)) {
      DeletePrinter(printer);
      ClosePrinter(printer);
    }
    DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(kDriver));
    DeleteFileW(ppd_.c_str());
    HKEY ports;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPorts, 0, KEY_SET_VALUE, &ports) == 0) {
      RegDeleteValueW(ports, port_.c_str());
      RegCloseKey(ports);
    }
  }
  bool Installed() const { return installed_; }

 private:
  static constexpr wchar_t kPorts[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
  static constexpr char kPpd[] =
      "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
      "*LanguageEncoding: ISOLatin1\n*PCFileName: \"VXQTEST.PPD\"\n*Manufacturer: \"Vxq\"\n"
      "*Product: \"(Vxq Test)\"\n*ModelName: \"Vxq Test PostScript\"\n*NickName: \"Vxq Test PostScript\"\n"
      "*ShortNickName: \"Vxq Test PostScript\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n"
      "*ColorDevice: False\n*DefaultColorSpace: Gray\n*FileSystem: False\n*TTRasterizer: Type42\n"
      "*DefaultResolution: 300dpi\n"
      "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
      "*PageSize A4/A4: \"<</PageSize[595 842]/ImagingBBox null>>setpagedevice\"\n*CloseUI: *PageSize\n"
      "*OpenUI *PageRegion: PickOne\n*DefaultPageRegion: A4\n"
      "*PageRegion A4/A4: \"<</PageSize[595 842]/ImagingBBox null>>setpagedevice\"\n*CloseUI: *PageRegion\n"
      "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
      "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n"
      "*DefaultFont: Courier\n*Font Courier: Standard \"(002.004S)\" Standard ROM\n"
      "*Font Helvetica: Standard \"(001.006S)\" Standard ROM\n";
  std::wstring port_, name_, ppd_;
  bool installed_ = false;
};

// The PostScript a printer of the test's own wrote into the build folder, read back.
inline std::string ReadPrinted(const std::string& unixOutput) {
  std::ifstream in(std::filesystem::path(L"Z:" + AnsiToWide(unixOutput)), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace testprint
