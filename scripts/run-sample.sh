#!/usr/bin/env bash
# The main job: makes the sample installer build/demo/ZPX16.EXE from the sample package in
# data/package and runs it: the window when a display is present, otherwise unattended (twice,
# to show the install rules at work) into a prefix under build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VEXO_BUILD_DIR:-build}
tool=$build/tools/vexo-archive/vexo-archive
program=$build/src/program/instalar
for f in "$tool" "$program"; do
  if [ ! -x "$f" ]; then
    echo "$f is not built yet" >&2
    exit 1
  fi
done

demo=$build/demo
installer=$demo/ZPX16.EXE
mkdir -p "$demo"
"$tool" build --out "$installer" --stub "$program" \
  --package-version 10.05 --package-code 1 --package-date 2009-02-12 --product-code DALVO \
  --manifest data/package/MANIFEST
chmod +x "$installer"
"$tool" info "$installer"

# Never touch a real Wine prefix unless asked to: the sample installs into its own.
default_prefix=$PWD/$demo/prefix
export VEXO_PREFIX=${VEXO_PREFIX:-$default_prefix}
echo "Prefix: $VEXO_PREFIX"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$installer"
fi

if [ "$VEXO_PREFIX" = "$default_prefix" ]; then rm -rf "$default_prefix"; fi
echo
echo "== First run: an empty prefix =="
"$installer" --unattended
echo
echo "== Second run: the desktop shortcut proposes the product; \"I\" files kept, \"P\" replaced =="
"$installer" --unattended
echo
echo "== Installed under $VEXO_PREFIX/drive_c =="
(cd "$VEXO_PREFIX/drive_c" && find VEXO users/*/Desktop ProgramData -type f -name '*' | sort)
