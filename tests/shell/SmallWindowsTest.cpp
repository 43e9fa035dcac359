// The shell's small windows and services: splash, About box, closing window, window placement,
// file version, theme start and help file.

#include <algorithm>

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
  Pump(100);  // drawn, for the screenshot
  BYTE alpha = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(h, nullptr, &alpha, nullptr) && alpha == 225) << "translucent: " << int(alpha);
  RECT r = ScreenRect(h);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 214) / 2) << "centred";
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(h, region), ERROR) << "cut to the mask";
  // Inside, inside, the folded corner cut away, below the picture.
  for (auto [x, y, in] : {std::tuple(100, 70, true), {1, 148, true}, {212, 148, false}, {100, 160, false}})
    EXPECT_EQ(PtInRegion(region, x, y) != FALSE, in) << x << "," << y;
  DeleteObject(region);
  testsupport::SaveScreenShot(L"splash", r);

  CloseSplash();
  EXPECT_EQ(SplashForm, nullptr);
  CloseSplash();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << "released once the loop handled the request";
}

TEST_F(SmallWindows, AboutBoxLooksLikeANoteKeepsItsTextsAndDrags) {
  auto* about = new TAboutVantaro(Application);
  about->Show();
  Pump(100);  // drawn, for the screenshot
  EXPECT_EQ(about->Caption() + L"|" + about->_close->Caption() + L"|" + about->_visit_merolt->Caption(),
            L"Info about...|Close|Visit Belvanto Website") << "no language file: the layout's texts stay";
  EXPECT_NE(about->LogoImage->Icon(), nullptr);
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
      EXPECT_TRUE(StartXdotool(XDrag(1, r.left + x, r.top + y, r.left + x + dx, r.top + y + dy)));
      const LONG left = r.left + dx, top = r.top + dy;
      EXPECT_TRUE(PumpUntil([&] { return ScreenRect(h).left == left && ScreenRect(h).top == top; }))
          << "dragged from (" << x << "," << y << "); at " << ScreenRect(h).left << "," << ScreenRect(h).top;
      PumpUntil([] { return !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); });
    };
    drag(100, 6, 40, 30);    // the title bar
    drag(200, 172, -60, 20); // the yellow background between the link and the button
  }

  about->_close->Click();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(h); }));
}

TEST_F(SmallWindows, ClosingWindowStaysOnTopWithItsMessageOneAtATime) {
  ShowClosingWindow();
  ShowClosingWindow();
  HWND h = FindWindowW(L"TClosingVantaroDLG", nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(FindWindowExW(nullptr, h, L"TClosingVantaroDLG", nullptr), nullptr) << "one window, however often asked";
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // The picture is taken once the screen shows the window's face, not what was there before.
  const RECT r = ScreenRect(h);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(r.left + 8, r.top + 30) == GetSysColor(COLOR_BTNFACE); }));
  testsupport::SaveScreenShot(L"closing", r);
  HideClosingWindow();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << "taken away when the program stays";
}

TEST_F(SmallWindows, PlacementRoundTripsIncludingMaximised) {
  TForm a(Application, L"TPlacementProbe");
  a.SetBounds(120, 130, 300, 200);
  TFormSaver(&a).SaveToRegistry(kKey);

  TForm b(Application, L"TPlacementProbe");
  TFormSaver saver(&b);
  EXPECT_TRUE(saver.LoadFromRegistry(kKey));
  EXPECT_EQ(std::tuple(b.Left(), b.Top(), b.Width(), b.Height()), std::tuple(120, 130, 300, 200));

  // Closed while maximised: the restored placement is what is kept, with the mark.
  b.Show();
  b.SetWindowState(TWindowState::wsMaximized);
  ASSERT_TRUE(PumpUntil([&] { return b.WindowState() == TWindowState::wsMaximized; }));
  saver.SaveToRegistry(kKey);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger(L"FormX"), 120);
  EXPECT_TRUE(reg.ReadBool(L"FormMax"));
  reg.CloseKey();

  TForm c(Application, L"TPlacementProbe");
  TFormSaver(&c).LoadFromRegistry(kKey);
  c.Show();
  EXPECT_TRUE(PumpUntil([&] { return c.WindowState() == TWindowState::wsMaximized; })) << "opens maximised";
  c.SetWindowState(TWindowState::wsNormal);
  const RECT r = ScreenRect(c.Handle());
  EXPECT_EQ(std::pair(r.left, r.right - r.left), std::pair(120L, 300L)) << "restoring returns to the saved placement";

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
  using Spoil = void (*)(TRegistry&);
  const struct {
    const char* what;
    int x, y, w, h;
    Spoil spoil;
  } cases[] = {{"left edge 0", 0, 10, 300, 200, nullptr},
               {"beyond the screen's width", cx + 1, 10, 300, 200, nullptr},
               {"top edge 0", 10, 0, 300, 200, nullptr},
               {"beyond the screen's height", 10, cy + 1, 300, 200, nullptr},
               {"no width", 10, 10, 0, 200, nullptr},
               {"no height", 10, 10, 300, 0, nullptr},
               {"a width of the wrong type", 70, 80, 300, 200, [](TRegistry& r) { r.WriteString(L"FormW", L"300"); }},
               {"no maximised mark", 70, 80, 300, 200, [](TRegistry& r) { r.DeleteValue(L"FormMax"); }}};
  TForm f(Application, L"TPlacementProbe");
  // Stores a placement, spoilt or not, and loads it into f standing at (40, 50).
  auto load = [&](int x, int y, int w, int h, Spoil spoil) {
    {
      TRegistry reg;
      EXPECT_TRUE(reg.OpenKey(kKey, true));
      reg.WriteInteger(L"FormX", x), reg.WriteInteger(L"FormY", y);
      reg.WriteInteger(L"FormW", w), reg.WriteInteger(L"FormH", h);
      reg.WriteBool(L"FormMax", false);
      if (spoil) spoil(reg);
    }
    f.SetBounds(40, 50, 260, 160);
    bool loaded = false;
    EXPECT_NO_THROW(loaded = TFormSaver(&f).LoadFromRegistry(kKey));
    return loaded;
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(load(c.x, c.y, c.w, c.h, c.spoil)) << c.what;
    EXPECT_EQ(std::pair(f.BoundsRect().left, f.Width()), std::pair(40L, 260)) << c.what;
  }
  load(cx, cy, 1, 1, nullptr);
  EXPECT_EQ(f.Left(), cx) << "the screen's far edge itself is still accepted";
}

TEST(ShellServices, FolderTreeGoesWithItsReadOnlyFilesButNoLinkNorWhatALinkPointsTo) {
  testsupport::TempFolder folder(L"tree");
  const std::wstring own = folder.Path() + L"own", outside = folder.Path() + L"outside\\",
                     users = folder.Path() + L"Users";
  ForceDirectories(own + L"\\sub");
  testsupport::WriteBytes(own + L"\\sub\\own.txt", {1});
  SetFileAttributesW((own + L"\\sub\\own.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<std::wstring> left;
  EXPECT_TRUE(RemoveFolderTree(own + L"\\", &left));
  EXPECT_FALSE(DirectoryExists(own));
  EXPECT_TRUE(left.empty());

  // Links to a folder and to a file outside, among notes of the user's own; the system may
  // remove what a link points to when asked to remove the link (Wine does), so links stay.
  ForceDirectories(outside);
  testsupport::WriteBytes(outside + L"keep.txt", {1});
  testsupport::WriteBytes(outside + L"target.vxn", {2});
  const std::wstring me = users + L"\\Анна 日本";
  ForceDirectories(me + L"\\sub");
  testsupport::WriteBytes(me + L"\\N1.vxn", {3});
  testsupport::WriteBytes(me + L"\\sub\\N2.vxn", {4});
  ASSERT_TRUE(testsupport::MakeDirectoryLink(me + L"\\linked", outside));
  ASSERT_TRUE(testsupport::MakeFileLink(me + L"\\sub\\N3.vxn", outside + L"target.vxn"));
  EXPECT_FALSE(RemoveFolderTree(users, &left)) << "the links are left";
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::wstring>{me + L"\\linked", me + L"\\sub\\N3.vxn"})) << "each named";
  EXPECT_FALSE(FileExists(me + L"\\N1.vxn") || FileExists(me + L"\\sub\\N2.vxn")) << "the notes go";
  EXPECT_EQ(testsupport::ReadBytes(outside + L"target.vxn"), testsupport::Bytes{2}) << "what a link points to stays";
  EXPECT_EQ(testsupport::ReadBytes(outside + L"keep.txt"), testsupport::Bytes{1});
  EXPECT_EQ(testsupport::ReadBytes(me + L"\\sub\\N3.vxn"), testsupport::Bytes{2}) << "the link itself stays";

  // The folder itself a link: nothing through it is touched.
  left.clear();
  ASSERT_TRUE(testsupport::MakeDirectoryLink(folder.Path() + L"Linked Users", outside));
  EXPECT_FALSE(RemoveFolderTree(folder.Path() + L"Linked Users\\", &left));
  EXPECT_EQ(left, std::vector<std::wstring>{folder.Path() + L"Linked Users"});
  EXPECT_TRUE(FileExists(outside + L"keep.txt") && FileExists(outside + L"target.vxn"));
  EXPECT_TRUE(RemoveFolderTree(L"C:\\no such folder\\Users")) << "nothing there is nothing left";
}

TEST(ShellServices, FileVersionThemeStartAndHelpFile) {
  TrsFileVersion reader;
  ASSERT_TRUE(reader.LoadFromFile(BuildFolder() + L"vxq.exe")) << "the program carries its version";
  EXPECT_EQ(GetFileVersionText(BuildFolder() + L"vxq.exe"), "2.4.0 Build: 1");

  testsupport::TempFolder folder(L"version");
  const std::wstring text = folder.Path() + L"plain.txt";
  std::ofstream(std::filesystem::path(text)) << "no version here";
  EXPECT_FALSE(reader.LoadFromFile(text));
  EXPECT_TRUE(reader.Version.empty() && reader.Build == 0) << "what the program's version left is cleared";
  EXPECT_EQ(GetFileVersionText(text), " Build: 0");
  // A folder whose name the code page cannot hold is read as it is.
  for (const wchar_t* name : {L"Vantaro-Ő", L"Заметки 日本"}) {
    const std::wstring copy = folder.Path() + name + L"\\vxq.exe";
    ForceDirectories(ExtractFilePath(copy));
    ASSERT_TRUE(CopyFileW((BuildFolder() + L"vxq.exe").c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(GetFileVersionText(copy), "2.4.0 Build: 1") << WideToUtf8(name);
  }

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
