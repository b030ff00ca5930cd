#!/usr/bin/env bash
# The real program under a real X server, driven by real X input events.
#   endtoend.sh <zunk executable> <data folder> <closewindow helper>
# 1. The menu, Help and Back, High scores and Back, a game with a throw that
#    scores, two screenshots, the menu zone, then Quit: exit status 0 and a
#    40-byte "thescores". The process's CPU share and memory are printed.
# 2. The window's close request during a game ends the program the same way.
# 3. Ctrl+Q on the title ends it too.
# With ZUNK_INSTALLED=<prefix> the installed program is tested instead, in
# its own prefix (bin/zunk, share/zunk), started from another folder.
set -u
zunk=$1
data=$2
closewindow=$3
root=$(mktemp -d)
gpid=
cleanup() {
  stop
  kill "$xpid" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT

source "$(dirname "$0")/xserver.sh"
start_x 1024x768
xpid=$server

passed=0
failed=0
stop() { # ends the game and waits until it and its window are gone
  [ -n "$gpid" ] || return 0
  kill "$gpid" 2>/dev/null
  for i in $(seq 50); do kill -0 "$gpid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$gpid" 2>/dev/null
  wait "$gpid" 2>/dev/null
  gpid=
}
fail() {
  echo "endtoend: $scenario: $*"
  import -window root "/tmp/endtoend-$scenario.png" 2>/dev/null && echo "endtoend: the screen is in /tmp/endtoend-$scenario.png"
  failed=$((failed + 1))
  stop
  return 1
}
# Game pixels to screen pixels: the 320 by 480 window is centred on 1024 by 768.
press() { xdotool mousemove $((352 + $1)) $((144 + $2)) mousedown 1; sleep 0.12; xdotool mouseup 1; }
pixel() { import -window root -crop 1x1+$((352 + $1))+$((144 + $2)) -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}'; }
area() { import -window root -crop $3x$4+$((352 + $1))+$((144 + $2)) -depth 8 txt:- | md5sum; }

start() { # a fresh copy of the game in its own folder
  work=$root/$1
  mkdir -p "$work"
  if [ -n "${ZUNK_INSTALLED:-}" ]; then
    # An installed copy: its own prefix, started from another folder.
    cp -r "$ZUNK_INSTALLED" "$work/usr"
    datadir=$work/usr/share/zunk
    program=$work/usr/bin/zunk
  else
    cp "$zunk" "$work/zunk"
    cp -r "$data" "$work/data"
    datadir=$work/data
    program=./zunk
  fi
  rm -f "$datadir/thescores"
  (cd "$work" && [ -n "${ZUNK_INSTALLED:-}" ] && cd /
   SDL_AUDIODRIVER=dummy ZUNK_MESSAGES_TO_STDERR=1 exec "$program" 2>"$work/stderr") &
  gpid=$!
  wid=
  for i in $(seq 200); do wid=$(xdotool search --pid "$gpid" --name '^Zunk$' 2>/dev/null | head -1); [ -n "$wid" ] && break; sleep 0.1; done
  [ -n "$wid" ] || { fail "no window: $(cat "$work/stderr" 2>/dev/null)"; return 1; }
  xdotool windowfocus "$wid"
}
finish() { # waits for the exit; checks status 0 and the scores file
  for i in $(seq 150); do kill -0 "$gpid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$gpid" 2>/dev/null && { fail "still running 15 s after the quit"; return 1; }
  wait "$gpid"
  local status=$?
  gpid=
  [ $status -eq 0 ] || { fail "exit status $status"; return 1; }
  local size
  size=$(stat -c %s "$datadir/thescores" 2>/dev/null)
  [ "$size" = 40 ] || { fail "thescores is '${size:-missing}' bytes"; return 1; }
  passed=$((passed + 1))
  echo "endtoend: $scenario: ok"
}

expect_window() { # size, position
  local geometry
  geometry=$(xdotool getwindowgeometry "$wid")
  echo "$geometry" | grep -q "Geometry: $1" || { fail "window is not $1: $geometry"; return 1; }
  echo "$geometry" | grep -q "Position: $2" || { fail "window not at $2: $geometry"; return 1; }
}

scenario_menus_and_a_game() {
  start main || return
  expect_window 320x480 352,144 || return
  sleep 7.5 # the title fade, the notice line, the menu's doors
  local menu ticks0 ticks1
  menu=$(pixel 20 20)
  ticks0=$(awk '{print $14 + $15}' /proc/$gpid/stat)
  sleep 3
  ticks1=$(awk '{print $14 + $15}' /proc/$gpid/stat)
  echo "endtoend: menu at 80 frames a second: $(( (ticks1 - ticks0) * 100 / (3 * $(getconf CLK_TCK)) ))% of a core," \
    "$(awk '/VmRSS/ {print $2 " kB resident"}' /proc/$gpid/status)"
  press 100 260; sleep 1 # HELP
  [ "$(pixel 20 20)" != "$menu" ] || { fail "help did not veil the menu"; return; }
  press 100 420; sleep 1 # BACK
  [ "$(pixel 20 20)" = "$menu" ] || { fail "back did not return to the menu"; return; }
  press 100 210; sleep 1 # HIGH SCORES
  [ "$(pixel 20 20)" != "$menu" ] || { fail "high scores did not veil the menu"; return; }
  press 100 420; sleep 1 # BACK
  press 100 150; sleep 1 # PLAY
  local before after
  before=$(area 59 457 60 20)
  # Press on the ball and let go: it lands on the middle of the bottom row.
  xdotool mousemove $((352 + 160)) $((144 + 327)) mousedown 1; sleep 0.15; xdotool mouseup 1
  sleep 1.5
  after=$(area 59 457 60 20)
  [ "$before" != "$after" ] || { fail "the throw did not change the score"; return; }
  xdotool mousemove $((352 + 300)) $((144 + 300))
  sleep 0.2
  local top bottom
  top=$(pixel 5 1)
  bottom=$(pixel 5 470)
  for n in 1 2; do
    xdotool keydown shift keydown F6; sleep 0.15; xdotool keyup F6 keyup shift; sleep 0.5
  done
  for n in 1 2; do
    local shot=$datadir/screenshot$n.tga
    [ -f "$shot" ] || { fail "no screenshot$n.tga"; return; }
    [ "$(identify -format %wx%h "$shot")" = 320x480 ] || { fail "screenshot$n.tga is not 320x480"; return; }
  done
  [ ! -e "$datadir/screenshot3.tga" ] || { fail "one press wrote more than one screenshot"; return; }
  local shottop shotbottom
  shottop=$(convert "$datadir/screenshot1.tga" -auto-orient -crop 1x1+5+1 -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}')
  shotbottom=$(convert "$datadir/screenshot1.tga" -auto-orient -crop 1x1+5+470 -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}')
  [ "$shottop" = "$top" ] && [ "$shotbottom" = "$bottom" ] ||
    { fail "screenshot not upright: $shottop/$shotbottom against $top/$bottom"; return; }
  grep -q "export ok" "$work/stderr" || { fail "no 'export ok'"; return; }
  press 270 465; sleep 1 # the menu zone
  [ "$(pixel 20 20)" = "$menu" ] || { fail "the menu zone did not return to the menu"; return; }
  press 100 370 # QUIT
  finish
}

scenario_close_request_during_a_game() {
  start close || return
  sleep 7.5
  press 100 150; sleep 1 # PLAY
  "$closewindow" "$wid"
  finish
}

scenario_ctrl_q_on_the_title() {
  start ctrlq || return
  sleep 1
  xdotool keydown ctrl keydown q; sleep 0.15; xdotool keyup q keyup ctrl
  # Quitting before the title has loaded the scores still writes the defaults.
  finish
}

# 5. A game with a few throws, then left to itself, fills up and ends
#    (about a minute); the game-over
#    display slides in; a click on the wall starts a fresh game.
scenario_game_over_and_restart() {
  start over || return
  sleep 7.5
  press 100 150; sleep 1 # PLAY
  # A few throws from rest onto the bottom row first.
  for n in 1 2 3; do
    xdotool mousemove $((352 + 160)) $((144 + 327)) mousedown 1; sleep 0.15; xdotool mouseup 1; sleep 0.8
  done
  local empty over=
  empty=$(pixel 30 60) # the top row's first cell, beside the game-over panels
  # Whether most of a row of 200 game pixels from (x, y) is red.
  red() {
    local n
    n=$(import -window root -crop 200x1+$((352 + $1))+$((144 + $2)) -depth 8 txt:- | grep -c '#[A-F].[0-5].[0-5].')
    [ "$n" -gt 120 ]
  }
  for i in $(seq 120); do
    sleep 2
    # Over: the top row is reached, and both red panels cover the wall.
    if [ "$(pixel 30 60)" != "$empty" ] && red 60 97 && red 60 180; then
      over=yes
      break
    fi
  done
  [ -n "$over" ] || { fail "no game over after four minutes"; return; }
  sleep 0.5 # the display is in place after 20 frames
  press 100 200; sleep 0.5 # the restart band
  [ "$(pixel 30 60)" = "$empty" ] || { fail "the restart did not clear the wall"; return; }
  press 270 465; sleep 1 # the menu zone
  press 100 370          # QUIT
  finish
}

# 4. On a 1920 by 1080 screen the window opens at twice the size, sharp;
#    the game still works in its own 320 by 480 pixels (clicks, screenshots),
#    and F11 fills the screen with the game letterboxed.
scenario_large_screen() {
  local saved=$DISPLAY
  start_x 1920x1080
  local x2=$server
  large_screen_checks
  export DISPLAY=$saved
  kill $x2 2>/dev/null
}
large_screen_checks() {
  start large || return
  expect_window 640x960 640,60 || return
  sleep 7.5
  big() { xdotool mousemove $((640 + 2 * $1)) $((60 + 2 * $2)) mousedown 1; sleep 0.12; xdotool mouseup 1; }
  # Nearest-neighbour scaling: every game pixel is a sharp 2 by 2 block.
  local block
  block=$(import -window root -crop 2x2+$((640 + 2 * 150))+$((60 + 2 * 60)) -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | sort -u | wc -l)
  [ "$block" = 1 ] || { fail "a game pixel is not one 2x2 block"; return; }
  big 100 150; sleep 1 # PLAY, clicked in game pixels times two
  local menu_zone
  menu_zone=$(import -window root -crop 1x1+$((640 + 2 * 270))+$((60 + 2 * 465)) -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}')
  xdotool keydown shift keydown F6; sleep 0.15; xdotool keyup F6 keyup shift; sleep 0.5
  [ "$(identify -format %wx%h "$datadir/screenshot1.tga" 2>/dev/null)" = 320x480 ] ||
    { fail "the screenshot is not 320x480 on a large screen"; return; }
  # Full screen is the window manager's business: one comes in now.
  openbox --sm-disable >/dev/null 2>&1 &
  local wm=$!
  sleep 1.5
  xdotool windowactivate "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  sleep 0.3
  xdotool keydown F11; sleep 0.15; xdotool keyup F11; sleep 1.5
  expect_window 1920x1080 0,0 || return
  [ "$(import -window root -crop 1x1+5+540 -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}')" = "#000000" ] ||
    { fail "no black margin beside the game in full screen"; return; }
  big 270 465; sleep 1 # the menu zone, still at the same place on this screen
  [ "$(import -window root -crop 1x1+$((640 + 40))+$((60 + 40)) -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}')" != "$menu_zone" ] ||
    { fail "the menu zone did not leave the game"; return; }
  big 100 370 # QUIT
  finish
  kill $wm 2>/dev/null
}

for scenario in ${ZUNK_SCENARIOS:-scenario_menus_and_a_game scenario_close_request_during_a_game scenario_ctrl_q_on_the_title scenario_large_screen scenario_game_over_and_restart}; do
  $scenario
done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
