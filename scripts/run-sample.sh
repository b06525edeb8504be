#!/usr/bin/env bash
# Runs the sample: packs data/sample into an archive and shows what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/tools/vexo-archive/vexo-archive
if [ ! -x "$tool" ]; then
  echo "vexo-archive is not built yet" >&2
  exit 1
fi
mkdir -p build/demo
"$tool" build --out build/demo/sample.vxa --manifest data/sample/MANIFEST
"$tool" info build/demo/sample.vxa
"$tool" list build/demo/sample.vxa
