// The window layer's ways around round trips to the window server: timers stopped lazily and
// restarted with one call, window objects found without window properties, system controls
// subclassed by a plain window procedure, forms shown without a second bring-to-front, and
// nothing invalidated while it is off the screen.
#include <richedit.h>

#include "UiTestEnv.h"
#include "ui/RichEdit.h"
#include "ui/Screen.h"

using namespace uitest;

namespace {

class RoundTripTest : public AppTest {};

TEST_F(RoundTripTest, TimerRestartsItsCountAndNeverTicksWhileOff) {
  TTimer timer(app_.get(), L"Timer", 150);
  std::vector<DWORD> ticks;
  timer.OnTimer = [&](TComponent*) { ticks.push_back(GetTickCount()); };

  // A restart before the first tick starts the count again: no tick 150 ms after enabling.
  DWORD start = GetTickCount();
  timer.SetEnabled(true);
  Idle(100);
  DWORD restarted = GetTickCount();
  timer.Restart();
  ASSERT_TRUE(RunLoopUntil([&] { return !ticks.empty(); }));
  EXPECT_GE(ticks[0] - restarted, 130u) << "ticked " << ticks[0] - start << " ms after the first start";

  // Off and straight on again: the same, by the lazy stop's shortcut.
  ticks.clear();
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  restarted = GetTickCount();
  ASSERT_TRUE(RunLoopUntil([&] { return !ticks.empty(); }));
  EXPECT_GE(ticks[0] - restarted, 130u);

  // Off: the system's timer may still be armed, but no tick reaches the handler.
  timer.SetEnabled(false);
  ticks.clear();
  Idle(500);
  EXPECT_TRUE(ticks.empty()) << ticks.size() << " ticks of a timer switched off";

  // Switched off by its own handler, and a timer freed while it may still be armed.
  int own = 0;
  timer.OnTimer = [&](TComponent*) {
    ++own;
    timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  auto* freed = new TTimer(app_.get(), L"Freed", 50);
  int freedTicks = 0;
  freed->OnTimer = [&](TComponent*) { ++freedTicks; };
  freed->SetEnabled(true);
  freed->SetEnabled(false);
  delete freed;
  Idle(700);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(freedTicks, 0);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(RoundTripTest, WindowsFindTheirObjectsAndSubclassedControlsStillWork) {
  TForm form(app_.get(), L"TRoundTripForm");
  form.BorderStyle = TFormBorderStyle::bsNone;
  form.SetBounds(100, 100, 240, 160);
  auto* edit = Put(new TRichEdit(&form, L"Edit"), &form, 0, 0, 240, 120);
  auto* panel = Put(new TWinControl(&form), &form, 0, 120, 240, 40);
  std::vector<UINT> seen;
  edit->OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_CHAR) seen.push_back(msg);
    return false;
  };
  int changes = 0;
  edit->OnChange = [&](TComponent*) { ++changes; };
  form.Show();
  HWND e = edit->Handle(), p = panel->Handle(), f = form.Handle();
  EXPECT_EQ(TWinControl::FromHandle(f), &form);
  EXPECT_EQ(TWinControl::FromHandle(e), edit);
  EXPECT_EQ(TWinControl::FromHandle(p), panel);
  EXPECT_EQ(TWinControl::FromHandle(nullptr), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(GetDesktopWindow()), nullptr);

  // The rich edit behind the plain subclass: our handler first, then the control itself.
  SendMessageW(e, WM_CHAR, L'x', 1);
  SendMessageW(e, WM_CHAR, L'y', 1);
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(edit->Text(), L"xy");
  EXPECT_EQ(changes, 2) << "EN_CHANGE reflected back to the control object";

  // A window destroyed behind its object's back is forgotten, and so is a freed control's.
  DestroyWindow(p);
  EXPECT_EQ(TWinControl::FromHandle(p), nullptr);
  EXPECT_FALSE(panel->HandleAllocated());
  delete edit;
  EXPECT_FALSE(IsWindow(e));
  EXPECT_EQ(TWinControl::FromHandle(e), nullptr);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(RoundTripTest, ShowBringsAFormToTheFrontWhetherItWasHiddenOrNot) {
  TForm a(app_.get(), L"TRoundTripA"), b(app_.get(), L"TRoundTripB");
  for (TForm* f : {&a, &b}) {
    f->BorderStyle = TFormBorderStyle::bsNone;
    f->SetBounds(200, 200, 120, 90);
  }
  a.Show();
  b.Show();
  HWND ha = a.Handle(), hb = b.Handle();
  EXPECT_EQ(ZRank(hb, {ha, hb}), 0) << "shown last, on top";
  a.Hide();
  a.Show();
  EXPECT_EQ(ZRank(ha, {ha, hb}), 0) << "a hidden form comes up on top as it is shown";
  b.Show();
  EXPECT_EQ(ZRank(hb, {ha, hb}), 0) << "a form already shown is brought to the front";

  // Shown without activation: on top all the same, and the active window stays active.
  TForm c(app_.get(), L"TRoundTripC");
  c.BorderStyle = TFormBorderStyle::bsNone;
  c.SetBounds(220, 220, 120, 90);
  SetForegroundWindow(hb);
  ASSERT_EQ(GetActiveWindow(), hb);
  c.ShowInactive();
  HWND hc = c.Handle();
  EXPECT_TRUE(IsWindowVisible(hc));
  EXPECT_EQ(ZRank(hc, {ha, hb, hc}), 0);
  EXPECT_EQ(GetActiveWindow(), hb);
  a.ShowInactive();
  EXPECT_EQ(ZRank(ha, {ha, hb, hc}), 0) << "one already shown comes to the front";
  EXPECT_EQ(GetActiveWindow(), hb);
}

TEST_F(RoundTripTest, ChangesMadeOffTheScreenShowWhenTheFormIsShown) {
  TForm form(app_.get(), L"TRoundTripPaint");
  form.BorderStyle = TFormBorderStyle::bsNone;
  form.SetBounds(300, 300, 100, 80);
  form.SetColor(0x0000FF);
  form.Show();
  form.Repaint();
  form.Hide();
  // Recoloured while hidden: no invalidation is made then, yet the new colour shows.
  form.SetColor(0x00FF00);
  form.Show();
  form.Repaint();
  Idle(100);
  EXPECT_EQ(testsupport::ScreenPixel(350, 340) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(RoundTripTest, ScreenSizeAndMonitorsAreTheSystemsAndFollowADisplayChange) {
  const SIZE s = PrimaryScreenSize();
  EXPECT_EQ(s.cx, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(s.cy, GetSystemMetrics(SM_CYSCREEN));
  ASSERT_FALSE(MonitorAreas().empty());
  RECT primary = MonitorAreas()[0].Bounds;
  EXPECT_EQ(primary.right - primary.left, s.cx);
  RECT onScreen{10, 10, 50, 50}, away{s.cx + 500, 10, s.cx + 540, 50};
  EXPECT_NE(MonitorOfRect(onScreen), nullptr);
  EXPECT_EQ(MonitorOfRect(away), nullptr);
  EXPECT_EQ(NearestMonitor(away).Bounds.right, MonitorAreas()[0].Bounds.right);
  // The application's window hears the display change and the next question asks again.
  SendMessageW(app_->Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(s.cx, s.cy));
  EXPECT_EQ(PrimaryScreenSize().cx, GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace

namespace {


class ShortCutTest : public AppTest {};

TEST_F(ShortCutTest, ShortcutsMatchTheirModifiersExactlyAndActiveFormFollowsActivation) {
  TForm form(app_.get(), L"TShortCutForm");
  form.BorderStyle = TFormBorderStyle::bsNone;
  form.SetBounds(100, 100, 200, 120);
  auto* edit = Put(new TEdit(&form, L"Edit"), &form, 0, 0, 200, 24);
  auto* list = new TActionList(&form, L"Actions");
  std::vector<std::wstring> ran;
  for (auto [name, sc] : {std::pair{L"CtrlK", ShortCut('K', scCtrl)}, std::pair{L"CtrlShiftK", ShortCut('K', scCtrl | scShift)},
                          std::pair{L"AltK", ShortCut('K', scAlt)}, std::pair{L"F5", ShortCut(VK_F5, scNone)}}) {
    TAction* a = list->Add(name, name, sc);
    a->OnExecute = [&ran, name](TComponent*) { ran.push_back(name); };
  }
  form.Show();
  SetForegroundWindow(form.Handle());
  ASSERT_TRUE(RunLoopUntil([&] { return app_->ActiveForm() == &form; }));
  edit->SetFocus();
  auto press = [&](UINT vk, std::initializer_list<int> held) {
    testsupport::HeldKey h(held);
    PostMessageW(edit->Handle(), WM_KEYDOWN, vk, 1);
    PostMessageW(edit->Handle(), WM_KEYUP, vk, 0xC0000001);
    Idle(30);
  };
  press('K', {});
  press('K', {VK_SHIFT});
  EXPECT_TRUE(ran.empty()) << "K and Shift+K are text";
  press('K', {VK_CONTROL});
  press('K', {VK_CONTROL, VK_SHIFT});
  press('K', {VK_MENU});
  press(VK_F5, {});
  press(VK_F5, {VK_CONTROL});
  EXPECT_EQ(ran, (std::vector<std::wstring>{L"CtrlK", L"CtrlShiftK", L"AltK", L"F5"}));
  EXPECT_EQ(edit->Caption(), L"kK") << "only the keys that were no shortcut reached the text";

  // Another form takes the activation, then goes: no form of ours is the active one.
  auto* other = new TForm(app_.get(), L"TShortCutOther");
  other->BorderStyle = TFormBorderStyle::bsNone;
  other->SetBounds(150, 150, 100, 80);
  other->Show();
  SetForegroundWindow(other->Handle());
  ASSERT_TRUE(RunLoopUntil([&] { return app_->ActiveForm() == other; }));
  delete other;
  EXPECT_NE(app_->ActiveForm(), other);
  EXPECT_TRUE(app_->ActiveForm() == nullptr || app_->ActiveForm() == &form);
}

}  // namespace
