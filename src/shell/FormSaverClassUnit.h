#pragma once
// The placement saver lives with the window layer, where every window can reach it.
#include "ui/FormSaverClassUnit.h"
