#!/usr/bin/env bash
# Runs every fuzzing target of a `make fuzz` build for FUZZ_SECONDS each
# (default 60), FUZZ_JOBS at a time (default 1), on a working copy of its
# corpus; prints per target the runs, the coverage reached and what it
# found. New inputs stay in BUILD/corpus/TARGET; findings in
# BUILD/artifacts/. Fails if any target found a fault.
#   scripts/fuzz.sh BUILD [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath "$1")
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tle map spr gif lzw dat wav tmx png info stream)
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-1}
# A fault: a signal, a sanitizer report, a leak, over 2 s on one input or
# over 256 MB. The engine's own refusals are not faults.
TIME_LIMIT_S=2
MEMORY_LIMIT_MB=256

mkdir -p "$build/artifacts" "$build/logs"
# Each target's files in memory (tmpfs): a stalled disk is no hang of ours.
work=$(mktemp -d "${FUZZ_WORK_ROOT:-/dev/shm}/zel_fuzz_XXXXXX")
trap 'rm -rf "$work"' EXIT
fuzz_one() {
  local t=$1 dict=()
  mkdir -p "$work/$t"
  [ -f "$root/tests/fuzz/$t.dict" ] && dict=(-dict="$root/tests/fuzz/$t.dict")
  mkdir -p "$build/corpus/$t"
  # A small quarantine, so that freed memory does not count against the limit.
  ZEL_FUZZ_DIR="$work/$t" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=quarantine_size_mb=16 \
  LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0 \
    "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=$TIME_LIMIT_S \
    -rss_limit_mb=$MEMORY_LIMIT_MB -malloc_limit_mb=$MEMORY_LIMIT_MB -close_fd_mask=3 \
    -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1 "${dict[@]}" \
    "$build/corpus/$t" "$root/tests/corpus/$t" > "$build/logs/$t.log" 2>&1
}
export -f fuzz_one
export root build work seconds TIME_LIMIT_S MEMORY_LIMIT_MB
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_one {}'

status=0
printf '%-6s %12s %8s %8s  %s\n' target runs cov ft result
for t in "${targets[@]}"; do
  log=$build/logs/$t.log
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*')
  ft=$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*')
  result=clean
  if grep -qE '^==[0-9]+== ?ERROR|runtime error|deadly signal' "$log"; then
    result="FAULT (see $log)"
    status=1
  fi
  printf '%-6s %12s %8s %8s  %s\n' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $status
