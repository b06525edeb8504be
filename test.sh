#!/usr/bin/env bash
# Builds everything and runs every test; ends with CTest's summary.
set -euo pipefail
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
# the default build, so that CTest's summary stays the last word.
cmake --preset fuzz -DVEXO_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
ctest --preset ci -j "$(nproc)"
