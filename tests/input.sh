#!/usr/bin/env bash
# Mouse, buttons, wheel and keys reach KInput through a real X server.
#   input.sh <inputprobe executable>
# Each action waits until the probe reports what it saw.
set -u
probe=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
source "$here/xserver.sh"
work=$(mktemp -d)
ppid=
trap '[ -z "$ppid" ] || kill $ppid 2>/dev/null; stop_x; rm -rf "$work"' EXIT
start_x 1024x768
SDL_AUDIODRIVER=dummy "$probe" >"$work/out" 2>&1 &
ppid=$!
passed=0
failed=0
saw() { grep -qx "$1" "$work/out"; }
expect() { # <line>: waits until the probe has printed the line
  if wait_until "$patience" saw "$1"; then passed=$((passed + 1)); else echo "input: no '$1'"; failed=$((failed + 1)); fi
}
has_window() { wid=$(xdotool search --pid $ppid 2>/dev/null | head -1); [ -n "$wid" ]; }
expect "ready"
expect "depth 32"
wait_until "$patience" has_window || echo "input: the probe opened no window"
xdotool windowfocus "$wid"
# Game pixels to screen pixels: the 320 by 480 window is centred on 1024 by 768.
xdotool mousemove $((352 + 40)) $((144 + 70))
expect "mouse 40 70"
xdotool mousedown 1
expect "left 1"
xdotool mouseup 1
expect "left 0"
xdotool mousedown 3
expect "right 1"
xdotool mouseup 3
expect "right 0"
xdotool click 4
expect "wheel 1 (total 1)"
xdotool keydown space
expect "space 1"
xdotool keyup space
expect "space 0"
xdotool key a
expect "event key a"
xdotool mousemove 5 5 # outside the window: negative game pixels
expect "mouse -347 -139"
xdotool keydown ctrl keydown q
expect "quit"
xdotool keyup q keyup ctrl
wait_until "$patience" exited $ppid || echo "input: the probe did not end after quit"
[ $failed -eq 0 ] || cat "$work/out"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
