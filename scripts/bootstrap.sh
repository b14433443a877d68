#!/usr/bin/env bash
# Prepares this machine for the build: installs the Debian packages it needs
# when they are missing, and makes sure 32-bit x86 programs run here. Where the
# kernel does not execute i386 programs, Debian's user-mode emulator
# (qemu-i386) is registered with binfmt_misc, so that every 32-bit program the
# build makes runs unchanged. Safe to run again: it changes only what is
# missing, and registers nothing where i386 programs run natively.
# Usage: scripts/bootstrap.sh [windows] [wine] [fuzz] [bench]
#   wine: Debian's wine64 and the wine set-up of the Windows build
#   ($BUILD_WIN, default build-windows: scripts/wine_setup.sh), for make
#   test-windows; where 32-bit x86 code does not run natively it says so and
#   sets up nothing.
set -u
cd "$(dirname "$0")/.."

packages=(g++-multilib cmake ninja-build googletest nlohmann-json3-dev make)
want_ffmpeg_i386=0
want_wine=0
for extra in "$@"; do
  case $extra in
    windows) packages+=(g++-mingw-w64-i686) ;;
    wine) want_wine=1 ;;
    # clang and its runtimes; libclang-rt-dev brings the libclang-rt-N-dev
    # matching the default clang, which holds libclang_rt.fuzzer-i386.a and
    # the 32-bit sanitizer runtimes.
    fuzz) packages+=(clang libclang-rt-dev) ;;
    # The benchmarks compare with an i386 ffmpeg run the same way as our
    # programs; its libraries come through multiarch (scripts/bench.sh
    # unpacks the program itself beside the benchmark build).
    bench) want_ffmpeg_i386=1 ;;
    *) echo "bootstrap: unknown argument: $extra (expected windows, wine, fuzz or bench)" >&2; exit 2 ;;
  esac
done

updated=0
apt_update() {
  [ $updated -eq 1 ] && return 0
  updated=1
  # An index that fails for one architecture does not stop us: the install
  # that follows tells whether what we need is there.
  apt-get update -q || echo "bootstrap: apt-get update reported errors; trying the install anyway" >&2
}

is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# install PACKAGE...: installs those that are missing; fails when it cannot.
install() {
  local missing=() p
  for p in "$@"; do is_installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: please install: ${missing[*]}" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  # Waits for another apt or dpkg run to finish instead of failing at once.
  apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

add_i386_architecture() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: please enable Debian's i386 architecture: sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
    return 1
  fi
  echo "bootstrap: adding the i386 architecture (multiarch)"
  dpkg --add-architecture i386
  updated=0
}

binfmt=/proc/sys/fs/binfmt_misc
# i386 ELF executables (ET_EXEC and ET_DYN), as Debian's qemu-user-binfmt
# describes them. F: the kernel opens the emulator once, at registration, so
# it is found from any mount namespace or chroot.
qemu_i386_rule=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F'

register_emulator() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: this kernel does not run 32-bit x86 programs; as root, run scripts/bootstrap.sh to register Debian's qemu-i386 for them" >&2
    return 1
  fi
  install qemu-user || return 1
  if ! mountpoint -q "$binfmt"; then
    mount -t binfmt_misc binfmt_misc "$binfmt" || { echo "bootstrap: cannot mount $binfmt" >&2; return 1; }
  fi
  # A stale entry of that name (its emulator gone, or disabled) is replaced.
  [ -e "$binfmt/qemu-i386" ] && echo -1 >"$binfmt/qemu-i386"
  echo "bootstrap: registering /usr/bin/qemu-i386 for i386 programs (binfmt_misc)"
  printf '%s' "$qemu_i386_rule" >"$binfmt/register" || { echo "bootstrap: binfmt_misc refused the registration" >&2; return 1; }
}

install "${packages[@]}" || exit 1

mode=$(scripts/i386_probe.sh)
if [ "$mode" = none ]; then
  register_emulator || exit 1
  mode=$(scripts/i386_probe.sh)
  if [ "$mode" = none ]; then
    echo "bootstrap: 32-bit programs still do not run after registering qemu-i386" >&2
    exit 1
  fi
fi

# Compressed sound in the movie runtime: Debian's i386 libavcodec through
# multiarch. Without it the build still completes and the runtime decodes PCM
# only (CMake says so), so an unreachable i386 index does not stop the build.
if add_i386_architecture; then
  install libavcodec-dev:i386 ||
    echo "bootstrap: could not install libavcodec-dev:i386; the runtime will decode PCM only (no compressed sound)" >&2
  # Compressed movie atoms ('cmov') are inflated with the i386 zlib.
  install zlib1g-dev:i386 ||
    echo "bootstrap: could not install zlib1g-dev:i386; the runtime will refuse" \
         "compressed movie atoms" >&2
else
  echo "bootstrap: no i386 architecture; the runtime will decode PCM only (no compressed sound)" >&2
fi

if [ $want_ffmpeg_i386 -eq 1 ]; then
  add_i386_architecture || exit 1
  apt_update
  # ffmpeg's own dependencies, for the i386 architecture (Multi-Arch: same).
  deps=$(apt-cache depends --no-recommends --no-suggests --no-conflicts --no-breaks \
           --no-replaces --no-enhances ffmpeg:i386 2>/dev/null |
         sed -n 's/^ *Depends: \([^<][^ ]*\).*/\1/p' | sed 's/:i386$//' | sort -u)
  if [ -z "$deps" ]; then
    echo "bootstrap: the i386 package index has no ffmpeg; the benchmarks will not compare with it" >&2
  else
    # shellcheck disable=SC2046
    install $(printf '%s:i386 ' $deps) ||
      echo "bootstrap: could not install ffmpeg's i386 libraries; the benchmarks will not compare with it" >&2
  fi
fi

if [ $want_wine -eq 1 ]; then
  if [ "$mode" != native ]; then
    echo "bootstrap: 32-bit x86 code does not run natively here ($mode); wine's WoW64 needs the CPU's 32-bit mode, so wine is not set up"
  else
    # wine64 alone (its new WoW64 mode) runs 32-bit programs with wine's
    # 32-bit DLLs that wine_setup.sh unpacks: installing wine32:i386 instead
    # would bring a hundred packages and upgrade the machine's own.
    install g++-mingw-w64-i686 wine wine64 || exit 1
    add_i386_architecture || exit 1
    apt-cache show libwine:i386 >/dev/null 2>&1 || apt_update
    build_win=${BUILD_WIN:-build-windows}
    scripts/wine_setup.sh "$build_win/wine" "$build_win/bin" || exit 1
  fi
fi
exit 0
