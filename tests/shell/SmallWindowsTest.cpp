// The shell's small windows and services: splash, About box, closing window, window placement,
// file version, theme start and help file.

#include "language/VxMLSTDCTRLWrapper.h"
#include "language/VxMultiLanguageEngine.h"
#include "notewindows/NoteTestEnv.h"
#include "shell/FormSaverClassUnit.h"
#include "shell/XPTheme.h"
#include "shell/rsFileVersion.h"
#include "ui/Registry.h"

namespace {

using namespace notetest;
using testsupport::Pump;
using testsupport::PumpUntil;
using testsupport::BuildFolder;

class SmallWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<TApplication>();
    if (!LanguageWrapper) InitLanguageEngine(), ownLanguage_ = true;
  }
  void TearDown() override {
    SetShellOpenHook({});
    app_.reset();
    if (ownLanguage_) DoneLanguageEngine();
    TRegistry::DeleteKeyTree(HKEY_CURRENT_USER, kKey);
  }
  static constexpr wchar_t kKey[] = L"\\SOFTWARE\\Belvanto\\VxVantaro\\SmallWindowsProbeWin";
  std::unique_ptr<TApplication> app_;
  bool ownLanguage_ = false;
};

TEST_F(SmallWindows, SplashIsShapedTranslucentAndClosesOnce) {
  CreateSplash(false);
  EXPECT_EQ(SplashForm, nullptr) << "/S: no splash";
  CloseSplash();

  CreateSplash(true);
  ASSERT_NE(SplashForm, nullptr);
  HWND h = SplashForm->Handle();
  EXPECT_FALSE(IsWindowVisible(h)) << "created, not yet shown";
  ShowSplash();
  Pump(100);
  EXPECT_EQ(SplashForm->AlphaBlendValue(), 225);
  RECT r = ScreenRect(h);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 214) / 2) << "centred";
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(h, region), ERROR) << "cut to the mask";
  EXPECT_TRUE(PtInRegion(region, 100, 70));
  EXPECT_TRUE(PtInRegion(region, 1, 148));
  EXPECT_FALSE(PtInRegion(region, 212, 148)) << "the folded corner is cut away";
  EXPECT_FALSE(PtInRegion(region, 100, 160)) << "below the picture";
  DeleteObject(region);
  testsupport::SaveScreenShot(L"splash", r);

  CloseSplash();
  EXPECT_EQ(SplashForm, nullptr);
  CloseSplash();
  Pump(100);
  EXPECT_FALSE(IsWindow(h)) << "released once the loop handled the request";
}

TEST_F(SmallWindows, AboutBoxLooksLikeANoteKeepsItsTextsAndDrags) {
  auto* about = new TAboutVantaro(Application);
  about->Show();
  Pump(100);
  EXPECT_EQ(about->Caption(), L"Info about...") << "no language file: the layout's texts stay";
  EXPECT_EQ(about->_close->Caption(), L"Close");
  EXPECT_EQ(about->_visit_merolt->Caption(), L"Visit Belvanto Website");
  EXPECT_EQ(about->VerLabel->Caption(), L"v2.4.0");
  EXPECT_NE(about->LogoImage->Icon(), nullptr);
  EXPECT_EQ(about->ClientWidth(), 314);
  EXPECT_EQ(about->ClientHeight(), 191);
  HWND h = about->Handle();
  testsupport::SaveScreenShot(L"about", ScreenRect(h));

  std::wstring opened;
  SetShellOpenHook([&](const std::wstring& t) { opened = t; });
  about->_visit_merolt->Click();
  EXPECT_EQ(opened, L"http://www.belvanto.com/vxpage/go.php?id=software");

  // A press without a real button returns at once and leaves the box where it is.
  RECT before = ScreenRect(h);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 6));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(60, 6));
  EXPECT_EQ(ScreenRect(h).left, before.left);

  if (HaveXdotool()) {
    auto drag = [&](int x, int y, int dx, int dy) {
      RECT r = ScreenRect(h);
      std::wstring from = std::to_wstring(r.left + x) + L" " + std::to_wstring(r.top + y);
      std::wstring mid = std::to_wstring(r.left + x + dx / 2) + L" " + std::to_wstring(r.top + y + dy / 2);
      std::wstring to = std::to_wstring(r.left + x + dx) + L" " + std::to_wstring(r.top + y + dy);
      EXPECT_TRUE(StartXdotool(L"mousemove " + from + L" sleep 0.3 mousedown 1 sleep 0.3 mousemove " + mid +
                               L" sleep 0.2 mousemove " + to + L" sleep 0.3 mouseup 1"));
      const LONG left = r.left + dx, top = r.top + dy;
      EXPECT_TRUE(PumpUntil([&] { return ScreenRect(h).left == left && ScreenRect(h).top == top; }, 5000))
          << "dragged from (" << x << "," << y << "); at " << ScreenRect(h).left << "," << ScreenRect(h).top;
      Pump(300);
    };
    drag(100, 6, 40, 30);    // the title bar
    drag(200, 172, -60, 20); // the yellow background between the link and the button
  }

  about->_close->Click();
  Pump(100);
  EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(SmallWindows, ClosingWindowStaysOnTopWithItsMessageOneAtATime) {
  ShowClosingWindow();
  ShowClosingWindow();
  HWND h = FindWindowW(L"TClosingVantaroDLG", nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(FindWindowExW(nullptr, h, L"TClosingVantaroDLG", nullptr), nullptr) << "one window, however often asked";
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
  auto* window = dynamic_cast<TClosingVantaroDLG*>(TWinControl::FromHandle(h));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Panel1->Caption(), L"Closing Vantaro . . .");
  // The picture is taken once the screen shows the window's face, not what was there before.
  const RECT r = ScreenRect(h);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(r.left + 8, r.top + 30) == GetSysColor(COLOR_BTNFACE); }, 2000));
  testsupport::SaveScreenShot(L"closing", r);
  HideClosingWindow();
  Pump(50);
  EXPECT_FALSE(IsWindow(h)) << "taken away when the program stays";
}

TEST_F(SmallWindows, PlacementRoundTripsIncludingMaximised) {
  TForm a(Application, L"TPlacementProbe");
  a.SetBounds(120, 130, 300, 200);
  TFormSaver(&a).SaveToRegistry(kKey);

  TForm b(Application, L"TPlacementProbe");
  TFormSaver saver(&b);
  EXPECT_TRUE(saver.LoadFromRegistry(kKey));
  EXPECT_EQ(b.Left(), 120);
  EXPECT_EQ(b.Top(), 130);
  EXPECT_EQ(b.Width(), 300);
  EXPECT_EQ(b.Height(), 200);

  // Closed while maximised: the restored placement is what is kept, with the mark.
  b.Show();
  b.SetWindowState(TWindowState::wsMaximized);
  Pump(50);
  ASSERT_EQ(b.WindowState(), TWindowState::wsMaximized);
  saver.SaveToRegistry(kKey);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger(L"FormX"), 120);
  EXPECT_TRUE(reg.ReadBool(L"FormMax"));
  reg.CloseKey();

  TForm c(Application, L"TPlacementProbe");
  TFormSaver(&c).LoadFromRegistry(kKey);
  c.Show();
  Pump(50);
  EXPECT_EQ(c.WindowState(), TWindowState::wsMaximized) << "opens maximised";
  c.SetWindowState(TWindowState::wsNormal);
  Pump(50);
  RECT r = ScreenRect(c.Handle());
  EXPECT_EQ(r.left, 120) << "restoring returns to the saved placement";
  EXPECT_EQ(r.right - r.left, 300);

  // Never saved in the normal state: nothing to apply.
  TRegistry::DeleteKeyTree(HKEY_CURRENT_USER, kKey);
  TForm d(Application, L"TPlacementProbe");
  d.SetBounds(50, 60, 250, 150);
  TFormSaver unbound;
  EXPECT_FALSE(unbound.LoadFromRegistry(kKey)) << "no key";
  unbound.Maximized = true;
  unbound.Apply(&d);
  EXPECT_EQ(d.Left(), 50);
  EXPECT_EQ(d.WindowState(), TWindowState::wsNormal);
}

TEST_F(SmallWindows, ImplausibleOrBrokenPlacementLeavesTheWindowWhereItOpens) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* what;
    int x, y, w, h;
  } cases[] = {{"left edge 0", 0, 10, 300, 200},      {"beyond the screen's width", cx + 1, 10, 300, 200},
               {"top edge 0", 10, 0, 300, 200},       {"beyond the screen's height", 10, cy + 1, 300, 200},
               {"no width", 10, 10, 0, 200},          {"no height", 10, 10, 300, 0}};
  auto write = [&](int x, int y, int w, int h) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger(L"FormX", x), reg.WriteInteger(L"FormY", y);
    reg.WriteInteger(L"FormW", w), reg.WriteInteger(L"FormH", h);
    reg.WriteBool(L"FormMax", false);
  };
  TForm f(Application, L"TPlacementProbe");
  for (const Case& c : cases) {
    f.SetBounds(40, 50, 260, 160);
    write(c.x, c.y, c.w, c.h);
    TFormSaver(&f).LoadFromRegistry(kKey);
    EXPECT_EQ(f.BoundsRect().left, 40) << c.what;
    EXPECT_EQ(f.Width(), 260) << c.what;
  }
  write(cx, cy, 1, 1);
  TFormSaver(&f).LoadFromRegistry(kKey);
  EXPECT_EQ(f.Left(), cx) << "the screen's far edge itself is still accepted";

  // A value of the wrong type, or one missing: the window opens where it would anyway.
  write(70, 80, 300, 200);
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    reg.WriteString(L"FormW", L"300");
  }
  f.SetBounds(40, 50, 260, 160);
  TFormSaver saver(&f);
  EXPECT_NO_THROW(EXPECT_TRUE(saver.LoadFromRegistry(kKey)));
  EXPECT_EQ(f.Left(), 40);
  write(70, 80, 300, 200);
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    reg.DeleteValue(L"FormMax");
  }
  EXPECT_NO_THROW(TFormSaver(&f).LoadFromRegistry(kKey));
  EXPECT_EQ(f.Left(), 40);
}

TEST(ShellServices, FileVersionThemeStartAndHelpFile) {
  TrsFileVersion reader;
  ASSERT_TRUE(reader.LoadFromFile(BuildFolder() + L"vxq.exe")) << "the program carries its version";
  EXPECT_EQ(reader.Version, "2.4.0");
  EXPECT_EQ(reader.Build, 1);
  EXPECT_EQ(GetFileVersionText(BuildFolder() + L"vxq.exe"), "2.4.0 Build: 1");

  testsupport::TempFolder folder(L"version");
  const std::wstring text = folder.Path() + L"plain.txt";
  std::ofstream(std::filesystem::path(text)) << "no version here";
  EXPECT_FALSE(reader.LoadFromFile(text));
  EXPECT_EQ(reader.Version, "");
  EXPECT_EQ(reader.Build, 0);
  EXPECT_EQ(GetFileVersionText(text), " Build: 0");

  // Every NT system from XP on starts the common controls, whatever its minor number.
  for (auto [major, minor] : {std::pair{5, 1}, {5, 2}, {6, 0}, {6, 1}, {6, 3}, {10, 0}})
    EXPECT_TRUE(XPThemeWanted(VER_PLATFORM_WIN32_NT, major, minor)) << major << "." << minor;
  EXPECT_FALSE(XPThemeWanted(VER_PLATFORM_WIN32_NT, 5, 0)) << "Windows 2000";
  EXPECT_FALSE(XPThemeWanted(VER_PLATFORM_WIN32_WINDOWS, 6, 1));

  // Contents hands the help file to the shell.
  std::wstring opened;
  SetShellOpenHook([&](const std::wstring& t) { opened = t; });
  EXPECT_EQ(ShowHelpFile(nullptr, L"C:\\Vantaro\\vxq.chm", 0, 0), 0);
  SetShellOpenHook({});
  EXPECT_EQ(opened, L"C:\\Vantaro\\vxq.chm");

  const std::wstring chm = BuildFolder() + L"vxq.chm";
  if (!FileExists(chm)) GTEST_SKIP() << "vxq.chm was not built (chmcmd is missing)";
  const std::string bytes = testsupport::ReadText(chm);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), "ITSF") << "a compiled help file";
  for (const char* page : {"/index.html", "/notes.html", "/traymenu.html", "/hotkeys.html", "/settings.html"})
    EXPECT_NE(bytes.find(page), std::string::npos) << page << " is in its directory";
}

}  // namespace
