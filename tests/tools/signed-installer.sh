#!/usr/bin/env bash
# signed-installer.sh TOOL STUB WORK_DIR - an installer built on a real program and signed with
# a certificate made here: the signature verifies, and info, list, test and extract give the
# same results on the signed file as on the unsigned one (the locator now lies before the
# certificate table). Then the certificate entry of the PE headers is damaged in several ways:
# each run ends with the bad-signature message and status 1, never a crash. TOOL ending in
# .exe runs under Wine. Exits 77 (skipped) without osslsigncode or openssl.
set -euo pipefail
tool=$(realpath "$1")
stub=$(realpath "$2")
work=$(realpath -m "$3")
source=$(cd "$(dirname "$0")/../.." && pwd)
for program in osslsigncode openssl; do
  command -v "$program" >/dev/null || { echo "$program is not installed: skipped"; exit 77; }
done

run_tool() {
  if [[ $tool == *.exe ]]; then
    VEXO_PREFIX="Z:${work//\//\\}\\prefix" "$source/scripts/wine-run.sh" "$tool" "$@" </dev/null
  else
    VEXO_PREFIX=$work/prefix "$tool" "$@" </dev/null
  fi
}
fail() { echo "FAIL: $*"; exit 1; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
put32() { # FILE OFFSET VALUE
  local v=$3
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) \
    $((v >> 16 & 255)) $((v >> 24 & 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

rm -rf "$work"
mkdir -p "$work/src/Datos" "$work/unsigned" "$work/signed" "$work/prefix"
cd "$work"
for ((i = 0; i < 3000; ++i)); do printf 'Cuenta %05d;Saldo;%d\r\n' "$i" $((i * 7)); done >src/Datos/ASIENTOS.DAT
head -c 70000 /dev/urandom >src/DALVO.BIN
printf 'Ejercicio 2009\r\n' >src/LEEME.TXT
tag=477
run_tool build --out unsigned/SETUP.EXE --stub "$stub" --tag-size "$tag" src >/dev/null 2>build.err ||
  fail "build: $(cat build.err)"
start=$(($(stat -c %s "$stub") + tag))

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Pruebas de firma" 2>/dev/null
osslsigncode sign -certs cert.pem -key key.pem -n Instalador -in unsigned/SETUP.EXE \
  -out signed/SETUP.EXE >sign.log || fail "signing: $(cat sign.log)"
osslsigncode verify -CAfile cert.pem -in signed/SETUP.EXE >verify.log 2>&1 ||
  fail "verify: $(cat verify.log)"
grep -q '^Signature verification: ok' verify.log || fail "verify: $(cat verify.log)"
[ "$(stat -c %s signed/SETUP.EXE)" -gt "$(stat -c %s unsigned/SETUP.EXE)" ] || fail "nothing appended"

# A stub whose version strings carry its code size (UTF-16 in the resource) is also read through
# them; the installer program carries none and is found by its locator alone.
commands=("info --json" "list --json" "test")
sfx_strings=0
if LC_ALL=C grep -qaP "S\\x00F\\x00X\\x00C\\x00o\\x00d\\x00e\\x00S\\x00i\\x00z\\x00e" "$stub"; then
  sfx_strings=1
  commands+=("info --json --sfx-info")
fi

# Every subcommand, run inside the file's folder so that the messages name it alike.
runs() {
  local d=$1 status
  shift
  (
    cd "$d"
    for command in "${commands[@]}"; do
      status=0
      run_tool $command SETUP.EXE >"$command.out" 2>"$command.err" || status=$?
      echo "$status" >"$command.status"
    done
    status=0
    run_tool extract SETUP.EXE -o out >extract.out 2>extract.err || status=$?
    echo "$status" >extract.status
  )
}
runs unsigned
runs signed
for f in unsigned/*.out unsigned/*.err unsigned/*.status; do
  cmp -s "$f" "signed/${f#unsigned/}" || fail "$f differs: $(diff "$f" "signed/${f#unsigned/}")"
done
for f in unsigned/*.status; do [ "$(cat "$f")" = 0 ] || fail "$f: status $(cat "$f")"; done
diff -r unsigned/out signed/out || fail "extracted trees differ"
cmp -s src/DALVO.BIN signed/out/DALVO.BIN || fail "DALVO.BIN extracted wrongly"
grep -q "\"archiveStart\": $start," "signed/info --json.out" || fail "archive start: $(cat "signed/info --json.out")"
[ "$sfx_strings" = 0 ] || grep -q "\"archiveStart\": $start," "signed/info --json --sfx-info.out" ||
  fail "archive start through the version strings"

# The certificate entry damaged: no archive found, a clean failure.
pe=$(u32 signed/SETUP.EXE 60)
optional=$((pe + 24))
case $(u16 signed/SETUP.EXE $optional) in
  523) entry=$((optional + 112 + 32)) ;;
  267) entry=$((optional + 96 + 32)) ;;
  *) fail "no PE optional header" ;;
esac
table=$(u32 signed/SETUP.EXE $entry)
length=$(u32 signed/SETUP.EXE $((entry + 4)))
size=$(stat -c %s signed/SETUP.EXE)
[ $((table + length)) = "$size" ] || fail "the certificate table is not at the end"
damaged=("$((size + 8)) $length" "4294967288 16" "$table 4294967280" "0 0" "$((table - 16)) $length"
  "$table 4" "$((table + 8)) $((length - 8))")
n=0
for d in "${damaged[@]}"; do
  n=$((n + 1))
  cp signed/SETUP.EXE "DAMAGED$n.EXE"
  set -- $d
  put32 "DAMAGED$n.EXE" $entry "$1"
  put32 "DAMAGED$n.EXE" $((entry + 4)) "$2"
  for command in info list test; do
    status=0
    run_tool $command "DAMAGED$n.EXE" >damaged.out 2>damaged.err || status=$?
    [ "$status" = 1 ] || fail "entry $d, $command: status $status $(cat damaged.err)"
    grep -q "Firma Erronea" damaged.err || fail "entry $d, $command: $(cat damaged.err)"
  done
done
echo "signed installer: verified, 5 runs alike, ${#damaged[@]} damaged entries refused"
