#!/usr/bin/env bash
# Builds everything and runs every test; ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vexo-xdg.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
# The fuzz targets need clang: a build of their own, run for 30 s each by the fuzz.* tests of
# the default build, so that CTest's summary stays the last word.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
ctest --preset default -j "$(nproc)"
