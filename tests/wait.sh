# Sourced by the test scripts: waiting for a state, never for a fixed time.
# A deadline that only a real fault exceeds, even on a busy machine.
patience=60

# wait_until <seconds> <command...>: runs the command every tenth of a second
# until it succeeds; status 1 once the seconds have passed without success.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# running <pid>: whether the process is still alive.
running() { kill -0 "$1" 2>/dev/null; }
# exited <pid>: whether the process has ended.
exited() { ! running "$1"; }
