#!/usr/bin/env bash
# Runs each libFuzzer target of a clang fuzz build for a bounded time, starting
# from the corpus writers' inputs (and, for movies, the test fixtures, which
# include every input a fuzzer once crashed on). Fails when any finds a fault
# and tells where its input is.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS
# The movie target runs SECONDS, the two data handler targets SECONDS/2 each.
set -u
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/fuzz.sh BUILD_DIR SECONDS}
seconds=${2:-60}
bin=$build/bin
work=$build/fuzz
fixtures=tests/data

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

mkdir -p "$work/corpus/movie" "$work/corpus/data_ref" "$work/findings"
"$bin/make_fuzz_corpus" "$work/corpus/movie" || exit 1
"$bin/make_data_ref_corpus" "$work/corpus/data_ref" || exit 1

# run NAME SECONDS CORPUS...: the first corpus folder receives new inputs.
run() {
  local name=$1 time=$2
  shift 2
  local log=$work/$name.log
  echo "fuzz: $name for ${time}s (log: $log)"
  "$bin/$name" -max_total_time="$time" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$work/findings/$name-" "$@" >"$log" 2>&1
  local rc=$?
  if [ $rc -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzz: $name FAILED (exit $rc); the input it found:" >&2
    grep -o "Test unit written to .*" "$log" >&2 || ls -1 "$work/findings/$name-"* >&2
    echo "fuzz: replay it with $bin/$name INPUT; once fixed, keep it as a test in tests/data/fuzz_crashes/" >&2
    return 1
  fi
  grep -E "^#[0-9]+[[:space:]]+DONE" "$log" | tail -n 1
}

half=$(( seconds / 2 > 0 ? seconds / 2 : 1 ))
status=0
run fuzz_movie "$seconds" "$work/corpus/movie" "$fixtures" || status=1
run fuzz_data_handler_movie "$half" "$work/corpus/movie" "$fixtures" || status=1
run fuzz_data_ref "$half" "$work/corpus/data_ref" || status=1
exit $status
