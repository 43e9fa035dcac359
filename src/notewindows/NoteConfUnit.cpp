#include "notewindows/NoteConfUnit.h"

#include "notes/NoteWrapper.h"

// The dialog itself is being written; until then the note is saved as the dialog would.
void EditNotePropertiesEx(TForm*, TNoteWrapper* Wrapper, int, int) {
  if (Wrapper) Wrapper->Save();
}

void EditNoteProperties(TNoteWrapper* Wrapper, int X, int Y) { EditNotePropertiesEx(nullptr, Wrapper, X, Y); }
