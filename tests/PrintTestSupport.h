#pragma once
// Printing in tests: a real PostScript printer of the test's own that prints into a file, the
// text read back from that file.
#include <windows.h>
// after windows.h
#include <winspool.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "ui/Types.h"

namespace testsupport {

// The character of a glyph name of the standard PostScript encoding; "?" for others.
inline std::string GlyphText(const std::string& name) {
  static const char* const kNames[][2] = {
      {"space", " "},  {"uni00A0", " "}, {"colon", ":"},  {"slash", "/"}, {"period", "."},  {"comma", ","},
      {"hyphen", "-"}, {"zero", "0"},    {"one", "1"},    {"two", "2"},   {"three", "3"},  {"four", "4"},
      {"five", "5"},   {"six", "6"},     {"seven", "7"},  {"eight", "8"}, {"nine", "9"},   {"exclam", "!"}};
  if (name.size() == 1) return name;
  for (const auto& n : kNames)
    if (name == n[0]) return n[1];
  return "?";
}

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
    pages.back() += GlyphText(name);
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
  explicit TestPrinter(const std::string& unixOutput, double widthPt = 0, double heightPt = 0,
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
      // Points may have a fraction: a page of an exact number of device pixels.
      char size[64];
      std::snprintf(size, sizeof size, "%g %g", widthPt, heightPt);
      replaceAll("595 842", size);
      replaceAll("18 18 577 824", std::string("0 0 ") + size);
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

// The PostScript a test printer wrote into the file at the Unix path, or empty.
inline std::string ReadPrinted(const std::string& unixPath) {
  return ReadText(L"Z:" + AnsiToWide(unixPath));
}

}  // namespace testsupport
