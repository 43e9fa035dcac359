#include "shell/ConfigurationFormUnit.h"

#include <exception>
#include <vector>

#include "language/VxMLSTDCTRLWrapper.h"
#include "language/VxMultiLanguageEngine.h"
#include "notes/InternalProcs.h"
#include "notes/NotePainters.h"
#include "shell/dlgDefaultNoteSize.h"
#include "shell/dlgShortcutEditor.h"
#include "shell/frmSplashForm.h"
#include "ui/Application.h"
#include "ui/Glyphs.h"
#include "ui/MessageBox.h"
#include "ui/Types.h"

std::wstring TrayActionNames[3] = {L"Do Nothing", L"Create a new note", L"Open notes manager"};

namespace {
// The hot-key rows: new note, notes manager, to-do list.
const wchar_t* const kShortcutRows[3] = {L"New Note Shortcut: ", L"Notes Manager Shortcut: ",
                                         L"ToDo List Shortcut: "};

TVx_Shortcut* LiveShortcut(int row) {
  TVx_Shortcut* live[3] = {NewNoteShortCut, NotesManagerShortCut, ToDoListShortCut};
  return live[row];
}
}  // namespace

TConfigurationForm::TConfigurationForm(TComponent* owner) : TForm(owner, L"TConfigurationForm") {
  SetName(L"ConfigurationForm");
  SetCaption(L"Vantaro Setup");
  BorderStyle = TFormBorderStyle::bsDialog;
  SetClientSize(364, 262);
  CenterOnScreen(*this);

  ImageList1 = std::make_unique<TImageList>(16, 16);
  AddGlyph(*ImageList1, {TGlyphShape::Box, 0x808080, L"K"});  // 0: a hot-key row
  AddGlyph(*ImageList1, {TGlyphShape::Disc, 0x30A030, L">"});  // 1: play the sound

  SetupPages = Place(new TPageControl(this, L"SetupPages"), this, 0, 0, 364, 225);
  // Left to right, in the order Tab walks them; OK stays the rightmost, as on every dialog here.
  _cancel = Place(new TButton(this, L"_cancel"), this, 203, 231, 75, 25, L"Cancel");
  _cancel->Cancel = true;
  _cancel->ModalResult = mrCancel;
  _ok = Place(new TButton(this, L"_ok"), this, 283, 231, 75, 25, L"OK");
  _ok->SetDefault(true);
  // The modal result comes from _okClick, which may refuse.
  _ok->OnClick = [this](TComponent* s) { _okClick(s); };

  _Options = new TTabSheet(SetupPages, L"_Options");
  _Options->SetCaption(L"Options");
  _ShortCutsTab = new TTabSheet(SetupPages, L"_ShortCutsTab");
  _ShortCutsTab->SetCaption(L"Shortcuts");
  _noteStyle = new TTabSheet(SetupPages, L"_noteStyle");
  _noteStyle->SetCaption(L"Default Note Style");
  _language = new TTabSheet(SetupPages, L"_language");
  _language->SetCaption(L"Language");

  // Options.
  _NotesOptions = Place(new TGroupBox(this, L"_NotesOptions"), _Options, 8, 6, 337, 92, L"Notes Options");
  SafeSave = Place(new TCheckBox(this, L"SafeSave"), _NotesOptions, 16, 20, 305, 17, L"Enable &Safe Save");
  Noteanim = Place(new TCheckBox(this, L"Noteanim"), _NotesOptions, 16, 42, 305, 17, L"Note &animations");
  TransNote =
      Place(new TCheckBox(this, L"TransNote"), _NotesOptions, 16, 64, 305, 17, L"Transparent Notes (Win2k/xp only)");
  _AlarmSoundFile = Place(new TGroupBox(this, L"_AlarmSoundFile"), _Options, 8, 104, 337, 56, L"Alarm Sound file");
  TrillFileEdit = Place(new TQuotedFileNameEdit(this, L"TrillFileEdit"), _AlarmSoundFile, 16, 22, 277, 21);
  TrillFileEdit->Filter = L"Audio Files (*.wav)|*.wav";
  SpeedButton1 = Place(new TFlatButton(this, L"SpeedButton1"), _AlarmSoundFile, 298, 21, 23, 23);
  SpeedButton1->Images = ImageList1.get();
  SpeedButton1->ImageIndex = 1;
  SpeedButton1->OnClick = [this](TComponent* s) { SpeedButton1Click(s); };

  // Shortcuts.
  _TrayIcongroup =
      Place(new TGroupBox(this, L"_TrayIcongroup"), _ShortCutsTab, 8, 6, 337, 52, L"Double Click on tray icon");
  TrayIconActionSelector = Place(new TComboBox(this, L"TrayIconActionSelector", TComboBoxStyle::csDropDownList),
                                 _TrayIcongroup, 16, 20, 305, 21);
  _ShortCutsGroup =
      Place(new TGroupBox(this, L"_ShortCutsGroup"), _ShortCutsTab, 8, 64, 337, 124, L"Keyboard Shortcuts");
  ShortCutsThree = Place(new TTreeGrid(this, L"ShortCutsThree"), _ShortCutsGroup, 16, 20, 305, 92);
  ShortCutsThree->SetHeaderVisible(false);
  ShortCutsThree->AddColumn(L"", 300);
  ShortCutsThree->AutoSizeColumn = 0;
  ShortCutsThree->AutoSort = false;
  ShortCutsThree->SetImages(ImageList1.get());
  shortCutsSource_.OnGetText = [this](TTreeGrid*, TGridNode* node, int) { return ShortcutRowText(node->Index()); };
  shortCutsSource_.OnGetImageIndex = [](TTreeGrid*, TGridNode*, int, bool) { return 0; };
  ShortCutsThree->Source = &shortCutsSource_;
  ShortCutsThree->OnDblClick = [this](TComponent* s) { ShortCutsThreeDblClick(s); };

  // Default note style: the preview at the left, a row per setting at the right, each over a
  // thin line.
  _NoteLayoutSetup =
      Place(new TGroupBox(this, L"_NoteLayoutSetup"), _noteStyle, 8, 6, 337, 182, L"Note Layout Setup");
  // The preview paints on a plain panel: a group box draws nothing for windowless controls.
  PreviewPanel = Place(new TPanel(this, L"PreviewPanel"), _NoteLayoutSetup, 12, 22, 113, 113);
  PreviewPanel->SetBevelOuter(TBevelCut::bvNone);
  PreviewBox = Place(new TPaintBox(this, L"PreviewBox"), PreviewPanel, 0, 0, 113, 113);
  PreviewBox->OnPaint = [this](TComponent* s, TCanvas& c) { PreviewBoxPaint(s, c); };
  TLabel** labels[] = {&_TitleColor, &_NoteColor, &_TitleFont, &_TextFont, &SizeLabel};
  const wchar_t* labelNames[] = {L"_TitleColor", L"_NoteColor", L"_TitleFont", L"_TextFont", L"SizeLabel"};
  const wchar_t* labelTexts[] = {L"Title Color", L"Note Color", L"Title Font", L"Text Font", L"Size"};
  for (int row = 0; row < 5; ++row) {
    const int top = 24 + 31 * row;
    *labels[row] = Place(new TLabel(this, labelNames[row]), _NoteLayoutSetup, 136, top, 96, 13, labelTexts[row]);
    (*labels[row])->Font().SetStyle(FontStyle::Bold);
    auto* line = Place(new TPanel(this), _NoteLayoutSetup, 136, top + 20, 189, 2);
    line->SetBevelOuter(TBevelCut::bvLowered);
  }
  BColor = Place(new TColorPickerButton(this, L"BColor"), _NoteLayoutSetup, 236, 20, 89, 22);
  NColor = Place(new TColorPickerButton(this, L"NColor"), _NoteLayoutSetup, 236, 51, 89, 22);
  for (TColorPickerButton* picker : {BColor, NColor}) {
    picker->OnChange = [this](TComponent* s) { BColorChange(s); };
    picker->OnClick = [this](TComponent* s) { BColorClick(s); };
    picker->OnDefaultSelect = [this](TComponent* s) { BColorDefaultSelect(s); };
  }
  TitleFontSelect = Place(new TFlatButton(this, L"TitleFontSelect"), _NoteLayoutSetup, 236, 82, 89, 22, L"Change");
  NoteFontSelect = Place(new TFlatButton(this, L"NoteFontSelect"), _NoteLayoutSetup, 236, 113, 89, 22, L"Change");
  NoteSizeChange = Place(new TFlatButton(this, L"NoteSizeChange"), _NoteLayoutSetup, 236, 144, 89, 22, L"Change");
  TitleFontSelect->OnClick = [this](TComponent* s) { TitleFontSelectClick(s); };
  NoteFontSelect->OnClick = [this](TComponent* s) { NoteFontSelectClick(s); };
  NoteSizeChange->OnClick = [this](TComponent* s) { NoteSizeChangeClick(s); };
  LayOutStyleRows();
  for (TFontDialog* dialog : {&TitleFontDialog, &NoteFontDialog})
    dialog->Options = FontDialogOption::Effects | FontDialogOption::TrueTypeOnly;

  // Language.
  LanguagesListBox = Place(new TListBox(this, L"LanguagesListBox"), _language, 8, 8, 137, 145);
  LanguagesListBox->OnClick = [this](TComponent* s) { LanguagesListBoxClick(s); };
  LangNotesBox = Place(new TGroupBox(this, L"LangNotesBox"), _language, 152, 4, 193, 152, L"Notes");
  LangNotes = Place(new TMemo(this, L"LangNotes"), LangNotesBox, 8, 16, 177, 128);
  LangNotes->ScrollBars = TScrollStyle::ssVertical;
  LangNotes->SetReadOnly(true);
  _ChangesLabel = Place(new TLabel(this, L"_ChangesLabel"), _language, 8, 164, 337, 13,
                        L"Changes will take effect only on vantaro restart");
  // A longer text takes more lines under the list.
  _ChangesLabel->SetWordWrap(true);
  _ChangesLabel->SetAutoSize(true);

  OnShow = [this](TComponent* s) { FormShow(s); };
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TConfigurationForm::FormCreate(TComponent*) {
  NewNoteKey = NotesManagerKey = ToDoListKey = TVx_Shortcut_data();
  ShortCutsThree->SetRootCount(3);
  SetupPages->SetActivePage(_Options);

  LanguagesListBox->Items.Clear();
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((LanguagesFolder() + L"*.lng").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    const std::wstring name = found.cFileName;
    const int index = LanguagesListBox->Items.Add(name.substr(0, name.find(L'.')));
    if (SameText(LanguagesListBox->Items[index], LanguageName)) LanguagesListBox->SetItemIndex(index);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  LanguagesListBoxClick(LanguagesListBox);

  TrayIconActionSelector->Items.Assign({TrayActionNames[0], TrayActionNames[1], TrayActionNames[2]});
}

void TConfigurationForm::FormShow(TComponent*) {
  Translate();
  UpdateSizeLabel();
}

void TConfigurationForm::Translate() {
  if (!LanguageWrapper) return;
  TVxMultiLanguageSTDWrp& lw = *LanguageWrapper;
  lw.SetSection(L"Vantaro_Setup");
  SetCaption(lw.GetString(L"_setup_title", Caption()));
  lw.TranslateTabSheet(_Options);
  lw.TranslateGroupBox(_NotesOptions);
  for (TCheckBox* box : {SafeSave, Noteanim, TransNote}) lw.TranslateCheckBox(box);
  lw.TranslateGroupBox(_AlarmSoundFile);
  lw.TranslateTabSheet(_noteStyle);
  lw.TranslateGroupBox(_NoteLayoutSetup);
  for (TLabel* label : {_TitleColor, _NoteColor, _TitleFont, _TextFont}) lw.TranslateLabel(label);
  lw.TranslateTabSheet(_ShortCutsTab);
  lw.TranslateGroupBox(_TrayIcongroup);
  lw.TranslateGroupBox(_ShortCutsGroup);
  TrayActionNames[0] = lw.GetString(L"_DoNothing", TrayActionNames[0]);
  TrayActionNames[1] = lw.GetString(L"_CreateNewNote", TrayActionNames[1]);
  TrayActionNames[2] = lw.GetString(L"_OpenNotesManager", TrayActionNames[2]);
  // The list was filled when the dialog was made, before this: it takes the language's texts
  // now, the chosen entry kept, so that even the first dialog of a run shows them.
  const int action = TrayIconActionSelector->ItemIndex();
  TrayIconActionSelector->Items.Assign({TrayActionNames[0], TrayActionNames[1], TrayActionNames[2]});
  TrayIconActionSelector->SetItemIndex(action);
  lw.TranslateTabSheet(_language);
  lw.TranslateLabel(_ChangesLabel);
  lw.TranslateGroupBox(LangNotesBox);

  lw.SetSection(kGenericSection);
  const std::wstring custom = lw.GetString(L"_custom", L"Custom");
  NColor->CustomText = BColor->CustomText = custom;
  const std::wstring change = lw.GetString(L"_change", L"Change");
  for (TFlatButton* button : {TitleFontSelect, NoteFontSelect, NoteSizeChange}) button->SetCaption(change);
  SizeCaption = lw.GetString(L"_size", L"Size");
  lw.TranslateButton(_ok);
  lw.TranslateButton(_cancel);
}

void TConfigurationForm::UpdateSizeLabel() {
  SizeLabel->SetCaption(SizeCaption + L": " + std::to_wstring(DefWidth) + L"x" + std::to_wstring(DefHeight));
  LayOutStyleRows();
}

void TConfigurationForm::LayOutStyleRows() {
  // The buttons give up width to the labels' texts, down to what their own captions need.
  LayOutLabelColumn({{_TitleColor, BColor}, {_NoteColor, NColor}, {_TitleFont, TitleFontSelect},
                     {_TextFont, NoteFontSelect}, {SizeLabel, NoteSizeChange}},
                    236, 4, 325, 56);
}

std::wstring TConfigurationForm::ShortcutRowText(int row) const {
  const TVx_Shortcut_data* keys[3] = {&NewNoteKey, &NotesManagerKey, &ToDoListKey};
  return kShortcutRows[row] + AnsiToWide(keys[row]->ToText());
}

TVx_Shortcut_data& TConfigurationForm::ShortcutOfRow(int row) {
  TVx_Shortcut_data* keys[3] = {&NewNoteKey, &NotesManagerKey, &ToDoListKey};
  return *keys[row];
}

void TConfigurationForm::PreviewBoxPaint(TComponent*, TCanvas& canvas) {
  DrawDemoNote(canvas, PreviewBox->Width(), PreviewBox->Height(), BColor->SelectionColor(),
               TitleFontDialog.Font.Color(), NColor->SelectionColor(), &NoteFontDialog.Font, &TitleFontDialog.Font);
}

void TConfigurationForm::RunFontDialog(TFontDialog& dialog) {
  TLifeCheck alive = Watch();
  dialog.Execute(HandleIfAllocated());
  // The font dialog ran the message loop: a shut-down may have ended this dialog meanwhile.
  if (alive) PreviewBox->Invalidate();
}

void TConfigurationForm::TitleFontSelectClick(TComponent*) { RunFontDialog(TitleFontDialog); }
void TConfigurationForm::NoteFontSelectClick(TComponent*) { RunFontDialog(NoteFontDialog); }

void TConfigurationForm::BColorChange(TComponent*) { PreviewBox->Invalidate(); }

void TConfigurationForm::BColorClick(TComponent* sender) {
  TLifeCheck alive = Watch();
  static_cast<TColorPickerButton*>(sender)->ChooseCustomColor();
  if (alive) PreviewBox->Invalidate();
}

void TConfigurationForm::BColorDefaultSelect(TComponent* sender) {
  // A default colour of the settings is the program's own: no colour would leave notes black.
  auto* picker = static_cast<TColorPickerButton*>(sender);
  picker->SetSelectionColor(picker == BColor ? 0x00ECEC : 0x00FFFF);
}

void TConfigurationForm::SpeedButton1Click(TComponent*) {
  // Played alongside the dialog: a long file must leave the program answering (a close request,
  // the session's end) while it plays.
  PlayTrialSound(TrillFileEdit->FileName());
  soundTried_ = true;
}

TConfigurationForm::~TConfigurationForm() {
  // The sound tried here ends with the dialog.
  if (soundTried_) StopSound();
}

void TConfigurationForm::NoteSizeChangeClick(TComponent*) {
  auto* sizer = new TDefaultNoteSizeForm(this);
  sizer->SetBounds(sizer->Left(), sizer->Top(), DefWidth, DefHeight);
  CenterOnScreen(*sizer);
  TLifeCheck alive = Watch(), sizerAlive = sizer->Watch();
  const TModalResult result = sizer->ShowModal();
  // The sizer goes with this dialog: when this one went (a shut-down), so did it.
  if (!alive) return;
  if (sizerAlive) {
    if (result == mrOk) {
      DefWidth = sizer->Width();
      DefHeight = sizer->Height();
    }
    sizer->Release();
  }
  UpdateSizeLabel();
}

void TConfigurationForm::LanguagesListBoxClick(TComponent*) {
  const int index = LanguagesListBox->ItemIndex();
  if (index < 0) return;
  LangNotes->Clear();
  std::vector<std::wstring> lines;
  TVxMultiLanguage().GetLanguageInfo(LanguageFileName(LanguagesListBox->Items[index]), lines);
  LangNotes->SetLines(lines);
}

void TConfigurationForm::ShortCutsThreeDblClick(TComponent*) {
  TGridNode* node = ShortCutsThree->FocusedNode();
  if (!node) return;
  TLifeCheck alive = Watch();
  EditShortcut(ShortcutOfRow(node->Index()), this);
  if (alive) ShortCutsThree->Invalidate();
}

void TConfigurationForm::_okClick(TComponent*) {
  // A sound file stored before (or typed) that the edit refuses is named, and the dialog stays.
  const std::wstring sound = TrillFileEdit->Text();
  if (!IsAcceptedQuotedFileName(sound)) {
    TLifeCheck alive = Watch();
    ShowMessageBox(L"Invalid file name - " + sound, Caption(), MB_OK | MB_ICONERROR);
    if (!alive) return;
    SetupPages->SetActivePage(_Options);
    TrillFileEdit->Edit->SetFocus();
    return;
  }
  ModalResult = mrOk;
}

// ---------------------------------------------------------------- the round trip

void LoadConfigurationForm(TConfigurationForm& f) {
  f.SafeSave->SetChecked(SafeSave);
  f.Noteanim->SetChecked(NoteAnimations);
  f.TransNote->SetChecked(NoteTransparency);
  try {
    f.TrillFileEdit->SetFileName(TrillFile);
  } catch (const EInvalidFileName&) {
    // Shown as it is stored; OK asks for a name the edit takes.
    f.TrillFileEdit->SetText(TrillFile);
  }
  f.BColor->SetSelectionColor(TitleColor);
  f.NColor->SetSelectionColor(NoteColor);
  f.DefWidth = DefNoteWidth;
  f.DefHeight = DefNoteHeight;
  SettingToFont(TitleFont, f.TitleFontDialog.Font);
  SettingToFont(NoteFont, f.NoteFontDialog.Font);
  // An action outside the list selects nothing.
  f.TrayIconActionSelector->SetItemIndex(DefaultTrayIconAction <= 2 ? DefaultTrayIconAction : -1);
  for (int row = 0; row < 3; ++row)
    if (TVx_Shortcut* live = LiveShortcut(row)) f.ShortcutOfRow(row).Assign(*live->Data);
}

void StoreConfigurationForm(const TConfigurationForm& f) {
  if (const int language = f.LanguagesListBox->ItemIndex(); language >= 0)
    LanguageName = f.LanguagesListBox->Items[language];
  SettingsChanged = true;
  SafeSave = f.SafeSave->Checked();
  NoteAnimations = f.Noteanim->Checked();
  NoteTransparency = f.TransNote->Checked();
  TrillFile = f.TrillFileEdit->FileName();
  TitleColor = f.BColor->SelectionColor();
  NoteColor = f.NColor->SelectionColor();
  FontToSetting(f.TitleFontDialog.Font, TitleFont);
  FontToSetting(f.NoteFontDialog.Font, NoteFont);
  DefNoteWidth = f.DefWidth;
  DefNoteHeight = f.DefHeight;
  // No selection stores 255: a tray double-click then does nothing.
  DefaultTrayIconAction = static_cast<std::uint8_t>(f.TrayIconActionSelector->ItemIndex());
  const TVx_Shortcut_data* keys[3] = {&f.NewNoteKey, &f.NotesManagerKey, &f.ToDoListKey};
  for (int row = 0; row < 3; ++row)
    if (TVx_Shortcut* live = LiveShortcut(row)) live->SetShortcut(*keys[row]);
}

bool ExecuteConfigurationForm(TComponent* owner) {
  auto* form = new TConfigurationForm(owner);
  TLifeCheck alive = form->Watch();
  bool stored = false;
  std::exception_ptr error;
  try {
    LoadConfigurationForm(*form);
    const TModalResult result = form->ShowModal();
    // A shut-down while the dialog was open has saved the settings and freed the hot keys:
    // nothing of the dialog counts any more.
    if (alive && result == mrOk && !Closing && Application && !Application->Terminated()) {
      StoreConfigurationForm(*form);
      stored = true;
    }
  } catch (...) {
    error = std::current_exception();
  }
  if (alive) form->Release();
  if (error) std::rethrow_exception(error);
  return stored;
}

std::wstring UnregisteredShortcuts() {
  std::wstring text;
  for (int row = 0; row < 3; ++row) {
    const TVx_Shortcut* live = LiveShortcut(row);
    if (live && live->Data->IsValid() && !live->Registered)
      text += kShortcutRows[row] + AnsiToWide(live->Data->ToText()) + L"\n";
  }
  return text;
}

void ReportUnregisteredShortcuts() {
  const std::wstring failed = UnregisteredShortcuts();
  if (failed.empty()) return;
  std::wstring text =
      L"These shortcuts do not work: another program uses the key, two of them share it, or it has no Windows key.";
  // The language's text, from the settings dialog's section, as its other texts.
  if (LanguageWrapper) {
    LanguageWrapper->SetSection(L"Vantaro_Setup");
    text = LanguageWrapper->GetString(L"_ShortcutsNotRegistered", text);
  }
  ShowMessageBox(text + L"\n\n" + failed, L"Vantaro", MB_OK | MB_ICONWARNING);
}
