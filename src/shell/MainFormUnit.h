#pragma once
// The hidden main window: it carries the tray icon and the one-second timer.
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/TrayIcon.h"

inline constexpr UINT WM_VXQ_TRAY = WM_APP + 1;

class TVantaroMainForm : public TForm {
 public:
  explicit TVantaroMainForm(TComponent* owner);
  TTimer* NoteSystemTimer;
  TTrayIcon* TrayIcon;
};

extern TVantaroMainForm* VantaroMainForm;
