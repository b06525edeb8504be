#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each:
#     fuzz/run.sh SECONDS [TARGET...]
# Targets and seeds come from the fuzz build ($VEXO_FUZZ_BUILD, else build-fuzz; made with
# "cmake --preset fuzz && cmake --build --preset fuzz"). The growing corpus stays in
# <build>/fuzz/corpus/TARGET, crashes land in <build>/fuzz/artifacts/TARGET, the full log in
# <build>/fuzz/logs/TARGET.log. Units that once failed are kept in fuzz/findings/TARGET and run
# again every time. Prints one line of figures per target; exits 1 when a target found a crash,
# a leak, a timeout or an allocation above the limit, 77 when there is no fuzz build.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:?usage: fuzz/run.sh SECONDS [TARGET...]}"
shift
build="${VEXO_FUZZ_BUILD:-$here/../build-fuzz}"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(archive_list extract encrypted_block ini shell_link version_info)

# No input may make a single allocation above this: every size taken from a file is checked
# against the file before it is allocated, and block buffers are capped by the header check.
malloc_limit_mb=128

status=0
for t in "${targets[@]}"; do
  bin="$build/fuzz/fuzz_$t"
  if [ ! -x "$bin" ]; then
    echo "fuzz $t: no fuzz build at $build (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
    exit 77
  fi
  corpus="$build/fuzz/corpus/$t"
  artifacts="$build/fuzz/artifacts/$t"
  log="$build/fuzz/logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  case "$t" in
    archive_list | extract) max_len=65536 ;;
    version_info) max_len=32768 ;;
    *) max_len=8192 ;;
  esac
  # Past findings are replayed first, every run.
  findings=()
  [ -d "$here/findings/$t" ] && findings=("$here/findings/$t")
  # The extraction target writes into its own prefix; keep it off the user's temp directory.
  work="$(mktemp -d "${TMPDIR:-/tmp}/vexo-fuzz-$t.XXXXXX")"
  TMPDIR="$work" ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$bin" -max_total_time="$seconds" -error_exitcode=1 -timeout_exitcode=1 -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb="$malloc_limit_mb" -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$build/fuzz/seeds/$t" "${findings[@]}" >"$log" 2>&1
  rc=$?
  rm -rf "$work"
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*')
  ft=$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*')
  units=$(grep -o 'corp: [0-9]*' <<<"$last" | grep -o '[0-9]*')
  if [ $rc -eq 0 ]; then verdict=ok; else verdict="FAILED (exit $rc)"; status=1; fi
  echo "fuzz $t: ${seconds}s, executions ${execs:-?}, coverage ${cov:-?} edges, features ${ft:-?}, corpus ${units:-?} units: $verdict"
  if [ $rc -ne 0 ]; then
    grep -E 'ERROR|SUMMARY|==[0-9]+==|Test unit written|runtime error|uncaught exception' "$log" | head -20 >&2
  fi
done
exit $status
