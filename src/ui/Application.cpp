#include "ui/Application.h"

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
  if (!Application) Application = this;
}

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}
