#!/usr/bin/env bash
# windows-install.sh MODE INSTALAR_EXE ARCHIVE_EXE DALVO_EXE WORK [LINUX_BUILD_DIR]
#
# The Windows installer program under Wine, unattended, in throw-away prefixes:
#   install       the sample package (its DALVO.EXE the windres-made one of this build) and
#                 packages generated from it: every install rule, the version check against
#                 the installed DALVO.EXE, the data directories a DALVO.INI names, the desktop
#                 and program-group shortcuts the shell made, read back by lnkinfo and by our
#                 own shell-link parser (the Linux build's vexo-env, when there is one), the
#                 Windows switches, the program file itself (GUI subsystem, size).
#   differential  the same packages installed by the Linux installer and by instalar.exe give
#                 the same output, exit statuses, trees (bytes, times, attributes) and
#                 shortcut targets and working folders. Exits 77 (skipped) without a Linux build.
set -euo pipefail
mode=$1 instalar=$2 archive_tool=$3 dalvo=$4 work=$5 linux_build=${6:-}
source=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$source/scripts/wine-run.sh
# Local times with summer time, as the installations are.
[ -e /usr/share/zoneinfo/Europe/Madrid ] && export TZ=Europe/Madrid
export VEXO_USER=ana
unset VEXO_WINVER

for f in "$instalar" "$archive_tool" "$dalvo"; do
  [ -f "$f" ] || { echo "missing $f"; exit 1; }
done
linux_instalar=$linux_build/src/program/instalar
linux_tool=$linux_build/tools/vexo-archive/vexo-archive
linux_env=$linux_build/tools/vexo-env/vexo-env
if [ "$mode" = differential ] && { [ -z "$linux_build" ] || [ ! -x "$linux_instalar" ] || [ ! -x "$linux_tool" ]; }; then
  echo "No Linux build of instalar and vexo-archive in '$linux_build' (set VEXO_LINUX_BUILD_DIR): skipped"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
cd "$work"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# The sample package with the program this build made from data/package/src; one file
# read-only, so that attributes travel too.
cp -r "$source/data/package" package
cp "$dalvo" package/tree/Programa/DALVO.EXE
chmod a-w package/tree/Programa/AYUDA.TXT
# Times the DOS format keeps and one it rounds, in summer and winter time.
touch -d '2009-02-12 10:00:00' package/tree/Programa/LEEME.TXT
touch -d '2024-07-31 23:59:59' package/tree/Ejemplos/EJEMPLO.TXT
full=(--package-version 10.05 --package-code 1 --package-date 2009-02-12 --product-code DALVO)

# build OUT STUB [OPTIONS...]: an installer of the sample package, made by the Windows builder.
build() {
  local out=$1 stub=$2
  shift 2
  mkdir -p "$(dirname "$out")"
  "$wine_run" "$archive_tool" build --out "$(winpath "$out")" --stub "$(winpath "$stub")" "$@" \
    --manifest "$(winpath "$work/package/MANIFEST")" >build.log 2>&1 || {
    cat build.log
    exit 1
  }
}

# install PREFIX NAME EXE [ARGS...]: one run of instalar.exe, its output and status kept as
# NAME.out, NAME.err, NAME.status (line ends as LF).
install() {
  local prefix=$1 name=$2 exe=$3
  shift 3
  local status=0
  mkdir -p "$prefix"
  VEXO_PREFIX=$(winpath "$prefix") "$wine_run" "$exe" "$@" </dev/null >"$name.out" 2>"$name.err" ||
    status=$?
  sed -i 's/\r$//' "$name.out" "$name.err"
  echo "$status" >"$name.status"
}

expect_status() { # NAME STATUS
  local got
  got=$(cat "$1.status")
  [ "$got" = "$2" ] || fail "$1: exit status $got, expected $2; output:"$'\n'"$(cat "$1.out" "$1.err")"
}
expect_line() { # NAME TEXT: a line of NAME.out holds TEXT
  grep -qF -- "$2" "$1.out" || fail "$1: no line with '$2' in:"$'\n'"$(cat "$1.out")"
}
expect_file() { [ -f "$1" ] || fail "missing $1"; }
expect_no_file() { [ ! -e "$1" ] || fail "should not exist: $1"; }

# lnk_field FILE NAME: a "Name : value" field of lnkinfo's report.
lnk_field() {
  lnkinfo "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^[[:space:]]*$2[[:space:]]*: //p" | head -1
}

# check_shortcuts PREFIX: the desktop and program-group shortcuts point at the program and
# work in its folder (named as the installer names it, with its backslash), as lnkinfo and our
# own parser read them.
check_shortcuts() {
  local prefix=$1 links=() link
  mapfile -t links < <(find "$prefix/drive_c" -name DalvoVexo.lnk | sort)
  [ "${#links[@]}" -eq 2 ] || fail "expected two shortcuts, found: ${links[*]:-none}"
  printf '%s\n' "${links[@]}" | grep -q '/Desktop/DalvoVexo.lnk$' || fail "no desktop shortcut"
  printf '%s\n' "${links[@]}" | grep -q '/Start Menu/.*DalvoVexo.lnk$' || fail "no program-group shortcut"
  for link in "${links[@]}"; do
    [ "$(lnk_field "$link" 'Local path')" = 'C:\VEXO\DALVO\Programa\DALVO.EXE' ] ||
      fail "lnkinfo: target of $link: $(lnk_field "$link" 'Local path')"
    [ "$(lnk_field "$link" 'Working directory')" = 'C:\VEXO\DALVO\Programa\' ] ||
      fail "lnkinfo: working directory of $link: $(lnk_field "$link" 'Working directory')"
    if [ -x "$linux_env" ]; then
      local fields
      fields=$(VEXO_PREFIX=$prefix "$linux_env" shortcut read "$link")
      grep -qxF 'target: C:\VEXO\DALVO\Programa\DALVO.EXE' <<<"$fields" ||
        fail "our parser: $link:"$'\n'"$fields"
      grep -qxF 'working-directory: C:\VEXO\DALVO\Programa\' <<<"$fields" ||
        fail "our parser: $link:"$'\n'"$fields"
    fi
  done
  [ -x "$linux_env" ] || echo "note: no Linux vexo-env in '$linux_build': shortcuts read by lnkinfo only"
}

if [ "$mode" = install ]; then
  # --- The program file ------------------------------------------------------------------
  size=$(stat -c %s "$instalar")
  echo "instalar.exe: $size bytes"
  [ "$size" -lt $((2 * 1024 * 1024)) ] || fail "instalar.exe is $size bytes, over 2 MiB"
  objdump=$(x86_64-w64-mingw32-objdump -p "$instalar")
  grep -q 'Subsystem.*(Windows GUI)' <<<"$objdump" || fail "instalar.exe is no GUI program"
  grep -qi 'DLL Name: .*\(libstdc++\|libgcc\|libwinpthread\)' <<<"$objdump" &&
    fail "instalar.exe needs a runtime DLL: $(grep 'DLL Name' <<<"$objdump" | tr '\n' ' ')"

  # Its resources: the version block's strings (UTF-16) and the manifest.
  utf16() { printf '%s' "$1" | sed 's/./&\\x00/g'; }
  for name in FileDescription ProductName FileVersion 'Instalador Dalvo'; do
    LC_ALL=C grep -aqP "$(utf16 "$name")" "$instalar" || fail "instalar.exe has no '$name' in its version block"
  done
  for text in Microsoft.Windows.Common-Controls dpiAware; do
    grep -aqF "$text" "$instalar" || fail "instalar.exe's manifest lacks $text"
  done

  # --- Switches ---------------------------------------------------------------------------
  install p-none help "$instalar" '/?'
  expect_status help 0
  expect_line help '/unattended, /dir=DIR, /yes, /?'
  install p-none bogus "$instalar" --bogus
  expect_status bogus 2
  grep -qF 'unknown argument: --bogus' bogus.err || fail "bogus: $(cat bogus.err)"
  install p-none lone-yes "$instalar" /yes
  expect_status lone-yes 2

  # --- The sample package: every rule, the shortcuts -------------------------------------
  build "$work/full/ZPX16.EXE" "$instalar" "${full[@]}"
  p=$work/p-full
  d=$p/drive_c/VEXO/DALVO
  install "$p" first "$work/full/ZPX16.EXE" /unattended
  expect_status first 0
  expect_line first 'Package version:    Versión 10,05'
  expect_line first 'Package title:      Presupuestos'
  expect_line first 'Proposed directory: C:\VEXO\DALVO'
  expect_line first 'skipped by rule  Programa\NOTAS.TXT'
  expect_line first 'Instalación Finalizada'
  [ ! -s first.err ] || fail "first: standard error: $(cat first.err)"
  for f in Programa/DALVO.EXE Programa/LEEME.TXT Programa/AYUDA.TXT Programa/DALVO.INI \
    Datos/EMPRESAS.DAT Datos/Estructuras/BALANCES.EST Datos/Estructuras/MEMORIA.EST \
    'Datos/Generador Informes/MAYOR.INF' 'Datos/Asientos Nóminas/NOMINAS.ASI' Ejemplos/EJEMPLO.TXT; do
    expect_file "$d/$f"
  done
  expect_no_file "$d/Programa/NOTAS.TXT"
  cmp -s "$dalvo" "$d/Programa/DALVO.EXE" || fail "DALVO.EXE differs from the one packed"
  # Read-only is the mode without write bits (root may write anyway, so no -w test).
  [ "$(stat -c %a "$d/Programa/AYUDA.TXT")" = 444 ] || fail "AYUDA.TXT lost its read-only attribute"
  check_shortcuts "$p"

  # Second run: the desktop shortcut proposes the product; "I" kept, "P" replaced.
  printf 'datos del usuario' >"$d/Datos/EMPRESAS.DAT"
  printf 'tocado' >"$d/Programa/LEEME.TXT"
  install "$p" second "$work/full/ZPX16.EXE" /unattended
  expect_status second 0
  expect_line second 'Proposed directory: C:\VEXO\DALVO\'
  expect_line second 'kept             Datos\EMPRESAS.DAT'
  expect_line second 'written          Programa\LEEME.TXT'
  [ "$(cat "$d/Datos/EMPRESAS.DAT")" = 'datos del usuario' ] || fail "EMPRESAS.DAT replaced"
  cmp -s "$d/Programa/LEEME.TXT" package/tree/Programa/LEEME.TXT || fail "LEEME.TXT kept"

  # --- The version check against the installed DALVO.EXE (10,05 in its version block) ------
  build "$work/older/ZPX16.EXE" "$instalar" --package-version 10 --product-code DALVO
  build "$work/newer/ZPX16.EXE" "$instalar" --package-version 11 --product-code DALVO
  rm "$d/Ejemplos/EJEMPLO.TXT"
  install "$p" older "$work/older/ZPX16.EXE" /unattended
  expect_status older 3
  expect_line older 'La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar? [Vale/Cancelar] -> Cancelar'
  expect_no_file "$d/Ejemplos/EJEMPLO.TXT"
  install "$p" older-yes "$work/older/ZPX16.EXE" /UNATTENDED /Yes
  expect_status older-yes 0
  expect_file "$d/Ejemplos/EJEMPLO.TXT"
  install "$p" newer "$work/newer/ZPX16.EXE" /unattended
  expect_status newer 0
  grep -qF 'Mayor que la Actual' newer.out && fail "newer: asked about the version"

  # --- Data directories named by DALVO.INI; the directory from /dir= -----------------------
  p=$work/p-ini
  mkdir -p "$p/drive_c/Mis Programas/Dalvo/Programa"
  printf '[PATH]\r\nPATHDATOS=C:\\EMPRESAS\\DATOS\r\n' >"$p/drive_c/Mis Programas/Dalvo/Programa/DALVO.INI"
  install "$p" ini "$work/full/ZPX16.EXE" /unattended '/dir=C:\Mis Programas\Dalvo'
  expect_status ini 0
  expect_line ini 'Extraction root:    C:\Mis Programas\Dalvo'
  for f in Estructuras/BALANCES.EST Estructuras/MEMORIA.EST 'Generador Informes/MAYOR.INF' \
    'Asientos Nóminas/NOMINAS.ASI'; do
    expect_file "$p/drive_c/EMPRESAS/DATOS/$f"
    expect_no_file "$p/drive_c/Mis Programas/Dalvo/Datos/$f"
  done
  grep -q PATHDATOS "$p/drive_c/Mis Programas/Dalvo/Programa/DALVO.INI" || fail "DALVO.INI replaced"

  # A directory beyond ASCII reaches the program whole (its wide command line, not argv).
  install "$work/p-accents" accents "$work/full/ZPX16.EXE" /unattended '/dir=C:\Año 2009\Contabilidad Nóminas'
  expect_status accents 0
  expect_line accents 'Extraction root:    C:\Año 2009\Contabilidad Nóminas'
  expect_file "$work/p-accents/drive_c/Año 2009/Contabilidad Nóminas/Ejemplos/EJEMPLO.TXT"

  # --- Generated packages: solid, stored, small blocks; the same files land ----------------
  for variant in solid store blocks; do
    case $variant in
    solid) options=(--solid) ;;
    store) options=(--store) ;;
    blocks) options=(--block-size 4096) ;;
    esac
    build "$work/$variant/ZPX16.EXE" "$instalar" "${full[@]}" "${options[@]}"
    install "$work/p-$variant" "$variant" "$work/$variant/ZPX16.EXE" --unattended
    expect_status "$variant" 0
    source "$source/tests/tools/tree-compare.sh"
    diff <(describe_tree "$work/p-full/drive_c/VEXO/DALVO/Ejemplos") \
      <(describe_tree "$work/p-$variant/drive_c/VEXO/DALVO/Ejemplos") >/dev/null ||
      fail "$variant: Ejemplos differs from the plain package's"
    expect_file "$work/p-$variant/drive_c/VEXO/DALVO/Datos/Estructuras/BALANCES.EST"
  done
fi

if [ "$mode" = differential ]; then
  source "$source/tests/tools/tree-compare.sh"
  # One Windows version on both hosts: it decides which folder holds the program group.
  export VEXO_WINVER=10
  # The same package, made by the Linux builder on each host's program.
  for host in linux windows; do
    stub=$linux_instalar
    [ $host = windows ] && stub=$instalar
    mkdir -p "$host"
    "$linux_tool" build --out "$host/ZPX16.EXE" --stub "$stub" "${full[@]}" --block-size 4096 \
      --manifest package/MANIFEST >build.log 2>&1 || { cat build.log; exit 1; }
    chmod +x "$host/ZPX16.EXE"
  done
  # run HOST NAME ARGS...: the host's installer into the host's prefix, both started from one
  # place (the run folder), as the source line shows it.
  run() {
    local host=$1 name=$2
    shift 2
    local status=0
    if [ $host = linux ]; then
      VEXO_PREFIX=$work/prefix-linux "$work/run/ZPX16.EXE" "$@" </dev/null >"$host/$name.out" \
        2>"$host/$name.err" || status=$?
      echo "$status" >"$host/$name.status"
    else
      install "$work/prefix-windows" "$host/$name" "$work/run/ZPX16.EXE" "$@"
    fi
  }
  mkdir -p run
  for host in linux windows; do
    cp "$host/ZPX16.EXE" run/ZPX16.EXE
    run $host first --unattended
    # The user's changes between the runs: a data file edited, a program file touched.
    d=$work/prefix-$host/drive_c/VEXO/DALVO
    printf 'datos del usuario' >"$d/Datos/EMPRESAS.DAT"
    touch -d '2001-01-01 00:00:00' "$d/Datos/EMPRESAS.DAT" "$d/Programa/LEEME.TXT"
    run $host second --unattended --yes
  done
  differences=0
  for f in linux/*.out linux/*.err linux/*.status; do
    name=${f#linux/}
    if ! cmp -s "linux/$name" "windows/$name"; then
      differences=$((differences + 1))
      echo "--- differs: $name (linux <, windows >)"
      diff "linux/$name" "windows/$name" | head -20 || true
    fi
  done
  describe_tree prefix-linux/drive_c/VEXO >linux.tree
  describe_tree prefix-windows/drive_c/VEXO >windows.tree
  if ! cmp -s linux.tree windows.tree; then
    differences=$((differences + 1))
    echo "--- the installed trees differ (linux <, windows >)"
    diff linux.tree windows.tree | head -60 || true
  fi
  # Shortcuts: where they are below the special folder, what they point at, where they work.
  describe_links() {
    (cd "$1/drive_c" && find . -name '*.lnk' | LC_ALL=C sort | while read -r link; do
      # The desktop's folder is named after the user on one host and the shell's on the other.
      echo "$(sed 's|^\./users/[^/]*/|./users/USER/|' <<<"$link") -> $(lnk_field "$link" 'Local path')" \
        "in $(lnk_field "$link" 'Working directory')"
    done)
  }
  describe_links prefix-linux >linux.links
  describe_links prefix-windows >windows.links
  if ! cmp -s linux.links windows.links; then
    differences=$((differences + 1))
    echo "--- the shortcuts differ (linux <, windows >)"
    diff linux.links windows.links || true
  fi
  [ "$(wc -l <linux.links)" -eq 2 ] || fail "expected two shortcuts: $(cat linux.links)"
  failures=$((failures + differences))
  echo "$(wc -l <linux.tree) installed entries and $(wc -l <linux.links) shortcuts compared:" \
    "$differences differences"
fi

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "all checks passed"
