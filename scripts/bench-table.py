#!/usr/bin/env python3
# The table of scripts/bench from its raw lines: medians over the pairs, per core placement.
import re, statistics, sys
from collections import defaultdict

def fields(line):
    return {k: v for k, v in re.findall(r"(\w+)=\s*([-\w.]+)", line)}

def num(d, k):
    try:
        return float(d[k])
    except (KeyError, ValueError):
        return None

def med(xs):
    xs = [x for x in xs if x is not None]
    return statistics.median(xs) if xs else float("nan")

show = defaultdict(dict)      # (placement, pair, notes, open, mode) -> fields
typing = defaultdict(dict)    # (placement, pair, mode) -> fields
prog = defaultdict(dict)      # (placement, pair, notes, open, mode) -> fields
windows = defaultdict(list)  # wm -> fields of each round
ending = defaultdict(list)   # (placement, way) -> fields of each run
saves, kills, requests = [], [], {}
for line in open(sys.argv[1], errors="replace", newline="").read().split("\n"):
    line = line.replace("\r", "")
    kind = line.split(" ", 1)[0]
    f = fields(line)
    if kind == "SHOW":
        mode = "ours" if " ours " in line else "floor"
        key = (f["placement"], int(f["pair"]), int(f["notes"]), int(f["open"]), mode)
        show[key] = f
        m = re.search(r"typing open=\s*\d+ keys=\s*(\d+) cpu_ms=\s*([\d.]+) server_cpu_ms=\s*([\d.]+) per_key_ms=\s*([\d.]+)", line)
        if m:
            typing[(f["placement"], int(f["pair"]), mode)] = {"per_key_ms": float(m.group(4))}
    elif kind == "PROGRAM":
        mode = "ours" if " ours " in line else "floor"
        prog[(f["placement"], int(f["pair"]), int(f["notes"]), int(f["open"]), mode)] = f
    elif kind == "ENDING":
        f["ended"] = "(" not in line  # "(did not end)", "(not all shown)"
        ending[(f["placement"], f["way"])].append(f)
    elif kind == "WINDOWS" and "wm" in f:
        windows[f["wm"]].append(f)
    elif kind == "SAVE":
        saves.append(line.strip())
    elif kind == "KILL":
        kills.append(line.strip())
    elif kind == "REQUESTS":
        requests[(int(f["notes"]), int(f["percent"]), f["mode"])] = int(f["total"])

def screen_ms(f):
    # The screen's end point on the program's clock: last drawing into a note window, from t0.
    p, t0 = num(f, "painted_ms"), num(f, "t0")
    return p - t0 if p and t0 and p > 0 and "timeout" not in f else None

placements = sorted({k[0] for k in show} | {k[0] for k in prog})
pairs = sorted({k[1] for k in show} | {k[1] for k in prog})
if show:
    print("Showing notes (vxq_bench), medians over %d pairs; ratio = median of the pairs' ratios" % len(pairs))
    print(f"{'placement':9} {'case':>16} {'ours ms':>9} {'floor ms':>9} {'ratio':>6}   {'ours screen':>11} {'floor screen':>12} {'ratio':>6}")
    for p in placements:
        for notes, open_ in [(100, 100), (1000, 100), (1000, 1000)]:
            rows = [(show.get((p, i, notes, open_, "ours")), show.get((p, i, notes, open_, "floor"))) for i in pairs]
            rows = [(o, fl) for o, fl in rows if o and fl]
            if not rows:
                continue
            prg = [(num(o, "show_ms"), num(fl, "show_ms")) for o, fl in rows]
            scr = [(screen_ms(o), screen_ms(fl)) for o, fl in rows]
            r1 = med([a / b for a, b in prg if a and b])
            r2 = med([a / b for a, b in scr if a and b])
            print(f"{p:9} {f'{open_} of {notes}':>16} {med([a for a, _ in prg]):9.1f} {med([b for _, b in prg]):9.1f} {r1:6.2f}   "
                  f"{med([a for a, _ in scr]):11.1f} {med([b for _, b in scr]):12.1f} {r2:6.2f}")
    print()
    for p in placements:
        closed = []
        for i in pairs:
            a, b = show.get((p, i, 1000, 100, "ours")), show.get((p, i, 100, 100, "ours"))
            if a and b:
                closed.append((num(a, "show_ms") - num(b, "show_ms")) / 900)
        if closed:
            print(f"cost per closed note, placement {p}: {med(closed):.3f} ms (900 closed notes more, same 100 open)")
    for p in placements:
        r = [(typing.get((p, i, "ours")), typing.get((p, i, "floor"))) for i in pairs]
        r = [(o["per_key_ms"], fl["per_key_ms"]) for o, fl in r if o and fl]
        if r:
            print(f"processor time per typed key, 100 open, placement {p}: ours {med([a for a, _ in r]):.3f} ms, "
                  f"bare rich edit {med([b for _, b in r]):.3f} ms, ratio {med([a / b for a, b in r]):.2f} "
                  f"(the program's thread and the Wine server)")
    for p in placements:
        for notes, open_ in [(100, 100), (1000, 1000)]:
            o = [show.get((p, i, notes, open_, "ours")) for i in pairs]
            fl = [show.get((p, i, notes, open_, "floor")) for i in pairs]
            o, fl = [x for x in o if x], [x for x in fl if x]
            if o and fl:
                print(f"memory, {open_} of {notes} open, placement {p}: private {med([num(x, 'private_kb') for x in o]) / 1024:.1f} MB "
                      f"(floor {med([num(x, 'private_kb') for x in fl]) / 1024:.1f}), proportional set size "
                      f"{med([num(x, 'pss_kb') for x in o]) / 1024:.1f} MB (floor {med([num(x, 'pss_kb') for x in fl]) / 1024:.1f})")
    print()
if prog:
    print("The real program (vxq.exe /S) from outside against a floor process, medians over the pairs")
    for p in placements:
        for notes, open_ in [(1000, 100), (100, 100), (1000, 1000)]:
            rows = [(prog.get((p, i, notes, open_, "ours")), prog.get((p, i, notes, open_, "floor"))) for i in pairs]
            rows = [(o, fl) for o, fl in rows if o and fl]
            if not rows:
                continue
            vis = [(num(o, "start_ms"), num(fl, "start_ms")) for o, fl in rows]
            scr = [(screen_ms(o), screen_ms(fl)) for o, fl in rows]
            print(f"{p:4} {open_} of {notes}: start to all visible {med([a for a, _ in vis]):7.1f} ms (floor {med([b for _, b in vis]):7.1f}, "
                  f"ratio {med([a / b for a, b in vis if a and b]):.2f}); to all painted on the screen {med([a for a, _ in scr]):7.1f} ms "
                  f"(floor {med([b for _, b in scr]):7.1f}, ratio {med([a / b for a, b in scr if a and b]):.2f})")
            print(f"     hot key to a focused new note {med([num(o, 'hotkey_ms') for o, _ in rows]):.1f} ms (floor {med([num(fl, 'hotkey_ms') for _, fl in rows]):.1f}); "
                  f"private {med([num(o, 'private_kb') for o, _ in rows]) / 1024:.1f} MB (floor {med([num(fl, 'private_kb') for _, fl in rows]) / 1024:.1f}); "
                  f"proportional set size {med([num(o, 'pss_kb') for o, _ in rows]) / 1024:.1f} MB (floor {med([num(fl, 'pss_kb') for _, fl in rows]) / 1024:.1f})")
            print(f"     exit (the tray menu\'s Exit until the program has ended, no note changed) "
                  f"{med([num(o, 'exit_ms') for o, _ in rows]):.1f} ms")
            idle = [(o, fl) for o, fl in rows if num(o, "idle_s")]
            if idle:
                s = num(idle[0][0], "idle_s")
                per_min = lambda f: (num(f, "linux_cpu_ms") + num(f, "wineserver_cpu_ms")) * 60 / s
                print(f"     processor time idle, per minute (over {s:.0f} s, the program and the Wine server, Linux's counts): "
                      f"{med([per_min(o) for o, _ in idle]):.1f} ms (floor {med([per_min(fl) for _, fl in idle]):.1f}); "
                      f"GetProcessTimes {med([num(o, 'idle_cpu_ms') * 60 / s for o, _ in idle]):.1f} ms")
    # The headline: the real program against the floor with both on one core, as ratios.
    def ratio(notes, open_, value):
        rows = [(prog.get(("one", i, notes, open_, "ours")), prog.get(("one", i, notes, open_, "floor"))) for i in pairs]
        return med([value(o) / value(fl) for o, fl in rows if o and fl and value(o) and value(fl)])
    pss = lambda f: num(f, "pss_kb")
    if any(k[0] == "one" for k in prog):
        print(f"Against the floor, one core: start-up to every note painted {ratio(100, 100, screen_ms):.2f} x at 100 of 100, "
              f"{ratio(1000, 1000, screen_ms):.2f} x at 1,000 of 1,000; proportional set size with 100 notes open "
              f"{ratio(100, 100, pss):.2f} x (100 of 100), {ratio(1000, 100, pss):.2f} x (100 of 1,000)")
    print()
if windows:
    print("The windows a user opens (vxq.exe /S, 3 of 10 notes open), medians and worst of the rounds, ms")
    for wm, rounds in windows.items():
        cells = []
        for k, what in [("new_note_ms", "hot key to a new note"), ("properties_ms", "Ctrl+O to the properties dialog"),
                        ("close_ms", "its Cancel to the note again")]:
            xs = [num(r, k) for r in rounds if num(r, k) is not None and num(r, k) >= 0]
            failed = len(rounds) - len(xs)
            cells.append(f"{what} {med(xs):.1f} (worst {max(xs) if xs else float('nan'):.1f}{f', {failed} failed' if failed else ''})")
        print(f"{wm:8} " + "; ".join(cells) + f"; {len(rounds)} rounds")
    print()
if ending:
    print("Ending a run with 1,000 notes, all open, until the program has ended: medians and worst of the runs, ms")
    for p in sorted({k[0] for k in ending}):
        cells = []
        for way, what in [("exit", "the tray menu's Exit"), ("terminate", "/TERMINATE less its one-second pause")]:
            xs = [num(r, "less_pause_ms") for r in ending.get((p, way), []) if r["ended"]]
            xs = [x for x in xs if x is not None]
            cells.append(f"{what} {med(xs):.1f} (worst {max(xs) if xs else float('nan'):.1f}, {len(xs)} runs)")
        print(f"{p:9} " + "; ".join(cells))
    print()
for line in saves:
    print(line)
for line in kills:
    if "median" in line:
        print(line)
if requests:
    print()
    ours_closed = (requests.get((1000, 0, "ours"), 0) - requests.get((100, 0, "ours"), 0)) / 900
    ours_open = (requests.get((100, 100, "ours"), 0) - requests.get((100, 0, "ours"), 0)) / 100 + ours_closed
    floor_open = (requests.get((100, 100, "floor"), 0) - requests.get((100, 0, "floor"), 0)) / 100
    print(f"Wine server requests per open note: ours {ours_open:.1f}, floor {floor_open:.1f} "
          f"(ratio {ours_open / floor_open if floor_open else float('nan'):.2f}); per closed note: ours {ours_closed:.1f}, floor 0")
