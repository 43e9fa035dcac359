#!/usr/bin/env bash
# scripts/run as a user meets it: one line on the terminal saying what the run did, the platform's
# own messages in the log file it names, kept across runs, and only what running needs built; the
# prefix's windows unmanaged only where no window manager runs. Wine, its server and the virtual
# display are stand-ins here that print what the real ones print; the build, the X server and
# the window manager are the real ones.
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
  [ -z "$display" ] && check "$what: on a virtual display" grep -q "display: virtual" "$RUN_TRACE"
  check "$what: nothing of the platform's on the terminal" \
    bash -c '! grep -Eqi "wine32|fixme|configuration directory|XSERVTrans" <<<"$1"' _ "$out"
  check "$what: the terminal names the log" grep -qF "$tmp/run.log" <<<"$out"
  check "$what: at most a line while building and one while starting" test "$(grep -c . <<<"$out")" -le 2
  check "$what: the platform's messages are in the log" grep -q "wine32 is missing" "$tmp/run.log"
  echo "--- terminal ($what):"
  echo "$out"
done

# Every run is kept under a header of its own, a request's too.
check "each run in the log under its header" test "$(grep -c '^=== scripts/run /S (' "$tmp/run.log")" -eq 2

run() {  # run <display> <switches...>: the terminal's lines in $out, what ran in $RUN_TRACE
  local display=$1
  shift
  rm -f "$RUN_TRACE"
  out=$(DISPLAY="$display" PATH="$tmp/bin:$PATH" "$ROOT/scripts/run" "$@" 2>&1)
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
check "/TERMINATE hands its request to the running copy" grep -q "handed /TERMINATE to the running copy" <<<"$out"
check "and was given it" grep -q 'ran: .*vxq.exe /terminate' "$RUN_TRACE"
check "the running copy's Wine server is left alone" no_prefix_change
check "the earlier runs are still in the log" test "$(grep -c '^=== scripts/run' "$tmp/run.log")" -eq 4
run "" /S
check "a second start meets the running copy" grep -q "met a running copy" <<<"$out"
kill "${pids[@]}"
wait "${pids[@]}" 2>/dev/null
pids=()
echo "--- terminal (a copy running):"
echo "$out"

# Past its size, the log drops its oldest runs whole; one run larger alone keeps its end.
line=$(printf '%0199d' 0)
for old in 1 2 3; do echo "=== scripts/run old$old"; yes "$line" | head -n 2000; done >"$tmp/run.log"
run "" /S
check "the oldest runs dropped" bash -c '! grep -Eq "old1|old2" "$1"' _ "$tmp/run.log"
check "the latest runs kept whole" test "$(head -n 1 "$tmp/run.log")" = "=== scripts/run old3"
check "and this run" test "$(grep -c '^=== scripts/run /S' "$tmp/run.log")" -eq 1
{ echo "=== scripts/run huge"; yes "$line" | head -n 8000; echo "the end of huge"; } >"$tmp/run.log"
run "" /S
check "a run larger alone keeps its header and its end" \
  bash -c 'grep -q "^=== scripts/run huge" "$1" && grep -q "the end of huge" "$1" && [ $(stat -c %s "$1") -le 1048576 ]' _ "$tmp/run.log"

# On the virtual display it starts, and on a display of its own with no window manager, the
# windows become unmanaged; with openbox running they become managed again.
reg_with() { printf 'WINE REGISTRY Version 2\n\n[Software\\\\Wine\\\\X11 Driver] 1\n%s\n' "$1" >"$tmp/prefix/user.reg"; }
reg_with ""
run "" /S
check "the virtual display: windows unmanaged" grep -q 'ran: reg add .*X11 Driver /v Managed /d N' "$RUN_TRACE"
check "once the Wine server that read the old value has gone" grep -q '^wineserver -k' "$RUN_TRACE"
if command -v Xvfb >/dev/null && command -v openbox >/dev/null && command -v xprop >/dev/null; then
  # The X server names its display once it takes connections.
  mkfifo "$tmp/display"
  Xvfb -displayfd 3 -noreset -screen 0 320x240x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
  pids+=($!)
  xvfb=$!
  read -r -t 60 dn <"$tmp/display"
  reg_with ""
  run ":$dn" /S
  check "a bare display: windows unmanaged" grep -q 'ran: reg add .*Managed /d N' "$RUN_TRACE"
  reg_with '"Managed"="0"'
  run ":$dn" /S
  check "already unmanaged (Wine reads 0 as no): nothing to restart" no_prefix_change
  DISPLAY=":$dn" openbox >/dev/null 2>&1 &
  wm=$!
  pids+=($wm)
  for _ in $(seq 600); do DISPLAY=":$dn" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q '#' && break; sleep 0.1; done
  reg_with '"Managed"="N"'
  run ":$dn" /S
  check "under openbox: managed again" grep -q 'ran: reg delete .*X11 Driver /v Managed' "$RUN_TRACE"
  check "once the Wine server has gone" grep -q '^wineserver -k' "$RUN_TRACE"
  reg_with ""
  run ":$dn" /S
  check "already managed: nothing to restart" no_prefix_change
  kill "$wm"
  wait "$wm" 2>/dev/null
  pids=("$xvfb")
  run ":$dn" /S
  check "the mark of a window manager that has ended counts for nothing" grep -q 'ran: reg add .*Managed /d N' "$RUN_TRACE"
else
  echo "skipped: the decision on a real display (Xvfb, openbox or xprop missing)"
fi

# Running needs the program and its help file, never a test.
inputs=$(cd "$BUILD" && ninja -t query vxq_run 2>/dev/null; ninja -t inputs vxq_run 2>/dev/null)
check "the run target needs vxq.exe" grep -q '^ *vxq\.exe$' <<<"$inputs"
check "and no test executable" bash -c '! grep -q "test_.*\.exe" <<<"$1"' _ "$inputs"
exit $failed
