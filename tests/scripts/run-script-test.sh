#!/usr/bin/env bash
# scripts/run as a user meets it: one line on the terminal, the platform's own messages in the
# log file it names, and only what running needs built. Wine and the virtual display are
# stand-ins here that print what the real ones print; the build is the real one.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
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
chmod +x "$tmp/bin/wine" "$tmp/bin/xvfb-run"

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

# Running needs the program and its help file, never a test.
inputs=$(cd "$BUILD" && ninja -t query vxq_run 2>/dev/null; ninja -t inputs vxq_run 2>/dev/null)
check "the run target needs vxq.exe" grep -q '^ *vxq\.exe$' <<<"$inputs"
check "and no test executable" bash -c '! grep -q "test_.*\.exe" <<<"$1"' _ "$inputs"
exit $failed
