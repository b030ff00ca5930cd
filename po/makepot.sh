#!/usr/bin/env bash
# Writes the translation template from the sources listed in POTFILES.in.
#   makepot.sh [output]     (default: po/zunk.pot)
set -euo pipefail
po=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$po")
out=${1:-$po/zunk.pot}
cd "$root"
mapfile -t files < <(grep -v '^#' "$po/POTFILES.in" | grep .)
sources=() scripts=() other=()
for f in "${files[@]}"; do
  case $f in *.cpp | *.h) sources+=("$f") ;; *.js) scripts+=("$f") ;; *) other+=("$f") ;; esac
done
# Files without line numbers: the template changes only when a text does.
common=(--from-code=UTF-8 --package-name=zunk --package-version=1.0 --no-wrap --add-location=file)
# xgettext warns that no address for bug reports is given: there is none;
# its messages are shown only when it fails.
log=$(mktemp)
trap 'rm -f "$log" "$out.tmp"' EXIT
xgettext "${common[@]}" -L C++ --add-comments=TRANSLATORS: --keyword=tr --keyword=N_ --keyword=trc:1c,2 \
  --keyword=NC_:1c,2 --keyword=translate:1,1t --keyword=translate:1c,2,2t -o "$out.tmp" "${sources[@]}" 2>"$log" &&
  xgettext "${common[@]}" --join-existing -L JavaScript --add-comments=TRANSLATORS: --keyword=tr -o "$out.tmp" \
    "${scripts[@]}" 2>>"$log" &&
  xgettext "${common[@]}" --join-existing -o "$out.tmp" "${other[@]}" 2>>"$log" || { cat "$log" >&2; exit 1; }
mv "$out.tmp" "$out"
