#!/usr/bin/env bash
# The translations: the template holds every text of the sources, and every
# language's catalogue is valid, complete (nothing untranslated or fuzzy)
# and made from the current template.
#   translations.sh <source folder>
set -u
root=$1
po=$root/po
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
suite=translations
source "$(dirname "$0")/checks.sh"
# Everything but the template's creation date.
undated() { grep -v '^"POT-Creation-Date:' "$1"; }
template_is_current() {
  bash "$po/makepot.sh" "$work/zunk.pot" && diff <(undated "$po/zunk.pot") <(undated "$work/zunk.pot")
}
nothing() { [ ! -s "$1" ] || { cat "$1"; false; }; }
check "po/zunk.pot is not what po/makepot.sh makes from the sources: run it and commit the template" template_is_current
while read -r language; do
  file=$po/$language.po
  check "$language: missing" test -f "$file"
  [ -f "$file" ] || continue
  check "$language: msgfmt --check" msgfmt --check -o /dev/null "$file"
  check "$language: a text of the template is missing" msgcmp "$file" "$po/zunk.pot"
  msgattrib --untranslated --no-obsolete -o "$work/untranslated" "$file"
  check "$language: untranslated texts" nothing "$work/untranslated"
  msgattrib --only-fuzzy --no-obsolete -o "$work/fuzzy" "$file"
  check "$language: fuzzy texts" nothing "$work/fuzzy"
  check "$language: texts the template no longer has" bash -c "! grep -q '^#~' '$file'"
done < <(grep -v '^#' "$po/LINGUAS" | grep .)
tally
