#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <vector>

#include "notes/InternalProcs.h"
#include "notes/RegistryUnit.h"
#include "shell/ShortcutManagerUnit.h"
#include "ui/Paths.h"
#include "ui/Registry.h"

namespace {
const std::wstring kMain = L"SOFTWARE\\Belvanto\\VxVantaro";
const std::wstring kKeys = kMain + L"\\ShortCuts\\Keys";
constexpr DWORD kMissing = 0xFFFFFFFF;

// A value's type as stored (kMissing when absent), and its bytes, read with the plain API.
DWORD Stored(const std::wstring& key, const wchar_t* name, std::vector<BYTE>* data = nullptr) {
  DWORD type = 0, size = 0;
  auto get = [&](void* to) {
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, to, &size);
  };
  if (get(nullptr) != ERROR_SUCCESS) return kMissing;
  if (data) data->resize(size), get(data->data());
  return type;
}

// A key to store test values in, made when missing.
struct Key : TRegistry {
  explicit Key(const std::wstring& path) { OpenKey(path, true); }
  void Dwords(std::initializer_list<std::pair<const wchar_t*, std::int32_t>> values) {
    for (auto [name, v] : values) WriteInteger(name, v);
  }
};

bool SameRecord(const TFontSetting& a, const TFontSetting& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class Settings : public ::testing::Test {
 protected:
  TVx_Shortcut newNote, manager, todo;

  void SetUp() override {
    TRegistry::DeleteKeyTree(HKEY_CURRENT_USER, kMainKey);
    SetExeFolderOverride(L"C:\\VxqExe");
    NewNoteShortCut = &newNote, NotesManagerShortCut = &manager, ToDoListShortCut = &todo;
    Reset();
  }
  void TearDown() override {
    TRegistry::DeleteKeyTree(HKEY_CURRENT_USER, kMainKey);
    Reset();
    SetExeFolderOverride(L"");
    NewNoteShortCut = NotesManagerShortCut = ToDoListShortCut = nullptr;
  }
  // The values a start has just before the settings are loaded.
  void Reset() {
    SettingsChanged = NoteTransparency = false, SafeSave = NoteAnimations = true;
    TitleFont = NoteFont = TFontSetting{};
    SetDefaultSettings();
    TrillFile.clear(), LanguageName = L"english";
    DefNoteWidth = DefNoteHeight = 160, DefaultTrayIconAction = 1;
    for (TVx_Shortcut* s : {&newNote, &manager, &todo}) s->Data->Modifier = 0, s->Data->Key = 0;
  }
};
}  // namespace

TEST(FontSetting, RecordLayoutIsByteForByte) {
  TFontSetting f;
  std::memset(&f, 'x', sizeof f);
  f.SetFaceName("Tahoma");
  f.Size = 200;
  f.Style = fsBold | fsStrikeOut;
  f.Color = 0x00123456;
  const auto* b = reinterpret_cast<const unsigned char*>(&f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 8), "\x06Tahomax") << "length, name, bytes as they were";
  const std::vector<unsigned char> tail(b + 256, b + 264), expected{200, 9, 'x', 'x', 0x56, 0x34, 0x12, 0};
  EXPECT_EQ(tail, expected) << "size, style, padding as it was, colour little-endian";
  f.SetFaceName(std::string(300, 'W'));
  EXPECT_EQ(f.NameLength, 255) << "a long face name is cut to 255 characters";
  EXPECT_EQ(b[256], 200) << "cutting the name must not spill into the size";
}

TEST_F(Settings, SavedSettingsComeBackWithTheirRegistryTypes) {
  SafeSave = NoteAnimations = false, NoteTransparency = true;
  NoteColor = 0x00123456, TitleColor = 0x00ABCDEF;
  TitleFont.SetFaceName("Courier New");
  TitleFont.Size = 200, TitleFont.Style = fsItalic | fsUnderline;
  TitleFont.Padding[0] = 0x5A, TitleFont.Color = 0xFF8040;
  std::memset(NoteFont.Name, 'z', sizeof NoteFont.Name);
  NoteFont.SetFaceName("Tahoma");
  TrillFile = L"C:\\sounds\\bell.wav", LanguageName = L"italiano";
  DefNoteWidth = -5, DefNoteHeight = 321, DefaultTrayIconAction = 2;
  newNote.Data->Modifier = 1, newNote.Data->Key = 'N';
  manager.Data->Modifier = 2, manager.Data->Key = VK_F5;
  const TFontSetting title = TitleFont, note = NoteFont;
  SettingsChanged = true;
  SaveSettings();

  for (auto n : {L"SafeSave", L"NoteColor", L"TitleColor", L"NoteAnimations", L"NoteTransparency", L"DefNoteWidth",
                 L"DefNoteHeight"})
    EXPECT_EQ(Stored(kMain, n), DWORD(REG_DWORD)) << n;
  for (auto n : {L"TrillFile", L"Language"}) EXPECT_EQ(Stored(kMain, n), DWORD(REG_SZ)) << n;
  std::vector<BYTE> bytes;
  ASSERT_EQ(Stored(kMain, L"NoteFont", &bytes), DWORD(REG_BINARY));
  ASSERT_EQ(bytes.size(), 264u);
  EXPECT_EQ(std::memcmp(bytes.data(), &note, 264), 0) << "the bytes behind the name are stored too";
  EXPECT_EQ(Stored(kMain + L"\\ShortCuts", L"DefaultTrayIconAction"), DWORD(REG_DWORD));
  const wchar_t* hotKeyValues[] = {L"NewNoteShortCut_m",      L"NewNoteShortCut_k",  L"NotesManagerShortCut_m",
                                   L"NotesManagerShortCut_k", L"ToDoListShortCut_m", L"ToDoListShortCut_k"};
  for (auto n : hotKeyValues) EXPECT_EQ(Stored(kKeys, n), DWORD(REG_DWORD)) << n;

  Reset();
  LoadSettings();
  EXPECT_TRUE(!SafeSave && !NoteAnimations && NoteTransparency && TitleColor == 0x00ABCDEFu);
  EXPECT_TRUE(SameRecord(TitleFont, title) && SameRecord(NoteFont, note));
  EXPECT_TRUE(TrillFile == L"C:\\sounds\\bell.wav" && DefNoteHeight == 321 && DefaultTrayIconAction == 2);
  EXPECT_TRUE(newNote.Data->Modifier == 1 && newNote.Data->Key == 'N');
  EXPECT_TRUE(manager.Data->Modifier == 2 && manager.Data->Key == VK_F5);
  EXPECT_EQ(LanguageName, L"english") << "the language is read only by ReadLanguageSetting";
  std::wstring language;
  ReadLanguageSetting(language);
  EXPECT_EQ(language, L"italiano");
}

TEST_F(Settings, ReadingStopsAtTheFirstMissingOrMistypedValue) {
  TFontSetting verdana{};
  verdana.SetFaceName("Verdana");
  verdana.Size = 11;
  SetDefaultSettings();
  const TFontSetting defaultTitle = TitleFont;
  // Loads a complete set of stored settings with one value spoiled.
  auto load = [&](const char* what, const std::function<void(Key&)>& spoil) {
    SCOPED_TRACE(what);
    TRegistry::DeleteKeyTree(HKEY_CURRENT_USER, kMainKey);
    Reset();
    {
      Key main(kMain);
      main.Dwords({{L"SafeSave", 0}, {L"NoteColor", 0x111111}, {L"TitleColor", 0x222222}, {L"NoteAnimations", 0},
                   {L"NoteTransparency", 2}, {L"DefNoteWidth", 300}, {L"DefNoteHeight", 200}});
      main.WriteBinaryData(L"TitleFont", &verdana, sizeof verdana);
      main.WriteBinaryData(L"NoteFont", &verdana, sizeof verdana);
      main.WriteString(L"TrillFile", L"x.wav");
      Key(kMain + L"\\ShortCuts").WriteInteger(L"DefaultTrayIconAction", 0);
      Key(kKeys).Dwords({{L"NewNoteShortCut_m", 1}, {L"NewNoteShortCut_k", 'Q'}});
      spoil(main);
    }
    LoadSettings();
  };

  load("NoteColor missing behind SafeSave", [](Key& k) { k.DeleteValue(L"NoteColor"); });
  EXPECT_TRUE(!SafeSave && TitleColor == 0x00ECECu && DefNoteWidth == 160 && newNote.Data->Key == 0);

  load("NoteColor stored as a string", [](Key& k) { k.WriteString(L"NoteColor", L"65535"); });
  EXPECT_TRUE(!SafeSave && NoteColor == 0x00FFFFu && TitleColor == 0x00ECECu);

  load("TitleFont of 300 bytes", [](Key& k) { k.WriteBinaryData(L"TitleFont", std::string(300, 1).data(), 300); });
  EXPECT_TRUE(NoteTransparency && SameRecord(TitleFont, defaultTitle) && DefNoteWidth == 160);

  load("TitleFont of 3 bytes", [](Key& k) { k.WriteBinaryData(L"TitleFont", "\x04" "Co", 3); });
  EXPECT_EQ(TitleFont.FaceName(), "Coia") << "only the first bytes are overwritten";
  EXPECT_TRUE(TitleFont.Size == 7 && SameRecord(NoteFont, verdana) && DefNoteWidth == 300);

  load("DefNoteWidth as a 4-byte binary", [](Key& k) { k.WriteBinaryData(L"DefNoteWidth", "\x2C\x01\0", 4); });
  EXPECT_EQ(DefNoteWidth, 160) << "an integer must be a REG_DWORD";
  EXPECT_EQ(TrillFile, L"");

  load("DefNoteHeight missing", [](Key& k) { k.DeleteValue(L"DefNoteHeight"); });
  EXPECT_TRUE(DefNoteWidth == 160 && DefNoteHeight == 160 && TrillFile == L"x.wav");

  load("DefaultTrayIconAction 258",
       [](Key&) { Key(kMain + L"\\ShortCuts").WriteInteger(L"DefaultTrayIconAction", 258); });
  EXPECT_EQ(DefaultTrayIconAction, 2) << "only the low byte counts";
}

TEST_F(Settings, FirstRunAndShutdownWithoutChanges) {
  NoteColor = 0x010203;
  LoadSettings();
  EXPECT_EQ(NoteColor, 0x010203u) << "no main key: nothing is read";

  SaveSettings();
  ASSERT_TRUE(TRegistry().KeyExists(kMainKey)) << "the main key is made even when nothing is written";
  EXPECT_EQ(Stored(kMain, L"SafeSave"), kMissing) << "settings left unchanged are not written";
  LoadSettings();
  EXPECT_EQ(TrillFile, L"C:\\VxqExe\\trill.wav");
  EXPECT_EQ(NoteColor, 0x010203u);
}

TEST_F(Settings, LanguageFallsBackToEnglish) {
  auto read = [] {
    std::wstring name = L"x";
    ReadLanguageSetting(name);
    return name;
  };
  EXPECT_EQ(read(), L"english") << "no main key";
  Key main(kMain);
  EXPECT_EQ(read(), L"english") << "no Language value";
  main.WriteString(L"Language", L"deutsch");
  EXPECT_EQ(read(), L"deutsch");
  main.WriteInteger(L"Language", 7);
  EXPECT_EQ(read(), L"english") << "a value of the wrong type";
  // The name is a file in the languages folder and nothing else.
  struct Row {
    const wchar_t* stored;
    const wchar_t* read;
  } rows[] = {{L"..\\..\\outside\\evil", L"english"}, {L"sub/evil", L"english"},  {L"C:evil", L"english"},
              {L"..", L"english"},                     {L"evil?", L"english"},     {L"tab\tname", L"english"},
              {L"CON", L"english"},                    {L"lpt1", L"english"},      {L"", L"english"},
              {L"trailing.", L"english"},              {L"русский", L"русский"},   {L"Deutsch 2", L"Deutsch 2"}};
  for (const Row& row : rows) {
    main.WriteString(L"Language", row.stored);
    EXPECT_EQ(read(), row.read) << WideToUtf8(row.stored);
  }
}

TEST_F(Settings, HotKeysNeedBothValuesAndTakeTheModifiersLowByte) {
  newNote.Data->Modifier = 1, newNote.Data->Key = 'A';
  manager.Data->Modifier = 1, manager.Data->Key = 'B';
  Key(kKeys).Dwords({{L"NewNoteShortCut_m", 0}, {L"NotesManagerShortCut_k", 'Z'}, {L"ToDoListShortCut_m", 257},
                        {L"ToDoListShortCut_k", 'T'}});
  LoadSettings();
  EXPECT_TRUE(newNote.Data->Modifier == 1 && newNote.Data->Key == 'A') << "only _m stored: the previous value stays";
  EXPECT_TRUE(manager.Data->Modifier == 1 && manager.Data->Key == 'B') << "only _k stored: the previous value stays";
  EXPECT_TRUE(todo.Data->Modifier == 1 && todo.Data->Key == 'T') << "257 reads as its low byte";

  // A key code of the wrong type ends the reading: the hot keys behind it stay unread.
  Reset();
  Key(kKeys).WriteInteger(L"NewNoteShortCut_m", 1);
  Key(kKeys).WriteString(L"NewNoteShortCut_k", L"N");
  LoadSettings();
  EXPECT_TRUE(newNote.Data->Key == 0 && todo.Data->Key == 0);
}
