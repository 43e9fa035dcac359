#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Printers.h"

namespace {
// The font dialog's face and size lists.
constexpr int kFaceList = 0x470, kSizeList = 0x472;
// The colour dialog's "Add to Custom Colors" button.
constexpr int kAddCustomColor = 712;

using testsupport::DialogCloser;
using testsupport::PressOk;

std::wstring WindowText(HWND h) {
  wchar_t text[256] = L"";
  GetWindowTextW(h, text, 256);
  return text;
}

// A TrueType font of variable pitch that this system has.
std::wstring ProportionalFace() {
  std::wstring face;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(
      dc, &lf,
      [](const LOGFONTW* f, const TEXTMETRICW*, DWORD type, LPARAM lp) {
        if (!(type & TRUETYPE_FONTTYPE) || f->lfFaceName[0] == L'@' || (f->lfPitchAndFamily & 3) == FIXED_PITCH)
          return 1;
        *reinterpret_cast<std::wstring*>(lp) = f->lfFaceName;
        return 0;
      },
      reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, dc);
  return face;
}

// The text of each page of a PostScript file from the system's driver, which draws every
// character by its glyph's name ("/H glyphshow").
std::vector<std::string> PrintedPages(const std::string& ps) {
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
    pages.back() += name.size() == 1 ? name : (name == "space" || name == "uni00A0") ? " " : "?";
  }
  return pages;
}

std::wstring DefaultPrinter() {
  wchar_t name[256] = L"";
  DWORD size = 256;
  return GetDefaultPrinterW(name, &size) ? name : L"";
}

// A PostScript printer of the test's own: the system's PostScript driver with a small
// description file, printing into a file of the build folder.
class TestPrinter {
 public:
  static constexpr wchar_t kName[] = L"Vxq Test Printer", kDriver[] = L"Vxq Test PostScript";

  explicit TestPrinter(const std::string& unixOutput) : port_(AnsiToWide(unixOutput)) {
    // The description goes straight where the driver looks for it: the installation does not copy it.
    wchar_t dir[MAX_PATH] = L"";
    DWORD needed = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed);
    ppd_ = std::wstring(dir) + L"\\3\\vxqtest.ppd";
    std::filesystem::create_directories(std::filesystem::path(ppd_).parent_path());
    std::ofstream(std::filesystem::path(ppd_), std::ios::binary) << kPpd;
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
    info.pPrinterName = const_cast<wchar_t*>(kName);
    info.pPortName = port_.data();
    info.pDriverName = const_cast<wchar_t*>(kDriver);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    installed_ = printer != nullptr;
    if (printer) ClosePrinter(printer);
    installed_ = installed_ && SetDefaultPrinterW(kName);
  }
  ~TestPrinter() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<wchar_t*>(kName), &printer, &access)) {
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
  std::wstring port_, ppd_;
  bool installed_ = false;
};
}  // namespace

TEST(Dialogs, ColourDialogReturnsTheColourAndKeepsCustomColours) {
  TColorDialog dialog;
  dialog.Color = 0x1E140A;
  dialog.FullOpen = true;
  {
    DialogCloser closer([](HWND d) {
      SendMessageW(d, WM_COMMAND, kAddCustomColor, 0);
      PressOk(d);
    });
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_TRUE(closer.Found());
    EXPECT_FALSE(closer.Forced());
  }
  EXPECT_EQ(dialog.Color, 0x1E140Au);
  EXPECT_EQ(dialog.CustomColors[0], RGB(10, 20, 30)) << "added to the custom colours, which the object keeps";

  dialog.Color = 0xFF;
  DialogCloser closer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.Error(), 0u) << "a cancel is no error";
  EXPECT_EQ(dialog.Color, 0xFFu) << "a cancel keeps the colour";
}

TEST(Dialogs, FileDialogsStartWhereTheyAreToldAndReturnTheFullPath) {
  testsupport::TempFolder folder(L"dialogs");
  std::ofstream(std::filesystem::path(folder.Path() + L"notes.txt")) << "x";
  TOpenDialog open;
  open.InitialDir = folder.Path();
  open.FileName = L"notes.txt";
  open.Title = L"Attach a file";
  open.Filter = L"Text files (*.txt)|*.txt|All files (*.*)|*.*";
  open.FilterIndex = 2;
  std::wstring title;
  {
    DialogCloser closer([&](HWND d) {
      title = WindowText(d);
      PressOk(d);
    });
    ASSERT_TRUE(open.Execute(nullptr));
  }
  EXPECT_EQ(title, L"Attach a file");
  EXPECT_TRUE(SameText(open.FileName, folder.Path() + L"notes.txt")) << std::string(open.FileName.begin(), open.FileName.end());
  EXPECT_EQ(open.FilterIndex, 2);

  TSaveDialog save;
  save.InitialDir = folder.Path();
  save.FileName = L"list";
  save.DefaultExt = L"txt";
  DialogCloser closer(PressOk);
  ASSERT_TRUE(save.Execute(nullptr));
  EXPECT_TRUE(SameText(save.FileName, folder.Path() + L"list.txt")) << "a new name, with the default extension";
}

TEST(Dialogs, FontDialogHonoursItsOptions) {
  std::wstring face = ProportionalFace();
  ASSERT_FALSE(face.empty());
  int allFaces = 0;
  TFontDialog dialog;
  dialog.Font.SetName(face);
  dialog.Font.SetSize(11);
  dialog.Options = FontDialogOption::Effects | FontDialogOption::ForceFontExist;
  {
    DialogCloser closer([&](HWND d) {
      allFaces = static_cast<int>(SendDlgItemMessageW(d, kFaceList, CB_GETCOUNT, 0, 0));
      PressOk(d);
    });
    ASSERT_TRUE(dialog.Execute(nullptr));
  }
  EXPECT_EQ(dialog.Font.Name(), face) << "the dialog proposed the font it was given";
  EXPECT_EQ(dialog.Font.Size(), 11);
  ASSERT_GT(allFaces, 1);

  // Fixed pitch only, sizes 10 to 12: the dialog lists only such fonts and sizes.
  dialog.Options = FontDialogOption::FixedPitchOnly | FontDialogOption::LimitSize;
  dialog.MinFontSize = 10;
  dialog.MaxFontSize = 12;
  int fixedFaces = 0;
  std::vector<int> sizes;
  std::wstring chosen;
  {
    DialogCloser closer([&](HWND d) {
      HWND faces = GetDlgItem(d, kFaceList);
      fixedFaces = static_cast<int>(SendMessageW(faces, CB_GETCOUNT, 0, 0));
      SendMessageW(faces, CB_SETCURSEL, 0, 0);
      SendMessageW(d, WM_COMMAND, MAKEWPARAM(kFaceList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
      chosen = WindowText(faces);
      HWND sizeList = GetDlgItem(d, kSizeList);
      int n = static_cast<int>(SendMessageW(sizeList, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < n; ++i) {
        wchar_t text[16] = L"";
        SendMessageW(sizeList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        sizes.push_back(_wtoi(text));
      }
      PressOk(d);
    });
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_FALSE(closer.Forced());
  }
  EXPECT_TRUE(fixedFaces > 0 && fixedFaces < allFaces) << "proportional fonts are left out";
  EXPECT_EQ(dialog.Font.Name(), chosen);
  for (int s : sizes) EXPECT_TRUE(s >= 10 && s <= 12) << s;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dialog.Font.Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "the bit is set for proportional fonts";

  // The plain call the note window uses.
  TFont font;
  font.SetName(face);
  font.SetStyle(FontStyle::Bold);
  DialogCloser closer(PressOk);
  EXPECT_TRUE(ExecuteFontDialog(nullptr, font));
  EXPECT_EQ(font.Style(), FontStyle::Bold);
}

TEST(Printing, WithoutAnyPrinterEveryStepFailsClearly) {
  if (!DefaultPrinter().empty()) GTEST_SKIP() << "this prefix has a printer";
  TPrintDialog dialog;
  DialogCloser closer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.Error(), static_cast<DWORD>(PDERR_NODEFAULTPRN));
  EXPECT_FALSE(closer.Found()) << "no dialog opens";
  TPrinterSetupDialog setup;
  DialogCloser setupCloser([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(setup.Execute(nullptr));
  EXPECT_EQ(setup.Error(), static_cast<DWORD>(PDERR_NODEFAULTPRN));

  TPrinter printer;
  try {
    printer.BeginDoc(L"Nothing");
    ADD_FAILURE() << "a job began without a printer";
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), "There is no printer");
  }
  EXPECT_FALSE(printer.Printing());
  EXPECT_THROW(printer.PageHeight(), EPrinter);
  EXPECT_THROW(printer.NewPage(), EPrinter);
  printer.SetPrinterName(L"No such printer");
  EXPECT_THROW(printer.BeginDoc(), EPrinter) << "a printer that does not exist cannot start a job";
}

TEST(Printing, PrintsPagesOnTheChosenPrinter) {
  const char* build = std::getenv("VXQ_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  std::string output = std::string(build) + "/print-test.ps";
  std::wstring outputPath = L"Z:" + AnsiToWide(output);
  DeleteFileW(outputPath.c_str());
  TestPrinter installed(output);
  ASSERT_TRUE(installed.Installed()) << "error " << GetLastError();

  // The dialog lists the printer. (Wine's print dialog does not take OK for a printer of this kind,
  // so the job below goes to the default printer, which is the same one.)
  TPrinter printer;
  TPrintDialog dialog(&printer);
  std::wstring listed;
  {
    DialogCloser closer([&](HWND d) {
      listed = WindowText(GetDlgItem(d, 1139));
      PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_TRUE(closer.Found());
  }
  EXPECT_EQ(listed, TestPrinter::kName);
  EXPECT_EQ(printer.PrinterName(), TestPrinter::kName);
  EXPECT_GT(printer.PageHeight(), 3000) << "A4 at 300 dpi";

  printer.BeginDoc(L"Vxq print test");
  printer.Canvas().Font.SetName(L"Helvetica");
  printer.Canvas().Font.SetSize(10);
  EXPECT_NEAR(printer.Canvas().TextHeight(L"Hello"), 10 * 300 / 72, 15) << "points stay points on the printer";
  printer.Canvas().TextOut(100, 100, L"Hello printer");
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  printer.Canvas().TextOut(100, 100, L"Second page");
  printer.EndDoc();

  std::ifstream in(std::filesystem::path(outputPath), std::ios::binary);
  std::string ps((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(ps.empty()) << "nothing printed into " << output;
  EXPECT_EQ(ps.rfind("%!PS-Adobe", 0), 0u);
  EXPECT_NE(ps.find("%%Title: Vxq print test"), std::string::npos) << "the job's title";
  EXPECT_EQ(PrintedPages(ps), (std::vector<std::string>{"Hello printer", "Second page"}));

  printer.BeginDoc(L"Abandoned");
  printer.Abort();
  EXPECT_TRUE(printer.Aborted() && !printer.Printing());
}
