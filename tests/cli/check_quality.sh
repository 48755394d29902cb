#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs `check` and `report` of velmora-tesk-cli on every sample field book of ours and on small
# books written here, each built to sit exactly at a limit or just above it; with --real-books,
# on the real field books of REAL_BOOKS_DIR (or of $VELMORA_FIELD_BOOKS) instead. Without real
# books that run is skipped (exit 77), and fails in continuous integration (CI=true).
# Usage: check_quality.sh CLI SAMPLES_DIR [--real-books REAL_BOOKS_DIR]
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$1
samples=$2
real=
if [ "${3:-}" = --real-books ]; then
  real=${VELMORA_FIELD_BOOKS:-$4}
fi
. "$(dirname "$0")/cli_checks.sh"

# A plain-layout BFFB book (Rb Rf Rf Rb at each station) of run 5 from A over B back to A.
# Arguments: the back and fore sight lengths of station 1 and of station 2, and the second
# reading of station 1's back sight (the first is 1.50000).
write_book() {
  python3 - "$work/book.DAT" "$@" <<'PY'
import sys
path, b1, f1, b2, f2, rb2 = sys.argv[1:]
def line(point, code, reading, distance):
    text = " " * 7 + point.rjust(9) + " " * 15 + "5".rjust(4) + " " + code + reading.rjust(13) + "  " + distance.rjust(13)
    assert text[36:38] == code and text[7:16].strip() == point
    return text + "\r\n"
start = ("     1 Start-Line     BFFB").ljust(31) + "5".rjust(4) + "\r\n"
lines = [start, line("A", "Rb", "1.50000", b1), line("B", "Rf", "1.20000", f1),
         line("B", "Rf", "1.20000", f1), line("A", "Rb", rb2, b1),
         line("B", "Rb", "1.30000", b2), line("A", "Rf", "1.60000", f2),
         line("A", "Rf", "1.60000", f2), line("B", "Rb", "1.30000", b2)]
open(path, "w", newline="").write("".join(lines))
PY
}

# Every book goes through both commands: exit 0 or 4, valid JSON with every field, the same
# runs as the run list, and a page that names every run.
check_books() {
  for book in "$@"; do
    for class in I II III IV; do
      check
      "$cli" check --class "$class" --json "$book" >"$work/check.json" 2>"$work/err"
      status=$?
      { [ "$status" = 0 ] || [ "$status" = 4 ]; } || fail "check $book exited $status: $(cat "$work/err")"
      "$cli" runs --json "$book" >"$work/runs.json" 2>/dev/null
      check
      python3 - "$work/check.json" "$work/runs.json" "$status" <<'PY' || fail "check --json of $book at class $class"
import json, sys
runs = json.load(open(sys.argv[1], encoding="utf-8"))
listed = []
for r in json.load(open(sys.argv[2], encoding="utf-8")):
    if r["runNumber"] not in listed:
        listed.append(r["runNumber"])
assert [r["runNumber"] for r in runs] == listed, ([r["runNumber"] for r in runs], listed)
keys = {"runNumber", "method", "stations", "length", "maxSight", "maxStationImbalance",
        "cumulativeImbalance", "maxCumulativeImbalance", "maxDoubleReadingDifference",
        "instrument", "findings"}
for r in runs:
    assert keys <= set(r) <= keys | {"reason"}, set(r)
    for f in r["findings"]:
        extra = {"chainBreak": {"point", "previousPoint"},
                 "sectionDifference": {"from", "to", "runs", "books", "length", "opposite"}}
        assert set(f) == {"check", "station", "value", "limit"} | extra.get(f["check"], set()), f
        assert f["check"] in {"chainBreak", "sight", "stationImbalance", "cumulativeImbalance",
                              "doubleReading", "instrument", "method", "sectionDifference"}, f
        if f["check"] == "sectionDifference":
            assert abs(f["value"]) > f["limit"] and r["runNumber"] == f["runs"][1], f
        elif f["value"] is not None and f["check"] != "method":
            assert f["value"] > f["limit"], f
    if r["stations"]:
        assert r["maxSight"] >= 0 and r["maxStationImbalance"] >= 0
        assert r["maxCumulativeImbalance"] >= abs(r["cumulativeImbalance"]) - 1e-9
found = any(r["findings"] for r in runs)
assert (sys.argv[3] == "4") == found, "exit status and findings disagree"
PY
    done
    check
    "$cli" report --output "$work/report.html" "$book" >/dev/null 2>"$work/err"
    status=$?
    { [ "$status" = 0 ] || [ "$status" = 4 ]; } || fail "report $book exited $status: $(cat "$work/err")"
    check
    python3 - "$work/report.html" "$work/runs.json" <<'PY' || fail "report of $book"
import json, sys, html
page = open(sys.argv[1], encoding="utf-8").read()
for r in json.load(open(sys.argv[2], encoding="utf-8")):
    assert "<tr><td>" + html.escape(r["runNumber"], quote=True) + "</td>" in page, r["runNumber"]
assert page.count("<section>") == page.count("</section>")
PY
  done
}

if [ -n "$real" ]; then
  books=()
  for book in "$real"/*.DAT "$real"/*.dat; do [ -f "$book" ] && books+=("$book"); done
  if [ "${#books[@]}" = 0 ]; then
    [ "${CI:-}" = true ] && { echo "FAIL: no real field books in $real (set VELMORA_FIELD_BOOKS)"; exit 1; }
    echo "skipped: no real field books in $real (set VELMORA_FIELD_BOOKS)"
    exit 77
  fi
  check_books "${books[@]}"
  # The real books agree with the instrument's own sums: no instrument finding anywhere.
  for book in "${books[@]}"; do
    "$cli" check --class IV --json "$book" >"$work/check.json" 2>/dev/null
    check
    python3 -c "
import json, sys
bad = [r['runNumber'] for r in json.load(open(sys.argv[1])) for f in r['findings'] if f['check'] == 'instrument']
assert not bad, bad" "$work/check.json" || fail "instrument finding in $book"
  done
  echo "${#books[@]} real field books"
  finish
  exit
fi
check_books "$samples"/*.DAT

# Limits at the boundary. Sights 30/30 and 30/30 m, both readings of each sight equal: clean.
write_book 30.00 30.00 30.00 30.00 1.50000
expect_status 0 "$cli" check --class II "$work/book.DAT"
check; grep -q "^5 BFFB: 2 stations, length 120.000 m" "$work/out" || fail "figures line: $(cat "$work/out")"
# Sight length: 30 m at --max-sight 30 passes, 30.01 m is found.
expect_status 0 "$cli" check --max-sight 30 "$work/book.DAT"
write_book 30.01 30.00 30.00 30.00 1.50000
expect_status 4 "$cli" check --max-sight 30 "$work/book.DAT"
check; grep -q "^  station 1: sight 30.010 m, limit 30.000 m$" "$work/out" || fail "sight finding: $(cat "$work/out")"
# Station imbalance: 2.47 − 1.47 is the limit of 1 m (though not in doubles); 2.48 is above.
write_book 2.47 1.47 1.47 2.47 1.50000
expect_status 0 "$cli" check "$work/book.DAT"
write_book 2.48 1.47 1.47 2.47 1.50000
expect_status 4 "$cli" check --json "$work/book.DAT"
check
python3 -c "
import json, sys
[run] = json.load(open(sys.argv[1]))
assert run['findings'] == [{'check': 'stationImbalance', 'station': 1, 'value': run['findings'][0]['value'], 'limit': 1}], run
assert abs(run['findings'][0]['value'] - 1.01) < 1e-9 and abs(run['cumulativeImbalance']) < 0.0100001
" "$work/out" || fail "station imbalance finding: $(cat "$work/out")"
# Cumulative imbalance: +1 and +1 reach the limit of 2 m at class II; --max-cumulative-imbalance
# 1.99 finds it at station 2.
write_book 11.00 10.00 11.00 10.00 1.50000
expect_status 0 "$cli" check "$work/book.DAT"
expect_status 4 "$cli" check --max-cumulative-imbalance 1.99 "$work/book.DAT"
check; grep -q "^  station 2: cumulative imbalance 2.000 m, limit 1.990 m$" "$work/out" || fail "cumulative: $(cat "$work/out")"
# The two readings of station 1's back sight: 0.7 mm apart pass at class II, 0.8 mm do not.
write_book 30.00 30.00 30.00 30.00 1.50070
expect_status 0 "$cli" check "$work/book.DAT"
write_book 30.00 30.00 30.00 30.00 1.50080
expect_status 4 "$cli" check "$work/book.DAT"
check; grep -q "^  station 1: two readings of one sight differ by 0.00080 m, limit 0.00070 m$" "$work/out" || fail "double reading: $(cat "$work/out")"
expect_status 0 "$cli" check --max-double-reading=0,0008 "$work/book.DAT"

# Runs that are read but have no station (a lone backsight; a start record and a Sh line) show
# no figure at all: null, not 0.
python3 "$(dirname "$0")/write_book.py" "$work/no-stations.DAT" <<'B'
run 10
A Rb 1.50000 30.00
run 12 BFFB
A Sh 0.00000 0.00
B
expect_status 0 "$cli" check --json "$work/no-stations.DAT"
check
python3 - "$work/out" <<'PY' || fail "a run without stations shows figures: $(cat "$work/out")"
import json, sys
runs = json.load(open(sys.argv[1]))
assert [r["runNumber"] for r in runs] == ["10", "12"], runs
for r in runs:
    assert r["stations"] == 0 and r["findings"] == [], r
    for key in ("length", "maxSight", "maxStationImbalance", "cumulativeImbalance",
                "maxCumulativeImbalance", "maxDoubleReadingDifference"):
        assert r[key] is None, (key, r)
PY

# The cumulative imbalance reaches +3 m at station 1 and -3 m again at station 3: the finding
# names station 1, where the largest magnitude is first reached.
python3 "$(dirname "$0")/write_book.py" "$work/cumulative.DAT" <<'B'
run 15 BFFB
A Rb 1.50000 13.00
B Rf 1.20000 10.00
B Rf 1.20000 10.00
A Rb 1.50000 13.00
B Rb 1.30000 10.00
C Rf 1.10000 13.00
C Rf 1.10000 13.00
B Rb 1.30000 10.00
C Rb 1.20000 10.00
A Rf 1.70000 13.00
A Rf 1.70000 13.00
C Rb 1.20000 10.00
B
expect_status 4 "$cli" check --max-station-imbalance 5 "$work/cumulative.DAT"
check; grep -q "^  station 1: cumulative imbalance 3.000 m, limit 2.000 m$" "$work/out" &&
  [ "$(grep -c cumulative "$work/out")" = 2 ] || fail "two equal largest imbalances: $(cat "$work/out")"

# A BF book at class II reads each sight once: a method finding, gone at class III or when
# single readings are allowed.
expect_status 4 "$cli" check --class II "$samples/plain_layout.DAT"
check; grep -q "^  method: every sight is read once" "$work/out" || fail "method finding: $(cat "$work/out")"
"$cli" check --class II --json --allow-single-readings "$samples/plain_layout.DAT" >"$work/out"
check; ! grep -q '"method", "station"' "$work/out" || fail "single readings allowed, still a method finding"

# Numbers never follow the locale.
LC_ALL=ru_RU.UTF-8 "$cli" check --json "$samples/levelling_m5.DAT" >"$work/ru.json" 2>/dev/null
LC_ALL=C "$cli" check --json "$samples/levelling_m5.DAT" >"$work/c.json" 2>/dev/null
check; cmp -s "$work/ru.json" "$work/c.json" || fail "the locale changed the JSON"

# Failures: unreadable input, unwritable output, usage.
expect_status 1 "$cli" check "$work/missing.DAT"
expect_status 1 "$cli" report --output "$work/out.html" "$work/missing.DAT"
check; [ ! -e "$work/out.html" ] || fail "a page was written for a missing book"
expect_status 1 "$cli" report --output "$work/no/such/folder/r.html" "$samples/levelling_m5.DAT"
cp "$samples/plain_layout.DAT" "$work/own.DAT"
expect_status 2 "$cli" report --output "$work/own.DAT" "$work/own.DAT"
check; cmp -s "$work/own.DAT" "$samples/plain_layout.DAT" || fail "report overwrote its field book"
# Standard input and output, as for the other commands.
"$cli" check --json - <"$samples/plain_layout.DAT" >"$work/stdin.json"
"$cli" check --json "$samples/plain_layout.DAT" >"$work/file.json"
check; cmp -s "$work/stdin.json" "$work/file.json" || fail "check of standard input differs"
"$cli" report --output - "$samples/plain_layout.DAT" >"$work/stdout.html"
check; grep -q "^<tr><td>21</td>" "$work/stdout.html" || fail "report to standard output"
# Several books in one report, each run named with its book; their network with --fixed, as
# adjust computes it; standard input cannot serve both the checks and the adjustment.
cp "$samples/levelling_m5.DAT" "$work/second.DAT"
LC_ALL=C "$cli" report --fixed RP101=100,RP102=101 --output "$work/two.html" "$samples/levelling_m5.DAT" "$work/second.DAT" 2>/dev/null
status=$?
{ [ "$status" = 0 ] || [ "$status" = 4 ]; } || fail "report of two books exited $status"
grep -q "<tr><td>levelling_m5.DAT: 1</td>" "$work/two.html" && grep -q "<tr><td>second.DAT: 1</td>" "$work/two.html" \
  || fail "report of two books: runs not named with their books"
LC_ALL=C "$cli" adjust --fixed RP101=100,RP102=101 "$samples/levelling_m5.DAT" "$work/second.DAT" 2>/dev/null >"$work/adjust.txt"
height=$(awk -F'\t' '$1 == "RP103" { print $2; exit }' "$work/adjust.txt")
[ -n "$height" ] && grep -q "<tr><td>RP103</td><td class=\"n\">$height</td>" "$work/two.html" \
  || fail "report of two books: RP103 is not at adjust's $height"
expect_status 2 "$cli" report --fixed NOWHERE=100 --output "$work/in.html" "$samples/levelling_m5.DAT"
check; [ ! -e "$work/in.html" ] || fail "a page was written for a wrong --fixed"
expect_status 2 "$cli" check
expect_status 2 "$cli" check --class V "$samples/levelling_m5.DAT"
expect_status 2 "$cli" check --max-sight abc "$samples/levelling_m5.DAT"
expect_status 2 "$cli" check --max-sight -1 "$samples/levelling_m5.DAT"
expect_status 2 "$cli" report "$samples/levelling_m5.DAT"
expect_status 2 "$cli" report --json --output "$work/r.html" "$samples/levelling_m5.DAT"

# Sections levelled there and back (the Leica sample): I-N is 73.4 mm apart against 2.6 mm in
# class II, the other five pairs agree; a larger k lets it pass; adjust says it first.
expect_status 4 "$cli" check "$samples/leica_dna03.gsi"
check
[ "$(grep -c '^section .*: within the limit$' "$work/out")" = 5 ] \
  && grep -q '^section I-N, runs 17 and 18 there and back: .*, d -73.4 mm, limit 2.6 mm: above the limit$' "$work/out" \
  || fail "sections levelled twice: $(grep '^section' "$work/out")"
"$cli" check --max-section-difference 300 "$samples/leica_dna03.gsi" >"$work/out" 2>&1
grep -q '^section I-N, .*, limit 157.3 mm: within the limit$' "$work/out" || fail "--max-section-difference: $(grep '^section I' "$work/out")"
expect_status 2 "$cli" check --max-section-difference x "$samples/leica_dna03.gsi"
"$cli" report --output "$work/pairs.html" "$samples/leica_dna03.gsi" >/dev/null 2>&1
[ "$(grep -c '^<tr><td>[A-Z]&#8211;[A-Z]</td>\|^<tr><td>[A-Z]–[A-Z]</td>' "$work/pairs.html")" = 5 ] \
  && grep -q '^<tr class="bad"><td>I–N</td><td>17, 18</td>.*<td class="n">−73.4</td><td class="n">2.6</td><td>above the limit</td></tr>$' "$work/pairs.html" \
  || fail "the page's table of sections levelled twice: $(grep -A8 'Sections levelled twice' "$work/pairs.html")"
"$cli" adjust --fixed A=100 "$samples/leica_dna03.gsi" >/dev/null 2>"$work/err"
head -1 "$work/err" | grep -q "warning: section I-N: runs 17 and 18 differ by -73.4 mm, above the limit of 2.6 mm" \
  || fail "adjust does not name the pair first: $(head -2 "$work/err")"

# The rod scale: 0 corrects nothing in any output; 20 ppm makes a 2 m difference 0.04 mm more
# in check, report and adjust, and each says so. Section A-B is run there and back, 2 m each way.
python3 "$(dirname "$0")/write_book.py" "$work/rods.DAT" <"$(dirname "$0")/rods_book.txt"
rods() {  # NAME SCALE COMMAND...: the output of one command, a page to standard output
  "$cli" "${@:3}" ${2:+--rod-scale "$2"} "$work/rods.DAT" >"$work/$1.$2" 2>/dev/null
}
for job in "check:check" "report:report --output -" "adjust:adjust --fixed A=100" "json:adjust --json --fixed A=100"; do
  name=${job%%:*}
  read -ra command <<<"${job#*:}"
  rods "$name" "" "${command[@]}"; rods "$name" 0 "${command[@]}"; rods "$name" 20 "${command[@]}"
  cmp -s "$work/$name." "$work/$name.0" || fail "--rod-scale 0 changes the output of $name"
  grep -q "Rod scale +20 ppm\|rodScalePpm\": 20" "$work/$name.20" || fail "$name does not say the rod scale"
done
grep -q "^section A-B, runs 1 and 2 there and back: 2.00004 m and -2.00004 m, d 0.0 mm" "$work/check.20" \
  || fail "check --rod-scale 20: $(grep '^section' "$work/check.20")"
grep -q '<td class="n">2.00004</td><td class="n">−2.00004</td>' "$work/report.20" || fail "report --rod-scale 20"
grep -q "^B"$'\t'"102.0000400"$'\t' "$work/adjust.20" || fail "adjust --rod-scale 20: $(grep '^B' "$work/adjust.20")"
python3 - "$work/json." "$work/json.20" <<'PY' || fail "adjust --json --rod-scale 20"
import json, sys
plain, scaled = (json.load(open(p)) for p in sys.argv[1:])
assert "rodScalePpm" not in plain and scaled["rodScalePpm"] == 20
for a, b in zip(plain["sections"], scaled["sections"]):
    assert abs((b["dh"] - a["dh"]) - a["dh"] * 20e-6) < 1e-12, (a, b)
    assert abs(abs(b["dh"] - a["dh"]) - 0.00004) < 1e-12
PY
# The same section there in one book and back in another: the page of both pairs them.
head -2 "$work/rods.DAT" >"$work/there.DAT"; tail -2 "$work/rods.DAT" >"$work/back.DAT"
"$cli" report --output "$work/books.html" "$work/there.DAT" "$work/back.DAT" >/dev/null 2>&1
grep -q '<tr><td>A–B</td><td>there.DAT: 1, back.DAT: 2</td><td class="n">2.00000</td>' "$work/books.html" \
  || fail "report of two books: no pair across them: $(grep -A3 'Sections levelled twice' "$work/books.html")"
expect_status 2 "$cli" check --rod-scale 1001 "$work/rods.DAT"
expect_status 2 "$cli" adjust --fixed A=100 --rod-scale x "$work/rods.DAT"

finish
