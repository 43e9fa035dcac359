#pragma once
// Small pictograms of the program's own for menus, actions and lists: a shape in a colour with
// a letter or sign on it, drawn into an image list.
#include "ui/Graphics.h"

// Check and Dash are marks drawn in their colour alone, without a shape behind them. Bin (a
// waste bin with its lid) and Door (a door standing open) are pictures of their own, their
// body in the glyph's colour.
enum class TGlyphShape { Note, Disc, Box, Folder, Printer, Check, Dash, Bin, Door, Blank };

struct TGlyph {
  TGlyphShape Shape;
  TColor Fill;
  const wchar_t* Sign;  // drawn in white on dark shapes, dark on notes, folders and printers
  TColor SignColor = clNone;  // or in a colour of its own (a red cross, a green plus)
};

// Draws the glyph at the list's size and adds it; returns its index.
int AddGlyph(TImageList& list, const TGlyph& glyph);
