#!/usr/bin/env bash
# Imports the movies of each folder at once, several at a time, with the
# Windows ruv-import.exe (under wine; its workers are started with
# CreateProcess) and with a Linux ruv-import whose runtime decodes PCM only,
# and compares: the exit status, each movie's result (status, video frames,
# sound seconds, by the movie's file name, since the two name folders
# differently), and the WAV and video files each movie's worker wrote.
# Prints one line per difference, then a total; exits 1 when any differs.
# Usage: scripts/compare_windows_batch.sh WINE_RUN WINDOWS_BIN LINUX_BIN OUT FOLDER...
set -u
if [ $# -lt 5 ]; then
  echo "usage: scripts/compare_windows_batch.sh WINE_RUN WINDOWS_BIN LINUX_BIN OUT FOLDER..." >&2
  exit 2
fi
run=$1 windows_exe=$2/ruv-import.exe linux_exe=$3/ruv-import out=$4
shift 4
for program in "$run" "$windows_exe" "$linux_exe"; do
  [ -e "$program" ] || { echo "compare-batch: $program is missing" >&2; exit 2; }
done

# results FILE: "name status video_frames sound_seconds" of every result
# event, sorted.
results() {
  perl -ne 's/\r$//;
    next unless /^\{"event":"result"/;
    my ($movie) = /"movie":"((?:[^"\\]|\\.)*)"/;
    my ($status) = /"status":"([^"]*)"/;
    my ($frames) = /"video_frames":([^,]*)/;
    my ($sound) = /"sound_seconds":([^,]*)/;
    $movie =~ s/.*[\/\\]//;
    print "$movie $status $frames $sound\n"' "$1" | sort
}

differ=0
for folder in "$@"; do
  folder=$(cd "$folder" && pwd) || exit 2
  name=$(basename "$folder")
  base=$out/$name
  rm -rf "$base" && mkdir -p "$base/linux" "$base/windows" || exit 2
  "$linux_exe" --jobs 4 --json --quiet --audio-out "$base/linux/{name}.wav" \
    --video-out "$base/linux/{name}.video" "$folder" >"$base/linux.out" 2>"$base/linux.err"
  linux_status=$?
  "$run" "$windows_exe" --jobs 4 --json --quiet --audio-out "$base/windows/{name}.wav" \
    --video-out "$base/windows/{name}.video" "$folder" >"$base/windows.out" 2>"$base/windows.err"
  windows_status=$?
  found=()
  [ "$linux_status" = "$windows_status" ] ||
    found+=("exit status: linux $linux_status, windows $windows_status")
  results "$base/linux.out" >"$base/linux.results"
  results "$base/windows.out" >"$base/windows.results"
  [ -s "$base/linux.results" ] || found+=("no result event from the linux batch")
  cmp -s "$base/linux.results" "$base/windows.results" ||
    found+=("results differ (diff $base/linux.results $base/windows.results)")
  for file in "$base"/linux/* "$base"/windows/*; do
    [ -e "$file" ] || continue
    other=$base/linux/$(basename "$file")
    [ "$(dirname "$file")" = "$base/linux" ] && other=$base/windows/$(basename "$file")
    cmp -s "$file" "$other" || found+=("$(basename "$file") differs or is missing")
  done
  if [ ${#found[@]} -eq 0 ]; then
    echo "batch of $folder: identical ($(wc -l <"$base/linux.results") movies)"
    rm -rf "$base" "$base".*
  else
    differ=1
    printf 'BATCH DIFFERS %s: %s\n' "$folder" "${found[0]}"
    printf '  %s\n' "${found[@]:1}" | sort -u | head -n 20
  fi
done
[ $differ -eq 0 ]
