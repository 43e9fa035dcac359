#include "shell/dlgClosingVantaro.h"

#include "language/VxMLSTDCTRLWrapper.h"
#include "shell/dlgAboutVantaro.h"
#include "shell/frmSplashForm.h"
#include "ui/Application.h"

TClosingVantaroDLG::TClosingVantaroDLG(TComponent* owner) : TForm(owner, L"TClosingVantaroDLG") {
  SetName(L"ClosingVantaroDLG");
  BorderStyle = TFormBorderStyle::bsNone;
  OnCreateParams = [](TCreateParams& p) { p.ExStyle |= WS_EX_TOPMOST; };
  SetColor(GetSysColor(COLOR_BTNFACE));
  SetClientSize(270, 61);
  CenterOnScreen(*this);
  Panel1 = new TPanel(this, L"Panel1");
  Panel1->SetParent(this);
  Panel1->SetAlign(TAlign::alClient);
  Panel1->SetColor(GetSysColor(COLOR_BTNFACE));
  Panel1->Font().SetName(L"Arial");
  Panel1->Font().SetSize(12);
  Panel1->Font().SetStyle(FontStyle::Bold);
  Panel1->SetCaption(L"Closing Vantaro . . .");
  Image1 = new TImage(this, L"Image1");
  Image1->SetParent(Panel1);
  Image1->SetBounds(16, 16, 32, 32);
  Image1->SetIcon(ProgramIcon(32));
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TClosingVantaroDLG::FormCreate(TComponent*) {
  if (!LanguageWrapper) return;
  LanguageWrapper->SetSection(kGenericSection);
  Panel1->SetCaption(LanguageWrapper->GetString(L"_closing_vantaro", L"Closing Vantaro . . ."));
}

namespace {
TClosingVantaroDLG* g_closing = nullptr;
TLifeCheck g_closingAlive;
}  // namespace

void ShowClosingWindow() {
  if (!g_closingAlive) {
    g_closing = new TClosingVantaroDLG(Application);
    g_closingAlive = g_closing->Watch();
  }
  g_closing->Show();
  // Children too: no message is handled until the shut-down is over.
  RedrawWindow(g_closing->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void HideClosingWindow() {
  if (g_closingAlive) g_closing->Release();
  g_closingAlive = TLifeCheck();
}
