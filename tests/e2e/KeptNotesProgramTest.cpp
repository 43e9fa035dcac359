// The real vxq.exe keeps the user's notes when their files are taken away from under it.
#include "ProgramTestEnv.h"

#include <gtest/gtest.h>

namespace {

using namespace e2e;

TEST_F(ProgramTest, NotesWhoseFolderIsRemovedAndMadeAgainWhileItRunsAreWrittenAgainByTheExit) {
  notetest::WriteNote("NK1", 100, 100, 200, 150, L"On the screen", clNone, "{\\rtf1 kept on the screen\\par}");
  TNoteClass hidden = notetest::WriteNote("NK2", 350, 100, 200, 150, L"Hidden", clNone, "{\\rtf1 kept hidden\\par}");
  hidden.SetHidden(true);
  notetest::WriteBytes(NoteFileName("NK2"), EncodeNoteFile(hidden));
  HANDLE running = Start(L"/s");
  const DWORD pid = GetProcessId(running);
  ASSERT_EQ(AwaitWindows(pid, L"TNoteForm", 1).size(), 1u);
  HWND tray = AwaitStartUp(running);
  ASSERT_NE(tray, nullptr) << "start-up is over: the hidden note was read too";

  // A restore or a sync tool takes the folder away and makes it again, empty.
  const std::wstring users = ExtractFilePath(exe_) + L"Users";
  // (A save of the program's own may come in between and leave a file to remove once more.)
  ASSERT_TRUE(WaitUntil([&] { return RemoveFolderTree(users); }));
  ASSERT_TRUE(ForceDirectories(users));

  HWND menu = TrayMenu(tray);
  ASSERT_NE(menu, nullptr);
  Choose(menu, {VK_UP, VK_RETURN});  // Exit
  EXPECT_TRUE(EndedNormally(running, kPatience)) << "Exit ends the program";
  for (const auto& [id, title, text] : {std::tuple{"NK1", L"On the screen", L"kept on the screen"},
                                        std::tuple{"NK2", L"Hidden", L"kept hidden"}}) {
    ASSERT_TRUE(FileExists(NoteFileName(id))) << id << " is written again";
    const TNoteClass n = LoadNote(NoteFileName(id));
    EXPECT_EQ(n.Title, title) << id;
    EXPECT_EQ(Trim(PlainText(n)), text) << id;
    EXPECT_EQ(n.GetHidden(), std::string(id) == "NK2") << id;
  }
}

}  // namespace
