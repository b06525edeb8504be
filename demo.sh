#!/usr/bin/env bash
# Builds the tools and runs the sample: builds a package from data/sample and shows it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec scripts/run-sample.sh
