// The latest-events window: what it lists, how it looks, and how it is moved and sized.
#include "EventWindowsTestEnv.h"
#include "notewindows/TrekComponents.h"

namespace eventstest {
namespace {

using testsupport::Pump;

class LatestEventsWindowTest : public EventWindowsTest {
 protected:
  // On 10 May 2026: two events today, one tomorrow, one on neither day.
  void SetUp() override {
    EventWindowsTest::SetUp();
    SetNow(2026, 5, 10, 9);
  }
  TLatestEvents* Show(const std::vector<std::pair<std::wstring, TDateTime>>& events, bool force = false) {
    manager = Saved(events);
    manager->ShowLatest(force);
    Pump(50);
    return LatestWindow();
  }
  // The tree as lines: "text|years", children indented by ">".
  static std::vector<std::wstring> Lines(TLatestEvents* f) {
    std::vector<std::wstring> lines;
    TTreeGrid* t = f->EventsTree;
    for (TGridNode* n : t->Rows())
      lines.push_back((n->Level() ? L">" : L"") + t->Source->GetText(t, n, 0) + L"|" + t->Source->GetText(t, n, 1));
    return lines;
  }
  static BYTE Alpha(TForm* f) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!(GetWindowLongW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
    GetLayeredWindowAttributes(f->Handle(), nullptr, &alpha, &flags);
    return alpha;
  }
};

TEST_F(LatestEventsWindowTest, TodayAndTomorrowAreExpandedSectionsWithYearsOnEventLines) {
  TLatestEvents* f = Show({{L"birthday", Day(1990, 5, 10)},
                           {L"far", Day(1990, 8, 1)},
                           {L"tomorrow", Day(2000, 5, 11)},
                           {L"this year", Day(2026, 5, 10)}});
  ASSERT_TRUE(f);
  ASSERT_EQ(f->EventsTree->RootCount(), 2);
  for (TGridNode* root : f->EventsTree->Roots()) {
    EXPECT_EQ(f->NodeData(root)->Kind, ekSection);
    EXPECT_TRUE(root->Expanded());
  }
  const auto lines = Lines(f);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::wstring>(lines.begin() + 1, lines.begin() + 3),
            (std::vector<std::wstring>{L">birthday|36", L">this year|0"}));
  EXPECT_EQ(lines[4], L">tomorrow|26");
  EXPECT_EQ(lines[0].back(), L'|') << "no years on a section line";
  EXPECT_TRUE(IsWindowEnabled(f->EventsTree->Handle()));
  testsupport::SaveScreenShot(L"latest-events", testsupport::ScreenRect(f->Handle()));
}

TEST_F(LatestEventsWindowTest, OnlyTomorrowsSectionWhenNothingFallsToday) {
  SetNow(2026, 12, 31, 9);
  TLatestEvents* f = Show({{L"new year", Day(2027, 1, 1)}, {L"past", Day(2020, 1, 1)}});
  ASSERT_TRUE(f);
  ASSERT_EQ(f->EventsTree->RootCount(), 1);
  EXPECT_EQ(manager->Tomorrow.Count(), 1);
  EXPECT_EQ(Lines(f)[1], L">new year|-1");
}

TEST_F(LatestEventsWindowTest, NothingToAnnounceOpensOnlyOnRequestWithOneLineAndNoInput) {
  EXPECT_EQ(Show({{L"far", Day(1990, 8, 1)}}), nullptr) << "nothing today or tomorrow: no window at start-up";
  manager->ShowLatest(true);
  Pump(50);
  TLatestEvents* f = LatestWindow();
  ASSERT_TRUE(f);
  ASSERT_EQ(f->EventsTree->RootCount(), 1);
  EXPECT_EQ(f->NodeData(f->EventsTree->Roots()[0])->Kind, ekNoEvents);
  EXPECT_FALSE(IsWindowEnabled(f->EventsTree->Handle()));
  testsupport::SaveScreenShot(L"latest-events-none", testsupport::ScreenRect(f->Handle()));
}

TEST_F(LatestEventsWindowTest, ADeletedEventIsGoneWhenTheWindowOpensAgain) {
  TLatestEvents* f = Show({{L"birthday", Day(1990, 5, 10)}, {L"tomorrow", Day(2000, 5, 11)}});
  ASSERT_TRUE(f);
  f->Close();
  EXPECT_EQ(manager->LatestForm(), nullptr);
  manager->DeleteEventAndSave(0);
  manager->ShowLatest(true);
  Pump(50);
  ASSERT_TRUE(LatestWindow());
  EXPECT_EQ(Lines(LatestWindow()).size(), 2u);
  EXPECT_EQ(Lines(LatestWindow())[1], L">tomorrow|26");
}

TEST_F(LatestEventsWindowTest, IncomingEventsSortsTheEventsFromTheCurrentDay) {
  TLatestEvents* f = Show({{L"birthday", Day(1990, 5, 10)}, {L"tomorrow", Day(2000, 5, 11)}});
  ASSERT_TRUE(f);
  // The program ran past midnight; an event for the new day came meanwhile.
  SetNow(2026, 5, 11, 0);
  UseFakeEditor();
  editor.Text = L"added";
  editor.Date = Day(1980, 5, 11);
  ASSERT_TRUE(manager->AddEvent());
  manager->ShowLatest(true);
  Pump(50);
  ASSERT_EQ(LatestWindow(), f) << "the open window is brought up";
  EXPECT_EQ(Lines(f), (std::vector<std::wstring>{L"Today|", L">tomorrow|26", L">added|46"}));
}

TEST_F(LatestEventsWindowTest, TransparencyFollowsTheSettingAndTheActivation) {
  TForm other(Application, L"TOtherWindow");
  other.SetBounds(600, 600, 100, 100);
  NoteTransparency = false;
  TLatestEvents* f = Show({{L"birthday", Day(1990, 5, 10)}});
  ASSERT_TRUE(f);
  EXPECT_EQ(Alpha(f), 255);
  other.Show();
  Pump(50);
  EXPECT_EQ(Alpha(f), 255) << "activation changes nothing";
  f->Close();
  NoteTransparency = true;
  manager->ShowLatest(true);
  Pump(50);
  f = LatestWindow();
  ASSERT_TRUE(f);
  EXPECT_EQ(Alpha(f), 225) << "active";
  other.Show();
  Pump(50);
  EXPECT_EQ(Alpha(f), 200) << "inactive";
}

TEST_F(LatestEventsWindowTest, SizerAndButtonsStayInTheirCornersAndTheRightEdgeSizesOnAClick) {
  TLatestEvents* f = Show({{L"birthday", Day(1990, 5, 10)}});
  ASSERT_TRUE(f);
  EXPECT_EQ(f->ClientWidth(), 238);
  for (auto [w, h] : {std::pair{320, 300}, {150, 120}}) {
    f->SetBounds(f->Left(), f->Top(), w, h);
    EXPECT_EQ(f->Sizer->Left(), f->ClientWidth() - 3);
    EXPECT_EQ(f->Sizer->Top(), f->ClientHeight() - 3);
    EXPECT_EQ(f->CloseButton->Left(), w - 12);
    EXPECT_EQ(f->NoteMenuButton->Left(), 1);
  }
  const int width = f->Width();
  const int x = f->RightBorder->Left() + 1, y = f->RightBorder->Top() + 20;
  SendMessageW(f->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  EXPECT_FALSE(f->SizingRight()) << "a press alone sizes nothing";
  SendMessageW(f->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 30, y));
  EXPECT_EQ(f->Width(), width);
  SendMessageW(f->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  EXPECT_TRUE(f->SizingRight()) << "the click does";
  SendMessageW(f->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x + 50, y));
  EXPECT_EQ(f->Width(), width + 50);
  EXPECT_EQ(f->Sizer->Left(), f->ClientWidth() - 3);
  SendMessageW(f->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 50, y));
  EXPECT_FALSE(f->SizingRight()) << "the next click ends it";
  SendMessageW(f->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x + 90, y));
  EXPECT_EQ(f->Width(), width + 50);
}

TEST_F(LatestEventsWindowTest, DressedInTheNoteColours) {
  NoteColor = 0x80FFA0;
  TLatestEvents* f = Show({{L"birthday", Day(1990, 5, 10)}});
  ASSERT_TRUE(f);
  EXPECT_EQ(f->EventsTree->Color(), NoteColor);
  EXPECT_EQ(f->Sizer->Color(), NoteColor);
  EXPECT_EQ(f->EventsTree->TextColor, static_cast<TColor>(NoteFont.Color));
  // Below the last line the tree shows the note colour.
  const RECT r = testsupport::ScreenRect(f->EventsTree->Handle());
  EXPECT_EQ(testsupport::ScreenPixel(r.left + 40, r.bottom - 10), static_cast<COLORREF>(NoteColor));
  // No sunken edge round the tree: its outermost pixels are the note's too.
  EXPECT_FALSE(GetWindowLongW(f->EventsTree->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(testsupport::ScreenPixel(r.left, r.bottom - 10), static_cast<COLORREF>(NoteColor));
}

}  // namespace
}  // namespace eventstest
