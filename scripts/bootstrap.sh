#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# Usage: scripts/bootstrap.sh [windows] [fuzz]
set -u
packages=(g++-multilib cmake ninja-build googletest make)
for extra in "$@"; do
  case $extra in
    windows) packages+=(g++-mingw-w64-i686) ;;
    # clang and its runtimes; libclang-rt-dev brings the libclang-rt-N-dev
    # matching the default clang, which holds libclang_rt.fuzzer-i386.a and
    # the 32-bit sanitizer runtimes.
    fuzz) packages+=(clang libclang-rt-dev) ;;
    *) echo "bootstrap: unknown argument: $extra (expected windows or fuzz)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: please install: ${missing[*]}" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# An index that fails for one architecture does not stop us: the install below
# tells whether what we need is there.
apt-get update -q || echo "bootstrap: apt-get update reported errors; trying the install anyway" >&2
apt-get install -y -q --no-install-recommends "${missing[@]}"
