// Opening notes the way start-up does: the text in the note font whatever the file holds, the
// read-only state as the note says, and the save timer running once the window is open.
#include <richedit.h>

#include <algorithm>

#include "NoteTestEnv.h"

using namespace notetest;

namespace {

class NoteLoadTest : public NoteTest {};

CHARFORMAT2W FormatOfAll(TRichEdit* edit) {
  edit->SelectAll();
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(edit->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  edit->SetSelection(0, 0);
  return cf;
}

TEST_F(NoteLoadTest, TextWithoutFormattingTakesTheNoteFontNotTheControlsBoldDefault) {
  struct Case {
    const char* id;
    std::string text;
  } cases[] = {
      {"NPlain", "Buy milk\r\ncall the garage"},
      {"NBareRtf", "{\\rtf1\\ansi Buy milk\\par call the garage}"},
      {"NEmpty", ""},
  };
  for (const Case& c : cases) WriteNote(c.id, 100, 100, 180, 160, L"t", clNone, c.text);
  TNotesManager& m = Manager();
  const std::wstring face = AnsiToWide(NoteFont.FaceName());
  for (const Case& c : cases) {
    TNoteWrapper* w = FindNote(m, c.id);
    ASSERT_TRUE(w && w->Form) << c.id;
    for (int round = 0; round < 2; ++round) {
      // What the user types first takes the same format.
      SendMessageW(w->Form->NoteEdit->Handle(), WM_CHAR, L'z', 1);
      CHARFORMAT2W cf = FormatOfAll(w->Form->NoteEdit);
      EXPECT_FALSE(cf.dwEffects & CFE_BOLD) << c.id << (round ? " after a refresh" : " when opened");
      EXPECT_TRUE(cf.dwMask & CFM_BOLD) << c.id << ": one format over the whole text";
      EXPECT_EQ(std::wstring(cf.szFaceName), face) << c.id;
      EXPECT_EQ(static_cast<int>(cf.yHeight), NoteFont.Size * 20) << c.id;
      // A refresh loads the text again into a control that already holds it.
      w->UpdateFromForm();
      w->RefreshForm();
    }
  }
}

// (That every opened window arms its save timer the notes manager's test shows.)
TEST_F(NoteLoadTest, ReadOnlyNoteOpensReadOnlyAndStaysSoThroughARefresh) {
  TNoteClass n = WriteNote("NLocked", 120, 120, 180, 160, L"Locked", clNone, "{\\rtf1\\ansi Keep me}");
  n.SetReadOnly(true);
  WriteBytes(NoteFileName("NLocked"), EncodeNoteFile(n));
  TNoteWrapper* locked = FindNote(Manager(), "NLocked");
  ASSERT_TRUE(locked && locked->Form);
  auto readOnly = [&] { return (SendMessageW(locked->Form->NoteEdit->Handle(), EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0; };
  EXPECT_TRUE(readOnly()) << "as opened";
  locked->Form->ReadOnlyToggle->Execute();
  EXPECT_FALSE(readOnly()) << "unlocked through its action";
  locked->Form->ReadOnlyToggle->Execute();
  locked->RefreshForm();  // loads the text again
  EXPECT_TRUE(readOnly()) << "locked again, and through a refresh";
  TypeChar(locked->Form, L'x');
  testsupport::Pump(50);
  EXPECT_EQ(locked->Form->NoteEdit->Text(), L"Keep me");
}

TEST_F(NoteLoadTest, LoadedNotesStackInLoadOrderAndTheLastOneTakesTheKeys) {
  NoteTransparency = true;
  for (int i = 0; i < 4; ++i)
    WriteNote("NStack" + std::to_string(i), 100 + 40 * i, 100 + 30 * i, 180, 160, L"Stack " + std::to_wstring(i), clNone,
              "{\\rtf1\\ansi Note " + std::to_string(i) + "}");
  TNotesManager& m = Manager();
  ASSERT_EQ(m.Notes->Count(), 4);
  std::vector<HWND> windows;
  for (TNoteWrapper* w : m.Notes->List) {
    ASSERT_TRUE(w->Form);
    windows.push_back(w->Form->Handle());
    EXPECT_TRUE(IsWindowVisible(windows.back()));
  }
  // Each came up on top of those before it, in the order they were loaded.
  for (size_t i = 0; i < windows.size(); ++i)
    EXPECT_EQ(ZRank(windows[i], windows), static_cast<int>(windows.size() - 1 - i)) << "note " << i;
  // The last one loaded is the active note, opaque as an active note is, with the keys in its
  // text; the others are as deactivated ones are.
  TNoteForm* last = m.Notes->List.back()->Form;
  ASSERT_TRUE(testsupport::PumpUntil([&] { return GetFocus() == last->NoteEdit->Handle(); }));
  EXPECT_EQ(GetActiveWindow(), last->Handle());
  EXPECT_EQ(last->AlphaBlendValue(), 225);
  for (TNoteWrapper* w : m.Notes->List)
    if (w->Form != last) {
      EXPECT_EQ(w->Form->AlphaBlendValue(), 200);
    }
  TypeChar(last, L'k');
  testsupport::Pump(50);
  EXPECT_EQ(last->NoteEdit->Text(), L"kNote 3");
  testsupport::SaveScreenShot(L"notes-loaded-stack", RECT{80, 80, 460, 400});
}

}  // namespace
