#include "ui/Screen.h"

#include <algorithm>
#include <optional>

namespace {
struct TDisplay {
  SIZE primary{};
  std::vector<TMonitorArea> monitors;
};

std::optional<TDisplay>& Cached() {
  static std::optional<TDisplay> display;
  return display;
}

const TDisplay& Display() {
  auto& cached = Cached();
  if (cached) return *cached;
  TDisplay d;
  d.primary = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM lp) -> BOOL {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (GetMonitorInfoW(m, &mi)) {
          auto* list = reinterpret_cast<std::vector<TMonitorArea>*>(lp);
          TMonitorArea area{mi.rcMonitor, mi.rcWork};
          if (mi.dwFlags & MONITORINFOF_PRIMARY)
            list->insert(list->begin(), area);
          else
            list->push_back(area);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&d.monitors));
  // Never without a monitor: the primary screen stands in when the system lists none.
  if (d.monitors.empty()) {
    RECT all{0, 0, d.primary.cx, d.primary.cy};
    d.monitors.push_back({all, all});
  }
  cached = std::move(d);
  return *cached;
}

long long Overlap(const RECT& a, const RECT& b) {
  RECT x;
  if (!IntersectRect(&x, &a, &b)) return 0;
  return static_cast<long long>(x.right - x.left) * (x.bottom - x.top);
}

long long DistanceSquared(const RECT& a, const RECT& b) {
  const long long dx = std::max<long long>({0, static_cast<long long>(b.left) - a.right, static_cast<long long>(a.left) - b.right});
  const long long dy = std::max<long long>({0, static_cast<long long>(b.top) - a.bottom, static_cast<long long>(a.top) - b.bottom});
  return dx * dx + dy * dy;
}
}  // namespace

SIZE PrimaryScreenSize() { return Display().primary; }

const std::vector<TMonitorArea>& MonitorAreas() { return Display().monitors; }

const TMonitorArea* MonitorOfRect(const RECT& r) {
  const TMonitorArea* best = nullptr;
  long long bestOverlap = 0;
  for (const TMonitorArea& m : MonitorAreas())
    if (long long o = Overlap(r, m.Bounds); o > bestOverlap) {
      best = &m;
      bestOverlap = o;
    }
  return best;
}

const TMonitorArea& NearestMonitor(const RECT& r) {
  if (const TMonitorArea* m = MonitorOfRect(r)) return *m;
  const auto& monitors = MonitorAreas();
  return *std::min_element(monitors.begin(), monitors.end(), [&](const TMonitorArea& a, const TMonitorArea& b) {
    return DistanceSquared(r, a.Bounds) < DistanceSquared(r, b.Bounds);
  });
}

void DisplayChanged() { Cached().reset(); }
