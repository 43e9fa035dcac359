#include "NoteTestEnv.h"
#include "PrintTestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Printers.h"

using namespace notetest;
using testsupport::Pump;

namespace {

class NotePrintTest : public NoteTest {
 protected:
  void SetUp() override {
    NoteTest::SetUp();
    const char* build = std::getenv("VXQ_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    output = std::string(build) + "/note-print.ps";
    DeleteFileW((L"Z:" + AnsiToWide(output)).c_str());
    RecordBoxes();
  }
  void TearDown() override {
    SetPrintDialogAnswerer({});
    Printer().UseDefault();
    NoteTest::TearDown();
  }
  // The one page the note printed, as text.
  std::string PrintedPage() {
    std::vector<std::string> pages = testsupport::PrintedPages(testsupport::ReadPrinted(output));
    EXPECT_EQ(pages.size(), 1u) << "one page, always";
    return pages.empty() ? std::string() : pages[0];
  }
  std::string output;
};

TEST_F(NotePrintTest, PrintsTheHeaderTitleAndTextOnOnePageWhenTheDialogIsConfirmed) {
  testsupport::TestPrinter printer(output);
  ASSERT_TRUE(printer.Installed()) << "error " << GetLastError();
  // Wine's dialog does not take OK for this printer: the answer is given in its place.
  int asked = 0;
  SetPrintDialogAnswerer([&](HWND) {
    ++asked;
    return true;
  });
  TNoteWrapper* w = OpenNote(100, 100, 220, 160, L"Groceries");
  w->Note->Created = EncodeDateTime(2026, 1, 2, 3, 4, 5);
  w->Form->NoteEdit->SetText(L"Milk and bread\r\nCall Anna");
  EXPECT_TRUE(w->Form->PrintNote());
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(boxes.empty());
  std::string page = PrintedPage();
  const std::string created = WideToAnsi(DateTimeToStr(w->Note->Created));
  for (const std::string& part : {std::string("Printed with Vantaro: http://www.belvanto.com"),
                                  "Note: Groceries Of: " + created, std::string("Note text:"),
                                  std::string("Milk and bread"), std::string("Call Anna")})
    EXPECT_NE(page.find(part), std::string::npos) << "missing \"" << part << "\" in: " << page;
  EXPECT_LT(page.find("Printed with"), page.find("Note: Groceries")) << "in the order of the lines";
  EXPECT_LT(page.find("Note text:"), page.find("Milk and bread"));

  // A note longer than a page: the first page only, cut at its bottom.
  DeleteFileW((L"Z:" + AnsiToWide(output)).c_str());
  std::wstring text;
  for (int i = 1; i <= 400; ++i) text += L"Line " + std::to_wstring(1000 + i) + L"\r\n";
  w->Form->NoteEdit->SetText(text);
  EXPECT_TRUE(w->Form->PrintNote());
  page = PrintedPage();
  int last = 1000;
  while (last < 1400 && page.find("Line " + std::to_string(last + 1)) != std::string::npos) ++last;
  EXPECT_GT(last, 1060) << "a full page of lines, from the first";
  EXPECT_LT(last, 1100) << "and no more than fit on it";
  EXPECT_EQ(page.find("Line " + std::to_string(last + 1)), std::string::npos) << "the rest is not printed";
  EXPECT_EQ(page.find("Line 1400"), std::string::npos);

  // From the note menu's action as well.
  DeleteFileW((L"Z:" + AnsiToWide(output)).c_str());
  w->Form->PrintNoteAction->Execute();
  EXPECT_NE(PrintedPage().find("Line 1001"), std::string::npos);
}

TEST_F(NotePrintTest, CancellingTheRealDialogPrintsNothing) {
  testsupport::TestPrinter printer(output);
  ASSERT_TRUE(printer.Installed());
  TNoteWrapper* w = OpenNote(100, 100, 220, 160, L"Not printed");
  w->Form->NoteEdit->SetFocus();
  testsupport::DialogCloser closer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(w->Form->PrintNote());
  Pump(100);
  EXPECT_EQ(GetFocus(), w->Form->NoteEdit->Handle()) << "the keys go to the text again";
  EXPECT_TRUE(closer.Found()) << "the print dialog opened";
  EXPECT_TRUE(boxes.empty()) << "a cancel is no error";
  EXPECT_TRUE(testsupport::ReadPrinted(output).empty()) << "nothing printed";
}

TEST_F(NotePrintTest, NoPrinterOrAPrinterThatRefusesTheJobIsToldAndNeverDone) {
  TNoteWrapper* w = OpenNote(100, 100, 220, 160, L"Refused");
  if (testsupport::DefaultPrinter().empty()) {
    EXPECT_FALSE(w->Form->PrintNote());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"The note cannot be printed: there is no printer.");
  }
  boxes.clear();

  // A printer whose output cannot be written: the job is refused when it is handed over.
  const std::string nowhere = "/nonexistent-vxq-folder/refused.ps";
  testsupport::TestPrinter printer(nowhere);
  ASSERT_TRUE(printer.Installed());
  SetPrintDialogAnswerer([](HWND) { return true; });
  bool done = true;
  EXPECT_NO_THROW(done = w->Form->PrintNote());
  EXPECT_FALSE(done) << "a refused job is not reported as printed";
  ASSERT_EQ(boxes.size(), 1u) << "the user is told";
  EXPECT_EQ(boxes[0].rfind(L"The note could not be printed:", 0), 0u) << WideToUtf8(boxes[0]);
  EXPECT_FALSE(Printer().Printing()) << "no job left open";
  EXPECT_NE(w->Form, nullptr) << "the note stays as it was";
}

TEST_F(NotePrintTest, TheSessionEndingWhileThePrintDialogIsUpLeavesTheFreedMainWindowAlone) {
  testsupport::TestPrinter printer(output);
  ASSERT_TRUE(printer.Installed());
  TNoteForm* f = StartProgramWithOneNote();
  ASSERT_NE(f, nullptr);
  HWND h = f->Handle();
  int asked = 0;
  SetPrintDialogAnswerer([&](HWND) {
    ++asked;
    // The session ends meanwhile: everything is saved, the main window and the notes are freed.
    testsupport::EndSession(h);
    Pump(100);
    return false;  // the dialog went with the session
  });
  // Chosen from the note menu: the window is inside its own message, so it outlives the session
  // end until that returns, and goes on after the dialog.
  testsupport::WhenReady(testsupport::MenuUp, [] { PostMessageW(FindWindowW(L"#32768", nullptr), WM_CHAR, 'p', 0); });
  SetTimer(nullptr, 0, testsupport::kPatience, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();  // never left hanging
  });
  PostClick(h, 5, 5);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !IsWindow(h); })) << "the window went after the session end";
  EXPECT_EQ(asked, 1) << "Print Note was chosen from the menu";
  EXPECT_TRUE(Closing && VantaroMainForm == nullptr) << "the session ended";
  EXPECT_TRUE(boxes.empty()) << "a dialog ended by the session is no error: " << (boxes.empty() ? "" : WideToUtf8(boxes[0]));
  EXPECT_TRUE(testsupport::ReadPrinted(output).empty()) << "nothing printed";
}

}  // namespace
