#!/usr/bin/env bash
# The variables the game's code keeps outside any value: objects of static
# storage that can change (in .data or .bss, so no constant, and no
# function), from the compiled libraries, one line each: the library, the
# object file, "shared" (other files may name it) or "file" (its own file's,
# a function's static included), and its name; then a count for each kind.
#   globals.sh NM LIBRARY...
# With --check, the shell's and the screens' libraries (zunk_game,
# zunk_screens) must hold none but the one pointer through which the
# engine's callbacks, which carry nothing of ours, reach the shell running:
# everything else the program keeps between frames is the shell's value.
#   globals.sh --check NM LIBRARY...
set -euo pipefail
check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
nm=$1
shift
# What sanitizers and coverage add is theirs, not the game's.
tooling='asan|sancov|ubsan|__llvm|__prof|DW\.ref|guard variable'
list=$(for lib in "$@"; do
  "$nm" -C --defined-only -f sysv "$lib" | awk -F'|' -v lib="$(basename "$lib" .a)" -v tooling="$tooling" '
    /^Symbols from/ { object = $0; sub(/.*\[/, "", object); sub(/\].*/, "", object) }
    $7 ~ /^ *\.(bss|data|tbss|tdata)([. ]|$)/ && $7 !~ /rel\.ro/ && $1 !~ tooling {
      name = $1; gsub(/^ +| +$/, "", name); class = $3; gsub(/ /, "", class)
      print lib, object, (class ~ /^[BDV]$/ ? "shared" : "file"), name
    }' | sort -u
done)
printf '%s\n' "$list" | sed '/^$/d'
echo "shared: $(printf '%s\n' "$list" | grep -c ' shared ' || true)  file: $(printf '%s\n' "$list" | grep -c ' file ' || true)"
[ $check = 1 ] || exit 0
unexpected=$(printf '%s\n' "$list" | grep -E '^(libzunk_game|libzunk_screens) ' |
  grep -v '^libzunk_game zunk\.cpp\.o file (anonymous namespace)::running$' || true)
if [ -n "$unexpected" ]; then
  echo "FAIL: the shell and the screens keep state outside the shell's value:" >&2
  printf '%s\n' "$unexpected" >&2
  exit 1
fi
echo "the shell and the screens keep nothing outside the shell's value"
