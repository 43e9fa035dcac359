#pragma once
// The note-properties dialog: title, group, linked file, colours, auto-show and alarm moments.
class TForm;
class TNoteWrapper;

// Runs the dialog for the wrapper's note. Owner nil means the main window; X and Y are the
// screen point to open at, -1 for none (the dialog then stands in the bottom-right corner).
void EditNotePropertiesEx(TForm* Owner, TNoteWrapper* Wrapper, int X, int Y);
// The same with the main window as owner.
void EditNoteProperties(TNoteWrapper* Wrapper, int X, int Y);
