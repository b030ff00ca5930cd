#!/usr/bin/env bash
# The real program under a real X server, driven by real X input events:
# the menu, Help and Back, High scores and Back, a game with a throw, the
# menu zone, then Quit; the exit status and the scores file afterwards.
set -u
zunk=$1
data=$2
work=$(mktemp -d)
trap 'kill $xpid 2>/dev/null; [ -n "${gpid:-}" ] && kill $gpid 2>/dev/null; rm -rf "$work"' EXIT
cp "$zunk" "$work/zunk"
cp -r "$data" "$work/data"

for d in $(seq 90 120); do [ -e /tmp/.X11-unix/X$d ] || break; done
Xvfb :$d -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
export DISPLAY=:$d
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

fail() { echo "endtoend: $*"; import -window root "$work/fail.png" 2>/dev/null; exit 1; }
# Game pixels to screen pixels: the 320 by 480 window is centred on 1024 by 768.
click() { xdotool mousemove $((352 + $1)) $((144 + $2)) mousedown 1; sleep 0.12; xdotool mouseup 1; }
pixel() { import -window root -crop 1x1+$((352 + $1))+$((144 + $2)) -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}'; }

(cd "$work" && SDL_AUDIODRIVER=dummy ZUNK_MESSAGES_TO_STDERR=1 exec ./zunk) &
gpid=$!
for i in $(seq 50); do wid=$(xdotool search --name '^Zunk$' 2>/dev/null | head -1); [ -n "$wid" ] && break; sleep 0.1; done
[ -n "$wid" ] || fail "no window"
xdotool windowfocus "$wid"
geometry=$(xdotool getwindowgeometry "$wid")
echo "$geometry" | grep -q 'Geometry: 320x480' || fail "window is not 320x480: $geometry"
echo "$geometry" | grep -q 'Position: 352,144' || fail "window not centred: $geometry"

sleep 7.5 # title fade, notice line, menu doors
menu=$(pixel 20 20)
click 100 260; sleep 1       # HELP
[ "$(pixel 20 20)" != "$menu" ] || fail "help screen did not darken the menu"
click 100 420; sleep 1       # BACK
[ "$(pixel 20 20)" = "$menu" ] || fail "back did not return to the menu"
click 100 210; sleep 1       # HIGH SCORES
click 100 420; sleep 1       # BACK
click 100 150; sleep 1       # PLAY
score_before=$(import -window root -crop 60x20+$((352 + 59))+$((144 + 457)) -depth 8 txt:- | md5sum)
# A throw from rest lands on the middle of the bottom row.
xdotool mousemove $((352 + 160)) $((144 + 327)) mousedown 1; sleep 0.15; xdotool mouseup 1
sleep 1.5
score_after=$(import -window root -crop 60x20+$((352 + 59))+$((144 + 457)) -depth 8 txt:- | md5sum)
[ "$score_before" != "$score_after" ] || fail "the throw did not change the score"
click 270 465; sleep 1       # the menu zone
click 100 370                # QUIT
for i in $(seq 50); do kill -0 $gpid 2>/dev/null || break; sleep 0.1; done
wait $gpid
status=$?
gpid=
[ $status -eq 0 ] || fail "exit status $status"
size=$(stat -c %s "$work/data/thescores" 2>/dev/null)
[ "$size" = 40 ] || fail "thescores is '${size:-missing}' bytes"
echo "1 passed, 0 failed"
