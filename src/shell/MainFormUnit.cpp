#include "shell/MainFormUnit.h"

TVantaroMainForm* VantaroMainForm = nullptr;

TVantaroMainForm::TVantaroMainForm(TComponent* owner) : TForm(owner, L"TVantaroMainForm") {
  SetName(L"VantaroMainForm");
  BorderStyle = TFormBorderStyle::bsNone;
  SetBounds(0, 0, 0, 0);
  NoteSystemTimer = new TTimer(this, L"NoteSystemTimer", 1000);
  TrayIcon = new TTrayIcon(this, Handle(), WM_VXQ_TRAY);
}
