// Window lifetimes under re-entrancy, the one-error-at-a-time rule, and the dialog keyboard:
// each case drives the real message loop with real messages.
#include <algorithm>
#include <set>
#include <stdexcept>

#include "UiTestEnv.h"
#include "ui/ActnList.h"
#include "ui/Menus.h"

using namespace uitest;

namespace {

std::string FocusName() {
  TWinControl* c = TWinControl::FromHandle(GetFocus());
  return c ? std::string(c->Name().begin(), c->Name().end()) : "(none)";
}

class LifetimeKeyboardTest : public AppTest {
 protected:
  TForm* NewShownForm(const std::wstring& cls, int x) {
    auto* f = new TForm(app_.get(), cls);
    f->SetBounds(x, 40, 200, 120);
    f->Show();
    Idle(30);
    return f;
  }
  // A key as the keyboard would deliver it to the focused window, with a modifier held down.
  void Key(UINT vk, int modifier = 0) {
    testsupport::HeldKey held(modifier ? std::vector<int>{modifier} : std::vector<int>{});
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
    Idle(30);
  }
};
}  // namespace

TEST_F(LifetimeKeyboardTest, AFormReleasedInsideItsOwnHandlerLivesUntilTheHandlerReturns) {
  auto* form = NewShownForm(L"TReleaseTestForm", 40);
  auto* button = Put(new TButton(form, L"Go"), form, 8, 8, 75, 25, L"Go");
  TLifeCheck alive = form->Watch();
  bool aliveInHandler = false;
  std::wstring captionInHandler;
  button->OnClick = [&](TComponent*) {
    form->Release();
    // Anything that runs the loop (a question, an animation) handles the queued release here.
    Idle(60);
    aliveInHandler = static_cast<bool>(alive);
    if (aliveInHandler) captionInHandler = form->Caption();
  };
  HWND h = form->Handle();
  form->SetCaption(L"still here");
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(aliveInHandler) << "a release asked for inside a handler waits for it to return";
  EXPECT_EQ(captionInHandler, L"still here");
  EXPECT_TRUE(RunLoopUntil([&] { return !alive; })) << "and is carried out afterwards";
  EXPECT_FALSE(IsWindow(h));

  // Queued by serial, never by address: a release outlived by its form frees no newcomer,
  // even one that the allocator puts at the same address.
  auto* gone = new TForm(app_.get(), L"TReleaseTestForm");
  gone->Handle();
  gone->Release();
  delete gone;
  auto* newcomer = new TForm(app_.get(), L"TReleaseTestForm");
  TLifeCheck newcomerAlive = newcomer->Watch();
  Idle(60);
  EXPECT_TRUE(newcomerAlive);
}

TEST_F(LifetimeKeyboardTest, ModalLoopsEndCleanlyWhenTheirFormOrItsOwnerGoes) {
  TForm* bystander = NewShownForm(L"TBystanderForm", 300);
  TForm* owner = NewShownForm(L"TOwnerForm", 40);
  TLifeCheck ownerAlive = owner->Watch();
  auto* dialog = new TForm(owner, L"TOwnedDialog");
  dialog->BorderStyle = TFormBorderStyle::bsDialog;
  TLifeCheck dialogAlive = dialog->Watch();
  // The owner goes while its dialog runs (a session end, a deleted note): the dialog ends as
  // cancelled first, then the owner and its dialog are freed.
  auto* timer = new TTimer(app_.get(), L"Killer", 30);
  timer->OnTimer = [&](TComponent*) {
    timer->SetEnabled(false);
    owner->Release();
  };
  timer->SetEnabled(true);
  TModalResult result;
  {
    Watchdog watchdog(kPatience);
    result = dialog->ShowModal();
  }
  EXPECT_FALSE(Watchdog::fired);
  EXPECT_EQ(result, mrCancel);
  EXPECT_TRUE(IsWindowEnabled(bystander->Handle())) << "the other windows are enabled again";
  EXPECT_EQ(app_->ModalLevel, 0);
  EXPECT_TRUE(RunLoopUntil([&] { return !ownerAlive && !dialogAlive; }));

  // A dialog freed outright while its loop runs: the loop notices and touches nothing of it.
  auto* doomed = new TForm(app_.get(), L"TDoomedDialog");
  timer->OnTimer = [&](TComponent*) {
    timer->SetEnabled(false);
    delete doomed;
  };
  timer->SetEnabled(true);
  {
    Watchdog watchdog(kPatience);
    result = doomed->ShowModal();
  }
  EXPECT_FALSE(Watchdog::fired);
  EXPECT_EQ(result, mrCancel);
  EXPECT_TRUE(IsWindowEnabled(bystander->Handle()));
  EXPECT_EQ(app_->ModalLevel, 0);
}

TEST_F(LifetimeKeyboardTest, ErrorsComeOneAtATimeAndNeverDestroyAWindowOrStopTheLoop) {
  TForm* form = NewShownForm(L"TErrorTestForm", 40);
  auto* check = Put(new TCheckBox(form, L"Check"), form, 8, 8, 75, 25, L"Check");
  check->OnClick = [](TComponent*) { throw std::runtime_error("click failed"); };
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  check->OnClick = [](TComponent*) { throw 42; };  // not even an exception object
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(errors_, (std::vector<std::string>{"click failed", "Unknown error"})) << "handler errors reach the hook";
  check->OnClick = nullptr;
  bool was = check->Checked();
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_NE(check->Checked(), was) << "and the window goes on working";
  errors_.clear();
  // Without a hook, errors go to a message box; one that fails every tick while the box is up
  // is kept and counted but opens no second box.
  app_->OnException = nullptr;
  auto* failing = new TTimer(form, L"Failing", 15);
  failing->OnTimer = [](TComponent*) { throw std::runtime_error("tick failed"); };
  int boxes = 0;
  SetMessageBoxAnswerer([&](const MessageBoxRequest&) {
    if (++boxes == 1) Idle(150);  // the user reads the box; the timer goes on failing meanwhile
    return IDOK;
  });
  int suppressedBefore = TApplication::SuppressedErrors();
  failing->SetEnabled(true);
  RunLoopUntil([&] { return boxes > 0; });
  failing->SetEnabled(false);
  EXPECT_EQ(boxes, 1) << "one box while the errors go on";
  EXPECT_GE(TApplication::SuppressedErrors() - suppressedBefore, 3);
  ASSERT_FALSE(TApplication::ErrorLog().empty());
  EXPECT_EQ(TApplication::ErrorLog().back(), L"tick failed");
  EXPECT_FALSE(TApplication::ShowingError());

  app_->OnException = [this](const std::exception& e) { errors_.push_back(e.what()); };
  // Idle work fails inside the same boundary as messages, and the loop goes on.
  int idles = 0;
  app_->OnIdle = [&] {
    if (++idles == 1) throw std::runtime_error("idle failed");
  };
  EXPECT_TRUE(RunLoopUntil([&] { return idles > 2; }));
  app_->OnIdle = nullptr;
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.front(), "idle failed");

  // A close query that fails leaves the window where it was.
  form->OnCloseQuery = [](TComponent*, bool&) { throw std::runtime_error("query failed"); };
  SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form->HandleIfAllocated()));
  EXPECT_TRUE(IsWindowVisible(form->HandleIfAllocated()));
  EXPECT_EQ(errors_.back(), "query failed");
  form->OnCloseQuery = nullptr;
}

TEST_F(LifetimeKeyboardTest, APopupMenuLeavesTheActivationAndFocusWithItsWindow) {
  TForm* form = NewShownForm(L"TMenuOwnerForm", 40);
  auto* edit = Put(new TEdit(form, L"Edit"), form, 8, 8, 120, 21);
  auto* menu = new TPopupMenu(form, L"Menu");
  menu->Items()->Add(L"Item", L"Item1");
  SetForegroundWindow(form->Handle());
  edit->SetFocus();
  Idle(30);
  ASSERT_EQ(GetActiveWindow(), form->Handle());
  int deactivations = 0;
  form->OnDeactivate = [&](TComponent*) { ++deactivations; };
  // The menu closes by itself a moment later, as when the user clicks elsewhere.
  const UINT_PTR closer = testsupport::WhenReady(testsupport::MenuUp, [] { EndMenu(); });
  {
    Watchdog watchdog(kPatience);
    menu->PopupComponent = edit;
    menu->Popup(60, 60);
  }
  KillTimer(nullptr, closer);
  Idle(30);
  EXPECT_FALSE(Watchdog::fired);
  EXPECT_EQ(deactivations, 0) << "the window the menu belongs to is never deactivated";
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_EQ(GetFocus(), edit->Handle()) << "and its control still takes the keys";
}

TEST_F(LifetimeKeyboardTest, PrintWindowGetsTheFormsOwnPicture) {
  TForm* form = NewShownForm(L"TPrintClientForm", 40);
  form->OnPaint = [](TComponent* f, TCanvas& canvas) {
    canvas.Brush.Color = 0x0000FF;
    auto* form = static_cast<TForm*>(f);
    canvas.FillRect(RECT{0, 0, form->ClientWidth(), form->ClientHeight()});
  };
  TBitmap shot(form->Width(), form->Height());
  ASSERT_TRUE(PrintWindow(form->Handle(), shot.DC(), PW_CLIENTONLY));
  EXPECT_EQ(GetPixel(shot.DC(), form->ClientWidth() / 2, form->ClientHeight() / 2), RGB(255, 0, 0));
}

TEST_F(LifetimeKeyboardTest, DialogKeyboardWalksPressesAndRemembersTheFocus) {
  auto* dialog = new TKeyDialog(app_.get());
  dialog->Show();
  SetForegroundWindow(dialog->Handle());
  EXPECT_TRUE(RunLoopUntil([&] { return GetFocus() == dialog->First->Handle(); }))
      << "the first control takes the keys when none was chosen; not " << FocusName();

  // Every control has its own id; the default and cancel buttons have the system's.
  std::set<UINT> ids;
  for (TWinControl* c : std::vector<TWinControl*>{dialog->First, dialog->NameLabel, dialog->Second, dialog->Pages,
                                                  dialog->Third, dialog->Hidden, dialog->Apply, dialog->Ok,
                                                  dialog->Cancel})
    EXPECT_TRUE(ids.insert(c->ControlId()).second) << "id " << c->ControlId() << " twice";
  EXPECT_EQ(dialog->Ok->ControlId(), static_cast<UINT>(IDOK));
  EXPECT_EQ(dialog->Cancel->ControlId(), static_cast<UINT>(IDCANCEL));

  // Tab walks in creation order, through the panel and into the shown tab sheet only.
  std::vector<HWND> order{dialog->Second->Handle(), dialog->Third->Handle(), dialog->Apply->Handle(),
                          dialog->Ok->Handle(), dialog->Cancel->Handle(), dialog->First->Handle()};
  std::vector<HWND> seen;
  for (int i = 0; i < 8 && seen.size() < order.size(); ++i) {
    Key(VK_TAB);
    HWND f = GetFocus();
    EXPECT_NE(f, dialog->Hidden->Handle()) << "a control on a hidden sheet is skipped";
    if (std::find(order.begin(), order.end(), f) != order.end()) seen.push_back(f);
  }
  EXPECT_EQ(seen, order);
  Key(VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), dialog->Cancel->Handle()) << "Shift+Tab walks back";

  // Enter presses the focused button, else the default one; Escape presses Cancel.
  dialog->Apply->SetFocus();
  Key(VK_RETURN);
  dialog->First->SetFocus();
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(dialog->Pressed, L"apply ok cancel ");

  // Alt+letter presses the button with that mnemonic, and a label's moves to its control.
  dialog->Pressed.clear();
  PostMessageW(GetFocus(), WM_SYSCHAR, L'a', 1 << 29);
  Idle(30);
  EXPECT_EQ(dialog->Pressed, L"apply ");
  PostMessageW(GetFocus(), WM_SYSCHAR, L'n', 1 << 29);
  Idle(30);
  EXPECT_EQ(GetFocus(), dialog->Second->Handle()) << FocusName();

  // A disabled default button is not pressed by Enter.
  dialog->Pressed.clear();
  dialog->Ok->SetEnabled(false);
  dialog->First->SetFocus();
  Key(VK_RETURN);
  EXPECT_EQ(dialog->Pressed, L"");
  dialog->Ok->SetEnabled(true);

  // The focus comes back to the control that had it when the dialog is activated again.
  dialog->Third->SetFocus();
  TForm* other = NewShownForm(L"TOtherForm", 500);
  SetForegroundWindow(other->Handle());
  ASSERT_TRUE(RunLoopUntil([&] { return GetActiveWindow() == other->Handle(); }));
  SetForegroundWindow(dialog->Handle());
  EXPECT_TRUE(RunLoopUntil([&] { return GetFocus() == dialog->Third->Handle(); })) << FocusName();
  // And after the window above it closes.
  SetForegroundWindow(other->Handle());
  ASSERT_TRUE(RunLoopUntil([&] { return GetActiveWindow() == other->Handle(); }));
  other->Hide();
  EXPECT_TRUE(RunLoopUntil([&] { return GetFocus() == dialog->Third->Handle(); })) << FocusName();
}

TEST_F(LifetimeKeyboardTest, ShortcutsRunActionsAfterControlsThatWantTheKeysAndListsCanBeSuspended) {
  TForm* form = NewShownForm(L"TShortcutOrderForm", 40);
  auto* plain = Put(new TEdit(form, L"Plain"), form, 8, 8, 120, 21);
  auto* inPlace = Put(new TEdit(form, L"InPlace"), form, 8, 40, 120, 21);
  auto* save = Put(new TButton(form, L"Save"), form, 8, 70, 75, 25);
  inPlace->WantKeys = true;
  auto* actions = new TActionList(form, L"Actions");
  int deleted = 0, saved = 0, refreshed = 0;
  bool refreshAllowed = false;
  actions->Add(L"actDelete", L"Delete", VK_DELETE)->OnExecute = [&](TComponent*) { ++deleted; };
  TAction* actSave = actions->Add(L"actSave", L"Save", ShortCut('S', scCtrl));
  actSave->OnExecute = [&](TComponent*) { ++saved; };
  TAction* actRefresh = actions->Add(L"actRefresh", L"Refresh", VK_F5);
  actRefresh->OnExecute = [&](TComponent*) { ++refreshed; };
  actRefresh->OnUpdate = [&](TComponent*) { actRefresh->SetEnabled(refreshAllowed); };
  save->SetAction(actSave);
  SetForegroundWindow(form->Handle());
  plain->SetFocus();
  Key(VK_DELETE);
  EXPECT_EQ(deleted, 1) << "the form's shortcut";
  Key('S', VK_CONTROL);
  Key('S');
  EXPECT_EQ(saved, 1) << "Ctrl+S, and S alone is no shortcut";
  Key(VK_F5);
  EXPECT_EQ(refreshed, 0) << "an action its update handler disabled does not run";
  EXPECT_EQ(save->Caption(), L"Save") << "a linked button shows the action's caption";
  SendMessageW(save->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(saved, 2) << "a click on the linked button runs the action";
  actSave->SetCaption(L"Store");
  EXPECT_EQ(save->Caption(), L"Store") << "and the button follows its caption";
  inPlace->SetFocus();
  Key(VK_DELETE);
  EXPECT_EQ(deleted, 1) << "the edit in place deletes its own text instead";
  actions->Suspended = true;
  plain->SetFocus();
  Key(VK_DELETE);
  EXPECT_EQ(deleted, 1) << "a suspended list answers no shortcut";
}
