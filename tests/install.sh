#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a distribution
# and a player get: the files, valid desktop entry and metainfo, the
# command-line options, and an installed game that runs from any folder as
# an ordinary user and keeps its scores in that user's data folder.
#   install.sh <build folder>
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait.sh"
source "$here/xserver.sh"
root=$(mktemp -d)
chmod 755 "$root"
prefix=$root/usr
gpid=
trap '[ -z "$gpid" ] || kill $gpid 2>/dev/null; stop_x; rm -rf "$root"' EXIT
suite=install
source "$here/checks.sh"

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install: cmake --install failed"; echo "0 passed, 1 failed"; exit 1; }
id=io.github.zunk.Zunk
for f in bin/zunk share/zunk/zunk.png share/zunk/curseur.png share/zunk/monkey.ogg share/applications/$id.desktop \
  share/metainfo/$id.metainfo.xml share/man/man6/zunk.6.gz share/icons/hicolor/64x64/apps/$id.png \
  share/icons/hicolor/128x128/apps/$id.png share/icons/hicolor/256x256/apps/$id.png share/doc/zunk/copyright \
  share/zunk/zunk-fr.png share/zunk/zunk-zh_cn.png share/locale/fr/LC_MESSAGES/zunk.mo \
  share/locale/pt_BR/LC_MESSAGES/zunk.mo; do
  check "missing $f" test -f "$prefix/$f"
done
check "desktop entry does not validate" desktop-file-validate "$prefix/share/applications/$id.desktop"
check "metainfo does not validate" appstreamcli validate --pedantic --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml"
check "the metainfo's launchable is not the desktop entry" grep -q ">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml"
check "the desktop entry's icon is not the application's" grep -q "^Icon=$id\$" "$prefix/share/applications/$id.desktop"
check "man page does not format" man --warnings -l "$prefix/share/man/man6/zunk.6.gz"
check "--version" bash -c "'$prefix/bin/zunk' --version | grep -q '^zunk [0-9]'"
check "--help" bash -c "LANGUAGE= LC_ALL=C '$prefix/bin/zunk' --help | grep -q Usage"
check "--help in the player's language" bash -c "LANGUAGE= LC_ALL= LANG=fr_FR.UTF-8 '$prefix/bin/zunk' --help | grep -q ^Utilisation"
check "the desktop entry is not translated" grep -q '^Comment\[fr\]=' "$prefix/share/applications/$id.desktop"
check "the metainfo is not translated" grep -q '<summary xml:lang="fr">' "$prefix/share/metainfo/$id.metainfo.xml"
check "a wrong argument is refused with status 2" bash -c "LANGUAGE= LC_ALL=C '$prefix/bin/zunk' --bogus 2>&1 | grep -q Usage; test \${PIPESTATUS[0]} -eq 2"

# The installed game, run by an ordinary user from another folder.
start_x 1024x768
home=$root/home
mkdir -p "$home"
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  user=nobody
  chown nobody "$home"
fi
run_as() { if [ "$user" = "$(id -un)" ]; then "$@"; else setpriv --reuid="$user" --regid=nogroup --clear-groups "$@"; fi; }
has_window() { wid=$(xdotool search --name '^Zunk$' 2>/dev/null | head -1); [ -n "$wid" ]; }
window_or_exit() { has_window || exited $gpid; }
# A loaded X server now and then refuses a program's very first connection;
# the game then says so and ends, and is started again (three times at most).
for attempt in 1 2 3; do
  (cd / && HOME=$home XDG_DATA_HOME=$home/.local/share SDL_AUDIODRIVER=dummy exec setsid bash -c \
    "$(declare -f run_as); user=$user; run_as '$prefix/bin/zunk'") 2>"$root/stderr" &
  gpid=$!
  wait_until "$patience" window_or_exit
  has_window || ! grep -q "no display could be reached" "$root/stderr" || ! exited $gpid || [ $attempt = 3 ] && break
  echo "install: the X server refused the game's first connection; starting it again"
  wait $gpid
done
shows_title() { # the title fades in over black
  local c
  c=$(import -window root -crop 1x1+500+300 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | tail -1)
  [ -n "$c" ] && [ "$c" != "#000000" ]
}
check "the installed game opened no window" has_window
if [ -n "$wid" ]; then
  xdotool windowfocus "$wid"
  check "the installed game shows its title" wait_until "$patience" shows_title
  hold_keys_until "ctrl q" exited $gpid
  wait $gpid
  check "the installed game did not end with status 0 on Ctrl+Q" test $? -eq 0
  gpid=
  # The records' folder is the user's (its lock taken as the game started);
  # nothing was written where the game is installed.
  check "the records' folder is not in the user's data folder" test -f "$home/.local/share/zunk/zunk.lock"
  check "the game wrote into its installed data folder" test -z "$(find "$prefix/share/zunk" -newer "$prefix/bin/zunk" \( -name 'thescores*' -o -name '*.zunkreplay' -o -name 'zunk.lock' -o -name '*.tmp*' \))"
fi
# The whole game, as installed: menus, a game, screenshots, game over and a
# restart, quitting, the scores file.
stop_x
if ZUNK_INSTALLED=$prefix ZUNK_SCENARIOS="scenario_menus_and_a_game scenario_game_over_and_restart" \
  bash "$here/endtoend.sh" none none "$build/tests/closewindow" >"$root/e2e.log" 2>&1; then
  count 0
else
  count 1
fi
sed 's/^/install: /' "$root/e2e.log"
tally
