# The checks of the shell tests, sourced by them: each check counts, each
# failure is told on stderr, and checks_summary ends the test with its
# count, failing when one check failed.
checks=0
failures=0

pass() { checks=$((checks + 1)); }

fail() { # DESCRIPTION
  checks=$((checks + 1))
  failures=$((failures + 1))
  echo "FAIL: $*" >&2
}

check() { # DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then pass; else fail "$what"; fi
}

checks_summary() {
  echo "$((checks - failures)) passed, $failures failed"
  test "$failures" -eq 0
}
