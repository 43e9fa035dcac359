#include <gtest/gtest.h>

#include <vector>

#include "notes/VantaroMessages.h"
#include "ui/MessageBox.h"

namespace {
struct Recorder {
  std::vector<MessageBoxRequest> shown;
  Recorder() {
    SetMessageBoxAnswerer([this](const MessageBoxRequest& r) {
      shown.push_back(r);
      return IDOK;
    });
  }
  ~Recorder() { SetMessageBoxAnswerer({}); }
};
}  // namespace

TEST(NumberedMessages, ErrorsAndWarningsShowTheirTexts) {
  Recorder rec;
  ShowCodedErrorEx(101, "disk full");
  ShowCodedError(103);
  ShowCodedErrorEx(999, "x");
  ShowCodedError(1);
  ShowTimeInPastWarning(1);
  ShowTimeInPastWarning(2);
  ShowTimeInPastWarning(3);
  ASSERT_EQ(rec.shown.size(), 7u);
  EXPECT_EQ(rec.shown[0].Text, L"Error creating project\n\rdisk full");
  EXPECT_EQ(rec.shown[1].Text, L"No Task Selected");
  EXPECT_EQ(rec.shown[2].Text, L"\n\rx") << "an unknown code keeps the extra text behind the break";
  EXPECT_EQ(rec.shown[3].Text,
            L"Error Creating Note.\n\rCheck if Vantaro have write priviledges into its folder and subfolder");
  EXPECT_EQ(rec.shown[4].Text, L"Allarm time is previous than current time, allarm disabled!");
  EXPECT_EQ(rec.shown[5].Text, L"Autoshow time is previous than current time, autoshow disabled!");
  EXPECT_EQ(rec.shown[6].Text, L"");
  for (auto& r : rec.shown) EXPECT_EQ(r.Flags & (MB_ICONERROR | MB_OK | MB_YESNO), UINT(MB_ICONERROR | MB_OK));
}
