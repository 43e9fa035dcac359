#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "notes/ClassesUnit.h"
#include "ui/Clock.h"
#include "ui/MessageBox.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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
const char* const kTextLength = "02 02";
const char* const kText = "68 69";

Bytes ExampleFile() { return Cat({Hex(kHead), Hex(kTitle), Hex(kAfterTitle), Hex(kTextLength), Hex(kText)}); }

TNoteClass ExampleNote() {
  TNoteClass n("example");
  n.Created = EncodeDateTime(2001, 1, 1, 12);
  n.Left = 100;
  n.Top = 200;
  n.Width = 160;
  n.Height = 160;
  n.NoteColor = 0x00FFFF;
  n.TitleColor = clNone;
  n.TitleFontColor = clNone;
  n.Title = L"abc";
  n.Group.clear();
  n.Flags = 0;
  n.SetHidden(true);
  n.AutoShowPending = 0;
  n.ShowAt = 0;
  n.ExtraFlag = false;
  n.ExtraDate = n.Created + 1.0;
  n.AlarmOn = false;
  n.AlarmAt = 0;
  n.LinkedFile.clear();
  n.Text = {0x68, 0x69};
  return n;
}

Bytes Written(void (*write)(TNoteValueWriter&)) {
  Bytes b;
  TNoteValueWriter w(b);
  write(w);
  return b;
}

Bytes WideBytes(const std::wstring& s) {
  Bytes b;
  TNoteValueWriter(b).WriteWideString(s);
  return b;
}

class NoteFileTest : public ::testing::Test {
 protected:
  std::wstring folder_;
  std::vector<MessageBoxRequest> shown_;
  int answer_ = IDOK;

  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"vxq-notefile-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount64()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    SetMessageBoxAnswerer([this](const MessageBoxRequest& r) {
      shown_.push_back(r);
      return answer_;
    });
    SetNowOverride(EncodeDateTime(2024, 6, 1, 9, 15));
  }
  void TearDown() override {
    SetNoteWriteFailAfter(std::nullopt);
    SetMessageBoxAnswerer({});
    SetNowOverride(std::nullopt);
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(folder_), ec);
  }

  std::wstring Path(const std::wstring& name) const { return folder_ + name; }
  void WriteBytes(const std::wstring& path, const Bytes& b) const {
    std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  Bytes ReadBytes(const std::wstring& path) const {
    std::ifstream f(std::filesystem::path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::wstring& path) const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  // Loads bytes through a real file into a fresh record whose text is not empty beforehand.
  bool LoadBytes(const Bytes& b, TNoteClass& note) {
    const std::wstring p = Path(L"load.vxn");
    WriteBytes(p, b);
    note.Text = {0xAA, 0xBB, 0xCC};
    return note.LoadFromFile(p);
  }
};

}  // namespace

TEST_F(NoteFileTest, ExampleNoteIsWrittenByteForByteAndReadBack) {
  const TNoteClass note = ExampleNote();
  const Bytes expected = ExampleFile();
  ASSERT_EQ(expected.size(), 88u);
  EXPECT_EQ(EncodeNoteFile(note), expected);

  const std::wstring file = Path(L"example.vxn");
  ASSERT_TRUE(note.SaveToFile(file));
  EXPECT_EQ(ReadBytes(file), expected);
  EXPECT_FALSE(Exists(file + L".tmp")) << "no temporary file may stay behind after a good save";

  TNoteClass back("example");
  ASSERT_TRUE(back.LoadFromFile(file));
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(back.Created, note.Created);
  EXPECT_EQ(back.Left, 100);
  EXPECT_EQ(back.Top, 200);
  EXPECT_EQ(back.Width, 160);
  EXPECT_EQ(back.Height, 160);
  EXPECT_EQ(back.NoteColor, 0x00FFFFu);
  EXPECT_EQ(back.TitleColor, clNone);
  EXPECT_EQ(back.TitleFontColor, clNone);
  EXPECT_EQ(back.Title, L"abc");
  EXPECT_EQ(back.Group, L"");
  EXPECT_EQ(back.Flags, 1u);
  EXPECT_TRUE(back.GetHidden());
  EXPECT_EQ(back.AutoShowPending, 0u);
  EXPECT_EQ(back.ShowAt, 0.0);
  EXPECT_FALSE(back.ExtraFlag);
  EXPECT_EQ(back.ExtraDate, note.Created + 1.0);
  EXPECT_FALSE(back.AlarmOn);
  EXPECT_EQ(back.AlarmAt, 0.0);
  EXPECT_EQ(back.LinkedFile, L"");
  EXPECT_EQ(back.Text, (Bytes{0x68, 0x69}));
}

TEST_F(NoteFileTest, EveryFieldSurvivesARoundTrip) {
  TNoteClass note("round");
  note.Created = 45000.123456789;
  note.Left = -40000;
  note.Top = -3;
  note.Width = 70000;
  note.Height = 129;
  note.NoteColor = 0x123456;
  note.TitleColor = 0;
  note.TitleFontColor = 0xFFFFFF;
  note.Title = L"Einkäufe für Montag";
  note.Group = L"Ω group";  // outside code page 1252
  note.Flags = 0x40000000u | 0x1230u | 0xAu;  // bits without meaning are carried along
  note.AutoShowPending = 1;
  note.ShowAt = 45001.5;
  note.ExtraFlag = true;
  note.ExtraDate = 45002.25;
  note.AlarmOn = true;
  note.AlarmAt = 45003.75;
  note.LinkedFile = L"C:\\Docs\\" + std::wstring(300, L'x') + L".txt";
  note.Text.assign(30000, 0);
  for (std::size_t i = 0; i < note.Text.size(); ++i) note.Text[i] = static_cast<std::uint8_t>(i * 7);

  const std::wstring file = Path(L"round.vxn");
  ASSERT_TRUE(note.SaveToFile(file));
  TNoteClass back("round");
  ASSERT_TRUE(back.LoadFromFile(file));
  EXPECT_EQ(back.Created, note.Created);
  EXPECT_EQ(back.Left, note.Left);
  EXPECT_EQ(back.Top, note.Top);
  EXPECT_EQ(back.Width, note.Width);
  EXPECT_EQ(back.Height, note.Height);
  EXPECT_EQ(back.NoteColor, note.NoteColor);
  EXPECT_EQ(back.TitleColor, note.TitleColor);
  EXPECT_EQ(back.TitleFontColor, note.TitleFontColor);
  EXPECT_EQ(back.Title, note.Title);
  EXPECT_EQ(back.Group, note.Group);
  EXPECT_EQ(back.Flags, note.Flags);
  EXPECT_EQ(back.AutoShowPending, 1u);
  EXPECT_EQ(back.ShowAt, note.ShowAt);
  EXPECT_TRUE(back.ExtraFlag);
  EXPECT_EQ(back.ExtraDate, note.ExtraDate);
  EXPECT_TRUE(back.AlarmOn);
  EXPECT_EQ(back.AlarmAt, note.AlarmAt);
  EXPECT_EQ(back.LinkedFile, note.LinkedFile);
  EXPECT_EQ(back.Text, note.Text);
}

TEST(NoteValueStream, IntegersTakeTheSmallestWidth) {
  EXPECT_EQ(Written([](TNoteValueWriter& w) { w.WriteInteger(100); }), Hex("02 64"));
  EXPECT_EQ(Written([](TNoteValueWriter& w) { w.WriteInteger(-5); }), Hex("02 FB"));
  EXPECT_EQ(Written([](TNoteValueWriter& w) { w.WriteInteger(300); }), Hex("03 2C 01"));
  EXPECT_EQ(Written([](TNoteValueWriter& w) { w.WriteInteger(-200); }), Hex("03 38 FF"));
  EXPECT_EQ(Written([](TNoteValueWriter& w) { w.WriteInteger(40000); }), Hex("04 40 9C 00 00"));

  struct Case {
    std::int32_t value;
    std::uint8_t tag;
  };
  const Case cases[] = {{-128, 2}, {127, 2},    {-129, 3},    {128, 3},    {-32768, 3},
                        {32767, 3}, {-32769, 4}, {32768, 4}, {INT32_MIN, 4}, {INT32_MAX, 4}};
  for (const Case& c : cases) {
    Bytes b;
    TNoteValueWriter(b).WriteInteger(c.value);
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b[0], c.tag) << c.value;
    std::int32_t back = 0;
    TNoteValueReader r(b.data(), b.size());
    EXPECT_TRUE(r.ReadInteger(back)) << c.value;
    EXPECT_EQ(back, c.value);
    EXPECT_EQ(r.Remaining(), 0u) << c.value;
  }
}

TEST(NoteValueStream, WideStringsChooseTheirEncoding) {
  EXPECT_EQ(WideBytes(L"abc"), Hex("06 03 61 62 63"));
  EXPECT_EQ(WideBytes(L"caf\u00E9"), Hex("14 05 00 00 00 63 61 66 C3 A9"));
  EXPECT_EQ(WideBytes(L"\u00E9"), Hex("12 01 00 00 00 E9 00"));
  EXPECT_EQ(WideBytes(L""), Hex("12 00 00 00 00"));
  EXPECT_EQ(WideBytes(L"\u03A9"), Hex("12 01 00 00 00 A9 03"));

  const Bytes b255 = WideBytes(std::wstring(255, L'a'));
  ASSERT_EQ(b255.size(), 257u);
  EXPECT_EQ(b255[0], 0x06);
  EXPECT_EQ(b255[1], 255);
  const Bytes b300 = WideBytes(std::wstring(300, L'a'));
  ASSERT_EQ(b300.size(), 305u);
  EXPECT_EQ(Bytes(b300.begin(), b300.begin() + 5), Hex("0C 2C 01 00 00"));
  EXPECT_EQ(b300[5], 'a');

  for (const std::wstring& s : {std::wstring(L"abc"), std::wstring(L"caf\u00E9"), std::wstring(L"\u00E9"),
                                std::wstring(), std::wstring(300, L'q'), std::wstring(L"\u20AC 5, \U0001F600")}) {
    const Bytes b = WideBytes(s);
    std::wstring back = L"unchanged";
    TNoteValueReader r(b.data(), b.size());
    EXPECT_TRUE(r.ReadWideString(back));
    EXPECT_EQ(back, s);
    EXPECT_EQ(r.Remaining(), 0u);
  }

  // 8-bit strings are in the ANSI code page, which is 1252 under Wine here: E9 is é.
  const Bytes ansi = Hex("06 04 63 61 66 E9");
  std::wstring s;
  EXPECT_TRUE(TNoteValueReader(ansi.data(), ansi.size()).ReadWideString(s));
  EXPECT_EQ(s, L"caf\u00E9");
}

TEST(NoteValueStream, DatesBooleansAndBrokenValues) {
  Bytes b = Hex("11 00 00 00 00 90 03 E2 40 02 05 03 2C 01 08 09 2A");
  TNoteValueReader r(b.data(), b.size());
  TDateTime d = 0;
  bool flag = false;
  EXPECT_TRUE(r.ReadDateTime(d));
  EXPECT_EQ(d, EncodeDateTime(2001, 1, 1, 12));
  EXPECT_TRUE(r.ReadDateTime(d));
  EXPECT_EQ(d, 5.0) << "an integer date is whole days";
  EXPECT_TRUE(r.ReadDateTime(d));
  EXPECT_EQ(d, 300.0);
  EXPECT_TRUE(r.ReadBoolean(flag));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(r.ReadBoolean(flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(r.ReadBoolean(flag)) << "any tag is a Boolean";
  EXPECT_FALSE(flag);
  EXPECT_FALSE(r.ReadBoolean(flag)) << "nothing left";

  std::int32_t i = 0;
  std::wstring s;
  auto readsInt = [&](const char* hex) {
    Bytes x = Hex(hex);
    return TNoteValueReader(x.data(), x.size()).ReadInteger(i);
  };
  auto readsString = [&](const char* hex) {
    Bytes x = Hex(hex);
    return TNoteValueReader(x.data(), x.size()).ReadWideString(s);
  };
  EXPECT_FALSE(readsInt("11 00 00 00 00 00 00 00 00")) << "a date is not an integer";
  EXPECT_FALSE(readsInt("06 01 41"));
  EXPECT_FALSE(readsInt("03 2C")) << "payload cut short";
  EXPECT_FALSE(readsInt("04 40 9C 00"));
  EXPECT_FALSE(readsInt(""));
  EXPECT_FALSE(readsString("02 05"));
  EXPECT_FALSE(readsString("06 05 61 62"));
  EXPECT_FALSE(readsString("0C FF FF FF FF 61")) << "negative length";
  EXPECT_FALSE(readsString("0C FF FF FF 7F 61"));
  EXPECT_FALSE(readsString("12 00 00 00 40 61 00")) << "a count that would need gigabytes";
  EXPECT_FALSE(readsString("12 02 00 00 00 61 00 62")) << "odd byte of a UTF-16 unit missing";
  EXPECT_FALSE(readsString("14 FF FF FF 7F"));
  EXPECT_FALSE(readsString("14 80 00 00 80"));
}

TEST_F(NoteFileTest, EmptyTextEndsTheFileAndReadsBackEmpty) {
  TNoteClass note = ExampleNote();
  note.Text.clear();
  const std::wstring file = Path(L"empty.vxn");
  ASSERT_TRUE(note.SaveToFile(file));
  const Bytes written = ReadBytes(file);
  ASSERT_EQ(written.size(), 86u);
  EXPECT_EQ(Bytes(written.end() - 2, written.end()), Hex("02 00"));

  TNoteClass back("empty");
  back.Text = {1, 2, 3};
  ASSERT_TRUE(back.LoadFromFile(file));
  EXPECT_TRUE(back.Text.empty());
}

TEST_F(NoteFileTest, Version3Variants) {
  {
    // Created stored as a small integer: day 5 is 4 January 1900, midnight.
    const Bytes example = ExampleFile();
    const Bytes file = Cat({Hex("03 02 05"), Bytes(example.begin() + 10, example.end())});
    TNoteClass note("d");
    ASSERT_TRUE(LoadBytes(file, note));
    EXPECT_EQ(note.Created, 5.0);
    EXPECT_EQ(note.Created, EncodeDateTime(1900, 1, 4));
    EXPECT_EQ(note.Left, 100);
    EXPECT_EQ(note.Text, (Bytes{0x68, 0x69}));
  }
  {
    // Bytes after the text belong to no one: the text is exactly the declared length.
    Bytes file = ExampleFile();
    file.push_back(0x70);
    TNoteClass note("t");
    ASSERT_TRUE(LoadBytes(file, note));
    EXPECT_EQ(note.Text, (Bytes{0x68, 0x69}));
  }
}

TEST_F(NoteFileTest, Version3CutShortIsNotLoadedButKeepsWhatWasRead) {
  const Bytes whole = ExampleFile();
  const Bytes cut(whole.begin(), whole.begin() + 38);  // ends inside the title
  TNoteClass note("cut");
  const std::wstring defaultTitle = note.Title;
  EXPECT_FALSE(LoadBytes(cut, note));
  EXPECT_TRUE(shown_.empty()) << "a broken note is reported by its caller, not here";
  EXPECT_EQ(note.Created, EncodeDateTime(2001, 1, 1, 12));
  EXPECT_EQ(note.Left, 100);
  EXPECT_EQ(note.Top, 200);
  EXPECT_EQ(note.Width, 160);
  EXPECT_EQ(note.Height, 160);
  EXPECT_EQ(note.TitleFontColor, clNone);
  EXPECT_EQ(note.TitleColor, clNone);
  EXPECT_EQ(note.NoteColor, 0x00FFFFu);
  EXPECT_EQ(note.Title, defaultTitle);
  EXPECT_TRUE(note.Text.empty());

  // Every shorter cut fails cleanly; only the whole file loads.
  for (std::size_t n = 1; n < whole.size(); ++n) {
    TNoteClass part("p");
    part.Text = {1};
    EXPECT_FALSE(DecodeVersion3(whole.data(), n, part)) << "cut at " << n;
    EXPECT_TRUE(part.Text.empty()) << "cut at " << n;
  }
  TNoteClass full("f");
  EXPECT_TRUE(DecodeVersion3(whole.data(), whole.size(), full));
}

TEST_F(NoteFileTest, Version3WithImpossibleLengthsIsRejected) {
  const Bytes head = Hex(kHead), after = Hex(kAfterTitle);
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"text length beyond the end", Cat({head, Hex(kTitle), after, Hex("04 FF FF FF 7F"), Hex(kText)})},
      {"text length one too many", Cat({head, Hex(kTitle), after, Hex("02 03"), Hex(kText)})},
      {"negative text length", Cat({head, Hex(kTitle), after, Hex("02 FF"), Hex(kText)})},
      {"huge UTF-16 title", Cat({head, Hex("12 FF FF FF 3F 61 00"), after, Hex(kTextLength), Hex(kText)})},
      {"unknown title tag", Cat({head, Hex("07 03 61 62 63"), after, Hex(kTextLength), Hex(kText)})},
      {"left edge not an integer", [] {
         Bytes b = ExampleFile();
         b[10] = 0x08;
         return b;
       }()},
  };
  for (const Case& c : cases) {
    TNoteClass note("bad");
    EXPECT_FALSE(LoadBytes(c.file, note)) << c.what;
    EXPECT_TRUE(note.Text.empty()) << c.what;
  }
  EXPECT_TRUE(shown_.empty());
}

namespace {

struct LegacyFields {
  std::uint16_t left = 40000, top = 20, width = 200, height = 150;  // 40000: the fields are unsigned
  TDateTime created = EncodeDateTime(2003, 5, 6, 7, 8);
  bool alarmOn = true;
  TDateTime alarmAt = EncodeDateTime(2003, 5, 7, 8, 0);
};

Bytes LegacyFile(std::uint8_t version, const Bytes& text, std::int32_t textLength) {
  const LegacyFields f;
  Bytes b(version == 2 ? 177 : 27, 0);
  b[0] = version;
  Put(b, 1, f.left);
  Put(b, 3, f.top);
  Put(b, 5, f.width);
  Put(b, 7, f.height);
  b[9] = 0x5A;
  Put(b, 10, f.created);
  b[18] = f.alarmOn ? 7 : 0;
  Put(b, 19, f.alarmAt);
  if (version == 2) {
    Put<std::uint32_t>(b, 27, 0x00112233);
    Put<std::uint32_t>(b, 31, 0x00445566);
    Put<std::uint32_t>(b, 35, 0x00778899);
    const char title[] = "Gr\xFC\xDF"
                         "e";  // "Grüße" in code page 1252
    b[39] = 5;
    std::memcpy(b.data() + 40, title, 5);
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
  const LegacyFields f;
  for (std::uint8_t version : {0, 1, 2}) {
    SCOPED_TRACE(testing::Message() << "version " << int(version));
    TNoteClass note("old");
    const TNoteClass fresh = note;
    ASSERT_TRUE(LoadBytes(LegacyFile(version, kHello, 5), note));
    EXPECT_EQ(note.Left, 40000);
    EXPECT_EQ(note.Top, 20);
    EXPECT_EQ(note.Width, 200);
    EXPECT_EQ(note.Height, 150);
    EXPECT_EQ(note.Created, f.created);
    EXPECT_TRUE(note.AlarmOn);
    EXPECT_EQ(note.AlarmAt, f.alarmAt);
    EXPECT_EQ(note.Text, kHello);
    EXPECT_EQ(note.Group, L"");
    EXPECT_EQ(note.Flags, 0u);
    EXPECT_EQ(note.AutoShowPending, 0u);
    EXPECT_EQ(note.LinkedFile, L"");
    if (version < 2) {
      EXPECT_EQ(note.NoteColor, clNone);
      EXPECT_EQ(note.TitleColor, clNone);
      EXPECT_EQ(note.TitleFontColor, clNone);
      EXPECT_EQ(note.Title, fresh.Title) << "old files have no title";
      EXPECT_FALSE(note.ExtraFlag);
      EXPECT_EQ(note.ExtraDate, fresh.ExtraDate);
    } else {
      EXPECT_EQ(note.NoteColor, 0x00112233u);
      EXPECT_EQ(note.TitleColor, 0x00445566u);
      EXPECT_EQ(note.TitleFontColor, 0x00778899u);
      EXPECT_EQ(note.Title, L"Gr\u00FC\u00DFe") << "8-bit title in code page 1252 (Wine's ANSI code page)";
      EXPECT_TRUE(note.ExtraFlag);
      EXPECT_EQ(note.ExtraDate, EncodeDateTime(2003, 6, 1));
    }
  }
  EXPECT_TRUE(shown_.empty());

  // Loaded once, the note is written back in the current format.
  TNoteClass note("old");
  ASSERT_TRUE(LoadBytes(LegacyFile(1, kHello, 5), note));
  ASSERT_TRUE(note.SaveToFile(Path(L"load.vxn")));
  EXPECT_EQ(ReadBytes(Path(L"load.vxn")), EncodeNoteFile(note));
  EXPECT_EQ(ReadBytes(Path(L"load.vxn"))[0], 3);
}

TEST_F(NoteFileTest, LegacyShortAndBrokenFilesStillLoad) {
  {
    SCOPED_TRACE("version 0 cut inside the creation date");
    TNoteClass note("short");
    const TNoteClass fresh = note;
    const Bytes whole = LegacyFile(0, kHello, 5);
    ASSERT_TRUE(LoadBytes(Bytes(whole.begin(), whole.begin() + 12), note));
    EXPECT_EQ(note.Left, 40000);
    EXPECT_EQ(note.Height, 150);
    EXPECT_EQ(note.Created, fresh.Created) << "a field cut short keeps its value";
    EXPECT_FALSE(note.AlarmOn);
    EXPECT_EQ(Str(note.Text), kErrorText);
  }
  {
    SCOPED_TRACE("version byte alone");
    TNoteClass note("bare");
    const TNoteClass fresh = note;
    ASSERT_TRUE(LoadBytes(Hex("02"), note));
    EXPECT_EQ(note.Left, fresh.Left);
    EXPECT_EQ(note.Title, fresh.Title);
    EXPECT_EQ(note.NoteColor, clNone);
    EXPECT_EQ(Str(note.Text), kErrorText);
  }
  {
    SCOPED_TRACE("version 2 cut inside the title");
    TNoteClass note("v2cut");
    const TNoteClass fresh = note;
    const Bytes whole = LegacyFile(2, kHello, 5);
    ASSERT_TRUE(LoadBytes(Bytes(whole.begin(), whole.begin() + 100), note));
    EXPECT_EQ(note.TitleFontColor, 0x00778899u);
    EXPECT_EQ(note.Title, fresh.Title);
    EXPECT_FALSE(note.ExtraFlag);
    EXPECT_EQ(Str(note.Text), kErrorText);
  }
  {
    SCOPED_TRACE("version 2 title length above 128");
    Bytes file = LegacyFile(2, kHello, 5);
    file[39] = 200;
    TNoteClass note("long");
    ASSERT_TRUE(LoadBytes(file, note));
    EXPECT_EQ(note.Title.size(), 128u);
    EXPECT_EQ(note.Title.substr(0, 5), L"Gr\u00FC\u00DFe");
    EXPECT_EQ(note.Title.back(), L'z');
    EXPECT_EQ(note.ExtraDate, EncodeDateTime(2003, 6, 1)) << "the title must not shift the later fields";
    EXPECT_EQ(note.Text, kHello);
  }
  struct Case {
    const char* what;
    Bytes file;
    std::string text;
  };
  const Bytes whole0 = LegacyFile(0, kHello, 5);
  const Case cases[] = {
      {"text length larger than the rest", LegacyFile(1, kHello, 6), kErrorText},
      {"huge text length", LegacyFile(2, kHello, 0x7FFFFFFF), kErrorText},
      {"negative text length", LegacyFile(0, kHello, -5), kErrorText},
      {"text length cut short", Bytes(whole0.begin(), whole0.begin() + 29), kErrorText},
      {"empty text", LegacyFile(2, {}, 0), ""},
      {"text shorter than the rest", LegacyFile(0, kHello, 3), "hel"},
  };
  for (const Case& c : cases) {
    TNoteClass note("t");
    EXPECT_TRUE(LoadBytes(c.file, note)) << c.what;
    EXPECT_EQ(Str(note.Text), c.text) << c.what;
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
  const TNoteClass fresh = note;
  EXPECT_FALSE(note.LoadFromFile(file));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text, L"Note future.vxn Was saved with a newer version of Vantaro Delete it?");
  EXPECT_EQ(shown_[0].Flags, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(ReadBytes(file), content) << "No keeps the file untouched";
  EXPECT_EQ(note.Title, fresh.Title);
  EXPECT_EQ(note.Left, fresh.Left);

  answer_ = IDYES;
  EXPECT_FALSE(note.LoadFromFile(file));
  EXPECT_EQ(shown_.size(), 2u);
  EXPECT_FALSE(Exists(file)) << "Yes deletes the file";

  WriteBytes(file, Hex("FF 00"));
  answer_ = IDNO;
  EXPECT_FALSE(note.LoadFromFile(file));
  EXPECT_EQ(shown_.size(), 3u) << "version 255 is newer too";
  EXPECT_TRUE(Exists(file));
}

TEST_F(NoteFileTest, UnreadableFilesAreFailedLoads) {
  auto expectCannotLoad = [&](const std::wstring& file, const char* what) {
    shown_.clear();
    TNoteClass note("x");
    bool loaded = true;
    EXPECT_NO_THROW(loaded = note.LoadFromFile(file)) << what;
    EXPECT_FALSE(loaded) << what;
    ASSERT_EQ(shown_.size(), 1u) << what;
    EXPECT_EQ(shown_[0].Text, L"Cannot load note") << what;
    EXPECT_EQ(shown_[0].Flags & (MB_YESNO | MB_ICONQUESTION), 0u) << what;
  };

  const std::wstring empty = Path(L"empty.vxn");
  WriteBytes(empty, {});
  expectCannotLoad(empty, "zero-length file");
  EXPECT_TRUE(Exists(empty)) << "an unreadable note is never deleted";

  expectCannotLoad(Path(L"nosuch.vxn"), "missing file");
  expectCannotLoad(Path(L"nofolder\\n.vxn"), "missing folder");

  const std::wstring locked = Path(L"locked.vxn");
  WriteBytes(locked, ExampleFile());
  HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  expectCannotLoad(locked, "file held open without sharing");
  CloseHandle(h);
  TNoteClass note("locked");
  EXPECT_TRUE(note.LoadFromFile(locked)) << "readable again once released";

  ASSERT_TRUE(CreateDirectoryW(Path(L"dir.vxn").c_str(), nullptr));
  expectCannotLoad(Path(L"dir.vxn"), "a folder of that name");
}

TEST_F(NoteFileTest, SaveIntoMissingFolderFails) {
  const TNoteClass note = ExampleNote();
  const std::wstring file = Path(L"gone\\example.vxn");
  bool saved = true;
  EXPECT_NO_THROW(saved = note.SaveToFile(file));
  EXPECT_FALSE(saved);
  EXPECT_FALSE(Exists(Path(L"gone"))) << "saving must not make folders";
}

TEST_F(NoteFileTest, FailedSaveLeavesThePreviousFileIntact) {
  const std::wstring file = Path(L"keep.vxn");
  TNoteClass good = ExampleNote();
  good.Text.assign(25000, 'g');  // larger than one write chunk
  ASSERT_TRUE(good.SaveToFile(file));
  const Bytes goodBytes = ReadBytes(file);
  ASSERT_EQ(goodBytes, EncodeNoteFile(good));

  TNoteClass changed = good;
  changed.Title = L"changed";
  changed.Text.assign(30000, 'c');
  const std::size_t newSize = EncodeNoteFile(changed).size();
  for (std::size_t failAfter : {std::size_t(0), std::size_t(1), std::size_t(40), std::size_t(10240),
                                std::size_t(20000), newSize - 1}) {
    SetNoteWriteFailAfter(failAfter);
    EXPECT_FALSE(changed.SaveToFile(file)) << "failing after " << failAfter << " bytes";
    EXPECT_EQ(ReadBytes(file), goodBytes) << "failing after " << failAfter << " bytes";
    EXPECT_FALSE(Exists(file + L".tmp")) << "failing after " << failAfter << " bytes";
  }
  SetNoteWriteFailAfter(std::nullopt);

  // A file another program holds open without letting it be replaced cannot be saved over.
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(changed.SaveToFile(file));
  CloseHandle(h);
  EXPECT_EQ(ReadBytes(file), goodBytes);
  EXPECT_FALSE(Exists(file + L".tmp"));

  // A temporary file left by a crash does not get in the way of the next save.
  WriteBytes(file + L".tmp", Hex("03 11"));
  ASSERT_TRUE(changed.SaveToFile(file));
  EXPECT_EQ(ReadBytes(file), EncodeNoteFile(changed));
  EXPECT_FALSE(Exists(file + L".tmp"));

  // A shorter note replaces a longer file whole, with no old bytes left behind it.
  ASSERT_TRUE(ExampleNote().SaveToFile(file));
  EXPECT_EQ(ReadBytes(file), ExampleFile());
}
