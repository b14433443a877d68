#!/usr/bin/env bash
# Where the Windows plug-in finds QuickTime.qts, under wine: through the
# registry's QTSysDir, through the system folder when the registry names
# none, and nowhere without either, where the import fails with -2095 (the
# runtime is not available). Changes the build's wine prefix while it runs
# and puts it back; nothing else may use the prefix meanwhile.
# Usage: scripts/windows_loader_check.sh BUILD_WIN MOVIE
set -u
if [ $# -ne 2 ]; then
  echo "usage: scripts/windows_loader_check.sh BUILD_WIN MOVIE" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
movie=$2
run=$build/wine/run
bin=$build/bin
# A 32-bit program's system folder under WoW64.
system_copy=$build/wine/prefix/drive_c/windows/syswow64/QuickTime.qts
key='HKLM\Software\Apple Computer, Inc.\QuickTime'
failed=0

# expect WHAT STATUS TEXT: imports the movie; the exit status must be STATUS
# and standard error must hold TEXT (when not empty).
expect() {
  local what=$1 status=$2 text=$3 out err got
  err=$(mktemp)
  out=$("$run" "$bin/ruv-import.exe" "$movie" 2>"$err")
  got=$?
  if [ $got -ne "$status" ] || { [ -n "$text" ] && ! grep -qF -- "$text" "$err"; } ||
     { [ "$status" -eq 0 ] && ! printf '%s' "$out" | grep -q 'status: code'; }; then
    echo "loader check: $what: expected exit status $status${text:+ and \"$text\"}, got $got: $(head -n 1 "$err")"
    failed=1
  else
    echo "loader check: $what: as expected"
  fi
  rm -f "$err"
}

registry() { "$run" reg "$@" /reg:32 /f >/dev/null 2>&1; }
put_back() {
  rm -f "$system_copy"
  registry add "$key" /v QTSysDir /t REG_SZ /d "Z:$(printf '%s' "$bin" | tr / '\\')\\"
}
trap put_back EXIT

rm -f "$system_copy"
expect "runtime named by QTSysDir" 0 ""
registry delete "$key" /v QTSysDir
expect "neither QTSysDir nor the system folder" 1 "-2095"
cp "$bin/QuickTime.qts" "$system_copy"
expect "runtime in the system folder" 0 ""
exit $failed
