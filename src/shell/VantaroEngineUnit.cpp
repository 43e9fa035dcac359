#include "shell/VantaroEngineUnit.h"

#include "eventwindows/EventWindows.h"
#include "events/MyEventsManagerUnit.h"
#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notes/RegistryUnit.h"
#include "notewindows/frmNotesManagerForm.h"
#include "shell/ConfigurationFormUnit.h"
#include "shell/MainFormUnit.h"
#include "shell/ShortcutManagerUnit.h"
#include "todowindows/ToDoListFormUnit.h"
#include "ui/Application.h"

TVantaroEngine* VantaroEngine = nullptr;

namespace {
TVx_Shortcut* NewShortcut(const char* name) {
  auto* s = new TVx_Shortcut;
  s->Window = VantaroMainForm;
  s->Name = name;
  return s;
}

void FreeShortcut(TVx_Shortcut*& shortcut) {
  TVx_Shortcut* s = shortcut;
  shortcut = nullptr;
  delete s;
}
}  // namespace

TVantaroEngine::TVantaroEngine() {
  // The program's end asks for the events the user confirmed and the file does not hold yet:
  // they are written, or the user is asked (the session end waits) before they are lost.
  SetPendingDocuments(L"events", [] {
    return VantaroEngine && VantaroEngine->EventsManager ? VantaroEngine->EventsManager->SavePending()
                                                         : std::wstring();
  });
}

TVantaroEngine* TVantaroEngine::Create() {
  auto* engine = new TVantaroEngine;
  try {
    engine->Build();
  } catch (...) {
    // The notes loaded so far keep what they have; the error goes to the caller.
    delete engine;
    throw;
  }
  return engine;
}

void TVantaroEngine::Build() {
  TUIDisabled held;
  SetDefaultSettings();
  NewNoteShortCut = NewShortcut("NewNoteShortCut");
  NotesManagerShortCut = NewShortcut("NotesManagerShortCut");
  ToDoListShortCut = NewShortcut("ToDoListShortCut");
  InitUserFolder();
  LoadSettings();
  NotesManager = new TNotesManager;
  CreateEventsManager();
  NewNoteShortCut->RegisterShortcut();
  NotesManagerShortCut->RegisterShortcut();
  ToDoListShortCut->RegisterShortcut();
}

TVantaroEngine::~TVantaroEngine() {
  // The notes manager window lets go of every note before the notes go.
  try {
    CloseNotesManagerForm();
  } catch (...) {
  }
  // An open to-do window goes through its own close handling: its project and placement are saved.
  try {
    CloseToDoListForm();
  } catch (...) {
  }
  // Every step runs whatever became of the one before, and nothing leaves the destructor: a
  // settings key that cannot be written must not cost the user a hot key or the notes' last
  // typing.
  try {
    SaveSettings();  // first: the hot keys' values are saved with the settings
  } catch (...) {
    // Settings that cannot be written are given up; the next start reads the old ones.
  }
  for (TVx_Shortcut** s : {&NewNoteShortCut, &NotesManagerShortCut, &ToDoListShortCut}) {
    try {
      FreeShortcut(*s);
    } catch (...) {
      // The system drops a hot key of ours when the program ends anyway.
    }
  }
  try {
    SaveAndFreeEventsManager();
  } catch (...) {
    // The events file keeps what it had; the notes below still get saved.
  }
  if (NotesManager) {
    try {
      NotesManager->CloseAll();
    } catch (...) {
      // Whatever CloseAll could not do is lost; the notes it saved stay saved.
    }
    try {
      delete NotesManager;
    } catch (...) {
    }
    NotesManager = nullptr;
  }
}

void TVantaroEngine::CreateEventsManager() {
  RegisterEventWindows();
  EventsManager = new TMyEventsmanager;
  EventsManager->LoadEvents();
}

void TVantaroEngine::SaveAndFreeEventsManager() {
  TMyEventsmanager* events = EventsManager;
  if (!events) return;
  // Saving tells its own failure (into the error log now); the events are freed either way.
  try {
    events->SaveEvents();
  } catch (...) {
  }
  EventsManager = nullptr;
  delete events;
}

void TVantaroEngine::RefreshNotesManager() {
  if (NotesManagerForm) NotesManagerForm->UpdateList(true);
}

void TVantaroEngine::ShowNotesManager() {
  if (!NotesManagerForm) {
    TComponent* owner = VantaroMainForm ? static_cast<TComponent*>(VantaroMainForm) : Application;
    NotesManagerForm = new TNotesManagerForm(owner);
  }
  NotesManagerForm->UpdateList(true);
  NotesManagerForm->Show();
  SetForegroundWindow(NotesManagerForm->Handle());
}

void TVantaroEngine::ShowEventsManager() {
  if (EventsManager) EventsManager->ShowManager();
}

void TVantaroEngine::ShowLatestEvents(bool always) {
  if (EventsManager) EventsManager->ShowLatest(always);
}

bool TVantaroEngine::RunSettingsDialog() {
  return ExecuteConfigurationForm(VantaroMainForm ? static_cast<TComponent*>(VantaroMainForm) : Application);
}

void TVantaroEngine::Setup() {
  TUIDisabled held;
  // The dialog may change fonts and colours: every note is on disk before it opens.
  NotesManager->SaveAll();
  const bool confirmed = RunSettingsDialog();
  // The dialog ran the message loop: a session end may have freed the engine meanwhile.
  if (VantaroEngine != this) return;
  if (confirmed) {
    SettingsChanged = true;
    NotesManager->RefreshAll();
  }
  SaveSettings();
  // Last, as it runs the message loop: the settings are stored as confirmed all the same.
  if (confirmed) ReportUnregisteredShortcuts();
}
