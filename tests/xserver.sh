# Sourced by the scripts that need a real X server (with wait.sh).
# start_x <width>x<height>: starts Xvfb on a free display, sets DISPLAY and
# leaves the server's process id in $server.
# stop_x: ends the server start_x started, if any.
# hold_keys_until "<keys>" <command...>: holds the keys down until the
# command succeeds (the engine reads keys once a frame).
start_x() {
  local ready
  ready=$(mktemp)
  # The server picks a free display itself and writes its number once it
  # takes connections: no race with another server starting beside it.
  xlog=${ready}.log
  Xvfb -displayfd 3 -screen 0 "$1"x24 -nolisten tcp 3>"$ready" >"$xlog" 2>&1 &
  server=$!
  wait_until "$patience" display_written "$ready"
  if ! grep -q '^[0-9]' "$ready"; then
    kill $server 2>/dev/null
    rm -f "$ready"
    echo "no X server could be started" >&2
    exit 1
  fi
  export DISPLAY=:$(head -n 1 "$ready")
  rm -f "$ready"
}
display_written() { grep -q '^[0-9]' "$1" || ! kill -0 $server 2>/dev/null; }

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
