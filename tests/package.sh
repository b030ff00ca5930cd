#!/usr/bin/env bash
# The Debian package as a player gets it: lintian reports no error, apt-get
# installs it with its dependencies, the game starts from /usr/games and
# plays the menus and a game through a real X server, and a purge leaves
# nothing of it behind (what the game kept is in the user's own folders).
# It installs and removes a package: run as root, as CI does.
#   package.sh <zunk_*.deb> <closewindow helper>
set -u
deb=$(realpath "$1")
closewindow=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
suite=package
source "$here/checks.sh"
installed() { dpkg-query -W -f='${Status}' zunk 2>/dev/null | grep -q 'install ok installed'; }

echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1
status=$?
sed 's/^/package: lintian: /' "$work/lintian"
check "lintian reports an error" test $status -eq 0
check "the dependencies are not read from the program" bash -c "dpkg-deb -f '$deb' Depends | grep -q libsdl2-"

installed && echo "package: zunk was installed already: it is replaced, then removed"
check "apt-get could not install it" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
if installed; then
  dpkg-query -L zunk | sort >"$work/files"
  check "/usr/games/zunk --version" bash -c "/usr/games/zunk --version | grep -q '^zunk [0-9]'"
  check "the data is not in /usr/share/games/zunk" test -f /usr/share/games/zunk/zunk.png
  # Menus, a game, screenshots and the scores, all kept in the scenario's user folders.
  if ZUNK_INSTALLED=package ZUNK_SCENARIOS=scenario_menus_and_a_game \
    bash "$here/endtoend.sh" none none "$closewindow" >"$work/e2e" 2>&1; then
    count 0
  else
    count 1
  fi
  sed 's/^/package: /' "$work/e2e"
  check "the game wrote into its installed data folder" \
    bash -c "find /usr/share/games/zunk -type f | sort | comm -23 - '$work/files' | grep . && exit 1 || exit 0"
  check "apt-get could not remove it" env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq zunk
  check "still installed after the purge" bash -c "! dpkg-query -W -f='\${Status}' zunk 2>/dev/null | grep -q 'ok installed'"
  # Every file of the package is gone, and no folder of its own is left.
  check "files left after the purge" bash -c "while read -r f; do [ ! -f \"\$f\" ] || { echo \"\$f\"; exit 1; }; done <'$work/files'"
  check "folders left after the purge" bash -c "! ls -d /usr/share/games/zunk /usr/share/doc/zunk 2>/dev/null | grep ."
fi
tally
