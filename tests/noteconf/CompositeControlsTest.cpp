// The dialog pieces on their own: the date edit that may be empty, the colour button with its
// palette, and the file-name edit.
#include <cmath>
#include <limits>

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "noteconf/NoteConfTestEnv.h"
#include "ui/ColorPicker.h"
#include "ui/DateEdit.h"
#include "ui/FileNameEdit.h"
#include "ui/QuotedFileNameEdit.h"
#include "ui/UiTestEnv.h"

namespace {

using noteconftest::Key;
using testsupport::DialogCloser;
using testsupport::PressOk;
using noteconftest::Type;
using uitest::AppTest;

std::wstring ShortDate(int y, int m, int d) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y), st.wMonth = static_cast<WORD>(m), st.wDay = static_cast<WORD>(d);
  wchar_t text[64] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 64);
  return text;
}

// A shown host form with one control on it.
class Host : public TForm {
 public:
  Host() : TForm(Application, L"TCompositeHost") {
    BorderStyle = TFormBorderStyle::bsDialog;
    SetBounds(200, 200, 320, 160);
  }
  template <class T>
  T* Shown(const std::wstring& name, int width, int height) {
    auto* control = new T(this, name);
    control->SetParent(this);
    control->SetBounds(10, 10, width, height);
    Show();
    return control;
  }
};

TEST_F(AppTest, DateEditIsEmptyForTheNullDateAndReadsNothingElseAsADate) {
  Host host;
  auto* edit = host.Shown<TDateEdit>(L"Day", 121, 21);

  const TDateTime day = EncodeDateTime(2026, 12, 24);
  edit->SetDate(day + 0.75);
  EXPECT_EQ(edit->Text(), ShortDate(2026, 12, 24)) << "the short date of the locale, whole day only";
  EXPECT_EQ(edit->Date(), day);
  edit->SetDate(0);
  EXPECT_EQ(edit->Text(), L"") << "the null date shows as empty";
  EXPECT_EQ(edit->Date(), 0.0);
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), 1e300, -1e6, std::numeric_limits<double>::infinity()}) {
    edit->SetDate(bad);
    EXPECT_EQ(edit->Text(), L"") << "no calendar day: " << bad;
  }

  // Typed by the user: unreadable texts are the null date, readable ones in the locale's order.
  struct Row {
    std::wstring text;
    TDateTime expected;
  } rows[] = {
      {L"", 0},
      {L"   ", 0},
      {L"tomorrow", 0},
      {L"12", 0},
      {L"1/2/3/4", 0},
      {ShortDate(2024, 2, 29), EncodeDateTime(2024, 2, 29)},
      {ShortDate(2026, 1, 31), EncodeDateTime(2026, 1, 31)},
      {L"99999999/1/1", 0},
  };
  for (const Row& r : rows) {
    SetWindowTextW(edit->Handle(), r.text.c_str());
    EXPECT_EQ(edit->Date(), r.expected) << WideToUtf8(r.text);
  }
  // A day the month does not have, in whatever order the locale writes dates.
  std::wstring feb30 = ShortDate(2025, 2, 28);
  feb30.replace(feb30.find(L"28"), 2, L"30");
  SetWindowTextW(edit->Handle(), feb30.c_str());
  EXPECT_EQ(edit->Date(), 0.0) << WideToUtf8(feb30);
  std::wstring month13 = ShortDate(2025, 11, 28);
  month13.replace(month13.find(L"11"), 2, L"13");
  SetWindowTextW(edit->Handle(), month13.c_str());
  EXPECT_EQ(edit->Date(), 0.0) << WideToUtf8(month13);
}

TEST_F(AppTest, DateEditsCalendarOpensAtItsDayAndGivesThePickedOne) {
  Host host;
  auto* edit = host.Shown<TDateEdit>(L"Day", 121, 21);
  edit->SetFocus();
  const TDateTime pi = EncodeDateTime(2026, 3, 14);
  edit->SetDate(pi);

  // Alt+Down opens it at the edit's day, with the keys.
  SendMessageW(edit->Handle(), WM_SYSKEYDOWN, VK_DOWN, 0);
  ASSERT_TRUE(edit->DroppedDown());
  TCalendarPopup* popup = edit->Popup();
  EXPECT_EQ(popup->SelectedDate(), pi);
  EXPECT_EQ(GetFocus(), popup->Calendar->Handle());
  RECT e = noteconftest::ScreenRect(edit->Handle()), p = noteconftest::ScreenRect(popup->Handle());
  EXPECT_EQ(p.top, e.bottom) << "right below the edit";
  popup->SetSelectedDate(EncodeDateTime(2026, 3, 20));
  Key(VK_RETURN);
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(edit->Date(), EncodeDateTime(2026, 3, 20));
  EXPECT_EQ(GetFocus(), edit->Handle()) << "the keys come back to the edit";

  // The button opens it too; Escape leaves the day alone.
  SendMessageW(edit->DropButton->Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(edit->DroppedDown());
  popup->SetSelectedDate(EncodeDateTime(2026, 3, 1));
  Key(VK_ESCAPE);
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(edit->Date(), EncodeDateTime(2026, 3, 20));

  // An empty edit opens at today; a click on a day picks it.
  SetNowOverride(EncodeDateTime(2030, 1, 2, 15, 0));
  edit->SetDate(0);
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_F4, 0);
  EXPECT_EQ(popup->SelectedDate(), EncodeDateTime(2030, 1, 2));
  SetNowOverride(std::nullopt);
  HWND cal = popup->Calendar->Handle();
  RECT c;
  GetClientRect(cal, &c);
  POINT tenth{-1, -1};
  for (int y = 0; y < c.bottom && tenth.x < 0; y += 2)
    for (int x = 0; x < c.right && tenth.x < 0; x += 2) {
      MCHITTESTINFO hit{};
      hit.cbSize = sizeof hit;
      hit.pt = POINT{x, y};
      if (MonthCal_HitTest(cal, &hit) == MCHT_CALENDARDATE && hit.st.wDay == 10 && hit.st.wMonth == 1) tenth = hit.pt;
    }
  ASSERT_GE(tenth.x, 0) << "10 January is on the calendar";
  PostMessageW(cal, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tenth.x, tenth.y));
  PostMessageW(cal, WM_LBUTTONUP, 0, MAKELPARAM(tenth.x, tenth.y));
  testsupport::PumpUntil([&] { return !edit->DroppedDown(); });
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(edit->Date(), EncodeDateTime(2030, 1, 10));
}

TEST_F(AppTest, ColourButtonShowsDefaultForClNoneAndPicksFromItsPaletteByKeys) {
  Host host;
  auto* button = host.Shown<TColorPickerButton>(L"Colour", 89, 22);
  std::vector<TColor> changes;
  int defaults = 0;
  button->OnChange = [&](TComponent*) { changes.push_back(button->SelectionColor()); };
  button->OnDefaultSelect = [&](TComponent*) { ++defaults; };

  EXPECT_EQ(button->SelectionColor(), clNone);
  EXPECT_EQ(button->Caption(), L"Default");
  button->SetSelectionColor(0x00FF00);
  button->SetSelectionColor(0x00FF00);
  EXPECT_EQ(changes, std::vector<TColor>{0x00FF00}) << "one change for one new colour";
  EXPECT_EQ(button->Caption(), L"") << "no caption over a colour";

  // Without an OnClick a click opens the palette; arrows walk it and Enter picks.
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  ASSERT_TRUE(button->DroppedDown());
  TColorPalette* palette = button->Palette();
  RECT b = noteconftest::ScreenRect(button->Handle()), p = noteconftest::ScreenRect(palette->Handle());
  EXPECT_EQ(p.top, b.bottom) << "right below the button";
  EXPECT_EQ(GetFocus(), palette->Handle()) << "the keys go to the palette";
  Key(VK_DOWN);
  EXPECT_EQ(palette->Highlight(), TColorPalette::DefaultEntry);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  EXPECT_EQ(palette->Highlight(), 2);
  Key(VK_RETURN);
  EXPECT_FALSE(button->DroppedDown());
  EXPECT_EQ(button->SelectionColor(), TColorPalette::CellColor(2));
  EXPECT_EQ(GetFocus(), button->Handle()) << "the keys come back to the button";

  // Escape closes it unchanged; the Default entry gives clNone and its own event.
  SendMessageW(button->Handle(), WM_KEYDOWN, VK_F4, 0);
  ASSERT_TRUE(button->DroppedDown());
  Key(VK_ESCAPE);
  EXPECT_FALSE(button->DroppedDown());
  EXPECT_EQ(button->SelectionColor(), TColorPalette::CellColor(2));
  button->DropDown();
  RECT d = palette->EntryRect(TColorPalette::DefaultEntry);
  SendMessageW(palette->Handle(), WM_LBUTTONUP, 0, MAKELPARAM((d.left + d.right) / 2, (d.top + d.bottom) / 2));
  EXPECT_EQ(button->SelectionColor(), clNone);
  EXPECT_EQ(button->Caption(), L"Default");
  EXPECT_EQ(defaults, 1);

  // A click outside (another window activated) closes the palette.
  button->DropDown();
  ASSERT_TRUE(button->DroppedDown());
  SetActiveWindow(host.Handle());
  Application->ProcessMessages();
  EXPECT_FALSE(button->DroppedDown());
}

TEST_F(AppTest, ColourButtonsCustomEntryTakesTheColourDialogsChoiceOnlyWhenConfirmed) {
  Host host;
  auto* button = host.Shown<TColorPickerButton>(L"Colour", 89, 22);
  button->SetSelectionColor(0x112233);
  {
    // The dialog's own colour edits, typed into before OK.
    DialogCloser answer([](HWND d) {
      SetDlgItemInt(d, 706, 200, FALSE);  // red
      SetDlgItemInt(d, 707, 100, FALSE);  // green
      SetDlgItemInt(d, 708, 50, FALSE);   // blue
      PressOk(d);
    });
    button->DropDown();
    button->Palette()->Pick(TColorPalette::CustomEntry);
    EXPECT_TRUE(answer.Found());
  }
  EXPECT_EQ(button->SelectionColor(), TColor{RGB(200, 100, 50)});
  {
    DialogCloser answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(button->ChooseCustomColor());
    EXPECT_TRUE(answer.Found());
  }
  EXPECT_EQ(button->SelectionColor(), TColor{RGB(200, 100, 50)}) << "a cancelled dialog changes nothing";
}

TEST_F(AppTest, FileNameEditRefusesInvalidNamesButShowsAndKeepsTypedText) {
  struct Row {
    std::wstring name;
    bool valid;
  } rows[] = {{L"", true},         {L"C:\\notes\\a.txt", true}, {L"\\\\server\\share\\x", true},
              {L"rel\\b c.rtf", true}, {L"C:\\a|b.txt", false},     {L"a?.txt", false},
              {L"\"quoted\"", false},  {L"C:\\x:y", false},          {std::wstring(L"tab\there"), false}};
  for (const Row& r : rows) EXPECT_EQ(IsValidFileName(r.name), r.valid) << WideToUtf8(r.name);

  Host host;
  auto* edit = host.Shown<TFileNameEdit>(L"Link", 291, 21);
  EXPECT_EQ(edit->Button->Left() + edit->Button->Width(), 291) << "the browse button at the right end";
  edit->SetFileName(L"C:\\notes\\a.txt");
  try {
    edit->SetFileName(L"C:\\a|b.txt");
    ADD_FAILURE() << "an invalid name was taken";
  } catch (const EInvalidFileName& e) {
    EXPECT_STREQ(e.what(), "Invalid file name - C:\\a|b.txt");
  }
  EXPECT_EQ(edit->FileName(), L"C:\\notes\\a.txt") << "the refused name leaves the text alone";
  SendMessageW(edit->Edit->Handle(), EM_SETSEL, 100, 100);
  Type(edit->Edit->Handle(), L"|x");
  EXPECT_EQ(edit->FileName(), L"C:\\notes\\a.txt|x") << "typed text is handed back as it is";
}

TEST_F(AppTest, FileNameEditBrowsesFromThePresentNameAndTakesTheChosenFile) {
  testsupport::TempFolder folder(L"filenameedit");
  std::ofstream(std::filesystem::path(folder.Path() + L"linked.txt")) << "x";
  Host host;
  auto* edit = host.Shown<TFileNameEdit>(L"Link", 291, 21);
  edit->SetFileName(folder.Path() + L"linked.txt");
  {
    DialogCloser answer(PressOk);
    EXPECT_TRUE(edit->Browse());
    EXPECT_TRUE(answer.Found());
  }
  EXPECT_TRUE(SameText(edit->FileName(), folder.Path() + L"linked.txt"));

  // A mistyped name does not keep the dialog from opening, and a cancel keeps the text.
  edit->SetText(L"C:\\bad|name");
  {
    DialogCloser answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(edit->Browse());
    EXPECT_TRUE(answer.Found()) << "the dialog opened";
  }
  EXPECT_EQ(edit->FileName(), L"C:\\bad|name");
}

}  // namespace

TEST_F(AppTest, QuotedFileNameEditReadsItsTextAsTheStartOfACommandLine) {
  testsupport::TempFolder folder(L"quoted");
  const std::wstring existing = folder.Path() + L"two words.wav";
  testsupport::WriteBytes(existing, {'R'});
  const struct {
    std::wstring text, file;
    bool accepted;
  } rows[] = {{L"", L"", true},
              {existing, existing, true},  // a file of that name: the whole text
              {folder.Path() + L"no such.wav", folder.Path() + L"no", true},
              {L"\"C:\\a b\\x.wav\" /play", L"C:\\a b\\x.wav", true},  // a quoted part is one word
              {L"  C:\\lead.wav tail", L"C:\\lead.wav", true},
              {L"C:\\ok.wav [tail]", L"C:\\ok.wav", true},  // only what the name reduces to counts
              {L"C:\\x[1].wav", L"C:\\x[1].wav", false},
              {L"C:\\x]", L"C:\\x]", false},
              {L"a|b", L"a|b", false},
              {L"<x>", L"<x>", false}};
  Host host;
  auto* edit = host.Shown<TQuotedFileNameEdit>(L"Sound", 291, 21);
  for (const auto& r : rows) {
    edit->SetText(r.text);
    EXPECT_EQ(edit->FileName(), r.file) << WideToUtf8(r.text);
    EXPECT_EQ(IsAcceptedQuotedFileName(r.text), r.accepted) << WideToUtf8(r.text);
  }
  edit->SetFileName(existing);
  EXPECT_EQ(edit->Text(), L"\"" + existing + L"\"") << "quoted for its blank";
  EXPECT_EQ(edit->FileName(), existing);
  edit->SetFileName(L"\"C:\\a b\" c");
  EXPECT_EQ(edit->Text(), L"\"C:\\a b\" c") << "already quoted: shown as given";
  EXPECT_THROW(edit->SetFileName(L"C:\\x[1].wav"), EInvalidFileName);
  EXPECT_EQ(edit->Text(), L"\"C:\\a b\" c") << "a refused name leaves the text alone";
}
