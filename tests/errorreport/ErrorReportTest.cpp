// The error report: what reaches the log, the dialog's Close and Terminate, and errors that
// keep coming while the dialog is up, for a C++ exception and for a processor fault alike. The
// dialog is answered by a thread timer that clicks its buttons, so no test can hang on it.

#include <algorithm>
#include <cstring>
#include <regex>
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
int* volatile g_nowhere = nullptr;
[[gnu::noinline]] void WriteThroughNull() { *g_nowhere = 42; }

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

std::wstring ReadLog(const std::wstring& folder = ExeFolder()) {
  const Bytes b = ReadBytes(folder + L"ExceptionsLog.txt");
  const std::string text(b.begin(), b.end());
  return text.rfind("\xEF\xBB\xBF", 0) == 0 ? Utf8ToWide(text.substr(3)) : AnsiToWide(text);
}

int Count(const std::wstring& text, const std::wstring& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

int Matches(const std::wstring& text, const std::wstring& pattern) {
  const std::wregex re(pattern);
  return static_cast<int>(std::distance(std::wsregex_iterator(text.begin(), text.end(), re), std::wsregex_iterator()));
}

std::wstring Escaped(const std::wstring& text) {
  return std::regex_replace(text, std::wregex(LR"([\\^$.|?*+()\[\]{}])"), LR"(\$&)");
}

// The names of an executable file's sections; a name longer than eight characters stands in
// the file's string table, after its symbols, and the header holds "/<offset>" there.
std::vector<std::string> SectionNames(const Bytes& file) {
  auto read = [&](size_t offset, auto& value) { std::memcpy(&value, file.data() + offset, sizeof value); };
  IMAGE_DOS_HEADER dos;
  read(0, dos);
  IMAGE_FILE_HEADER header;
  read(dos.e_lfanew + sizeof(DWORD), header);
  const size_t strings = header.PointerToSymbolTable + header.NumberOfSymbols * size_t{IMAGE_SIZEOF_SYMBOL};
  size_t at = dos.e_lfanew + sizeof(DWORD) + sizeof header + header.SizeOfOptionalHeader;
  std::vector<std::string> names;
  for (int i = 0; i < header.NumberOfSections; ++i, at += sizeof(IMAGE_SECTION_HEADER)) {
    IMAGE_SECTION_HEADER section;
    read(at, section);
    std::string name(reinterpret_cast<const char*>(section.Name), strnlen(reinterpret_cast<const char*>(section.Name), 8));
    if (name[0] == '/') name = reinterpret_cast<const char*>(file.data() + strings + std::atoi(name.c_str() + 1));
    names.push_back(name);
  }
  return names;
}

// The two ways a window handler fails: a C++ exception, and a processor fault.
struct Failure {
  UINT message;
  const wchar_t* firstLine;  // pattern
  const wchar_t* function;   // the first frame of the stack list
};
const Failure kFailures[] = {
    {WM_APP + 1, L"Handler failed", L"RaiseFromHandler"},
    {WM_APP + 3,
     L"Access violation at address [0-9A-F]{16} in module 'test_errorreport\\.exe'\\.\\s+Write\\s+of\\s+address\\s+0{16}",
     L"WriteThroughNull"},
};

// One log entry, line by line: each pattern must match exactly once.
std::vector<std::wstring> EntryPatterns(const Failure& f) {
  OSVERSIONINFOEXW v{};
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v));
  wchar_t version[64];
  swprintf(version, 64, L"Version: %lu\\.%lu, Build: %lx, ", v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber);
  wchar_t path[MAX_PATH];
  const std::wstring sep = L"-{64}\r\n", exe = Escaped(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH)));
  return {
      L"^############# ERROR ON: \\d[^\r\n]*\r\n" + exe + L"\r\n" + f.firstLine + L"\r\n" + sep +
          L"Stack list, generated \\d[^\r\n]*\r\n\\[[0-9A-F]{16}\\] test_errorreport\\.exe " + f.function +
          L"\\s+\\+\\s+\\$[0-9A-F]+\\s+\\(Line\\s+\\d+,\\s+\"ErrorReportTest\\.cpp\"\\)\r\n",
      sep + L"System   : Windows [^,\r\n]+, " + version + L"\"[^\"\r\n]*\"\r\n",
      L"\r\nProcessor: [^,\r\n]+, [^,]+, \\d+\\s+MHz\\s+MMX\r\n",
      L"\r\nDisplay  : " + std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" +
          std::to_wstring(GetSystemMetrics(SM_CYSCREEN)) + L" pixels, (24|32) bpp\r\n" + sep +
          L"List of loaded modules:\r\n\r\n\\[",
      // Our own module sits where it asks to: eleven blanks and one before its version (none).
      L"\\[0*140000000\\] " + exe + L"\r\n {12}(\\d+\\.\\d+\\.\\d+)? Build: \\d+\r\n",
      sep + L"Product Versions\r\n\r\n(probe\\.dll: Build: 0 \\d[^\r\n]*\r\n)### END LOG\r\n\r\n\r\n$",
  };
}

// A window whose handlers fail on demand.
class ProbeForm : public TForm {
 public:
  explicit ProbeForm(TComponent* owner) : TForm(owner, L"TProbeForm") {
    OnMessage = [this](UINT msg, WPARAM, LPARAM, LRESULT&) {
      if (msg == WM_APP + 1) RaiseFromHandler();
      if (msg == WM_APP + 2) ++handled;
      if (msg == WM_APP + 3) WriteThroughNull();
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
  // A note with words typed that wait for their save.
  TNoteWrapper* TypeUnsavedWords() {
    TNoteWrapper* w = OpenNote(300, 300, 200, 160, L"Typing");
    EXPECT_TRUE(PumpUntil([&] { return FileExists(w->FileName); }));
    Pump(1200);
    for (wchar_t c : std::wstring(L"unsaved words")) TypeChar(w->Form, c);
    Pump(100);
    EXPECT_TRUE(w->Form->UpdateTimer->Enabled());
    EXPECT_EQ(PlainText(LoadNote(w->FileName)).find(L"unsaved words"), std::wstring::npos);
    return w;
  }
  ProbeForm* probe = nullptr;

 private:
  UINT_PTR answerTimer_ = 0;
};
}  // namespace

TEST_F(ErrorReportTest, AnErrorInAHandlerIsLoggedWhereItHappenedAndCloseGoesOn) {
  WriteBytes(ExeFolder() + L"probe.dll", Bytes{});  // a file of ours without version information
  DialogAnswer::shot = L"error-dialog";
  DialogAnswer::delayMs = 300;
  // The functions and lines below come from the debug information in a file beside the
  // executable, which the optimised build keeps out of it and names.
  wchar_t self[MAX_PATH];
  const std::vector<std::string> sections = SectionNames(ReadBytes(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH))));
  EXPECT_EQ(std::count(sections.begin(), sections.end(), ".gnu_debuglink"), 1);
  EXPECT_EQ(std::count_if(sections.begin(), sections.end(), [](const std::string& s) { return s.rfind(".debug_", 0) == 0; }), 0);
  for (const Failure& f : kFailures) {
    SCOPED_TRACE(WideToUtf8(f.function));
    const size_t logged = ReadLog().size();
    const int shown = ErrorHandler->DialogsShown, handled = probe->handled;
    PostMessageW(probe->Handle(), f.message, 0, 0);
    ASSERT_TRUE(RunLoopUntil([&] { return ErrorHandler->DialogsShown == shown + 1 && !DialogAnswer::Showing(); }));

    const std::wstring entry = ReadLog().substr(logged);
    for (const std::wstring& pattern : EntryPatterns(f))
      EXPECT_EQ(Matches(entry, pattern), 1) << WideToUtf8(pattern) << "\n" << WideToUtf8(entry);
    for (const wchar_t* once : {L"\r\nSystem   : ", L"\r\nProcessor: ", L"\r\nDisplay  : ", L"\r\nList of loaded modules:",
                                L"\r\nProduct Versions\r\n", L"############# ERROR ON: ", L"### END LOG"})
      EXPECT_EQ(Count(entry, once), 1) << WideToUtf8(once);

    // Close let the program go on: the window answers its next message.
    PostMessageW(probe->Handle(), WM_APP + 2, 0, 0);
    EXPECT_TRUE(RunLoopUntil([&] { return probe->handled == handled + 1; }));
    DialogAnswer::shot.clear();
  }
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
  DialogAnswer::button = L"TerminateBTN";
  for (const Failure& f : kFailures) {
    SCOPED_TRACE(WideToUtf8(f.function));
    TNoteWrapper* w = TypeUnsavedWords();
    int exitCode = -1;
    std::wstring onDisk;
    ErrorExitProcess = [&](UINT code) {
      exitCode = static_cast<int>(code);
      onDisk = PlainText(LoadNote(w->FileName));
    };
    PostMessageW(probe->Handle(), f.message, 0, 0);
    ASSERT_TRUE(RunLoopUntil([&] { return exitCode != -1; }));
    EXPECT_EQ(exitCode, 1);
    EXPECT_NE(onDisk.find(L"unsaved words"), std::wstring::npos) << WideToUtf8(onDisk);
  }
}

// Outside every window handler a fault cannot be caught: the unhandled-exception filter
// reports it, saves the typing and ends the program. Seen from outside, in a run of its own.
TEST_F(ErrorReportTest, AFaultOutsideTheHandlersIsReportedTheTypingSavedAndTheProgramEnds) {
  if (GetEnvironmentVariableW(L"VXQ_FAULT_OUTSIDE", nullptr, 0)) {
    TypeUnsavedWords();
    WriteThroughNull();
    return;
  }
  DWORD pid = 0;
  EXPECT_EQ(testsupport::RunThisTestAlone(L"VXQ_FAULT_OUTSIDE", 30000, &pid), 1u);
  // It ended before it could remove its folder: this test does.
  const testsupport::TempFolder left(Utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()), pid);
  ASSERT_FALSE(left.Path().empty()) << "the faulting run's folder";
  const std::wstring ours = ExeFolder(), folder = left.Path();
  EXPECT_EQ(Matches(ReadLog(folder),
                    L"\r\nAccess violation at address [^\\[]+\\[[0-9A-F]{16}\\] test_errorreport\\.exe WriteThroughNull "),
            1);
  WIN32_FIND_DATAW note{};
  const std::wstring notes = folder + NotesFolder.substr(ours.size());
  FindClose(FindFirstFileW((notes + L"*.vxn").c_str(), &note));
  EXPECT_NE(PlainText(LoadNote(notes + note.cFileName)).find(L"unsaved words"), std::wstring::npos);
}

TEST_F(ErrorReportTest, ARepeatingErrorWhileTheDialogIsUpIsLoggedEachTimeInOneDialog) {
  const int suppressedBefore = TApplication::SuppressedErrors();
  probe->failing = true;
  probe->FailTimer->SetEnabled(true);
  // The dialog stays up for several ticks; it is answered only once the failures stop.
  DialogAnswer::delayMs = 700;
  DialogAnswer::before = [this] { probe->failing = false; };
  ASSERT_TRUE(RunLoopUntil([] { return ErrorHandler->DialogsShown >= 1 && !DialogAnswer::Showing(); }));
  Pump(300);
  probe->FailTimer->SetEnabled(false);

  const int suppressed = TApplication::SuppressedErrors() - suppressedBefore;
  EXPECT_GE(suppressed, 3);
  EXPECT_EQ(ErrorHandler->DialogsShown, 1);
  const std::wstring log = ReadLog();
  EXPECT_EQ(Count(log, L"############# ERROR ON: "), 1 + suppressed);
  EXPECT_EQ(Count(log, L"\r\nTick failed\r\n"), 1 + suppressed);
}
