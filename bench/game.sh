#!/usr/bin/env bash
# The real game under Xvfb: time from start to the first drawn frame, and
# the process's CPU on the menu and during play at 80 frames a second.
#   bash bench/game.sh <zunk executable> <data folder>
set -u
zunk=$1
data=$2
work=$(mktemp -d)
cp "$zunk" "$work/zunk"
cp -r "$data" "$work/data"
source "$(dirname "$0")/../tests/wait.sh"
source "$(dirname "$0")/../tests/xserver.sh"
start_x 1024x768
xpid=$server
start=$(date +%s%N)
(cd "$work" && SDL_AUDIODRIVER=dummy exec ./zunk) &
gpid=$!
# The first frame drawn is the cursor over black; the title follows. Wait
# until the window shows anything but black.
first=
for i in $(seq 400); do
  wid=$(xdotool search --pid $gpid --name '^Zunk$' 2>/dev/null | head -1)
  if [ -n "$wid" ] && import -window "$wid" -depth 8 -format '%[fx:maxima]' info: 2>/dev/null | grep -qv '^0$'; then
    first=$(( ($(date +%s%N) - start) / 1000000 ))
    break
  fi
  sleep 0.01
done
xdotool windowfocus "$wid"
cpu() { # CPU share of the process over $1 seconds, in per cent of a core
  local a b
  a=$(awk '{print $14 + $15}' /proc/$gpid/stat)
  sleep "$1"
  b=$(awk '{print $14 + $15}' /proc/$gpid/stat)
  echo $(( (b - a) * 100 / ($1 * $(getconf CLK_TCK)) ))
}
sleep 8
menu=$(cpu 4)
xdotool mousemove $((352 + 100)) $((144 + 150)) mousedown 1; sleep 0.12; xdotool mouseup 1
sleep 1
play=$(cpu 4)
rss=$(awk '/VmRSS/ {print $2}' /proc/$gpid/status)
kill $gpid; wait $gpid 2>/dev/null
kill $xpid
rm -rf "$work"
echo "first frame drawn after ${first:-?} ms"
echo "CPU on the menu: ${menu}% of a core ($(( menu * 10000 / 80 )) us a frame at 80 frames a second)"
echo "CPU during play: ${play}% of a core ($(( play * 10000 / 80 )) us a frame)"
echo "resident memory: ${rss} kB"
