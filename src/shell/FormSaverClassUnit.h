#pragma once
// The placement saver lives with the window layer, so that windows below the shell use it too.
#include "ui/FormSaverClassUnit.h"
