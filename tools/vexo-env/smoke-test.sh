#!/usr/bin/env bash
# Runs vexo-env against a throw-away prefix and checks what the installer would decide there.
set -euo pipefail
tool=${1:?usage: smoke-test.sh PATH_TO_VEXO_ENV}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VEXO_PREFIX="$work/prefix" VEXO_USER=ana
unset VEXO_WINVER
fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { # expect OUTPUT LINE
  grep -qxF -- "$2" <<<"$1" || fail "missing line '$2' in:"$'\n'"$1"
}

out=$("$tool" dirs 'C:\VEXO\DALVO')
expect "$out" 'configuration: C:\VEXO\DALVO\Programa\DALVO.INI'
expect "$out" 'engine: C:\VEXO\Btrieve\'
expect "$out" 'payroll-entries: C:\VEXO\DALVO\Datos\Asientos Nóminas\'

mkdir -p "$VEXO_PREFIX/drive_c/VEXO/DALVO/Programa"
printf '[PATH]\r\nPATHDATOS=D:\\EMPRESAS\\DATOS\r\n' >"$VEXO_PREFIX/drive_c/VEXO/DALVO/Programa/DALVO.INI"
out=$("$tool" --json dirs "$VEXO_PREFIX/drive_c/VEXO/DALVO")
grep -qF '"balances": "D:\\EMPRESAS\\DATOS\\Estructuras\\"' <<<"$out" || fail "json dirs: $out"

out=$("$tool" product)
expect "$out" 'loaded: no'
expect "$out" 'proposal: C:\VEXO\DALVO'

: >"$VEXO_PREFIX/drive_c/VEXO/DALVO/Programa/DALVO.EXE"
desktop=$("$tool" folders | sed -n 's/^desktop: //p')
[ -n "$desktop" ] || fail "no desktop"
"$tool" shortcut make 'C:\VEXO\DALVO\Programa\DALVO.EXE' DalvoVexo "$desktop" >/dev/null
out=$("$tool" product ZPX)
expect "$out" 'reason: the shortcut'"'"'s target exists'
expect "$out" 'proposal: C:\VEXO\DALVO\'
out=$("$tool" shortcut read "${desktop}DalvoVexo.lnk")
expect "$out" 'working-directory: C:\VEXO\DALVO\Programa\'

if "$tool" version 'C:\VEXO\DALVO\Programa\DALVO.EXE' >/dev/null 2>"$work/err"; then
  fail "version of a file without version information succeeded"
fi
grep -qF 'DALVO.EXE' "$work/err" || fail "version error lacks the file name"

out=$("$tool" folders)
expect "$out" 'group-action: create'
rc=0
"$tool" bogus >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 2 ] || fail "unknown command gave exit code $rc, not 2"
echo "vexo-env smoke test passed"
