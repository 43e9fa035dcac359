#include <mutex>

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

// Where another thread sees the window while the note's own thread rings and shakes it.
class PositionSampler {
 public:
  explicit PositionSampler(HWND window) : window_(window), worker_([this] { Run(); }) {}
  ~PositionSampler() { Stop(); }
  void Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
  }
  std::vector<POINT> Samples() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
  }

 private:
  void Run() {
    while (!stop_) {
      RECT r;
      if (GetWindowRect(window_, &r)) {
        std::lock_guard<std::mutex> lock(mutex_);
        samples_.push_back({r.left, r.top});
      }
      Sleep(2);
    }
  }
  HWND window_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<POINT> samples_;
  std::thread worker_;
};

TEST_F(AlarmTest, RingsAndShakesInPlaceEverySecondUntilAnyClickOnTheNote) {
  const TDateTime t = EncodeDateTime(2026, 5, 6, 9, 0);
  SetNowOverride(t);
  TrillFile = L"C:\\sounds\\trill.wav";
  std::vector<DWORD> rings;
  std::vector<std::pair<std::wstring, UINT>> played;
  SetSoundHook([&](const std::wstring& file, UINT flags) {
    rings.push_back(GetTickCount());
    played.emplace_back(file, flags);
  });
  TNoteWrapper* w = OpenNote(300, 300, 200, 160, L"Wake up");
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
  EXPECT_TRUE(f->Allarme->Enabled());

  // Rings once a second; each of the shakes moves the window a little and puts it back.
  PositionSampler sampler(f->Handle());
  ASSERT_TRUE(testsupport::RunLoopUntil([&] { return rings.size() >= 4; }, 6000)) << rings.size() << " rings";
  Pump(300);  // the last tick's shakes end
  sampler.Stop();
  // A tick held up by a loaded machine is followed by one on the timer's own schedule, so single
  // gaps vary; the mean gap is the second, and no two rings come in a burst.
  const double meanGap = double(rings.back() - rings.front()) / double(rings.size() - 1);
  EXPECT_GE(meanGap, 850.0);
  EXPECT_LE(meanGap, 1250.0);
  for (size_t i = 1; i < rings.size(); ++i) EXPECT_GE(rings[i] - rings[i - 1], 400u) << "ring " << i;
  for (const auto& p : played) {
    EXPECT_EQ(p.first, TrillFile);
    EXPECT_EQ(p.second, 17u) << "SND_ASYNC | SND_NOSTOP: without waiting, nor cutting a sound short";
  }
  std::vector<POINT> samples = sampler.Samples();
  ASSERT_GT(samples.size(), 100u);
  int displaced = 0;
  for (const POINT& p : samples) {
    EXPECT_TRUE(p.x >= 297 && p.x <= 302 && p.y >= 297 && p.y <= 302) << p.x << "," << p.y;
    if (p.x != 300 || p.y != 300) ++displaced;
  }
  EXPECT_GT(displaced, 5) << "the window shook";
  EXPECT_EQ(samples.back().x, 300);
  EXPECT_EQ(samples.back().y, 300) << "and stands where it stood";
  EXPECT_EQ(f->Left(), 300);
  EXPECT_EQ(f->Top(), 300);

  // Any click on the note stops it: the title, the text, the bare window, the menu button.
  const int width = f->Width();
  struct Click {
    const char* where;
    std::function<void()> act;
  };
  auto post = [](HWND h, UINT down, UINT up, int x, int y) {
    PostMessageW(h, down, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(h, up, 0, MAKELPARAM(x, y));
  };
  bool ringingWhenMenuOpened = true, ringingWhenSnoozeMenuOpened = true;
  const std::vector<Click> clicks{
      {"title press", [&] { PostMessageW(f->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(width / 2, 6)); }},
      {"title click", [&] { post(f->Handle(), WM_LBUTTONDOWN, WM_LBUTTONUP, width / 2, 6); }},
      {"text", [&] { post(f->NoteEdit->Handle(), WM_LBUTTONDOWN, WM_LBUTTONUP, 20, 20); }},
      // Under the text control, where no control of the window's own lies.
      {"bare window", [&] { post(f->Handle(), WM_LBUTTONDOWN, WM_LBUTTONUP, 60, 60); }},
      {"menu button",
       [&] {
         WithMenuOpen([&] { post(f->Handle(), WM_LBUTTONDOWN, WM_LBUTTONUP, 5, 5); },
                      [&] { ringingWhenMenuOpened = f->Allarme->Enabled() || !TPopupMenu::Current(); });
       }},
      {"right click on the close box",
       [&] {
         WithMenuOpen(
             [&] {
               PostMessageW(f->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(width - 6, 5));
               PostMessageW(f->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(width - 6, 5));
             },
             [&] { ringingWhenSnoozeMenuOpened = f->Allarme->Enabled() || !TPopupMenu::Current(); });
       }},
  };
  for (const Click& c : clicks) {
    w->Note->AlarmOn = true;
    Manager().CheckTimers();
    ASSERT_TRUE(f->Allarme->Enabled()) << c.where;
    ASSERT_EQ(w->Form, f);
    c.act();
    Pump(60);
    EXPECT_FALSE(f->Allarme->Enabled()) << "not stopped by a " << c.where;
    SendMessageW(f->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(width / 2, 6));
  }
  EXPECT_FALSE(ringingWhenMenuOpened) << "the menu button stops the alarm before its menu opens";
  EXPECT_FALSE(ringingWhenSnoozeMenuOpened) << "so does the close box's snooze menu";
  const size_t rung = rings.size();
  Pump(1300);
  EXPECT_EQ(rings.size(), rung) << "a stopped alarm rings no more";
  EXPECT_EQ(f->Left(), 300);

  // Stopped, it does not come back: not from the file, nor after a restart.
  EXPECT_FALSE(LoadNote(w->FileName).AlarmOn) << "the disarmed alarm reached the file";
  std::string id = w->ID;
  Manager().CloseAll();
  Pump(50);
  manager.reset();
  TNoteWrapper* again = FindNote(Manager(), id);
  ASSERT_NE(again, nullptr);
  ASSERT_NE(again->Form, nullptr);
  SetNowOverride(t + 10 * kMinute);
  Manager().CheckTimers();
  EXPECT_FALSE(again->Form->Allarme->Enabled());
  Pump(1200);
  EXPECT_EQ(rings.size(), rung);
}

TEST_F(AlarmTest, NoRingNorShakeOnceTheWindowIsClosing) {
  std::vector<DWORD> rings;
  SetSoundHook([&](const std::wstring&, UINT) { rings.push_back(GetTickCount()); });
  TNoteWrapper* w = OpenNote(200, 200, 180, 150, L"Closing");
  TNoteForm* f = w->Form;
  f->FormClosing = true;
  f->AllarmeTimer(f);
  EXPECT_TRUE(rings.empty());
  f->FormClosing = false;
  LARGE_INTEGER start, end, frequency;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  f->AllarmeTimer(f);
  QueryPerformanceCounter(&end);
  EXPECT_EQ(rings.size(), 1u);
  const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  EXPECT_GE(ms, 195.0) << "a tick shakes four times, 50 ms each";
  EXPECT_EQ(f->Left(), 200);
  EXPECT_EQ(f->Top(), 200);
}

TEST_F(AlarmTest, ScreenshotOfAnAlarmInProgress) {
  const TDateTime t = EncodeDateTime(2026, 5, 6, 9, 0);
  SetNowOverride(t);
  SetSoundHook([](const std::wstring&, UINT) {});
  TNoteWrapper* w = OpenNote(40, 40, 220, 150, L"Dentist at 10");
  w->Form->NoteEdit->SetText(L"Leave now!");
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = t - kMinute;
  Manager().CheckTimers();
  ASSERT_TRUE(w->Form->Allarme->Enabled());
  // Taken from another thread in the middle of a shake: the note stands a little off its place.
  HWND h = w->Form->Handle();
  std::atomic<bool> taken{false};
  std::thread shooter([&] {
    for (int i = 0; i < 2000 && !taken; ++i) {
      RECT r;
      GetWindowRect(h, &r);
      if (r.left != 40 || r.top != 40) {
        Sleep(20);
        testsupport::SaveScreenShot(L"notewindows-alarm", RECT{0, 0, 320, 240});
        taken = true;
      }
      Sleep(2);
    }
  });
  testsupport::RunLoopUntil([&] { return taken.load(); }, 4000);
  shooter.join();
  EXPECT_TRUE(taken);
  w->Form->StopAlarm();
}

}  // namespace
