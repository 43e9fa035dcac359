#include <cmath>

#include "NoteTestEnv.h"
#include "PrintTestSupport.h"
#include "noteconf/NoteConfTestEnv.h"

using namespace notetest;
using testsupport::Pump;
using testsupport::PumpUntil;

namespace {

class NoteMenuTest : public NoteTest {};

std::array<TMenuItem*, 8> SnoozeItems(TNoteForm* f, bool closeMenu) {
  f->EnsureMenus();
  if (closeMenu)
    return {f->N5Minutes2, f->N10Minutes2, f->N15Minutes2, f->N30Minutes2,
            f->N45Minutes2, f->N1Hour2, f->N2Hours2, f->illtomorrow2};
  return {f->N5Minutes1, f->N10Minutes1, f->N15Minutes1, f->N30Minutes1,
          f->N45Minutes1, f->N1Hour1, f->N2Hours1, f->illtomorrow1};
}

// The height of a line of text in the system's menu font.
int MenuTextHeight(const std::wstring& text) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  HFONT font = CreateFontIndirectW(&ncm.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return size.cy;
}

TEST_F(NoteMenuTest, EverySnoozeItemOfBothMenusHidesTheNoteForItsMinutes) {
  const TDateTime t = EncodeDateTime(2026, 7, 1, 10, 0);
  const unsigned minutes[] = {5, 10, 15, 30, 45, 60, 120};
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Snooze");
  std::wstring typed;
  for (bool closeMenu : {false, true}) {
    for (size_t i = 0; i < 7; ++i) {
      SetNowOverride(t);
      ASSERT_NE(w->Form, nullptr);
      TNoteForm* f = w->Form;
      TMenuItem* item = SnoozeItems(f, closeMenu)[i];
      const std::string what = WideToUtf8(item->Name());
      // Typed just before: the snooze must not lose it.
      const wchar_t key = static_cast<wchar_t>(L'a' + i + (closeMenu ? 7 : 0));
      TypeChar(f, key);
      typed += key;
      Pump(20);
      HWND h = f->Handle();
      item->Click();
      EXPECT_EQ(w->Form, nullptr) << what;
      EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << what << ": the window went";
      TNoteClass saved = LoadNote(w->FileName);
      EXPECT_TRUE(saved.GetHidden()) << what;
      EXPECT_EQ(saved.AutoShowPending, 1u) << what;
      EXPECT_NEAR(saved.ShowAt, t + minutes[i] * kMinute, kSecond / 100) << what;
      EXPECT_EQ(Trim(PlainText(saved)), typed) << what << ": what was typed just before was kept";

      SetNowOverride(t + minutes[i] * kMinute);
      Manager().CheckTimers();
      EXPECT_EQ(w->Form, nullptr) << what << ": back before its moment has passed";
      SetNowOverride(t + minutes[i] * kMinute + kSecond);
      Manager().CheckTimers();
      EXPECT_NE(w->Form, nullptr) << what << ": not back at its moment";
      if (w->Form) w->Form->NoteEdit->SetSelection(-1, -1);  // type at the end
    }
  }
}

TEST_F(NoteMenuTest, ASnoozeThatMeetsTheSessionEndLeavesTheFreedNoteAlone) {
  TNoteForm* f = StartProgramWithOneNote();
  ASSERT_NE(f, nullptr);
  const std::wstring file = VantaroEngine->NotesManager->Notes->Items(0)->FileName;
  HWND h = f->Handle();
  // The session ends while the snooze closes the window (its messages are handled meanwhile):
  // the note is saved and freed under the snooze.
  PostMessageW(h, WM_QUERYENDSESSION, 0, 0);
  PostMessageW(h, WM_ENDSESSION, TRUE, 0);
  SetNowOverride(EncodeDateTime(2026, 7, 1, 10, 0));
  f->EnsureMenus();
  f->N10Minutes1->Click();
  EXPECT_TRUE(Closing && VantaroEngine == nullptr) << "the session ended";
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << "the window went";
  TNoteClass saved = LoadNote(file);
  EXPECT_TRUE(saved.GetHidden()) << "saved away";
  EXPECT_NEAR(saved.ShowAt, EncodeDateTime(2026, 7, 1, 10, 10), kSecond / 100) << "until its moment";
}

TEST_F(NoteMenuTest, TillTomorrowComesBackAtMidnightEvenAcrossARestart) {
  SetNowOverride(EncodeDateTime(2026, 7, 1, 23, 59));
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Tomorrow");
  const std::string id = w->ID;
  w->Save();
  const Bytes opened = ReadBytes(w->FileName);
  w->HideUntil(EncodeDateTime(2026, 7, 1, 23, 58));
  w->HideUntil(EncodeDateTime(2026, 7, 1, 23, 59));
  ASSERT_TRUE(w->Form && w->Note->AutoShowPending == 0u && ReadBytes(w->FileName) == opened)
      << "a moment not in the future changes nothing and saves nothing";
  w->Form->EnsureMenus();
  w->Form->illtomorrow1->Click();
  EXPECT_EQ(w->Form, nullptr);
  EXPECT_DOUBLE_EQ(LoadNote(w->FileName).ShowAt, EncodeDateTime(2026, 7, 2));

  Manager().CloseAll();  // and a new start
  Pump(50);
  manager.reset();
  w = FindNote(Manager(), id);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Form, nullptr) << "still away after the restart";
  SetNowOverride(EncodeDateTime(2026, 7, 1, 23, 59, 59));
  Manager().CheckTimers();
  EXPECT_EQ(w->Form, nullptr);
  SetNowOverride(EncodeDateTime(2026, 7, 2, 0, 0, 1));
  Manager().CheckTimers();
  ASSERT_NE(w->Form, nullptr) << "back with the first tick of the new day";
  EXPECT_EQ(LoadNote(w->FileName).AutoShowPending, 0u) << "and saved";

  // Chosen at midnight exactly, from the close box's menu: a whole day.
  SetNowOverride(EncodeDateTime(2026, 7, 2));
  w->Form->EnsureMenus();
  w->Form->illtomorrow2->Click();
  EXPECT_DOUBLE_EQ(LoadNote(w->FileName).ShowAt, EncodeDateTime(2026, 7, 3));
  SetNowOverride(EncodeDateTime(2026, 7, 2, 23, 59, 59));
  Manager().CheckTimers();
  EXPECT_EQ(w->Form, nullptr);
}

TEST_F(NoteMenuTest, BothMenusOpenWithTheirHeadersWhichCannotBeChosen) {
  const TDateTime created = EncodeDateTime(2025, 12, 24, 18, 30, 15);
  TNoteWrapper* w = OpenNote(60, 60, 220, 180, L"Menus");
  w->Note->Created = created;
  TNoteForm* f = w->Form;
  f->NoteEdit->SetText(L"Open the note menu from the circle, and the snooze menu from the close box.");
  Pump(100);

  // The snooze menu from a right click on the close box (the header and the eight snooze
  // items), first, before any other menu of the note has opened; the note menu from a click on
  // the circle at the left of the title (header, separator, three states, snooze, print,
  // customize, delete, close, separators).
  const struct Row {
    const wchar_t* shot;
    int x;
    bool right;
    int items;
  } rows[] = {{L"notewindows-closeformenu", f->Width() - 6, true, 9}, {L"notewindows-notemenu", 5, false, 13}};
  for (const Row& row : rows) {
    SCOPED_TRACE(WideToUtf8(row.shot));
    int items = 0, state = 0;
    RECT header{}, opened{};
    WithMenuOpen([&] { PostClick(f->Handle(), row.x, 5, row.right); },
                 [&] {
                   HMENU menu = TPopupMenu::Current() ? TPopupMenu::Current()->CurrentHandle() : nullptr;
                   if (!menu) return;
                   items = GetMenuItemCount(menu);
                   state = static_cast<int>(GetMenuState(menu, 0, MF_BYPOSITION));
                   GetMenuItemRect(f->Handle(), menu, 0, &header);
                   GetWindowRect(FindWindowW(L"#32768", nullptr), &opened);
                   testsupport::SaveScreenShot(row.shot, RECT{0, 0, 480, 480});
                 });
    EXPECT_EQ(items, row.items);
    EXPECT_TRUE((state & MF_GRAYED) && (state & MF_OWNERDRAW)) << "the header cannot be chosen";
    if (row.right) continue;
    EXPECT_EQ(header.bottom - header.top, MenuTextHeight(DateTimeToStr(created)) * 2 + 8) << "twice the date's line, and 8";
    EXPECT_GT(header.right, header.left);
    EXPECT_EQ(opened.left, 60) << "opens at the left end of the title";
    EXPECT_EQ(opened.top, 72) << "just below the title";
  }
  ASSERT_EQ(w->Form, f) << "opening the menus changed nothing";
}

TEST_F(NoteMenuTest, DeleteAsksAndOnlyYesRemovesFileAndWindow) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Bin me");
  TNoteForm* f = w->Form;
  // A read-only note: its whole-note commands still work, and no key changes its text.
  f->NoteEdit->SetText(L"Keep me");
  f->ReadOnlyToggle->Execute();
  ASSERT_TRUE(f->NoteEdit->ReadOnly());
  w->Save();
  HWND h = f->Handle();
  const Bytes before = ReadBytes(w->FileName);
  const int count = Manager().Notes->Count();
  int answer = IDNO;
  RecordBoxes([&](const MessageBoxRequest&) { return answer; });
  {
    HeldKey ctrl(VK_CONTROL);  // the shortcut, as the user presses it in the note
    f->NoteEdit->SetFocus();
    PressKey(f, 'D');
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], L"Are you sure that you want to delete this note?\n\rNote title: Bin me");
  Pump(200);
  EXPECT_TRUE(IsWindow(h) && IsWindowVisible(h)) << "No keeps the window";
  EXPECT_EQ(w->Form, f);
  EXPECT_EQ(ReadBytes(w->FileName), before) << "and the file";
  EXPECT_EQ(f->NoteEdit->Text(), L"Keep me") << "and the text: the shortcut typed nothing";
  EXPECT_EQ(Manager().Notes->Count(), count);

  answer = IDYES;
  NoteAnimations = true;
  f->DeleteNoteAction->Execute();
  EXPECT_EQ(boxes.size(), 2u);
  FinishAnimation(f);
  ASSERT_EQ(f->AnimationSteps.size(), 5u) << "closes with its animation: 200 pixels shrink to 85 % five times";
  EXPECT_EQ(f->AnimationSteps.front(), 170);
  EXPECT_LT(f->AnimationSteps.back(), 90);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << "Yes closes the window";
  EXPECT_FALSE(FileExists(w->FileName)) << "and deletes the file";
  EXPECT_EQ(Manager().Notes->Count(), count - 1);
  Manager().CheckTimers();
  Pump(50);
  EXPECT_FALSE(FileExists(w->FileName)) << "nothing writes it again";

  // The same note is deleted some other way while its question is up (the notes manager's
  // window): the second Yes deletes nothing twice.
  w = OpenNote(100, 100, 200, 160, L"Bin me twice");
  f = w->Form;
  h = f->Handle();
  int questions = 0;
  SetMessageBoxAnswerer([&](const MessageBoxRequest&) {
    if (++questions == 1) {
      EXPECT_TRUE(Manager().DeleteNote(w, true)) << "deleted from elsewhere";
    }
    return IDYES;
  });
  const int before2 = Manager().Notes->Count();
  f->DeleteNoteAction->Execute();
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(Manager().Notes->Count(), before2 - 1) << "one note less, not two";
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); }));
  manager.reset();  // frees each deleted note once
  Manager();

  // The program shuts down while the question is up (the close request, the session end): every
  // note is saved and freed, the manager too. Yes still deletes the file, and nothing touches
  // the freed note or manager afterwards.
  w = OpenNote(100, 100, 200, 160, L"Bin me at the end");
  w->Save();
  const std::wstring file = w->FileName;
  f = w->Form;
  h = f->Handle();
  SetMessageBoxAnswerer([&](const MessageBoxRequest&) {
    manager.reset();
    Pump(50);
    return IDYES;
  });
  f->DeleteNoteAction->Execute();
  EXPECT_EQ(manager, nullptr);
  EXPECT_FALSE(FileExists(file)) << "Yes was the answer";
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); })) << "and the window goes";
}

TEST_F(NoteMenuTest, TheKeysGoToTheTextAgainAfterEachMenuAndTheDeleteQuestion) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Focus");
  TNoteForm* f = w->Form;
  HWND h = f->Handle(), edit = f->NoteEdit->Handle();
  f->NoteEdit->SetFocus();
  Pump(50);
  ASSERT_EQ(GetFocus(), edit);
  const int closeX = f->Width() - 6;
  struct Step {
    const char* what;
    std::function<void()> act;
  };
  auto menu = [&](int x, bool right) { return [=] { WithMenuOpen([=] { PostClick(h, x, 5, right); }, nullptr); }; };
  const std::vector<Step> steps{
      {"note menu", menu(5, false)},
      {"close box menu", menu(closeX, true)},
      {"delete question, answered No in the real box",
       [&] {
         SetMessageBoxAnswerer({});
         testsupport::DialogCloser no([](HWND box) { PostMessageW(box, WM_COMMAND, IDNO, 0); });
         f->DeleteNoteAction->Execute();
         EXPECT_TRUE(no.Found() && !no.Forced()) << "the question was asked and answered";
       }},
  };
  for (const Step& step : steps) {
    step.act();
    ASSERT_EQ(w->Form, f) << step.what;
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == edit; })) << "after the " << step.what;
    const std::wstring before = f->NoteEdit->Text();
    TypeChar(f, L'x');
    Pump(50);
    EXPECT_EQ(f->NoteEdit->Text().size(), before.size() + 1) << "a key after the " << step.what << " reaches the text";
  }
}

TEST_F(NoteMenuTest, TheProgramAskedToCloseWhileTheNoteMenuIsUpClosesTheMenuAndEnds) {
  TNoteForm* f = StartProgramWithOneNote();
  ASSERT_NE(f, nullptr);
  static HWND main, window;
  main = VantaroMainForm->Handle();
  window = f->Handle();
  static DWORD asked, menuGone;
  static bool dismissed;
  asked = menuGone = 0;
  dismissed = false;
  // Another copy of the program asks this one to close once the menu is up.
  const UINT_PTR ask = testsupport::WhenReady(testsupport::MenuUp, [] {
    asked = GetTickCount();
    SendMessageW(main, WM_CLOSEREQUEST, 0, 0);
  });
  // The user would dismiss the menu only after a long while.
  const UINT_PTR dismiss = SetTimer(nullptr, 0, testsupport::kPatience, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    dismissed = true;
    EndMenu();
  });
  PostClick(window, 5, 5);
  PumpUntil(
      [&] {
        if (!menuGone && asked && !IsWindowVisible(FindWindowW(L"#32768", nullptr))) menuGone = GetTickCount();
        return menuGone && !IsWindow(window);
      },
      2 * testsupport::kPatience);
  KillTimer(nullptr, ask);
  KillTimer(nullptr, dismiss);
  ASSERT_NE(asked, 0u) << "the menu opened";
  EXPECT_TRUE(Closing && VantaroEngine == nullptr) << "the notes were saved and freed";
  EXPECT_NE(menuGone, 0u) << "the menu was left open";
  EXPECT_FALSE(dismissed) << "the menu closes with the program, not when the user dismisses it";
  EXPECT_FALSE(IsWindow(window)) << "the note's window went";
  EXPECT_TRUE(Application->Terminated()) << "and the program ends";
}

TEST_F(NoteMenuTest, CustomizeSavesAndRestartsTheTimerOnlyWhileTheWindowStillExists) {
  TNoteWrapper* w = OpenNote(100, 100, 200, 160, L"Customize");
  TNoteForm* f = w->Form;
  f->UpdateTimer->Tick();  // the save after opening
  ASSERT_FALSE(f->UpdateTimer->Enabled());
  // Acts once on the properties dialog while it is up.
  std::function<void(TNoteConf&)> act;
  int dialogs = 0;
  bool acting = false;
  TTimer driver(Application, L"Driver", 20);
  driver.OnTimer = [&](TComponent*) {
    // Closing the window lets messages run, this timer's among them: one dialog, one act; and a
    // dialog already ended may still stand until its loop returns.
    if (acting) return;
    if (TNoteConf* d = noteconftest::OpenDialog(); d && d->ModalResult == mrNone) {
      ++dialogs;
      acting = true;
      TLifeCheck alive = d->Watch();
      act(*d);
      if (alive && d->ModalResult == mrNone) d->_cancel->Click();
      acting = false;
    }
  };
  driver.SetEnabled(true);

  act = [](TNoteConf&) {};
  {
    HeldKey ctrl(VK_CONTROL);
    PressKey(f, 'O');
  }
  ASSERT_TRUE(PumpUntil([&] { return dialogs == 1 && !noteconftest::OpenDialog(); })) << "Ctrl+O opens the dialog";
  EXPECT_TRUE(f->UpdateTimer->Enabled()) << "Ctrl+O: the save timer runs again after the dialog";

  // The window goes while the dialog is up.
  HWND h = f->Handle();
  act = [&](TNoteConf&) { w->CloseForm(true); };
  f->CustomizeAction->Execute();
  EXPECT_EQ(dialogs, 2);
  Pump(100);
  EXPECT_FALSE(IsWindow(h)) << "the window went during the dialog";
  EXPECT_EQ(w->Form, nullptr);
  EXPECT_EQ(noteconftest::OpenDialog(), nullptr);
}

TEST_F(NoteMenuTest, CaptionsAreTheirDefaultsWithoutALanguageFileAndTranslatedWithOne) {
  auto captions = [](TNoteForm* f) {
    f->EnsureMenus();
    return std::vector<std::wstring>{
        f->N5Minutes1->Caption,  f->N10Minutes2->Caption, f->N15Minutes1->Caption,      f->N30Minutes2->Caption,
        f->N45Minutes1->Caption, f->N1Hour2->Caption,     f->N2Hours1->Caption,         f->N2Hours2->Caption,
        f->illtomorrow1->Caption, f->illtomorrow2->Caption, f->CloseforSub->Caption,    f->StyleSub->Caption,
        f->CloseForText,         f->CreatedOnText,        f->PrintNoteAction->Caption(), f->CustomizeAction->Caption(),
        f->DeleteNoteAction->Caption(), f->CloseNoteAction->Caption(), f->ONTop->Caption(),
        f->ReadOnlyToggle->Caption(), f->Undo->Caption()};
  };
  // The last one, a key the file lacks, keeps its English text.
  const std::vector<std::wstring> english{
      L"5 Minutes", L"10 Minutes", L"15 Minutes", L"30 Minutes", L"45 Minutes", L"1 Hour", L"2 Hours", L"2 Hours",
      L"Till tomorrow", L"Till tomorrow", L"Close for", L"&Style", L"Close for:", L"Created on:", L"&Print Note",
      L"Custo&mize", L"&Delete note", L"&Close note", L"Always on &top", L"Read Only", L"&Undo"};
  const std::vector<std::wstring> italian{
      L"5 Minuti", L"10 Minuti", L"15 Minuti", L"30 Minuti", L"45 Minuti", L"1 Ora", L"2 Ore", L"2 Ore",
      L"Fino a domani", L"Fino a domani", L"Chiudi per", L"&Stile", L"Chiudi per:", L"Creata il:", L"S&tampa",
      L"&Personalizza", L"&Elimina nota", L"&Chiudi nota", L"Sempre in &primo piano", L"Sola lettura", L"&Undo"};
  const std::string file =
      "[LNG_Vantaro_Note]\r\nMinutes=Minuti\r\nHour=Ora\r\nHorus=Ore\r\nTillTomorrow=Fino a domani\r\n"
      "CloseforSub=Chiudi per\r\nStyleSub=&Stile\r\nClose_for=Chiudi per:\r\nCreatedOn=Creata il:\r\n"
      "PrintNote=S&tampa\r\nCustomize=&Personalizza\r\nDeleteNote=&Elimina nota\r\nCloseNote=&Chiudi nota\r\n"
      "ONTop=Sempre in &primo piano\r\nReadOnlyToggle=Sola lettura\r\n";
  ForceDirectories(LanguagesFolder());
  WriteBytes(LanguageFileName(L"italiano"), Bytes(file.begin(), file.end()));

  // A broken one: every key there but empty, amid bytes that are no text at all.
  std::string broken = "\xFF\xFE\x00[LNG_Vantaro_Note\r\n\x01\x02=\x03\r\n[LNG_Vantaro_Note]\r\n";
  for (size_t at = file.find("\r\n") + 2; at < file.size();) {
    const size_t eq = file.find('=', at), end = file.find("\r\n", at);
    broken += file.substr(at, eq + 1 - at) + "\r\n";
    at = end + 2;
  }
  WriteBytes(LanguageFileName(L"broken"), Bytes(broken.begin(), broken.end()));

  // No language objects at all; objects without a file; objects with the file; the broken file.
  for (int round = 0; round < 4; ++round) {
    if (round > 0) {
      LanguageEngine = new TVxMultiLanguage;
      LanguageWrapper = new TVxMultiLanguageSTDWrp(LanguageEngine);
    }
    if (round == 2) LanguageEngine->LoadFromFile(LanguageFileName(L"italiano"));
    if (round == 3) {
      LanguageEngine->LoadFromFile(LanguageFileName(L"broken"));
      ASSERT_TRUE(LanguageEngine->IsLoaded()) << "the broken file is read as far as it goes";
    }
    TNoteForm* f = OpenNote(100, 100, 200, 160, L"Words")->Form;
    if (round > 0) {
      EXPECT_EQ(LanguageEngine->Section(), L"Vantaro_Generic") << "left for the windows translated next";
    }
    EXPECT_EQ(f->NoteMenu, nullptr) << "no menu before one opens";
    EXPECT_EQ(captions(f), round == 2 ? italian : english) << "round " << round;
    if (round > 0) {
      EXPECT_EQ(LanguageEngine->Section(), L"Vantaro_Generic") << "left so by the menus too";
    }
    if (round > 0) DoneLanguageEngine();
  }
}

TEST_F(NoteMenuTest, TheTranslatorsModeRecordsTheMenusKeysAsTheNoteOpens) {
  ForceDirectories(LanguagesFolder());
  const std::string file = "[LNG_Vantaro_Note]\r\nMinutes=Minuti\r\n";
  WriteBytes(LanguageFileName(L"partial"), Bytes(file.begin(), file.end()));
  LanguageEngine = new TVxMultiLanguage;
  LanguageWrapper = new TVxMultiLanguageSTDWrp(LanguageEngine);
  LanguageEngine->LoadFromFile(LanguageFileName(L"partial"));
  LanguageEngine->SetMarkMissing(true);
  TNoteForm* f = OpenNote(100, 100, 200, 160, L"Translator")->Form;
  ASSERT_NE(f, nullptr);
  DoneLanguageEngine();
  const Bytes bytes = ReadBytes(LanguageFileName(L"partial"));
  const std::string written(bytes.begin(), bytes.end());
  // Without a menu ever opened: the snooze submenus' and the style submenu's keys are there.
  for (const char* key : {"TillTomorrow=", "CloseforSub=", "StyleSub=", "CreatedOn=", "PrintNote="})
    EXPECT_NE(written.find(key), std::string::npos) << key;
  ASSERT_NE(f->N5Minutes1, nullptr) << "made with the note";
  EXPECT_EQ(f->N5Minutes1->Caption, L"5 Minuti");
}

}  // namespace
