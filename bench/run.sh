#!/usr/bin/env bash
# bench/run.sh - the extraction benchmark: builds the corpus and its archives, times every
# contender in alternating rounds, runs the micro-benchmarks and writes bench/RESULTS.md.
# Environment: VEXO_BENCH_BUILD (build dir, default build-bench), VEXO_BENCH_WORK (scratch,
# default /tmp/vexo-bench), VEXO_BENCH_RUNS (timed rounds, default 7), VEXO_BENCH_RESULTS,
# VEXO_BENCH_MIB and VEXO_BENCH_FILES (corpus size, default 200 MiB in 2,000 files),
# VEXO_BENCH_MIB2 and VEXO_BENCH_FILES2 (the second corpus of fewer, larger files, default
# 128 MiB in 300 files), VEXO_BENCH_WINDOWS_BUILD (the Windows build run under Wine, default
# the build dir with "-windows" appended), VEXO_BENCH_WINE=off (no Wine contender).
# The build table (our builder against `tar c | pigz -9` and `zip -9 -r`) comes first, in
# VEXO_BENCH_BUILD_RUNS alternating rounds (default 5). VEXO_BENCH_ONLY=build runs only that
# table and writes it to VEXO_BENCH_RESULTS if set, else to $VEXO_BENCH_WORK/build.md.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VEXO_BENCH_BUILD:-$root/build-bench}
work=${VEXO_BENCH_WORK:-/tmp/vexo-bench}
runs=${VEXO_BENCH_RUNS:-7}
corpus_mib=${VEXO_BENCH_MIB:-200}
corpus_files=${VEXO_BENCH_FILES:-2000}
corpus2_mib=${VEXO_BENCH_MIB2:-128}
corpus2_files=${VEXO_BENCH_FILES2:-300}
winbuild=${VEXO_BENCH_WINDOWS_BUILD:-$build-windows}
only=${VEXO_BENCH_ONLY:-}
build_runs=${VEXO_BENCH_BUILD_RUNS:-5}
if [ "$only" = build ]; then
  results=${VEXO_BENCH_RESULTS:-$work/build.md}
else
  results=${VEXO_BENCH_RESULTS:-$here/RESULTS.md}
fi
key=bench-clave-2024

# The contenders' own packages; the build and the tests never need them.
packages=(libarchive-tools p7zip-full zip unzip pigz time strace python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

echo "== build ($build)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_BUILD_TESTS=OFF \
  -DVEXO_BUILD_BENCH=ON >/dev/null
targets=(vexo-archive vexo-bench-micro vexo-bench-floor vexo-bench-checksums vexo-bench-open)
if [ "$only" = build ]; then targets=(vexo-archive); fi
if [ "$only" != build ] && grep -q '^VEXO_BUILD_UI:BOOL=ON' "$build/CMakeCache.txt"; then targets+=(instalar); fi
cmake --build "$build" -j2 --target "${targets[@]}"
tool=$build/tools/vexo-archive/vexo-archive
program=$build/src/program/instalar

mkdir -p "$work"
log=$work/run.log
: >"$log"
uptime >"$work/load-start.txt"

# The Windows build of the tool, timed under Wine beside the Linux one. Without mingw-w64 or
# Wine the contender is left out and the report says why.
wintool=
wine_note=
if [ "$only" != build ]; then
  if [ "${VEXO_BENCH_WINE:-}" = off ]; then
    wine_note="left out on request (VEXO_BENCH_WINE=off)"
  elif ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ ! -x /usr/lib/wine/wine64 ]; then
    wine_note="mingw-w64 (x86_64-w64-mingw32-g++-posix) or Wine (/usr/lib/wine/wine64) is not installed"
  elif ! "$root/scripts/mingw-deps.sh" >>"$log" 2>&1; then
    wine_note="the libraries for mingw-w64 could not be built (scripts/mingw-deps.sh, see run.log)"
  else
    echo "== Windows build ($winbuild)"
    cmake -S "$root" -B "$winbuild" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVEXO_BUILD_TESTS=OFF -DVEXO_BUILD_UI=OFF -DVEXO_BUILD_BENCH=OFF >/dev/null
    cmake --build "$winbuild" -j2 --target vexo-archive
    wintool=$winbuild/tools/vexo-archive/vexo-archive.exe
  fi
  [ -z "$wine_note" ] || echo "(no Wine contender: $wine_note)"
fi

# Corpus and archives are made once per generator version and kept between runs.
stamp=$( (cat "$here/corpus.py"; echo "$corpus_mib $corpus_files") | sha1sum | cut -c1-12)
if [ ! -f "$work/corpus.$stamp" ]; then
  echo "== corpus"
  rm -rf "$work/corpus" "$work"/corpus.* "$work"/ZPX16.EXE
  python3 "$here/corpus.py" "$work/corpus" --mib "$corpus_mib" --files "$corpus_files" | tee -a "$log"
  touch "$work/corpus.$stamp"
fi

# The build table: every builder writes into a fresh folder of its own (the segmented build
# writes several files); rounds alternate the builders, round 0 is the warm-up.
cores=$(nproc)
builders=(
  "vexo-archive build (default level)|$tool build --out OUT/p.vxa $work/corpus"
  "vexo-archive build --level 1|$tool build --level 1 --out OUT/p.vxa $work/corpus"
  "vexo-archive build --level 12|$tool build --level 12 --out OUT/p.vxa $work/corpus"
  "vexo-archive build --segment-size 64 MiB|$tool build --segment-size 67108864 --out OUT/p.vxa $work/corpus"
  "vexo-archive build --key|$tool build --key $key --out OUT/p.vxa $work/corpus"
  "tar c + pigz -9 -p $cores|sh -c 'tar c -C $work/corpus . | pigz -9 -p $cores >OUT/p.tar.gz'"
  "zip -9 -r|sh -c 'cd $work/corpus && zip -9 -r -q OUT/p.zip .'"
)
build_times=$work/build-times.tsv
printf 'builder\tround\tseconds\tbytes\n' >"$build_times"
for round in $(seq 0 "$build_runs"); do
  echo "== build round $round of $build_runs (0 is the warm-up)"
  for i in "${!builders[@]}"; do
    name=${builders[$i]%%|*}
    command=${builders[$i]#*|}
    out=$work/bout/b$i
    rm -rf "$out"
    mkdir -p "$out"
    sync
    command=${command//OUT/$out}
    t0=$(date +%s%N)
    eval "$command" >>"$log" 2>&1 || { echo "$name failed, see $log" >&2; exit 1; }
    t1=$(date +%s%N)
    if [ "$round" -gt 0 ]; then
      printf '%s\t%d\t%s\t%s\n' "$name" "$round" \
        "$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", (b-a)/1e9}')" \
        "$(find "$out" -type f -printf '%s\n' | awk '{s+=$1} END{print s}')" >>"$build_times"
    fi
  done
done
rm -rf "$work/bout"
python3 "$here/build_table.py" "$work" "$cores" >"$work/build.md"
cat "$work/build.md"
if [ "$only" = build ]; then
  [ "$results" = "$work/build.md" ] || cp "$work/build.md" "$results"
  echo "== written $results"
  exit 0
fi

# The second corpus: fewer, larger files, kept under a stamp of its own.
stamp2=$( (cat "$here/corpus.py"; echo "$corpus2_mib $corpus2_files") | sha1sum | cut -c1-12)
if [ ! -f "$work/corpus2.$stamp2" ]; then
  echo "== second corpus"
  rm -rf "$work/corpus2" "$work"/corpus2.* "$work"/archives2.*
  python3 "$here/corpus.py" "$work/corpus2" --mib "$corpus2_mib" --files "$corpus2_files" | tee -a "$log"
  touch "$work/corpus2.$stamp2"
fi

if [ ! -f "$work/archives.$stamp" ]; then
  echo "== archives"
  "$tool" build --out "$work/corpus.vxa" "$work/corpus" >>"$log"
  "$tool" build --out "$work/corpus-key.vxa" --key "$key" "$work/corpus" >>"$log"
  (cd "$work/corpus" && zip -9 -r -q "$work/corpus.zip" .)
  tar -czf "$work/corpus.tar.gz" -C "$work/corpus" .
  touch "$work/archives.$stamp"
fi
if [ -x "$program" ]; then
  mkdir -p "$work/installer"
  "$tool" build --out "$work/installer/ZPX16.EXE" --stub "$program" "$work/corpus" >>"$log"
  chmod +x "$work/installer/ZPX16.EXE"
fi
if [ ! -f "$work/archives2.$stamp2" ]; then
  echo "== archives of the second corpus"
  "$tool" build --out "$work/corpus2.vxa" "$work/corpus2" >>"$log"
  rm -f "$work/corpus2.zip"
  (cd "$work/corpus2" && zip -9 -r -q "$work/corpus2.zip" .)
  touch "$work/archives2.$stamp2"
fi
if [ -x "$program" ]; then
  mkdir -p "$work/installer2"
  "$tool" build --out "$work/installer2/ZPX16.EXE" --stub "$program" "$work/corpus2" >>"$log"
  chmod +x "$work/installer2/ZPX16.EXE"
fi

echo "== every block through the three checksum forms"
"$build/bench/checksums" "$work/corpus.vxa" | tee "$work/checksums.txt"

# name|command; OUT is the output directory of the run, WINOUT the same as a Windows path.
contenders=(
  "vexo-archive extract|$tool extract $work/corpus.vxa -o OUT"
  "vexo-archive extract (encrypted)|$tool extract $work/corpus-key.vxa -o OUT --key $key"
  "bsdtar -xf (zip)|bsdtar -xf $work/corpus.zip -C OUT"
  "7z x -y (zip)|7z x -y -oOUT $work/corpus.zip"
  "unzip -q -o (zip)|unzip -q -o $work/corpus.zip -d OUT"
  "tar -xzf|tar -xzf $work/corpus.tar.gz -C OUT"
  "bench/floor|$build/bench/floor $work/corpus.vxa OUT"
)
if [ -x "$program" ]; then
  contenders+=("installer --unattended|env VEXO_PREFIX=$work/prefix QT_QPA_PLATFORM=offscreen $work/installer/ZPX16.EXE --unattended --dir OUT --yes")
fi
contenders2=(
  "vexo-archive extract|$tool extract $work/corpus2.vxa -o OUT"
  "bsdtar -xf (zip)|bsdtar -xf $work/corpus2.zip -C OUT"
  "bench/floor|$build/bench/floor $work/corpus2.vxa OUT"
)
if [ -x "$program" ]; then
  contenders2+=("installer --unattended|env VEXO_PREFIX=$work/prefix2 QT_QPA_PLATFORM=offscreen $work/installer2/ZPX16.EXE --unattended --dir OUT --yes")
fi

# Wine maps drive Z: to the root of the host's file system; a relative work folder is resolved.
windows_path() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}
# The command of a contender for the output folder $2: WINOUT before OUT, which it contains.
command_for() {
  local command=${1#*|}
  command=${command//WINOUT/$(windows_path "$2")}
  printf '%s' "${command//OUT/$2}"
}

wine_dir=$work/wine
wine_run() { VEXO_WINE_DIR=$wine_dir "$root/scripts/wine-run.sh" "$@"; }
wine_server=
rm -f "$work/wine-note.txt" "$work/wine-start.txt"
[ -z "$wine_note" ] || echo "$wine_note" >"$work/wine-note.txt"
if [ -n "$wintool" ]; then
  # The bench's own prefix, made on the first start; then one server kept for every round, so
  # that no run pays Wine's start-up of its server (about 3 s) and the server ends with us.
  echo "== Wine prefix and server ($wine_dir)"
  wine_run "$wintool" --help >>"$log" 2>&1
  wine_run --server -w
  wine_run --server -p
  trap 'wine_run --server -k || true' EXIT
  trap 'exit 130' INT TERM
  # The server of this prefix, found once, for its processor time around each Wine run.
  for p in /proc/[0-9]*; do
    case $(cat "$p/comm" 2>/dev/null) in wineserver*) ;; *) continue ;; esac
    grep -qxz "WINEPREFIX=$wine_dir/prefix" "$p/environ" 2>/dev/null && wine_server=${p#/proc/}
  done
  # The first start with a fresh server loads the prefix's registry (over a second).
  wine_run "$wintool" --help >>"$log" 2>&1
  contenders+=("vexo-archive.exe extract (Wine)|env VEXO_WINE_DIR=$wine_dir $root/scripts/wine-run.sh $wintool extract $(windows_path "$work/corpus.vxa") -o WINOUT")
  # What a start of a Windows program costs with the server up: the floor of the Wine row.
  for i in $(seq 1 11); do
    t0=$(date +%s%N)
    wine_run "$wintool" --help >>"$log" 2>&1
    t1=$(date +%s%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f\n", (b-a)/1e9}'
  done >"$work/wine-start.txt"
fi

# Reset without freeing inodes right before a run: move the last output aside, sync, then
# empty the moved files (the machines' notes on benchmarking explain why).
reset_out() {
  local out=$1 slot=$2
  if [ -d "$out" ]; then
    mkdir -p "$work/trash"
    mv "$out" "$work/trash/$slot"
  fi
  mkdir -p "$out"
  sync
  if [ -d "$work/trash/$slot" ]; then find "$work/trash/$slot" -type f -exec truncate -s 0 {} +; fi
}

# Left-overs of an interrupted run: freed inodes would slow the first runs, so wait them out.
if [ -e "$work/out" ] || [ -e "$work/trash" ]; then
  rm -rf "$work/out" "$work/trash" "$work/prefix" "$work/prefix2"
  sync
  echo "(waiting 90 s after deleting an earlier run's output)"
  sleep 90
fi
# Processor time (ticks) of the bench's wineserver: the server does part of a Windows
# program's work (handles, file names) outside the program's own process.
wineserver_ticks() {
  if [ -n "$wine_server" ] && [ -r "/proc/$wine_server/stat" ]; then
    awk '{print $14 + $15}' "/proc/$wine_server/stat"
  else
    echo 0
  fi
}

# rounds TIMES SLOT CORPUS CONTENDER...: one warm-up round, then $runs timed rounds of every
# contender in turn into $work/out/SLOTi; the last round's output must equal CORPUS.
rounds() {
  local times=$1 slot=$2 corpus=$3
  shift 3
  local list=("$@") round i name command out t0 t1 w0 w1 rss user sys
  printf 'contender\tround\tseconds\tmax_rss_kb\tuser\tsys\tserver\n' >"$times"
  for round in $(seq 0 "$runs"); do
    echo "== round $round of $runs (0 is the warm-up)"
    for i in "${!list[@]}"; do
      name=${list[$i]%%|*}
      out=$work/out/$slot$i
      reset_out "$out" "$slot$i.r$round"
      command=$(command_for "${list[$i]}" "$out")
      w0=0 w1=0
      case $name in *"(Wine)") w0=$(wineserver_ticks) ;; esac
      t0=$(date +%s%N)
      /usr/bin/time -o "$work/time.txt" -f '%M %U %S' $command >>"$log" 2>&1 ||
        { echo "$name failed, see $log" >&2; exit 1; }
      t1=$(date +%s%N)
      case $name in *"(Wine)") w1=$(wineserver_ticks) ;; esac
      read -r rss user sys <"$work/time.txt"
      if [ "$round" -gt 0 ]; then
        printf '%s\t%d\t%s\t%s\t%s\t%s\t%s\n' "$name" "$round" \
          "$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", (b-a)/1e9}')" "$rss" "$user" "$sys" \
          "$(awk -v t="$((w1 - w0))" -v hz="$(getconf CLK_TCK)" 'BEGIN{printf "%.2f", t/hz}')" >>"$times"
      fi
    done
  done
  # Every contender must have produced the corpus; compare the last round's output once.
  for i in "${!list[@]}"; do
    diff -rq "$corpus" "$work/out/$slot$i" >/dev/null ||
      { echo "${list[$i]%%|*} did not reproduce the corpus" >&2; exit 1; }
  done
}
rounds "$work/times.tsv" c "$work/corpus" "${contenders[@]}"
echo "== the second corpus: $corpus2_files files, $corpus2_mib MiB"
rounds "$work/times2.tsv" d "$work/corpus2" "${contenders2[@]}"

echo "== system calls of one extraction each (not timed)"
for i in "${!contenders[@]}"; do
  case ${contenders[$i]%%|*} in
  "vexo-archive extract" | "bench/floor" | "bsdtar -xf (zip)") ;;
  *) continue ;;
  esac
  out=$work/out/c$i
  reset_out "$out" "c$i.strace"
  command=$(command_for "${contenders[$i]}" "$out")
  strace -f -c -o "$work/strace.c$i.txt" $command >>"$log" 2>&1
done

echo "== opening an installer and identifying its package"
mkdir -p "$work/open-small" "$work/open-1g" "$work/open-src"
echo "hola" >"$work/open-src/LEEME.TXT"
head -c 4096 /dev/zero >"$work/open-small/stub"
truncate -s 1G "$work/open-1g/stub"
for d in open-small open-1g; do
  "$tool" build --out "$work/$d/ZPX16.EXE" --stub "$work/$d/stub" "$work/open-src" >>"$log"
  rm -f "$work/$d/stub"
done
{
  printf 'small\t%s\t' "$(stat -c %s "$work/open-small/ZPX16.EXE")"
  "$build/bench/open" "$work/open-small/ZPX16.EXE" 101
  printf '1g\t%s\t' "$(stat -c %s "$work/open-1g/ZPX16.EXE")"
  "$build/bench/open" "$work/open-1g/ZPX16.EXE" 101
} | tee "$work/open.tsv"
rm -f "$work/open-1g/ZPX16.EXE"

echo "== micro-benchmarks"
"$build/bench/vexo-bench-micro" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/micro.json" --benchmark_out_format=json >>"$log" 2>&1
uptime >"$work/load-end.txt"

python3 "$here/report.py" --work "$work" --runs "$runs" --build "$build" \
  --contenders "$(printf '%s\n' "${contenders[@]}")" \
  --contenders2 "$(printf '%s\n' "${contenders2[@]}")" >"$results"
cat "$work/build.md" >>"$results"
rm -rf "$work/out" "$work/trash" "$work/prefix" "$work/prefix2"
echo "== written $results"
