#!/usr/bin/env bash
# The whole game against two SDL_Renderer programs drawing the same frames
# (reference_frame: a copy a sprite; reference_geometry: one geometry batch
# a frame), each under its own Xvfb, in interleaved rounds: time from start
# to the first frame with content, the process's CPU per frame on the menu
# and in play (all paced as the game is, 12 ms a frame), and resident
# memory. The game runs once on each kind of OpenGL context a round.
#   bash bench/frame.sh <zunk> <reference_frame> <reference_geometry> <data folder> [rounds]
# ZUNK_FRAME_CONTEXTS="gl es2" names the game's contexts (both by default).
set -u
if [ $# -lt 4 ]; then
  echo "usage: bash bench/frame.sh <zunk> <reference_frame> <reference_geometry> <data folder> [rounds]" >&2
  exit 2
fi
zunk=$(realpath "$1")
reference=$(realpath "$2")
geometry=$(realpath "$3")
data=$(cd "$4" && pwd)
rounds=${5:-5}
contexts=${ZUNK_FRAME_CONTEXTS:-gl es2}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/wait.sh"
source "$here/../tests/xserver.sh"
settle=6    # seconds for the game's title and doors to give way to the menu
measure=4   # seconds of CPU measured on each screen
frame_us=12000 # the game's frame time; the references keep the same

# CPU time of every thread of process $1 so far, in nanoseconds.
cpu_ns() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'
}

# CPU of process $1 over $2 seconds, in microseconds per frame.
cpu_per_frame() {
  local a b
  a=$(cpu_ns "$1")
  sleep "$2"
  b=$(cpu_ns "$1")
  echo $(( (b - a) / 1000 * frame_us / ($2 * 1000000) ))
}

# Whether window $1 shows anything but black.
window_content() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 1
  [ -n "${WIDTH:-}" ] || return 1
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" -depth 8 -format '%[fx:maxima]' info: 2>/dev/null | grep -qv '^0$'
}

# One run of "$@" (after `env` settings) in a scratch folder whose window
# is named $1: prints "first menu play rss". The game is copied there
# beside a copy of the data, its data folder: no scores or game left
# unfinished by another run (which would offer CONTINUE, not play).
measure_one() {
  local name=$1; shift
  local work start pid wid first= menu play rss
  work=$(mktemp -d)
  cp -r "$data" "$work/data"
  cp "$zunk" "$work/zunk"
  start_x 1024x768
  start=$(date +%s%N)
  (cd "$work" && SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share" exec env "$@") &
  pid=$!
  # The first frame with content: the window shows anything but black.
  for _ in $(seq 2000); do
    # A loaded X server now and then refuses a program's first connection,
    # and the program ends: it is started again, and timed from then.
    if exited $pid; then
      start=$(date +%s%N)
      (cd "$work" && SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share" exec env "$@") &
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
  echo "$first $menu $play $rss"
}

# The programs, in the order each round runs them: a label, then how.
labels=()
commands=()
for c in $contexts; do
  labels+=("zunk-$c")
  commands+=("^Zunk\$|ZUNK_GL=$c ./zunk")
done
labels+=(reference_frame reference_geometry)
commands+=("^Zunk reference\$|$reference $data" "^Zunk reference geometry\$|$geometry $data")
declare -A results
for round in $(seq "$rounds"); do
  line="round $round:"
  for i in "${!labels[@]}"; do
    name=${commands[$i]%%|*}
    read -r -a how <<<"${commands[$i]#*|}"
    r=$(measure_one "$name" "${how[@]}")
    results[${labels[$i]}]+="$r"$'\n'
    line+=" ${labels[$i]} $r |"
  done
  echo "$line (first ms, menu us, play us, rss kB)"
done

# median [min-max] of column $1 over the lines on stdin
stats() {
  awk -v c="$1" 'NF { print $c }' | sort -n | awk '{ v[n++] = $1 } END {
    if (!n) { print "-"; exit }
    m = n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2
    printf "%.0f [%d-%d]", m, v[0], v[n - 1] }'
}
median() { stats "$1" | awk '{ print $1 }'; }

printf '\n%-26s' "median [min-max] of $rounds"
for l in "${labels[@]}"; do printf ' %22s' "$l"; done
printf '\n'
figures=("CPU per frame, menu (us)|2" "CPU per frame, play (us)|3" "first frame (ms)|1" "resident memory (kB)|4")
for f in "${figures[@]}"; do
  printf '%-26s' "${f%%|*}"
  for l in "${labels[@]}"; do printf ' %22s' "$(printf '%s' "${results[$l]}" | stats "${f#*|}")"; done
  printf '\n'
done

# The game against each reference and the lighter one, by medians.
printf '\n%-26s' "ratio of medians"
for r in reference_frame reference_geometry lighter; do printf ' %18s' "/$r"; done
printf '\n'
for c in $contexts; do
  for f in "menu|2" "play|3"; do
    col=${f#*|}
    z=$(printf '%s' "${results[zunk-$c]}" | median "$col")
    a=$(printf '%s' "${results[reference_frame]}" | median "$col")
    b=$(printf '%s' "${results[reference_geometry]}" | median "$col")
    light=$(awk -v a="$a" -v b="$b" 'BEGIN { print (a < b ? a : b) }')
    printf '%-26s' "zunk-$c ${f%%|*}"
    for ref in "$a" "$b" "$light"; do
      printf ' %18s' "$(awk -v z="$z" -v r="$ref" 'BEGIN { if (r > 0) printf "%.2fx", z / r; else print "-" }')"
    done
    printf '\n'
  done
done
