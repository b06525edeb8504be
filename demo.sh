#!/usr/bin/env bash
# Builds everything and runs the sample installer: makes build/demo/ZPX16.EXE from data/package
# and runs it (its window with a display, else unattended into a prefix under build/).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec scripts/run-sample.sh
