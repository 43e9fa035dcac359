#pragma once
// Hands the events document the windows it opens: the events manager window, the latest-events
// window and the event edit dialog.
void RegisterEventWindows();
