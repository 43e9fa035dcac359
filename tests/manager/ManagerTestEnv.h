#pragma once
// What the notes manager suites share: an engine with its notes manager over a fresh user
// folder, notes written with the fields a test needs, and the window driven by real messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "notewindows/NoteTestEnv.h"
#include "notewindows/frmNotesManagerForm.h"
#include "shell/VantaroEngineUnit.h"
#include "ui/Clock.h"
#include "ui/Registry.h"

namespace managertest {

using testsupport::Pump;

struct NoteSpec {
  NoteSpec(std::wstring title, std::wstring group = L"", TDateTime alarm = 0, TDateTime autoShow = 0, bool onTop = false,
           bool reduced = false, bool hidden = true, std::string text = "")
      : Title(std::move(title)), Group(std::move(group)), Alarm(alarm), AutoShow(autoShow), OnTop(onTop),
        Reduced(reduced), Hidden(hidden), Text(std::move(text)) {}
  std::wstring Title;
  std::wstring Group;
  TDateTime Alarm;     // 0: no alarm
  TDateTime AutoShow;  // 0: none pending
  bool OnTop, Reduced, Hidden;  // hidden: the note's window is closed
  std::string Text;
};

class ManagerTest : public notetest::NoteTest {
 protected:
  void SetUp() override {
    NoteTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Belvanto\\VxVantaro\\NotesManagerWin");
  }
  void TearDown() override {
    if (VantaroEngine) {
      TVantaroEngine* e = VantaroEngine;
      VantaroEngine = nullptr;
      delete e;
    }
    Pump(20);
    NotesManagerForm = nullptr;
    form = nullptr;
    NoteTest::TearDown();
  }

  // Writes the notes' files (in this order of identifiers), then builds the engine, which loads them.
  void Start(const std::vector<NoteSpec>& specs = {}) {
    WriteNotes(specs);
    VantaroEngine = new TVantaroEngine;
    VantaroEngine->NotesManager = new TNotesManager;
    // The folder is read in the file system's order; the tests want the order of the table.
    auto& list = VantaroEngine->NotesManager->Notes->List;
    std::sort(list.begin(), list.end(), [](TNoteWrapper* a, TNoteWrapper* b) { return a->ID < b->ID; });
  }
  void WriteNotes(const std::vector<NoteSpec>& specs) {
    int i = 0;
    for (const NoteSpec& s : specs) {
      char id[16];
      wsprintfA(id, "N%04X", 0x1000 + i++);
      TNoteClass n(id);
      n.Left = 300, n.Top = 40 + 10 * (i % 20), n.Width = 180, n.Height = 120;
      n.Title = s.Title, n.Group = s.Group;
      n.AlarmOn = s.Alarm != 0, n.AlarmAt = s.Alarm;
      n.AutoShowPending = s.AutoShow != 0, n.ShowAt = s.AutoShow;
      n.SetAlwaysOnTop(s.OnTop), n.SetReduced(s.Reduced), n.SetHidden(s.Hidden);
      n.Text.assign(s.Text.begin(), s.Text.end());
      notetest::WriteBytes(NoteFileName(id), EncodeNoteFile(n));
    }
    // Alarms and auto-show moments lie ahead: nothing fires by itself.
    SetNowOverride(EncodeDateTime(2020, 1, 1));
  }
  TNotesManager& Notes() { return *VantaroEngine->NotesManager; }

  TNotesManagerForm* Open() {
    VantaroEngine->ShowNotesManager();
    form = NotesManagerForm;
    Pump(30);
    return form;
  }

  // Note rows from the top, by title.
  std::vector<std::wstring> Titles() {
    std::vector<std::wstring> t;
    for (TGridNode* n : form->NoteViewer->Rows())
      if (n->Kind == nkNote) t.push_back(static_cast<TNoteWrapper*>(n->Data)->Note->Title);
    return t;
  }
  std::vector<std::wstring> Folders() {
    std::vector<std::wstring> t;
    for (TGridNode* n : form->NotesFolders->Rows())
      t.push_back(form->NotesFolders->Source->GetText(form->NotesFolders, n, 0));
    return t;
  }
  TGridNode* Row(const std::wstring& title) {
    for (TGridNode* n : form->NoteViewer->Rows())
      if (n->Kind == nkNote && static_cast<TNoteWrapper*>(n->Data)->Note->Title == title) return n;
    return nullptr;
  }
  TNoteWrapper* Note(const std::wstring& title) {
    for (TNoteWrapper* w : Notes().Notes->List)
      if (w->Note->Title == title) return w;
    return nullptr;
  }

  // A real click: the button goes down and up at the middle of the cell.
  static void Click(TTreeGrid* grid, TGridNode* node, int column = 0, bool dbl = false) {
    RECT r = grid->CellRect(node, column);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, at);
    if (dbl) {
      SendMessageW(grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, at);
    }
    Pump(20);
  }
  void ClickFolder(int row) { Click(form->NotesFolders, form->NotesFolders->Rows().at(row)); }
  // A click on a column's header.
  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(form->NoteViewer->Handle(), LVM_GETHEADER, 0, 0));
    RECT r;
    SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
    Pump(20);
  }
  // A key as the user presses it in the focused window: through the message loop, so the
  // window's shortcuts see it first.
  static void Key(WPARAM vk) {
    HWND target = GetFocus();
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    Pump(30);
  }
  static void Type(HWND target, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(target, WM_CHAR, c, 1);
    Pump(30);
  }
  // Ctrl and a letter in the note list.
  void CtrlKey(char letter) {
    FocusList();
    notetest::HeldKey ctrl(VK_CONTROL);
    Key(letter);
  }
  // Picks an entry of the window's menu bar as the user would.
  void ChooseMenu(int top, int item) {
    HWND h = form->Handle();
    HMENU sub = GetSubMenu(GetMenu(h), top);
    SendMessageW(h, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), top);
    const UINT id = GetMenuItemID(sub, item);
    ASSERT_NE(id, static_cast<UINT>(-1)) << "menu " << top << " item " << item;
    SendMessageW(h, WM_COMMAND, id, 0);
    Pump(30);
  }
  // Focuses the window's note list, as a click into it would.
  void FocusList() {
    SetForegroundWindow(form->Handle());
    SetFocus(form->NoteViewer->Handle());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return GetFocus() == form->NoteViewer->Handle(); }));
  }

  TNotesManagerForm* form = nullptr;
};

}  // namespace managertest
