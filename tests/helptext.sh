#!/usr/bin/env bash
# --help in English and in every language of po/LINGUAS: printed in that
# language, no line wider than 80 columns (a wide East Asian character takes
# two), the usage lines aligned under their first, and the descriptions of
# the options and keys all starting in one column.
#   helptext.sh <zunk executable> <source folder>
set -u
program=$1
root=$2
suite=helptext
source "$(dirname "$0")/checks.sh"
# Widths are counted by characters' display widths, not bytes.
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

columns() { printf '%s' "$1" | wc -L; }

# The language is read from the locale (LANGUAGE is not read when the
# locale is C); no locale need be installed for the game to read it.
help_in() { # language (en: English)
  env -u LANGUAGE -u LC_MESSAGES -u LANG LC_ALL="$1.UTF-8" "$program" --help
}

within_80_columns() { # file
  local line faults=0
  while IFS= read -r line; do
    if [ "$(columns "$line")" -gt 80 ]; then
      echo "$(columns "$line") columns: $line"
      faults=$((faults + 1))
    fi
  done <"$1"
  [ $faults -eq 0 ]
}

# The usage lines after the first start where the first line's "zunk" does.
usage_aligned() { # file
  local first under line n=0
  first=$(head -n 1 "$1")
  [[ $first == *" zunk "* ]] || { echo "not a usage line: $first"; return 1; }
  under=$(columns "${first%% zunk *} ")
  while IFS= read -r line && [[ $line =~ ^\ +zunk\  ]]; do
    n=$((n + 1))
    [ "$(columns "${line%%zunk *}")" -eq "$under" ] || { echo "not under the first line's \"zunk\": $line"; return 1; }
  done < <(tail -n +2 "$1")
  [ $n -eq 4 ] || { echo "$n usage lines after the first, not 4"; return 1; }
}

# After the first blank line, a line that starts with spaces is a table's:
# "  TERM  description", or a description's further line, or a term alone
# (too wide for the column) whose description follows on the next line.
one_description_column() { # file
  local line start column= blank=no rows=0 term_alone=no
  while IFS= read -r line; do
    [ -z "$line" ] && { blank=yes; continue; }
    [ $blank = yes ] && [[ $line == " "* ]] || continue
    if [[ $line =~ ^(\ \ [^\ ]+(\ [^\ ]+)*\ \ +)[^\ ] ]]; then
      start=$(columns "${BASH_REMATCH[1]}")
      rows=$((rows + 1))
      term_alone=no
    elif [[ $line =~ ^(\ {3,})[^\ ] ]]; then
      start=$(columns "${BASH_REMATCH[1]}")
      term_alone=no
    elif [[ $line =~ ^\ \ [^\ ] ]] && [ $term_alone = no ]; then
      term_alone=yes
      continue
    else
      echo "neither a table's line nor a description's: $line"
      return 1
    fi
    [ -z "$column" ] && column=$start
    [ "$start" -eq "$column" ] || { echo "starts at column $start, not $column: $line"; return 1; }
  done <"$1"
  # Four options and twelve keys.
  [ $rows -ge 16 ] || { echo "$rows rows with a term and a description, not 16"; return 1; }
}

help_in en >"$work/en"
check "English: --help" test -s "$work/en"
for language in en $(grep -v '^#' "$root/po/LINGUAS"); do
  file=$work/$language
  [ "$language" = en ] || help_in "$language" >"$file"
  if [ "$language" != en ]; then
    check "$language: --help is not translated" bash -c "[ -s '$file' ] && ! cmp -s '$file' '$work/en'"
  fi
  check "$language: a line of --help wider than 80 columns" within_80_columns "$file"
  check "$language: --help's usage lines" usage_aligned "$file"
  check "$language: --help's descriptions" one_description_column "$file"
done
tally
