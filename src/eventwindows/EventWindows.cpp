#include "eventwindows/EventWindows.h"

#include "eventwindows/dlgMYEventEdit.h"
#include "eventwindows/frmEventsManager.h"
#include "eventwindows/frmLatestEvents.h"
#include "events/MyEventsManagerUnit.h"
#include "ui/Application.h"

void RegisterEventWindows() {
  EventsWindows.NewManagerForm = [](TMyEventsmanager& events) -> TForm* {
    return Application ? new TEventsManager(Application, events) : nullptr;
  };
  EventsWindows.NewLatestForm = [](TMyEventsmanager& events) -> TForm* {
    return Application ? new TLatestEvents(Application, events) : nullptr;
  };
  EventsWindows.EditEvent = RunEventEditDialog;
  EventsWindows.EventsChanged = [](TMyEventsmanager& events) {
    if (auto* form = dynamic_cast<TEventsManager*>(events.ManagerForm())) form->RefreshList();
  };
}
