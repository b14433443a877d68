#!/usr/bin/env bash
# make test-windows: the Windows build's test programs run under wine with
# ctest, where the plug-in finds the runtime (windows_loader_check.sh), then
# the Windows ruv-import.exe and the Linux one (its runtime
# decoding PCM only and refusing compressed movie atoms, as the Windows
# runtime does) compared on every movie of ../shared/fixtures and
# ../shared/real that are beside the repository, one movie at a time and then
# each folder in one batch of workers.
# Where 32-bit x86 code does not run natively, wine's WoW64 cannot run the
# programs either: it says so in one line and succeeds having run nothing.
# Usage: scripts/test_windows.sh BUILD_WIN BUILD_PCM JOBS [CMAKE_ARGUMENT...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_win=$1 build_pcm=$2 jobs=$3
shift 3

scripts/bootstrap.sh
mode=$(scripts/i386_probe.sh)
if [ "$mode" != native ]; then
  echo "test-windows: skipped: this machine does not run 32-bit x86 code natively ($mode), which wine's WoW64 needs"
  exit 0
fi
BUILD_WIN=$build_win scripts/bootstrap.sh windows wine

cmake -S . -B "$build_win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DRUV_BUILD_TESTS=ON "$@"
cmake --build "$build_win" -j "$jobs"
# One wine server for the whole run, instead of one started and stopped for
# every program (one that already runs for the prefix answers 2). Wine's own
# services stay connected to it, so it would never leave by itself: it is
# stopped, with them, when this script ends.
export WINEPREFIX=$(cd "$build_win" && pwd)/wine/prefix
/usr/lib/wine/wineserver -p 60 2>/dev/null || true
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
(cd "$build_win" && ctest --output-on-failure -j "$jobs")
scripts/windows_loader_check.sh "$build_win" samples/demo.mov

cmake -S . -B "$build_pcm" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-i386.cmake -DRUV_BUILD_TESTS=OFF \
  -DRUV_COMPRESSED_SOUND=OFF -DRUV_COMPRESSED_MOVIE_ATOMS=OFF "$@"
cmake --build "$build_pcm" -j "$jobs" --target ruv-import
folders=()
for folder in ../shared/fixtures ../shared/real; do
  [ -d "$folder" ] && folders+=("$folder")
done
if [ ${#folders[@]} -eq 0 ]; then
  echo "test-windows: no ../shared/fixtures or ../shared/real beside the repository: no movie compared"
  exit 0
fi
scripts/compare_windows.sh "$build_win/wine/run" "$build_win/bin" "$build_pcm/bin" \
  "$build_win/compare" "${folders[@]}"
# The same through the plug-in's own data handler, which reads the movie
# through the host's byte stream instead of QuickTime's file access.
scripts/compare_windows.sh --set data-handler-mode=force-enable "$build_win/wine/run" \
  "$build_win/bin" "$build_pcm/bin" "$build_win/compare-data-handler" "${folders[@]}"
# Every folder at once: ruv-import.exe starts its workers with CreateProcess,
# and each movie must give what the Linux batch gives it.
scripts/compare_windows_batch.sh "$build_win/wine/run" "$build_win/bin" "$build_pcm/bin" \
  "$build_win/compare-batch" "${folders[@]}"
