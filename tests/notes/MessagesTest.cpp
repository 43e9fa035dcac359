#include <gtest/gtest.h>

#include <vector>

#include "notes/VantaroMessages.h"
#include "ui/MessageBox.h"

TEST(NumberedMessages, ErrorsAndWarningsShowTheirTexts) {
  std::vector<MessageBoxRequest> shown;
  SetMessageBoxAnswerer([&](const MessageBoxRequest& r) {
    shown.push_back(r);
    return IDOK;
  });
  ShowCodedErrorEx(101, "disk full");
  ShowCodedError(103);
  ShowCodedErrorEx(999, "x");
  ShowCodedError(1);
  ShowTimeInPastWarning(1);
  ShowTimeInPastWarning(2);
  ShowTimeInPastWarning(3);
  SetMessageBoxAnswerer({});
  ASSERT_EQ(shown.size(), 7u);
  EXPECT_EQ(shown[0].Text, L"Error creating project\n\rdisk full");
  EXPECT_EQ(shown[1].Text, L"No Task Selected");
  EXPECT_EQ(shown[2].Text, L"\n\rx") << "an unknown code keeps the extra text behind the break";
  EXPECT_EQ(shown[3].Text,
            L"Error Creating Note.\n\rCheck if Vantaro have write priviledges into its folder and subfolder");
  EXPECT_EQ(shown[4].Text, L"Allarm time is previous than current time, allarm disabled!");
  EXPECT_EQ(shown[5].Text, L"Autoshow time is previous than current time, autoshow disabled!");
  EXPECT_EQ(shown[6].Text, L"");
  for (auto& r : shown) EXPECT_EQ(r.Flags & (MB_ICONERROR | MB_OK | MB_YESNO), UINT(MB_ICONERROR | MB_OK));
}
