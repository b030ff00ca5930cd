#!/usr/bin/env bash
# Runs every fuzz target over its seed corpus for a fixed number of runs.
#   tests/fuzz/run.sh <build folder> <runs per target>
# A longer run: tests/fuzz/run.sh build-fuzz 0 with FUZZ_SECONDS=300.
set -euo pipefail
build=$1
runs=$2
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS=suppressions=$here/../lsan.supp
for program in "$build"/tests/fuzz/fuzz_*; do
  target=${program##*/fuzz_}
  work=$(mktemp -d)
  cp -r "$here/corpus/$target/." "$work/" 2>/dev/null || true
  extra=(-runs="$runs")
  [ "$runs" = 0 ] && extra=(-max_total_time="${FUZZ_SECONDS:-300}")
  echo "fuzz_$target: ${extra[*]}"
  mkdir "$work/found"
  if ! "$program" "${extra[@]}" -max_len=65536 -timeout=10 -artifact_prefix="$work/found/" \
    "$work" >"$work/log" 2>&1; then
    tail -n 40 "$work/log"
    cp "$work"/found/* . 2>/dev/null || true
    echo "fuzz_$target found a fault; its input is kept in $(pwd)"
    exit 1
  fi
  grep -E '^Done|^#[0-9]+ *DONE' "$work/log" | tail -n 1
  rm -rf "$work"
done
