#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "notes/InternalProcs.h"
#include "ui/Clock.h"

namespace {
void Touch(const std::wstring& file) { std::ofstream(std::filesystem::path(file)) << "x"; }

std::string Hex(unsigned long long v) {
  std::ostringstream s;
  s << std::uppercase << std::hex << v;
  return s.str();
}

const std::string kBase = "N" + Hex(20261205152821ULL);  // 5 December 2026, 15:28:21: its digits in hex

class NoteIDs : public ::testing::Test {
 protected:
  testsupport::TempFolder folder{L"ids"};
  testsupport::Keep<std::wstring> keep{NotesFolder};
  void SetUp() override {
    NotesFolder = folder.Path();
    SetNowOverride(EncodeDateTime(2026, 12, 5, 15, 28, 21));
  }
  void TearDown() override { SetNowOverride(std::nullopt); }
};
}  // namespace

TEST_F(NoteIDs, SuffixCountsUpWithinOneSecond) {
  for (int i = 0; i < 256; ++i) {
    std::string id;
    NewNoteID(id);
    ASSERT_EQ(id, kBase + (i < 16 ? "0" : "") + Hex(i)) << "note " << i << " of the second";
    Touch(NoteFileName(id));
  }
  EXPECT_EQ(NewNoteID(), kBase + "100") << "the 257th note of a second gets a three-digit suffix";
  SetNowOverride(EncodeDateTime(2026, 12, 5, 15, 28, 21, 999));
  EXPECT_EQ(NewNoteID(), kBase + "100") << "milliseconds do not move the stamp to the next second";
  ASSERT_TRUE(DeleteFileW(NoteFileName(kBase + "7F").c_str()));
  EXPECT_EQ(NewNoteID(), kBase + "7F") << "the first free candidate wins";
  SetNowOverride(EncodeDateTime(2027, 1, 2, 3, 4, 5));
  EXPECT_EQ(NewNoteID(), "N" + Hex(20270102030405ULL) + "00") << "zero-padded fields";
}

TEST_F(NoteIDs, CandidatesTakenByAFileOrAComponentAreSkipped) {
  EXPECT_FALSE(NoteNameInUse(kBase + "00")) << "no application object";
  Touch(NoteFileName(kBase + "00"));  // a file left from a clock set back, no window
  TApplication app;
  new TComponent(&app);  // an unnamed main window
  auto* window = new TComponent(&app);
  window->SetName(L"n126d6def943501");  // a window, no file, other case
  auto* inner = new TComponent(window);
  inner->SetName(L"N126D6DEF943502");  // not owned by the application itself
  EXPECT_TRUE(NoteNameInUse(kBase + "01"));
  EXPECT_FALSE(NoteNameInUse(kBase + "0"));
  EXPECT_FALSE(NoteNameInUse(kBase + "02"));
  EXPECT_EQ(NewNoteID(), kBase + "02");
}

TEST(UserFolder, NoteFilesLiveInTheUsersFolderBesideTheExecutable) {
  testsupport::TempFolder exe(L"exe");
  testsupport::Keep keep(NotesFolder);
  SetExeFolderOverride(exe.Path());
  InitUserFolder();
  wchar_t user[257] = L"";
  DWORD size = 257;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(NotesFolder, exe.Path() + L"Users\\" + user + L"\\");
  EXPECT_TRUE(DirectoryExists(NotesFolder));
  EXPECT_EQ(NoteFileName("  N1234500 \t"), NotesFolder + L"N1234500.vxn") << "the identifier is trimmed";
  SetExeFolderOverride(L"");
}
