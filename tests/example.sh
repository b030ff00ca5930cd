#!/usr/bin/env bash
# The engine as a stranger gets it: installed alone (the dev component)
# into a scratch prefix, the tour in examples/ configured as a project of
# its own against that prefix through pkg-config, built, and run in a real
# X server on the context ZUNK_GL asks for: its window shows the pictures
# where it draws them, follows the mouse, its button and the keys, plays its
# sounds and saves a screenshot of what it shows.
#   example.sh <source folder> <build folder>
set -u
src=$(realpath "$1")
build=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
source "$here/xserver.sh"
work=$(mktemp -d)
tpid=
trap '[ -z "$tpid" ] || kill $tpid 2>/dev/null; stop_x; rm -rf "$work"' EXIT
suite=example
source "$here/checks.sh"
prefix=$work/prefix

# Installed alone: the headers, the libraries and the pkg-config file.
cmake --install "$build" --prefix "$prefix" --component dev >"$work/install" 2>&1 ||
  { cat "$work/install"; echo "example: the engine does not install"; echo "0 passed, 1 failed"; exit 1; }
check "no pkg-config file installed" test -n "$(find "$prefix" -name zunk-engine.pc)"
check "nothing but the engine installed" bash -c "! find '$prefix' -type f | grep -v -e '/include/zunk-engine/' -e '/libzunk_' -e '/pkgconfig/zunk-engine.pc' -e '/doc/zunk-engine-dev/'"
for header in "$prefix"/include/zunk-engine/*.h; do
  check "$(basename "$header") does not compile on its own from the installation" bash -c \
    "echo '#include \"$(basename "$header")\"' | c++ -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I'$prefix/include/zunk-engine' -x c++ -"
done

# The tour, a project of its own: only the prefix tells it where the engine is.
tour=$work/tour
if ! cmake -S "$src/examples" -B "$tour" -DCMAKE_PREFIX_PATH="$prefix" -DTOUR_DATA="$src/data" >"$work/configure" 2>&1 ||
  ! cmake --build "$tour" >"$work/compile" 2>&1; then
  cat "$work/configure" "$work/compile" 2>/dev/null | tail -30
  echo "example: the tour does not build against the installed engine"
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
fi
check "the tour was built with the engine's sources in reach" bash -c "! grep -rq -e '$src/engine' -e '$build' '$tour/CMakeFiles' '$tour/CMakeCache.txt'"

start_x 1024x768
out=$work/out
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio "$tour/tour" "$work" >"$out" 2>&1 &
tpid=$!
said() { grep -qx "$1" "$out"; }
expect() { # <line>: waits until the tour has printed it
  if wait_until "$patience" said "$1"; then passed=$((passed + 1)); else
    echo "example: no '$1'"
    sed 's/^/  /' "$out" | tail -20
    failed=$((failed + 1))
  fi
}
has_window() { wid=$(xdotool search --pid "$tpid" --name '^Engine tour$' 2>/dev/null | head -1); [ -n "$wid" ]; }
expect "ready sample music"
if ! wait_until "$patience" has_window; then
  echo "example: the tour opened no window"
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
fi
xdotool windowfocus "$wid"

# A pixel as "r,g,b": of the window, of a picture file.
window_pixel() { import -window "$wid" -depth 8 -crop "1x1+$1+$2" txt:- 2>/dev/null | rgb; }
file_pixel() { convert "$1" -depth 8 -crop "1x1+$2+$3" txt:- 2>/dev/null | rgb; }
rgb() { tail -n 1 | sed -n 's/^[^(]*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1,\2,\3/p' | tr -d '.'; }
# Whether two colours lie within the tolerance of a blended or filtered pixel.
near() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, ","); split(b, y, ",");
  d = 0; for (i = 1; i <= 3; i++) d += (x[i] - y[i]) ^ 2; exit !(a != "" && b != "" && d <= 64) }'; }
shows() { near "$(window_pixel "$1" "$2")" "$3"; } # <x> <y> <colour>
sheet=$src/data/zunk.png

# The backdrop (an opaque copy) and a brick (blended) where the tour puts them.
check "the backdrop is not where it is drawn" wait_until "$patience" shows 5 5 "$(file_pixel "$sheet" 645 5)"
check "the fourth brick is not where it is drawn" wait_until "$patience" shows $((140 + 15)) $((80 + 15)) "$(file_pixel "$sheet" $((93 + 15)) $((621 + 15)))"

# The mouse: the pointer's picture follows it; its button lights the bar.
xdotool mousemove --window "$wid" 100 200
expect "mouse 100 200"
cursor=$src/data/curseur.png
check "the pointer's picture has no opaque pixel where this looks" test "$(convert "$cursor" -depth 8 -crop 1x1+2+5 txt:- | grep -c '([0-9]*,[0-9]*,[0-9]*,255)')" -eq 1
check "the pointer's picture does not follow the mouse" wait_until "$patience" shows 102 205 "$(file_pixel "$cursor" 2 5)"
check "the bar is not dark without a press" shows 10 470 "26,26,77"
xdotool mousedown 1
expect "button down"
check "the bar does not light while the button is held" wait_until "$patience" shows 10 470 "51,230,77"
xdotool mouseup 1
expect "button up"

# The keys: the sample, the music paused and resumed, a screenshot.
xdotool key space
expect "sample"
xdotool key m
expect "music off"
# A press is seen once: a frame must see M up before it is pressed again
# (one that prints the mouse's move has).
xdotool mousemove --window "$wid" 101 200
expect "mouse 101 200"
xdotool key m
expect "music on"
xdotool key s
expect "screenshot $work/tour-shot.png"
expect "report 0: export ok: $work/tour-shot.png"
shot=$work/tour-shot.png
check "the screenshot is not the window's size" test "$(identify -format %wx%h "$shot" 2>/dev/null)" = 320x480
check "the screenshot does not show the backdrop" near "$(file_pixel "$shot" 5 5)" "$(file_pixel "$sheet" 645 5)"
check "the screenshot does not show the brick" near "$(file_pixel "$shot" 155 95)" "$(file_pixel "$sheet" 108 636)"
# What the device was given: the music (and the sample) are not silence.
check "nothing was heard" bash -c "test \$(tr -d '\\000' <'$work/audio' | head -c 1 | wc -c) -eq 1"

xdotool key Escape
expect "bye"
if wait_until "$patience" exited "$tpid"; then
  wait "$tpid"
  check "the tour did not end well" test $? -eq 0
else
  count 1
  echo "example: the tour did not end on Escape"
fi
tpid=
tally
