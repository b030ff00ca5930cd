#!/usr/bin/env bash
# The real program given hostile files where it reads its own: it refuses
# them with one line and the status it promises, and never waits on them.
#   hostile.sh <zunk executable>
# (A damaged sprite sheet, which needs a window, is one of endtoend.sh's.)
set -u
zunk=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
suite=hostile
source "$here/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run <expected status> <command...>: the command's output in $work/out; a
# command that hangs (on a pipe, say) is ended at the deadline and fails.
run() {
  local expected=$1 pid status
  shift
  "$@" >"$work/out" 2>&1 &
  pid=$!
  if ! wait_until "$patience" exited $pid; then
    kill -9 $pid
    wait $pid 2>/dev/null
    echo "still running after $patience s"
    return 1
  fi
  wait $pid
  status=$?
  [ $status -eq "$expected" ] || { echo "status $status, not $expected"; cat "$work/out"; return 1; }
}
said() { grep -q -- "$1" "$work/out" || { echo "not said: $1"; cat "$work/out"; return 1; }; }
lines() { [ "$(wc -l <"$work/out")" -eq "$1" ] || { echo "not $1 line(s):"; cat "$work/out"; return 1; }; }

# What can lie where a replay is expected.
mkfifo "$work/pipe.zunkreplay"
mkdir "$work/folder.zunkreplay"
truncate -s 1536M "$work/huge.zunkreplay"
replay_refused() { run 1 "$zunk" --replay-check "$1" && said "$2" && lines 1; }
check "--replay-check of a pipe" replay_refused "$work/pipe.zunkreplay" "not a regular file"
check "--replay-check of a device" replay_refused /dev/zero "not a regular file"
check "--replay-check of a folder" replay_refused "$work/folder.zunkreplay" "not a regular file"
check "--replay-check of a huge file" replay_refused "$work/huge.zunkreplay" "too large"

# What can lie where a records file is expected to be imported: refused
# in one line, and nothing kept is touched.
import_refused() { HOME="$work/home" XDG_DATA_HOME= XDG_CONFIG_HOME= run 1 "$zunk" --import "$1" && said "not imported, nothing changed: $2" && lines 1; }
check "--import of a pipe" import_refused "$work/pipe.zunkreplay" "not a regular file"
check "--import of a device" import_refused /dev/zero "not a regular file"
check "--import of a folder" import_refused "$work/folder.zunkreplay" "not a regular file"
check "--import of a huge file" import_refused "$work/huge.zunkreplay" "too large"

# --help reads the player's catalogue: a pipe in its place is passed over,
# said once, and the text comes in English.
mkdir -p "$work/program/locale/fr/LC_MESSAGES"
cp "$zunk" "$work/program/zunk"
mkfifo "$work/program/locale/fr/LC_MESSAGES/zunk.mo"
help_in_english() { LANGUAGE=fr LANG=C.UTF-8 run 0 "$work/program/zunk" --help && said "^Usage: zunk" && said "zunk.mo: not a regular file"; }
check "--help with a pipe for its catalogue" help_in_english

tally
