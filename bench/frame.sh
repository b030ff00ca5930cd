#!/usr/bin/env bash
# The whole game against the SDL_Renderer reference (reference_frame), each
# under its own Xvfb, in interleaved rounds: time from start to the first
# frame with content, the process's CPU per frame on the menu and in play
# (both run at 80 frames a second), and resident memory.
#   bash bench/frame.sh <zunk executable> <reference_frame executable> <data folder> [rounds]
set -u
zunk=$(realpath "$1")
reference=$(realpath "$2")
data=$(cd "$3" && pwd)
rounds=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/wait.sh"
source "$here/../tests/xserver.sh"
settle=6   # seconds for the game's title and doors to give way to the menu
measure=3  # seconds of CPU measured on each screen

# CPU of process $1 over $2 seconds, in microseconds per frame at 80 frames a second.
cpu_per_frame() {
  local a b ticks
  a=$(awk '{print $14 + $15}' /proc/$1/stat)
  sleep "$2"
  b=$(awk '{print $14 + $15}' /proc/$1/stat)
  ticks=$(getconf CLK_TCK)
  echo $(( (b - a) * 1000000 / ticks / ($2 * 80) ))
}

# Whether window $1 shows anything but black.
window_content() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 1
  [ -n "${WIDTH:-}" ] || return 1
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" -depth 8 -format '%[fx:maxima]' info: 2>/dev/null | grep -qv '^0$'
}

# One run of "$@" in folder $work: prints "first menu play rss".
measure_one() {
  local name=$1; shift
  local work start pid wid first= menu play rss
  work=$(mktemp -d)
  cp -r "$data" "$work/data"
  start_x 1024x768
  start=$(date +%s%N)
  (cd "$work" && SDL_AUDIODRIVER=dummy exec "$@") &
  pid=$!
  # The first frame with content: the window shows anything but black.
  for _ in $(seq 2000); do
    # A loaded X server now and then refuses a program's first connection,
    # and the program ends: it is started again, and timed from then.
    if exited $pid; then
      start=$(date +%s%N)
      (cd "$work" && SDL_AUDIODRIVER=dummy exec "$@") &
      pid=$!
    fi
    wid=$(xdotool search --pid $pid --name "$name" 2>/dev/null | head -1)
    # The window's area read off the root window: import of a window itself
    # can hang while the window is being mapped.
    if [ -n "$wid" ] && window_content "$wid"; then
      first=$(( ($(date +%s%N) - start) / 1000000 ))
      break
    fi
    sleep 0.01
  done
  if [ -z "$first" ]; then
    echo "frame.sh: $name showed nothing" >&2
    kill $pid 2>/dev/null
    stop_x
    rm -rf "$work"
    echo "0 0 0 0"
    return
  fi
  xdotool windowfocus "$wid" 2>/dev/null
  sleep $settle
  menu=$(cpu_per_frame $pid $measure)
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove $((X + 100)) $((Y + 150)) mousedown 1
  sleep 0.2
  xdotool mouseup 1
  sleep 1
  play=$(cpu_per_frame $pid $measure)
  rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
  kill $pid
  wait $pid 2>/dev/null
  stop_x
  rm -rf "$work"
  echo "${first:-0} $menu $play $rss"
}

results_zunk=()
results_ref=()
for round in $(seq "$rounds"); do
  results_zunk+=("$(measure_one '^Zunk$' "$zunk")")
  results_ref+=("$(measure_one '^Zunk reference$' "$reference" "$data")")
  echo "round $round: zunk ${results_zunk[-1]} | reference ${results_ref[-1]}  (first ms, menu us, play us, rss kB)"
done

mean() { # mean of column $1 over the lines on stdin
  awk -v c="$1" '{ s += $c; n++ } END { if (n) printf "%.0f", s / n; else print 0 }'
}
printf '\n%-28s %12s %12s %8s\n' "figure (mean of $rounds)" Zunk SDL_Renderer ratio
row() {
  local label=$1 column=$2 unit=$3 z r
  z=$(printf '%s\n' "${results_zunk[@]}" | mean "$column")
  r=$(printf '%s\n' "${results_ref[@]}" | mean "$column")
  printf '%-28s %9s %2s %9s %2s %8s\n' "$label" "$z" "$unit" "$r" "$unit" "$(awk -v z="$z" -v r="$r" 'BEGIN { if (r > 0) printf "%.2fx", z / r; else print "-" }')"
}
row "CPU per frame, menu" 2 us
row "CPU per frame, play" 3 us
row "first frame with content" 1 ms
row "resident memory" 4 kB
