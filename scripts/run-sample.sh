#!/usr/bin/env bash
# Runs the sample: packs data/sample into an archive and a self-extracting package and shows them.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/tools/vexo-archive/vexo-archive
if [ ! -x "$tool" ]; then
  echo "vexo-archive is not built yet" >&2
  exit 1
fi
mkdir -p build/demo
"$tool" build --out build/demo/sample.vxa --manifest data/sample/MANIFEST \
  --package-version 1.0 --package-code 1 --package-date 2009-02-12 --product-code DALVO
"$tool" info build/demo/sample.vxa
"$tool" list build/demo/sample.vxa
# The same package behind a program image; until the installer exists the tool stands in for it.
"$tool" build --out build/demo/ZPX10.EXE --stub "$tool" --tag-size 477 \
  --manifest data/sample/MANIFEST --package-version 1.0 --package-date 2009-02-12
"$tool" info build/demo/ZPX10.EXE
