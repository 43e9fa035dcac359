#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <sstream>
#include <tuple>

#include "TestSupport.h"
#include "notes/ClassesUnit.h"
#include "notes/InternalProcs.h"
#include "ui/Clock.h"
#include "ui/MessageBox.h"

#include "AllocationProbe.h"

namespace {

using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

Bytes Hex(const char* text) {
  Bytes out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

template <class T>
void Put(Bytes& b, std::size_t offset, T value) {
  if (b.size() < offset + sizeof value) b.resize(offset + sizeof value);
  std::memcpy(b.data() + offset, &value, sizeof value);
}

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

// The 88-byte file of a note created on 1 January 2001 at 12:00, split where the tests cut it.
const char* const kHead =
    "03 11 00 00 00 00 90 03 E2 40 02 64 03 C8 00 03 A0 00 03 A0 00 04 FF FF FF 1F 04 FF FF FF 1F 04 FF FF 00 00";
const char* const kTitle = "06 03 61 62 63";
const char* const kAfterTitle =
    "12 00 00 00 00 02 01 02 00 11 00 00 00 00 00 00 00 00 08 11 00 00 00 00 B0 03 E2 40 08 "
    "11 00 00 00 00 00 00 00 00 12 00 00 00 00";
const char* const kText = "68 69";

Bytes ExampleFile() { return Cat({Hex(kHead), Hex(kTitle), Hex(kAfterTitle), Hex("02 02"), Hex(kText)}); }

// Made under the fixture's clock: the rest is what a new note has.
TNoteClass ExampleNote() {
  TNoteClass n("example");
  n.Left = 100, n.Top = 200, n.Width = 160, n.Height = 160;
  n.NoteColor = 0x00FFFF, n.Title = L"abc", n.Text = {0x68, 0x69};
  n.SetHidden(true);
  return n;
}

Bytes WideBytes(const std::wstring& s) {
  Bytes b;
  TNoteValueWriter(b).WriteWideString(s);
  return b;
}

class NoteFileTest : public ::testing::Test {
 protected:
  testsupport::TempFolder folder_{L"notefile"};
  std::vector<MessageBoxRequest> shown_;
  int answer_ = IDOK;

  void SetUp() override {
    SetMessageBoxAnswerer([this](const MessageBoxRequest& r) {
      shown_.push_back(r);
      return answer_;
    });
    SetNowOverride(EncodeDateTime(2001, 1, 1, 12));
  }
  void TearDown() override {
    SetNoteWriteFailAfter(std::nullopt);
    SetMessageBoxAnswerer({});
    SetNowOverride(std::nullopt);
  }

  std::wstring Path(const std::wstring& name) const { return folder_.Path() + name; }
  // Loads bytes through a real file into a record whose text is not empty beforehand.
  bool LoadBytes(const Bytes& b, TNoteClass& note) {
    const std::wstring p = Path(L"load.vxn");
    WriteBytes(p, b);
    note.Text = {0xAA, 0xBB, 0xCC};
    return note.LoadFromFile(p);
  }
};

}  // namespace

TEST_F(NoteFileTest, ExampleNoteIsWrittenByteForByteAndEveryFieldReadsBack) {
  const TNoteClass note = ExampleNote();
  const Bytes expected = ExampleFile();
  const std::wstring file = Path(L"example.vxn");
  ASSERT_TRUE(note.SaveToFile(file));
  EXPECT_EQ(ReadBytes(file), expected);

  TNoteClass back("example");
  ASSERT_TRUE(back.LoadFromFile(file));
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(EncodeNoteFile(back), expected) << "every field came back as written";

  // Every field with values away from the example's, text over several write chunks.
  TNoteClass full("round");
  full.Created = 45000.123456789;
  full.Left = -40000, full.Top = -3, full.Width = 70000, full.Height = 129;
  full.NoteColor = 0x123456, full.TitleColor = 0, full.TitleFontColor = 0xFFFFFF;
  full.Title = L"Einkäufe für Montag";
  full.Group = L"Ω group";  // outside code page 1252
  full.Flags = 0x40000000u | 0x1230u | 0xAu;  // bits without meaning are carried along
  full.AutoShowPending = 1, full.ShowAt = 45001.5, full.ExtraFlag = true, full.ExtraDate = 45002.25;
  full.AlarmOn = true, full.AlarmAt = 45003.75;
  full.LinkedFile = L"C:\\Docs\\" + std::wstring(300, L'x') + L".txt";
  full.Text.assign(30000, 0);
  for (std::size_t i = 0; i < full.Text.size(); ++i) full.Text[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(full.SaveToFile(file));
  TNoteClass round("round");
  ASSERT_TRUE(round.LoadFromFile(file));
  EXPECT_EQ(round.Group, full.Group);
  EXPECT_EQ(EncodeNoteFile(round), EncodeNoteFile(full));

  // An empty text ends the file with a zero length and reads back empty.
  TNoteClass empty = ExampleNote();
  empty.Text.clear();
  ASSERT_TRUE(empty.SaveToFile(file));
  EXPECT_EQ(ReadBytes(file), Cat({Hex(kHead), Hex(kTitle), Hex(kAfterTitle), Hex("02 00")}));
  back.Text = {1, 2, 3};
  ASSERT_TRUE(back.LoadFromFile(file));
  EXPECT_TRUE(back.Text.empty());
}

TEST(NoteValueStream, IntegersTakeTheSmallestWidth) {
  const std::pair<std::int32_t, const char*> rows[] = {
      {100, "02 64"},          {-5, "02 FB"},          {-128, "02 80"},         {127, "02 7F"},
      {-129, "03 7F FF"},      {300, "03 2C 01"},      {-200, "03 38 FF"},      {32767, "03 FF 7F"},
      {32768, "04 00 80 00 00"}, {40000, "04 40 9C 00 00"}, {INT32_MIN, "04 00 00 00 80"}, {INT32_MAX, "04 FF FF FF 7F"}};
  for (const auto& [value, hex] : rows) {
    Bytes b;
    TNoteValueWriter(b).WriteInteger(value);
    EXPECT_EQ(b, Hex(hex)) << value;
    std::int32_t back = 0;
    TNoteValueReader r(b.data(), b.size());
    EXPECT_TRUE(r.ReadInteger(back) && back == value && r.Remaining() == 0) << value;
  }
}

TEST(NoteValueStream, WideStringsChooseTheirEncoding) {
  // ASCII as 8-bit (a short string up to 255), UTF-8 where shorter than UTF-16, else UTF-16.
  const std::tuple<std::wstring, const char*, std::size_t> rows[] = {
      {L"abc", "06 03 61 62 63", 5}, {L"caf\u00E9", "14 05 00 00 00 63 61 66 C3 A9", 10},
      {L"\u00E9", "12 01 00 00 00 E9 00", 7}, {L"", "12 00 00 00 00", 5},
      {std::wstring(255, L'a'), "06 FF 61", 257}, {std::wstring(300, L'q'), "0C 2C 01 00 00 71", 305},
      {L"\u20AC 5, \U0001F600", "14 0B 00 00 00 E2 82 AC", 16}};
  for (const auto& [s, head, size] : rows) {
    const Bytes b = WideBytes(s), h = Hex(head);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + std::min(b.size(), h.size())), h) << head;
    EXPECT_EQ(b.size(), size) << head;
    std::wstring back = L"unchanged";
    TNoteValueReader r(b.data(), b.size());
    EXPECT_TRUE(r.ReadWideString(back) && r.Remaining() == 0 && back == s) << head;
  }
  // 8-bit strings are in the ANSI code page, which is 1252 under Wine here: E9 is é.
  const Bytes ansi = Hex("06 04 63 61 66 E9");
  std::wstring s;
  EXPECT_TRUE(TNoteValueReader(ansi.data(), ansi.size()).ReadWideString(s));
  EXPECT_EQ(s, L"caf\u00E9");
}

TEST(NoteValueStream, DatesBooleansAndBrokenValues) {
  Bytes b = Hex("11 00 00 00 00 90 03 E2 40 02 05 08 09 2A");
  TNoteValueReader r(b.data(), b.size());
  TDateTime d = 0;
  bool flag = false;
  EXPECT_TRUE(r.ReadDateTime(d));
  EXPECT_EQ(d, EncodeDateTime(2001, 1, 1, 12));
  EXPECT_TRUE(r.ReadDateTime(d));
  EXPECT_EQ(d, 5.0) << "an integer date is whole days";
  EXPECT_TRUE(r.ReadBoolean(flag) && !flag);
  EXPECT_TRUE(r.ReadBoolean(flag) && flag);
  EXPECT_TRUE(r.ReadBoolean(flag) && !flag) << "any tag is a Boolean";
  EXPECT_FALSE(r.ReadBoolean(flag)) << "nothing left";

  for (const char* hex : {"11 00 00 00 00 00 00 00 00", "06 01 41", "03 2C", "04 40 9C 00", ""}) {
    Bytes x = Hex(hex);
    std::int32_t i = 0;
    EXPECT_FALSE(TNoteValueReader(x.data(), x.size()).ReadInteger(i)) << "integer from " << hex;
  }
  // Wrong tag, cut short, negative or gigabyte lengths, half a UTF-16 unit.
  for (const char* hex : {"02 05", "06 05 61 62", "0C FF FF FF FF 61", "0C FF FF FF 7F 61", "12 00 00 00 40 61 00",
                          "12 02 00 00 00 61 00 62", "14 FF FF FF 7F", "14 80 00 00 80"}) {
    Bytes x = Hex(hex);
    std::wstring s;
    EXPECT_FALSE(TNoteValueReader(x.data(), x.size()).ReadWideString(s)) << "string from " << hex;
  }
}

TEST_F(NoteFileTest, Version3IntegerDateTrailingBytesAndCuts) {
  const Bytes whole = ExampleFile();
  // Created stored as a small integer: day 5 is 4 January 1900, midnight.
  TNoteClass note("d");
  ASSERT_TRUE(LoadBytes(Cat({Hex("03 02 05"), Bytes(whole.begin() + 10, whole.end())}), note));
  EXPECT_EQ(note.Created, EncodeDateTime(1900, 1, 4));
  EXPECT_EQ(note.Text, (Bytes{0x68, 0x69}));
  TNoteClass trailing("t");
  ASSERT_TRUE(LoadBytes(Cat({whole, Hex("70")}), trailing));
  EXPECT_EQ(trailing.Text, (Bytes{0x68, 0x69})) << "bytes after the text belong to no one";

  // A file ending inside the title is not loaded, yet keeps the fields read so far.
  TNoteClass cut("cut");
  const std::wstring defaultTitle = cut.Title;
  EXPECT_FALSE(LoadBytes(Bytes(whole.begin(), whole.begin() + 38), cut));
  EXPECT_TRUE(shown_.empty()) << "a broken note is reported by its caller, not here";
  EXPECT_EQ(cut.NoteColor, 0x00FFFFu);
  EXPECT_EQ(cut.Title, defaultTitle);
  for (std::size_t n = 1; n < whole.size(); ++n) {
    TNoteClass part("p");
    part.Text = {1};
    EXPECT_FALSE(DecodeVersion3(whole.data(), n, part)) << "cut at " << n;
    EXPECT_TRUE(part.Text.empty()) << "cut at " << n;
  }
}

TEST_F(NoteFileTest, Version3WithImpossibleLengthsIsRejected) {
  const Bytes head = Hex(kHead), after = Hex(kAfterTitle), title = Hex(kTitle), text = Hex(kText);
  Bytes badLeft = ExampleFile();
  badLeft[10] = 0x08;
  const std::pair<const char*, Bytes> cases[] = {
      {"text length beyond the end", Cat({head, title, after, Hex("04 FF FF FF 7F"), text})},
      {"text length one too many", Cat({head, title, after, Hex("02 03"), text})},
      {"negative text length", Cat({head, title, after, Hex("02 FF"), text})},
      {"huge UTF-16 title", Cat({head, Hex("12 FF FF FF 3F 61 00"), after, Hex("02 02"), text})},
      {"unknown title tag", Cat({head, Hex("07 03 61 62 63"), after, Hex("02 02"), text})},
      {"UTF-8 title with a stray byte", Cat({head, Hex("14 03 00 00 00 C3 28 41"), after, Hex("02 02"), text})},
      {"UTF-8 title cut inside a letter", Cat({head, Hex("14 02 00 00 00 41 E2"), after, Hex("02 02"), text})},
      {"UTF-8 title with an overlong letter", Cat({head, Hex("14 02 00 00 00 C0 AF"), after, Hex("02 02"), text})},
      {"UTF-8 title with a surrogate", Cat({head, Hex("14 03 00 00 00 ED A0 80"), after, Hex("02 02"), text})},
      {"left edge not an integer", badLeft},
  };
  for (const auto& [what, file] : cases) {
    TNoteClass note("bad");
    LargestAllocation largest;
    EXPECT_FALSE(LoadBytes(file, note)) << what;
    EXPECT_TRUE(note.Text.empty()) << what;
    EXPECT_LT(largest.Bytes(), 64u * 1024) << what << ": a length is checked against the file before it is used";
  }
  EXPECT_TRUE(shown_.empty());
}

namespace {

const TDateTime kLegacyCreated = EncodeDateTime(2003, 5, 6, 7, 8), kLegacyAlarm = EncodeDateTime(2003, 5, 7, 8, 0);

Bytes LegacyFile(std::uint8_t version, const Bytes& text, std::int32_t textLength) {
  Bytes b(version == 2 ? 177 : 27, 0);
  b[0] = version;
  Put<std::uint16_t>(b, 1, 40000);  // the fields are unsigned
  Put<std::uint16_t>(b, 3, 20);
  Put<std::uint16_t>(b, 5, 200);
  Put<std::uint16_t>(b, 7, 150);
  b[9] = 0x5A;
  Put(b, 10, kLegacyCreated);
  b[18] = 7;  // alarm on
  Put(b, 19, kLegacyAlarm);
  if (version == 2) {
    Put<std::uint32_t>(b, 27, 0x00112233);
    Put<std::uint32_t>(b, 31, 0x00445566);
    Put<std::uint32_t>(b, 35, 0x00778899);
    b[39] = 5;
    std::memcpy(b.data() + 40, "Gr\xFC\xDF" "e", 5);  // "Grüße" in code page 1252
    std::memset(b.data() + 45, 'z', 123);  // bytes behind the length do not count
    b[168] = 1;
    Put(b, 169, EncodeDateTime(2003, 6, 1));
  }
  Bytes len;
  Put(len, 0, textLength);
  return Cat({b, len, text});
}

const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};
const std::string kErrorText = "Error reading note text";

}  // namespace

TEST_F(NoteFileTest, LegacyVersionsAreRead) {
  for (std::uint8_t version : {0, 1, 2}) {
    SCOPED_TRACE(testing::Message() << "version " << int(version));
    TNoteClass note("old");
    const TNoteClass fresh = note;
    ASSERT_TRUE(LoadBytes(LegacyFile(version, kHello, 5), note));
    EXPECT_EQ((std::vector<std::int32_t>{note.Left, note.Top, note.Width, note.Height}),
              (std::vector<std::int32_t>{40000, 20, 200, 150})) << "the fields are unsigned";
    EXPECT_TRUE(note.Created == kLegacyCreated && note.AlarmOn && note.AlarmAt == kLegacyAlarm);
    EXPECT_EQ(note.Text, kHello);
    if (version < 2) {
      EXPECT_EQ(note.NoteColor, clNone);
      EXPECT_EQ(note.Title, fresh.Title) << "old files have no title";
    } else {
      EXPECT_EQ((std::vector<TColor>{note.NoteColor, note.TitleColor, note.TitleFontColor}),
                (std::vector<TColor>{0x00112233u, 0x00445566u, 0x00778899u}));
      EXPECT_EQ(note.Title, L"Gr\u00FC\u00DFe") << "8-bit title in code page 1252 (Wine's ANSI code page)";
      EXPECT_TRUE(note.ExtraFlag && note.ExtraDate == EncodeDateTime(2003, 6, 1));
    }
    // Loaded once, the note is written back in the current format.
    ASSERT_TRUE(note.SaveToFile(Path(L"load.vxn")));
    EXPECT_EQ(ReadBytes(Path(L"load.vxn")), EncodeNoteFile(note));
  }
  EXPECT_TRUE(shown_.empty());
}

TEST_F(NoteFileTest, LegacyShortAndBrokenFilesStillLoad) {
  const Bytes whole0 = LegacyFile(0, kHello, 5), whole2 = LegacyFile(2, kHello, 5);
  Bytes longTitle = whole2;
  longTitle[39] = 200;
  // A field cut short keeps the value it had: the fresh record's.
  struct Case {
    const char* what;
    Bytes file;
    std::string text;
    std::function<bool(const TNoteClass& note, const TNoteClass& fresh)> fields;
  };
  const Case cases[] = {
      {"version 0 cut inside the creation date", Bytes(whole0.begin(), whole0.begin() + 12), kErrorText,
       [](auto& n, auto& fresh) { return n.Height == 150 && n.Created == fresh.Created; }},
      {"version 2 cut inside the title", Bytes(whole2.begin(), whole2.begin() + 100), kErrorText,
       [](auto& n, auto& fresh) { return n.TitleFontColor == 0x00778899u && n.Title == fresh.Title; }},
      {"version 2 title length beyond the 128 bytes stored", longTitle, Str(kHello),
       [](auto& n, auto&) { return n.Title == L"Gr\u00FC\u00DFe" + std::wstring(123, L'z'); }},
      {"version byte alone", Hex("02"), kErrorText, {}},
      {"text length larger than the rest", LegacyFile(1, kHello, 6), kErrorText, {}},
      {"huge text length", LegacyFile(2, kHello, 0x7FFFFFFF), kErrorText, {}},
      {"negative text length", LegacyFile(0, kHello, -5), kErrorText, {}},
      {"text length cut short", Bytes(whole0.begin(), whole0.begin() + 29), kErrorText, {}},
      {"empty text", LegacyFile(2, {}, 0), "", {}},
      {"text shorter than the rest", LegacyFile(0, kHello, 3), "hel", {}},
  };
  for (const Case& c : cases) {
    TNoteClass note("t");
    const TNoteClass fresh = note;
    EXPECT_TRUE(LoadBytes(c.file, note)) << c.what;
    EXPECT_EQ(Str(note.Text), c.text) << c.what;
    EXPECT_TRUE(!c.fields || c.fields(note, fresh)) << c.what;
  }
  EXPECT_TRUE(shown_.empty());
}

TEST_F(NoteFileTest, NewerVersionIsOfferedForDeletion) {
  const std::wstring file = Path(L"future.vxn");
  const Bytes example = ExampleFile();
  const Bytes content = Cat({Hex("07"), Bytes(example.begin() + 1, example.end())});
  WriteBytes(file, content);

  answer_ = IDNO;
  TNoteClass note("future");
  EXPECT_FALSE(note.LoadFromFile(file));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text, L"Note future.vxn Was saved with a newer version of Vantaro Delete it?");
  EXPECT_EQ(shown_[0].Flags, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(ReadBytes(file), content) << "No keeps the file untouched";

  answer_ = IDYES;
  EXPECT_FALSE(note.LoadFromFile(file));
  EXPECT_EQ(shown_.size(), 2u);
  EXPECT_FALSE(FileExists(file)) << "Yes deletes the file";
}

TEST_F(NoteFileTest, UnreadableFilesAreFailedLoadsThatNameTheFileAndWhy) {
  // The box names the file and gives the reason; given a place for the reason, the caller tells.
  auto expectCannotLoad = [&](const std::wstring& file, const std::wstring& why, bool callerTells, const char* what) {
    shown_.clear();
    TNoteClass note("x");
    bool loaded = true;
    DWORD error = 12345;
    EXPECT_NO_THROW(loaded = note.LoadFromFile(file, nullptr, callerTells ? &error : nullptr)) << what;
    EXPECT_FALSE(loaded) << what;
    if (callerTells) {
      EXPECT_TRUE(shown_.empty()) << what;
      EXPECT_EQ(SystemErrorText(error), why) << what;
      return;
    }
    ASSERT_EQ(shown_.size(), 1u) << what;
    const std::wstring& text = shown_[0].Text;
    EXPECT_EQ(text.substr(0, text.find(L'\n')), L"Cannot load note") << what;
    EXPECT_NE(text.find(file), std::wstring::npos) << WideToUtf8(text);
    EXPECT_NE(text.find(why), std::wstring::npos) << WideToUtf8(text);
    EXPECT_EQ(shown_[0].Flags & (MB_YESNO | MB_ICONQUESTION), 0u) << what;
  };
  const std::wstring empty = Path(L"empty.vxn");
  WriteBytes(empty, {});
  expectCannotLoad(empty, L"empty", false, "zero-length file");
  EXPECT_TRUE(FileExists(empty)) << "an unreadable note is never deleted";

  const std::wstring locked = Path(L"locked Заметка.vxn");
  WriteBytes(locked, ExampleFile());
  HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const std::wstring sharing = SystemErrorText(ERROR_SHARING_VIOLATION);
  expectCannotLoad(locked, sharing, false, "file held open without sharing");
  expectCannotLoad(locked, sharing, true, "file held open without sharing, told by the caller");
  CloseHandle(h);
  TNoteClass note("locked");
  DWORD error = 12345;
  EXPECT_TRUE(note.LoadFromFile(locked, nullptr, &error)) << "readable again once released";
  EXPECT_EQ(error, DWORD(ERROR_SUCCESS));
}

TEST_F(NoteFileTest, FailedSaveLeavesThePreviousFileIntact) {
  bool saved = true;
  EXPECT_NO_THROW(saved = ExampleNote().SaveToFile(Path(L"gone\\example.vxn")));
  EXPECT_FALSE(saved) << "a missing folder";
  EXPECT_FALSE(DirectoryExists(Path(L"gone"))) << "saving must not make folders";

  const std::wstring file = Path(L"keep.vxn");
  TNoteClass good = ExampleNote();
  good.Text.assign(25000, 'g');  // larger than one write chunk
  ASSERT_TRUE(good.SaveToFile(file));
  const Bytes goodBytes = ReadBytes(file);
  TNoteClass changed = good;
  changed.Title = L"changed";
  changed.Text.assign(30000, 'c');
  const std::size_t newSize = EncodeNoteFile(changed).size();
  for (std::size_t failAfter : {std::size_t(0), std::size_t(40), std::size_t(20000), newSize - 1}) {
    SetNoteWriteFailAfter(failAfter);
    EXPECT_FALSE(changed.SaveToFile(file)) << "failing after " << failAfter << " bytes";
    EXPECT_EQ(ReadBytes(file), goodBytes) << "failing after " << failAfter << " bytes";
    EXPECT_FALSE(FileExists(file + L".tmp")) << "failing after " << failAfter << " bytes";
  }
  SetNoteWriteFailAfter(std::nullopt);

  // A temporary file left by a killed save, read-only even, neither gets in the way nor passes its
  // mark on (as root under Wine the write would get through); a shorter note replaces the file whole.
  WriteBytes(file + L".tmp", Hex("03 11"));
  SetFileAttributesW((file + L".tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(ExampleNote().SaveToFile(file));
  EXPECT_EQ(ReadBytes(file), ExampleFile());
  EXPECT_FALSE(FileExists(file + L".tmp")) << "no temporary file stays behind after a good save";
  EXPECT_FALSE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY) << "the note became read-only";
  for (const std::wstring& f : {file, file + L".tmp"}) SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// One listing of the folder gives the notes and settles the leftovers of cut-short saves: one
// not newer than its note goes (read-only or not); a newer one, or one without a note, stays.
TEST_F(NoteFileTest, OneListingGivesTheNotesAndRemovesOnlyStaleLeftovers) {
  struct Entry {
    const wchar_t* name;
    int secondsAgo;  // last written; -1: a folder
    bool readOnly;
    bool listed, kept;
  };
  const Entry entries[] = {
      {L"A.vxn", 60, false, true, true},           {L"A.vxn.tmp", 3600, true, false, false},
      {L"B.vxn", 3600, false, true, true},         {L"B.vxn.tmp", 60, false, false, true},
      {L"C.vxn.tmp", 3600, false, false, true},    {L".vxn", 3600, false, false, true},
      {L"D.vxnx", 3600, false, false, true},       {L"E.vxn", -1, false, false, true},
      {L"f.VXN", 60, false, true, true},           {L"F.vxn.TMP", 3600, false, false, false},
  };
  for (const Entry& e : entries) {
    const std::wstring path = Path(e.name);
    if (e.secondsAgo < 0) {
      ForceDirectories(path);
      continue;
    }
    WriteBytes(path, ExampleFile());
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER u{{ft.dwLowDateTime, ft.dwHighDateTime}};
    u.QuadPart -= e.secondsAgo * 10000000ULL;
    ft = FILETIME{u.LowPart, u.HighPart};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    if (e.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  std::vector<std::wstring> listed = ListNoteFiles(folder_.Path()), expected;
  for (const Entry& e : entries) {
    if (e.listed) expected.push_back(e.name);
    EXPECT_EQ(GetFileAttributesW(Path(e.name).c_str()) != INVALID_FILE_ATTRIBUTES, e.kept) << WideToUtf8(e.name);
    SetFileAttributesW(Path(e.name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  EXPECT_TRUE(ListNoteFiles(Path(L"missing")).empty());
}
