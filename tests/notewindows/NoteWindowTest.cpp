#include <shlobj.h>

#include "NoteTestEnv.h"
#include "noteconf/NoteConfTestEnv.h"

using namespace notetest;
using testsupport::Pump;
using testsupport::PumpUntil;

namespace {

class NoteWindowTest : public NoteTest {};

TEST_F(NoteWindowTest, TypingIsSavedEverySecondWhileItGoesOnAndAfterThePause) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Typing");
  TNoteForm* f = w->Form;
  auto filed = [&] { return Trim(PlainText(LoadNote(w->FileName))); };
  // A key every 60 ms or so: the running save timer keeps its moment, so steady typing is saved
  // once a tick (a quarter of a second here, to spare real seconds), and the rest after the pause.
  f->UpdateTimer->SetInterval(250);
  std::wstring typed;
  Bytes seen;
  int saves = 0;
  const DWORD start = GetTickCount();
  // Counted in keys, not milliseconds: a key takes 60 ms at least, so 16 keys are four ticks or
  // more however slowly a busy machine runs the loop.
  int keysUnsaved = 0;
  for (int i = 0; i < 24; ++i) {
    typed += static_cast<wchar_t>(L'a' + i);
    TypeChar(f, typed.back());
    ++keysUnsaved;
    for (int k = 0; k < 3; ++k) {
      Pump(20);
      if (Bytes now = ReadBytes(w->FileName); now != seen) seen = now, ++saves, keysUnsaved = 0;
    }
    ASSERT_LT(keysUnsaved, 16) << "nothing saved for four ticks of steady typing, key " << i;
  }
  EXPECT_GE(saves, 3) << "saved while the typing went on";
  EXPECT_LE(saves, static_cast<int>((GetTickCount() - start) / 250 + 2)) << "at most one save a tick";
  EXPECT_EQ(f->NoteEdit->Text(), typed) << "the keys reached the editor";
  ASSERT_TRUE(PumpUntil([&] { return filed() == typed; })) << "the last keys not saved after the pause";
  EXPECT_FALSE(f->UpdateTimer->Enabled()) << "one save per pause";

  // While the program is starting, the timer keeps ticking without saving; without safe saving
  // only the record follows the window.
  auto typeAndTick = [&](wchar_t c) {
    TypeChar(f, c);
    Application->ProcessMessages();
    f->UpdateTimer->Tick();
  };
  Loading = true;
  typeAndTick(L'L');
  EXPECT_EQ(filed(), typed) << "saved while loading";
  EXPECT_TRUE(f->UpdateTimer->Enabled());
  Loading = false;
  f->UpdateTimer->Tick();
  EXPECT_EQ(filed(), typed + L"L") << "the first tick after start-up";
  SafeSave = false;
  typeAndTick(L'S');
  EXPECT_EQ(filed(), typed + L"L") << "the file keeps the last save";
  EXPECT_EQ(Trim(RichTextToPlainText(w->Note->Text)), typed + L"LS") << "the record follows";
}

TEST_F(NoteWindowTest, ReadOnlyNoteChangesByNoKeyButSelectsAndCopies) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Read only");
  TNoteForm* f = w->Form;
  f->NoteEdit->SetFocus();
  for (wchar_t c : std::wstring(L"fixed text")) TypeChar(f, c);
  Pump(30);
  ASSERT_EQ(f->NoteEdit->Text(), L"fixed text");
  ASSERT_TRUE(f->NoteEdit->CanUndo()) << "the typing can be undone";
  f->ReadOnlyToggle->Execute();
  ASSERT_TRUE(w->Note->GetReadOnly());
  w->Save();
  const Bytes saved = ReadBytes(w->FileName);
  const std::vector<std::uint8_t> rtf = f->NoteEdit->SaveToBytes();

  // The idle update of the actions.
  UINT_PTR wake = SetTimer(nullptr, 0, 20, nullptr);
  Application->ProcessMessages();
  for (int i = 0; i < 3; ++i) Application->HandleMessage();
  KillTimer(nullptr, wake);
  for (TAction* a : {f->Copy, f->SelectAll}) EXPECT_TRUE(a->Enabled()) << WideToUtf8(a->Name());
  for (TAction* a : {f->Undo, f->Cut, f->Paste, f->Delete, f->Font, f->Pain, f->Bold, f->Italic, f->Underline,
                     f->Strikeout})
    EXPECT_FALSE(a->Enabled()) << WideToUtf8(a->Name()) << " must be disabled";
  EXPECT_TRUE(f->ReadOnlyToggle->Checked());

  // Ctrl+A selects the whole text and Ctrl+C copies it (to a clipboard emptied first).
  if (OpenClipboard(nullptr)) EmptyClipboard(), CloseClipboard();
  {
    HeldKey ctrl(VK_CONTROL);
    PressKey(f, 'A');
    PressKey(f, 'C');
  }
  EXPECT_TRUE(f->NoteEdit->Selection().cpMin == 0 && f->NoteEdit->Selection().cpMax >= 10) << "Ctrl+A";

  // Every key that edits (Ctrl+V with the copied text), with and without a selection: none may
  // change the note.
  for (bool selected : {false, true}) {
    f->NoteEdit->SetSelection(selected ? 2 : 5, 5);
    const std::pair<int, std::vector<UINT>> presses[] = {
        {VK_CONTROL, {'Z', 'Y', 'V', 'X', 'B', 'I', 'U', 'E', 'R', 'L', 'J', '1', '2', '5', VK_DELETE, VK_BACK, VK_RETURN}},
        {VK_SHIFT, {VK_INSERT, VK_DELETE}},
        {0, {VK_DELETE, VK_BACK, VK_RETURN, VK_TAB, 'Q'}}};
    for (const auto& [modifier, keys] : presses)
      for (UINT vk : keys) {
        std::optional<HeldKey> held;
        if (modifier) held.emplace(modifier);
        PressKey(f, vk);
        SCOPED_TRACE(testing::Message() << "modifier " << modifier << " key " << vk << (selected ? ", selected" : ""));
        EXPECT_EQ(f->NoteEdit->Text(), L"fixed text");
        EXPECT_EQ(f->NoteEdit->SaveToBytes(), rtf);
      }
  }

  f->UpdateTimer->Tick();
  EXPECT_EQ(ReadBytes(w->FileName), saved) << "nothing new was saved";

  f->ReadOnlyToggle->Execute();
  f->NoteEdit->SelectAll();
  TypeChar(f, L'!');
  Pump(30);
  {
    HeldKey ctrl(VK_CONTROL);
    PressKey(f, 'V');
  }
  EXPECT_EQ(Trim(f->NoteEdit->Text()), L"!fixed text") << "writable again: the key replaces the selection; Ctrl+C had copied";
}

TEST_F(NoteWindowTest, MouseMovesAndSizesTheWindowAndTheFileFollows) {
  TNoteWrapper* w = OpenNote(200, 200, 180, 160, L"Drag me");
  TNoteForm* f = w->Form;
  Pump(100);

  // A press on the title with no button really held must not start the system's move loop.
  {
    testsupport::HangGuard guard(testsupport::kPatience, "a synthetic press on the title");
    SendMessageW(f->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 6));
    SendMessageW(f->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 6));
  }
  EXPECT_EQ(ScreenRect(f->Handle()).left, 200);

  if (!HaveXdotool()) GTEST_SKIP() << "xdotool is not installed: the real mouse cannot be driven";
  auto at = [&] {
    RECT r = ScreenRect(f->Handle());
    return std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  ASSERT_TRUE(StartXdotool(XDrag(1, 260, 206, 320, 266)));
  ASSERT_TRUE(PumpUntil([&] { return at() == std::vector<LONG>{260, 260, 180, 160}; }))
      << "dragging the title moves the window";
  Pump(300);  // the button comes up
  RECT r = ScreenRect(f->Handle());
  ASSERT_TRUE(StartXdotool(XDrag(1, r.right - 2, r.bottom - 2, r.right + 38, r.bottom + 28)));
  ASSERT_TRUE(PumpUntil([&] { return at() == std::vector<LONG>{260, 260, 220, 190}; }))
      << "dragging the corner sizes the window";
  EXPECT_EQ(f->Sizer->Left(), f->ClientWidth() - 3) << "the layout follows";
  f->UpdateTimer->Tick();
  const TNoteClass moved = LoadNote(w->FileName);
  EXPECT_TRUE(moved.Left == 260 && moved.Top == 260 && moved.Width == 220 && moved.Height == 190)
      << "the new bounds reach the file at the save timer's tick";

  // The right button moves the note too, and lets go of it when that button comes up: the pointer
  // moving on leaves the note where it is. (The left click ends a move that would never let go.)
  ASSERT_TRUE(StartXdotool(XDrag(3, 320, 266, 370, 306) + L" sleep 0.3 mousemove 570 456 sleep 0.2 "
                                                        L"mousemove 600 500 sleep 0.6 click 1"));
  ASSERT_TRUE(PumpUntil([&] { return at() == std::vector<LONG>{310, 300, 220, 190}; }))
      << "dragging the title with the right button moves the window";
  Pump(2000);
  EXPECT_EQ(at(), (std::vector<LONG>{310, 300, 220, 190})) << "the note stays where the right button came up";
}

TEST_F(NoteWindowTest, RollUpAndAlwaysOnTop) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Roll me");
  TNoteForm* f = w->Form;
  HWND h = f->Handle();

  f->ReduceToggle->Execute();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(h, rgn), ERROR) << "rolled up: a region";
  RECT box;
  GetRgnBox(rgn, &box);
  EXPECT_EQ((std::vector<LONG>{box.left, box.top, box.right, box.bottom}), (std::vector<LONG>{0, 0, 200, 13}))
      << "the title bar only, full width";
  EXPECT_EQ(ScreenRect(f->Handle()).bottom - ScreenRect(f->Handle()).top, 160) << "the window keeps its size";
  auto doubleClickTitle = [h] {
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, 6));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(60, 6));
  };
  doubleClickTitle();
  EXPECT_EQ(GetWindowRgn(h, rgn), ERROR) << "a double-click on the title unrolls";
  EXPECT_FALSE(w->Note->GetReduced());
  doubleClickTitle();
  EXPECT_NE(GetWindowRgn(h, rgn), ERROR) << "and rolls up again";
  DeleteObject(rgn);

  auto topmost = [h] { return (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  f->ONTop->Execute();
  EXPECT_TRUE(w->Note->GetAlwaysOnTop() && topmost()) << "always on top";
  f->ONTop->Execute();
  EXPECT_FALSE(topmost()) << "and back";
  EXPECT_EQ(GetWindow(h, GW_OWNER), Application->Handle()) << "still owned by the application";
}

TEST_F(NoteWindowTest, CloseAnimationFadesOrShrinksOnlyWhenItShould) {
  NoteAnimations = true;
  NoteTransparency = true;
  TNoteWrapper* a = OpenNote(100, 100, 160, 160, L"Active");
  TNoteWrapper* b = OpenNote(300, 100, 160, 160, L"Inactive");
  a->ShowNote();
  Pump(50);
  ASSERT_EQ(a->Form->AlphaBlendValue(), 225) << "an active note is less translucent";
  ASSERT_EQ(b->Form->AlphaBlendValue(), 200);

  // The inactive one first (closing the active one would activate the other). The fade runs on
  // its timer; the close box, Alt+F4 and the system's close arrive once more while it fades:
  // the first close ends it.
  TNoteForm* fb = b->Form;
  fb->NoteEdit->SetText(L"faded out");
  const HWND hb = fb->Handle();
  SendMessageW(hb, WM_CLOSE, 0, 0);
  ASSERT_TRUE(fb->AnimationTimer->Enabled()) << "the close started the fade";
  for (int i = 0; i < 5; ++i) fb->AnimationTimer->Tick();
  PostMessageW(hb, WM_CLOSE, 0, 0);
  PostMessageW(hb, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(fb->NoteEdit->Handle(), WM_SYSKEYDOWN, VK_F4, 1 | KF_ALTDOWN << 16);
  Application->ProcessMessages();
  ASSERT_TRUE(IsWindow(hb)) << "freed inside its own close";
  FinishAnimation(fb);
  std::vector<int> fade200;
  for (int v = 190; v >= 10; v -= 10) fade200.push_back(v);
  EXPECT_EQ(fb->AnimationSteps, fade200) << "one fade, to its end";
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hb); }));
  EXPECT_EQ(b->Form, nullptr);
  TNoteClass saved = LoadNote(b->FileName);
  EXPECT_TRUE(saved.GetHidden() && Trim(PlainText(saved)) == L"faded out");
  TNoteForm* fa = a->Form;
  fa->CloseNote();
  FinishAnimation(fa);
  EXPECT_EQ(fa->AnimationSteps.size(), 21u) << "215 down to 15";

  NoteTransparency = false;
  TNoteForm* fn = OpenNote(100, 300, 85, 120, L"Narrow")->Form;
  fn->CloseNote();
  FinishAnimation(fn);
  EXPECT_EQ(fn->AnimationSteps, std::vector<int>{72}) << "a window under 90 pixels shrinks once";
  TNoteForm* fw = OpenNote(300, 300, 160, 120, L"Shut down")->Form;
  Closing = true;
  fw->CloseNote();
  EXPECT_FALSE(fw->AnimationTimer->Enabled());
  EXPECT_TRUE(fw->AnimationSteps.empty()) << "no animation while shutting down";
  Closing = false;
}

// Whatever fills the window again from the note leaves the caret, the selection and the scroll
// position where they were: the next keys land where the user was typing.
TEST_F(NoteWindowTest, RefreshesKeepTheCaretSelectionAndScrollPosition) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Long");
  TNoteForm* f = w->Form;
  std::wstring text;
  for (int i = 0; i < 80; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
  f->NoteEdit->SetText(text);
  auto dialog = [&](bool ok) {
    noteconftest::RunDialogBy([&] { f->CustomizeAction->Execute(); },
                              [ok](TNoteConf& d) { (ok ? d._ok : d._cancel)->Click(); });
  };
  const std::vector<std::pair<const char*, std::function<void()>>> refreshes{
      {"always on top", [&] { f->ONTop->Execute(); }},
      {"properties OK", [&] { dialog(true); }},
      {"properties Cancel", [&] { dialog(false); }},
      {"a dropped file", [&] { f->FilesDropped({}); }},
  };
  for (int at = 300; const auto& [what, refresh] : refreshes) {
    f->NoteEdit->SetSelection(at, at + 3);
    f->NoteEdit->SetScrollPosition({0, 200});
    const int scrolled = f->NoteEdit->ScrollPosition().y;
    ASSERT_GT(scrolled, 0);
    refresh();
    ASSERT_EQ(w->Form, f) << what;
    EXPECT_TRUE(f->NoteEdit->Selection().cpMin == at && f->NoteEdit->Selection().cpMax == at + 3) << what;
    EXPECT_EQ(f->NoteEdit->ScrollPosition().y, scrolled) << what;
    TypeChar(f, L'#');
    Pump(20);
    EXPECT_EQ(f->NoteEdit->Selection().cpMin, at + 1) << what << ": the key replaced the selection";
    at += 20;
  }
}

TEST_F(NoteWindowTest, AClickOpensOnlyWebAddressesAndALinkedFileThatRunsOnlyWhenTheUserSaysSo) {
  std::vector<std::wstring> opened;
  SetShellOpenHook([&](const std::wstring& target) { opened.push_back(target); });
  TNoteWrapper* w = OpenNote(100, 100, 400, 300, L"Links");
  TNoteForm* f = w->Form;
  const std::vector<std::wstring> lines{L"http://example.com/a",  L"file:///C:/windows/notepad.exe",
                                        L"https://example.com/b", L"telnet://host",
                                        L"www.example.org",       L"news:comp.lang",
                                        L"mailto:anna@example.com", L"ftp://example.net/c",
                                        L"www.evil.bat"};
  std::wstring text;
  for (const std::wstring& l : lines) text += l + L"\r\n";
  f->NoteEdit->SetText(text);
  Pump(50);
  HWND edit = f->NoteEdit->Handle();
  auto press = [&](int line, UINT msg, WPARAM keys) {
    POINTL p{};
    SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), SendMessageW(edit, EM_LINEINDEX, line, 0) + 3);
    PostMessageW(edit, msg, keys, MAKELPARAM(p.x + 2, p.y + 4));
    Pump(30);
  };
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    press(i, WM_LBUTTONDOWN, MK_LBUTTON);
    press(i, WM_LBUTTONUP, 0);
  }
  press(0, WM_RBUTTONDOWN, MK_RBUTTON);  // (its release would open the edit menu)
  // An address without its scheme is opened as the web address it is, never as a file.
  EXPECT_EQ(opened, (std::vector<std::wstring>{lines[0], lines[2], L"http://" + lines[4], lines[6], lines[7],
                                               L"http://" + lines[8]}))
      << "web addresses only, and only by the left button";

  // The link button: a file that would run is opened only after a question that names it.
  wchar_t pathExt[1024] = L"";
  GetEnvironmentVariableW(L"PATHEXT", pathExt, 1024);
  SetEnvironmentVariableW(L"PATHEXT", L".COM;.EXE;.BAT;.CMD;.XYZ");
  // The system runs a program by its content, and tries a name without an extension as one.
  const Bytes plain{'@'}, program{'M', 'Z', 0x90, 0}, lowerCase{'m', 'z', 0x90, 0};
  struct Row {
    const wchar_t* name;
    const Bytes& bytes;
    int answer;  // 0: no question is asked
  } rows[] = {{L"list.txt", plain, 0},       {L"run.bat", plain, IDNO},   {L"run.CMD", plain, IDYES},
              {L"tool.xyz", plain, IDNO},    {L"page.hta", plain, IDNO},  {L"noext", plain, IDNO},
              {L"dotted.", plain, IDYES},    {L"evil.txt", program, IDNO}, {L"mz.txt", lowerCase, 0}};
  for (const Row& row : rows) {
    const std::wstring file = NotesFolder + row.name;
    WriteBytes(file, row.bytes);
    w->Note->LinkedFile = file;
    opened.clear();
    boxes.clear();
    RecordBoxes([&](const MessageBoxRequest&) { return row.answer; });
    f->LinkButton->Click();
    EXPECT_EQ(boxes.size(), row.answer ? 1u : 0u) << WideToUtf8(row.name);
    if (!boxes.empty()) {
      EXPECT_NE(boxes[0].find(file), std::wstring::npos) << WideToUtf8(boxes[0]);
    }
    EXPECT_EQ(opened, row.answer == IDNO ? std::vector<std::wstring>{} : std::vector<std::wstring>{file})
        << WideToUtf8(row.name);
  }
  SetEnvironmentVariableW(L"PATHEXT", pathExt);
  SetShellOpenHook({});
}

// An HDROP as the shell makes it for a drop on the window.
HGLOBAL MakeDrop(const std::vector<std::wstring>& files) {
  size_t chars = 1;
  for (const auto& f : files) chars += f.size() + 1;
  HGLOBAL h = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* df = static_cast<DROPFILES*>(GlobalLock(h));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = TRUE;
  auto* p = reinterpret_cast<wchar_t*>(df + 1);
  for (const auto& f : files) {
    std::copy(f.begin(), f.end(), p);
    p += f.size() + 1;
  }
  GlobalUnlock(h);
  return h;
}

TEST_F(NoteWindowTest, DroppedFileBecomesTheLink) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Drop");
  TNoteForm* f = w->Form;
  Pump(100);
  EXPECT_EQ(f->LinkButton->Top(), -25) << "no link: the button is out of sight";
  EXPECT_EQ(ScreenPixel(100 + 200 - 20, 100 + 5), 0x00ECECu) << "no page glyph";

  std::wstring first = NotesFolder + L"first.txt", second = NotesFolder + L"second.txt";
  WriteBytes(first, {'1'});
  WriteBytes(second, {'2'});
  ForceDirectories(NotesFolder + L"Sub");
  PostMessageW(f->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({NotesFolder + L"Sub"})), 0);
  Pump(100);
  EXPECT_TRUE(w->Note->LinkedFile.empty()) << "a folder links nothing";

  // Typed just before the drop, within the second before the edit-pause copy.
  TypeChar(f, L'Z');
  PostMessageW(f->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({first, second, NotesFolder + L"x"})),
               0);
  ASSERT_TRUE(PumpUntil([&] { return !w->Note->LinkedFile.empty(); }));
  EXPECT_EQ(w->Note->LinkedFile, first) << "only the first of three";
  EXPECT_TRUE(f->LinkButton->Enabled() && f->LinkButton->Top() == 1 && f->LinkButton->Left() == 200 - 25);
  EXPECT_EQ(f->NoteEdit->Text(), L"Z") << "the drop keeps what was just typed";
  Pump(100);
  EXPECT_EQ(ScreenPixel(100 + 200 - 20, 100 + 5), 0x00FFFFu) << "the page glyph, in the note colour";
  EXPECT_EQ(ScreenPixel(100 + 200 - 23, 100 + 5), 0u) << "its outline";
  f->UpdateTimer->Tick();
  EXPECT_EQ(LoadNote(w->FileName).LinkedFile, first) << "saved at the save timer's tick";
}

TEST_F(NoteWindowTest, Screenshots) {
  TNoteWrapper* plain = OpenNote(20, 20, 180, 150, L"Yellow note");
  plain->Form->NoteEdit->SetText(L"Buy milk\r\nCall Anna at 5\r\nhttp://example.com");
  TNoteWrapper* green = OpenNote(220, 20, 180, 150, L"Green, linked", 0xC0FFC0);
  std::wstring linked = NotesFolder + L"plan.txt";
  WriteBytes(linked, {'p'});
  green->Note->LinkedFile = linked;
  green->RefreshForm();
  green->Form->NoteEdit->SetText(L"A linked file: the page glyph sits left of the close box.");
  TNoteWrapper* pink = OpenNote(420, 20, 180, 150, L"Rolled up", 0xE0C0FF);
  pink->Form->NoteEdit->SetText(L"hidden under the title");
  pink->Form->ReduceToggle->Execute();
  Pump(300);
  EXPECT_TRUE(testsupport::SaveScreenShot(L"notewindows-notes", RECT{0, 0, 620, 200}));
  EXPECT_EQ(ScreenPixel(220 + 10, 20 + 140), 0xC0FFC0u) << "the green note's body";
  EXPECT_EQ(ScreenPixel(420 + 10, 20 + 8), 0x00ECECu) << "the rolled-up note's title";
  EXPECT_NE(ScreenPixel(420 + 10, 20 + 140), 0xE0C0FFu) << "nothing of the rolled-up note below its title";
}

}  // namespace
