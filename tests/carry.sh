#!/usr/bin/env bash
# The player's records carried by the real program from one user's folders
# to another's and back (zunk --export, zunk --import): the table and each
# row's replay arrive and replay to their scores, the games left and the
# settings come along, the same file brings nothing the second time, and a
# damaged file is refused with its reason, changing nothing.
#   carry.sh <zunk executable> <stored replays folder>
set -u
zunk=$1
replays=$2
here=$(cd "$(dirname "$0")" && pwd)
suite=carry
source "$here/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset XDG_DATA_HOME XDG_CONFIG_HOME

# as <user> <command...>: the program run as a user whose home is $work/<user>.
as() {
  local user=$1
  shift
  HOME="$work/$user" "$@" >"$work/out" 2>&1
}
said() { grep -q -- "$1" "$work/out" || { echo "not said: $1"; cat "$work/out"; return 1; }; }
kept() { echo "$work/$1/.local/share/zunk"; }
# Every kept file of a user and its contents' sum, for "nothing changed".
sums() { (cd "$work/$1" && find . -type f ! -name zunk.lock -print0 | sort -z | xargs -0 -r sha256sum); }
# The table as --import's reader keeps it: ten numbers.
table() { od -An -v -t d4 -w40 "$(kept "$1")/thescores" | tr -s ' ' | sed 's/^ //'; }

# The first user's records: a table whose rows have their games, a game
# left unfinished, the music switched off.
mkdir -p "$(kept one)" "$work/one/.config/zunk"
python3 - "$(kept one)" <<'PY'
import struct, sys
folder = sys.argv[1]
open(folder + "/thescores", "wb").write(struct.pack("<10i", 169, 38, 30, 27, 25, 20, 19, 18, 15, 10))
open(folder + "/thescores.replays", "w").write(
    "169 replay-1-169.zunkreplay\n38 replay-1-38.zunkreplay\n30 -\n27 replay-1-27.zunkreplay\n")
PY
cp "$replays/ended-every-bonus-169.zunkreplay" "$(kept one)/replay-1-169.zunkreplay"
cp "$replays/continued-38.zunkreplay" "$(kept one)/replay-1-38.zunkreplay"
cp "$replays/ended-27.zunkreplay" "$(kept one)/replay-1-27.zunkreplay"
cp "$replays/unfinished-2.zunkreplay" "$(kept one)/unfinished.zunkreplay"
printf '[zunk]\nmusic=off\nsounds=on\nfullscreen=off\nscale=2\n' >"$work/one/.config/zunk/settings.ini"

exported() { as one "$zunk" --export "$work/records.zunkrecords" && said "3 rows with their replays" && [ -s "$work/records.zunkrecords" ]; }
check "--export writes the records" exported

# The second user has a game of their own.
mkdir -p "$(kept two)"
python3 - "$(kept two)" <<'PY'
import struct, sys
open(sys.argv[1] + "/thescores", "wb").write(struct.pack("<10i", 34, 30, 25, 20, 19, 18, 15, 10, 9, 8))
open(sys.argv[1] + "/thescores.replays", "w").write("34 replay-2-34.zunkreplay\n")
PY
cp "$replays/ended-keys-pause-34.zunkreplay" "$(kept two)/replay-2-34.zunkreplay"
imported() {
  as two "$zunk" --import "$work/records.zunkrecords" && said "imported: 3 new scores" &&
    [ "$(table two)" = "169 38 34 30 27 25 20 19 18 15" ] || { table two; return 1; }
  # Each row's replay plays to its score, the game left is there, and the
  # settings (none kept here) came: the music's switch, not the window's size.
  for score in 169 38 34 27; do
    local file
    file=$(grep "^$score " "$(kept two)/thescores.replays" | cut -d' ' -f2)
    as two "$zunk" --replay-check "$(kept two)/$file" && said "^score $score$" || return 1
  done
  [ -f "$(kept two)/unfinished.zunkreplay" ] && grep -q '^music=off' "$work/two/.config/zunk/settings.ini" &&
    grep -q '^scale=0' "$work/two/.config/zunk/settings.ini"
}
check "--import merges them into another user's" imported

again() {
  local before
  before=$(sums two)
  as two "$zunk" --import "$work/records.zunkrecords" && said "nothing new to import" && [ "$(sums two)" = "$before" ]
}
check "the same file imported again changes nothing" again

back() {
  as two "$zunk" --export "$work/back.zunkrecords" && as one "$zunk" --import "$work/back.zunkrecords" &&
    said "imported: 1 new score" && [ "$(table one)" = "$(table two)" ]
}
check "the other's records taken back" back

damaged() {
  local before
  before=$(sums two)
  cp "$work/back.zunkrecords" "$work/damaged.zunkrecords"
  printf 'X' | dd of="$work/damaged.zunkrecords" bs=1 seek=200 conv=notrunc 2>/dev/null
  ! as two "$zunk" --import "$work/damaged.zunkrecords" && said "not imported, nothing changed: damaged" &&
    [ "$(sums two)" = "$before" ] || return 1
  head -c 100 "$work/back.zunkrecords" >"$work/short.zunkrecords"
  ! as two "$zunk" --import "$work/short.zunkrecords" && said "cut short" && [ "$(sums two)" = "$before" ]
}
check "a damaged file is refused and changes nothing" damaged

tally
