#!/usr/bin/env bash
# Two programs saving the same kept file over and over, each with the
# game's own save, while a third reads it: no save fails, and the reader
# never finds the file missing, short or empty.
#   saves.sh <keptfiles helper>     (ZUNK_SAVES saves each, 10000 by default)
set -u
keptfiles=$1
count=${ZUNK_SAVES:-10000}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
suite=saves
source "$here/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$keptfiles" save "$work/thescores" 1 >/dev/null
"$keptfiles" read "$work/thescores" "$work/stop" >"$work/reader" 2>&1 &
reader=$!
"$keptfiles" save "$work/thescores" "$count" >"$work/a" 2>&1 &
a=$!
"$keptfiles" save "$work/thescores" "$count" >"$work/b" 2>&1 &
b=$!
wait $a
sa=$?
wait $b
sb=$?
touch "$work/stop"
wait $reader
sr=$?
echo "saves: first: $(cat "$work/a")"
echo "saves: second: $(cat "$work/b")"
echo "saves: reader: $(cat "$work/reader")"
count $sa
count $sb
count $sr
# Nothing is left behind: only the file itself.
check "temporary files left" test "$(ls "$work" | grep -cv '^\(thescores\|a\|b\|reader\|stop\)$')" = 0
tally
