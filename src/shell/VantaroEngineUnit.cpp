#include "shell/VantaroEngineUnit.h"

#include "notes/NoteManagerUnit.h"
#include "notes/RegistryUnit.h"

TVantaroEngine* VantaroEngine = nullptr;

TVantaroEngine::TVantaroEngine() = default;

TVantaroEngine::~TVantaroEngine() {
  SaveSettings();
  if (NotesManager) {
    NotesManager->CloseAll();
    delete NotesManager;
    NotesManager = nullptr;
  }
}

void TVantaroEngine::RefreshNotesManager() {
  // The notes manager window is not there yet; nothing to rebuild.
}
