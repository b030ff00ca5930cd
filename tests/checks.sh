# The tally of a test script's checks. Source it after setting `suite` (the
# name each failure is reported under); `check` runs a command and counts it,
# a failure shows the command's first lines of output; `tally` prints the
# totals and fails when a check did.
passed=0
failed=0
check() { # description, command...
  local what=$1 out
  shift
  out=$(mktemp)
  if "$@" >"$out" 2>&1; then passed=$((passed + 1)); else
    echo "$suite: $what"
    sed 's/^/  /' "$out" | head -n 30
    failed=$((failed + 1))
  fi
  rm -f "$out"
}
# Counts a check made some other way: 0 passed, else failed.
count() { if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi; }
tally() {
  echo "$passed passed, $failed failed"
  [ $failed -eq 0 ]
}
