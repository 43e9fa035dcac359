#include "NoteTestEnv.h"

using namespace notetest;
using testsupport::Pump;
using testsupport::PumpUntil;

namespace {

class AlarmTest : public NoteTest {
 protected:
  void TearDown() override {
    SetSoundHook({});
    NoteTest::TearDown();
  }
};

// One ring of f's alarm, driven by its timers: the ring, then the shake's steps until it ends.
// Returns where the window stood after each of them.
std::vector<POINT> RingOnce(TNoteForm* f) {
  f->Allarme->Tick();
  std::vector<POINT> at{{f->Left(), f->Top()}};
  for (int i = 0; i < 10 && f->ShakeTimer->Enabled(); ++i) {
    f->ShakeTimer->Tick();
    at.push_back({f->Left(), f->Top()});
  }
  return at;
}

// Rings until a shake has moved the window off its place (an offset of 0, 0 is one of the draws).
bool RingUntilDisplaced(TNoteForm* f, POINT home) {
  for (int i = 0; i < 50; ++i) {
    if (!f->ShakeTimer->Enabled()) f->Allarme->Tick();
    else f->ShakeTimer->Tick();
    if (f->Left() != home.x || f->Top() != home.y) return true;
  }
  return false;
}

TEST_F(AlarmTest, RingsAndShakesInPlaceUntilAnyClickOnTheNote) {
  const TDateTime t = EncodeDateTime(2026, 5, 6, 9, 0);
  SetNowOverride(t);
  TrillFile = L"C:\\sounds\\trill.wav";
  std::vector<std::pair<std::wstring, UINT>> played;
  SetSoundHook([&](const std::wstring& file, UINT flags) { played.emplace_back(file, flags); });
  TNoteWrapper* w = OpenNote(300, 300, 200, 160, L"Dentist at 10");
  w->Form->NoteEdit->SetText(L"Leave now!");
  w->HideNote(true);
  Pump(20);
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = t + kMinute;
  w->Save();

  Manager().CheckTimers();
  EXPECT_EQ(w->Form, nullptr) << "not before its moment";
  SetNowOverride(t + 2 * kMinute);
  Manager().CheckTimers();
  ASSERT_NE(w->Form, nullptr) << "the alarm shows the note";
  TNoteForm* f = w->Form;
  ASSERT_TRUE(f->Allarme->Enabled());

  // Each ring sounds and shakes: four moves of -3..+2 pixels, then back in place; the window
  // thread never waits for them.
  int displaced = 0;
  for (int ring = 0; ring < 4; ++ring) {
    const ULONGLONG start = GetTickCount64();
    const std::vector<POINT> at = RingOnce(f);
    // Had the thread waited for the moves, the ring would have taken their time at least.
    EXPECT_LT(GetTickCount64() - start, 4u * f->ShakeTimer->Interval()) << "ring " << ring << " held the window thread";
    ASSERT_EQ(at.size(), 5u) << "four moves and the way back";
    for (const POINT& p : at) {
      EXPECT_TRUE(p.x >= 297 && p.x <= 302 && p.y >= 297 && p.y <= 302) << p.x << "," << p.y;
      displaced += p.x != 300 || p.y != 300;
    }
    EXPECT_TRUE(at.back().x == 300 && at.back().y == 300) << "and stands where it stood";
    EXPECT_FALSE(f->ShakeTimer->Enabled());
  }
  EXPECT_GT(displaced, 3) << "the window shook";
  EXPECT_EQ(played, (std::vector<std::pair<std::wstring, UINT>>(4, {TrillFile, 17u})))
      << "SND_ASYNC | SND_NOSTOP: without waiting, nor cutting a sound short";

  // Any click on the note stops it, in the middle of a shake too: the title, the text, the bare
  // window, the menu button. The window is back in place at once.
  const int width = f->Width();
  struct Click {
    const char* where;
    std::function<void()> act;
  };
  bool ringingWhenMenuOpened = true, ringingWhenSnoozeMenuOpened = true;
  auto menu = [&](int x, bool right, bool& ringing) {
    return [&, x, right] {
      WithMenuOpen([&] { PostClick(f->Handle(), x, 5, right); },
                   [&] { ringing = f->Allarme->Enabled() || !TPopupMenu::Current(); });
    };
  };
  const std::vector<Click> clicks{
      {"title press", [&] { PostMessageW(f->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(width / 2, 6)); }},
      {"title click", [&] { PostClick(f->Handle(), width / 2, 6); }},
      {"text", [&] { PostClick(f->NoteEdit->Handle(), 20, 20); }},
      {"bare window", [&] { PostClick(f->Handle(), 60, 60); }},  // under the text, where no control lies
      {"menu button", menu(5, false, ringingWhenMenuOpened)},
      {"right click on the close box", menu(width - 6, true, ringingWhenSnoozeMenuOpened)},
  };
  for (const Click& c : clicks) {
    w->Note->AlarmOn = true;
    Manager().CheckTimers();
    ASSERT_TRUE(f->Allarme->Enabled()) << c.where;
    ASSERT_EQ(w->Form, f);
    RingUntilDisplaced(f, {300, 300});
    c.act();
    Pump(60);
    EXPECT_FALSE(f->Allarme->Enabled()) << "not stopped by a " << c.where;
    EXPECT_FALSE(f->ShakeTimer->Enabled()) << c.where;
    EXPECT_TRUE(f->Left() == 300 && f->Top() == 300) << "left displaced by a " << c.where;
    SendMessageW(f->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(width / 2, 6));
  }
  EXPECT_FALSE(ringingWhenMenuOpened) << "the menu button stops the alarm before its menu opens";
  EXPECT_FALSE(ringingWhenSnoozeMenuOpened) << "so does the close box's snooze menu";

  // Stopped, it does not come back after a restart.
  EXPECT_FALSE(LoadNote(w->FileName).AlarmOn) << "the disarmed alarm reached the file";

  // A save or a close in the middle of a shake keeps the place where the note rests.
  w->Note->AlarmOn = true;
  Manager().CheckTimers();
  ASSERT_TRUE(RingUntilDisplaced(f, {300, 300}));
  w->Note->Title = L"Saved while shaking";
  ASSERT_TRUE(w->Save());
  EXPECT_TRUE(LoadNote(w->FileName).Left == 300 && LoadNote(w->FileName).Top == 300) << "saved displaced";
  Pump(20);
  testsupport::SaveScreenShot(L"notewindows-alarm", RECT{240, 240, 560, 520});
  ASSERT_TRUE(RingUntilDisplaced(f, {300, 300}));
  f->CloseNote();
  EXPECT_TRUE(f->Left() == 300 && f->Top() == 300) << "closed displaced";
  TNoteClass closed = LoadNote(w->FileName);
  EXPECT_TRUE(closed.GetHidden() && closed.Left == 300 && closed.Top == 300);
}

// Each ringing note once held the window thread for 200 ms a second: with five or more, the
// queue never ran empty, and a deletion, which lets the queued messages run, never returned.
TEST_F(AlarmTest, SixNotesRingingAtOnceLeaveTheWindowThreadFree) {
  const TDateTime t = EncodeDateTime(2026, 5, 6, 9, 0);
  SetNowOverride(t);
  SetSoundHook([](const std::wstring&, UINT) {});
  NoteAnimations = true;
  std::vector<TNoteWrapper*> notes;
  for (int i = 0; i < 6; ++i) {
    notes.push_back(OpenNote(40 + 190 * (i % 3), 300 + 200 * (i / 3), 180, 150, L"Ring " + std::to_wstring(i)));
    notes.back()->Note->AlarmOn = true;
    notes.back()->Note->AlarmAt = t - kMinute;
  }
  Manager().CheckTimers();
  for (TNoteWrapper* w : notes) {
    ASSERT_TRUE(w->Form && w->Form->Allarme->Enabled());
    w->Form->Allarme->Tick();
  }
  RecordBoxes([](const MessageBoxRequest&) { return IDYES; });
  TNoteForm* doomed = notes[4]->Form;
  const HWND h = doomed->Handle();
  {
    testsupport::HangGuard guard(testsupport::kPatience, "deleting a note while six notes ring");
    doomed->DeleteNoteAction->Execute();
  }
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << "the deleted note's window goes";
  EXPECT_FALSE(FileExists(notes[4]->FileName));
  for (size_t i = 0; i < notes.size(); ++i) {
    if (i == 4) continue;
    TNoteForm* f = notes[i]->Form;
    while (f->ShakeTimer->Enabled()) f->ShakeTimer->Tick();
    EXPECT_TRUE(f->Left() == notes[i]->Note->Left && f->Top() == notes[i]->Note->Top) << "note " << i << " in place";
    EXPECT_TRUE(f->Allarme->Enabled()) << "note " << i << " still rings";
  }
}

}  // namespace
