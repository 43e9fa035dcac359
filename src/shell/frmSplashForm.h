#pragma once
// The splash window shown while the program starts: a translucent yellow note cut to its shape.
#include "ui/Forms.h"
#include "ui/Image.h"

class TSplashForm : public TForm {
 public:
  explicit TSplashForm(TComponent* owner);

  TImage* SplashImage;

  // The picture and the mask that shapes the window: black where the window is.
  static void DrawSplashPicture(TBitmap& picture);
  static void DrawSplashMask(TBitmap& mask);
  // The region of the black pixels of mask.
  static HRGN RegionFromMask(const TBitmap& mask);
};

// The splash, or null when there is none.
extern TSplashForm* SplashForm;

// Show false (the "/S" switch) makes no splash.
void CreateSplash(bool show);
void ShowSplash();
// Releases the splash once it may go, even from inside one of its handlers; then there is none.
void CloseSplash();

// Places form in the middle of the primary screen.
void CenterOnScreen(TForm& form);
