#pragma once
// The application object: owner of the program's top-level windows and other components.
#include "ui/Component.h"

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;
};

// The one application object; created at start-up (and by tests), freed at exit.
extern TApplication* Application;
