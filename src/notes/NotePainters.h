#pragma once
// Paints a note's title bar and a miniature note on any canvas. Nothing is kept between calls.
#include <string>

#include "notes/InternalProcs.h"
#include "ui/Graphics.h"

// Paints a title bar of Width × Height. A colour of clNone takes the default: the TitleColor
// and NoteColor settings for the bar and the note, the font record's colour for the text,
// the outlines and the cross.
void DrawTitleBar(TCanvas& canvas, const std::wstring& title, int width, int height, TColor titleColor,
                  TColor titleFontColor, TColor noteColor, const TFontSetting& font, bool hasLink);

// DrawTitleBar with the TitleFont setting.
void DrawNoteTitle(TCanvas& canvas, const std::wstring& title, int width, int height, TColor titleColor,
                   TColor titleFontColor, TColor noteColor, bool hasLink);

// A preview note: the note colour over the whole area, "Demo Note" in the note font (only
// when one is given) and a 13-pixel title bar "Demo Title" with the page glyph, in the title
// font or, without one, the TitleFont setting.
void DrawDemoNote(TCanvas& canvas, int width, int height, TColor titleColor, TColor titleFontColor,
                  TColor noteColor, const TFont* noteFont, const TFont* titleFont);

// Name (cut to 255 characters of the ANSI code page), size, style and colour.
void FontToSetting(const TFont& font, TFontSetting& setting);
void SettingToFont(const TFontSetting& setting, TFont& font);
