#!/usr/bin/env bash
# Builds everything and runs every test: the Linux suite, then the Windows suite under Wine;
# ends with CTest's summary of the Windows run. Fails when either suite fails.
set -euo pipefail
trap 'echo "test.sh: failed: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")"
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vexo-xdg.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"
# Warnings are errors here: the project's code builds clean under GCC and, in the fuzz build,
# clang.
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)"
# The fuzz targets need clang: a build of their own, run for 30 s each by the fuzz.* tests of
# the default build.
cmake --preset fuzz -DVEXO_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

# The Windows programs (mingw-w64), whose tests run under Wine in the build's own prefix. One
# wineserver kept alive for the whole run makes each program start in a tenth of a second.
# (Not exported: on Linux the prefix falls back to $WINEPREFIX.)
scripts/mingw-deps.sh
# Makes the prefix on first use; a first start in a brand-new prefix may fail once.
scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || scripts/wine-run.sh cmd /c exit
# The server of that first start lingers a few seconds and would refuse a persistent one; the
# persistent one's first program starts the prefix's services before anything runs in parallel.
timeout 60 scripts/wine-run.sh --server -w || scripts/wine-run.sh --server -k || true
trap 'scripts/wine-run.sh --server -k >/dev/null 2>&1 || true' EXIT
scripts/wine-run.sh --server -p
scripts/wine-run.sh cmd /c exit >/dev/null 2>&1
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

linux=0
ctest --preset ci -j "$(nproc)" || linux=$?
windows=0
ctest --preset windows -j "$(nproc)" || windows=$?
[ "$linux" -eq 0 ] && [ "$windows" -eq 0 ]
