#!/usr/bin/env bash
# The variables the game's code keeps outside any value: objects of static
# storage that can change (in .data or .bss, so no constant, and no
# function), from the compiled libraries, one line each: the library, the
# object file, "shared" (other files may name it) or "file" (its own file's,
# a function's static included), and its name; then a count for each kind.
#   globals.sh NM LIBRARY...
# With --check, none may be there but those listed below, each for its
# reason: everything else the program keeps between frames is the shell's
# value (Shell, game/shell/zunk.h), or a value of its own that the shell holds.
#   globals.sh --check NM LIBRARY...
set -euo pipefail
check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
nm=$1
shift

# What may stay, and why.
allowed=(
  # The engine's frame loop and hiding and display-lost hooks carry nothing
  # of ours: the shell running, for them.
  'libzunk_game zunk.cpp.o file (anonymous namespace)::running'
  # rand() keeps its state in the C library, for the whole process: the
  # arrays its position is read and set through.
  'libzunk_play recording.cpp.o file randomPosition()::other'
  'libzunk_play recording.cpp.o file setRandomPosition(std::array<unsigned char, 128ul> const&)::kept'
  'libzunk_play recording.cpp.o file setRandomPosition(std::array<unsigned char, 128ul> const&)::next'
  # The player's words, read once.
  'libzunk_shared playerwords.cpp.o file playerCatalogue()::chosen'
  'libzunk_shared playerwords.cpp.o file playerCatalogue()::words'
  # The host told of every file kept, and the process's lock on a folder
  # while it changes the files kept there (one a process, as flock's is).
  'libzunk_shared storage.cpp.o file (anonymous namespace)::filesChanged'
  'libzunk_shared storage.cpp.o file (anonymous namespace)::gDepth'
  'libzunk_shared storage.cpp.o file (anonymous namespace)::gHostLock'
  'libzunk_shared storage.cpp.o file (anonymous namespace)::gLockFd'
  'libzunk_shared storage.cpp.o file (anonymous namespace)::gLockedFolder'
)

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
unexpected=$(printf '%s\n' "$list" | sed '/^$/d' | grep -vxF -f <(printf '%s\n' "${allowed[@]}") || true)
if [ -n "$unexpected" ]; then
  echo "FAIL: state kept outside the shell's value (make it a field of a value the shell holds, or list it here with its reason):" >&2
  printf '%s\n' "$unexpected" >&2
  exit 1
fi
echo "nothing but the listed is kept outside the shell's value"
