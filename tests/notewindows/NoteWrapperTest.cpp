#include "NoteTestEnv.h"

using namespace notetest;

namespace {

class NoteWrapperTest : public NoteTest {};

TEST_F(NoteWrapperTest, AlarmFiresOnlyOnceItsMomentHasPassed) {
  const TDateTime t = EncodeDateTime(2026, 3, 4, 10, 30);
  SetNowOverride(t);
  // A broken note file whose alarm was read before the damage: it can never ring, and says so
  // once, not at every check.
  TNoteClass broken("NBrokenAlarm");
  broken.AlarmOn = true;
  broken.AlarmAt = t - kMinute;
  Bytes bytes = EncodeNoteFile(broken);
  bytes.resize(bytes.size() - 5);  // ends inside the linked file, after the alarm
  WriteBytes(NoteFileName("NBrokenAlarm"), bytes);
  RecordBoxes();
  TNoteWrapper* w = OpenNote(100, 100, 160, 160, L"Call back");
  w->HideNote(true);
  testsupport::Pump(20);
  ASSERT_EQ(w->Form, nullptr);
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = t;

  Manager().CheckTimers();
  EXPECT_TRUE(w->Note->AlarmOn) << "an alarm at this very moment has not passed yet";
  EXPECT_EQ(w->Form, nullptr);

  SetNowOverride(t + kSecond);
  Manager().CheckTimers();
  ASSERT_NE(w->Form, nullptr) << "the alarm shows the note";
  EXPECT_FALSE(w->Note->AlarmOn) << "disarmed once ringing";
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Corrupted Note: NBrokenAlarm"});
  EXPECT_EQ(ReadBytes(NoteFileName("NBrokenAlarm")), bytes) << "and is never written";
}

TEST_F(NoteWrapperTest, PreviewIsOneLineOfAtMost255Characters) {
  TNoteWrapper* w = OpenNote(100, 100, 160, 160, L"Preview");
  auto preview = [w](const std::wstring& text) {
    w->Form->NoteEdit->SetText(text);
    w->UpdateFromForm();
    return w->GetPreview();
  };
  EXPECT_EQ(preview(L"a\r\n\r\nb"), L"a   b");
  EXPECT_EQ(preview(L"  \ttrimmed\r\n"), L"trimmed");
  EXPECT_EQ(preview(L"Привет\r\n日本"), L"Привет  日本") << "letters outside the code page kept";
  const std::wstring longText = std::wstring(150, L'x') + std::wstring(150, L'я');
  const std::wstring p = preview(longText);
  EXPECT_EQ(p, longText.substr(0, 255));

  w->Form->NoteEdit->SetText(L"not copied yet");
  EXPECT_EQ(w->GetPreview(), p) << "kept until the note changes";
  w->UpdateFromForm();
  EXPECT_EQ(w->GetPreview(), L"not copied yet");
}

TEST_F(NoteWrapperTest, SystemCloseHidesAndSavesTheNoteAndForgetsTheWindow) {
  TNoteWrapper* a = OpenNote(100, 100, 160, 160, L"Closed by WM_CLOSE");
  TNoteWrapper* b = OpenNote(300, 100, 160, 160, L"Closed by SC_CLOSE");
  struct Case {
    TNoteWrapper* w;
    UINT msg;
    WPARAM wp;
  };
  for (const Case& c : {Case{a, WM_CLOSE, 0}, Case{b, WM_SYSCOMMAND, SC_CLOSE}}) {
    c.w->Form->NoteEdit->SetText(L"last words");
    HWND h = c.w->Form->Handle();
    PostMessageW(h, c.msg, c.wp, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !IsWindow(h); })) << WideToUtf8(c.w->Note->Title);
    EXPECT_EQ(c.w->Form, nullptr) << "no pointer to the freed window";
    TNoteClass saved = LoadNote(c.w->FileName);
    EXPECT_TRUE(saved.GetHidden()) << WideToUtf8(c.w->Note->Title);
    EXPECT_EQ(Trim(PlainText(saved)), L"last words");
  }
  for (TForm* f : Application->Forms()) EXPECT_EQ(dynamic_cast<TNoteForm*>(f), nullptr) << "all note windows freed";

  a->ShowNote();
  ASSERT_NE(a->Form, nullptr) << "opens again in a new window";
  EXPECT_EQ(Trim(a->Form->NoteEdit->Text()), L"last words");

  // The application frees the windows it owns when it goes; the note then has none.
  delete a->Form;
  EXPECT_EQ(a->Form, nullptr);
  a->Save();
  EXPECT_EQ(Trim(PlainText(LoadNote(a->FileName))), L"last words");
}

}  // namespace
