#pragma once
// Standard dialogs.
#include <windows.h>

#include "ui/Graphics.h"

// The font dialog with effects (colour, underline, strike-out), only existing fonts.
// On OK the font takes the chosen name, size, style and colour.
bool ExecuteFontDialog(HWND owner, TFont& font);
