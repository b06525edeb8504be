#!/usr/bin/env bash
# wine-run.sh PROGRAM.exe [ARGS...] - runs a Windows program of the Windows build under Wine,
# in the test run's own prefix (build-windows/wine), with Wine's user folders in a scratch home
# so that nothing reaches the real one. The prefix is made on first use.
# wine-run.sh --server [-p|-k|-w] runs the prefix's wineserver with the same settings, so that a
# server kept alive for a whole test run is the one every program start finds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
state=${VEXO_WINE_DIR:-$here/build-windows/wine}
export WINEPREFIX=$state/prefix
export HOME=$state/home
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Tests run without a display; VEXO_WINE_DISPLAY=1 keeps the one there is (the demo's window).
[ -n "${VEXO_WINE_DISPLAY:-}" ] || unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.vexo-ready" ]; then
  mkdir -p "$state" "$HOME"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.vexo-ready" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver -w
      touch "$WINEPREFIX/.vexo-ready"
    fi
  ) 9>"$state/.lock"
fi
if [ "${1:-}" = --server ]; then
  shift
  exec /usr/lib/wine/wineserver "$@"
fi
# Listing a test program's tests (at build time) must not hang the build on the rare start that
# never returns: such a listing is given 40 s and tried once more.
for arg in "$@"; do
  if [ "$arg" = --gtest_list_tests ]; then
    timeout 40 "$wine" "$@" || timeout 40 "$wine" "$@"
    exit
  fi
done
# A test program's start that fails inside Wine (rare: a non-zero status and not one byte of
# output, where a test program always prints its first line) is tried once more.
for arg in "$@"; do
  case $arg in
  --gtest_filter=*)
    out=$(mktemp)
    trap 'rm -f "$out"' EXIT
    for attempt in 1 2; do
      status=0
      "$wine" "$@" >"$out" 2>&1 || status=$?
      if [ "$status" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 2 ]; then
        cat "$out"
        exit "$status"
      fi
      echo "wine-run.sh: status $status without any output; starting it again" >&2
    done
    ;;
  esac
done
exec "$wine" "$@"
