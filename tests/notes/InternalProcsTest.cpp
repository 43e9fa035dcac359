#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "notes/InternalProcs.h"
#include "ui/Clock.h"
#include "ui/FileNameEdit.h"

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

// 8-bit text (the code page here is 1252): what does not fit is never turned into a
// look-alike, and messages carry any text.
TEST(EightBitText, NothingOutsideTheCodePageBecomesALookAlike) {
  ASSERT_EQ(GetACP(), 1252u);
  struct Row {
    std::wstring wide;
    std::string ansi;  // WideToAnsi
    bool fits;         // TryWideToAnsi
  } rows[] = {{L"Vantaro-\u00E9", "Vantaro-\xE9", true},
              {L"Vantaro-\u0150", "Vantaro-?", false},  // best fit would give "O"
              {L"\u2215evil", "?evil", false},          // best fit would give "/"
              {L"Привет", "??????", false},
              {L"", "", true}};
  for (const Row& row : rows) {
    EXPECT_EQ(WideToAnsi(row.wide), row.ansi) << WideToUtf8(row.wide);
    std::string out = "kept";
    EXPECT_EQ(TryWideToAnsi(row.wide, out), row.fits) << WideToUtf8(row.wide);
    EXPECT_EQ(out, row.fits ? row.ansi : "kept") << WideToUtf8(row.wide);
  }
  EXPECT_EQ(ExceptionText("caf\xC3\xA9 \xD0\x96"), L"café Ж") << "what() in UTF-8";
  EXPECT_EQ(ExceptionText("caf\xE9"), L"café") << "a message from elsewhere, in the code page";
  EXPECT_EQ(ExceptionText(EInvalidFileName(L"Заметки<").what()), L"Invalid file name - Заметки<");
}
