# SPDX-License-Identifier: MIT
# The pieces every command-line test script shares; source it after `set -u`. It makes a
# scratch folder $work (removed at exit) and counts checks and failures:
#   check                     counts one check
#   fail MESSAGE              counts a failure and prints it
#   expect_status STATUS CMD  runs CMD (stdout in $work/out, stderr in $work/err), checks STATUS
#   finish                    prints the tally and exits 0 only when nothing failed
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }

expect_status() {
  local want=$1; shift
  check
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" = "$want" ] || fail "'$*' exited $got, expected $want; stderr: $(cat "$work/err")"
}

finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" = 0 ]
}
