#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <stdexcept>

#include "UiTestEnv.h"
#include "ui/ActnList.h"
#include "ui/Menus.h"

using namespace uitest;

namespace {
constexpr TColor kHeaderColor = 0x0000C0, kCloseBoxColor = 0xC00000, kSwatchColor = 0x00A000;

// A small window of the kind the program builds: components as members, handlers as members.
class TLayoutForm : public TForm {
 public:
  explicit TLayoutForm(TComponent* owner) : TForm(owner, L"TWindowLayerTestForm") {
    SetCaption(L"Window layer");
    SetBounds(40, 40, 360, 260);
    SetClientSize(320, 200);
    Header = Place(new TPaintBox(this, L"Header"), TAlign::alTop);
    Header->SetHeight(24);
    Header->OnPaint = [this](TComponent*, TCanvas& canvas) { HeaderPaint(canvas); };
    CloseBox = Place(new TSpeedButton(this, L"CloseBox"), TAlign::alNone);
    CloseBox->SetBounds(296, 2, 20, 20);
    Search = Place(new TEdit(this, L"Search"), TAlign::alBottom);
    SaveButton = Place(new TButton(this, L"SaveButton"), TAlign::alLeft);
    SaveButton->SetWidth(80);
    Wrap = Place(new TCheckBox(this, L"Wrap"), TAlign::alRight);
    Wrap->SetCaption(L"Wrap");
    Wrap->SetWidth(70);
    Pages = Place(new TPageControl(this, L"Pages"), TAlign::alClient);
    PageText = new TTabSheet(Pages, L"PageText");
    PageText->SetCaption(L"Text");
    PageColour = new TTabSheet(Pages, L"PageColour");
    PageColour->SetCaption(L"Colour");
    Swatch = new TPaintBox(this, L"Swatch");
    Swatch->SetParent(PageText);
    Swatch->SetBounds(8, 8, 40, 30);
    Swatch->OnPaint = [](TComponent* sender, TCanvas& canvas) {
      auto* box = static_cast<TPaintBox*>(sender);
      canvas.Brush.Color = kSwatchColor;
      canvas.FillRect(RECT{0, 0, box->Width(), box->Height()});
    };

    Actions = new TActionList(this, L"Actions");
    actRefresh = Actions->Add(L"actRefresh", L"Refresh", VK_F5);
    actRefresh->OnExecute = [this](TComponent*) { ++Refreshed; };
    actRefresh->OnUpdate = [this](TComponent* a) { static_cast<TAction*>(a)->SetEnabled(RefreshAllowed); };

    Menu = new TPopupMenu(this, L"Menu");
    mnuRefresh = Menu->Items()->Add(L"", L"mnuRefresh");
    mnuRefresh->SetAction(actRefresh);
    Menu->Items()->AddSeparator();
    mnuAbout = Menu->Items()->Add(L"About", L"mnuAbout");
    mnuAbout->OnClick = [this](TComponent*) { ++AboutClicked; };
    Header->PopupMenu = Menu;

    OnShow = [this](TComponent*) { ++Shown; };
    OnResize = [this](TComponent*) { ++ResizeCount; };
    DoCreate();
  }

  template <class T>
  T* Place(T* control, TAlign align) {
    control->SetParent(this);
    control->SetAlign(align);
    return control;
  }

  void HeaderPaint(TCanvas& canvas) {
    canvas.Brush.Color = kHeaderColor;
    canvas.FillRect(RECT{0, 0, Header->Width(), Header->Height()});
    // The close box under the transparent speed button.
    canvas.Brush.Color = kCloseBoxColor;
    canvas.FillRect(CloseBox->BoundsRect());
  }

  TPaintBox* Header;
  TSpeedButton* CloseBox;
  TEdit* Search;
  TButton* SaveButton;
  TCheckBox* Wrap;
  TPageControl* Pages;
  TTabSheet *PageText, *PageColour;
  TPaintBox* Swatch;
  TActionList* Actions;
  TAction* actRefresh;
  TPopupMenu* Menu;
  TMenuItem *mnuRefresh, *mnuAbout;
  int Refreshed = 0, AboutClicked = 0, Shown = 0, ResizeCount = 0;
  bool RefreshAllowed = true;
};

// The window as it is on the screen, child windows included, copied from the
// window's own surface (so it need not be on top).
void TakeShot(HWND hwnd, TBitmap& shot) {
  RECT r;
  GetWindowRect(hwnd, &r);
  shot.SetSize(r.right - r.left, r.bottom - r.top);
  HDC windowDC = GetWindowDC(hwnd);
  BitBlt(shot.DC(), 0, 0, shot.Width(), shot.Height(), windowDC, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, windowDC);
}

class WindowLayerTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form_ = new TLayoutForm(app_.get());
  }
  void ShowForm() {
    form_->Show();
    UpdateWindow(form_->Handle());
    Idle(50);
  }
  TLayoutForm* form_ = nullptr;
};
}  // namespace

TEST_F(WindowLayerTest, FormIsFoundLaidOutPaintedAndPictured) {
  // A child asked for its window first makes its form's window.
  HWND save = form_->SaveButton->Handle();
  HWND h = form_->Handle();
  EXPECT_EQ(GetParent(save), h);
  EXPECT_EQ(TWinControl::FromHandle(save), form_->SaveButton);
  ShowForm();
  EXPECT_EQ(FindWindowA("TWindowLayerTestForm", nullptr), h) << "another copy finds the window by class name";
  EXPECT_EQ(GetWindow(h, GW_OWNER), app_->Handle()) << "the application's window owns the form";
  EXPECT_EQ(form_->Shown, 1);

  auto bounds = [](TControl* c) {
    RECT r = c->BoundsRect();
    return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(bounds(form_->Header), (std::vector<LONG>{0, 0, 320, 24})) << "top first";
  EXPECT_EQ(bounds(form_->Search), (std::vector<LONG>{0, 179, 320, 200})) << "then bottom";
  EXPECT_EQ(bounds(form_->SaveButton), (std::vector<LONG>{0, 24, 80, 179})) << "then left, between them";
  EXPECT_EQ(bounds(form_->Wrap), (std::vector<LONG>{250, 24, 320, 179})) << "then right";
  EXPECT_EQ(bounds(form_->Pages), (std::vector<LONG>{80, 24, 250, 179})) << "the client gets the rest";
  RECT child;
  GetWindowRect(form_->Pages->Handle(), &child);
  MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&child), 2);
  EXPECT_EQ((std::vector<LONG>{child.left, child.bottom}), (std::vector<LONG>{80, 179})) << "the window follows";
  int resized = form_->ResizeCount;
  form_->SetClientSize(360, 220);
  EXPECT_GT(form_->ResizeCount, resized);
  EXPECT_EQ(bounds(form_->Pages), (std::vector<LONG>{80, 24, 290, 199})) << "a resize lays out again";
  form_->Wrap->Hide();
  EXPECT_EQ(form_->Pages->Width(), 280) << "a hidden aligned control gives its room back";
  form_->Wrap->Show();
  form_->SetClientSize(320, 200);

  // A real click on the second tab switches the pages.
  RECT tab;
  HWND pages = form_->Pages->Handle();
  ASSERT_TRUE(SendMessageW(pages, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab)));
  LPARAM mid = At((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(pages, WM_LBUTTONDOWN, MK_LBUTTON, mid);
  SendMessageW(pages, WM_LBUTTONUP, 0, mid);
  EXPECT_EQ(form_->Pages->ActivePage(), form_->PageColour);
  EXPECT_FALSE(IsWindowVisible(form_->PageText->Handle()));
  form_->Pages->SetActivePage(form_->PageText);

  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Idle(50);
  TBitmap shot;
  TakeShot(h, shot);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  RECT wr;
  GetWindowRect(h, &wr);
  int ox = origin.x - wr.left, oy = origin.y - wr.top;
  EXPECT_EQ(shot.Pixel(ox + 100, oy + 10), kHeaderColor) << "the header paint box painted on the form";
  EXPECT_EQ(shot.Pixel(ox + 305, oy + 12), kCloseBoxColor) << "the transparent speed button shows its parent";
  POINT sw{10, 10};
  MapWindowPoints(form_->PageText->Handle(), h, &sw, 1);
  EXPECT_EQ(shot.Pixel(ox + sw.x, oy + sw.y), kSwatchColor) << "a paint box on a tab sheet";
  ASSERT_TRUE(shot.SaveToFile(testsupport::ShotsFolder() + L"window_layer.bmp"));

  form_->SetAlphaBlend(true);
  form_->SetAlphaBlendValue(200);
  BYTE alpha = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(h, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 200);
}

TEST_F(WindowLayerTest, MouseMessagesReachWindowlessControls) {
  ShowForm();
  HWND h = form_->Handle();
  int closeClicks = 0;
  std::vector<POINT> headerDowns;
  form_->CloseBox->OnClick = [&](TComponent*) { ++closeClicks; };
  form_->Header->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int x, int y) {
    headerDowns.push_back(POINT{x, y});
  };
  auto click = [&](LPARAM up) {
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(300, 10));
    SendMessageW(h, WM_LBUTTONUP, 0, up);
  };
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(300, 10));
  EXPECT_EQ(GetCapture(), h) << "the form holds the mouse for its windowless child";
  SendMessageW(h, WM_LBUTTONUP, 0, At(302, 11));
  EXPECT_EQ(closeClicks, 1);
  EXPECT_TRUE(headerDowns.empty()) << "the speed button lies above the header";
  click(At(200, 100));
  EXPECT_EQ(closeClicks, 1) << "released outside: no click";
  form_->CloseBox->SetEnabled(false);
  click(At(300, 10));
  EXPECT_EQ(closeClicks, 1) << "a disabled button takes no click";
  form_->CloseBox->SetEnabled(true);
  form_->CloseBox->SetLeft(-100);  // moved out of sight
  click(At(300, 10));
  EXPECT_EQ(closeClicks, 1);
  ASSERT_EQ(headerDowns.size(), 1u) << "the header got the press instead";
  EXPECT_EQ((std::vector<LONG>{headerDowns[0].x, headerDowns[0].y}), (std::vector<LONG>{300, 10}));
}

TEST_F(WindowLayerTest, PopupMenuOpensOnRightClickAndClosesWithoutBlocking) {
  ShowForm();
  HWND h = form_->Handle();
  auto* picker = new TTimer(form_, L"Picker", 50);
  std::vector<int> openCounts;
  std::vector<UINT> keys;  // what the next tick types into the open menu
  picker->OnTimer = [&](TComponent*) {
    if (!TPopupMenu::Current()) return;
    openCounts.push_back(GetMenuItemCount(TPopupMenu::Current()->CurrentHandle()));
    if (keys.empty()) {
      EndMenu();
    } else {
      PostMessageW(h, WM_KEYDOWN, keys.front(), 1);
      keys.erase(keys.begin());
    }
  };
  picker->SetEnabled(true);
  Watchdog watchdog(kPatience);
  // The pointer, wherever an earlier test left it, must not rest on an item of the menu.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  auto rightClick = [&] {
    SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, At(50, 10));
    SendMessageW(h, WM_RBUTTONUP, 0, At(50, 10));
  };

  rightClick();
  ASSERT_FALSE(Watchdog::fired) << "the menu did not close from the timer";
  ASSERT_EQ(openCounts, std::vector<int>{3}) << "two items and a separator";
  EXPECT_EQ(form_->Menu->PopupComponent, form_->Header);
  EXPECT_EQ(form_->Refreshed + form_->AboutClicked, 0) << "closed with nothing chosen, nothing runs";

  keys = {VK_UP, VK_RETURN};
  rightClick();
  ASSERT_FALSE(Watchdog::fired);
  EXPECT_EQ(form_->AboutClicked, 1) << "up from the top wraps to About, which runs once the menu has closed";
  keys = {VK_DOWN, VK_RETURN};
  form_->Menu->Popup(100, 100);
  ASSERT_FALSE(Watchdog::fired);
  EXPECT_EQ(form_->mnuRefresh->Caption, L"Refresh");
  EXPECT_EQ(form_->Refreshed, 1) << "an item linked to an action runs the action";
  picker->SetEnabled(false);
}

TEST_F(WindowLayerTest, TimersTickThroughTheRealMessageLoop) {
  auto* timer = new TTimer(form_, L"Ticker", 20);
  int ticks = 0;
  timer->OnTimer = [&](TComponent*) {
    if (++ticks == 3) app_->Terminate();
  };
  timer->SetEnabled(true);
  auto* guard = new TTimer(form_, L"Guard", 10000);
  guard->OnTimer = [&](TComponent*) { app_->Terminate(); };
  guard->SetEnabled(true);
  app_->Run();
  EXPECT_EQ(ticks, 3) << "Run returns once a handler terminates the application";
  timer->SetEnabled(false);
  Idle(100);
  EXPECT_EQ(ticks, 3) << "switched off, a timer is silent";
  timer->SetEnabled(true);
  EXPECT_TRUE(RunLoopUntil([&] { return ticks > 3; })) << "and ticks again when switched on";
  delete timer;  // a freed timer leaves the application's list: no tick may reach it
  Idle(60);
}

// A handler inside a handler: messages that keep coming (here one that posts itself again) must
// not keep it from returning.
TEST_F(WindowLayerTest, ProcessMessagesReturnsWhileMessagesKeepComing) {
  const UINT again = RegisterWindowMessageW(L"WindowLayerTestAgain");
  int handled = 0;
  form_->OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != again) return false;
    ++handled;
    PostMessageW(form_->Handle(), again, 0, 0);
    return true;
  };
  PostMessageW(form_->Handle(), again, 0, 0);
  {
    testsupport::HangGuard guard(testsupport::kPatience, "ProcessMessages");
    app_->ProcessMessages();
  }
  EXPECT_GT(handled, 0);
  form_->OnMessage = nullptr;
}

TEST_F(WindowLayerTest, ModalDialogsEndFromTimersKeysAndClose) {
  ShowForm();
  auto* dialog = new TKeyDialog(form_);
  auto* timer = new TTimer(dialog, L"Timer", 30);
  bool mainDisabled = false;
  struct Row {
    const char* how;
    std::function<void()> act;
    TModalResult result;
  };
  auto key = [&](UINT vk) {
    dialog->First->SetFocus();
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
  };
  const Row rows[] = {
      {"a timer sets the result", [&] { mainDisabled = !IsWindowEnabled(form_->Handle()), dialog->ModalResult = mrRetry; }, mrRetry},
      {"Escape presses Cancel", [&] { key(VK_ESCAPE); }, mrCancel},
      {"Enter presses the default button", [&] { key(VK_RETURN); }, mrOk},
      {"the system's close cancels", [&] { PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0); }, mrCancel},
  };
  for (const Row& row : rows) {
    bool done = false;
    timer->OnTimer = [&](TComponent*) {
      if (!done) done = true, row.act();
    };
    timer->SetEnabled(true);
    // Hiding a window can take a while under Wine: the watchdog only matters when a dialog fails to end.
    Watchdog watchdog(kPatience);
    EXPECT_EQ(dialog->ShowModal(), row.result) << row.how;
    timer->SetEnabled(false);
    ASSERT_FALSE(Watchdog::fired) << row.how;
  }
  EXPECT_EQ(dialog->Pressed, L"cancel ok ");
  EXPECT_TRUE(mainDisabled) << "the other windows wait while the dialog runs";
  EXPECT_TRUE(IsWindowEnabled(form_->Handle())) << "and are enabled again afterwards";
  EXPECT_EQ(GetWindow(dialog->Handle(), GW_OWNER), form_->Handle()) << "a form's dialog is owned by the form";
}

TEST_F(WindowLayerTest, CloseAsksAndReleaseFreesAfterQueuedMessages) {
  ShowForm();
  HWND h = form_->Handle();
  bool allow = false;
  form_->OnCloseQuery = [&](TComponent*, bool& canClose) { canClose = allow; };
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(h)) << "the close query said no";
  allow = true;
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(h)) << "closing hides by default";
  EXPECT_TRUE(IsWindow(h));
  // Freeing the active form deactivates its window after its components are gone.
  form_->Show();
  ASSERT_TRUE(form_->Active());
  TLayoutForm* doomed = form_;
  std::vector<int> componentsSeen;
  form_->OnDeactivate = [&](TComponent*) { componentsSeen.push_back(doomed->ComponentCount()); };
  delete form_;
  form_ = nullptr;
  for (int n : componentsSeen) EXPECT_GT(n, 0) << "a handler ran on a form whose components were freed";

  auto* form = new TLayoutForm(app_.get());
  TLifeCheck alive = form->Watch();
  form->Show();
  h = form->Handle();
  int seen = 0;
  form->OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT&) { return seen += msg == WM_APP + 7, false; };
  form->OnClose = [](TComponent*, TCloseAction& action) { action = TCloseAction::caFree; };
  PostMessageW(h, WM_APP + 7, 0, 0);
  PostMessageW(h, WM_CLOSE, 0, 0);
  PostMessageW(h, WM_APP + 7, 0, 0);
  EXPECT_TRUE(RunLoopUntil([&] { return !alive; })) << "a released form is freed";
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(seen, 2) << "messages queued before the release still reach the form";
  for (TForm* f : app_->Forms()) EXPECT_NE(f, form);
}
