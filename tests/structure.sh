#!/usr/bin/env bash
# The engine's structure, checked on its built libraries and its sources:
#  - each source file keeps its mutable state in one context object: at most
#    one object with static storage in a writable data section (.data or
#    .bss; not .data.rel.ro, which holds constants) outside the class-wide
#    members and the operations' own static buffers;
#  - no two engine modules (a header and its source) include each other.
#   bash tests/structure.sh <source folder> <library>...
set -euo pipefail
src=$1
shift
status=0

# Objects with static storage, by file: "file<TAB>kind<TAB>name".
state() {
  for lib in "$@"; do
    nm -C --defined-only -f sysv -A "$lib" 2>/dev/null | awk -F'|' '
      $4 ~ /OBJECT/ && $NF ~ /^\.(data|bss|tbss|tdata)/ && $NF !~ /rel\.ro/ {
        split($1, where, ":"); file = where[2]; name = substr($1, length(where[1]) + length(where[2]) + 3)
        gsub(/ +$/, "", name); print file "\t" name }'
  done | grep -v -e 'guard variable' -e 'DW\.ref' -e '__asan' -e '__odr_asan' -e '__sancov' |
    awk -F'\t' '{
      m = $2; gsub(/\(anonymous namespace\)/, "anon", m)
      kind = "file-scope"
      if (m ~ /\)( const)?::/) kind = "function-local"
      else if (m ~ /^(platform::)?[A-Z][A-Za-z]*::[A-Za-z_]/) kind = "class-wide"
      print $1 "\t" kind "\t" $2 }'
}

counts=$(state "$@")
echo "$counts" | cut -f2 | sort | uniq -c | sed 's/^/structure: /'
crowded=$(echo "$counts" | awk -F'\t' '$2 == "file-scope" { n[$1]++ } END { for (f in n) if (n[f] > 1) print f }')
if [ -n "$crowded" ]; then
  for f in $crowded; do
    echo "structure: $f keeps its state in more than one object:"
    echo "$counts" | awk -F'\t' -v f="$f" '$1 == f && $2 == "file-scope" { print "  " $3 }'
  done
  status=1
fi

# Modules (engine/X.h with engine/X.cpp, platform's too) and whom they include.
cd "$src/engine"
module() { local m=${1%.*}; echo "${m#./}"; }
edges=$(for f in $(find . -name '*.h' -o -name '*.cpp' | sort); do
  from=$(module "$f")
  dir=$(dirname "$f")
  { grep -o '^#include "[^"]*"' "$f" || true; } | sed 's/#include "\(.*\)"/\1/' | while read -r inc; do
    if [ -f "$dir/$inc" ]; then to=$(module "$dir/$inc"); else to=$(module "./$inc"); fi
    to=$(realpath -m --relative-to=. "$to")
    from=$(realpath -m --relative-to=. "$from")
    [ "$from" != "$to" ] && echo "$from $to"
  done
done | sort -u)
echo "structure: $(echo "$edges" | wc -l) includes between modules"
while read -r a b; do
  if echo "$edges" | grep -qx "$b $a" && [[ "$a" < "$b" ]]; then
    echo "structure: $a and $b include each other"
    status=1
  fi
done <<<"$edges"
exit $status
