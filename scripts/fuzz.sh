#!/usr/bin/env bash
# Runs each libFuzzer target of a clang fuzz build for a bounded time, starting
# from the corpus writers' inputs and the real movies (tests/data, which holds
# every input a fuzzer once crashed on, and ../shared/real and
# ../shared/fixtures when they are there). Fails when any target finds a fault
# and tells where its input is; prints, per target, the runs, the coverage and
# the number of seeds loaded.
# Usage: [FUZZ_OPTIONS="..."] scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]
# The movie target runs SECONDS, every other target SECONDS/2; named targets
# alone run, each SECONDS.
set -u
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]}
seconds=${2:-60}
shift 2 2>/dev/null || shift $#
only=" $* "
bin=$build/bin
work=${FUZZ_WORK:-$build/fuzz}  # FUZZ_WORK: a folder of its own for a run beside another
mode=$(scripts/i386_probe.sh)

# Memory kept small, so that the fuzzers fit a 32-bit address space under
# emulation too: ASan's quarantine is cut from its default and libFuzzer's own
# limits sit well below 3 GiB. A single allocation above the malloc limit is a
# finding: nothing in a small input justifies it.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:quarantine_size_mb=16:malloc_context_size=10}
# Under qemu-i386 a 32-bit process is given all 4 GiB, but ASan (seeing an
# i686 kernel) lays out its shadow for 3 GiB: a mapping above that stops its
# allocator on a CHECK, after which it spins. The emulator's reserved address
# space is cut to what ASan expects.
[ "$mode" = emulated ] && export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0xbfff0000}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
limits=(-rss_limit_mb=1536 -malloc_limit_mb=512)
# Inputs are cut to 64 KiB (the real movies among the starting inputs are up
# to a few MB): whole movies of minutes of compressed sound take seconds each
# under emulation, and their first run alone could use the whole bound.
# FUZZ_OPTIONS="-max_len=N" sets another.
limits+=(-max_len=65536)

mkdir -p "$work/corpus/movie" "$work/corpus/data_ref" "$work/corpus/fragments" "$work/findings"
"$bin/make_fuzz_corpus" "$work/corpus/movie" "$work/corpus/fragments" || exit 1
"$bin/make_data_ref_corpus" "$work/corpus/data_ref" || exit 1

# The seeds are listed here rather than by libFuzzer: the prebuilt 32-bit
# runtime lists folders without large-file support, so under emulation (and on
# file systems with 64-bit directory offsets) it finds no file in any folder.
# seed_list NAME FOLDER...: writes the files of the folders as the
# comma-separated list that -seed_inputs=@FILE takes, and prints the file.
seed_list() {
  local name=$1
  shift
  local list=$work/$name.seeds
  find "$@" -maxdepth 1 -type f \( -name '*.mov' -o -name '*.frag' -o -path "$work/corpus/*" \) \
    -size +0 2>/dev/null |
    sort | paste -sd, - >"$list"
  echo "$list"
}
movie_seed_dirs=("$work/corpus/movie" tests/data tests/data/fragmented tests/data/fuzz_crashes tests/data/fuzz_slow)
for shared in ../shared/real ../shared/fixtures; do
  [ -d "$shared" ] && movie_seed_dirs+=("$shared")
done

# run NAME SECONDS SEED_LIST CORPUS [OPTION...]: CORPUS receives the new
# inputs; the options follow (and override) the common ones.
run() {
  local name=$1 time=$2 seeds=$3 corpus=$4
  shift 4
  if [ "$only" != "  " ]; then
    [[ $only == *" $name "* ]] || return 0
    time=$seconds
  fi
  local log=$work/$name.log
  local expected
  expected=$(tr ',' '\n' <"$seeds" | grep -c .)
  echo "fuzz: $name for ${time}s from $expected seeds (log: $log)"
  # The outer bound also ends a fuzzer that stopped answering: after an
  # internal CHECK, ASan's runtime can spin instead of exiting. libFuzzer runs
  # every input it starts from before its own time starts; importing the real
  # movies takes minutes under emulation.
  timeout --kill-after=20 $((time + 900)) \
    "$bin/$name" -max_total_time="$time" -timeout=25 -print_final_stats=1 "${limits[@]}" \
    -seed_inputs=@"$seeds" -artifact_prefix="$work/findings/$name-" "$@" ${FUZZ_OPTIONS:-} "$corpus" >"$log" 2>&1
  local rc=$?
  local loaded runs cov
  loaded=$(sed -n 's/^INFO: [a-z]* corpus: files: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
  echo "fuzz: $name: ${runs:-0} runs, ${cov:-no coverage line}, ${loaded:-0} of $expected seeds loaded"
  if [ "${loaded:-0}" -eq 0 ] && [ "$expected" -gt 0 ]; then
    echo "fuzz: $name loaded none of its $expected seeds; see $log" >&2
    return 1
  fi
  if [ $rc -eq 0 ]; then return 0; fi
  # Under emulation the address space can still run out inside ASan's
  # allocator: the emulator's limit, not a fault of the code under test.
  # libFuzzer then writes the input it was running, which is not at fault.
  local first
  first=$(grep -m 1 -e 'CHECK failed' -e 'ERROR: ' -e 'runtime error' "$log")
  if [ "$mode" = emulated ] && [[ $first == *'CHECK failed: '*AddrIsInMem* ]]; then
    echo "fuzz: $name stopped after ${runs:-0} runs when the emulated 32-bit address space ran out; not a finding" >&2
    return 0
  fi
  tail -n 60 "$log" >&2
  # Slow units are written on the way and are no finding; a crash, leak,
  # time-out or out-of-memory input is.
  local found
  found=$(grep -o "Test unit written to .*" "$log" | grep -v -- '-slow-unit-')
  if [ $rc -ge 124 ] && [ -z "$found" ]; then
    echo "fuzz: $name did not finish within $((time + 900)) s (exit $rc)" >&2
    return 1
  fi
  echo "fuzz: $name FAILED (exit $rc); the input it found:" >&2
  if [ -n "$found" ]; then echo "$found" >&2; else ls -1 "$work/findings/$name-"* >&2; fi
  echo "fuzz: replay it with $bin/$name INPUT; once fixed, keep it as a test in tests/data/fuzz_crashes/" >&2
  return 1
}

half=$(( seconds / 2 > 0 ? seconds / 2 : 1 ))
dict=-dict=tests/runtime_movie/movie.dict
movie_seeds=$(seed_list movie "${movie_seed_dirs[@]}")
data_ref_seeds=$(seed_list data_ref "$work/corpus/data_ref")
status=0
run fuzz_movie "$seconds" "$movie_seeds" "$work/corpus/movie" "$dict" || status=1
# The movie targets share one corpus: each starts from what the ones before
# it added.
for name in fuzz_audio_extraction fuzz_data_handler_movie; do
  movie_seeds=$(seed_list movie "${movie_seed_dirs[@]}")
  run "$name" "$half" "$movie_seeds" "$work/corpus/movie" "$dict" || status=1
done
# The import target starts threads; it watches for hangs itself, without
# libFuzzer's SIGALRM (see fuzz_import.cpp).
movie_seeds=$(seed_list movie "${movie_seed_dirs[@]}")
run fuzz_import "$half" "$movie_seeds" "$work/corpus/movie" "$dict" -timeout=0 || status=1
run fuzz_data_ref "$half" "$data_ref_seeds" "$work/corpus/data_ref" || status=1
# The fragments after a fixed movie atom: a corpus of their own.
fragment_seeds=$(seed_list fragments "$work/corpus/fragments" tests/data/fuzz_fragments)
run fuzz_fragments "$half" "$fragment_seeds" "$work/corpus/fragments" "$dict" || status=1
exit $status
