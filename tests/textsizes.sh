#!/usr/bin/env bash
# The words on the sprite sheets: the generator draws every text of every
# language at 10 px or more (its size report says the size each ended at),
# and stops, naming the text, when a translation does not fit its box even
# at the floor.
#   textsizes.sh <makedata executable> <source folder>
set -u
makedata=$1
root=$2
suite=textsizes
source "$(dirname "$0")/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The smallest text a player reads on the game's 320 by 480 screen.
floor=10

languages=(en $(grep -v '^#' "$root/po/LINGUAS"))

# The sizes are those of the fonts the data is made with: without them Pango
# falls back to others, or to boxes, and the sheets are not the game's.
fonts_installed() {
  fc-list 'DejaVu Sans' family | grep -q . || { echo "install fonts-dejavu-core"; return 1; }
  fc-list :lang=ja family | grep -q . && fc-list :lang=zh-cn family | grep -q . ||
    { echo "install fonts-noto-cjk"; return 1; }
}
check "the generator's fonts are missing" fonts_installed

generated() { "$makedata" "$work/data" --sizes "$work/sizes" 2>"$work/errors" || { cat "$work/errors"; false; }; }
mkdir -p "$work/data"
check "makedata stopped" generated

# Every language reports as many texts as English does.
all_reported() {
  local language english count
  english=$(awk -F'\t' '$1 == "en"' "$work/sizes" | wc -l)
  [ "$english" -gt 40 ] || { echo "English reports $english texts"; return 1; }
  for language in "${languages[@]}"; do
    count=$(awk -F'\t' -v l="$language" '$1 == l' "$work/sizes" | wc -l)
    [ "$count" -eq "$english" ] || { echo "$language reports $count texts, English $english"; return 1; }
  done
}
check "a language's texts missing from the size report" all_reported

# Prints every text drawn below the floor, with its language and size.
nothing_below_floor() {
  awk -F'\t' -v floor=$floor '$2 + 0 < floor { print; bad = 1 } END { exit bad }' "$work/sizes"
}
check "a text drawn below $floor px" nothing_below_floor

# A translation too long for its box, even at the floor, stops the generator
# and is named: the catalogues of the build, one of them with a button's
# label made far too long.
too_long_stops() {
  local language po
  for language in "${languages[@]:1}"; do
    po=$root/po/$language.po
    mkdir -p "$work/locale/$language/LC_MESSAGES"
    if [ "$language" = "${languages[1]}" ]; then
      awk '{ print } /^msgid "QUIT"$/ { getline; print "msgstr \"QUIT QUIT QUIT QUIT QUIT QUIT QUIT QUIT\"" }' "$po" >"$work/long.po"
      po=$work/long.po
    fi
    msgfmt -o "$work/locale/$language/LC_MESSAGES/zunk.mo" "$po" || return 1
  done
  mkdir -p "$work/long"
  if "$makedata" "$work/long" --catalogues "$work" --sizes "$work/long-sizes" 2>"$work/long-errors"; then
    echo "makedata succeeded with a label of 39 letters"
    return 1
  fi
  grep -q "too long: ${languages[1]}: \"QUIT QUIT QUIT QUIT QUIT QUIT QUIT QUIT\"" "$work/long-errors" ||
    { cat "$work/long-errors"; return 1; }
  # It was drawn at the floor, and said so.
  awk -F'\t' '$4 == "QUIT QUIT QUIT QUIT QUIT QUIT QUIT QUIT" && $2 + 0 >= 13.2 && $2 + 0 < 14 { found = 1 }
              END { exit !found }' "$work/long-sizes" || { echo "not in the size report at its floor"; return 1; }
}
check "a text too long for its box does not stop the generator" too_long_stops
tally
