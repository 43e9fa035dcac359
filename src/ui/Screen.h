#pragma once
// What the display looks like, asked of the system once and again only after it changes.
// Under Wine each question about the screen is three round trips to the server; a note record
// asks for the screen's size, and a note window for the monitors, every time one is made.
#include <windows.h>

#include <vector>

struct TMonitorArea {
  RECT Bounds;  // the monitor, in virtual-screen coordinates
  RECT Work;    // the part of it not taken by task bars
};

// The primary screen's width and height in pixels.
SIZE PrimaryScreenSize();
// Every monitor, the primary one first.
const std::vector<TMonitorArea>& MonitorAreas();
// The monitor that a rectangle overlaps most, or null when it overlaps none.
const TMonitorArea* MonitorOfRect(const RECT& r);
// The monitor nearest to a rectangle (one it overlaps when there is one).
const TMonitorArea& NearestMonitor(const RECT& r);
// Forgets what was asked: the application calls it when the display or the work area changes.
void DisplayChanged();
