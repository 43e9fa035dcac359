// The INI reader and writer that the events and to-do files share, on real files.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"
#include "ui/FileIO.h"
#include "ui/Paths.h"
#include "ui/IniText.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> FileBytes(const std::wstring& name) {
  std::vector<std::uint8_t> b;
  EXPECT_TRUE(ReadWholeFile(name, b));
  return b;
}

void WriteBytes(const std::wstring& name, const std::vector<std::uint8_t>& b) {
  ASSERT_EQ(WriteFileReplacing(name, b), 0u);
}

TEST(IniTextTest, SectionsComeFromTheirOwnLinesInFileOrderWithEveryValueWhole) {
  const std::wstring longText(5000, L'x');
  const std::wstring text = L"stray=before any section\r\n"
                            L"[item7]\r\ntext=seven\r\n"
                            L"  [main]\nfileinfo=1\r"
                            L"[Item2]\r\n; a comment=no key\r\nTEXT=  two  \r\nText=shadowed\r\n"
                            L"[item7]\r\ntext=" + longText + L"\r\nbare key\r\n"
                            L"[unclosed\r\nk=v";
  const TIniText ini = ParseIniText(text);
  ASSERT_EQ(ini.Sections.size(), 5u);
  const wchar_t* names[] = {L"item7", L"main", L"Item2", L"item7", L"unclosed"};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(ini.Sections[i].Name, names[i]) << i;
  EXPECT_TRUE(ini.SawSectionLine);
  EXPECT_EQ(ini.Sections[0].Read(L"Text"), L"seven");
  EXPECT_EQ(ini.Sections[1].Read(L"FileInfo"), L"1") << "a lone CR ends a line too";
  EXPECT_EQ(ini.Sections[2].Read(L"text"), L"two") << "the first of a repeated key, case-blind";
  EXPECT_EQ(ini.Sections[2].Keys.size(), 2u) << "a comment is no key";
  EXPECT_EQ(ini.Sections[3].Read(L"text"), longText) << "a repeated section is read from its own lines";
  EXPECT_TRUE(ini.Sections[3].Has(L"bare key"));
  EXPECT_EQ(ini.Sections[4].Read(L"k"), L"v");
  EXPECT_EQ(ini.Sections[4].Read(L"missing", L"dflt"), L"dflt");
  EXPECT_EQ(ini.Find(L"ITEM7"), &ini.Sections[0]);
  EXPECT_EQ(ini.Find(L"item"), nullptr);
  EXPECT_FALSE(ParseIniText(L"no sections\r\nk=v\r\n").SawSectionLine);
}

TEST(IniTextTest, ValuesReadAsTheProfileFunctionsGiveThemAndWrittenSoTheyComeBackUnchanged) {
  struct Row {
    const wchar_t* stored;  // after '=' in the file
    const wchar_t* read;
  } rows[] = {
      {L"  padded \t", L"padded"}, {L"\"quoted\"", L"quoted"}, {L"'single'", L"single"},
      {L"\"mixed'", L"\"mixed'"},  {L"\"", L"\""},             {L" \" in \" ", L" in "},
      {L"\"\"", L""},              {L"a=b", L"a=b"},            {L"", L""},
  };
  for (const Row& r : rows) {
    const TIniText ini = ParseIniText(std::wstring(L"[s]\r\nk=") + r.stored + L"\r\n");
    EXPECT_EQ(ini.Sections.at(0).Read(L"k"), r.read) << "stored: [" << testing::PrintToString(std::wstring(r.stored))
                                                     << "]";
  }
  // Whatever the text, what is written reads back as it was.
  const wchar_t* texts[] = {L"plain", L" leading", L"trailing ", L"\"both\"", L"'single'", L"\"", L"x=\"y\"",
                            L"  \"  ", L""};
  for (const wchar_t* t : texts) {
    TIniWriter w;
    w.Section(L"s");
    w.Key(L"k", t);
    EXPECT_EQ(ParseIniText(w.Text()).Sections.at(0).Read(L"k"), t) << testing::PrintToString(std::wstring(t));
  }
  TIniWriter w;
  w.Section(L"main");
  w.Key(L"fileinfo", L"1");
  w.Key(L"Text", L"two\r\nlines");
  EXPECT_EQ(w.Text(), L"[main]\r\nfileinfo=1\r\nText=two  lines\r\n");
}

TEST(IniTextTest, TextOutsideTheCodePageIsKeptWholeInUtf16AndEverythingElseStaysAnsi) {
  testsupport::TempFolder folder(L"initext");
  struct Row {
    std::wstring text;
    bool unicode;
  } rows[] = {
      {L"[main]\r\nText=caf\u00e9 \u20ac\r\n", false},      // in code page 1252
      {L"[main]\r\nText=\u041f\u0440\u0438\u0432\u0435\u0442\r\n", true},  // Cyrillic
      {L"[main]\r\nText=\u0150r\u00fcl\r\n", true},          // best fit would make it "Orul"
      {L"[main]\r\nText=\u65e5\u672c\r\n", true},
  };
  for (const Row& r : rows) {
    const std::wstring file = folder.Path() + L"f.ini";
    ASSERT_EQ(SaveIniFile(file, r.text), 0u);
    const std::vector<std::uint8_t> bytes = FileBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0] == 0xFF && bytes[1] == 0xFE, r.unicode) << testing::PrintToString(r.text);
    TIniText ini;
    ASSERT_EQ(LoadIniFile(file, ini), TIniLoad::Ok);
    EXPECT_EQ(ini.Encoding, r.unicode ? TIniEncoding::Utf16 : TIniEncoding::Ansi);
    ASSERT_EQ(ini.Sections.size(), 1u);
    EXPECT_EQ(L"[main]\r\nText=" + ini.Sections[0].Read(L"text") + L"\r\n", r.text);
    // The platform reads both forms the same way.
    wchar_t buffer[64] = {};
    GetPrivateProfileStringW(L"main", L"Text", L"", buffer, 64, file.c_str());
    EXPECT_EQ(buffer, ini.Sections[0].Read(L"text"));
  }
  // A UTF-8 mark before bytes that are not UTF-8: read byte for byte, written back unchanged.
  const std::vector<std::uint8_t> mixed = Bytes("\xEF\xBB\xBF[main]\r\nText=caf\xE9\r\n");
  TIniEncoding encoding;
  const std::wstring decoded = DecodeIniBytes(mixed, encoding);
  EXPECT_EQ(encoding, TIniEncoding::Ansi);
  EXPECT_EQ(EncodeIniText(decoded), mixed);
  EXPECT_EQ(DecodeIniBytes(Bytes("\xEF\xBB\xBF[m]\r\nk=\xC3\xA9"), encoding), L"[m]\r\nk=\u00e9");
  EXPECT_EQ(encoding, TIniEncoding::Utf8);
}

TEST(IniTextTest, FilesThatAreMissingBinaryLockedOrHalfWrittenLoseNothing) {
  testsupport::TempFolder folder(L"iniload");
  const std::wstring file = folder.Path() + L"f.ini";
  TIniText ini;
  EXPECT_EQ(LoadIniFile(file, ini), TIniLoad::Missing);
  EXPECT_EQ(LoadIniFile(folder.Path() + L"no folder\\f.ini", ini), TIniLoad::Missing);

  WriteBytes(file, Bytes(std::string("MZ\x90\0\x03\0\0\0[main]\r\n", 16)));
  EXPECT_EQ(LoadIniFile(file, ini), TIniLoad::NotText);
  WriteBytes(file, {0xFF, 0xFE, '[', 0, 'a', 0, 0, 0});
  EXPECT_EQ(LoadIniFile(file, ini), TIniLoad::NotText);

  const std::vector<std::uint8_t> good = Bytes("[main]\r\nfileinfo=1\r\n");
  WriteBytes(file, good);
  {
    FileHandle lock(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    DWORD error = 0;
    EXPECT_EQ(LoadIniFile(file, ini, &error), TIniLoad::Unreadable);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_NE(SaveIniFile(file, L"[main]\r\nfileinfo=2\r\n"), 0u) << "a held file is not replaced";
  }
  EXPECT_EQ(FileBytes(file), good);

  SetWriteFailAfter(5);
  const DWORD failed = SaveIniFile(file, L"[main]\r\nfileinfo=2\r\n[item0]\r\nText=new\r\n");
  SetWriteFailAfter(std::nullopt);
  EXPECT_EQ(failed, static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(FileBytes(file), good) << "a failed save leaves the old file whole";
  EXPECT_FALSE(FileExists(file + L".tmp"));
  ASSERT_EQ(LoadIniFile(file, ini), TIniLoad::Ok);
  EXPECT_EQ(ini.Sections.at(0).Read(L"fileinfo"), L"1");
}

}  // namespace
