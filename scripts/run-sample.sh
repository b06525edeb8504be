#!/usr/bin/env bash
# The main job: makes the sample installer build/demo/ZPX16.EXE from the sample package in
# data/package and runs it: the window when a display is present, otherwise unattended (twice,
# to show the install rules at work) into a prefix under build/.
# run-sample.sh --windows: the same with the Windows build's programs under Wine, the installer
# made as build/demo/windows/ZPX16.EXE.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VEXO_BUILD_DIR:-build}
if [ "${1:-}" = --windows ]; then
  windows=${VEXO_WINDOWS_BUILD_DIR:-build-windows}
  tool=$windows/tools/vexo-archive/vexo-archive.exe
  program=$windows/src/program/instalar.exe
  for f in "$tool" "$program"; do
    if [ ! -f "$f" ]; then
      echo "$f is not built yet" >&2
      exit 1
    fi
  done
  winpath() { local p=${1//\//\\}; echo "Z:$p"; }
  mkdir -p "$build/demo/windows"
  demo=$(cd "$build/demo/windows" && pwd)
  installer=$demo/ZPX16.EXE
  program=$(cd "$(dirname "$program")" && pwd)/instalar.exe
  scripts/wine-run.sh "$tool" build --out "$(winpath "$installer")" --stub "$(winpath "$program")" \
    --package-version 10.05 --package-code 1 --package-date 2009-02-12 --product-code DALVO \
    --manifest "$(winpath "$PWD/data/package/MANIFEST")"
  scripts/wine-run.sh "$tool" info "$(winpath "$installer")"
  ls -l "$program" | awk '{print "instalar.exe: " $5 " bytes"}'
  # Its own drive C: unless asked otherwise; VEXO_PREFIX is a Windows path here.
  default_prefix=$demo/prefix
  export VEXO_PREFIX=${VEXO_PREFIX:-$(winpath "$default_prefix")}
  echo "Prefix: $VEXO_PREFIX"
  if [ -n "${DISPLAY:-}" ]; then
    VEXO_WINE_DISPLAY=1 exec scripts/wine-run.sh "$installer"
  fi
  if [ "$VEXO_PREFIX" = "$(winpath "$default_prefix")" ]; then rm -rf "$default_prefix"; fi
  echo
  echo "== First run: an empty prefix =="
  scripts/wine-run.sh "$installer" /unattended
  echo
  echo "== Second run: the desktop shortcut proposes the product; \"I\" files kept, \"P\" replaced =="
  scripts/wine-run.sh "$installer" /unattended
  if [ -d "$default_prefix/drive_c" ]; then
    echo
    echo "== Installed under $default_prefix/drive_c =="
    (cd "$default_prefix/drive_c" && find VEXO users/*/Desktop ProgramData -type f -name '*' | sort)
  fi
  exit 0
fi
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
