#!/usr/bin/env bash
# Builds everything and runs the sample installer: makes build/demo/ZPX16.EXE from data/package
# and runs it (its window with a display, else unattended into a prefix under build/).
# ./demo.sh --windows: the same with the Windows programs under Wine, build/demo/windows/ZPX16.EXE.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
if [ "${1:-}" = --windows ]; then
  scripts/mingw-deps.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc)" --target instalar vexo-archive
  exec scripts/run-sample.sh --windows
fi
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec scripts/run-sample.sh
