#include "shell/dlgAboutVantaro.h"

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/NotePainters.h"
#include "shell/frmSplashForm.h"
#include "ui/Application.h"

TAboutVantaro* AboutVantaro = nullptr;

namespace {
constexpr TColor kYellow = 0x00FFFF;

}  // namespace

HICON ProgramIcon(int size) {
  if (auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, LR_SHARED)))
    return icon;
  // A host without the program's resources (a test) still shows a picture.
  return LoadIconW(nullptr, IDI_APPLICATION);
}

namespace {
void ArialBold(TFont& font, int pixels) {
  font.SetName(L"Arial");
  font.SetSize(MulDiv(pixels, 72, 96));
  font.SetStyle(FontStyle::Bold);
}
}  // namespace

TAboutVantaro::TAboutVantaro(TComponent* owner) : TForm(owner, L"TAboutVantaro") {
  SetName(L"AboutVantaro");
  BorderStyle = TFormBorderStyle::bsNone;
  SetCaption(L"Info about...");
  SetColor(kYellow);
  Font().SetName(L"MS Shell Dlg 2");
  SetClientSize(314, 191);
  CenterOnScreen(*this);

  TitleOwnerDraw = new TPaintBox(this, L"TitleOwnerDraw");
  TitleOwnerDraw->SetParent(this);
  TitleOwnerDraw->SetAlign(TAlign::alTop);
  TitleOwnerDraw->SetHeight(13);
  SpeedButton2 = new TSpeedButton(this, L"SpeedButton2");
  SpeedButton2->SetParent(this);
  SpeedButton2->SetBounds(302, 1, 11, 11);

  LogoImage = new TImage(this, L"LogoImage");
  LogoImage->SetParent(this);
  LogoImage->SetBounds(8, 24, 50, 50);
  Label1 = new TLabel(this, L"Label1");
  Label1->SetParent(this);
  Label1->SetColor(kYellow);
  ArialBold(Label1->Font(), 32);
  Label1->SetBounds(72, 29, 150, 38);
  Label1->SetCaption(L"Vantaro");
  VerLabel = new TLabel(this, L"VerLabel");
  VerLabel->SetParent(this);
  VerLabel->SetColor(kYellow);
  ArialBold(VerLabel->Font(), 13);
  VerLabel->SetBounds(200, 68, 60, 16);

  Memo1 = new TMemo(this, L"Memo1");
  Memo1->Border = false;
  Memo1->SetParent(this);
  Memo1->SetColor(kYellow);
  Memo1->SetBounds(8, 88, 297, 65);
  Memo1->SetReadOnly(true);
  Memo1->SetLines({L"Vantaro is free software: use it and give it away as you like.",
                   L"It comes without any warranty; you use it at your own risk.",
                   L"Notes, to-do lists and events stay on your computer.",
                   L"Copyright (C) Belvanto."});

  _visit_merolt = new TLinkLabel(this, L"_visit_merolt");
  _visit_merolt->SetParent(this);
  _visit_merolt->SetColor(kYellow);
  _visit_merolt->SetBounds(16, 168, 140, 14);
  _visit_merolt->SetCaption(L"Visit Belvanto Website");
  _close = new TFlatButton(this, L"_close");
  _close->SetParent(this);
  _close->SetBounds(248, 160, 57, 22);
  _close->SetCaption(L"Close");

  TitleOwnerDraw->OnPaint = [this](TComponent* s, TCanvas& c) { TitleOwnerDrawPaint(s, c); };
  TitleOwnerDraw->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) { DragByCaption(b); };
  OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) { DragByCaption(b); };
  SpeedButton2->OnClick = [this](TComponent*) { Close(); };
  _close->OnClick = [this](TComponent*) { Close(); };
  _visit_merolt->OnClick = [](TComponent*) { OpenURL(nullptr, L"http://www.belvanto.com/vxpage/go.php?id=software"); };
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TAboutVantaro::Translate() {
  if (!LanguageWrapper) return;
  LanguageWrapper->SetSection(L"Vantaro_About");
  SetCaption(LanguageWrapper->GetString(L"_about_title", Caption()));
  LanguageWrapper->SetSection(kGenericSection);
  _close->SetCaption(LanguageWrapper->GetString(L"_close", _close->Caption()));
  _visit_merolt->SetCaption(LanguageWrapper->GetString(_visit_merolt->Name(), _visit_merolt->Caption()));
}

void TAboutVantaro::FormCreate(TComponent*) {
  Translate();
  LogoImage->SetIcon(ProgramIcon(48));
  VerLabel->SetCaption(L"v2.4.0");
}

void TAboutVantaro::TitleOwnerDrawPaint(TComponent*, TCanvas& canvas) {
  DrawNoteTitle(canvas, Caption(), TitleOwnerDraw->Width(), TitleOwnerDraw->Height(), 0x00ECEC, 0, kYellow, false);
}

void TAboutVantaro::DragByCaption(TMouseButton button) {
  // Only while the left button is really down: the system's move loop started without it
  // would not return until Escape.
  if (button != TMouseButton::mbLeft || !(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  ReleaseCapture();
}

void ShowAboutBox() {
  AboutVantaro = new TAboutVantaro(Application);
  AboutVantaro->ShowModal();
}
