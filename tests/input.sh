#!/usr/bin/env bash
# Mouse, buttons, wheel and keys reach KInput through a real X server.
#   input.sh <inputprobe executable>
set -u
probe=$1
work=$(mktemp -d)
source "$(dirname "$0")/xserver.sh"
start_x 1024x768
xpid=$server
trap 'kill $ppid $xpid 2>/dev/null; rm -rf "$work"' EXIT
SDL_AUDIODRIVER=dummy "$probe" >"$work/out" 2>&1 &
ppid=$!
for i in $(seq 100); do grep -q ready "$work/out" 2>/dev/null && break; sleep 0.1; done
wid=$(xdotool search --pid $ppid 2>/dev/null | head -1)
xdotool windowfocus "$wid"
sleep 0.3
xdotool mousemove $((352 + 40)) $((144 + 70)); sleep 0.3
xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.2
xdotool mousedown 3; sleep 0.2; xdotool mouseup 3; sleep 0.2
xdotool click 4; sleep 0.3
xdotool keydown space; sleep 0.3; xdotool keyup space; sleep 0.2
xdotool key a; sleep 0.3
xdotool mousemove 5 5; sleep 0.3 # outside the window: negative game pixels
xdotool keydown ctrl keydown q; sleep 0.2; xdotool keyup q keyup ctrl
for i in $(seq 50); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
passed=0
failed=0
expect() {
  if grep -qx "$1" "$work/out"; then passed=$((passed + 1)); else echo "input: no '$1'"; failed=$((failed + 1)); fi
}
expect "depth 32"
expect "mouse 40 70"
expect "left 1"
expect "left 0"
expect "right 1"
expect "right 0"
expect "wheel 1 (total 1)"
expect "space 1"
expect "space 0"
expect "event key a"
expect "mouse -347 -139"
expect "quit"
[ $failed -eq 0 ] || cat "$work/out"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
