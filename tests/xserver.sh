# Sourced by the scripts that need a real X server.
# start_x <width>x<height>: starts Xvfb on a free display, sets DISPLAY and
# leaves the server's process id in $server.
start_x() {
  local d i
  for d in $(seq 90 250); do
    [ -e /tmp/.X11-unix/X$d ] || [ -e /tmp/.X$d-lock ] && continue
    Xvfb :$d -screen 0 "$1"x24 -nolisten tcp >/dev/null 2>&1 &
    server=$!
    export DISPLAY=:$d
    # A display that another server still holds makes this one exit: try the next.
    for i in $(seq 100); do
      kill -0 $server 2>/dev/null || break
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill $server 2>/dev/null
  done
  echo "no X server could be started" >&2
  exit 1
}
