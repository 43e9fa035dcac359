// The to-do project files: both forms read, the INI form written, names mapped onto files, and
// the file operations on a real folder. No window is involved.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "todo/TaskText.h"
#include "notes/InternalProcs.h"
#include "todo/ToDoListEngine.h"
#include "ui/FileIO.h"
#include "ui/Paths.h"

namespace {
using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using tasktext::Describe;

Bytes Ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }

class ProjectFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<testsupport::TestUserFolder>();
  }
  void TearDown() override {
    SetWriteFailAfter(std::nullopt);
    folder_.reset();
  }
  TToDoTasks Read(const std::wstring& name) {
    TToDoTasks tasks;
    std::wstring failure;
    EXPECT_TRUE(ReadProjectFile(ProjectFileName(name), tasks, failure)) << WideToUtf8(failure);
    return tasks;
  }
  std::vector<std::wstring> SortedNames() {
    std::vector<std::wstring> names = ProjectNames();
    std::sort(names.begin(), names.end());
    return names;
  }
  std::unique_ptr<testsupport::TestUserFolder> folder_;
};

TEST(ProjectText, OldPlainTextLines) {
  struct Row {
    const char* text;
    const char* tasks;
  } rows[] = {
      {"", ""},
      {"0buy milk", "[buy milk| |-1]"},
      {"1call Bob", "[call Bob|x|-1]"},
      {"xanything else done", "[anything else done|x|-1]"},
      {"0", "[| |-1]"},
      {"0a\r\n\r\n1b", "[a| |-1][|x|-1][b|x|-1]"},
      {"0a\r1b\n0c\r\n", "[a| |-1][b|x|-1][c| |-1]"},
      {"0 keeps  blanks \n", "[ keeps  blanks | |-1]"},
      {"0a\n\n", "[a| |-1][|x|-1]"},
      // A [main] line alone is old text: one done task with the rest of the line.
      {"[main]\r\n", "[main]|x|-1]"},
      // Item sections without any [main] section stay old text, one task per line.
      {"[item0]\r\nTitle=a\r\n", "[item0]|x|-1][itle=a|x|-1]"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Describe(TasksFromText(Utf8ToWide(r.text))), r.tasks) << "text: " << r.text;
}

TEST(ProjectText, IniFormValues) {
  struct Row {
    const char* item;
    const char* tasks;
  } rows[] = {
      {"Title=a\r\nChecked=1\r\nPriority=3", "[a|x|3]"},
      {"Title=a\r\nPriority=12", "[a| |12]"},
      {"Title=a\r\nPriority=-1", "[a| |9]"},
      {"Title=a\r\nPriority=high", "[a| |9]"},
      {"Title=a", "[a| |9]"},
      {"Title=a\r\nChecked=2", "[a|x|9]"},
      {"Title=a\r\nChecked=", "[a| |9]"},
      {"Title=a\r\nChecked=yes", "[a| |9]"},
      {"Title=a\r\nChecked=-1\r\nPriority= 4 ", "[a|x|4]"},
      {"Title=\"  quoted  \"", "[  quoted  | |9]"},
      {"title='single'\r\nPRIORITY=0", "[single| |0]"},
      {"Checked=1", "[|x|9]"},
      {"Title=a=b;c", "[a=b;c| |9]"},
  };
  for (const Row& r : rows) {
    const std::string text = std::string("[main]\r\nfileinfo=1\r\n[item0]\r\n") + r.item + "\r\n";
    EXPECT_EQ(Describe(TasksFromText(Utf8ToWide(text))), r.tasks) << "item: " << r.item;
  }
}

TEST(ProjectText, SectionsTakenInFileOrder) {
  // Only the first four letters count; the number is never read; repeats are each a task.
  const std::wstring text =
      L"[item5]\r\nTitle=first\r\n[main]\r\nfileinfo=1\r\n[ITEMx]\r\nTitle=second\r\n[ite]\r\nTitle=no\r\n"
      L"[other]\r\nTitle=no\r\n[item0]\r\nTitle=third\r\n[item0]\r\nTitle=fourth\r\nPriority=2\r\n";
  EXPECT_EQ(Describe(TasksFromText(text)), "[first| |9][second| |9][third| |9][fourth| |2]");
}

TEST(ProjectText, MainWithoutKeysButWithItemsIsTheIniForm) {
  // Read as old text, the section lines would become tasks on the next save.
  const std::wstring text = L"[main]\r\n[item0]\r\nTitle=a\r\nChecked=1\r\nPriority=2\r\n[item1]\r\nTitle=b\r\n";
  EXPECT_EQ(Describe(TasksFromText(text)), "[a|x|2][b| |9]");
}

TEST(ProjectText, LongTitlesWhole) {
  const std::wstring title(5000, L'w');
  const TToDoTasks tasks = TasksFromText(ProjectText({{title, true, 4}}));
  ASSERT_EQ(tasks.size(), 1u);
  EXPECT_EQ(tasks[0].Title, title);
}

TEST(ProjectText, Order) {
  TToDoTasks tasks = {{L"b", false, 1}, {L"abc", false, 1}, {L"ab", true, 1}, {L"Abc", false, 1},
                      {L"z", false, 12}, {L"zz", false, 9}, {L"old", true, -1}, {L"!", false, 0},
                      {L"b", true, 1}};
  std::vector<size_t> order;
  SortTasks(tasks, &order);
  // Legacy rows first, then by priority, upper case before lower, a beginning before the whole,
  // equal tasks in their old order.
  EXPECT_EQ(Describe(tasks), "[old|x|-1][!| |0][Abc| |1][ab|x|1][abc| |1][b| |1][b|x|1][zz| |9][z| |12]");
  EXPECT_EQ(order, (std::vector<size_t>{6, 7, 3, 2, 1, 0, 8, 5, 4}));
  // Byte by byte in the code page the file keeps (1252 here: "€" is 0x80, "Ä" 0xC4), whatever
  // the characters' codes; what the page cannot hold comes after, by its code (U+FF76 before
  // U+1D11E, which UTF-16 puts the other way round).
  TToDoTasks words = {{L"\U0001D11E", false, 2}, {L"\uFF76", false, 2}, {L"\u00C4rger", false, 2},
                      {L"\u20ACuro", false, 2},   {L"zebra", false, 2},  {L"Zebra", false, 2}};
  SortTasks(words);
  EXPECT_EQ(Describe(words), "[Zebra| |2][zebra| |2][\u20acuro| |2][\u00c4rger| |2][\uff76| |2][\U0001d11e| |2]");
}

TEST_F(ProjectFiles, NewProjectIsEmptyAndTurnsIntoIni) {
  std::wstring failure;
  ASSERT_EQ(CreateProjectFile(L"Home", failure), TProjectFileResult::Done);
  EXPECT_TRUE(ReadBytes(ProjectFileName(L"Home")).empty());
  EXPECT_TRUE(Read(L"Home").empty());
  ASSERT_EQ(WriteProjectFile(ProjectFileName(L"Home"), {{L"first", false, 1}}), 0u);
  EXPECT_EQ(ReadBytes(ProjectFileName(L"Home")),
            Ascii("[main]\r\nfileinfo=1\r\n[item0]\r\nTitle=first\r\nChecked=0\r\nPriority=1\r\n"));
}

TEST_F(ProjectFiles, OldFormConvertedOnSave) {
  WriteBytes(ProjectFileName(L"Old"), Ascii("0one\r\n1two\r\n"));
  TToDoTasks tasks = Read(L"Old");
  EXPECT_EQ(Describe(tasks), "[one| |-1][two|x|-1]");
  ASSERT_EQ(WriteProjectFile(ProjectFileName(L"Old"), tasks), 0u);
  const std::string text = testsupport::ReadText(ProjectFileName(L"Old"));
  EXPECT_NE(text.find("[item1]\r\nTitle=two\r\nChecked=1\r\nPriority=-1\r\n"), std::string::npos) << text;
  EXPECT_EQ(Describe(Read(L"Old")), "[one| |9][two|x|9]");
}

TEST_F(ProjectFiles, ReadAndSavedUnchangedGivesTheSameBytes) {
  const TToDoTasks tasks = {{L"  blanks kept  ", true, 0}, {L"\"quoted\"", false, 12}, {L"plain", false, 9}};
  const TToDoTasks unicode = {{L"Купить молоко", false, 2}, {L"日本", true, 5}};
  for (const TToDoTasks& t : {tasks, unicode}) {
    ASSERT_EQ(WriteProjectFile(ProjectFileName(L"P"), t), 0u);
    const Bytes first = ReadBytes(ProjectFileName(L"P"));
    const TToDoTasks back = Read(L"P");
    EXPECT_EQ(back, t) << Describe(back);
    ASSERT_EQ(WriteProjectFile(ProjectFileName(L"P"), back), 0u);
    EXPECT_EQ(ReadBytes(ProjectFileName(L"P")), first);
  }
  // Text outside the code page is kept whole: the file is UTF-16 with its byte-order mark.
  const Bytes bytes = ReadBytes(ProjectFileName(L"P"));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
}

TEST_F(ProjectFiles, FailedSaveLeavesTheOldFileWhole) {
  ASSERT_EQ(WriteProjectFile(ProjectFileName(L"Safe"), {{L"kept", true, 3}}), 0u);
  const Bytes before = ReadBytes(ProjectFileName(L"Safe"));
  SetWriteFailAfter(10);
  EXPECT_NE(WriteProjectFile(ProjectFileName(L"Safe"), {{L"new", false, 1}, {L"more", false, 1}}), 0u);
  SetWriteFailAfter(std::nullopt);
  EXPECT_EQ(ReadBytes(ProjectFileName(L"Safe")), before);
  EXPECT_EQ(SortedNames(), std::vector<std::wstring>{L"Safe"});
}

TEST_F(ProjectFiles, UnreadableFilesTellWhy) {
  TToDoTasks tasks{{L"stale", false, 1}};
  std::wstring failure;
  EXPECT_FALSE(ReadProjectFile(ProjectFileName(L"Gone"), tasks, failure));
  EXPECT_TRUE(tasks.empty());
  EXPECT_FALSE(failure.empty());
  WriteBytes(ProjectFileName(L"Binary"), Bytes{0x01, 0x00, 0x02, 0x00, 0x00, 0xFF});
  failure.clear();
  const std::wstring missing = failure;
  EXPECT_FALSE(ReadProjectFile(ProjectFileName(L"Binary"), tasks, failure));
  EXPECT_FALSE(failure.empty());
  EXPECT_NE(failure, missing) << "each reason its own text";
}

TEST_F(ProjectFiles, AHugeFileIsRefusedUnread) {
  // 100 MB of nothing (the file system keeps it sparse): refused for its size, not read.
  const std::wstring file = ProjectFileName(L"Huge");
  {
    FileHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h.Valid());
    LARGE_INTEGER size{};
    size.QuadPart = 100LL << 20;
    ASSERT_TRUE(SetFilePointerEx(h.h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h.h));
  }
  TToDoTasks tasks;
  std::wstring failure;
  EXPECT_FALSE(ReadProjectFile(file, tasks, failure));
  EXPECT_TRUE(tasks.empty());
  // In words of its own: the system has none for this but its number.
  EXPECT_NE(failure.find(L" 64 MB"), std::wstring::npos) << WideToUtf8(failure);
}

TEST_F(ProjectFiles, Listing) {
  std::wstring failure;
  for (const wchar_t* name : {L"Work", L"Дом", L"x.tdl"}) ASSERT_EQ(CreateProjectFile(name, failure), TProjectFileResult::Done);
  // Not projects: a folder, a hidden file, another ending.
  CreateDirectoryW((NotesFolder + L"folder.tdl").c_str(), nullptr);
  WriteBytes(NotesFolder + L"hidden.tdl", {});
  SetFileAttributesW((NotesFolder + L"hidden.tdl").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteBytes(NotesFolder + L"other.tdlx", {});
  WriteBytes(NotesFolder + L"UPPER.TDL", {});
  EXPECT_EQ(SortedNames(), (std::vector<std::wstring>{L"UPPER", L"Work", L"x.tdl", L"Дом"}));
  // A name ending in ".tdl" has the extension twice on disk and maps back to the same file.
  EXPECT_TRUE(FileExists(NotesFolder + L"x.tdl.tdl"));
  EXPECT_EQ(ProjectFileName(L"x.tdl"), NotesFolder + L"x.tdl.tdl");
}

TEST_F(ProjectFiles, CreateRenameDelete) {
  std::wstring failure;
  ASSERT_EQ(CreateProjectFile(L"Alpha", failure), TProjectFileResult::Done);
  EXPECT_EQ(CreateProjectFile(L"Alpha", failure), TProjectFileResult::Exists);
  EXPECT_EQ(CreateProjectFile(L"ALPHA", failure), TProjectFileResult::Exists);
  ASSERT_EQ(WriteProjectFile(ProjectFileName(L"Alpha"), {{L"moved", true, 2}}), 0u);
  // A case-only rename finds the project's own file on a file system that ignores case.
  EXPECT_EQ(RenameProjectFile(L"Alpha", L"alpha", failure), TProjectFileResult::Exists);
  ASSERT_EQ(RenameProjectFile(L"Alpha", L"Beta", failure), TProjectFileResult::Done);
  EXPECT_EQ(SortedNames(), std::vector<std::wstring>{L"Beta"});
  EXPECT_EQ(Describe(Read(L"Beta")), "[moved|x|2]");
  ASSERT_EQ(CreateProjectFile(L"Gamma", failure), TProjectFileResult::Done);
  EXPECT_EQ(RenameProjectFile(L"Beta", L"Gamma", failure), TProjectFileResult::Exists);
  failure.clear();
  EXPECT_EQ(RenameProjectFile(L"Missing", L"Delta", failure), TProjectFileResult::Failed);
  EXPECT_FALSE(failure.empty());
  EXPECT_TRUE(DeleteProjectFile(L"Beta", failure));
  EXPECT_TRUE(DeleteProjectFile(L"Gamma", failure));
  EXPECT_TRUE(DeleteProjectFile(L"Gamma", failure)) << "a missing file counts as deleted";
  EXPECT_TRUE(ProjectNames().empty());
}

TEST_F(ProjectFiles, UnsafeNamesNeverLeaveTheFolder) {
  std::wstring failure;
  ASSERT_EQ(CreateProjectFile(L"Mine", failure), TProjectFileResult::Done);
  const std::wstring parent = ExtractFilePath(NotesFolder.substr(0, NotesFolder.size() - 1));
  const wchar_t* names[] = {L"..\\escape", L"../escape", L"..", L"sub\\x", L"sub/x", L"C:escape", L"a:b",
                            L"CON", L"nul", L"Com1", L"LPT9", L"aux.notes", L"a?b", L"a*b", L"a<b", L"a|b",
                            L"a\"b", L"tab\tname", L"trailing.", L".", L"blank ", L"bell\x07", L"COM\u00B9",
                            L"lpt\u00B3.txt", L"Com\u00B2", L"nul.tar.gz", L"PRN .x"};
  for (const wchar_t* name : names) {
    failure.clear();
    EXPECT_FALSE(IsSafeProjectName(name)) << WideToUtf8(name);
    EXPECT_EQ(CreateProjectFile(name, failure), TProjectFileResult::Failed) << WideToUtf8(name);
    EXPECT_FALSE(failure.empty()) << WideToUtf8(name);
    EXPECT_EQ(RenameProjectFile(L"Mine", name, failure), TProjectFileResult::Failed) << WideToUtf8(name);
  }
  EXPECT_FALSE(FileExists(parent + L"escape.tdl"));
  EXPECT_FALSE(FileExists(parent + L"Users\\escape.tdl"));
  EXPECT_EQ(SortedNames(), std::vector<std::wstring>{L"Mine"});
  for (const wchar_t* name : {L"Console", L"Com10", L"dots.in.name", L"Дом", L"x.tdl", L"Ideas... later", L"a..b",
                              L"COM\u2074", L"LPT\u00B9x", L".hidden"})
    EXPECT_TRUE(IsSafeProjectName(name)) << WideToUtf8(name);
}
}  // namespace
