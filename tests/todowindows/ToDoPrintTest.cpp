// Printing a project on a real (PostScript) printer of the test's own, and pictures of the window.
#include <algorithm>
#include <vector>

#include "PrintTestSupport.h"
#include "ToDoTestEnv.h"
#include "ui/ExtCtrls.h"
#include "ui/Printers.h"

namespace {
using testsupport::PrintedPages;
using testsupport::Pump;
using testsupport::ReadPrinted;
using testsupport::TestPrinter;
using todotest::ToDoWindowTest;

std::string Output(const char* name) {
  const char* build = std::getenv("VXQ_BUILD_DIR");
  return std::string(build ? build : ".") + "/" + name;
}

// The data of each picture the PostScript draws ("image" operators), in page order.
std::vector<std::string> Pictures(const std::string& ps) {
  std::vector<std::string> pictures;
  for (size_t at = ps.find("\nimage\n"); at != std::string::npos; at = ps.find("\nimage\n", at + 1)) {
    const size_t begin = at + 7, end = ps.find("~>", begin);
    pictures.push_back(ps.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
  }
  return pictures;
}

TEST_F(ToDoWindowTest, PrintsHeaderMarksAndPictures) {
  const std::string out = Output("todo-print.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out);
  ASSERT_TRUE(installed.Installed());
  Write(L"Home", {{L"buy milk", true, 0}, {L"call Bob", false, 3}, {L"odd", false, 12}});
  Open();
  TPrinter printer;
  ASSERT_TRUE(form->PrintCurrentProject(printer));
  const std::string ps = ReadPrinted(out);
  const std::vector<std::string> pages = PrintedPages(ps);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], "Project: HomeXbuy milkcall Bobodd");
  const std::vector<std::string> pictures = Pictures(ps);
  ASSERT_EQ(pictures.size(), 3u) << "one square per task";
  EXPECT_NE(pictures[0], pictures[1]) << "the warning triangle, then tile 3";
  EXPECT_NE(pictures[1], pictures[2]) << "a priority without a picture prints a blank square";
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ToDoWindowTest, LongProjectGoesOnAcrossPagesWithTheHeader) {
  const std::string out = Output("todo-long.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out);
  ASSERT_TRUE(installed.Installed());
  TToDoTasks tasks;
  std::string expected;
  for (int i = 0; i < 150; ++i) {
    char title[16];
    wsprintfA(title, "t%03d", i);
    tasks.push_back({AnsiToWide(title), i % 3 == 0, 4});
    expected += (i % 3 == 0 ? "X" : "") + std::string(title);
  }
  Write(L"Long", tasks);
  Open();
  TPrinter printer;
  ASSERT_TRUE(form->PrintCurrentProject(printer));
  const std::vector<std::string> pages = PrintedPages(ReadPrinted(out));
  ASSERT_GE(pages.size(), 2u) << "150 lines do not fit on one A4 page";
  std::string all;
  for (const std::string& p : pages) {
    EXPECT_EQ(p.rfind("Project: Long", 0), 0u) << "every page starts with the header: " << p;
    all += p.substr(std::string("Project: Long").size());
  }
  EXPECT_EQ(all, expected) << "every task once, in the order of the list";
}

TEST_F(ToDoWindowTest, PrintActionRunsTheDialogFirst) {
  const std::string out = Output("todo-action.ps");
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  TestPrinter installed(out);
  ASSERT_TRUE(installed.Installed());
  Write(L"P", {{L"only", false, 1}});
  Open();
  int asked = 0;
  SetPrintDialogAnswerer([&](HWND) { return ++asked == 2; });
  form->PrintProject->Execute();
  EXPECT_TRUE(ReadPrinted(out).empty()) << "cancelled: nothing printed";
  form->PrintProject->Execute();
  EXPECT_EQ(PrintedPages(ReadPrinted(out)), std::vector<std::string>{"Project: Ponly"});
  // The program ends while the dialog is up: the project is saved and nothing is printed.
  DeleteFileW((L"Z:" + AnsiToWide(out)).c_str());
  SelectRow(0);
  form->Priority0Execute(7);
  SetPrintDialogAnswerer([](HWND) {
    CloseToDoListForm();
    return true;
  });
  form->PrintProject->Execute();
  SetPrintDialogAnswerer({});
  Pump(20);
  EXPECT_EQ(ToDOListForm, nullptr);
  EXPECT_TRUE(ReadPrinted(out).empty());
  EXPECT_EQ(OnDisk(L"P"), "[only| |7]");
}

TEST_F(ToDoWindowTest, FailedJobIsTold) {
  Write(L"P", {{L"only", false, 1}});
  Open();
  TPrinter printer;
  printer.SetPrinterName(L"No Such Printer");
  EXPECT_FALSE(form->PrintCurrentProject(printer));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind(L"The project could not be printed:", 0), 0u) << WideToUtf8(boxes[0]);
}

// ---------------------------------------------------------------- pictures to look at

TEST_F(ToDoWindowTest, ToolPicturesShowTheirSubjects) {
  Open();
  // The colours each row of a picture paints over white, its empty rows left out.
  auto rows = [this](TAction* a) {
    TBitmap b(16, 16);
    b.Canvas().Brush = TBrush{clWhite};
    b.Canvas().FillRect(0, 0, 16, 16);
    form->ImageList->Draw(b.Canvas(), 0, 0, a->ImageIndex());
    GdiFlush();
    std::vector<std::vector<TColor>> painted(16);
    for (int i = 0; i < 256; ++i)
      if (b.Pixel(i % 16, i / 16) != clWhite) painted[i / 16].push_back(b.Pixel(i % 16, i / 16));
    std::erase_if(painted, [](const std::vector<TColor>& r) { return r.empty(); });
    return painted;
  };
  // A waste bin: a lid wider than the body, which narrows to its foot.
  const auto bin = rows(form->RemoveCTasks);
  ASSERT_GT(bin.size(), 8u);
  const size_t lid = std::max_element(bin.begin(), bin.end(), [](auto& a, auto& b) { return a.size() < b.size(); })->size();
  EXPECT_LT(bin.back().size(), bin[bin.size() / 2].size());
  EXPECT_LT(bin[bin.size() / 2].size(), lid);
  // A door: a golden knob on its leaf.
  bool knob = false;
  for (const auto& row : rows(form->CloseTODO))
    for (TColor c : row) knob = knob || ((c & 0xFF) > 180 && ((c >> 8) & 0xFF) > 150 && ((c >> 16) & 0xFF) < 80);
  EXPECT_TRUE(knob);
  // The signs in their colours: a red minus and a red cross, a green plus.
  auto shows = [&](TAction* a, auto strong) {
    for (const auto& row : rows(a))
      for (TColor c : row)
        if (strong(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)) return true;
    return false;
  };
  auto red = [](int r, int g, int b) { return r > 180 && g < 90 && b < 90; };
  auto green = [](int r, int g, int b) { return g > 130 && r < 90 && b < 90; };
  EXPECT_TRUE(shows(form->RemoveTask, red));
  EXPECT_TRUE(shows(form->DeleteProject, red));
  EXPECT_TRUE(shows(form->NewProject, green));
  EXPECT_FALSE(shows(form->NewProject, red));
}

TEST_F(ToDoWindowTest, Screenshots) {
  TToDoTasks tasks;
  const wchar_t* words[] = {L"Call the plumber", L"Buy milk", L"Write report", L"Book flights", L"Renew passport"};
  for (int i = 0; i < 20; ++i) tasks.push_back({std::wstring(words[i % 5]) + L" " + std::to_wstring(i), i % 4 == 1, i % 10});
  Write(L"Home", tasks);
  Write(L"Work", {});
  Open();
  form->SetBounds(100, 100, 330, 420);
  Pump(100);
  EXPECT_TRUE(testsupport::SaveScreenShot(L"todo-window", testsupport::ScreenRect(form->Handle())));
  // With a menu up: the picture is taken from a timer while the menu's loop runs.
  auto* shooter = new TTimer(form, L"Shooter", 200);
  std::wstring shot;
  shooter->OnTimer = [&](TComponent*) {
    if (!TPopupMenu::Current()) return;
    Pump(50);
    RECT r = testsupport::ScreenRect(form->Handle());
    r.right += 200, r.bottom += 200;
    EXPECT_TRUE(testsupport::SaveScreenShot(shot, r));
    EndMenu();
  };
  shooter->SetEnabled(true);
  testsupport::Watchdog watchdog(testsupport::kPatience);
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  shot = L"todo-project-menu";
  form->ProjectMenuDropdown->Click();
  SelectRow(3);
  shot = L"todo-priority-menu";
  const POINT p = form->ToDoList->ClientToScreen(POINT{60, 60});
  form->PriorityPopUP->Popup(p.x, p.y);
  shooter->SetEnabled(false);
  EXPECT_FALSE(testsupport::Watchdog::fired);
}
}  // namespace
