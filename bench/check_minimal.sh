#!/bin/bash
# SPDX-License-Identifier: MIT
# The yardstick prints what it measures against: velmora-bench-minimal and `velmora-tesk-cli
# runs` give the same bytes on a generated book, in the M5 layout and rewritten in the plain one.
#     check_minimal.sh GENERATOR MINIMAL CLI
set -euo pipefail
generator=$1 minimal=$2 cli=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" --lines 30000 --runs 300 --seed 3 "$work/m5.DAT" >/dev/null
# The same lines in the plain layout: point, run, value type, reading and distance at its
# columns; lines without a value type keep their text before the run number.
python3 - "$work/m5.DAT" "$work/plain.DAT" <<'PY'
import sys
out = open(sys.argv[2], "wb")
for raw in open(sys.argv[1], "rb"):
    line = raw.rstrip(b"\r\n")
    run, code = line[44:48], line[49:51]
    if code.strip():
        body = b" " * 7 + line[20:29].strip().rjust(9) + b" " * 15 + run + b" " + code + \
               line[51:66].strip().rjust(13) + b"  " + line[74:89].strip().rjust(13)
    else:
        body = b" " * 7 + line[20:44].strip().ljust(24) + run
    out.write(body + b"\r\n")
PY
status=0
for book in m5 plain; do
  "$cli" runs "$work/$book.DAT" >"$work/$book.tool"
  "$minimal" "$work/$book.DAT" >"$work/$book.minimal"
  if ! cmp -s "$work/$book.tool" "$work/$book.minimal"; then
    echo "FAIL: the minimal program's list of the $book book differs:"
    diff "$work/$book.tool" "$work/$book.minimal" | head -5
    status=1
  fi
done
[ "$status" = 0 ] && echo "both lists agree: $(wc -l <"$work/m5.tool") entries"
exit "$status"
