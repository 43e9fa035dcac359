#pragma once
// Small pictograms of the program's own for menus, actions and lists: a shape in a colour with
// a letter or sign on it, drawn into an image list.
#include "ui/Graphics.h"

enum class TGlyphShape { Note, Disc, Box, Folder, Printer, Mark, Blank };

struct TGlyph {
  TGlyphShape Shape;
  TColor Fill;
  const wchar_t* Sign;  // drawn in white on dark shapes, dark on notes, folders and printers
};

// Draws the glyph at the list's size and adds it; returns its index.
int AddGlyph(TImageList& list, const TGlyph& glyph);
