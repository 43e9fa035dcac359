// Saves that fail keep the edits, say so once, are tried again until they succeed, and never
// stop the program.
#include "NoteTestEnv.h"

using namespace notetest;

namespace {

class NoteSaveFailureTest : public NoteTest {
 protected:
  void SetUp() override {
    NoteTest::SetUp();
    RecordBoxes([this](const MessageBoxRequest& r) { return answer ? answer(r) : IDOK; });
  }
  std::function<int(const MessageBoxRequest&)> answer;
};

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST_F(NoteSaveFailureTest, AFailedSaveIsToldOnceKeepsTheEditsAndSucceedsOnceTheCauseIsGone) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Shopping");
  TNoteForm* f = w->Form;
  f->UpdateTimer->Tick();
  ASSERT_TRUE(FileExists(w->FileName));

  // A file locked by another program, then a full disk: each the same way.
  for (int cause = 0; cause < 2; ++cause) {
    auto lock = cause == 0 ? std::make_unique<Lock>(w->FileName) : nullptr;
    if (!lock) SetNoteWriteFailAfter(10);
    boxes.clear();
    const std::wstring typed = cause == 0 ? L"milk" : L"eggs";
    for (wchar_t c : typed) TypeChar(f, c);
    Application->ProcessMessages();
    for (int i = 0; i < 3; ++i) f->UpdateTimer->Tick();  // several failed attempts
    ASSERT_EQ(boxes.size(), 1u) << "one message for the note, whatever the number of attempts";
    EXPECT_TRUE(Contains(boxes[0], L"\"Shopping\"")) << "names the note";
    EXPECT_TRUE(lock ? Contains(boxes[0], SystemErrorText(ERROR_SHARING_VIOLATION)) ||
                           Contains(boxes[0], SystemErrorText(ERROR_ACCESS_DENIED))
                     : Contains(boxes[0], SystemErrorText(ERROR_DISK_FULL)))
        << "gives the system's reason: " << WideToUtf8(boxes[0]);
    EXPECT_TRUE(w->SaveFailed);
    EXPECT_TRUE(Contains(RichTextToPlainText(w->Note->Text), typed)) << "the edits stay in the note";
    EXPECT_TRUE(lock || !Contains(PlainText(LoadNote(w->FileName)), typed));
    lock.reset();
    SetNoteWriteFailAfter(std::nullopt);
    f->UpdateTimer->Tick();
    EXPECT_TRUE(Contains(PlainText(LoadNote(w->FileName)), typed)) << "saved by itself once the cause is gone";
    EXPECT_FALSE(w->SaveFailed);
    EXPECT_EQ(boxes.size(), 1u) << "no message once it has worked";
  }

  // A closed note that could not be saved is tried again by the manager's tick.
  SetNoteWriteFailAfter(10);
  w->Note->Title = L"Renamed";
  w->HideNote(false);
  EXPECT_TRUE(w->SaveFailed);
  SetNoteWriteFailAfter(std::nullopt);
  Manager().CheckTimers();
  EXPECT_FALSE(w->SaveFailed);
  EXPECT_EQ(LoadNote(w->FileName).Title, L"Renamed");
}

TEST_F(NoteSaveFailureTest, ExitAsksRetryOrCancelAndShutDownOnlyLogs) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Keep me");
  ASSERT_TRUE(w->Save());
  w->Note->Title = L"Keep me too";
  auto lock = std::make_unique<Lock>(w->FileName);

  answer = [](const MessageBoxRequest& r) {
    EXPECT_TRUE(r.Flags & MB_RETRYCANCEL);
    return IDCANCEL;
  };
  EXPECT_FALSE(Manager().SaveBeforeExit()) << "Cancel: the program stays";
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(Contains(boxes[0], L"\"Keep me too\""));
  answer = [&](const MessageBoxRequest&) {
    lock.reset();  // the user closes the other program, then presses Retry
    return IDRETRY;
  };
  EXPECT_TRUE(Manager().SaveBeforeExit());
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(LoadNote(w->FileName).Title, L"Keep me too");

  // While the program shuts down (the session ends) nobody answers: the failure is logged.
  lock = std::make_unique<Lock>(w->FileName);
  w->Note->Title = L"Last words";
  Closing = true;
  EXPECT_FALSE(w->Save());
  Closing = false;
  EXPECT_EQ(boxes.size(), 2u);
  Bytes log = ReadBytes(ExeFolder() + L"ExceptionsLog.txt");
  EXPECT_TRUE(Contains(AnsiToWide(std::string(log.begin(), log.end())), L"\"Last words\" cannot be saved"));
}

}  // namespace
