#!/usr/bin/env bash
# sanitizers.sh - every non-fuzz suite under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan), and the extraction tests under ThreadSanitizer (build-tsan); ends with CTest's
# summary of the ASan run. Fails when either run fails.
#
# Needs the packages ./test.sh installs (scripts/deps.sh); installs nothing itself. The fuzz
# targets are left out: ./test.sh runs them under ASan already. VEXO_SKIP_TSAN=1 leaves the
# TSan run out. A compiler launcher (ccache) is taken from CMAKE_CXX_COMPILER_LAUNCHER.
set -euo pipefail
trap 'echo "sanitizers.sh: failed: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vexo-xdg.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"
jobs="${VEXO_JOBS:-$(nproc)}"

# Each phase's wall time goes to stderr, so a CI log shows where the stage's time went.
phase() { echo "sanitizers.sh: $1 took $((SECONDS - start)) s" >&2; start=$SECONDS; }
start=$SECONDS
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
phase "the ASan build"
if [ "${VEXO_SKIP_TSAN:-0}" != 1 ]; then
  cmake --preset tsan >/dev/null
  cmake --build --preset tsan -j "$jobs"
  phase "the TSan build"
fi

# The test presets carry the sanitizers' options (suppressions, halting on the first report).
tsan=0
if [ "${VEXO_SKIP_TSAN:-0}" != 1 ]; then
  ctest --preset tsan -j "$jobs" || tsan=$?
  phase "the TSan tests"
fi
asan=0
ctest --preset asan -j "$jobs" || asan=$?
[ "$tsan" -eq 0 ] && [ "$asan" -eq 0 ]
