#!/usr/bin/env bash
# What the player keeps, through the real program (installed in a scratch
# prefix, run as a player runs it) on real X servers, driven by real X input:
# kept whatever happens after GAME OVER, by two copies of the game on one
# folder, through links, with no user folder, on a full disk, on a signal or
# a lost display. The installed files are the same at the end as at the
# start: the game never writes there.
#   records.sh <build folder> <keptfiles helper> <closewindow helper>
# ZUNK_ROUNDS: the rounds killed after GAME OVER (30); ZUNK_SCENARIOS: the
# scenarios to run (all). Games near their end are made by the helper, and
# continued: a few seconds each to GAME OVER.
set -u
build=$1
keptfiles=$2
closewindow=$3
rounds=${ZUNK_ROUNDS:-30}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
source "$here/xserver.sh"
suite=records
root=$(mktemp -d)
chmod 755 "$root"
prefix=$root/usr
program=$prefix/bin/zunk
datadir=$prefix/share/zunk
pids=()
servers=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  for p in "${servers[@]}"; do kill "$p" 2>/dev/null; done
  if mountpoint -q "$root/full" 2>/dev/null; then umount "$root/full"; fi
  rm -rf "$root"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "records: cmake --install failed"; echo "0 passed, 1 failed"; exit 1; }
installed_sums() { (cd "$prefix" && find . -type f -o -type l | sort | xargs sha256sum; find . | sort) | sha256sum; }
before=$(installed_sums)

# ---- the game on its X servers -----------------------------------------------

# A display per copy of the game: new_display sets $display (and DISPLAY).
new_display() {
  server=
  start_x 1024x768
  servers+=("$server")
  display=$DISPLAY
}
# The game's area on a 1024 by 768 screen: its window at the game's size, centred.
ox=352 oy=144
sx() { echo $((ox + $1)); }
sy() { echo $((oy + $1)); }
at() { xdotool mousemove "$(sx "$1")" "$(sy "$2")"; }
colour() { grep -o '#[0-9A-F]\{6\}' | tail -1; }
pixel() { import -window root -crop 1x1+$(sx "$1")+$(sy "$2") -depth 8 txt:- 2>/dev/null | colour; }
sheet() { convert "$datadir/zunk.png" -crop 1x1+$1+$2 -depth 8 txt:- | colour; }
menu=$(sheet 340 20)
play=$(sheet 645 300)
panel=$(sheet 630 589) # the upper half of CONTINUE | NEW GAME
on_menu() { [ "$(pixel 20 20)" = "$menu" ]; }
on_play() { [ "$(pixel 5 300)" = "$play" ]; }
on_resume() { [ "$(pixel 160 207)" = "$panel" ]; }
veiled() { [ "$(pixel 20 20)" != "$menu" ]; }
paused() { ! on_play && ! on_menu && ! on_resume; }
red() { [ "$(import -window root -crop 200x1+$(sx "$1")+$(sy "$2") -depth 8 txt:- | grep -c '#[A-F].[0-5].[0-5].')" -gt 120 ]; }
game_over() { red 60 97 && red 60 180; }
# The game's whole area, to see that play has gone on since it was taken.
screen() { import -window root -crop 320x480+$ox+$oy -depth 8 txt:- 2>/dev/null | md5sum; }
moved_since() { [ "$(screen)" != "$1" ]; }
played_on() { # some play to keep: the screen moved on (the feeder line fills)
  local shown
  shown=$(screen)
  wait_until "$patience" moved_since "$shown" || { echo "the game did not move"; return 1; }
}
# The notice of what could not be kept, over the play: its strip, and all of
# it as the kept frame shows "High scores not kept: disk full".
strip=$(convert "$here/frames/notkept.png" -crop 1x1+2+12 -depth 8 txt:- | colour)
notice_over_play() { [ "$(pixel 2 12)" = "$strip" ] && [ "$(pixel 317 26)" = "$strip" ]; }
notice_over_menu() { [ "$(pixel 2 41)" = "$strip" ] && [ "$(pixel 317 55)" = "$strip" ]; }
notice_reads_disk_full() {
  import -window root -crop 320x18+$ox+$((oy + 11)) +repage "$work/strip.png" 2>/dev/null &&
    convert "$here/frames/notkept.png" -crop 320x18+0+11 +repage "$work/kept-strip.png" &&
    [ "$(compare -metric AE "$work/strip.png" "$work/kept-strip.png" null: 2>&1)" = 0 ]
}
hold_until() { # <x> <y> <command...>: the button held there until it holds
  at "$1" "$2"
  shift 2
  xdotool mousedown 1
  wait_until "$patience" "$@"
  local status=$?
  xdotool mouseup 1
  return $status
}

# launch <name> [-u VAR | VAR=value]...: the installed game, started from /
# with the scenario's folders (unless the arguments say otherwise), on
# $display; its process in $gpid, its window in $wid, its words in
# $work/<name>.err.
launch() {
  local name=$1 attempt unset=() set=()
  shift
  while [ $# -gt 0 ]; do
    if [ "$1" = -u ]; then unset+=(-u "$2"); shift 2; else set+=("$1"); shift; fi
  done
  local defaults=() d
  for d in HOME="$work/home" XDG_DATA_HOME="$work/user"; do
    [[ " ${unset[*]} " == *" ${d%%=*} "* ]] || defaults+=("$d")
  done
  for attempt in 1 2 3; do
    (cd / && exec env -u LANGUAGE -u LC_ALL -u LC_MESSAGES "${unset[@]}" LANG=C.UTF-8 SDL_AUDIODRIVER=dummy \
      K_MESSAGES_TO_STDERR=1 DISPLAY="$display" XDG_CONFIG_HOME="$work/config" "${defaults[@]}" "${set[@]}" \
      "$program" 2>"$work/$name.err") &
    gpid=$!
    pids+=("$gpid")
    wait_until "$patience" window_or_exit
    # A loaded X server now and then refuses a first connection: again.
    has_window || ! grep -q "no display could be reached" "$work/$name.err" || [ $attempt = 3 ] && break
    wait "$gpid" 2>/dev/null
  done
  has_window || { echo "no window for $name: $(cat "$work/$name.err")"; return 1; }
  xdotool windowfocus "$wid"
}
has_window() { wid=$(DISPLAY=$display xdotool search --pid "$gpid" --name '^Zunk$' 2>/dev/null | head -1); [ -n "$wid" ]; }
window_or_exit() { has_window || exited "$gpid"; }
# ended <pid> <status>: waits for the end and checks its status.
ended() {
  wait_until "$patience" exited "$1" || { echo "still running"; return 1; }
  wait "$1"
  local status=$?
  [ "$status" = "$2" ] || { echo "exit status $status, not $2"; return 1; }
}
quit() { # Ctrl+Q, and the status it ends with
  local pid=$gpid
  DISPLAY=$display hold_keys_until "ctrl q" exited "$pid"
  ended "$pid" "${1:-0}"
}

# A game near its end kept to continue, and a table any score enters.
nearly_over() { # <folder> <seed> [name]: its score in $score
  mkdir -p "$1"
  score=$("$keptfiles" nearly-over "$1/${3:-unfinished.zunkreplay}" "$2" 150) || return 1
}
zero_table() { mkdir -p "$1" && head -c 40 /dev/zero >"$1/thescores"; }
# On the menu, PLAY offers the game, CONTINUE (Return) takes it up paused,
# P plays on: GAME OVER comes within seconds.
continue_to_game_over() {
  export DISPLAY=$display
  at 300 300
  wait_until "$patience" on_menu || { echo "no menu"; return 1; }
  hold_until 100 150 on_resume || { echo "PLAY did not offer to continue"; return 1; }
  hold_keys_until Return paused || { echo "CONTINUE did not take the game up"; return 1; }
  hold_keys_until p on_play || { echo "P did not play on"; return 1; }
  wait_until "$patience" game_over || { echo "no GAME OVER"; return 1; }
}
# scores_kept <folder> <count>: the table holds that many scores (above the
# zeros it started with), each with a replay its row links that plays back
# to it; the scores in $scores.
scores_kept() {
  local folder=$1 s file found
  scores=$("$keptfiles" table "$folder/thescores" | grep -vx 0 | tr '\n' ' ')
  [ "$(echo $scores | wc -w)" = "$2" ] || { echo "not $2 scores in the table: $("$keptfiles" table "$folder/thescores" | tr '\n' ' ')"; return 1; }
  for s in $scores; do
    found=
    for file in $(awk -v s="$s" '$1 == s && $2 != "-" { print $2 }' "$folder/thescores.replays" 2>/dev/null); do
      [ "$("$program" --replay-check "$folder/$file" 2>&1 | tail -n 1)" = "score $s" ] && found=1
    done
    [ -n "$found" ] || { echo "no replay of $s is linked: $(tr '\n' ' ' <"$folder/thescores.replays" 2>/dev/null)"; return 1; }
  done
}

new_scenario() { work=$root/$1; mkdir -p "$work/home"; }
end_scenario() {
  local p
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  pids=()
  for p in "${servers[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  servers=()
}

# ---- the scenarios ------------------------------------------------------------

# Killed (kill -9) at a random moment after GAME OVER shows: the score is in
# the table with its replay, every round; and the next start keeps them.
scenario_killed_after_game_over() {
  local round kept=0
  new_scenario killed
  new_display
  for round in $(seq 1 "$rounds"); do
    rm -rf "$work/user"
    zero_table "$work/user/zunk"
    nearly_over "$work/user/zunk" "$round" || { echo "no game near its end"; return 1; }
    launch "round$round" || return 1
    continue_to_game_over || return 1
    sleep "0.$(printf %03d $((RANDOM % 1000)))" # the moment of the kill, at random
    kill -9 "$gpid"
    wait "$gpid" 2>/dev/null
    scores_kept "$work/user/zunk" 1 || { echo "round $round: the score was lost"; return 1; }
    kept=$((kept + 1))
  done
  echo "records: $kept of $rounds rounds killed after GAME OVER kept the score with its replay"
  # The next start tidies the folder and keeps them.
  launch next || return 1
  wait_until "$patience" on_menu || { echo "no menu at the next start"; return 1; }
  quit || return 1
  scores_kept "$work/user/zunk" 1
}

# Two copies of the game on one folder, each on its own display: each
# continues a game of its own (a game is offered to one copy only), both
# reach GAME OVER; quit or killed in either order, both scores and both
# replays are kept.
two_copies_score() { # <how A ends> <how B ends>: quit or kill
  new_scenario "two-$1-$2"
  local folder=$work/user/zunk a b
  zero_table "$folder"
  nearly_over "$folder" 11 unfinished.zunkreplay || return 1
  nearly_over "$folder" 12 unfinished-2.zunkreplay || return 1
  new_display
  launch A || return 1
  a=$gpid
  local da=$display
  continue_to_game_over || return 1
  new_display
  launch B || return 1
  b=$gpid
  local db=$display
  continue_to_game_over || return 1
  # Each ends as the scenario says, A first.
  local who pid d how
  for who in A B; do
    [ $who = A ] && pid=$a d=$da how=$1 || pid=$b d=$db how=$2
    if [ "$how" = kill ]; then
      kill -9 "$pid"
      wait "$pid" 2>/dev/null
    else
      gpid=$pid display=$d quit || return 1
    fi
  done
  scores_kept "$folder" 2 || return 1
  # Each played one of the two games: none is left.
  [ -z "$(ls "$folder" | grep '^unfinished')" ] || { echo "a game was continued twice: $(ls "$folder")"; return 1; }
}
scenario_two_copies_quit_in_order() { two_copies_score quit quit; }
scenario_two_copies_killed_first() { two_copies_score kill quit; }
scenario_two_copies_killed_second() { two_copies_score quit kill; }

# Two copies each leave a game by the menu zone: two games kept, neither
# written over; killed or quit, both stay, and each replays.
scenario_two_copies_leave_games() {
  new_scenario two-left
  local folder=$work/user/zunk a b da db
  new_display
  da=$display
  launch A || return 1
  a=$gpid
  new_display
  db=$display
  launch B || return 1
  b=$gpid
  local d
  for d in $da $db; do
    display=$d
    export DISPLAY=$d
    at 300 300
    wait_until "$patience" on_menu || { echo "no menu"; return 1; }
    hold_until 100 150 on_play || { echo "PLAY did not start a game"; return 1; }
    at 300 300
  done
  for d in $da $db; do
    display=$d
    export DISPLAY=$d
    played_on || return 1
    hold_until 270 465 on_menu || { echo "the menu zone did not leave the game"; return 1; }
  done
  local games
  games=$(ls "$folder" | grep -c '^unfinished.*\.zunkreplay$')
  [ "$games" = 2 ] || { echo "$games games kept, not 2: $(ls "$folder")"; return 1; }
  # One game on offer: PLAY on A takes it; PLAY on B is offered the other.
  display=$da DISPLAY=$da hold_until 100 150 on_resume || { echo "A was not offered a game"; return 1; }
  display=$db DISPLAY=$db hold_until 100 150 on_resume || { echo "B was not offered the other game"; return 1; }
  kill -9 "$a"
  wait "$a" 2>/dev/null
  gpid=$b display=$db quit || return 1
  local f
  for f in $(ls "$folder" | grep '^unfinished.*\.zunkreplay$'); do
    "$program" --replay-check "$folder/$f" >/dev/null 2>&1 || { echo "$f does not replay"; return 1; }
  done
  [ "$(ls "$folder" | grep -c '^unfinished.*\.zunkreplay$')" = 2 ] || { echo "a kept game was lost: $(ls "$folder")"; return 1; }
  # A single game kept is offered to one copy only: the other starts anew.
  rm -f "$folder"/unfinished-*.zunkreplay
  new_display
  da=$display
  launch A2 || return 1
  new_display
  db=$display
  launch B2 || return 1
  display=$da DISPLAY=$da at 300 300
  DISPLAY=$da wait_until "$patience" on_menu && display=$da DISPLAY=$da hold_until 100 150 on_resume ||
    { echo "the kept game was not offered"; return 1; }
  display=$db DISPLAY=$db at 300 300
  DISPLAY=$db wait_until "$patience" on_menu && display=$db DISPLAY=$db hold_until 100 150 on_play ||
    { echo "the game claimed by the other copy was offered again"; return 1; }
}

# A game in progress, ended by SIGHUP (its terminal closed), or by its X
# connection broken, or its window destroyed under it: kept, and CONTINUE
# is offered at the next start.
ended_mid_game() { # <how>: hup, kill (the connection), destroy (the window)
  new_scenario "mid-$1"
  new_display
  launch first || return 1
  export DISPLAY=$display
  at 300 300
  wait_until "$patience" on_menu || { echo "no menu"; return 1; }
  hold_until 100 150 on_play || { echo "PLAY did not start a game"; return 1; }
  at 300 300
  played_on || return 1
  local pid=$gpid status=0
  case $1 in
  hup) kill -HUP "$pid" ;;
  kill) "$closewindow" --kill "$wid" ;;
  destroy) "$closewindow" --destroy "$wid" ;;
  esac
  ended "$pid" 0 || { cat "$work/first.err"; return 1; }
  [ -f "$work/user/zunk/unfinished.zunkreplay" ] || { echo "the game was not kept: $(cat "$work/first.err")"; return 1; }
  launch second || return 1
  at 300 300
  wait_until "$patience" on_menu || { echo "no menu at the next start"; return 1; }
  hold_until 100 150 on_resume || { echo "CONTINUE was not offered"; return 1; }
  quit
}
scenario_sighup_mid_game() { ended_mid_game hup; }
scenario_x_connection_killed_mid_game() { ended_mid_game kill; }
scenario_window_destroyed_mid_game() { ended_mid_game destroy; }

# Links: a table that is a link is written where it leads, the link kept;
# one that leads nowhere gets a new table there once the player scores; one
# whose folder is gone (a drive not mounted) is not replaced: the score is
# not kept, said on the screen, exit status 1, and the old table is read
# again once the drive is back.
scenario_links_are_followed() {
  new_scenario links
  local folder=$work/user/zunk
  new_display
  # A working link.
  mkdir -p "$work/synced"
  zero_table "$work/synced"
  mkdir -p "$folder"
  ln -s "$work/synced/thescores" "$folder/thescores"
  nearly_over "$folder" 21 || return 1
  launch working || return 1
  continue_to_game_over || return 1
  quit || return 1
  [ -L "$folder/thescores" ] || { echo "the working link was replaced"; return 1; }
  scores_kept "$folder" 1 || { echo "the score did not reach the link's target"; return 1; }
  # A link to a file not there, in a folder that is.
  rm -f "$work/synced/thescores"
  nearly_over "$folder" 22 || return 1
  launch dangling || return 1
  continue_to_game_over || return 1
  quit || return 1
  [ -L "$folder/thescores" ] && [ "$("$keptfiles" table "$work/synced/thescores" | tr '\n' ' ')" != "30 25 20 19 18 15 10 9 8 5 " ] ||
    { echo "no new table where the link leads: $(cat "$work/dangling.err")"; return 1; }
  grep -q "a new table is started at $work/synced/thescores" "$work/dangling.err" || { echo "not said: $(cat "$work/dangling.err")"; return 1; }
  # A link into a drive not mounted.
  rm -f "$folder/thescores"
  ln -s "$work/drive/thescores" "$folder/thescores"
  nearly_over "$folder" 23 || return 1
  launch unmounted || return 1
  continue_to_game_over || return 1
  wait_until "$patience" notice_over_play || { echo "no notice on the screen"; return 1; }
  quit 1 || return 1
  [ -L "$folder/thescores" ] || { echo "the link was replaced"; return 1; }
  # The drive back with its table: read, not the defaults.
  mkdir -p "$work/drive"
  printf '\x84\x03\x00\x00\x20\x03\x00\x00' >"$work/drive/thescores" # 900, 800
  launch mounted || return 1
  at 300 300
  wait_until "$patience" on_menu || { echo "no menu"; return 1; }
  hold_until 100 210 veiled || { echo "no high scores"; return 1; }
  quit || return 1
  "$keptfiles" table "$work/drive/thescores" | head -1 | grep -qx 900 || { echo "the old table was replaced"; return 1; }
}

# No user folder: no HOME; XDG_DATA_HOME a file. The game plays, keeps
# nothing, and says so once on the screen and on standard error, naming the
# cause. A 600-character XDG_DATA_HOME is a folder like any other.
no_folder() { # <name> <what stderr says> <env...>
  local name=$1 said=$2
  shift 2
  new_display
  launch "$name" "$@" || return 1
  export DISPLAY=$display
  wait_until "$patience" notice_over_menu || { echo "$name: no notice on the screen"; return 1; }
  quit || return 1
  grep -q "no user folder: $said" "$work/$name.err" || { echo "$name: not said: $(cat "$work/$name.err")"; return 1; }
  [ "$(grep -c 'no user folder' "$work/$name.err")" = 1 ] || { echo "$name: said more than once"; return 1; }
}
scenario_no_user_folder() {
  new_scenario nofolder
  no_folder nohome "HOME is not set" -u HOME -u XDG_DATA_HOME || return 1
  : >"$work/afile"
  no_folder file "$work/afile/zunk" XDG_DATA_HOME="$work/afile" || return 1
  # 600 characters: the records go there, whole.
  local long=$work/long
  while [ ${#long} -lt 600 ]; do long=$long/abcdefghijklmnopqrstuvwxyz; done
  long=${long:0:600}
  mkdir -p "$long"
  zero_table "$long/zunk"
  nearly_over "$long/zunk" 31 || return 1
  new_display
  launch long XDG_DATA_HOME="$long" || return 1
  continue_to_game_over || return 1
  quit || return 1
  scores_kept "$long/zunk" 1
}

# A full disk (a small tmpfs): the notice is on the screen, the old records
# stay byte for byte, and the game ends with status 1.
scenario_disk_full() {
  new_scenario diskfull
  mkdir -p "$root/full"
  # Only root mounts a file system: elsewhere the scenario is skipped, said.
  mount -t tmpfs -o size=256k tmpfs "$root/full" 2>/dev/null || { echo "skipped: a tmpfs could not be mounted (not root?)"; return 2; }
  local folder=$root/full/zunk
  zero_table "$folder"
  printf '\x05\x00\x00\x00' | dd of="$folder/thescores" conv=notrunc status=none
  printf '5 replay-1-5.zunkreplay\n' >"$folder/thescores.replays"
  head -c 3000 /dev/urandom >"$folder/replay-1-5.zunkreplay"
  nearly_over "$folder" 41 || return 1
  local sums
  sums=$(cd "$folder" && sha256sum thescores thescores.replays replay-1-5.zunkreplay unfinished.zunkreplay)
  dd if=/dev/zero of="$root/full/filler" bs=4k status=none 2>/dev/null
  new_display
  launch full XDG_DATA_HOME="$root/full" || return 1
  continue_to_game_over || return 1
  wait_until "$patience" notice_reads_disk_full || { echo "the notice is not the kept frame's: $(cat "$work/full.err")"; return 1; }
  quit 1 || return 1
  [ "$(cd "$folder" && sha256sum thescores thescores.replays replay-1-5.zunkreplay unfinished.zunkreplay)" = "$sums" ] ||
    { echo "the old records changed"; return 1; }
  grep -q "No space left on device" "$work/full.err" || { echo "not said: $(cat "$work/full.err")"; return 1; }
}

passed=0
failed=0
for scenario in ${ZUNK_SCENARIOS:-scenario_killed_after_game_over scenario_two_copies_quit_in_order \
  scenario_two_copies_killed_first scenario_two_copies_killed_second scenario_two_copies_leave_games \
  scenario_sighup_mid_game scenario_x_connection_killed_mid_game scenario_window_destroyed_mid_game \
  scenario_links_are_followed scenario_no_user_folder scenario_disk_full}; do
  # A subshell of its own: whichever way it ends, its games and X servers
  # end with it; a failure keeps the screen.
  (trap end_scenario EXIT
    $scenario
    status=$?
    if [ $status = 1 ]; then
      import -window root "/tmp/records-$scenario.png" 2>/dev/null && echo "the screen is in /tmp/records-$scenario.png"
    fi
    exit $status) >"$root/out" 2>&1
  status=$?
  if [ $status = 0 ]; then
    passed=$((passed + 1))
    echo "records: $scenario: ok"
  elif [ $status = 2 ]; then
    echo "records: $scenario: skipped"
  else
    failed=$((failed + 1))
    echo "records: $scenario: failed"
  fi
  sed 's/^/  /' "$root/out"
done
# Nothing of the installed program changed.
if [ "$(installed_sums)" = "$before" ]; then passed=$((passed + 1)); else
  failed=$((failed + 1))
  echo "records: the installed files changed"
fi
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
