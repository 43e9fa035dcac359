// The notes manager window with the whole program behind it: the properties dialog it opens,
// and the end of the program (a second copy's close request, the end of the session) while one
// of its dialogs, questions or menus is open.
#include "ManagerTestEnv.h"
#include "PrintTestSupport.h"
#include "noteconf/NoteConfTestEnv.h"
#include "notes/InternalProcs.h"
#include "shell/MainFormUnit.h"
#include "ui/Dialogs.h"

namespace {

using managertest::ManagerTest;
using managertest::NoteSpec;
using testsupport::Pump;

class ManagerDialogsTest : public ManagerTest {
 protected:
  // The program as it starts: the main window builds the engine, which loads the notes.
  void StartProgram(const std::vector<NoteSpec>& specs) {
    SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDOK; });
    WriteNotes(specs);
    CreateMainForm();
    ASSERT_NE(VantaroEngine, nullptr);
  }
  void TearDown() override {
    if (VantaroMainForm) ShutdownOnce();
    Pump(50);
    SetPrintDialogAnswerer({});
    ManagerTest::TearDown();
  }

  // While a menu of ours is open: act, then (unless it was left) choose its last item.
  static void WhileMenuOpen(std::function<void()> act, bool chooseLast) {
    testsupport::WhenReady([] { return TPopupMenu::Current() && testsupport::MenuUp(); },
                           [act = std::move(act), chooseLast] {
                             HWND menu = FindWindowW(L"#32768", nullptr);
                             if (act) act();
                             if (!chooseLast || !menu || !IsWindow(menu)) {
                               EndMenu();
                               return;
                             }
                             // Up from no selection lands on the last item; Enter chooses it.
                             PostMessageW(menu, WM_KEYDOWN, VK_UP, 1);
                             PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
                           });
  }
  // A right click on the row opens the list's pop-up menu.
  void RightClick(TGridNode* row) {
    RECT r = form->NoteViewer->CellRect(row, 0);
    const LPARAM at = MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2);
    SendMessageW(form->NoteViewer->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    SendMessageW(form->NoteViewer->Handle(), WM_RBUTTONUP, 0, at);
    Pump(50);
  }
  // Once the properties dialog is up, act runs inside its modal loop.
  static void WhenDialogUp(TTimer& driver, std::function<void(TNoteConf&)> act) {
    driver.OnTimer = [&driver, act = std::move(act)](TComponent*) {
      TNoteConf* d = noteconftest::OpenDialog();
      if (!d) return;
      driver.SetEnabled(false);
      act(*d);
    };
    driver.SetEnabled(true);
  }
};

TEST_F(ManagerDialogsTest, NotePropertiesFromCtrlPAndThePopupMenuEditTheFocusedNote) {
  StartProgram({{L"alpha", L"g"}, {L"beta"}});
  Open();
  TTreeGrid* v = form->NoteViewer;
  struct {
    std::wstring Title;
    RECT At;
    bool FocusInTitle;
  } seen{};
  auto edit = [&](const std::wstring& newTitle, const std::function<void()>& open) {
    seen = {};
    testsupport::Watchdog dog(testsupport::kPatience);
    TTimer driver(Application, L"Driver", 20);
    WhenDialogUp(driver, [&](TNoteConf& d) {
      seen.Title = d.Titleedit->Text();
      GetWindowRect(d.Handle(), &seen.At);
      seen.FocusInTitle = GetFocus() == d.Titleedit->Handle();
      SetWindowTextW(d.Titleedit->Handle(), newTitle.c_str());
      d._ok->Click();
    });
    open();
    Pump(50);
    EXPECT_FALSE(testsupport::Watchdog::fired) << "the dialog had to be ended by the watchdog";
  };
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);

  Click(v, Row(L"beta"));
  edit(L"gamma", [&] { CtrlKey('P'); });
  EXPECT_EQ(seen.Title, L"beta") << "Ctrl+P opened the dialog of the focused note";
  EXPECT_TRUE(seen.FocusInTitle);
  EXPECT_EQ(seen.At.right, screenW) << "at the right edge of the screen";
  EXPECT_EQ(seen.At.bottom, screenH) << "at the bottom edge of the screen";
  ASSERT_NE(Row(L"gamma"), nullptr) << "OK reached the list row";
  EXPECT_EQ(Row(L"beta"), nullptr);
  EXPECT_EQ(notetest::LoadNote(Note(L"gamma")->FileName).Title, L"gamma") << "and the note file";
  EXPECT_TRUE(IsChild(form->Handle(), GetFocus())) << "the keys go on to the window's controls";

  // The pop-up menu's Note Properties, its last item.
  Click(v, Row(L"alpha"));
  edit(L"delta", [&] {
    WhileMenuOpen(nullptr, true);
    RightClick(Row(L"alpha"));
  });
  EXPECT_EQ(seen.Title, L"alpha") << "the pop-up menu opened the dialog of the clicked note";
  ASSERT_NE(Row(L"delta"), nullptr);
  EXPECT_EQ(Note(L"delta")->Note->Group, L"g") << "only the title was changed";
  EXPECT_TRUE(IsChild(form->Handle(), GetFocus()));
  // The keys really arrive: F2 edits the focused title.
  Click(v, Row(L"delta"));
  FocusList();
  Key(VK_F2);
  EXPECT_TRUE(v->IsEditing());
  Key(VK_ESCAPE);
}

// What the window had open when the program was told to end.
enum class OpenThing { PropertiesDialog, DeleteQuestion, PopupMenu, PrintDialog };

class EndWhileOpenTest : public ManagerDialogsTest {
 protected:
  // Nothing freed is touched, and the notes are kept as the shut-down saved them.
  void Run(UINT message, OpenThing thing);
};

void EndWhileOpenTest::Run(UINT message, OpenThing thing) {
  const std::string ps = std::string(std::getenv("VXQ_BUILD_DIR") ? std::getenv("VXQ_BUILD_DIR") : ".") +
                         "/manager-end-while-open.ps";
  DeleteFileW((L"Z:" + AnsiToWide(ps)).c_str());
  testsupport::TestPrinter printer(ps);
  StartProgram({{L"kept", L"g", 0, 0, false, false, false, "typed"}, {L"other", L"g"}});
  Open();
  Click(form->NoteViewer, Row(L"kept"));
  ASSERT_NE(Note(L"kept"), nullptr);
  const std::wstring file = Note(L"kept")->FileName;
  TLifeCheck formAlive = form->Watch();
  TLifeCheck mainAlive = VantaroMainForm->Watch();
  LRESULT answer = 0;
  bool ended = false;
  auto end = [&] {
    ended = true;
    HWND main = VantaroMainForm->Handle();
    answer = message == WM_QUERYENDSESSION ? testsupport::EndSession(main) : SendMessageW(main, message, 0, 0);
  };
  int asked = 0;
  {
    testsupport::Watchdog dog(testsupport::kPatience);
    TTimer driver(Application, L"Driver", 20);
    switch (thing) {
      case OpenThing::PropertiesDialog:
        WhenDialogUp(driver, [&](TNoteConf& d) {
          SetWindowTextW(d.Titleedit->Handle(), L"typed in the dialog");
          TLifeCheck dialogAlive = d.Watch();
          end();
          // A user who goes on in a dialog that is still up presses OK.
          if (dialogAlive && d.ModalResult == mrNone) d._ok->Click();
        });
        CtrlKey('P');
        break;
      case OpenThing::DeleteQuestion:
        SetMessageBoxAnswerer([&](const MessageBoxRequest&) {
          ++asked;
          end();
          return IDYES;
        });
        FocusList();
        Key(VK_DELETE);
        break;
      case OpenThing::PopupMenu:
        // The user then chooses Note Properties from the menu that is still open.
        WhileMenuOpen(end, true);
        RightClick(Row(L"kept"));
        break;
      case OpenThing::PrintDialog:
        SetPrintDialogAnswerer([&](HWND) {
          end();
          return true;
        });
        ChooseMenu(1, 0);
        break;
    }
    Pump(100);
    EXPECT_FALSE(testsupport::Watchdog::fired) << "something had to be ended by the watchdog";
  }
  ASSERT_TRUE(ended) << "the dialog, question or menu opened";
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(VantaroEngine, nullptr) << "the program shut down";
  EXPECT_EQ(NotesManagerForm, nullptr);
  EXPECT_FALSE(formAlive) << "the manager window went";
  EXPECT_FALSE(mainAlive) << "the main window went";
  if (thing == OpenThing::DeleteQuestion) {
    EXPECT_FALSE(FileExists(file)) << "the user's Yes holds, though the shut-down freed the note meanwhile";
  } else {
    ASSERT_TRUE(FileExists(file)) << "the note the shut-down saved is kept";
    const TNoteClass kept = notetest::LoadNote(file);
    EXPECT_EQ(kept.Title, L"kept") << "nothing written after the shut-down saved the note";
    EXPECT_NE(std::string(kept.Text.begin(), kept.Text.end()).find("typed"), std::string::npos);
  }
  EXPECT_EQ(asked, thing == OpenThing::DeleteQuestion ? 1 : 0);
  EXPECT_TRUE(testsupport::PrintedPages(testsupport::ReadPrinted(ps)).empty()) << "nothing printed after the end";
  Closing = false;
}

TEST_F(EndWhileOpenTest, CloseRequestInProperties) { Run(WM_CLOSEREQUEST, OpenThing::PropertiesDialog); }
TEST_F(EndWhileOpenTest, SessionEndInProperties) { Run(WM_QUERYENDSESSION, OpenThing::PropertiesDialog); }
TEST_F(EndWhileOpenTest, CloseRequestInDeleteQuestion) { Run(WM_CLOSEREQUEST, OpenThing::DeleteQuestion); }
TEST_F(EndWhileOpenTest, SessionEndInDeleteQuestion) { Run(WM_QUERYENDSESSION, OpenThing::DeleteQuestion); }
TEST_F(EndWhileOpenTest, CloseRequestInPopupMenu) { Run(WM_CLOSEREQUEST, OpenThing::PopupMenu); }
TEST_F(EndWhileOpenTest, SessionEndInPopupMenu) { Run(WM_QUERYENDSESSION, OpenThing::PopupMenu); }
TEST_F(EndWhileOpenTest, CloseRequestInPrintDialog) { Run(WM_CLOSEREQUEST, OpenThing::PrintDialog); }
TEST_F(EndWhileOpenTest, SessionEndInPrintDialog) { Run(WM_QUERYENDSESSION, OpenThing::PrintDialog); }

}  // namespace
