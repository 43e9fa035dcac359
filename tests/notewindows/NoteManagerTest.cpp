#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstring>
#include <stdexcept>

#include "NoteTestEnv.h"

using namespace notetest;
using testsupport::Pump;

namespace {

// A note file of the oldest layout (version 0): bounds, creation date (here 0), text.
Bytes VersionZeroFile(const std::string& text) {
  Bytes b(27, 0);
  const std::uint16_t bounds[4] = {40, 50, 170, 150};
  std::memcpy(b.data() + 1, bounds, sizeof bounds);
  const std::int32_t n = static_cast<std::int32_t>(text.size());
  b.insert(b.end(), reinterpret_cast<const std::uint8_t*>(&n), reinterpret_cast<const std::uint8_t*>(&n) + 4);
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

class NoteManagerTest : public NoteTest {};

TEST_F(NoteManagerTest, LoadsEveryVersionAndNeverWritesACorruptedNote) {
  WriteBytes(NoteFileName("NZero"), VersionZeroFile("version zero"));
  WriteNote("abc", 640, 50, 190, 170, L"Current", 0xFFD0D0, "{\\rtf1 version three\\par}");
  TNoteClass hidden = WriteNote("NHidden", 40, 300, 160, 160, L"Hidden");
  hidden.SetHidden(true);
  WriteBytes(NoteFileName("NHidden"), EncodeNoteFile(hidden));
  Bytes broken = EncodeNoteFile(WriteNote("NBroken", 40, 300, 160, 160, L"A title long enough to be cut"));
  broken.resize(45);  // ends inside the title
  WriteBytes(NoteFileName("NBroken"), broken);
  WriteBytes(NoteFileName("NEmpty"), {});
  WriteBytes(NoteFileName("NFuture"), {7, 1, 2, 3});
  ForceDirectories(NotesFolder + L"NFolder.vxn");  // a folder with a note's name is no note

  RecordBoxes([](const MessageBoxRequest& r) { return (r.Flags & MB_YESNO) ? IDNO : IDOK; });
  TNotesManager& m = Manager();

  std::vector<std::string> expected;  // the folder's order
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(NotesFolder)))
    if (e.is_regular_file() && e.path().extension() == ".vxn") expected.push_back(e.path().stem().string());
  ASSERT_EQ(m.Notes->Count(), 6);
  for (int i = 0; i < m.Notes->Count(); ++i) EXPECT_EQ(m.Notes->Items(i)->ID, expected[i]) << "folder order, " << i;
  std::vector<std::wstring> questions;
  for (const std::string& id : expected)
    if (id == "NEmpty" || id == "NFuture")
      questions.push_back(id == "NEmpty" ? L"Cannot load note"
                                         : L"Note NFuture.vxn Was saved with a newer version of Vantaro Delete it?");
  // The first line of each box; the empty file's names the file.
  std::vector<std::wstring> firstLines;
  for (const std::wstring& b : boxes) firstLines.push_back(b.substr(0, b.find(L'\n')));
  EXPECT_EQ(firstLines, questions);
  EXPECT_TRUE(std::any_of(boxes.begin(), boxes.end(),
                          [](const std::wstring& b) { return b.find(NoteFileName("NEmpty")) != std::wstring::npos; }));
  EXPECT_TRUE(FileExists(NoteFileName("NFuture"))) << "answered No: kept";

  // (Each old layout's fields are read as the note file tests show; here they open as notes.)
  for (const auto& [id, text] : {std::pair{"NZero", L"version zero"}, std::pair{"abc", L"version three"}}) {
    TNoteWrapper* w = FindNote(m, id);
    ASSERT_TRUE(w && w->Form) << id << " opens";
    EXPECT_EQ(Trim(w->Form->NoteEdit->Text()), text) << id;
  }
  EXPECT_EQ(FindNote(m, "NHidden")->Form, nullptr) << "a hidden note gets no window";
  std::vector<std::pair<std::string, Bytes>> corrupted;
  for (const char* id : {"NBroken", "NEmpty", "NFuture"}) {
    TNoteWrapper* w = FindNote(m, id);
    EXPECT_TRUE(w->Corrupted && w->Form == nullptr && w->Note->Title == L"Corrupted Note") << id;
    corrupted.emplace_back(id, ReadBytes(NoteFileName(id)));
  }

  boxes.clear();
  FindNote(m, "NBroken")->ShowNote();
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Corrupted Note: NBroken"}) << "and shows no window";

  m.SaveAll();
  m.CloseAll();
  for (auto& [id, bytes] : corrupted)
    EXPECT_EQ(ReadBytes(NoteFileName(id)), bytes) << id << ": a corrupted note's file is never written";
  EXPECT_EQ(ReadBytes(NoteFileName("NZero")).at(0), 3) << "an old note is written in the current format";
}

TEST_F(NoteManagerTest, FileNamesOutsideTheCodePageAreNeverLoadedNorWritten) {
  // "Na" is a note of its own; the a with macron best-fits to a plain a in code page 1252, and
  // Hebrew letters have no 8-bit form there at all.
  auto write = [](const std::wstring& name, const std::string& text) {
    TNoteClass n("x");
    n.Text.assign(text.begin(), text.end());
    WriteBytes(NotesFolder + name, EncodeNoteFile(n));
    return ReadBytes(NotesFolder + name);
  };
  const std::wstring macron = L"N\u0101.vxn", hebrew = L"\u05E9\u05DC\u05D5\u05DD.vxn";
  const Bytes plain = write(L"Na.vxn", "plain"), withMacron = write(macron, "macron"),
              inHebrew = write(hebrew, "shalom"), nameless = write(L".vxn", "nameless");
  TNotesManager& m = Manager();
  ASSERT_EQ(m.Notes->Count(), 3) << "a file named only .vxn is left alone";
  std::vector<std::wstring> files;
  for (TNoteWrapper* w : m.Notes->List) files.push_back(w->FileName);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::wstring>{NotesFolder + L"Na.vxn", NotesFolder + macron, NotesFolder + hebrew}))
      << "one wrapper per file";
  for (TNoteWrapper* w : m.Notes->List) {
    const bool ours = w->FileName == NotesFolder + L"Na.vxn";
    EXPECT_TRUE(w->Corrupted != ours && w->IsOpen() == ours) << WideToUtf8(w->FileName);
  }

  m.CloseAll();
  manager.reset();
  EXPECT_EQ(ReadBytes(NotesFolder + macron), withMacron);
  EXPECT_EQ(ReadBytes(NotesFolder + hebrew), inHebrew);
  EXPECT_EQ(ReadBytes(NotesFolder + L".vxn"), nameless);
  EXPECT_EQ(Trim(PlainText(LoadNote(NotesFolder + L"Na.vxn"))), L"plain");

  // Deleting such a note deletes its own file and no other.
  TNotesManager& again = Manager();
  ASSERT_EQ(again.Notes->Count(), 3) << "no new note at the next start either";
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDYES; });
  EXPECT_TRUE(again.DeleteNote(*std::find_if(again.Notes->List.begin(), again.Notes->List.end(),
                                             [&](TNoteWrapper* w) { return w->FileName == NotesFolder + macron; }),
                               true));
  EXPECT_FALSE(FileExists(NotesFolder + macron));
  EXPECT_TRUE(FileExists(NotesFolder + L"Na.vxn"));
}

// Makes the next count note windows fail to be created, as when the system is out of windows.
class RefuseNoteWindows {
 public:
  explicit RefuseNoteWindows(int count) : hook_(SetWindowsHookExW(WH_CBT, Refuse, nullptr, GetCurrentThreadId())) {
    remaining_ = count;
  }
  ~RefuseNoteWindows() { UnhookWindowsHookEx(hook_); }

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wp, LPARAM lp) {
    wchar_t cls[32] = L"";
    if (code == HCBT_CREATEWND && remaining_ > 0 && GetClassNameW(reinterpret_cast<HWND>(wp), cls, 32) &&
        std::wcscmp(cls, L"TNoteForm") == 0) {
      --remaining_;
      return 1;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline int remaining_ = 0;
  HHOOK hook_;
};

TEST_F(NoteManagerTest, NoteWhoseWindowCannotBeMadeStaysListedAndClosed) {
  const TDateTime t = EncodeDateTime(2026, 5, 6, 7, 8);
  SetNowOverride(t);
  WriteNote("NRinging", 100, 100, 160, 160, L"No window");
  {
    RefuseNoteWindows refuse(1);
    ASSERT_EQ(Manager().Notes->Count(), 1) << "listed all the same";
  }
  TNoteWrapper* w = manager->Notes->Items(0);
  EXPECT_TRUE(w->Form == nullptr && !w->Corrupted);
  auto noteWindows = [] {
    int n = 0;
    for (TForm* f : Application->Forms())
      if (auto* nf = dynamic_cast<TNoteForm*>(f)) {
        ++n;
        EXPECT_TRUE(nf->Wrapper == nullptr || nf->Wrapper->Form == nf) << "a window pointing at a note not its own";
      }
    return n;
  };
  noteWindows();
  testsupport::Pump(50);
  EXPECT_EQ(noteWindows(), 0) << "the half-made window is freed";

  // Its alarm fails to show it again; the next note's auto-show still runs in the same tick.
  w->Note->AlarmOn = true;
  w->Note->AlarmAt = t - 1;
  TNoteWrapper* later = OpenNote(300, 100, 160, 160, L"Later");
  later->HideUntil(t + 1.0 / 1440);
  ASSERT_FALSE(later->IsOpen());
  SetNowOverride(t + 2.0 / 1440);
  {
    RefuseNoteWindows refuse(1);
    EXPECT_NO_THROW(manager->CheckTimers());
  }
  EXPECT_FALSE(w->IsOpen());
  EXPECT_TRUE(later->IsOpen()) << "shown once due";
  testsupport::Pump(50);
  EXPECT_EQ(noteWindows(), 1);
  w->ShowNote();
  ASSERT_NE(w->Form, nullptr) << "opens once windows can be made";
  EXPECT_EQ(w->Form->Name(), L"NRinging");
}

TEST_F(NoteManagerTest, StoredBoundsOpenAtTheMinimumSizeAndOnAScreen) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  struct Case {
    const char* id;
    int left, top, width, height;
    RECT expected;
  };
  const Case cases[] = {
      {"NSmall", 100, 120, 10, 79, {100, 120, 180, 200}},
      {"NNegative", 300, 120, -40, -1, {300, 120, 380, 200}},
      {"NZero", 500, 120, 0, 0, {500, 120, 580, 200}},
      {"NFarRight", work.right + 3000, 200, 160, 150, {work.right - 160, 200, work.right, 350}},
      {"NFarAway", work.left - 900, work.bottom + 50, 170, 140, {work.left, work.bottom - 140, work.left + 170, work.bottom}},
      {"NTinyAway", -5000, -5000, 5, 5, {work.left, work.top, work.left + 80, work.top + 80}},
      {"NPartly", work.right - 40, 300, 160, 150, {work.right - 40, 300, work.right + 120, 450}},
  };
  for (const Case& c : cases) WriteNote(c.id, c.left, c.top, c.width, c.height, AnsiToWide(c.id));
  TNotesManager& m = Manager();
  for (const Case& c : cases) {
    TNoteWrapper* w = FindNote(m, c.id);
    ASSERT_TRUE(w && w->Form) << c.id;
    RECT r;
    GetWindowRect(w->Form->Handle(), &r);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
        << c.id;
  }
}

// A note file is written only when the note changed: not by the save timers after start-up, nor
// at exit; a note changed before the exit is written once. Told by the files' last-write times,
// set back an hour before each step.
TEST_F(NoteManagerTest, OnlyChangedNotesAreWrittenAndOnceAtExit) {
  std::vector<std::string> ids{"NAAA0", "NAAA1", "NAAA2", "NAAA3"};
  for (size_t i = 0; i < ids.size(); ++i) {
    TNoteClass n = WriteNote(ids[i], 100 + 200 * int(i), 100, 180, 150, L"Note", clNone, "{\\rtf1 text\\par}");
    n.SetHidden(i == 3);
    WriteBytes(NoteFileName(ids[i]), EncodeNoteFile(n));
  }
  // Each file's last-write time, set an hour back before the start so that any write shows,
  // however soon it follows; afterwards only read (a file changed behind the program's back is
  // written again). changedFiles names those written since the last look.
  // (Read to the system's 100 ns: the standard library's time here has whole seconds.)
  std::vector<std::uint64_t> before(ids.size());
  auto file = [&](size_t i) { return std::filesystem::path(NoteFileName(ids[i])); };
  auto writtenAt = [&](size_t i) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    EXPECT_TRUE(GetFileAttributesExW(NoteFileName(ids[i]).c_str(), GetFileExInfoStandard, &a));
    return (std::uint64_t(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
  };
  auto look = [&] {
    for (size_t i = 0; i < ids.size(); ++i) before[i] = writtenAt(i);
  };
  for (size_t i = 0; i < ids.size(); ++i)
    std::filesystem::last_write_time(file(i), std::filesystem::last_write_time(file(i)) - std::chrono::hours(1));
  auto changedFiles = [&] {
    std::vector<std::string> changed;
    for (size_t i = 0; i < ids.size(); ++i)
      if (writtenAt(i) != before[i]) changed.push_back(ids[i]);
    return changed;
  };
  const std::vector<std::string> none;
  look();
  TNotesManager& m = Manager();
  // Every open note's save timer runs once after start-up: nothing to write.
  for (TNoteWrapper* w : m.Notes->List)
    if (w->Form) {
      ASSERT_TRUE(w->Form->UpdateTimer->Enabled()) << w->ID;
      w->Form->UpdateTimer->Tick();
    }
  m.CheckTimers();
  EXPECT_EQ(changedFiles(), none) << "written after start-up without a change";

  // Every kind of change is written (as its bytes differ), at the next save.
  TNoteWrapper* w = FindNote(m, "NAAA0");
  TNoteForm* f = w->Form;
  const std::vector<std::pair<const char*, std::function<void()>>> changes{
      {"typed", [&] { TypeChar(f, L'x'); }},
      {"bold",
       [&] {
         f->NoteEdit->SelectAll();
         f->Bold->Execute();
       }},
      {"undone", [&] { f->Undo->Execute(); }},
      {"moved", [&] { f->SetBounds(150, 120, 180, 150); }},
      {"made read-only", [&] { f->ReadOnlyToggle->Execute(); }},
  };
  for (const auto& [what, act] : changes) {
    look();
    act();
    Pump(20);
    EXPECT_TRUE(w->Save()) << what;
    EXPECT_EQ(changedFiles(), std::vector<std::string>{"NAAA0"}) << what;
  }
  EXPECT_TRUE(LoadNote(w->FileName).GetReadOnly() && LoadNote(w->FileName).Left == 150);

  // The exit: the check before it writes what changed (typed, moved), the shut-down after it
  // writes nothing more and leaves every open note open for the next start.
  look();
  TypeChar(FindNote(m, "NAAA1")->Form, L'y');
  FindNote(m, "NAAA2")->Form->SetBounds(333, 144, 180, 150);
  Pump(20);
  EXPECT_TRUE(m.SaveBeforeExit());
  EXPECT_EQ(changedFiles(), (std::vector<std::string>{"NAAA1", "NAAA2"}));
  EXPECT_EQ(LoadNote(NoteFileName("NAAA2")).Top, 144);
  look();
  m.CloseAll();
  EXPECT_EQ(changedFiles(), none) << "written twice at exit";
  for (TNoteWrapper* n : m.Notes->List) EXPECT_EQ(n->Form, nullptr) << n->ID;
  manager.reset();
  for (TNoteWrapper* n : Manager().Notes->List) EXPECT_EQ(n->IsOpen(), n->ID != "NAAA3") << n->ID << " at the next start";
}

TEST_F(NoteManagerTest, NotesWhoseFilesWentOrChangedAreWrittenAgainAndADeletedOneStaysDeleted) {
  WriteNote("NKOpen", 100, 100, 180, 150, L"Open", clNone, "{\\rtf1 open text\\par}");
  TNoteClass hidden = WriteNote("NKHidden", 300, 100, 180, 150, L"Hidden", clNone, "{\\rtf1 hidden text\\par}");
  hidden.SetHidden(true);
  WriteBytes(NoteFileName("NKHidden"), EncodeNoteFile(hidden));
  WriteNote("NKGone", 500, 100, 180, 150, L"Deleted");
  TNotesManager& m = Manager();
  TNoteWrapper* open = FindNote(m, "NKOpen");
  ASSERT_TRUE(open && open->Form && FindNote(m, "NKGone")->Form && !FindNote(m, "NKHidden")->IsOpen());
  open->Form->UpdateTimer->Tick();  // the save tick after opening: nothing changed, nothing written

  // The user deletes one note; then the whole folder goes behind the program's back and comes
  // back empty, as a restore or a sync tool leaves it.
  RecordBoxes([](const MessageBoxRequest&) { return IDYES; });
  EXPECT_TRUE(m.DeleteNote(FindNote(m, "NKGone"), true));
  Pump(50);
  const std::wstring users = ExeFolder() + L"Users";
  ASSERT_TRUE(RemoveFolderTree(users));
  ASSERT_TRUE(ForceDirectories(users));

  // The open note's next save tick writes it, though nothing in it changed.
  open->Form->RestartUpdateTimer();
  open->Form->UpdateTimer->Tick();
  ASSERT_TRUE(FileExists(open->FileName)) << "written again on the save tick";
  EXPECT_EQ(Trim(PlainText(LoadNote(open->FileName))), L"open text");
  // The saves before an exit or the end of the session write the closed note too.
  EXPECT_EQ(m.SaveChanged(), L"");
  ASSERT_TRUE(FileExists(NoteFileName("NKHidden"))) << "written again before the exit";
  const TNoteClass back = LoadNote(NoteFileName("NKHidden"));
  EXPECT_TRUE(back.Title == L"Hidden" && back.GetHidden() && Trim(PlainText(back)) == L"hidden text");

  // An older copy put back in its place, of the same size and with its old time, is noticed too.
  for (TNoteWrapper* w : {open, FindNote(m, "NKHidden")}) {
    TNoteClass stale = LoadNote(w->FileName);
    stale.Title.assign(stale.Title.size(), L'x');  // as long as the title the program holds
    WriteBytes(w->FileName, EncodeNoteFile(stale));
    const std::filesystem::path path(w->FileName);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(24));
  }
  EXPECT_EQ(m.SaveChanged(), L"");
  EXPECT_EQ(LoadNote(open->FileName).Title, L"Open");
  EXPECT_EQ(LoadNote(NoteFileName("NKHidden")).Title, L"Hidden");

  m.SaveAll();
  m.CloseAll();
  Pump(50);
  EXPECT_FALSE(FileExists(NoteFileName("NKGone"))) << "a note the user deleted stays deleted";
  EXPECT_EQ(boxes.size(), 1u) << "the delete question, and nothing else";
}

TEST_F(NoteManagerTest, ANoteFileHeldAtTheStartIsNamedThenLoadedOnceItCanBeReadAndNeverWrittenMeanwhile) {
  WriteNote("NHeld", 100, 100, 180, 150, L"Held", clNone, "{\\rtf1 held text\\par}");
  TNoteClass hidden = WriteNote("NHidden", 300, 100, 180, 150, L"Hidden");
  hidden.SetHidden(true);
  WriteBytes(NoteFileName("NHidden"), EncodeNoteFile(hidden));
  const Bytes held = ReadBytes(NoteFileName("NHeld")), heldHidden = ReadBytes(NoteFileName("NHidden"));
  auto lock = std::make_unique<Lock>(NoteFileName("NHeld"));
  auto lockHidden = std::make_unique<Lock>(NoteFileName("NHidden"));
  RecordBoxes();
  TNotesManager& m = Manager();
  ASSERT_EQ(boxes.size(), 2u) << "one box for each";
  for (const char* id : {"NHeld", "NHidden"})
    EXPECT_TRUE(std::any_of(boxes.begin(), boxes.end(), [id](const std::wstring& b) {
      return b.find(NoteFileName(id)) != std::wstring::npos &&
             b.find(SystemErrorText(ERROR_SHARING_VIOLATION)) != std::wstring::npos;
    })) << id << ": the box names the file and says why";
  TNoteWrapper* w = FindNote(m, "NHeld");
  ASSERT_TRUE(w && FindNote(m, "NHidden"));
  EXPECT_FALSE(w->IsOpen());

  // Meanwhile every save leaves the files as they are.
  for (int i = 0; i < 5; ++i) m.CheckTimers();
  m.SaveAll();
  EXPECT_EQ(m.SaveChanged(), L"");
  lock.reset();
  EXPECT_EQ(ReadBytes(NoteFileName("NHeld")), held) << "never written over";
  m.CheckTimers();
  ASSERT_TRUE(w->IsOpen()) << "loaded and opened at the next tick once it can be read";
  EXPECT_FALSE(w->Corrupted);
  EXPECT_EQ(w->Note->Title, L"Held");
  EXPECT_EQ(Trim(w->Form->NoteEdit->Text()), L"held text");
  EXPECT_EQ(boxes.size(), 2u) << "nothing more to tell";

  // Held for longer than the tries last: told once more, and the file is still left alone.
  for (int i = 0; i < 601 && boxes.size() == 2; ++i) m.CheckTimers();
  ASSERT_EQ(boxes.size(), 3u) << "told that it is no longer tried";
  EXPECT_NE(boxes[2].find(NoteFileName("NHidden")), std::wstring::npos);
  lockHidden.reset();
  for (int i = 0; i < 3; ++i) m.CheckTimers();
  m.CloseAll();
  EXPECT_EQ(ReadBytes(NoteFileName("NHidden")), heldHidden);
  EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(NoteManagerTest, AShutDownDuringTheQuestionAHeldNoteAsksOnceReadFreesItSafely) {
  WriteBytes(NoteFileName("NLater"), {7, 1, 2, 3});  // from a newer version: the read asks
  auto lock = std::make_unique<Lock>(NoteFileName("NLater"));
  int questions = 0;
  // The shut-down (a session end, say) runs while the question is up.
  RecordBoxes([&](const MessageBoxRequest& r) {
    if (r.Flags & MB_YESNO) ++questions, manager.reset();
    return IDNO;
  });
  TNotesManager& m = Manager();
  lock.reset();
  m.CheckTimers();
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(manager, nullptr);
  EXPECT_EQ(ReadBytes(NoteFileName("NLater")), (Bytes{7, 1, 2, 3})) << "answered No: kept as it is";
}

TEST_F(NoteManagerTest, GroupsAreFoundAndShownWithoutRegardToCase) {
  // Two groups of one length outside the code page are two groups, not one of question marks.
  const wchar_t* groups[] = {L"Work", L"work", L"   ", L" Work", L"WORK", L"Home", L"Привет", L"ПРИВЕТ", L"Пример"};
  for (const wchar_t* g : groups) {
    TNoteWrapper* w = OpenNote(100, 100, 160, 160, g);
    w->Note->Group = g;
  }
  std::vector<std::wstring> list{L"home"};
  Manager().GetGroups(list);
  EXPECT_EQ(list, (std::vector<std::wstring>{L"home", L"Work", L" Work", L"Привет", L"Пример"}))
      << "first met, blanks ignored, list kept";

  for (const wchar_t* group : {L"work", L"привет"}) {
    Manager().ShowGroup(group, false);
    for (TNoteWrapper* w : manager->Notes->List) {
      const bool inGroup = SameText(w->Note->Group, group);
      EXPECT_EQ(w->IsOpen(), !inGroup) << WideToUtf8(group) << " / " << WideToUtf8(w->Note->Group);
      EXPECT_FALSE(w->Note->GetHidden()) << "hidden with its group, open again at the next start";
    }
    Manager().ShowGroup(group, true);
    for (TNoteWrapper* w : manager->Notes->List) EXPECT_TRUE(w->IsOpen()) << WideToUtf8(w->Note->Group);
  }
}

// Counts how often the engine is freed.
class CountingEngine : public TVantaroEngine {
 public:
  ~CountingEngine() override { ++Freed; }
  static inline int Freed = 0;
};

TEST_F(NoteManagerTest, ShutdownOnceRunsOnceAndLeavesNoWindowPointingAtAFreedNote) {
  // The settings were changed and cannot be written: the notes are saved all the same.
  UnwritableSettings unwritable;
  ASSERT_TRUE(unwritable.Refused());
  SettingsChanged = true;
  CountingEngine::Freed = 0;
  auto* engine = new CountingEngine;
  VantaroEngine = engine;
  VantaroMainForm = new TVantaroMainForm(Application);
  // The engine owns the notes from here on.
  engine->NotesManager = new TNotesManager;
  engine->NotesManager->NewNote();
  engine->NotesManager->NewNote();
  TNoteWrapper* w = engine->NotesManager->Notes->Items(0);
  TNoteWrapper* next = engine->NotesManager->Notes->Items(1);
  std::wstring file = w->FileName, nextFile = next->FileName;
  HWND nextWindow = next->Form->Handle();
  w->Form->NoteEdit->SetText(L"saved by the shut-down");
  next->Form->NoteEdit->SetText(L"closed after a failed close");
  // The first note's window fails to close: the next one is still saved and closed.
  w->Form->OnCloseQuery = [](TComponent*, bool&) { throw std::runtime_error("cannot close"); };

  // The session ends: a note window gets the question first.
  EXPECT_EQ(testsupport::EndSession(w->Form->Handle()), 1) << "the session may end";
  EXPECT_TRUE(Closing && VantaroEngine == nullptr && VantaroMainForm == nullptr);
  EXPECT_EQ(CountingEngine::Freed, 1);
  EXPECT_TRUE(Application->Terminated()) << "the message loop ends";
  EXPECT_EQ(Trim(PlainText(LoadNote(file))), L"saved by the shut-down");
  EXPECT_EQ(Trim(PlainText(LoadNote(nextFile))), L"closed after a failed close");
  EXPECT_FALSE(IsWindowVisible(nextWindow)) << "closed";
  // No messages are handled during the shut-down: the closed note windows still exist, their notes freed.
  int windows = 0;
  for (TForm* f : Application->Forms()) {
    if (auto* nf = dynamic_cast<TNoteForm*>(f)) {
      ++windows;
      EXPECT_EQ(nf->Wrapper, nullptr) << "window of a freed note";
    }
  }
  EXPECT_EQ(windows, 2);

  ShutdownOnce();
  Shutdown(false);
  EXPECT_EQ(CountingEngine::Freed, 1) << "later calls do nothing";
  SettingsChanged = false;
}

}  // namespace
