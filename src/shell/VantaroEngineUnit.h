#pragma once
// The application engine: the one object that owns the notes manager and the hot keys, opens
// the notes manager window and runs the settings round trip.
class TNotesManager;
class TMyEventsmanager;

class TVantaroEngine {
 public:
  // An engine that holds nothing yet; Create builds a whole one.
  TVantaroEngine();
  // Builds the engine: defaults, hot-key objects, the user folder, the settings, the notes,
  // the events, then the hot-key registrations. UIEnabled is held clear while it runs; when a
  // step fails, what was built by then is saved and freed before the error goes on.
  static TVantaroEngine* Create();
  // Saves the settings, releases the hot keys, saves the events and saves and closes every
  // note. Every step runs whatever became of the one before, and nothing leaves it.
  virtual ~TVantaroEngine();
  TVantaroEngine(const TVantaroEngine&) = delete;
  TVantaroEngine& operator=(const TVantaroEngine&) = delete;

  TNotesManager* NotesManager = nullptr;
  TMyEventsmanager* EventsManager = nullptr;

  // Rebuilds the notes manager window's lists when that window is open.
  void RefreshNotesManager();
  // Opens the notes manager window, or refreshes it and brings it to the front.
  void ShowNotesManager();
  // The settings round trip: every note saved, the settings dialog, the values taken back
  // when it is confirmed, the settings written either way.
  void Setup();
  // The events manager window, and the latest events (even when none is due with always).
  void ShowEventsManager();
  void ShowLatestEvents(bool always);

 private:
  void Build();
  // The reminder events: built and loaded after the notes, saved and freed at shut-down.
  void CreateEventsManager();
  void SaveAndFreeEventsManager();

 protected:
  // The settings dialog, filled from the settings; answers whether it was confirmed (its
  // values are then the settings, and the hot keys are registered anew).
  virtual bool RunSettingsDialog();
};

// Null while the engine is being built and again from the first step of the shut-down.
extern TVantaroEngine* VantaroEngine;
