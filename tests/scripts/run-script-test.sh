#!/usr/bin/env bash
# scripts/run as a user meets it: one line on the terminal, the platform's own messages in the
# log file it names, and only what running needs built. Wine and the virtual display are
# stand-ins here that print what the real ones print; the build and the X servers are real ones.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build"
tmp=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$tmp"' EXIT
failed=0
check() {  # check <what> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

mkdir -p "$tmp/bin"
cat >"$tmp/bin/wine" <<'STUB'
#!/usr/bin/env bash
echo "wine: created the configuration directory '$WINEPREFIX'" >&2
echo "it looks like wine32 is missing, you should install it." >&2
echo "0024:fixme:ntdll:NtQuerySystemInformation info_class SYSTEM_PERFORMANCE_INFORMATION" >&2
echo "ran: $*" >>"$RUN_TRACE"
STUB
cat >"$tmp/bin/xvfb-run" <<'STUB'
#!/usr/bin/env bash
echo "_XSERVTransmkdir: Owner of /tmp/.X11-unix should be set to root" >&2
while [ "${1:-}" = -a ] || [ "${1:-}" = -s ]; do [ "$1" = -s ] && shift; shift; done
echo "display: virtual" >>"$RUN_TRACE"
DISPLAY=:99 exec "$@"
STUB
cat >"$tmp/bin/wineserver" <<'STUB'
#!/usr/bin/env bash
echo "wineserver $*" >>"$RUN_TRACE"
STUB
chmod +x "$tmp/bin/wine" "$tmp/bin/xvfb-run" "$tmp/bin/wineserver"

for display in "" ":0"; do
  what="${display:-no display}"
  export RUN_TRACE="$tmp/trace" VXQ_RUN_LOG="$tmp/run.log" VXQ_WINEPREFIX="$tmp/prefix"
  rm -f "$RUN_TRACE"
  out=$(DISPLAY="$display" PATH="$tmp/bin:$PATH" "$ROOT/scripts/run" /S 2>&1)
  check "$what: it ran" test $? -eq 0
  check "$what: the program was started with its switches" grep -q 'ran: .*Vantaro/vxq.exe /S' "$RUN_TRACE"
  check "$what: its debug information beside it" cmp -s "$BUILD/vxq.debug" "$tmp/prefix/drive_c/Vantaro/vxq.debug"
  [ -z "$display" ] && check "$what: on a virtual display" grep -q "display: virtual" "$RUN_TRACE"
  check "$what: nothing of the platform's on the terminal" \
    bash -c '! grep -Eqi "wine32|fixme|configuration directory|XSERVTrans" <<<"$1"' _ "$out"
  check "$what: the terminal names the log" grep -qF "$tmp/run.log" <<<"$out"
  check "$what: at most a line while building and one while starting" test "$(grep -c . <<<"$out")" -le 2
  check "$what: the platform's messages are in the log" grep -q "wine32 is missing" "$tmp/run.log"
  echo "--- terminal ($what):"
  echo "$out"
done

run() {  # run <display> <switches...>: the terminal's lines in $out, what ran in $RUN_TRACE
  rm -f "$RUN_TRACE"
  out=$(DISPLAY="$1" PATH="$tmp/bin:$PATH" "$ROOT/scripts/run" "${@:2}" 2>&1)
}
copy() {  # copy <argv0> <prefix>: a process that looks like a running vxq.exe of that prefix
  WINEPREFIX=$2 bash -c 'exec -a "$0" sleep 300' "$1" &
  pids+=($!)
}
no_prefix_change() { ! grep -Eq '^wineserver|ran: reg ' "$RUN_TRACE"; }

copy "$tmp/other/drive_c/Vantaro/vxq.exe" "$tmp/other"
run "" /TERMINATE
check "a copy of another prefix is not ours to end" grep -q "no copy was running" <<<"$out"
copy 'C:\Vantaro\VXQ.EXE' "$tmp/prefix"
run "" /terminate
check "/TERMINATE handed to the running copy" grep -q "handed /TERMINATE to the running copy" <<<"$out"
check "and given to it" grep -q 'ran: .*vxq.exe /terminate' "$RUN_TRACE"
check "the running copy's Wine server is left alone" no_prefix_change
check "the earlier runs are still in the log, each under its header" \
  test "$(grep -c '^=== scripts/run /S (' "$tmp/run.log")" -eq 2
run "" /S
check "a second start meets the running copy" grep -q "met a running copy" <<<"$out"
kill "${pids[@]}" && wait "${pids[@]}" 2>/dev/null && pids=()

# Past its size, the log drops its oldest runs whole.
line=$(printf '%0199d' 0)
for old in 1 2 3; do echo "=== scripts/run old$old"; yes "$line" | head -n 2000; done >"$tmp/run.log"
run "" /S
check "the oldest runs dropped, the latest kept whole" \
  test "$(grep '^=== ' "$tmp/run.log" | cut -d' ' -f1-3 | tr '\n' ' ')" = "=== scripts/run old3 === scripts/run /S "

# Where no window manager runs the windows become unmanaged, under openbox managed again (Wine
# reads a value that starts with y, t or 1 as yes); a change, only then, restarts the Wine server.
managed_case() {  # managed_case <what> <display> <the value in the prefix> <reg add|reg delete|->
  printf 'WINE REGISTRY Version 2\n\n[Software\\\\Wine\\\\X11 Driver] 1\n%s\n' "$3" >"$tmp/prefix/user.reg"
  run "$2" /S
  if [ "$4" = - ]; then check "$1: nothing changed" no_prefix_change; else
    check "$1: $4, a new server" bash -c 'grep -q "ran: $1 .*X11 Driver /v Managed" "$2" && grep -q "^wineserver -k" "$2"' \
      _ "$4" "$RUN_TRACE"
  fi
}
managed_case "the virtual display" "" "" "reg add"
# The X server names its display once it takes connections; kept, its root window keeps the mark
# of a window manager that has ended.
mkfifo "$tmp/display"
Xvfb -displayfd 3 -noreset -screen 0 320x240x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
pids+=($!)
read -r -t 60 dn <"$tmp/display"
managed_case "a bare display" ":$dn" "" "reg add"
DISPLAY=":$dn" openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 600); do DISPLAY=":$dn" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q '#' && break; sleep 0.1; done
managed_case "openbox" ":$dn" '"Managed"="0"' "reg delete"
managed_case "openbox, managed" ":$dn" '"Managed"="Y"' -
kill "$wm" && wait "$wm" 2>/dev/null
managed_case "openbox ended" ":$dn" "" "reg add"

# Running needs the program and its help file, never a test.
inputs=$(cd "$BUILD" && ninja -t query vxq_run 2>/dev/null; ninja -t inputs vxq_run 2>/dev/null)
check "the run target needs vxq.exe" grep -q '^ *vxq\.exe$' <<<"$inputs"
check "and no test executable" bash -c '! grep -q "test_.*\.exe" <<<"$1"' _ "$inputs"
exit $failed
