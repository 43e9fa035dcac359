#pragma once
// The About box: a yellow note with the program's name, version and legal lines. It has no
// frame; its painted title bar and its background drag it.
#include "ui/ExtCtrls.h"
#include "ui/FlatButton.h"
#include "ui/Forms.h"
#include "ui/Image.h"
#include "ui/LinkLabel.h"
#include "ui/Memo.h"
#include "ui/StdCtrls.h"

class TAboutVantaro : public TForm {
 public:
  explicit TAboutVantaro(TComponent* owner);

  TPaintBox* TitleOwnerDraw;
  TSpeedButton* SpeedButton2;
  TImage* LogoImage;
  TLabel* Label1;
  TLabel* VerLabel;
  TMemo* Memo1;
  TLinkLabel* _visit_merolt;
  TFlatButton* _close;

  void Translate();

 private:
  void FormCreate(TComponent* sender);
  void TitleOwnerDrawPaint(TComponent* sender, TCanvas& canvas);
  // Both the title bar and any free spot of the box move it like a caption.
  void DragByCaption(TMouseButton button);
};

// The program's icon in size x size pixels; shared, never destroyed.
HICON ProgramIcon(int size);

// The box most recently opened.
extern TAboutVantaro* AboutVantaro;

// Opens a new About box, owned by the application, and waits until it is closed.
void ShowAboutBox();
