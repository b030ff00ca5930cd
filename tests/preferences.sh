#!/usr/bin/env bash
# What the desktop says of less motion and more contrast reaches the engine:
# the settings portal on a session bus of the test's own, answered by
# fakeportal as a desktop would.
#   preferences.sh <preferenceprobe> <fakeportal>
set -u
probe=$1
portal=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
work=$(mktemp -d)
bus= fake=
stop_portal() { [ -z "$fake" ] || { kill "$fake" 2>/dev/null; wait "$fake" 2>/dev/null; fake=; }; }
trap 'stop_portal; [ -z "$bus" ] || kill "$bus" 2>/dev/null; rm -rf "$work"' EXIT
passed=0
failed=0
check() { # <what> <expected line> <command...>
  local what=$1 expected=$2 said
  shift 2
  said=$("$@" 2>&1)
  if [ "$said" = "$expected" ]; then
    passed=$((passed + 1))
  else
    echo "preferences: $what: '$said', not '$expected'"
    failed=$((failed + 1))
  fi
}
ready() { grep -qx ready "$work/portal"; }
with_portal() { # <fakeportal arguments...>: the portal answering them, until stop_portal
  stop_portal
  : >"$work/portal"
  "$portal" "$@" >"$work/portal" 2>&1 &
  fake=$!
  wait_until "$patience" ready || { echo "preferences: the fake portal did not start: $(cat "$work/portal")"; exit 1; }
}

# No session bus named: nothing asked, nothing started (libdbus would
# otherwise launch a bus of its own).
check "no session bus" "calm=0 contrast=0" env -u DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS= "$probe"

dbus-daemon --session --nofork --print-address=3 3>"$work/address" 2>"$work/bus.log" &
bus=$!
has_address() { [ -s "$work/address" ]; }
wait_until "$patience" has_address || { echo "preferences: no session bus"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/address")

# A bus with no portal on it: the defaults.
check "no portal" "calm=0 contrast=0" "$probe"
# GNOME's animations off and the appearance's contrast at more.
with_portal org.gnome.desktop.interface.enable-animations=b:false org.freedesktop.appearance.contrast=u:1
check "animations off, contrast more" "calm=1 contrast=1" "$probe"
# The same in a single variant, as some portals answer.
with_portal --flat org.gnome.desktop.interface.enable-animations=b:false org.freedesktop.appearance.contrast=u:1
check "the same, answered flat" "calm=1 contrast=1" "$probe"
# Animations on, contrast with no preference.
with_portal org.gnome.desktop.interface.enable-animations=b:true org.freedesktop.appearance.contrast=u:0
check "animations on, no contrast" "calm=0 contrast=0" "$probe"
# Only one of the two known (a desktop that is not GNOME).
with_portal org.freedesktop.appearance.contrast=u:1
check "contrast alone" "calm=0 contrast=1" "$probe"
# Values of another type than the portal's are no wish.
with_portal org.gnome.desktop.interface.enable-animations=s:false org.freedesktop.appearance.contrast=s:1
check "values of another type" "calm=0 contrast=0" "$probe"
stop_portal

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
