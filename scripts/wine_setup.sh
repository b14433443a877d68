#!/usr/bin/env bash
# Makes the wine set-up a Windows build runs its programs in, all under DIR:
#   DIR/dlls     wine's 32-bit Windows DLLs, unpacked from Debian's
#                libwine:i386 of the installed wine64's version (downloaded,
#                never installed: the machine's own packages do not change)
#   DIR/prefix   a wine prefix of the build's own, whose registry names BIN
#                as QuickTime's folder (QTSysDir), as QuickTime's installer
#                does, so that the plug-in finds the QuickTime.qts built there
#   DIR/ready    written once a 32-bit probe program has run in the prefix
# Safe to run again: it redoes only what is missing or of another wine
# version. Debian's wine64 must be installed (scripts/bootstrap.sh wine).
# Usage: scripts/wine_setup.sh DIR BIN
set -u
if [ $# -ne 2 ]; then
  echo "usage: scripts/wine_setup.sh DIR BIN" >&2
  exit 2
fi
mkdir -p "$1" "$2" || exit 1
dir=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
fail() { echo "wine set-up: $*" >&2; exit 1; }

[ -x "$wine64" ] || fail "$wine64 is missing (install Debian's wine and wine64: scripts/bootstrap.sh wine)"
version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || fail "the wine64 package is not installed"
rm -f "$dir/ready"

if [ "$(cat "$dir/dlls.version" 2>/dev/null)" != "$version" ]; then
  echo "wine set-up: unpacking wine's 32-bit DLLs ($version) into $dir/dlls"
  rm -rf "$dir/dlls" "$dir/download" "$dir/dlls.version"
  mkdir -p "$dir/download" "$dir/dlls"
  # apt-get download writes into the current folder; as root its download
  # user cannot write there, which it notes and works around.
  (cd "$dir/download" && apt-get download -q "libwine:i386=$version" 2>&1 | grep -v '^W: Download is performed unsandboxed') ||
    fail "cannot download libwine:i386=$version (is Debian's i386 architecture enabled? scripts/bootstrap.sh enables it)"
  deb=$(ls "$dir"/download/libwine_*_i386.deb 2>/dev/null | head -n 1)
  [ -n "$deb" ] || fail "apt-get download left no libwine_*_i386.deb in $dir/download"
  # Only the PE DLLs: the i386 Unix libraries are of no use to WoW64.
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$dir/dlls" --strip-components=5 \
      ./usr/lib/i386-linux-gnu/wine/i386-windows ||
    fail "cannot unpack $deb"
  rm -rf "$dir/download"
  echo "$version" >"$dir/dlls.version"
fi

export WINEPREFIX="$dir/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLPATH="$dir/dlls"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -s "$dir/prefix/system.reg" ] || [ "$(cat "$dir/prefix.version" 2>/dev/null)" != "$version" ]; then
  echo "wine set-up: making the wine prefix $dir/prefix"
  rm -rf "$dir/prefix"
  "$wine64" wineboot -i >"$dir/wineboot.log" 2>&1
  # The server writes the registry to disk only as it leaves.
  "$wineserver" -w
  [ -s "$dir/prefix/system.reg" ] || fail "wineboot made no prefix (see $dir/wineboot.log)"
  echo "$version" >"$dir/prefix.version"
fi

# The 32-bit view of the registry (Wow6432Node), where a 32-bit program reads.
winbin="Z:$(printf '%s' "$bin" | tr / '\\')\\"
"$wine64" reg add 'HKLM\Software\Apple Computer, Inc.\QuickTime' /v QTSysDir /t REG_SZ \
    /d "$winbin" /reg:32 /f >"$dir/reg.log" 2>&1 ||
  fail "cannot set QTSysDir in the prefix (see $dir/reg.log)"

# Wine answers 0 even when it cannot start a program at all, so only the
# probe's own output tells that 32-bit programs run.
probe="$dir/probe.exe"
if [ ! -s "$probe" ]; then
  printf '#include <stdio.h>\nint main(void) { puts("32-bit program ran"); return 0; }\n' >"$dir/probe.c"
  i686-w64-mingw32-gcc -o "$probe" "$dir/probe.c" ||
    fail "cannot build the probe program (install g++-mingw-w64-i686: scripts/bootstrap.sh windows)"
fi
out=$("$wine64" "$probe" 2>&1 | tr -d '\r')
if ! printf '%s\n' "$out" | grep -qx '32-bit program ran'; then
  fail "wine does not run 32-bit programs here: $(printf '%s' "$out" | grep -v '^$' | head -n 1)"
fi
touch "$dir/ready"
