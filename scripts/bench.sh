#!/usr/bin/env bash
# Runs every benchmark of a benchmark build (programs named bench_*), after
# saying how 32-bit programs run here. Comparisons with ffmpeg use Debian's
# i386 ffmpeg, unpacked beside the build and run the same way as our programs
# (natively or under the same emulator), so that ratios stay fair; its path is
# passed in RUV_FFMPEG_I386. With RUV_BENCH_QUICK=1 (make bench BENCH_QUICK=1)
# each benchmark runs its short form: small movies, every figure printed,
# goals not judged.
# Usage: scripts/bench.sh BENCH_BUILD_DIR
set -u
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/bench.sh BENCH_BUILD_DIR}

case $(scripts/i386_probe.sh) in
  native) echo "bench: 32-bit programs run natively on this machine" ;;
  emulated) echo "bench: 32-bit programs run under user-mode emulation (qemu-i386): absolute times are the emulator's; compare ratios with the i386 ffmpeg, run the same way" ;;
  *) echo "bench: 32-bit programs do not run here; run scripts/bootstrap.sh as root" >&2; exit 1 ;;
esac

ffmpeg_dir=$build/ffmpeg-i386
ffmpeg=$ffmpeg_dir/usr/bin/ffmpeg
if [ ! -x "$ffmpeg" ]; then
  rm -rf "$ffmpeg_dir" && mkdir -p "$ffmpeg_dir"
  if (cd "$ffmpeg_dir" && apt-get download -q ffmpeg:i386 >/dev/null 2>&1) &&
     dpkg -x "$ffmpeg_dir"/ffmpeg_*_i386.deb "$ffmpeg_dir"; then
    rm -f "$ffmpeg_dir"/ffmpeg_*_i386.deb
  else
    echo "bench: cannot download Debian's i386 ffmpeg (apt-get download ffmpeg:i386)" >&2
  fi
fi
if [ -x "$ffmpeg" ] && "$ffmpeg" -hide_banner -version >/dev/null 2>&1; then
  export RUV_FFMPEG_I386=$ffmpeg
  echo "bench: comparing with $ffmpeg ($("$ffmpeg" -hide_banner -version | head -n 1))"
else
  unset RUV_FFMPEG_I386
  echo "bench: no runnable i386 ffmpeg (its libraries come from scripts/bootstrap.sh bench); ffmpeg comparisons are skipped"
fi

if [ "${RUV_BENCH_QUICK:-0}" != 0 ]; then
  export RUV_BENCH_QUICK
  echo "bench: quick run: small movies, one round, goals not judged"
fi

status=0
for b in "$build"/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" || { echo "bench: $(basename "$b") failed" >&2; status=1; }
done
exit $status
