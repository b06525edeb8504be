#!/usr/bin/env bash
# Runs vexo-env against a throw-away prefix and checks what the installer would decide there.
# smoke-test.sh [RUNNER] PATH_TO_VEXO_ENV: the Windows build passes its Wine runner and
# vexo-env.exe, which takes host paths as Windows paths (drive Z:) and ends lines in CRLF.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: smoke-test.sh [RUNNER] PATH_TO_VEXO_ENV" >&2; exit 2; }
run=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tool() { "${run[@]}" "$@" | tr -d '\r'; }
if [[ ${run[-1]} == *.exe ]]; then
  host_path() { local p=${1//\//\\}; echo "Z:$p"; }
else
  host_path() { echo "$1"; }
fi
prefix=$work/prefix
export VEXO_PREFIX="$(host_path "$prefix")" VEXO_USER=ana
unset VEXO_WINVER
fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { # expect OUTPUT LINE
  grep -qxF -- "$2" <<<"$1" || fail "missing line '$2' in:"$'\n'"$1"
}

out=$(tool dirs 'C:\VEXO\DALVO')
expect "$out" 'configuration: C:\VEXO\DALVO\Programa\DALVO.INI'
expect "$out" 'engine: C:\VEXO\Btrieve\'
expect "$out" 'payroll-entries: C:\VEXO\DALVO\Datos\Asientos Nóminas\'

mkdir -p "$prefix/drive_c/VEXO/DALVO/Programa"
printf '[PATH]\r\nPATHDATOS=D:\\EMPRESAS\\DATOS\r\n' >"$prefix/drive_c/VEXO/DALVO/Programa/DALVO.INI"
out=$(tool --json dirs "$(host_path "$prefix/drive_c/VEXO/DALVO")")
grep -qF '"balances": "D:\\EMPRESAS\\DATOS\\Estructuras\\"' <<<"$out" || fail "json dirs: $out"

out=$(tool product)
expect "$out" 'loaded: no'
expect "$out" 'proposal: C:\VEXO\DALVO'

: >"$prefix/drive_c/VEXO/DALVO/Programa/DALVO.EXE"
desktop=$(tool folders | sed -n 's/^desktop: //p')
[ -n "$desktop" ] || fail "no desktop"
tool shortcut make 'C:\VEXO\DALVO\Programa\DALVO.EXE' DalvoVexo "$desktop" >/dev/null
out=$(tool product ZPX)
expect "$out" 'reason: the shortcut'"'"'s target exists'
expect "$out" 'proposal: C:\VEXO\DALVO\'
out=$(tool shortcut read "${desktop}DalvoVexo.lnk")
expect "$out" 'working-directory: C:\VEXO\DALVO\Programa\'

if "${run[@]}" version 'C:\VEXO\DALVO\Programa\DALVO.EXE' >/dev/null 2>"$work/err"; then
  fail "version of a file without version information succeeded"
fi
grep -qF 'DALVO.EXE' "$work/err" || fail "version error lacks the file name"

out=$(tool folders)
expect "$out" 'group-action: create'
rc=0
"${run[@]}" bogus >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 2 ] || fail "unknown command gave exit code $rc, not 2"
echo "vexo-env smoke test passed"
