#include "LanguageTestEnv.h"
#include "notes/InternalProcs.h"

using namespace langtest;

namespace {
size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

class LanguageEngineTest : public LanguageTest {};
}  // namespace

TEST_F(LanguageEngineTest, TranslatorModeRecordsMissingKeysOnce) {
  std::wstring path = MakeFile(L"it", "[lng_vantaro_main]\r\n_EXIT=Esci\r\n_empty=\r\n");
  TVxMultiLanguage engine;
  engine.LoadFromFile(path);
  engine.SetSection(L"Vantaro_Main");
  EXPECT_EQ(engine.GetString(L"_empty", L"Empty"), L"Empty") << "an empty value counts as missing";
  EXPECT_TRUE(engine.KeyExists(L"_EMPTY")) << "yet the key is present";
  engine.SetMarkMissing(true);
  EXPECT_EQ(engine.GetString(L"_exit", L"Exit"), L"Esci") << "names match without regard to case";
  EXPECT_EQ(engine.GetString(L"_ok", L"OK"), L"OK[M]");
  EXPECT_EQ(engine.GetString(L"_empty", L"Empty"), L"Empty[M]");
  EXPECT_EQ(engine.GetString(L"_msg", L"One\n\rTwo=2"), L"One\n\rTwo=2[M]");
  engine.SetMarkMissing(false);
  EXPECT_EQ(engine.GetString(L"_ok", L"OK"), L"OK[M]") << "second lookup returns the stored text";
  EXPECT_EQ(engine.GetString(L"_msg", L""), L"One  Two=2[M]") << "a value stays on one line";
  EXPECT_FALSE(engine.KeyExists(L"Two")) << "the tail of a multi-line default became a key";
  std::string bytes = ReadText(path);
  EXPECT_EQ(Count(bytes, "_ok=OK[M]") + Count(bytes, "_empty=Empty[M]"), 2u) << bytes;
  EXPECT_EQ(Count(bytes, "_empty="), 1u) << bytes;
  EXPECT_EQ(Count(bytes, "_exit"), 0u) << "a key found under another case must not be recorded again";

  engine.SetSection(L"");
  EXPECT_THROW(engine.GetString(L"_ok", L"OK"), ELanguageError);
  EXPECT_THROW(engine.LoadFromFile(LanguageFileName(L"missing")), ELanguageFileOpenError);
  EXPECT_EQ(engine.FileName(), path) << "the file loaded before stays";
}

TEST_F(LanguageEngineTest, LanguageInfo) {
  std::wstring full = MakeFile(L"full", "[info]\r\nLanguage=Italiano\r\nauthor=Mario\r\nauthor_web=www.x.it\r\n"
                                        "author_mail=m@x.it\r\nnotes=Prima\r\n");
  TVxMultiLanguage engine;
  std::vector<std::wstring> lines{L"kept"};
  engine.GetLanguageInfo(full, lines);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"kept", L"Language: Italiano", L"Author: Mario", L"www.x.it",
                                              L"m@x.it", L"Notes:", L"Prima"}));
  lines.clear();
  engine.GetLanguageInfo(MakeFile(L"bare", "[LNG_A]\r\nk=v\r\n"), lines);
  engine.GetLanguageInfo(LanguageFileName(L"nope"), lines);
  EXPECT_TRUE(lines.empty()) << "no info section, no file: no lines";
  engine.LoadFromFile(MakeFile(L"notes", "[INFO]\r\nNOTES=Solo note\r\nauthor=\r\n"));
  engine.GetLanguageInfo(L"", lines);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"Notes:", L"Solo note"})) << "empty name means the loaded file";
}

TEST_F(LanguageEngineTest, BrokenFilesKeepTheProgramWorking) {
  TVxMultiLanguage engine;
  engine.SetSection(L"N");
  engine.SetMarkMissing(true);
  std::wstring empty = MakeFile(L"empty", "");
  engine.LoadFromFile(empty);
  EXPECT_EQ(engine.GetString(L"_close", L"Close"), L"Close[M]");
  EXPECT_TRUE(Has(ReadText(empty), "_close=Close[M]")) << "an empty file is built up";

  std::string garbage = "\xFF\xFE";  // a UTF-16 mark in front of noise, NUL bytes included
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919 + i / 13) & 0xFF);
  engine.LoadFromFile(MakeFile(L"noise", garbage));
  EXPECT_EQ(engine.GetString(L"_x", L"X"), L"X[M]");
  engine.LoadFromFile(MakeFile(L"junk", garbage.substr(2, 9000) + "\r\n[LNG_N]\r\n_t=Titolo\r\n"));
  EXPECT_EQ(engine.GetString(L"_t", L"Title"), L"Titolo") << "a sound section after junk still reads";

  std::string huge(10000, 'a'), keys;
  for (size_t i = 0; i < huge.size(); ++i) huge[i] = static_cast<char>('a' + i % 26);
  for (int i = 0; i < 1500; ++i) keys += "key" + std::to_string(i) + "=v\r\n";
  engine.LoadFromFile(
      MakeFile(L"big", "[info]\r\nnotes=" + huge + "\r\n[LNG_N]\r\nhuge=" + huge + "\r\nafter=Tail\r\n" + keys));
  EXPECT_EQ(engine.GetString(L"huge", L""), std::wstring(huge.begin(), huge.begin() + kLanguageValueBufferSize - 1))
      << "cut to the buffer";
  EXPECT_EQ(engine.GetString(L"after", L""), L"Tail");
  EXPECT_TRUE(engine.KeyExists(L"key1499")) << "a long key list is read whole";
}

// The file keeps its 8-bit code page (this test needs 1252).
TEST_F(LanguageEngineTest, StartAndStopRoutinesAndEightBitFiles) {
  testsupport::Keep keep(LanguageName);
  const std::wstring oldName = LanguageName;
  InitLanguageEngine();
  ASSERT_NE(LanguageEngine, nullptr);
  LoadLanguage(L"klingon");
  EXPECT_FALSE(LanguageEngine->IsLoaded()) << "a missing file keeps the English texts";
  // A name that leads out of the languages folder loads nothing, even where a file stands.
  MakeFile(L"..\\outside", "[LNG_A]\r\nk=v\r\n");
  LoadLanguage(L"..\\outside");
  EXPECT_FALSE(LanguageEngine->IsLoaded());
  EXPECT_EQ(LanguageName, oldName);
  std::wstring path = MakeFile(L"Italiano", "[LNG_A]\r\nk=Propriet\xE0\r\n");
  LoadLanguage(L"Italiano");
  EXPECT_EQ(LanguageName, L"Italiano");
  LanguageEngine->SetSection(L"A");
  LanguageEngine->SetMarkMissing(true);
  if (GetACP() == 1252) {
    EXPECT_EQ(LanguageEngine->GetString(L"k", L""), L"Propriet\u00E0");
    EXPECT_EQ(LanguageEngine->GetString(L"c", L"Citt\u00E0"), L"Citt\u00E0[M]");
    EXPECT_TRUE(Has(ReadText(path), "c=Citt\xE0[M]"));
  }
  DoneLanguageEngine();
  EXPECT_EQ(LanguageEngine, nullptr);
}
