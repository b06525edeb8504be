#!/usr/bin/env bash
# window-under-xvfb.sh WINDOWS_BUILD_DIR ARCHIVE_TOOL WORK [SCREENSHOT.png]
#
# The Windows installer's window on a virtual display: the sample installer is started under
# Wine, its window captured, "Instalar" clicked from outside, the box that ends the run closed
# with Enter, and the window left with Esc and "Vale"; the files must be on disk and the program
# must end with status 0. The window's own test program runs on the same display. Exits 77
# (skipped) without Xvfb, xdotool, xwd, ImageMagick, Wine or the Windows build.
set -euo pipefail
build=$1 tool=$2 work=$3 screenshot=${4:-}
source=$(cd "$(dirname "$0")/../.." && pwd)
instalar=$build/src/program/instalar.exe
window_tests=$build/tests/win32ui/test_win32ui.exe
wine=/usr/lib/wine/wine64
convert=/usr/bin/convert

for program in Xvfb xdotool xwd; do
  command -v "$program" >/dev/null || { echo "$program is not installed: skipped"; exit 77; }
done
for f in "$convert" "$wine" "$instalar" "$tool"; do
  [ -x "$f" ] || [ -f "$f" ] || { echo "missing $f: skipped"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
fail() {
  echo "FAIL: $*"
  exit 1
}

# A Wine prefix of the window tests' own, made on first use and kept: Wine's desktop process
# binds to the display it first finds, so its server must not outlive our display, as the
# other tests' shared server does. This test's drive C: is a folder of its own.
export VEXO_WINE_DIR=$build/wine-window
"$source/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
export WINEPREFIX=$VEXO_WINE_DIR/prefix HOME=$VEXO_WINE_DIR/home WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
export VEXO_PREFIX=$(winpath "$work/prefix") VEXO_USER=ana
unset VEXO_WINVER
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w

# A display of our own.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
installer=
cleanup() {
  if [ -n "$installer" ]; then kill "$installer" 2>/dev/null || true; fi
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -1 "$work/display")

# wait_window NAME SECONDS: the id of the first visible window whose name is NAME.
wait_window() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# capture ID FILE: the window's picture as PNG.
capture() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1")
  eval "$geometry"
  xwd -root -silent | "$convert" xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

# --- The window's own tests, on a display -------------------------------------------------
if [ -f "$window_tests" ]; then
  "$wine" "$window_tests" --gtest_brief=1 >"$work/window-tests.log" 2>&1 ||
    { cat "$work/window-tests.log"; fail "the window tests failed"; }
  grep -q 'SKIPPED' "$work/window-tests.log" && { cat "$work/window-tests.log"; fail "window tests skipped on a display"; }
  echo "window tests on the display: $(grep -F '[  PASSED  ]' "$work/window-tests.log")"
fi

# --- The sample installer -------------------------------------------------------------------
"$tool" build --out "$work/ZPX16.EXE" --stub "$instalar" --package-version 10.05 --package-code 1 \
  --package-date 2009-02-12 --product-code DALVO --manifest "$source/data/package/MANIFEST" \
  >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "the installer could not be built"; }
"$wine" "$work/ZPX16.EXE" >"$work/instalar.log" 2>&1 &
installer=$!

window=$(wait_window ' Instalación Contabilidad Vexo Windows' 60) || fail "no installer window"
sleep 1.5 # the fade-in: seven steps of 80 ms, and the first paint
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 553 ] && [ "$HEIGHT" = 401 ] || fail "window of ${WIDTH}x$HEIGHT"
wx=$X wy=$Y
capture "$window" "$work/window.png"
colours=$("$convert" "$work/window.png" -format '%k' info:)
[ "$colours" -gt 500 ] || fail "the captured window has only $colours colours: no picture drawn"
if [ -n "$screenshot" ]; then
  mkdir -p "$(dirname "$screenshot")"
  cp "$work/window.png" "$screenshot"
fi

# "Instalar", clicked from outside at its place on the window.
xdotool mousemove $((wx + 376 + 37)) $((wy + 370 + 12)) click 1
box=$(wait_window '^Instalador Dalvo$' 60) || fail "no box after the installation"
sleep 0.5
xwd -root -silent | "$convert" xwd:- "$work/finished.png"
d=$work/prefix/drive_c/VEXO/DALVO
for f in Programa/DALVO.EXE Programa/LEEME.TXT Datos/EMPRESAS.DAT Datos/Estructuras/BALANCES.EST \
  Ejemplos/EJEMPLO.TXT; do
  [ -f "$d/$f" ] || fail "missing $d/$f after the installation"
done
[ ! -e "$d/Programa/NOTAS.TXT" ] || fail "NOTAS.TXT installed"
[ -n "$(find "$work/prefix/drive_c" -path '*/Desktop/DalvoVexo.lnk')" ] || fail "no desktop shortcut"

# Enter on the box: "Vale" closes it ("Instalación Finalizada" has that one button).
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5)) key Return
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Instalador Dalvo$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Instalador Dalvo$' >/dev/null 2>&1 && fail "the box stayed"

# Esc leaves, after "Confirma Salida del Instalador" is answered "Vale".
xdotool mousemove $((wx + 100)) $((wy + 100)) key Escape
confirm=$(wait_window '^Instalador Dalvo$' 30) || fail "no confirmation on Esc"
eval "$(xdotool getwindowgeometry --shell "$confirm")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5)) key Return
status=0
for _ in $(seq 150); do kill -0 "$installer" 2>/dev/null || break; sleep 0.1; done
kill -0 "$installer" 2>/dev/null && fail "the installer did not end after Esc and Vale"
wait "$installer" || status=$?
installer=
[ "$status" -eq 0 ] || fail "the installer ended with status $status: $(cat "$work/instalar.log")"

# Ctrl+C in the console the program shares, while the window waits for the user: the window
# closes and the program ends with 0xC000013A. Wine delivers console events only to a console
# on a terminal: script(1) gives it one.
interrupter=$build/tests/installer/vexo_console_interrupt.exe
if [ -f "$interrupter" ] && command -v script >/dev/null; then
  # The terminal's text without its cursor sequences (a step right is a space).
  plain() { sed -e 's/\x1b\[1C/ /g' -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g' "$1"; }
  script -qfec "$(printf '%q ' "$wine" "$interrupter" "$(winpath "$work/ZPX16.EXE")")" /dev/null \
    >"$work/interrupt.log" 2>&1 || fail "Ctrl+C: $(plain "$work/interrupt.log")"
  plain "$work/interrupt.log" | grep -q 'interrupted (Ctrl+C)' ||
    fail "Ctrl+C: no interrupted message: $(plain "$work/interrupt.log")"
  echo "Ctrl+C while the window waits: $(plain "$work/interrupt.log" | grep 'exit status')"
else
  echo "Ctrl+C part skipped: no $interrupter or no script(1)"
fi
echo "window shown ($colours colours), installed by a click, closed by Esc: all checks passed"
