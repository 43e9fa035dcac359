#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>

#include "UiTestEnv.h"
#include "ui/ActnList.h"
#include "ui/CheckListView.h"
#include "ui/FlatButton.h"
#include "ui/Image.h"
#include "ui/LinkLabel.h"
#include "ui/ListControls.h"
#include "ui/MainMenu.h"
#include "ui/Memo.h"
#include "ui/Panel.h"
#include "ui/StatusBar.h"
#include "ui/UpDown.h"

namespace {
constexpr TColor kPanelColor = 0xE0F0FF, kImageColor = 0x3060C0, kGlyphColor = 0x00A000;

using uitest::At;

void SendCommand(TWinControl* child, WORD code) {
  HWND h = child->Handle();
  SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code), reinterpret_cast<LPARAM>(h));
}

void Type(HWND target, UINT vk) {
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
  testsupport::Pump(30);
}

// One window holding every control of the pack, as a dialog of the program would.
class TPackForm : public TForm {
 public:
  explicit TPackForm(TComponent* owner) : TForm(owner, L"TControlPackTestForm") {
    SetBounds(20, 20, 600, 440);
    SetClientSize(560, 380);
    Actions = new TActionList(this, L"Actions");
    actNew = Actions->Add(L"actNew", L"&New");
    actNew->OnExecute = [this](TComponent*) { ++NewCount; };
    actNew->OnUpdate = [this](TComponent* a) { static_cast<TAction*>(a)->SetEnabled(NewAllowed); };
    Glyphs = std::make_unique<TImageList>(16, 16);
    TBitmap glyph(16, 16);  // white
    glyph.Canvas().Brush.Color = kGlyphColor;
    glyph.Canvas().FillRect(3, 3, 13, 13);
    Glyphs->Add(glyph, clWhite);
    ToolPanel = Put(new TPanel(this, L"ToolPanel"), this, RECT{0, 0, 0, 32}, TAlign::alTop);
    ToolPanel->SetBevelInner(TBevelCut::bvLowered);
    MenuButton = Button(L"Menu", 4, true);
    PlainButton = Button(L"Plain", 80, false);
    PlainButton->Flat = false;
    OffButton = Button(L"Off", 156, true);
    OffButton->SetEnabled(false);
    Status = Put(new TStatusBar(this, L"Status"), this, RECT{}, TAlign::alBottom);
    for (auto [text, width] : {std::pair{L"Ready", 120}, {L"3 notes", 100}, {L"rest", -1}}) Status->AddPanel(text, width);
    SidePanel = Put(new TPanel(this, L"SidePanel"), this, RECT{0, 0, 130, 0}, TAlign::alLeft);
    SidePanel->SetBevelOuter(TBevelCut::bvLowered);
    Languages = Put(new TListBox(this, L"Languages"), SidePanel, RECT{}, TAlign::alClient);
    Languages->Items.Assign({L"English", L"Deutsch", L"Italiano", L"Français"});
    Groups = Put(new TComboBox(this, L"Groups"), this, RECT{140, 42, 130, 0});
    Groups->Items.Assign({L"Home", L"Work", L"Shopping"});
    Groups->SetText(L"Work");
    Projects = Put(new TComboBox(this, L"Projects", TComboBoxStyle::csDropDownList), this, RECT{280, 42, 130, 0});
    Projects->Items.Assign({L"Garden", L"House", L"Car"});
    Projects->SetItemIndex(1);
    Days = Put(new TEdit(this, L"Days"), this, RECT{420, 42, 50, 0});
    DaysUpDown = new TUpDown(this, L"DaysUpDown");
    DaysUpDown->SetRange(0, 30);
    DaysUpDown->SetPosition(7);
    DaysUpDown->SetAssociate(Days);
    Notes = Put(new TMemo(this, L"Notes"), this, RECT{140, 72, 200, 80});
    Notes->ScrollBars = TScrollStyle::ssVertical;
    Legal = Put(new TMemo(this, L"Legal"), this, RECT{350, 72, 200, 80});
    Legal->SetReadOnly(true);
    Legal->Border = false;
    Legal->SetColor(0x00FFFF);
    Legal->SetText(L"A read-only memo without a frame, on yellow, wrapping its long lines at its width.");
    Tasks = Put(new TCheckListView(this, L"Tasks"), this, RECT{140, 160, 250, 120});

    Picture = Put(new TImage(this, L"Picture"), this, RECT{400, 160, 64, 48});
    Picture->Stretch = true;
    Picture->Picture().SetSize(8, 6);
    Picture->Picture().Canvas().Brush.Color = kImageColor;
    Picture->Picture().Canvas().FillRect(0, 0, 8, 6);
    Icon = Put(new TImage(this, L"Icon"), this, RECT{480, 160, 48, 48});
    Icon->Center = true;
    Icon->SetIcon(LoadIconW(nullptr, IDI_INFORMATION));
    Site = Put(new TLinkLabel(this, L"Site"), this, RECT{400, 220, 0, 0});
    Site->URL = L"https://example.org/";
    Site->SetCaption(L"Visit the web site");
    Colored = Put(new TPanel(this, L"Colored"), this, RECT{400, 245, 150, 35});
    Colored->SetColor(kPanelColor);
    Colored->SetBevelOuter(TBevelCut::bvNone);
    Colored->SetCaption(L"Closing . . .");
    Menu = new TMainMenu(this, L"Menu");
    TMenuItem* file = Menu->Items()->Add(L"&File", L"mnuFile");
    file->Add(L"", L"mnuNew")->SetAction(actNew);
    file->AddSeparator();
    mnuClose = file->Add(L"&Close", L"mnuClose");
    mnuClose->OnClick = [this](TComponent*) { ++CloseCount; };
    Menu->Items()->Add(L"&Help", L"mnuHelp")->Add(L"&About", L"mnuAbout")->OnClick = [this](TComponent*) { ++AboutCount; };
    DoCreate();
  }

  // The placing is done on the base class: instantiated for each control, its identical bodies
  // are folded into one, and the optimiser then warns of a memo used as the larger list box.
  static void Place(TControl* control, TWinControl* parent, RECT r, TAlign align) {
    control->SetParent(parent);
    control->SetBounds(r.left, r.top, r.right, r.bottom ? r.bottom : control->Height());
    control->SetAlign(align);
  }
  template <class T>
  static T* Put(T* control, TWinControl* parent, RECT r, TAlign align = TAlign::alNone) {
    Place(control, parent, r, align);
    return control;
  }
  TFlatButton* Button(const std::wstring& caption, int left, bool withGlyph) {
    auto* b = Put(new TFlatButton(this, caption + L"Button"), ToolPanel, RECT{left, 3, 70, 24});
    b->SetCaption(caption);
    b->Images = withGlyph ? Glyphs.get() : nullptr;
    b->ImageIndex = 0;
    return b;
  }

  TActionList* Actions;
  TAction* actNew;
  std::unique_ptr<TImageList> Glyphs;
  TPanel *ToolPanel, *SidePanel, *Colored;
  TFlatButton *MenuButton, *PlainButton, *OffButton;
  TStatusBar* Status;
  TListBox* Languages;
  TComboBox *Groups, *Projects;
  TEdit* Days;
  TUpDown* DaysUpDown;
  TMemo *Notes, *Legal;
  TCheckListView* Tasks;
  TImage *Picture, *Icon;
  TLinkLabel* Site;
  TMainMenu* Menu;
  TMenuItem* mnuClose;
  int NewCount = 0, CloseCount = 0, AboutCount = 0;
  bool NewAllowed = true;
};

class ControlPackTest : public uitest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form_ = new TPackForm(app_.get());
    form_->Menu->Attach(form_);
    form_->Show();
    UpdateWindow(form_->Handle());
    testsupport::Pump(50);
  }
  void TearDown() override {
    EXPECT_TRUE(errors_.empty()) << errors_.front();
    AppTest::TearDown();
  }

  void Shot(TBitmap& shot) {
    HWND h = form_->Handle();
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testsupport::Pump(50);
    RECT r;
    GetClientRect(h, &r);
    shot.SetSize(r.right, r.bottom);
    HDC dc = GetDC(h);
    BitBlt(shot.DC(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(h, dc);
  }
  POINT InForm(TWinControl* c, POINT p) {
    MapWindowPoints(c->Handle(), form_->Handle(), &p, 1);
    return p;
  }
  static int CountPixels(TBitmap& shot, RECT r, const std::function<bool(TColor)>& match) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += match(shot.Pixel(x, y));
    return n;
  }
  // A press and release of the left button at p of window h.
  static void Click(HWND h, LPARAM p) {
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, p);
    SendMessageW(h, WM_LBUTTONUP, 0, p);
  }

  TPackForm* form_ = nullptr;
};
}  // namespace

TEST_F(ControlPackTest, ListAndComboBoxesKeepTheirItemsAndReportTheChoice) {
  // Filled before their windows existed: the windows got the items and the choice.
  HWND groups = form_->Groups->Handle(), projects = form_->Projects->Handle(), langs = form_->Languages->Handle();
  EXPECT_EQ(SendMessageW(groups, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(form_->Groups->Text(), L"Work") << "an editable box keeps free text";
  EXPECT_EQ(SendMessageW(projects, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(langs, LB_GETCOUNT, 0, 0), 4);
  RECT r;
  GetWindowRect(projects, &r);
  EXPECT_EQ(form_->Projects->Height(), r.bottom - r.top) << "the object has the field's real height";

  std::vector<std::wstring> events;
  form_->Projects->OnSelect = [&](TComponent*) { events.push_back(L"select " + form_->Projects->Text()); };
  form_->Projects->OnChange = [&](TComponent*) { events.push_back(L"change"); };
  SendMessageW(projects, CB_SETCURSEL, 2, 0);
  SendCommand(form_->Projects, CBN_SELCHANGE);
  EXPECT_EQ(events, (std::vector<std::wstring>{L"select Car", L"change"}));
  form_->Projects->SetText(L"garden");
  EXPECT_EQ(form_->Projects->ItemIndex(), 0) << "a drop-down list selects the entry with the text";

  int changes = 0;
  form_->Groups->OnChange = [&](TComponent*) { ++changes; };
  HWND field = GetWindow(groups, GW_CHILD);
  ASSERT_NE(field, nullptr);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  for (wchar_t c : std::wstring(L"Hobby")) SendMessageW(field, WM_CHAR, c, 1);
  EXPECT_EQ(form_->Groups->Text(), L"Hobby");
  EXPECT_GE(changes, 5) << "every keystroke is a change";
  form_->Groups->Items.Insert(0, L"Hobby");
  wchar_t first[32];
  SendMessageW(groups, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_STREQ(first, L"Hobby") << "an inserted entry reaches the window at its place";

  int clicks = 0, doubles = 0;
  form_->Languages->OnClick = [&](TComponent*) { ++clicks; };
  form_->Languages->OnDblClick = [&](TComponent*) { ++doubles; };
  ASSERT_NE(SendMessageW(langs, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r)), LB_ERR);
  LPARAM mid = At((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Click(langs, mid);
  EXPECT_EQ(form_->Languages->ItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  SendMessageW(langs, WM_LBUTTONDBLCLK, MK_LBUTTON, mid);
  SendMessageW(langs, WM_LBUTTONUP, 0, mid);
  EXPECT_EQ(doubles, 1) << "once, though the mouse and the box both report it";
  form_->Languages->Items.Delete(0);
  EXPECT_EQ(form_->Languages->ItemIndex(), 1) << "the selection moves with its entry";
}

TEST_F(ControlPackTest, MemoTakesEnterAndTabOnlyWhenItWantsThem) {
  TMemo* memo = form_->Notes;
  HWND h = memo->Handle();
  memo->SetText(L"");
  memo->SetFocus();
  // What the dialog keyboard asks before it moves the focus or presses the default button.
  auto wants = [&](UINT vk) {
    MSG m{h, WM_KEYDOWN, vk, 1, 0, {}};
    return SendMessageW(h, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(&m));
  };
  EXPECT_TRUE(wants(VK_RETURN) & DLGC_WANTMESSAGE) << "Enter stays in the memo";
  EXPECT_FALSE(wants(VK_TAB) & (DLGC_WANTMESSAGE | DLGC_WANTTAB)) << "Tab moves on";
  for (UINT vk : {UINT('A'), UINT(VK_RETURN), UINT(VK_TAB), UINT('B')}) Type(h, vk);
  EXPECT_EQ(memo->Text(), L"a\r\nb") << "Enter made a new line; Tab typed nothing";
  memo->SetWantTabs(true);
  memo->SetWantReturns(false);
  EXPECT_FALSE(wants(VK_RETURN) & DLGC_WANTMESSAGE) << "Enter goes to the dialog";
  Type(h, VK_TAB);
  Type(h, VK_RETURN);
  EXPECT_EQ(memo->Text(), L"a\r\nb\t");

  // Word wrap: the memo shows more lines than the text has, and tells them one by one.
  TMemo* legal = form_->Legal;
  ASSERT_GT(legal->LineCount(), 1);
  std::wstring joined;
  for (int i = 0; i < legal->LineCount(); ++i) joined += legal->DisplayLine(i);
  EXPECT_EQ(joined, legal->Text()) << "the laid-out lines hold the whole text";
  EXPECT_FALSE(GetWindowLongPtrW(legal->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "flat, without a frame";
  SendMessageW(legal->Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(legal->Text().find(L'x'), std::wstring::npos) << "read-only: typing changes nothing";
}

TEST_F(ControlPackTest, PanelsStatusBarImagesAndLinkLabelShowWhatTheyHoldAndTheFormIsPictured) {
  // The bevels lie outside the client area: an aligned child fills what is inside them.
  RECT client;
  GetClientRect(form_->SidePanel->Handle(), &client);
  EXPECT_EQ(form_->Languages->Width(), form_->SidePanel->Width() - 2) << "one bevel, one pixel a side";
  GetClientRect(form_->ToolPanel->Handle(), &client);
  EXPECT_EQ(client.bottom, form_->ToolPanel->Height() - 4) << "two bevels";
  form_->Colored->SetBevelOuter(TBevelCut::bvRaised);
  GetClientRect(form_->Colored->Handle(), &client);
  EXPECT_EQ(client.right, form_->Colored->Width() - 2) << "a bevel added later takes its room at once";
  form_->Colored->SetBevelOuter(TBevelCut::bvNone);

  HWND status = form_->Status->Handle();
  int edges[4] = {};
  ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ((std::vector<int>{edges[0], edges[1], edges[2]}), (std::vector<int>{120, 220, -1}));
  wchar_t text[64] = L"";
  auto statusText = [&](int part) { return SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text)), std::wstring(text); };
  form_->Status->SetPanelText(1, L"4 notes");
  EXPECT_EQ(statusText(1), L"4 notes");
  form_->Status->SetSimplePanel(true);
  form_->Status->SetSimpleText(L"Printing...");
  EXPECT_EQ(statusText(0), L"Printing...");
  form_->Status->SetSimplePanel(false);
  EXPECT_EQ(statusText(0), L"Ready") << "the panels come back as they were";

  // The link opens its address when clicked, unless a click handler takes its place.
  std::vector<std::wstring> opened;
  form_->Site->OnOpen = [&](const std::wstring& url) { opened.push_back(url); };
  LPARAM onLink = At(form_->Site->Left() + 5, form_->Site->Top() + 5);
  Click(form_->Handle(), onLink);
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://example.org/"}));
  int clicked = 0;
  form_->Site->OnClick = [&](TComponent*) { ++clicked; };
  Click(form_->Handle(), onLink);
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(opened.size(), 1u);

  form_->Tasks->AddColumn(L"Title", -1);
  form_->Tasks->AddItem(L"Water the plants", 1);
  form_->Tasks->AddItem(L"Buy milk", 2);
  form_->Tasks->SetChecked(1, true);
  form_->Languages->SetItemIndex(1);
  TBitmap shot;
  Shot(shot);
  RECT pr = form_->Picture->BoundsRect();
  EXPECT_EQ(shot.Pixel(pr.right - 2, pr.bottom - 2), kImageColor) << "the 8x6 picture stretched to 64x48";
  RECT cr = form_->Colored->BoundsRect();
  EXPECT_EQ(shot.Pixel(cr.left + 3, cr.top + 3), kPanelColor) << "a panel in its own colour";
  POINT side = InForm(form_->SidePanel, POINT{-1, 5});
  EXPECT_EQ(shot.Pixel(side.x, side.y), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF) << "lowered: dark at the left";
  RECT lr = form_->Site->BoundsRect(), ir = form_->Icon->BoundsRect();
  EXPECT_GT(CountPixels(shot, lr, [](TColor c) { return c == kLinkBlue; }), lr.right - lr.left)
      << "the text and its underline in the link colour";
  TColor iconBack = shot.Pixel(ir.left, ir.top);
  EXPECT_GT(CountPixels(shot, ir, [&](TColor c) { return c != iconBack; }), 100) << "the icon is drawn";
  ASSERT_TRUE(shot.SaveToFile(testsupport::ShotsFolder() + L"control_pack.bmp"));
}

TEST_F(ControlPackTest, FlatButtonPaintsItsStatesAndClicks) {
  TFlatButton* button = form_->MenuButton;
  HWND h = button->Handle();
  int clicks = 0;
  button->OnClick = [&](TComponent*) { ++clicks; };
  SendMessageW(h, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  auto topLeft = [&] {
    TBitmap shot;
    Shot(shot);
    POINT p = InForm(button, POINT{0, 0});
    return shot.Pixel(p.x, p.y);
  };
  TColor face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  EXPECT_EQ(topLeft(), face) << "flat: no edge while the mouse is elsewhere";
  SendMessageW(h, WM_MOUSEMOVE, 0, At(5, 5));
  EXPECT_EQ(topLeft(), light) << "hot: raised";
  SendMessageW(h, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(topLeft(), dark) << "pressed: lowered";
  SendMessageW(h, BM_SETSTATE, FALSE, 0);
  SendMessageW(h, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(topLeft(), face);

  TBitmap shot;
  Shot(shot);
  auto glyphPixels = [&](TFlatButton* b) {
    RECT row{b->Left(), b->Top() + b->Height() / 2, b->Left() + b->Width(), b->Top() + b->Height() / 2 + 1};
    MapWindowPoints(form_->ToolPanel->Handle(), form_->Handle(), reinterpret_cast<POINT*>(&row), 2);
    return CountPixels(shot, row, [](TColor c) { return c == kGlyphColor; });
  };
  EXPECT_GE(glyphPixels(button), 8) << "the glyph from the image list";
  EXPECT_EQ(glyphPixels(form_->OffButton), 0) << "a disabled glyph is faded";
  POINT plain = InForm(form_->PlainButton, POINT{0, 0});
  EXPECT_EQ(shot.Pixel(plain.x, plain.y), light) << "not flat: raised at rest";

  // With a drop-down menu, a click opens the menu under the button; a timer closes it.
  TPopupMenu menu(nullptr);
  menu.Items()->Add(L"Rename");
  auto* closer = new TTimer(form_, L"Closer", 30);
  closer->OnTimer = [&](TComponent*) {
    if (TPopupMenu::Current()) EndMenu();
  };
  closer->SetEnabled(true);
  button->DropDownMenu = &menu;
  SendMessageW(h, BM_CLICK, 0, 0);
  closer->SetEnabled(false);
  EXPECT_EQ(menu.PopupComponent, button);
  EXPECT_EQ(clicks, 1) << "the menu takes the place of the click";
  button->DropDownMenu = nullptr;
}

TEST_F(ControlPackTest, MainMenuRunsItemsFollowsActionsAndKeepsTheFormsHandler) {
  HWND h = form_->Handle();
  HMENU bar = GetMenu(h), file = GetSubMenu(bar, 0);
  ASSERT_EQ(bar, form_->Menu->Handle());
  ASSERT_EQ(GetMenuItemCount(file), 3) << "New, a separator, Close";
  wchar_t text[64];
  GetMenuStringW(file, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&New") << "the item shows its action's caption";
  form_->NewAllowed = false;
  SendMessageW(h, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  EXPECT_TRUE(GetMenuState(file, 0, MF_BYPOSITION) & MF_GRAYED) << "opening the drop-down updates the actions";
  form_->NewAllowed = true;
  SendMessageW(h, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);

  UINT closeId = GetMenuItemID(file, 2);
  for (UINT id : {GetMenuItemID(file, 0), closeId, GetMenuItemID(GetSubMenu(bar, 1), 0)})
    SendMessageW(h, WM_COMMAND, id, 0);
  EXPECT_EQ((std::vector<int>{form_->NewCount, form_->CloseCount, form_->AboutCount}), (std::vector<int>{1, 1, 1}));
  delete form_->mnuClose;
  SendMessageW(h, WM_COMMAND, closeId, 0);
  EXPECT_EQ(form_->CloseCount, 1) << "a freed item's old id runs nothing";
  form_->actNew->SetVisible(false);
  SendMessageW(h, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  EXPECT_EQ(GetMenuItemCount(file), 1) << "a hidden item leaves its drop-down";
  form_->actNew->SetVisible(true);

  // A handler the form had before keeps what the menu does not take, and has it alone once detached.
  form_->Menu->Detach();
  int seen = 0;
  form_->OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT&) {
    seen += msg == WM_APP + 3;
    return false;
  };
  form_->Menu->Attach(form_);
  form_->Menu->Items()->Add(L"&View")->Add(L"&Refresh");
  form_->Menu->Rebuild();
  EXPECT_EQ(GetMenuItemCount(GetMenu(h)), 3) << "a new top-level entry shows after a rebuild";
  SendMessageW(h, WM_APP + 3, 0, 0);
  form_->Menu->Detach();
  SendMessageW(h, WM_APP + 3, 0, 0);
  EXPECT_EQ(seen, 2);
}

TEST_F(ControlPackTest, CheckListViewReportsChecksAndSortsByData) {
  TCheckListView* tasks = form_->Tasks;
  tasks->AddColumn(L"Title", 150);
  tasks->AddColumn(L"Due", -1);
  std::vector<std::pair<int, bool>> checks;
  tasks->OnItemChecked = [&](TComponent*, int index, bool checked) { checks.emplace_back(index, checked); };
  const wchar_t* titles[] = {L"Water plants", L"Buy milk", L"Call Anna"};
  for (int i = 0; i < 3; ++i) tasks->SetSubItem(tasks->AddItem(titles[i], 10 * (i + 1), 0), 1, std::to_wstring(i + 1) + L" May");
  tasks->SetChecked(1, true);
  EXPECT_TRUE(checks.empty()) << "adding rows and checking them from the program is no user change";
  EXPECT_EQ(ListView_GetItemState(tasks->Handle(), 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));

  // The state change the view makes when the user clicks a box.
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageW(tasks->Handle(), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
  EXPECT_EQ(checks, (std::vector<std::pair<int, bool>>{{2, true}}));
  tasks->SetItemIndex(1);
  tasks->SetFocus();
  Type(tasks->Handle(), VK_SPACE);
  EXPECT_EQ(checks.back(), std::make_pair(1, false)) << "Space toggles the selected row";

  tasks->OnCompare = [](LPARAM a, LPARAM b) { return static_cast<int>(b - a); };
  tasks->Sort();
  EXPECT_EQ(tasks->ItemText(0), L"Call Anna") << "sorted by the data through the handler";
  EXPECT_EQ(tasks->ItemText(0, 1), L"3 May") << "sub-items travel with their row";
  EXPECT_EQ(tasks->FindData(20), 1);
  EXPECT_TRUE(tasks->Checked(0) && !tasks->Checked(1)) << "and so do the checks";
}

TEST_F(ControlPackTest, UpDownStepsItsBuddyWithinItsRange) {
  TUpDown* updown = form_->DaysUpDown;
  HWND buddy = form_->Days->Handle(), arrows = updown->Handle();
  EXPECT_EQ(form_->Days->Text(), L"7") << "the buddy shows the position";
  EXPECT_EQ(updown->Left(), form_->Days->Left() + form_->Days->Width()) << "at the right of its edit";
  int changes = 0;
  updown->OnChange = [&](TComponent*) { ++changes; };
  form_->Days->SetFocus();
  Type(buddy, VK_UP);
  EXPECT_EQ(updown->Position(), 8) << "Up in the edit steps";
  RECT r;
  GetClientRect(arrows, &r);
  Click(arrows, At(r.right / 2, r.bottom - 3));
  EXPECT_EQ(form_->Days->Text(), L"7") << "a click on the lower arrow steps down";
  EXPECT_EQ(changes, 2);

  updown->OnChanging = [&](TComponent*, int next, bool& allow) { allow = next != 8; };
  Type(buddy, VK_UP);
  EXPECT_EQ(updown->Position(), 7) << "the handler refused the step";
  updown->OnChanging = nullptr;
  form_->Days->SetText(L"29");
  Type(buddy, VK_UP);
  Type(buddy, VK_UP);
  EXPECT_EQ(form_->Days->Text(), L"30") << "a typed number counts, and the range ends at Max";
}
