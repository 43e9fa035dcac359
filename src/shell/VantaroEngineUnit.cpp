#include "shell/VantaroEngineUnit.h"

#include "notes/NoteManagerUnit.h"
#include "notes/RegistryUnit.h"

TVantaroEngine* VantaroEngine = nullptr;

TVantaroEngine::TVantaroEngine() = default;

TVantaroEngine::~TVantaroEngine() {
  // Every step runs whatever became of the one before, and nothing leaves the destructor: a
  // settings key that cannot be written must not cost the user the notes' last typing.
  try {
    SaveSettings();
  } catch (...) {
    // Settings that cannot be written are given up; the next start reads the old ones.
  }
  if (NotesManager) {
    try {
      NotesManager->CloseAll();
    } catch (...) {
      // Whatever CloseAll could not do is lost; the notes it saved stay saved.
    }
    delete NotesManager;
    NotesManager = nullptr;
  }
}

void TVantaroEngine::RefreshNotesManager() {
  // The notes manager window is not there yet; nothing to rebuild.
}
