// Printing the notes list on a real (PostScript) printer of the test's own.
#include "ManagerTestEnv.h"
#include "PrintTestSupport.h"
#include "ui/Printers.h"

namespace {

using managertest::ManagerTest;
using managertest::NoteSpec;
using testsupport::PrintedPages;
using testsupport::ReadPrinted;
using testsupport::TestPrinter;

std::string Output(const char* name) {
  const char* build = std::getenv("VXQ_BUILD_DIR");
  return std::string(build ? build : ".") + "/" + name;
}

class PrintListTest : public ManagerTest {
 protected:
  // Notes t000, t001, ... in group "g", each with a short text.
  std::vector<NoteSpec> ManyNotes(int n) {
    std::vector<NoteSpec> specs;
    for (int i = 0; i < n; ++i) {
      wchar_t title[16];
      wsprintfW(title, L"t%03d", i);
      specs.emplace_back(title, L"g", 0, 0, false, false, true, "p" + std::to_string(i));
    }
    return specs;
  }
};

TEST_F(PrintListTest, RowsGoOnAsManyPagesAsTheyNeedEachWithTheHeader) {
  const std::string out = Output("manager-list.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out);
  ASSERT_TRUE(installed.Installed());
  Start(ManyNotes(120));
  Open();
  // Descending by title: the pages follow the list on the screen.
  form->NoteViewer->SetSort(0, TSortDirection::sdDescending);
  TPrinter printer;
  ASSERT_TRUE(form->PrintList(printer));
  const std::vector<std::string> pages = PrintedPages(ReadPrinted(out));
  ASSERT_GE(pages.size(), 2u) << "120 rows do not fit on one A4 page";
  std::string all;
  for (const std::string& p : pages) {
    EXPECT_EQ(p.rfind("Vantaro v2.4.0TitleGroupPreview", 0), 0u) << "every page starts with the header: " << p;
    all += p.substr(std::string("Vantaro v2.4.0TitleGroupPreview").size());
  }
  std::string expected;
  for (int i = 119; i >= 0; --i) {
    char row[32];
    wsprintfA(row, "t%03dgp%d", i, i);
    expected += row;
  }
  EXPECT_EQ(all, expected) << "every row once, in the order of the list";
}

TEST_F(PrintListTest, EmptyListPrintsOnePageWithTheHeader) {
  const std::string out = Output("manager-empty.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out);
  ASSERT_TRUE(installed.Installed());
  Start();
  Open();
  TPrinter printer;
  ASSERT_TRUE(form->PrintList(printer));
  EXPECT_EQ(PrintedPages(ReadPrinted(out)), std::vector<std::string>{"Vantaro v2.4.0TitleGroupPreview"});
}

TEST_F(PrintListTest, HeaderTallerThanThePageStillEnds) {
  // A strip of paper lower than the header: each row goes on a page of its own after the
  // header, instead of new pages without end.
  const std::string out = Output("manager-strip.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out, 400, 12, L"Vxq Strip Printer");
  ASSERT_TRUE(installed.Installed());
  Start(ManyNotes(3));
  Open();
  TPrinter printer;
  ASSERT_LT(printer.PageHeight(), 100) << "the strip is lower than the header";
  ASSERT_TRUE(form->PrintList(printer));
  const std::vector<std::string> pages = PrintedPages(ReadPrinted(out));
  EXPECT_EQ(pages.size(), 3u);
}

TEST_F(PrintListTest, ARowThatWouldReachThePageBottomStartsTheNextPage) {
  // The heights of the header and of a row, measured on a printer of the same resolution.
  int header = 0, h = 0;
  {
    TestPrinter a4(Output("manager-measure.ps"));
    ASSERT_TRUE(a4.Installed());
    TPrinter measure;
    measure.BeginDoc();
    TCanvas& c = measure.Canvas();
    c.Font.SetName(L"Arial");
    c.Font.SetSize(9);
    header = 10 + c.TextHeight(L"Vantaro v2.4.0") + 5 + c.TextHeight(L"Title") + 5;
    h = c.TextHeight(L"t000");
    measure.Abort();
  }
  ASSERT_GT(h, 0);
  // A paper that ends exactly where row k would end (72 points are 300 pixels).
  const int k = 3;
  const int bottom = header + k * (h + 3) + h;
  const std::string out = Output("manager-exact.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out, 400, bottom * 72.0 / 300, L"Vxq Exact Printer");
  ASSERT_TRUE(installed.Installed());
  Start(ManyNotes(k + 1));
  Open();
  TPrinter printer;
  ASSERT_EQ(printer.PageHeight(), bottom) << "the paper ends where row " << k << " would";
  ASSERT_TRUE(form->PrintList(printer));
  const std::vector<std::string> pages = PrintedPages(ReadPrinted(out));
  ASSERT_EQ(pages.size(), 2u) << "row " << k << " reaches the page height: it goes on the next page";
  EXPECT_EQ(pages[1], "Vantaro v2.4.0TitleGroupPreviewt003gp3") << "the header again, then row " << k;
}

TEST_F(PrintListTest, PrinterThatFailsIsToldAndTheJobAbandoned) {
  Start(ManyNotes(2));
  Open();
  std::vector<std::wstring> boxes;
  SetMessageBoxAnswerer([&](const MessageBoxRequest& r) {
    boxes.push_back(r.Text);
    return IDOK;
  });
  TPrinter printer;
  printer.SetPrinterName(L"No such printer");
  EXPECT_FALSE(form->PrintList(printer));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind(L"The notes list could not be printed:", 0), 0u) << WideToUtf8(boxes[0]);
  EXPECT_FALSE(printer.Printing());
}

}  // namespace
