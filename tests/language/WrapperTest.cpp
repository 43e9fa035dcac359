#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <memory>
#include <tuple>

#include "LanguageTestEnv.h"
#include "language/VxMLSTDCTRLWrapper.h"
#include "ui/ActnList.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

using namespace langtest;

namespace {
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

// A real window with real controls, and an engine with the wrapper over it.
class WrapperTest : public LanguageTest {
 protected:
  void SetUp() override {
    LanguageTest::SetUp();
    app_ = std::make_unique<TApplication>();
    form_ = new TForm(app_.get(), L"TWrapperTestForm");
    wrapper_ = std::make_unique<TVxMultiLanguageSTDWrp>(&engine_);
  }
  void TearDown() override {
    wrapper_.reset();
    app_.reset();
    LanguageTest::TearDown();
  }
  std::wstring Load(const std::string& bytes) {
    std::wstring path = MakeFile(L"test", bytes);
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

  wrapper_->SetSection(L"Win");
  engine_.SetMarkMissing(true);
  for (TButton* b : {noHint, keyOnly, shown, designed}) wrapper_->TranslateButton(b);
  wrapper_->TranslateCheckBox(box);
  wrapper_->TranslateGroupBox(grp);
  wrapper_->TranslateTabSheet(page1);
  wrapper_->TranslateTabSheet(page2);

  // Caption and hint of each: no hint, ShowHint off and no key leave the hint alone; ShowHint on
  // looks it up although empty; the _HINT key is found whatever its case; group boxes translate
  // their caption only; a tab sheet's caption is its tab's text.
  const std::tuple<const char*, std::wstring, std::wstring, std::wstring> rows[] = {
      {"NoHint", WindowText(noHint->Handle()), noHint->Hint(), L"Plain[M]|"},
      {"KeyOnly", WindowText(keyOnly->Handle()), keyOnly->Hint(), L"Solo chiave|Suggerimento"},
      {"Shown", L"", shown->Hint(), L"|[M]"},
      {"Designed", L"", designed->Hint(), L"|Press me[M]"},
      {"Box", WindowText(box->Handle()), box->Hint(), L"Casella|Spunta"},
      {"Grp", WindowText(grp->Handle()), grp->Hint(), L"Gruppo|Group hint"},
      {"Page1", TabText(pages, 0), page1->Hint(), L"First[M]|[M]"},
      {"Page2", TabText(pages, 1), page2->Hint(), L"Seconda|"},
  };
  for (const auto& [name, caption, hint, expected] : rows) EXPECT_EQ(caption + L"|" + hint, expected) << name;

  std::string bytes = ReadText(path);
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

  EXPECT_EQ(showItem->Caption, L"Mostra") << "a linked menu item follows its action";
  EXPECT_EQ(WindowText(button->Handle()), L"Mostra") << "so does a linked button";
  EXPECT_EQ(show->Hint(), L"") << "an empty action hint without its key stays, ShowHint of a client or not";
  EXPECT_EQ(newItem->Hint, L"Nuova nota");
  EXPECT_EQ(quit->Hint(), L"Leave[M]");
  EXPECT_EQ(tools->Caption + L"|" + tools->Hint, L"Strumenti|Attrezzi");
  EXPECT_EQ(sub->Caption, L"Sub") << "sub-items are not translated with their parent";

  std::string bytes = ReadText(path);
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
  EXPECT_EQ(WindowText(button->Handle()) + button->Hint() + action->Caption() + item->Caption, L"GoRunItem");
  EXPECT_TRUE(NothingWritten()) << "nothing may be written without a file";

  // With a file but no section, the engine's error comes through.
  Load("[LNG_X]\r\nbtnGo=Vai\r\n");
  EXPECT_THROW(wrapper_->TranslateButton(button), ELanguageError);
  wrapper_->SetSection(L"x");
  wrapper_->TranslateButton(button);
  EXPECT_EQ(WindowText(button->Handle()), L"Vai");
  EXPECT_THROW(TVxMultiLanguageSTDWrp(nullptr), ELanguageError) << "a wrapper without an engine must not exist";
}
