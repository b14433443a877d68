#!/usr/bin/env bash
# Breaks the code one rule at a time and tells which breakages no test
# notices. Each entry of scripts/mutations.txt names a file, a text that must
# occur in it exactly once, and what to put in its place. The script copies
# the working tree (tracked and new files) into its own folder, so the tree
# itself is never changed, and there, for every entry: applies the change,
# rebuilds incrementally, runs the test programs the entry names first, then
# (when they all pass) every other test program, and puts the file back. An
# entry whose text is not found, or found more than once, is reported as
# stale: the code moved and the entry needs refreshing, which says nothing
# about the tests.
#
# Usage: scripts/mutate.sh [WORD...]
#   WORD...  run only the entries whose title contains one of the words
# Environment:
#   MUTATE_DIR       working folder (default build-mutate): the copy of the
#                    tree in MUTATE_DIR/tree, built in MUTATE_DIR/tree/build
#   MUTATE_TIMEOUT   seconds one test program may run (default 1800)
#   MUTATE_BASELINE  0 skips the run of the unchanged copy
#   MUTATE_JOBS      build jobs (default: the number of processors)
#   MUTATE_LIST      another list of entries (default scripts/mutations.txt)
# Exit status: 0 when every entry was noticed, 1 when some survived or did
# not build, 2 on a usage or set-up error.
set -u
cd "$(dirname "$0")/.."
root=$PWD
list=${MUTATE_LIST:-$root/scripts/mutations.txt}
dir=${MUTATE_DIR:-build-mutate}
case $dir in /*) ;; *) dir=$root/$dir ;; esac
tree=$dir/tree
build=$tree/build
timeout_s=${MUTATE_TIMEOUT:-1800}
jobs=${MUTATE_JOBS:-$(nproc)}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
work=$(mktemp -d)
log=$work/log

# The file being changed in the copy, while a change is applied, and its
# bytes before. Put back, it gets a new time, so that the next build
# compiles it again.
changed=""
restore() {
  if [ -n "$changed" ]; then
    cp "$work/original" "$tree/$changed"
    changed=""
  fi
}
finish() {
  restore
  rm -rf "$work"
}
trap finish EXIT
trap 'echo "mutate: interrupted" >&2; exit 2' INT TERM HUP

# The copy: every tracked or new file of the tree. Only files whose bytes
# differ are copied (and so get a new time), so the rebuild stays
# incremental; files the tree no longer has go.
sync_copy() {
  local f
  git ls-files -co --exclude-standard | while IFS= read -r f; do
    [ -f "$f" ] && echo "$f"
  done | sort -u >"$work/files"
  while IFS= read -r f; do
    if ! cmp -s "$f" "$tree/$f"; then
      mkdir -p "$tree/$(dirname "$f")" && cp "$f" "$tree/$f"
    fi
  done <"$work/files"
  (cd "$tree" && find . -path ./build -prune -o -type f -print | sed 's#^\./##' | sort) >"$work/copied"
  comm -13 "$work/files" "$work/copied" | while IFS= read -r f; do rm -f "$tree/$f"; done
}
mkdir -p "$tree"
sync_copy
# The real movies and their judge lie beside the repository (../shared): the
# copy finds them beside it too.
if [ -d "$root/../shared" ] && [ ! -e "$dir/shared" ]; then
  ln -s "$(cd "$root/../shared" && pwd)" "$dir/shared"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if ! cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-i386.cmake "${launcher[@]}" >"$log" 2>&1; then
  cat "$log" >&2
  echo "mutate: cannot configure $build" >&2
  exit 2
fi

# Every test program, as tests/*/CMakeLists.txt declares them.
mapfile -t all_programs < <(grep -hoE 'ruv_add_test\([A-Za-z0-9_]+' "$tree"/tests/*/CMakeLists.txt |
                            sed 's/ruv_add_test(//' | sort -u)

build_tree() { cmake --build "$build" -j "$jobs" >"$log" 2>&1; }

# run_programs NAME...: runs each test program in the output folder, as ctest
# does; prints the first that fails and answers 1, or answers 0.
run_programs() {
  local program status
  for program in "$@"; do
    [ -x "$build/bin/$program" ] || { echo "no program $program"; return 1; }
    (cd "$build/bin" && timeout "$timeout_s" "./$program" --gtest_brief=1) >"$log" 2>&1
    status=$?
    if [ $status -ne 0 ]; then
      if [ $status -eq 124 ]; then echo "$program (timed out)"; else echo "$program"; fi
      return 1
    fi
  done
  return 0
}

if ! build_tree; then
  tail -30 "$log" >&2
  echo "mutate: the unchanged tree does not build" >&2
  exit 2
fi
# Programs declared for another platform only (Windows) are not built here.
built=()
for program in "${all_programs[@]}"; do
  [ -x "$build/bin/$program" ] && built+=("$program")
done
all_programs=("${built[@]}")
if [ "${MUTATE_BASELINE:-1}" != 0 ]; then
  if ! failing=$(run_programs "${all_programs[@]}"); then
    tail -30 "$log" >&2
    echo "mutate: $failing fails on the unchanged tree" >&2
    exit 2
  fi
fi

# apply FILE: replaces $from by $to in FILE when it occurs exactly once.
apply() {
  python3 - "$1" "$from" "$to" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

filters=("$@")
selected() {
  [ ${#filters[@]} -eq 0 ] && return 0
  local word
  for word in "${filters[@]}"; do
    case $title in *"$word"*) return 0 ;; esac
  done
  return 1
}

survived=() stale=() unbuilt=()
killed=0 total=0

run_entry() {
  [ -n "$title" ] || return 0
  selected || return 0
  total=$((total + 1))
  if [ ! -f "$tree/$file" ]; then
    stale+=("$title ($file: no such file)")
    echo "stale     $title"
    return
  fi
  cp "$tree/$file" "$work/original"
  changed=$file
  if ! apply "$tree/$file"; then
    restore
    stale+=("$title ($file: text not found once)")
    echo "stale     $title"
    return
  fi
  if ! build_tree; then
    restore
    unbuilt+=("$title")
    echo "no build  $title"
    return
  fi
  local by rest=() program
  for program in "${all_programs[@]}"; do
    [[ " ${first[*]} " == *" $program "* ]] || rest+=("$program")
  done
  if by=$(run_programs "${first[@]}") && by=$(run_programs "${rest[@]}"); then
    survived+=("$title")
    echo "SURVIVED  $title"
  else
    killed=$((killed + 1))
    echo "noticed   $title  [$by]"
  fi
  restore
}

# The list: "## title", then "@ file", "> program..." (optional), "- text"
# and "+ replacement" lines; other lines are comments.
title="" file="" from="" to="" first=()
while IFS= read -r line || [ -n "$line" ]; do
  case $line in
    "## "*) run_entry; title=${line#\#\# }; file="" from="" to="" first=() ;;
    "@ "*) file=${line#@ } ;;
    "> "*) read -r -a first <<<"${line#> }" ;;
    "- "*) from=${line#- } ;;
    "+ "*) to=${line#+ } ;;
    "+") to="" ;;
  esac
done <"$list"
run_entry

echo
echo "mutate: $total changes, $killed noticed, ${#survived[@]} survived, ${#stale[@]} stale, ${#unbuilt[@]} did not build"
for t in "${survived[@]}"; do echo "  survived:       $t"; done
for t in "${unbuilt[@]}"; do echo "  did not build:  $t"; done
for t in "${stale[@]}"; do echo "  stale:          $t"; done
[ ${#survived[@]} -eq 0 ] && [ ${#unbuilt[@]} -eq 0 ]
