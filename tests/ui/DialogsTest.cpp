#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <utility>
#include <vector>
#include <windows.h>
// after windows.h
#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include "PrintTestSupport.h"
#include "TestSupport.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/InputBox.h"
#include "ui/MessageBox.h"
#include "ui/Printers.h"

namespace {
using testsupport::DialogCloser;
using testsupport::TestPrinter;
using testsupport::PrintedPages;
using testsupport::DefaultPrinter;
// The font dialog's face and size lists.
constexpr int kFaceList = 0x470, kSizeList = 0x472;
// The colour dialog's "Add to Custom Colors" button.
constexpr int kAddCustomColor = 712;

using testsupport::PressOk;

std::wstring WindowText(HWND h) {
  wchar_t text[256] = L"";
  GetWindowTextW(h, text, 256);
  return text;
}

using testsupport::ProportionalFace;

}  // namespace

// A question that what happens meanwhile settles goes by itself, answered as told; while it
// stands, it waits for the person.
TEST(Dialogs, AWithdrawableBoxStaysWhileItsQuestionStandsAndGoesAnsweredOnceItIsSettled) {
  std::atomic<DWORD> settledAt{0};
  DialogCloser closer([&](HWND) {
    Sleep(800);
    settledAt = GetTickCount();
  });
  int asked = 0;
  const DWORD start = GetTickCount();
  const int answer = ShowWithdrawableMessageBox(
      L"Still there?", L"Test", MB_RETRYCANCEL, [&] { return ++asked, settledAt != 0; }, IDRETRY);
  const DWORD end = GetTickCount();
  EXPECT_TRUE(closer.Found()) << "the box came up";
  EXPECT_FALSE(closer.Forced()) << "and went by itself";
  EXPECT_EQ(answer, IDRETRY);
  EXPECT_GE(asked, 2) << "asked again while it was up";
  EXPECT_GE(end - start, 750u) << "not before it was settled";
  EXPECT_LT(end - settledAt, 1000u) << "soon after";
}

namespace {
std::function<void()> g_onTick;
bool g_forced = false;
}  // namespace

// The program's end waits for no box: the boxes that are up are taken back (one that tells as OK,
// a question as No), later ones and modal forms do not come up, and what each box said is handed
// on; the end's own question is asked all the same.
TEST(Dialogs, TheProgramsEndTakesBackTheBoxesThatAreUpAndShowsNoNewOneButItsOwnQuestion) {
  TApplication app;
  std::vector<std::wstring> unseen;
  SetUnseenMessageBoxHook([&](const MessageBoxRequest& r) { unseen.push_back(r.Text); });
  // Should something wait for a person after all, it is cancelled after a while and the test fails.
  g_forced = false;
  const UINT_PTR safety = SetTimer(nullptr, 0, testsupport::kPatience, [](HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM) {
      wchar_t cls[16] = L"";
      GetClassNameW(h, cls, 16);
      if (!IsWindowVisible(h)) return TRUE;
      g_forced = true;
      PostMessageW(h, wcscmp(cls, L"#32770") == 0 ? WM_COMMAND : WM_CLOSE, IDCANCEL, 0);
      return TRUE;
    }, 0);
  });
  // A tick inside the box that tells opens a question; a tick inside the question begins the end.
  int inner = 0;
  g_onTick = [&] {
    g_onTick = [] { BeginEnding(); };
    inner = ShowMessageBox(L"Delete it?", L"Test", MB_YESNO);
  };
  const UINT_PTR tick = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
    if (auto f = std::exchange(g_onTick, nullptr)) f();
  });
  const int outer = ShowMessageBox(L"Told", L"Test", MB_OK);
  KillTimer(nullptr, tick);
  EXPECT_EQ(inner, IDNO);
  EXPECT_EQ(outer, IDOK);
  EXPECT_EQ(unseen, (std::vector<std::wstring>{L"Delete it?", L"Told"})) << "innermost first";

  EXPECT_EQ(ShowMessageBox(L"Later", L"Test", MB_OKCANCEL), IDCANCEL) << "not shown, answered at once";
  EXPECT_EQ(unseen.back(), L"Later");
  TForm form(&app, L"TEndingTestForm");
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  bool asked = false;
  EXPECT_EQ(ShowWithdrawableMessageBox(L"Retry?", L"Test", MB_RETRYCANCEL, [&] { return asked = true; }, IDRETRY),
            IDRETRY);
  EXPECT_TRUE(asked) << "the end's own question is up until withdrawn";
  EXPECT_EQ(unseen.size(), 3u);
  EXPECT_FALSE(g_forced) << "nothing waited for a person";
  KillTimer(nullptr, safety);
  CancelEnding();
  SetUnseenMessageBoxHook({});
}

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

  const std::string ps = testsupport::ReadText(outputPath);
  ASSERT_FALSE(ps.empty()) << "nothing printed into " << output;
  EXPECT_EQ(ps.rfind("%!PS-Adobe", 0), 0u);
  EXPECT_NE(ps.find("%%Title: Vxq print test"), std::string::npos) << "the job's title";
  EXPECT_EQ(PrintedPages(ps), (std::vector<std::string>{"Hello printer", "Second page"}));

  printer.BeginDoc(L"Abandoned");
  printer.Abort();
  EXPECT_TRUE(printer.Aborted() && !printer.Printing());
}

namespace {
TEST(Dialogs, InputQueryNeverCutsItsStartingText) {
  const std::wstring start(300, L'a');
  int limit = 0;
  std::wstring shown;
  SetInputBoxAnswerer([&](const InputBoxRequest& r, std::wstring&) {
    limit = r.MaxLength;
    shown = r.Default;
    return true;
  });
  std::wstring value = start;
  EXPECT_TRUE(InputQuery(nullptr, L"c", L"p", value, 255));
  SetInputBoxAnswerer({});
  EXPECT_EQ(shown, start);
  EXPECT_EQ(value, start) << "confirmed as it stands";
  EXPECT_GE(limit, 300);
}
}  // namespace
