#pragma once
// The application engine: the one object that owns the notes manager.
class TNotesManager;

class TVantaroEngine {
 public:
  TVantaroEngine();
  // Saves the settings, then saves and closes every note and frees the managers.
  virtual ~TVantaroEngine();
  TVantaroEngine(const TVantaroEngine&) = delete;
  TVantaroEngine& operator=(const TVantaroEngine&) = delete;

  TNotesManager* NotesManager = nullptr;
  // Rebuilds the notes manager window's lists when that window is open.
  void RefreshNotesManager();
};

// Null while the engine is being built and again from the first step of the shut-down.
extern TVantaroEngine* VantaroEngine;
