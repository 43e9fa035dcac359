// The shortcut editor on the settings dialog's hot-key list, and the default-size dialog with
// its limits, by values and by a real drag of its frame.
#include <algorithm>

#include "settings/SettingsTestEnv.h"

namespace {

using namespace settingstest;
using testsupport::Pump;
using testsupport::PumpUntil;

// A double-click on the list's row, as the mouse makes it; act runs on the editor it opens.
void EditRow(TConfigurationForm& d, int row, const std::function<void(TShortCutEditor&)>& act) {
  TGridNode* node = d.ShortCutsThree->Roots()[row];
  const RECT cell = d.ShortCutsThree->CellRect(node, 0);
  const LPARAM at = MAKELPARAM(cell.left + 30, (cell.top + cell.bottom) / 2);
  HWND grid = d.ShortCutsThree->Handle();
  EXPECT_TRUE(RunModal<TShortCutEditor>(
      [&] {
        for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
          SendMessageW(grid, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
      },
      act));
}

TEST_F(SettingsTest, TheShortcutEditorChangesTheRowsCopyOnlyWhenConfirmed) {
  const struct {
    TVx_Shortcut_data start;
    int modifier, key;  // entries chosen; -1 leaves the one selected at the start
    bool confirm;
    int startModifierEntry, startKeyEntry;
    TVx_Shortcut_data result;
    const wchar_t* text;
  } rows[] = {
      {Key(1, VK_F8), 0, -1, true, 1, IndexOfVirtualKey(VK_F8), Key(0, VK_F8), L"None"},
      {Key(1, VK_F8), 1, IndexOfVirtualKey(VK_F6), false, 1, IndexOfVirtualKey(VK_F8), Key(1, VK_F8),
       L"WIN + F8 key"},
      {Key(1, VK_F8), -1, IndexOfVirtualKey('Q'), true, 1, IndexOfVirtualKey(VK_F8), Key(1, 'Q'), L"WIN + Q key"},
      {Key(2, VK_F5), -1, -1, true, -1, IndexOfVirtualKey(VK_F5), Key(255, VK_F5), L"UNK +F5 key"},
      {Key(1, VK_MULTIPLY), -1, -1, true, 1, 0, Key(1, 0), L"None"},
      {Key(1, VK_F8), -1, 0, true, 1, IndexOfVirtualKey(VK_F8), Key(1, 0), L"None"},
  };
  StartProgram();
  NewNoteShortCut->SetShortcut(Key(1, VK_F8));
  ASSERT_TRUE(NewNoteShortCut->Registered);
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    d.SetupPages->SetActivePage(d._ShortCutsTab);
    for (const auto& r : rows) {
      const std::string what = WideToUtf8(r.text);
      d.NewNoteKey.Assign(r.start);
      EditRow(d, 0, [&](TShortCutEditor& e) {
        EXPECT_EQ(e.Caption(), L"Edit ShortCut");
        EXPECT_EQ(e.ModKey->Items.Strings(), (std::vector<std::wstring>{L"NONE", L"WIN"}));
        EXPECT_EQ(e.KeyCode->Items.Count(), VirtualKeyCount);
        EXPECT_EQ(e.ModKey->ItemIndex(), r.startModifierEntry) << what;
        EXPECT_EQ(e.KeyCode->ItemIndex(), r.startKeyEntry) << what;
        if (r.modifier >= 0) e.ModKey->SetItemIndex(r.modifier);
        if (r.key >= 0) e.KeyCode->SetItemIndex(r.key);
        (r.confirm ? e._ok : e._cancel)->Click();
      });
      EXPECT_EQ(d.NewNoteKey.Modifier, r.result.Modifier) << what;
      EXPECT_EQ(d.NewNoteKey.Key, r.result.Key) << what;
      EXPECT_EQ(d.ShortcutRowText(0), L"New Note Shortcut: " + std::wstring(r.text));
      EXPECT_TRUE(NewNoteShortCut->Registered) << "the live key waits for the settings' OK";
    }
    d._ok->Click();
  }));
  EXPECT_FALSE(NewNoteShortCut->Registered) << "a key of NONE is registered no more";
  EXPECT_EQ(GlobalFindAtomA("NewNoteShortCut"), 0);
}

TEST_F(SettingsTest, TheSizeDialogKeepsTo100Through540AndCancelKeepsTheSize) {
  const struct {
    int width, height;
    int shownWidth, shownHeight;
    bool confirm;
    int storedWidth, storedHeight;
  } rows[] = {{50, 600, 100, 540, true, 100, 540},
              {700, 80, 540, 100, true, 540, 100},
              {250, 200, 250, 200, true, 250, 200},
              {50, 600, 100, 540, false, 50, 600}};
  StartProgram();
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    d.SetupPages->SetActivePage(d._noteStyle);
    for (const auto& r : rows) {
      d.DefWidth = r.width, d.DefHeight = r.height;
      d.SizeLabel->SetCaption(L"");
      EXPECT_TRUE(RunModal<TDefaultNoteSizeForm>([&] { d.NoteSizeChange->Click(); }, [&](TDefaultNoteSizeForm& s) {
        // No caption, a frame to size it by, and a taskbar button.
        const LONG_PTR style = GetWindowLongPtrW(s.Handle(), GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), WS_THICKFRAME | WS_SYSMENU);
        EXPECT_EQ(GetWindowLongPtrW(s.Handle(), GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), WS_EX_APPWINDOW);
        EXPECT_EQ(s.Width(), r.shownWidth);
        EXPECT_EQ(s.Height(), r.shownHeight);
        EXPECT_EQ(testsupport::ScreenRect(s.Handle()).right - testsupport::ScreenRect(s.Handle()).left, r.shownWidth);
        (r.confirm ? s._OK : s._Cancel)->Click();
      }));
      EXPECT_EQ(d.DefWidth, r.storedWidth);
      EXPECT_EQ(d.DefHeight, r.storedHeight);
      EXPECT_EQ(d.SizeLabel->Caption(),
                L"Size: " + std::to_wstring(r.storedWidth) + L"x" + std::to_wstring(r.storedHeight))
          << "refreshed either way";
    }
    d.DefWidth = 90;
    d._ok->Click();
  }));
  EXPECT_EQ(DefNoteWidth, 90) << "a size given by hand is the dialog's own business";
  EXPECT_EQ(DefNoteHeight, 600);
}

TEST_F(SettingsTest, DraggingTheSizeDialogsFrameStopsAt100AndSnapsBackTo540) {
  if (!notetest::HaveXdotool()) GTEST_SKIP() << "needs xdotool";
  StartProgram();
  ASSERT_TRUE(Setup([&](TConfigurationForm& d) {
    EXPECT_TRUE(RunModal<TDefaultNoteSizeForm>([&] { d.NoteSizeChange->Click(); }, [&](TDefaultNoteSizeForm& s) {
      s.SetBounds(100, 100, 200, 200);
      Pump(100);
      int widest = 0, narrowest = 200;
      auto resized = s.OnResize;
      s.OnResize = [&, resized](TComponent* c) {
        widest = std::max(widest, s.Width());
        narrowest = std::min({narrowest, s.Width(), s.Height()});
        resized(c);
      };
      // The bottom-right corner of the frame, dragged far in, then far out.
      ASSERT_TRUE(notetest::StartXdotool(notetest::XDrag(1, 298, 298, 130, 130)));
      EXPECT_TRUE(PumpUntil([&] { return s.Width() == 100 && s.Height() == 100; }))
          << "stopped at " << s.Width() << "x" << s.Height();
      Pump(300);
      EXPECT_EQ(s.Width(), 100);
      EXPECT_EQ(narrowest, 100) << "never smaller on the way";
      ASSERT_TRUE(notetest::StartXdotool(notetest::XDrag(1, 198, 198, 800, 760)));
      EXPECT_TRUE(PumpUntil([&] { return widest > 540; })) << "the frame follows the mouse beyond 540";
      EXPECT_TRUE(PumpUntil([&] { return s.Width() == 540 && s.Height() == 540; }))
          << "snapped back to " << s.Width() << "x" << s.Height();
      s._OK->Click();
    }));
    EXPECT_EQ(d.DefWidth, 540);
    EXPECT_EQ(d.DefHeight, 540);
    d._cancel->Click();
  }));
}

}  // namespace
