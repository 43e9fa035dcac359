#pragma once
// The events windows on a fresh application: the document's fixture with the real windows
// registered, and helpers that act on a modal dialog while it runs.
#include <functional>
#include <memory>

#include "events/EventsTestEnv.h"
#include "eventwindows/EventWindows.h"
#include "eventwindows/dlgMYEventEdit.h"
#include "eventwindows/frmEventsManager.h"
#include "eventwindows/frmLatestEvents.h"
#include "notes/InternalProcs.h"
#include "ui/Application.h"

namespace eventstest {

class EventWindowsTest : public EventsTest {
 protected:
  void SetUp() override {
    EventsTest::SetUp();
    app_ = std::make_unique<TApplication>();
    SetDefaultSettings();
    NoteTransparency = false;
    Loading = false;
    UIEnabled = true;
    RegisterEventWindows();
  }
  void TearDown() override {
    manager.reset();
    app_.reset();
    // A shut-down test ends the message loop; the next test needs its messages again.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    NoteTransparency = false;
    EventsTest::TearDown();
  }

  TMyEventsmanager& Manager() {
    if (!manager) manager = Load();
    return *manager;
  }
  TEventsManager* ManagerWindow() { return dynamic_cast<TEventsManager*>(Manager().ManagerForm()); }
  TLatestEvents* LatestWindow() { return dynamic_cast<TLatestEvents*>(Manager().LatestForm()); }

  // Runs act on the event edit dialog once it runs modally.
  static void WhenDialogOpen(std::function<void(TMyEventEdit&)> act) {
    testsupport::WhenReady([] { return testsupport::OpenModalForm<TMyEventEdit>() != nullptr; },
                           [act = std::move(act)] { act(*testsupport::OpenModalForm<TMyEventEdit>()); });
  }

  // A key pressed and let go in a window, posted.
  static void PostKey(HWND h, UINT vk) {
    PostMessageW(h, WM_KEYDOWN, vk, 1);
    PostMessageW(h, WM_KEYUP, vk, 1u | 0xC0000000u);
  }

  std::unique_ptr<TMyEventsmanager> manager;

 private:
  std::unique_ptr<TApplication> app_;
};

}  // namespace eventstest
