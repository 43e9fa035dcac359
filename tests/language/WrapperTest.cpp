#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "language/VxMLSTDCTRLWrapper.h"
#include "language/VxMultiLanguageEngine.h"
#include "ui/ActnList.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/Paths.h"
#include "ui/StdCtrls.h"

namespace fs = std::filesystem;
namespace {
std::string ReadBytes(const std::wstring& path) {
  std::ifstream f(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}
bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

std::wstring WindowText(HWND h) {
  wchar_t buffer[256] = L"";
  GetWindowTextW(h, buffer, 256);
  return buffer;
}

std::wstring TabText(TPageControl* pages, int index) {
  wchar_t buffer[256] = L"";
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(pages->Handle(), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return buffer;
}

// A real window with real controls, a language file in a throwaway executable folder, and an
// engine with the wrapper over it.
class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int run = 0;
    root_ = fs::temp_directory_path() /
            ("vxq_wrp_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++run));
    fs::create_directories(root_ / "languages");
    SetExeFolderOverride(root_.wstring());
    app_ = std::make_unique<TApplication>();
    form_ = new TForm(app_.get(), L"TWrapperTestForm");
    wrapper_ = std::make_unique<TVxMultiLanguageSTDWrp>(&engine_);
  }
  void TearDown() override {
    wrapper_.reset();
    app_.reset();
    SetExeFolderOverride(L"");
    fs::remove_all(root_);
  }
  std::wstring Load(const std::string& bytes) {
    std::wstring path = LanguageFileName(L"test");
    std::ofstream(fs::path(path), std::ios::binary) << bytes;
    engine_.LoadFromFile(path);
    return path;
  }
  template <class T>
  T* Make(const wchar_t* name, const wchar_t* caption, const wchar_t* hint = L"", bool showHint = false) {
    auto* c = new T(form_, name);
    c->SetParent(form_);
    c->SetCaption(caption);
    c->SetHint(hint);
    c->SetShowHint(showHint);
    return c;
  }

  fs::path root_;
  std::unique_ptr<TApplication> app_;
  TForm* form_ = nullptr;
  TVxMultiLanguage engine_;
  std::unique_ptr<TVxMultiLanguageSTDWrp> wrapper_;
};
}  // namespace

TEST_F(WrapperTest, HintRuleOfButtonsCheckBoxesAndTabSheets) {
  std::wstring path = Load("[lng_Win]\r\nKeyOnly=Solo chiave\r\nKEYONLY_HINT=Suggerimento\r\nBox=Casella\r\n"
                           "Box_HINT=Spunta\r\nGrp=Gruppo\r\nPage2=Seconda\r\n");
  form_->Handle();
  auto* noHint = Make<TButton>(L"NoHint", L"Plain");
  auto* keyOnly = Make<TButton>(L"KeyOnly", L"Key");
  auto* shown = Make<TButton>(L"Shown", L"Shown", L"", true);
  auto* designed = Make<TButton>(L"Designed", L"Designed", L"Press me");
  auto* box = Make<TCheckBox>(L"Box", L"Box");
  auto* grp = Make<TGroupBox>(L"Grp", L"Group", L"Group hint", true);
  auto* pages = new TPageControl(form_, L"Pages");
  pages->SetParent(form_);
  auto* page1 = new TTabSheet(pages, L"Page1");
  auto* page2 = new TTabSheet(pages, L"Page2");
  page1->SetCaption(L"First");
  page2->SetCaption(L"Second");
  page1->SetShowHint(true);

  // Without translator mode a missing key changes nothing and writes nothing.
  wrapper_->SetSection(L"Win");
  wrapper_->TranslateButton(shown);
  EXPECT_EQ(shown->Hint(), L"");
  EXPECT_FALSE(Has(ReadBytes(path), "Shown")) << ReadBytes(path);

  engine_.SetMarkMissing(true);
  for (TButton* b : {noHint, keyOnly, shown, designed}) wrapper_->TranslateButton(b);
  wrapper_->TranslateCheckBox(box);
  wrapper_->TranslateGroupBox(grp);
  wrapper_->TranslateTabSheet(page1);
  wrapper_->TranslateTabSheet(page2);

  EXPECT_EQ(WindowText(noHint->Handle()), L"Plain[M]");
  EXPECT_EQ(noHint->Hint(), L"") << "no hint, ShowHint off, no key: left alone";
  EXPECT_EQ(WindowText(keyOnly->Handle()), L"Solo chiave");
  EXPECT_EQ(keyOnly->Hint(), L"Suggerimento") << "the _HINT key is found whatever its case";
  EXPECT_EQ(shown->Hint(), L"[M]") << "ShowHint on: looked up although empty";
  EXPECT_EQ(designed->Hint(), L"Press me[M]");
  EXPECT_EQ(WindowText(box->Handle()), L"Casella");
  EXPECT_EQ(box->Hint(), L"Spunta");
  EXPECT_EQ(WindowText(grp->Handle()), L"Gruppo");
  EXPECT_EQ(grp->Hint(), L"Group hint") << "group boxes translate their caption only";
  EXPECT_EQ(TabText(pages, 0), L"First[M]") << "a tab sheet's caption is its tab's text";
  EXPECT_EQ(TabText(pages, 1), L"Seconda");
  EXPECT_EQ(page1->Hint(), L"[M]");
  EXPECT_EQ(page2->Hint(), L"");

  std::string bytes = ReadBytes(path);
  for (const char* line : {"Shown_HINT=[M]\r\n", "Designed_HINT=Press me[M]", "Page1_HINT=[M]", "NoHint=Plain[M]"})
    EXPECT_TRUE(Has(bytes, line)) << line << " missing from:\n" << bytes;
  for (const char* key : {"NoHint_HINT", "Box_HINT=Spunta[M]", "Grp_HINT", "Page2_HINT"})
    EXPECT_FALSE(Has(bytes, key)) << key << " must not be recorded:\n" << bytes;
}

TEST_F(WrapperTest, ActionsReachTheirMenuItemsAndButtons) {
  std::wstring path = Load("[LNG_Main]\r\nactShow=Mostra\r\nactNew_HINT=Nuova nota\r\nmnuTools=Strumenti\r\n"
                           "mnuTools_HINT=Attrezzi\r\nmnuSub=Sotto\r\n");
  engine_.SetMarkMissing(true);
  auto* list = new TActionList(form_, L"Actions");
  TAction* show = list->Add(L"actShow", L"Show");
  TAction* add = list->Add(L"actNew", L"New");
  TAction* quit = list->Add(L"actQuit", L"Quit");
  quit->SetHint(L"Leave");
  auto* menu = new TPopupMenu(form_, L"Menu");
  TMenuItem* showItem = menu->Items()->Add(L"", L"mnuShow");
  showItem->SetAction(show);
  TMenuItem* newItem = menu->Items()->Add(L"", L"mnuNew");
  newItem->SetAction(add);
  auto* button = Make<TButton>(L"btnShow", L"");
  button->SetShowHint(true);
  button->SetAction(show);
  TMenuItem* tools = menu->Items()->Add(L"Tools", L"mnuTools");
  TMenuItem* sub = tools->Add(L"Sub", L"mnuSub");

  wrapper_->SetSection(L"Main");
  wrapper_->TranslateActionList(list);
  wrapper_->TranslateMenuItem(tools);

  EXPECT_EQ(show->Caption(), L"Mostra");
  EXPECT_EQ(showItem->Caption, L"Mostra") << "a linked menu item follows its action";
  EXPECT_EQ(WindowText(button->Handle()), L"Mostra") << "so does a linked button";
  EXPECT_EQ(show->Hint(), L"") << "an empty action hint without its key stays, ShowHint of a client or not";
  EXPECT_EQ(add->Hint(), L"Nuova nota");
  EXPECT_EQ(newItem->Hint, L"Nuova nota");
  EXPECT_EQ(quit->Hint(), L"Leave[M]");
  EXPECT_EQ(tools->Caption, L"Strumenti");
  EXPECT_EQ(tools->Hint, L"Attrezzi");
  EXPECT_EQ(sub->Caption, L"Sub") << "sub-items are not translated with their parent";

  std::string bytes = ReadBytes(path);
  EXPECT_FALSE(Has(bytes, "actShow_HINT")) << bytes;
  EXPECT_TRUE(Has(bytes, "actNew=New[M]") && Has(bytes, "actQuit_HINT=Leave[M]")) << bytes;
}

TEST_F(WrapperTest, NoFileKeepsDesignTextsAndBadUseIsReported) {
  engine_.SetMarkMissing(true);
  auto* button = Make<TButton>(L"btnGo", L"Go", L"", true);
  auto* list = new TActionList(form_, L"Actions");
  TAction* action = list->Add(L"actRun", L"Run");
  auto* item = (new TPopupMenu(form_))->Items()->Add(L"Item", L"mnuItem");
  // No section selected either: without a file that is no error.
  wrapper_->TranslateButton(button);
  wrapper_->TranslateActionList(list);
  wrapper_->TranslateMenuItem(item);
  EXPECT_EQ(WindowText(button->Handle()), L"Go");
  EXPECT_EQ(button->Hint(), L"");
  EXPECT_EQ(action->Caption(), L"Run");
  EXPECT_EQ(item->Caption, L"Item");
  EXPECT_TRUE(fs::is_empty(root_ / "languages")) << "nothing may be written without a file";

  // With a file but no section, the engine's error comes through.
  Load("[LNG_X]\r\nbtnGo=Vai\r\n");
  EXPECT_THROW(wrapper_->TranslateButton(button), ELanguageError);
  wrapper_->SetSection(L"x");
  wrapper_->TranslateButton(button);
  EXPECT_EQ(WindowText(button->Handle()), L"Vai");
  EXPECT_THROW(TVxMultiLanguageSTDWrp(nullptr), ELanguageError) << "a wrapper without an engine must not exist";
}
