#!/usr/bin/env bash
# Tells how this machine runs 32-bit x86 programs, by building and running a
# tiny -m32 probe. Prints one word:
#   native    the kernel executes i386 programs itself
#   emulated  a user-mode emulator registered with binfmt_misc runs them
#   none      they cannot run here (or the probe cannot be built: see stderr)
# Under the emulator, uname() inside the program answers the emulated CPU
# (i686) while the kernel is x86_64; natively both answer the kernel's.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/probe.c" <<'C'
#include <stdio.h>
#include <sys/utsname.h>
int main(void) {
    struct utsname u;
    if (uname(&u) != 0) return 1;
    puts(u.machine);
    return 0;
}
C
if ! gcc -m32 -o "$work/probe" "$work/probe.c" 2>"$work/cc.log"; then
  echo "i386 probe: gcc -m32 cannot build a program (is g++-multilib installed?):" >&2
  head -n 3 "$work/cc.log" >&2
  echo none
  exit 0
fi
inside=$("$work/probe" 2>/dev/null) || { echo none; exit 0; }
if [ "$inside" = "$(uname -m)" ]; then echo native; else echo emulated; fi
