#include "shell/dlgDefaultNoteSize.h"

#include <algorithm>

#include "language/VxMLSTDCTRLWrapper.h"
#include "shell/frmSplashForm.h"

TDefaultNoteSizeForm::TDefaultNoteSizeForm(TComponent* owner) : TForm(owner, L"TDefaultNoteSizeForm") {
  SetName(L"DefaultNoteSizeForm");
  BorderStyle = TFormBorderStyle::bsNone;
  // The client area of 152 x 137 inside the sizing frame that CreateParams adds.
  RECT frame{0, 0, 152, 137};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_THICKFRAME, FALSE, WS_EX_APPWINDOW);
  SetBounds(0, 0, frame.right - frame.left, frame.bottom - frame.top);
  CenterOnScreen(*this);
  _note_size = Place(new TPanel(this, L"_note_size"), this, 0, 0, 152, 15);
  _note_size->SetAlign(TAlign::alTop);
  _note_size->SetBevelOuter(TBevelCut::bvNone);
  _note_size->SetColor(0x00ECEC);
  _note_size->Font().SetName(L"Tahoma");
  _note_size->Font().SetSize(7);  // 9 pixels at 96 dots per inch
  _note_size->SetCaption(L"Note Size");
  PaintBox1 = Place(new TPaintBox(this, L"PaintBox1"), this, 149, 15, 3, 122);
  PaintBox1->SetAlign(TAlign::alRight);
  PaintBox2 = Place(new TPaintBox(this, L"PaintBox2"), this, 0, 134, 152, 3);
  PaintBox2->SetAlign(TAlign::alBottom);
  PaintBox3 = Place(new TPaintBox(this, L"PaintBox3"), this, 0, 15, 3, 122);
  PaintBox3->SetAlign(TAlign::alLeft);
  _UsageLabel = Place(new TLabel(this, L"_UsageLabel"), this, 8, 17, 136, 39,
                      L"Press ok to accept new note size, cancel to mantain previous note size");
  _UsageLabel->SetWordWrap(true);
  _UsageLabel->SetAutoSize(true);
  _Cancel = Place(new TButton(this, L"_Cancel"), this, 8, 56, 75, 24, L"Cancel");
  _Cancel->Cancel = true;
  _Cancel->ModalResult = mrCancel;
  _OK = Place(new TButton(this, L"_OK"), this, 8, 80, 75, 24, L"OK");
  _OK->SetDefault(true);
  _OK->ModalResult = mrOk;
  SetActiveControl(_OK);
  LayOutUsage();
  OnResize = [this](TComponent* s) { FormResize(s); };
  OnCreate = [this](TComponent* s) { FormCreate(s); };
  DoCreate();
}

void TDefaultNoteSizeForm::FormCreate(TComponent*) {
  if (!LanguageWrapper) return;
  LanguageWrapper->SetSection(L"Vantaro_Sizer");
  _note_size->SetCaption(LanguageWrapper->GetString(L"_note_size_title", _note_size->Caption()));
  LanguageWrapper->TranslateLabel(_UsageLabel);
  LanguageWrapper->SetSection(kGenericSection);
  LanguageWrapper->TranslateButton(_OK);
  LanguageWrapper->TranslateButton(_Cancel);
  LayOutUsage();
}

void TDefaultNoteSizeForm::LayOutUsage() {
  // The usage text wraps across the window's width, the buttons under it.
  _UsageLabel->SetWidth(std::max(ClientWidth() - 2 * _UsageLabel->Left(), 1));
  _Cancel->SetTop(std::max(56, _UsageLabel->Top() + _UsageLabel->Height()));
  _OK->SetTop(_Cancel->Top() + 24);
}

void TDefaultNoteSizeForm::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  // No caption, but a frame to size it by and a taskbar button of its own.
  params.ExStyle = WS_EX_APPWINDOW;
  params.Style |= WS_THICKFRAME | WS_SYSMENU | WS_CLIPSIBLINGS;
}

void TDefaultNoteSizeForm::FormCanResize(RECT& requested, WPARAM edge) {
  if (requested.right - requested.left < MinSize) {
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
      requested.left = requested.right - MinSize;
    else
      requested.right = requested.left + MinSize;
  }
  if (requested.bottom - requested.top < MinSize) {
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
      requested.top = requested.bottom - MinSize;
    else
      requested.bottom = requested.top + MinSize;
  }
}

void TDefaultNoteSizeForm::SetBounds(int left, int top, int width, int height) {
  if (!sizing_) width = std::clamp(width, MinSize, MaxSize), height = std::clamp(height, MinSize, MaxSize);
  TForm::SetBounds(left, top, width, height);
}

void TDefaultNoteSizeForm::FormResize(TComponent*) {
  LayOutUsage();
  if (sizing_) return;
  const int width = std::clamp(Width(), MinSize, MaxSize), height = std::clamp(Height(), MinSize, MaxSize);
  if (width != Width() || height != Height()) SetBounds(Left(), Top(), width, height);
}

LRESULT TDefaultNoteSizeForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZING:
      FormCanResize(*reinterpret_cast<RECT*>(lp), wp);
      return TRUE;
    case WM_ENTERSIZEMOVE:
      sizing_ = true;
      break;
    case WM_EXITSIZEMOVE:
      sizing_ = false;
      FormResize(this);
      break;
    default: break;
  }
  return TForm::WndProc(msg, wp, lp);
}
