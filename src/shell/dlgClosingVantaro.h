#pragma once
// Shown on top of everything while a close request saves and shuts down; it goes with the program.
#include "ui/Forms.h"
#include "ui/Image.h"
#include "ui/Panel.h"

class TClosingVantaroDLG : public TForm {
 public:
  explicit TClosingVantaroDLG(TComponent* owner);

  TPanel* Panel1;
  TImage* Image1;

 private:
  void FormCreate(TComponent* sender);
};

// Creates the window, owned by the application, and paints it at once: the program is about
// to be busy and handles no messages meanwhile. There is one at most: a second call shows it.
void ShowClosingWindow();
// Takes it away when the program stays after all.
void HideClosingWindow();
