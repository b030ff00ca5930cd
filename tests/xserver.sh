# Sourced by the scripts that need a real X server (with wait.sh).
# start_x <width>x<height>: starts Xvfb on a free display, sets DISPLAY and
# leaves the server's process id in $server.
# stop_x: ends the server start_x started, if any.
# hold_keys_until "<keys>" <command...>: holds the keys down until the
# command succeeds (the engine reads keys once a frame).
start_x() {
  local d
  for d in $(seq 90 250); do
    [ -e /tmp/.X11-unix/X$d ] || [ -e /tmp/.X$d-lock ] && continue
    Xvfb :$d -screen 0 "$1"x24 -nolisten tcp >/dev/null 2>&1 &
    server=$!
    export DISPLAY=:$d
    # A display that another server still holds makes this one exit: try the next.
    wait_until "$patience" x_answers_or_gone
    xdpyinfo >/dev/null 2>&1 && return 0
    kill $server 2>/dev/null
    wait $server 2>/dev/null
  done
  server=
  echo "no X server could be started" >&2
  exit 1
}
x_answers_or_gone() { xdpyinfo >/dev/null 2>&1 || ! kill -0 $server 2>/dev/null; }

stop_x() {
  [ -n "${server:-}" ] || return 0
  kill $server 2>/dev/null
  wait $server 2>/dev/null
  server=
}

hold_keys_until() {
  local k keys=$1
  shift
  for k in $keys; do xdotool keydown "$k"; done
  wait_until "$patience" "$@"
  local status=$?
  for k in $keys; do xdotool keyup "$k"; done
  return $status
}
