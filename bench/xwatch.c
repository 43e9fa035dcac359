/* Watches the screen for the benchmarks: counts the mapping of top-level windows of a given
 * size and waits until each has been painted, on CLOCK_MONOTONIC_RAW, the clock of Wine's
 * QueryPerformanceCounter (and so of the programs' own timing).
 *
 *   xwatch <count> <width> <height> <timeout ms> [quiet ms]
 *
 * Prints "ready" on stderr once it listens. Each of the first <count> windows of that size to
 * be mapped is painted when the first burst of drawing into it after its mapping (XDamage)
 * has ended, a burst ending when nothing was drawn into that window for [quiet ms] (default
 * 200); a later repaint (a note's repaint after its first save, say) is not its painting. Once
 * every one is painted it prints one line on stdout:
 *   mapped_ms=<when the last of them was mapped> painted_ms=<when the last of them was painted>
 *   first_paint_ms=<when every one had been drawn into once> windows=<count seen>
 * in milliseconds of that clock. On the timeout it prints what it has, with timeout=1. */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define MAX_WINDOWS 8192

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC_RAW, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int ignore_errors(Display *d, XErrorEvent *e) {
  (void)d;
  (void)e;
  return 0;
}

struct watched {
  Window w;
  double mapped, first_damage, last_damage;
  int painted; /* its first burst of drawing has ended */
};

int main(int argc, char **argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: xwatch <count> <width> <height> <timeout ms> [quiet ms]\n");
    return 2;
  }
  const int count = atoi(argv[1]), width = atoi(argv[2]), height = atoi(argv[3]);
  const double timeout = atof(argv[4]), quiet = argc > 5 ? atof(argv[5]) : 300;
  Display *d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "xwatch: no display\n");
    return 1;
  }
  int damage_event, damage_error;
  if (!XDamageQueryExtension(d, &damage_event, &damage_error)) {
    fprintf(stderr, "xwatch: no DAMAGE extension\n");
    return 1;
  }
  XSetErrorHandler(ignore_errors);
  Window root = DefaultRootWindow(d);
  XSelectInput(d, root, SubstructureNotifyMask);
  XSync(d, False);
  fprintf(stderr, "ready\n");
  fflush(stderr);

  static struct watched seen[MAX_WINDOWS];
  int nseen = 0, mapped = 0, damaged = 0, painted = 0;
  double last_map = 0, all_damaged = 0, last_painted = 0;
  const double start = now_ms();
  int timed_out = 0;
  for (;;) {
    const double t = now_ms();
    for (int i = 0; i < nseen; ++i)
      if (seen[i].first_damage && !seen[i].painted && t - seen[i].last_damage >= quiet) {
        seen[i].painted = 1;
        ++painted;
        if (seen[i].last_damage > last_painted) last_painted = seen[i].last_damage;
      }
    if (painted >= count) break;
    if (t - start > timeout) {
      timed_out = 1;
      break;
    }
    if (!XPending(d)) {
      struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
      poll(&p, 1, 10);
      continue;
    }
    XEvent e;
    XNextEvent(d, &e);
    const double at = now_ms();
    if (e.type == CreateNotify && e.xcreatewindow.parent == root) {
      /* Watched from its creation, before anything can be drawn into it. */
      /* One event each time the window's damage goes from none to some; taking the damage
       * away on each event arms the next, so that a burst of drawing is not a flood. */
      XDamageCreate(d, e.xcreatewindow.window, XDamageReportNonEmpty);
    } else if (e.type == MapNotify && e.xmap.event == root) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d, e.xmap.window, &a) || a.width != width || a.height != height) continue;
      /* Only the first <count>: a window that comes later (the hot key's note) is not theirs. */
      if (nseen >= count || nseen >= MAX_WINDOWS) continue;
      seen[nseen++] = (struct watched){e.xmap.window, at, 0, 0, 0};
      ++mapped;
      last_map = at;
    } else if (e.type == damage_event + XDamageNotify) {
      XDamageNotifyEvent *de = (XDamageNotifyEvent *)&e;
      XDamageSubtract(d, de->damage, None, None);
      for (int i = 0; i < nseen; ++i) {
        if (seen[i].w != de->drawable) continue;
        if (!seen[i].first_damage) {
          seen[i].first_damage = at;
          if (++damaged == count) all_damaged = at;
        }
        if (!seen[i].painted) seen[i].last_damage = at;
        break;
      }
    }
  }
  printf("mapped_ms=%.3f painted_ms=%.3f first_paint_ms=%.3f windows=%d%s\n", last_map, last_painted, all_damaged,
         mapped, timed_out ? " timeout=1" : "");
  fflush(stdout);
  XCloseDisplay(d);
  return timed_out;
}
