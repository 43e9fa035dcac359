// Pictures of the notes manager window to look at: a full list sorted by alarm, and a title
// being edited in place.
#include "ManagerTestEnv.h"

namespace {

using managertest::ManagerTest;
using managertest::NoteSpec;
using testsupport::Pump;

RECT WindowRect(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r;
}

TEST_F(ManagerTest, ScreenshotsOfAFullListAndTheEditor) {
  const wchar_t* groups[] = {L"Work", L"Home", L"Shopping", L""};
  std::vector<NoteSpec> specs;
  for (int i = 0; i < 30; ++i) {
    wchar_t title[32];
    wsprintfW(title, L"Note %d", i + 1);
    const TDateTime alarm = i % 3 == 0 ? 0 : EncodeDateTime(2030, 1 + i % 12, 1 + i % 27, 8 + i % 10, 15);
    const TDateTime show = i % 5 == 0 ? EncodeDateTime(2031, 2, 3 + i % 20, 9, 30) : 0;
    specs.emplace_back(title, groups[i % 4], alarm, show, i % 4 == 1, i % 6 == 2, i % 2 == 0,
                       "Text of note " + std::to_string(i + 1) + ": milk, bread, call the office about the meeting");
  }
  Start(specs);
  Open();
  form->SetBounds(60, 60, 760, 560);
  SetForegroundWindow(form->Handle());
  ClickHeader(2);  // by alarm
  EXPECT_EQ(form->NoteViewer->SortColumn(), 2);
  Click(form->NoteViewer, Row(L"Note 8"));
  FocusList();
  Pump(200);
  EXPECT_TRUE(testsupport::SaveScreenShot(L"manager-list-by-alarm", WindowRect(form->Handle())));
  Key(VK_F2);
  ASSERT_TRUE(form->NoteViewer->IsEditing());
  Type(form->NoteViewer->EditorHandle(), L"Renamed in place");
  Pump(200);
  EXPECT_TRUE(testsupport::SaveScreenShot(L"manager-editing", WindowRect(form->Handle())));
  Key(VK_ESCAPE);
}

}  // namespace
