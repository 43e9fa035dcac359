#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "notes/InternalProcs.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/Paths.h"

namespace {
namespace fs = std::filesystem;

// A fresh folder under the temporary folder, removed with everything in it.
struct TempFolder {
  std::wstring path;  // with its trailing backslash
  TempFolder() {
    static int counter = 0;
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = std::wstring(tmp) + L"vxq" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter) +
           L"\\";
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void Touch(const std::wstring& file) { std::ofstream(fs::path(file)) << "x"; }

std::string Hex(unsigned long long v) {
  std::ostringstream s;
  s << std::uppercase << std::hex << v;
  return s.str();
}

const std::string kBase = "N126D6DEF9435";  // 5 December 2026, 15:28:21

class NoteIDs : public ::testing::Test {
 protected:
  TempFolder folder;
  std::wstring savedNotesFolder = NotesFolder;
  void SetUp() override {
    NotesFolder = folder.path;
    SetNowOverride(EncodeDateTime(2026, 12, 5, 15, 28, 21));
  }
  void TearDown() override {
    SetNowOverride(std::nullopt);
    NotesFolder = savedNotesFolder;
  }
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
}

TEST_F(NoteIDs, StampIsTheMomentsDecimalDigitsInHex) {
  SetNowOverride(EncodeDateTime(2027, 1, 2, 23, 4, 5));
  EXPECT_EQ(NewNoteID(), "N" + Hex(20270102230405ULL) + "00") << "hours 0-23, zero-padded fields";
  SetNowOverride(EncodeDateTime(2030, 10, 31, 0, 0, 0));
  EXPECT_EQ(NewNoteID(), "N" + Hex(20301031000000ULL) + "00");
}

TEST_F(NoteIDs, CandidatesTakenByAFileOrAWindowAreSkipped) {
  Touch(NoteFileName(kBase + "00"));  // a file left from a clock set back, no window
  TApplication app;
  auto* window = new TComponent(&app);
  window->SetName(L"n126d6def943501");  // a window, no file, other case
  auto* inner = new TComponent(window);
  inner->SetName(L"N126D6DEF943502");  // not owned by the application itself
  EXPECT_EQ(NewNoteID(), kBase + "02");
}

TEST(NoteNameInUse, LooksAtTheApplicationsOwnComponents) {
  ASSERT_EQ(Application, nullptr);
  EXPECT_FALSE(NoteNameInUse("N126D6DEF943500")) << "no application object";
  TApplication app;
  EXPECT_FALSE(NoteNameInUse("N126D6DEF943500")) << "an application that owns nothing";
  new TComponent(&app);  // an unnamed main window
  (new TComponent(&app))->SetName(L"N126D6DEF943500");
  new TComponent(&app);
  EXPECT_TRUE(NoteNameInUse("n126D6DEF943500"));
  EXPECT_TRUE(NoteNameInUse("N126D6DEF943500"));
  EXPECT_FALSE(NoteNameInUse("N126D6DEF94350"));
  EXPECT_FALSE(NoteNameInUse("N126D6DEF943501"));
}

TEST(UserFolder, NoteFilesLiveInTheUsersFolderBesideTheExecutable) {
  TempFolder exe;
  std::wstring saved = NotesFolder;
  SetExeFolderOverride(exe.path);
  InitUserFolder();
  wchar_t user[257] = L"";
  DWORD size = 257;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(NotesFolder, exe.path + L"Users\\" + user + L"\\");
  EXPECT_TRUE(DirectoryExists(NotesFolder));

  EXPECT_EQ(NoteFileName("  N1234500 \t"), NotesFolder + L"N1234500.vxn") << "the identifier is trimmed";
  std::wstring f;
  NoteFileName("N1234500", f);
  EXPECT_EQ(f, NotesFolder + L"N1234500.vxn");
  SetExeFolderOverride(L"");
  NotesFolder = saved;
}

TEST(SingleInstance, ASecondMutexOfTheSameNameMeansAlreadyRunning) {
  const std::string name = "VxqTestInstance_" + std::to_string(GetCurrentProcessId()) + "_" +
                           std::to_string(GetTickCount());
  HANDLE first = nullptr, second = nullptr, third = nullptr;
  EXPECT_FALSE(IsAlreadyRunning(first, name));
  EXPECT_NE(first, nullptr);
  EXPECT_TRUE(IsAlreadyRunning(second, name));
  EXPECT_NE(second, nullptr) << "the handle is returned also when already running";
  CloseHandle(first);
  CloseHandle(second);
  EXPECT_FALSE(IsAlreadyRunning(third, name)) << "once every handle is closed the name is free again";
  CloseHandle(third);
}
