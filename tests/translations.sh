#!/usr/bin/env bash
# The translations: the template holds every text of the sources, and every
# language's catalogue is valid, complete (nothing untranslated or fuzzy),
# made from the current template and true to its glossary; French puts its
# no-break spaces where French typography wants a space.
#   translations.sh <source folder>
#
# A glossary is the block of translator comments at the top of a catalogue
# that lists the game's terms, one a line:
#   #   english term = translation / another form / ...
# Every text whose English says the term must say one of the forms (the
# translation and its inflections): a text that says it another way is
# reported with what it says. Terms are found at the start of an English
# word (a plural or a verb's -s still counts), longer terms first (the
# "row" of "row clear" is the row clear's); a term in capitals is a label
# as the screen shows it (PLAY, GAME OVER), found and checked as written,
# and not inside a text that is all capitals itself; any other term and its
# forms are compared without regard to case.
set -u
root=$1
po=$root/po
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
suite=translations
source "$(dirname "$0")/checks.sh"
# Case folding and the no-break spaces are read as characters, not bytes.
export LC_ALL=C.UTF-8
# Everything but the template's creation date.
undated() { grep -v '^"POT-Creation-Date:' "$1"; }
template_is_current() {
  bash "$po/makepot.sh" "$work/zunk.pot" && diff <(undated "$po/zunk.pot") <(undated "$work/zunk.pot")
}
nothing() { [ ! -s "$1" ] || { cat "$1"; false; }; }

# The English texts of a catalogue and their translations, in order, into
# the arrays `english` and `translated` (the header is the first of each).
read_messages() { # file
  mapfile -d '' english < <(msgexec -i "$1" sh -c 'printf "%s\0" "$MSGEXEC_MSGID"')
  mapfile -d '' translated < <(msgexec -i "$1" 0)
  [ ${#english[@]} -gt 1 ] && [ ${#english[@]} -eq ${#translated[@]} ]
}

capitals() { [[ $1 =~ [[:upper:]] && ! $1 =~ [[:lower:]] ]]; }

# Prints every text whose English says a glossary term and whose translation
# says none of its forms; false when there is one, or no glossary at all.
glossary_is_kept() { # file
  local file=$1 line terms=() faults=0 i term forms form found text said label listed
  read_messages "$file" || { echo "its messages could not be read"; return 1; }
  while IFS= read -r line; do
    [[ $line =~ ^#\ {3}([^=]*[^=\ ])\ =\ (.+)$ ]] && terms+=("${#BASH_REMATCH[1]}"$'\t'"${BASH_REMATCH[1]}"$'\t'"${BASH_REMATCH[2]}")
  done < <(sed '/^msgid/q' "$file")
  [ ${#terms[@]} -gt 0 ] || { echo "no glossary at the top"; return 1; }
  mapfile -t terms < <(printf '%s\n' "${terms[@]}" | sort -t$'\t' -k1,1nr)
  for ((i = 1; i < ${#english[@]}; i++)); do
    text=" ${english[i]//-/ }"
    said=${translated[i],,}
    label=no
    capitals "${english[i]}" && label=yes
    for line in "${terms[@]}"; do
      IFS=$'\t' read -r _ term forms <<<"$line"
      listed=$forms
      if capitals "$term"; then
        [ $label = yes ] && [ "${english[i]}" != "$term" ] && continue
        [[ $text =~ [^[:alpha:]]$term ]] || continue
        said=${translated[i]}
        text=${text//$term/ }
      else
        [[ ${text,,} =~ [^[:alpha:]]${term,,} ]] || continue
        forms=${forms,,}
        said=${translated[i],,}
        shopt -s nocasematch
        while [[ $text =~ (.*[^[:alpha:]])($term)(.*) ]]; do text="${BASH_REMATCH[1]} ${BASH_REMATCH[3]}"; done
        shopt -u nocasematch
      fi
      found=no
      while IFS= read -r form; do
        [ -n "$form" ] && [[ $said == *"$form"* ]] && found=yes
      done < <(printf '%s\n' "${forms// \/ /$'\n'}")
      if [ $found = no ]; then
        echo "\"$term\" is \"$listed\" here, but \"${english[i]}\" says: ${translated[i]}"
        faults=$((faults + 1))
      fi
    done
  done
  [ $faults -eq 0 ]
}

# French: a no-break space (narrow or not) before : ; ! ? and », after «, in
# prose (where the mark ends a word: not in a list such as a;b;c;).
french_spacing() { # file
  local file=$1 i faults=0 nb=$'\u00a0\u202f'
  read_messages "$file" || { echo "its messages could not be read"; return 1; }
  for ((i = 1; i < ${#translated[@]}; i++)); do
    if [[ ${translated[i]} =~ [^$nb][:!?»]( |$) || ${translated[i]} =~ [^$nb]\;\  || ${translated[i]} =~ «[^$nb] ||
      ${translated[i]} =~ ^[\;:!?»] ]]; then
      echo "a plain space or none where a no-break space belongs: ${translated[i]}"
      faults=$((faults + 1))
    fi
  done
  [ $faults -eq 0 ]
}

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
  check "$language: a glossary term said another way" glossary_is_kept "$file"
  [ "$language" = fr ] && check "fr: spaces before punctuation" french_spacing "$file"
done < <(grep -v '^#' "$po/LINGUAS" | grep .)
tally
