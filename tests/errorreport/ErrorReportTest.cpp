// The error report: what reaches the log, the dialog's Close and Terminate, and errors that
// keep coming while the dialog is up. The dialog is answered by a thread timer that clicks
// its buttons, so no test can hang on it.

#include <stdexcept>

#include "errorreport/ErrorReport.h"
#include "errorreport/ExceptionForm.h"
#include "notewindows/NoteTestEnv.h"
#include "ui/ExtCtrls.h"

using namespace notetest;
using testsupport::Pump;
using testsupport::PumpUntil;
using testsupport::RunLoopUntil;

[[gnu::noinline]] void RaiseFromHandler() { throw std::runtime_error("Handler failed"); }
[[gnu::noinline]] void RaiseFromTimer() { throw std::runtime_error("Tick failed"); }

namespace {
// Answers the error dialog: after delayMs, optionally saves a screenshot, then clicks a button.
struct DialogAnswer {
  static inline std::wstring button = L"CloseBTN";
  static inline DWORD delayMs = 0;
  static inline std::wstring shot;
  static inline DWORD seenAt = 0;
  static inline std::function<void()> before;

  static TExceptionForm* Showing() {
    for (TForm* f : Application->Forms())
      if (auto* e = dynamic_cast<TExceptionForm*>(f); e && e->Modal()) return e;
    return nullptr;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TExceptionForm* form = Showing();
    if (!form) return;
    if (!seenAt) seenAt = GetTickCount();
    if (GetTickCount() - seenAt < delayMs) return;
    seenAt = 0;
    if (!shot.empty()) {
      RECT r;
      GetWindowRect(form->Handle(), &r);
      testsupport::SaveScreenShot(shot, r);
      shot.clear();
    }
    if (before) before();
    TButton* b = button == L"TerminateBTN" ? form->TerminateBTN : form->CloseBTN;
    PostMessageW(b->Handle(), BM_CLICK, 0, 0);
  }
};

std::wstring ReadLog() {
  const Bytes b = ReadBytes(ExeFolder() + L"ExceptionsLog.txt");
  const std::string text(b.begin(), b.end());
  return text.rfind("\xEF\xBB\xBF", 0) == 0 ? Utf8ToWide(text.substr(3)) : AnsiToWide(text);
}

int Count(const std::wstring& text, const std::wstring& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A window whose handlers fail on demand.
class ProbeForm : public TForm {
 public:
  explicit ProbeForm(TComponent* owner) : TForm(owner, L"TProbeForm") {
    OnMessage = [this](UINT msg, WPARAM, LPARAM, LRESULT&) {
      if (msg == WM_APP + 1) RaiseFromHandler();
      if (msg == WM_APP + 2) ++handled;
      return false;
    };
    FailTimer = new TTimer(this, L"FailTimer", 100);
    FailTimer->SetEnabled(false);
    FailTimer->OnTimer = [this](TComponent*) {
      ++ticks;
      if (failing) RaiseFromTimer();
    };
  }
  TTimer* FailTimer;
  bool failing = false;
  int handled = 0, ticks = 0;
};

class ErrorReportTest : public NoteTest {
 protected:
  void SetUp() override {
    NoteTest::SetUp();
    CreateErrorHandler();
    DialogAnswer::button = L"CloseBTN";
    DialogAnswer::delayMs = 0;
    DialogAnswer::before = nullptr;
    DialogAnswer::seenAt = 0;
    answerTimer_ = SetTimer(nullptr, 0, 50, DialogAnswer::Tick);
    probe = new ProbeForm(Application);
    probe->Handle();
  }
  void TearDown() override {
    KillTimer(nullptr, answerTimer_);
    ErrorExitProcess = [](UINT code) { ExitProcess(code); };
    FreeErrorHandler();
    NoteTest::TearDown();
  }
  ProbeForm* probe = nullptr;

 private:
  UINT_PTR answerTimer_ = 0;
};
}  // namespace

TEST_F(ErrorReportTest, AnErrorInAHandlerIsLoggedWithItsThrowSiteAndCloseGoesOn) {
  DialogAnswer::shot = L"error-dialog";
  DialogAnswer::delayMs = 300;
  PostMessageW(probe->Handle(), WM_APP + 1, 0, 0);
  ASSERT_TRUE(RunLoopUntil([] { return ErrorHandler->DialogsShown == 1 && !DialogAnswer::Showing(); }, 8000));

  const std::wstring log = ReadLog();
  EXPECT_EQ(Count(log, L"############# ERROR ON: "), 1) << WideToUtf8(log);
  EXPECT_EQ(Count(log, L"### END LOG\r\n\r\n\r\n"), 1);
  EXPECT_NE(log.find(L"\r\nHandler failed\r\n" + kReportSeparator + L"\r\nStack list, generated "), std::wstring::npos)
      << WideToUtf8(log);
  // The first frame is the function that threw, named from the debug information.
  const size_t stack = log.find(L"Stack list, generated ");
  EXPECT_NE(log.find(L"RaiseFromHandler", stack), std::wstring::npos) << WideToUtf8(log);
  EXPECT_NE(log.find(L"ErrorReportTest.cpp"), std::wstring::npos);
  for (const wchar_t* once : {L"\r\nSystem   : ", L"\r\nProcessor: ", L"\r\nDisplay  : ", L"\r\nList of loaded modules:",
                              L"\r\nProduct Versions\r\n"})
    EXPECT_EQ(Count(log, once), 1) << WideToUtf8(once);

  // Close let the program go on: the window answers its next message.
  PostMessageW(probe->Handle(), WM_APP + 2, 0, 0);
  EXPECT_TRUE(RunLoopUntil([&] { return probe->handled == 1; }, 2000));
  EXPECT_EQ(ErrorHandler->DialogsShown, 1);
}

TEST(ErrorLog, TextOutsideTheCodePageSurvivesAndOlderEntriesStayAsTheyWere) {
  testsupport::TempFolder folder(L"log");
  const std::wstring file = folder.Path() + L"ExceptionsLog.txt", title = L"Заметка Ő 日本 é \U0001F600";
  const std::string mark = "\xEF\xBB\xBF";
  struct Row {
    std::string before;  // the log as an older run left it
    std::string line;    // the title's line in the entry added
  } rows[] = {{"", WideToUtf8(title)},
              {mark + "old \xC3\xA9\r\n", WideToUtf8(title)},
              // Begun in the code page: it goes on in it, and what it cannot hold is written by its code.
              {"old \xE9\r\n", "\\x{0417}\\x{0430}\\x{043C}\\x{0435}\\x{0442}\\x{043A}\\x{0430} \\x{0150} "
                               "\\x{65E5}\\x{672C} \xE9 \\x{1F600}"}};
  for (const Row& row : rows) {
    testsupport::WriteBytes(file, Bytes(row.before.begin(), row.before.end()));
    AppendLog(file, {title});
    const std::string log = testsupport::ReadText(file);
    EXPECT_EQ(log.substr(0, std::max<size_t>(row.before.size(), 3)), row.before.empty() ? mark : row.before);
    EXPECT_NE(log.find("\r\n" + row.line + "\r\n### END LOG\r\n"), std::string::npos) << log;
  }
}

TEST_F(ErrorReportTest, TerminateSavesTypedTextThenEndsWithCodeOne) {
  TNoteWrapper* w = OpenNote(300, 300, 200, 160, L"Typing");
  ASSERT_TRUE(PumpUntil([&] { return FileExists(w->FileName); }, 2500));
  Pump(1200);
  for (wchar_t c : std::wstring(L"unsaved words")) TypeChar(w->Form, c);
  Pump(100);
  ASSERT_TRUE(w->Form->UpdateTimer->Enabled());
  ASSERT_EQ(PlainText(LoadNote(w->FileName)).find(L"unsaved words"), std::wstring::npos);

  int exitCode = -1;
  std::wstring onDisk;
  ErrorExitProcess = [&](UINT code) {
    exitCode = static_cast<int>(code);
    onDisk = PlainText(LoadNote(w->FileName));
  };
  DialogAnswer::button = L"TerminateBTN";
  PostMessageW(probe->Handle(), WM_APP + 1, 0, 0);
  ASSERT_TRUE(RunLoopUntil([&] { return exitCode != -1; }, 8000));
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(onDisk.find(L"unsaved words"), std::wstring::npos) << WideToUtf8(onDisk);
}

TEST_F(ErrorReportTest, ARepeatingErrorWhileTheDialogIsUpIsLoggedEachTimeInOneDialog) {
  const int suppressedBefore = TApplication::SuppressedErrors();
  probe->failing = true;
  probe->FailTimer->SetEnabled(true);
  // The dialog stays up for several ticks; it is answered only once the failures stop.
  DialogAnswer::delayMs = 700;
  DialogAnswer::before = [this] { probe->failing = false; };
  ASSERT_TRUE(RunLoopUntil([] { return ErrorHandler->DialogsShown >= 1 && !DialogAnswer::Showing(); }, 8000));
  Pump(300);
  probe->FailTimer->SetEnabled(false);

  const int suppressed = TApplication::SuppressedErrors() - suppressedBefore;
  EXPECT_GE(suppressed, 3);
  EXPECT_EQ(ErrorHandler->DialogsShown, 1);
  const std::wstring log = ReadLog();
  EXPECT_EQ(Count(log, L"############# ERROR ON: "), 1 + suppressed);
  EXPECT_EQ(Count(log, L"\r\nTick failed\r\n"), 1 + suppressed);
}
