#!/usr/bin/env bash
# Imports every movie of the given folders with the Windows ruv-import.exe
# (under wine) and with a Linux ruv-import whose runtime decodes PCM only, as
# the Windows runtime does, and compares what they give: exit status,
# standard output (--json), standard error, the WAV of --audio-out and the
# video samples of --video-out. The two must be identical but for line ends,
# the form of the movie's path and where frames of different queues and
# warnings fall between each other. Prints one line per movie that differs,
# then a total; exits 1 when any differs.
# Usage: scripts/compare_windows.sh [--set KEY=VALUE]... WINE_RUN WINDOWS_BIN LINUX_BIN OUT FOLDER...
#   --set passes a configuration key to both imports.
set -u
settings=()
while [ "${1:-}" = --set ] && [ $# -ge 2 ]; do
  settings+=(--set "$2")
  shift 2
done
if [ $# -lt 5 ]; then
  echo "usage: scripts/compare_windows.sh [--set KEY=VALUE]... WINE_RUN WINDOWS_BIN LINUX_BIN OUT FOLDER..." >&2
  exit 2
fi
run=$1 windows_exe=$2/ruv-import.exe linux_exe=$3/ruv-import out=$4
shift 4
for program in "$run" "$windows_exe" "$linux_exe"; do
  [ -e "$program" ] || { echo "compare: $program is missing" >&2; exit 2; }
done
mkdir -p "$out" || exit 2

# import PROGRAM... MOVIE BASE: the outputs of one import as BASE.*
import() {
  local base=${*: -1} movie=${*: -2:1}
  rm -f "$base".*
  "${@:1:$#-2}" ${settings[@]+"${settings[@]}"} --json --quiet --audio-out "$base.wav" --video-out "$base.video" "$movie" \
      >"$base.out" 2>"$base.err"
  echo $? >"$base.status"
}

# The Windows program names the movie as Windows does (Z:\...): written back
# as the Linux path; line ends as on Linux.
normalise() {
  local file=$1 movie=$2
  local windows_path="Z:${movie//\//\\}"
  local json_path=${windows_path//\\/\\\\}
  WP=$windows_path JP=$json_path LP=$movie perl -pi -e 's/\r$//; s/\Q$ENV{JP}\E/$ENV{LP}/g; s/\Q$ENV{WP}\E/$ENV{LP}/g' "$file"
}

# Each queue is consumed on a thread of its own, and the importer's warnings
# are read from standard error by another, so neither comes at a fixed place
# between the other events, on Linux as on Windows: frames are kept in order
# within their queue and warnings among themselves, after every other line.
by_queue() {
  perl -ne 'if (/^\{"event":"frame","queue":(-?\d+),/) { push @{$q{$1}}, $_ }
            elsif (/^\{"event":"warning",/) { push @w, $_ } else { print }
            END { print @w; print @{$q{$_}} for sort { $a <=> $b } keys %q }' "$1" >"$1.sorted" &&
    mv "$1.sorted" "$1"
}

passed=0 failed=0
for folder in "$@"; do
  folder=$(cd "$folder" && pwd) || exit 2
  for movie in "$folder"/*.mov; do
    [ -e "$movie" ] || continue
    name=$(basename "$movie" .mov)
    linux=$out/$name.linux windows=$out/$name.windows
    import "$linux_exe" "$movie" "$linux"
    import "$run" "$windows_exe" "$movie" "$windows"
    # Wine itself, now and then, fails to start a program ("Application could
    # not be started"): that says nothing of the program, so it runs again once.
    if grep -q '^Application could not be started' "$windows.err" 2>/dev/null; then
      echo "wine could not start ruv-import.exe for $name; running it again" >&2
      import "$run" "$windows_exe" "$movie" "$windows"
    fi
    normalise "$windows.out" "$movie"
    normalise "$windows.err" "$movie"
    by_queue "$linux.out"
    by_queue "$windows.out"
    differ=()
    for part in status out err wav video; do
      [ -e "$linux.$part" ] || [ -e "$windows.$part" ] || continue
      cmp -s "$linux.$part" "$windows.$part" || differ+=("$part")
    done
    if [ ${#differ[@]} -eq 0 ]; then
      passed=$((passed + 1))
      rm -f "$linux".* "$windows".*
    else
      failed=$((failed + 1))
      echo "DIFFER $name: ${differ[*]} (compare $linux.* with $windows.*)"
    fi
  done
done
echo "windows and linux${settings[*]+ (${settings[*]})}: $passed identical, $failed differ"
[ $failed -eq 0 ]
