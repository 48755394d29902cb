#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How velmora-tesk-cli reads the stations of a run, on small M5 books written here: runs whose
# readings could be grouped in more than one way, and what each grouping would show wrongly.
# Usage: check_stations.sh CLI
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$1
write_book="python3 $(dirname "$0")/write_book.py"
. "$(dirname "$0")/cli_checks.sh"

# json_of COMMAND... FILE: runs `velmora-tesk-cli COMMAND --json FILE` into $work/json.
json_of() {
  check
  "$cli" "$@" >"$work/json" 2>"$work/err"
  local status=$?
  { [ "$status" = 0 ] || [ "$status" = 4 ]; } || fail "$* exited $status: $(cat "$work/err")"
}

# A named BFBF run where station 2 was given up after back, fore, back and measured again:
# no method takes a half station, so the run cannot be read. Keeping the half station would
# add its 0.3 m to a run that closes exactly.
$write_book "$work/given-up.DAT" <<'B'
run 5 BFBF
A Rb 1.50000 30.00
B Rf 1.20000 30.00
A Rb 1.50000 30.00
B Rf 1.20000 30.00
B Rb 1.40000 25.00
C Rf 1.10000 25.00
B Rb 1.40000 25.00
B Rb 1.40000 25.00
C Rf 1.40000 25.00
B Rb 1.40000 25.00
C Rf 1.40000 25.00
C Rb 1.20000 20.00
A Rf 1.50000 20.00
C Rb 1.20000 20.00
A Rf 1.50000 20.00
B
json_of runs --json "$work/given-up.DAT"
python3 - "$work/json" <<'PY' || fail "a half station given up is kept: $(cat "$work/json")"
import json, sys
[run] = json.load(open(sys.argv[1]))
assert run["status"] == "unreadable" and run["misclosure"] is None, run
assert "station 2" in run["reason"] and "fits no levelling method" in run["reason"], run
PY

# An unnamed run of FBBF stations only is aBFFB: 2 stations of 60 m, each sight the mean of its
# two readings (a back sight read 1.5 and 1.5002), not three BF stations over 210 m.
$write_book "$work/fbbf.DAT" <<'B'
run 5
B Rf 1.20000 30.00
A Rb 1.50000 30.00
A Rb 1.50020 30.00
B Rf 1.20000 30.00
A Rf 1.50000 30.00
B Rb 1.20000 30.00
B Rb 1.20000 30.00
A Rf 1.50000 30.00
B
json_of runs --json "$work/fbbf.DAT"
python3 - "$work/json" <<'PY' || fail "FBBF stations read wrong in the run list: $(cat "$work/json")"
import json, sys
[run] = json.load(open(sys.argv[1]))
assert run["text"] == "5 // 0.0001" and run["length"] == 120, run
assert abs(run["misclosure"] - 0.0001) < 1e-12, run
PY
json_of check --class I --json "$work/fbbf.DAT"
python3 - "$work/json" <<'PY' || fail "FBBF stations read wrong by check: $(cat "$work/json")"
import json, sys
[run] = json.load(open(sys.argv[1]))
assert run["method"] == "aBFFB" and run["stations"] == 2 and run["length"] == 120, run
assert run["findings"] == [], run
PY

# An unnamed aBFFB run whose first station is FBBF is named aBFFB everywhere, not aBFBF.
$write_book "$work/fbbf-first.DAT" <<'B'
run 6
B Rf 1.20000 30.00
A Rb 1.50000 30.00
A Rb 1.50020 30.00
B Rf 1.20000 30.00
B Rb 1.30000 25.00
C Rf 1.10000 25.00
C Rf 1.10000 25.00
B Rb 1.30000 25.00
A Rf 1.70000 20.00
C Rb 1.20000 20.00
C Rb 1.20000 20.00
A Rf 1.70000 20.00
B
expect_status 0 "$cli" check "$work/fbbf-first.DAT"
check; grep -q "^6 aBFFB: 3 stations, length 150.000 m," "$work/out" || fail "FBBF first, check: $(cat "$work/out")"
json_of check --json "$work/fbbf-first.DAT"
check; grep -q '"method": "aBFFB"' "$work/json" || fail "FBBF first, check --json: $(cat "$work/json")"
expect_status 0 "$cli" report --output "$work/fbbf-first.html" "$work/fbbf-first.DAT"
check; grep -q "aBFFB" "$work/fbbf-first.html" && ! grep -q "aBFBF" "$work/fbbf-first.html" ||
  fail "FBBF first, the report does not name aBFFB"

# A named BFFB run whose station 2 begins on B2, not on B where station 1 ended (a mistyped
# point number): the named method needs no chain, the run stays readable.
$write_book "$work/typo.DAT" <<'B'
run 7 BFFB
A Rb 1.50000 30.00
B Rf 1.20000 30.00
B Rf 1.20000 30.00
A Rb 1.50000 30.00
B2 Rb 1.30000 25.00
C Rf 1.10000 25.00
C Rf 1.10000 25.00
B2 Rb 1.30000 25.00
C Rb 1.20000 20.00
A Rf 1.70000 20.00
A Rf 1.70000 20.00
C Rb 1.20000 20.00
B
json_of runs --json "$work/typo.DAT"
python3 - "$work/json" <<'PY' || fail "a mistyped point makes a named BFFB run unreadable: $(cat "$work/json")"
import json, sys
[run] = json.load(open(sys.argv[1]))
assert run["text"] == "7 // 0" and run["status"] == "within" and run["length"] == 150, run
PY

# A BF run that begins with two foresights before any backsight: each is a station of its own
# that adds its point and its distance (10 + 20 m), the height starts at the first backsight.
# Run 9, the two foresights alone, has two points: open, not empty.
$write_book "$work/two-fore.DAT" <<'B'
run 8
A Rf 1.00000 10.00
X Rf 1.10000 20.00
A Rb 1.50000 30.00
B Rf 1.20000 30.00
B Rb 1.30000 25.00
A Rf 1.60000 25.00
run 9
A Rf 1.00000 10.00
X Rf 1.10000 20.00
B
json_of runs --json "$work/two-fore.DAT"
python3 - "$work/json" <<'PY' || fail "two foresights before the first backsight: $(cat "$work/json")"
import json, sys
eight, nine = json.load(open(sys.argv[1]))
assert eight["text"] == "8 // 0" and eight["length"] == 140, eight
assert nine["text"] == "9 // ----" and nine["length"] == 30, nine
PY
json_of check --json "$work/two-fore.DAT"
check; grep -q '"runNumber": "8", "method": "BF", "stations": 2, "length": 140,' "$work/json" ||
  fail "check of two foresights before the first backsight: $(cat "$work/json")"

# An unknown unit on the instrument's Sh or Db line loses only the comparison with the
# instrument; the run's readings are in metres and it stays readable.
for units in "yd m|m m" "m m|m yd" "yd m|"; do
  sh=${units%|*}
  db=${units#*|}
  {
    printf 'run 9\nA Rb 1.50000 30.00\nB Rf 1.20000 30.00\nB Rb 1.30000 25.00\nA Rf 1.60000 25.00\n'
    printf 'A Sh 0.00000 0.00 %s\n' "$sh"
    [ -n "$db" ] && printf 'A Db 55.00 55.00 %s\n' "$db"
  } | $write_book "$work/units.DAT"
  json_of runs --json "$work/units.DAT"
  python3 - "$work/json" "$units" <<'PY' || fail "unknown unit on an instrument line ($units): $(cat "$work/json")"
import json, sys
[run] = json.load(open(sys.argv[1]))
assert run["text"] == "9 // 0" and run["length"] == 110 and run["reason"] is None, run
sh, db = sys.argv[2].split("|")
if sh.startswith("yd") and db.startswith("m"):
    assert run["instrument"] == {"heightSum": None, "length": 110}, run
elif db.endswith("yd"):
    assert run["instrument"] == {"heightSum": 0, "length": None}, run
else:
    assert run["instrument"] is None and run["agreesWithInstrument"] is None, run
PY
done

# A sight distance below zero makes its run unreadable, and every command says so: the run
# list, the check, the report, the export and the adjustment. In an M5 book, and in a GSI book
# whose distance word carries the minus sign.
printf 'run 4\nA Rb 1.50000 20.00\nB Rf 1.20000 -21.35\nB Rb 1.40000 20.00\nA Rf 1.70000 20.00\n' |
  $write_book "$work/negative.DAT"
{
  printf '*410001+00000000?......1 \n'
  printf '*110002+000000000000000A 32...8+0000000002000000 331.08+0000000000150000 \n'
  printf '*110003+000000000000000B 32...8-0000000002135000 332.08+0000000000120000 \n'
} >"$work/negative.gsi"
for book in negative.DAT:4 negative.gsi:1; do
  run=${book#*:} book=$work/${book%:*}
  for command in "runs --json" "check --json" "report --output $work/negative.html" \
    "export --start A --output $work/negative.xls" "adjust --fixed A=100"; do
    check
    # shellcheck disable=SC2086  # the command's words are meant to split
    "$cli" $command "$book" >"$work/out" 2>"$work/err"
    cat "$work/negative.html" >>"$work/out" 2>/dev/null
    rm -f "$work/negative.html"
    grep -q "negative distance -21.35\(000\)\? at point B" "$work/out" "$work/err" && [ ! -e "$work/negative.xls" ] ||
      fail "$command on a run with a distance below zero ($book): $(cat "$work/out" "$work/err" | head -c 400)"
  done
  json_of runs --json "$book"
  check; grep -q "\"runNumber\": \"$run\", \"status\": \"unreadable\", \"misclosure\": null, \"length\": null" "$work/json" ||
    fail "a run with a distance below zero in the list ($book): $(cat "$work/json")"
done

finish
