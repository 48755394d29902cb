#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs "velmora-tesk-cli adjust" on the sample field book: exit statuses and messages of the
# networks it cannot adjust (and no file left behind), the JSON's shape and values, the decimal
# comma in --fixed, the a-priori sigma, and the workbook of two sheets.
# Usage: check_adjust.sh CLI SAMPLES_DIR READ_SHEETS_PY
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$1
book=$2/levelling_m5.DAT
read_sheets=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
book_sum=$(cksum <"$book")

# expect STATUS STDERR_PATTERN ARGS...: adjust exits with STATUS, stderr matches the pattern
# (is empty for an empty pattern),
# and no workbook is left in the work folder when STATUS is not 0.
expect() {
  local want=$1 pattern=$2; shift 2
  "$cli" adjust "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" = "$want" ] || fail "adjust $* exited $got, expected $want; stderr: $(cat "$work/err")"
  if [ -z "$pattern" ]; then
    [ ! -s "$work/err" ] || fail "adjust $*: unexpected stderr: $(cat "$work/err")"
  else
    grep -q -- "$pattern" "$work/err" || fail "adjust $*: stderr lacks '$pattern': $(cat "$work/err")"
  fi
  if [ "$want" != 0 ] && ls "$work"/*.xls* >/dev/null 2>&1; then
    fail "adjust $* left a workbook behind"
    rm -f "$work"/*.xls*
  fi
}

out="$work/net.xlsx"
expect 2 "not in"                   --fixed NOWHERE=1 --output "$out" "$book"
expect 2 "needs --fixed"            --output "$out" "$book"
expect 2 "POINT=HEIGHT"             --fixed RP101 "$book"
expect 2 "fixed twice"              --fixed RP101=1,RP101=2 "$book"
expect 2 "is no number"             --fixed RP101=high "$book"
expect 2 "run 99 is not in"         --fixed RP101=1 --runs 99 "$book"
expect 2 "unknown class"            --fixed RP101=1 --class V "$book"
expect 2 "from 0.000001 to 1"       --fixed RP101=1 --sigma 0 "$book"
expect 1 "no redundancy"            --fixed RP102=100 --runs 3 --output "$out" "$book"
# A fixed point must be a point of the selected runs: RP102 is of runs 2 and 3 only. An
# intermediate sight is one (MH7 of run 2), but holds no station.
expect 2 "fixed point RP102 is not in the selected runs" --fixed RP102=100 --runs 1 "$book"
expect 1 "no fixed point lies"      --fixed MH7=100 --runs 2 --output "$work/net.xls" "$book"
expect 1 "cannot write"             --fixed RP101=100 --output "$work/missing/net.xlsx" "$book"
expect 1 "cannot read"              --fixed RP101=100 "$work/none.DAT"

# Runs 2 and 3 from RP102: a loop with an intermediate sight on MH7 and an open line that only
# its own stations check.
expect 0 "" --fixed RP102=100 --runs 2,3 --json "$book"
python3 - "$work/out" <<'PY' || fail "adjust --json is wrong"
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
assert set(r) == {"sigma0", "sigma", "dof", "globalTest", "points", "sections", "observations",
                  "unreached", "warnings"}, r.keys()
assert r["sigma"] == 0.0025 and r["dof"] == 1 and r["unreached"] == [] and r["warnings"] == []
# The nodes first, then the turning points and intermediate sights in field-book order.
assert [(p["point"], p["kind"]) for p in r["points"]] == [
    ("RP102", "node"), ("RP103", "node"), ("TP5", "turning"), ("MH7", "intermediate"),
    ("TP6", "turning"), ("TP7", "turning"), ("TP8", "turning"), ("TP9", "turning")]
assert [p["fixed"] for p in r["points"]] == [True] + [False] * 7
for p in r["points"]:
    common = {"point", "kind", "height", "sigma", "fixed"}
    assert set(p) == (common | {"sections"} if p["kind"] == "node" else common | {"book", "run", "station"}), p
assert [p["sections"] for p in r["points"][:2]] == [3, 1]  # the loop begins and ends at RP102
assert r["points"][2]["book"] == "levelling_m5.DAT" and r["points"][2]["run"] == "2"
assert [(s["run"], s["from"], s["to"], s["stations"]) for s in r["sections"]] == [
    ("2", "RP102", "RP102", 4), ("3", "RP102", "RP103", 3)]
assert abs(r["sections"][0]["residual"] + 0.00296) < 1e-12 and r["sections"][1]["w"] is None
assert all(o["book"] == "levelling_m5.DAT" for o in r["observations"])
loop = [o for o in r["observations"] if o["run"] == "2"]
line = [o for o in r["observations"] if o["run"] == "3"]
assert len(loop) == 4 and len(line) == 3
# The loop's misclosure of +2.96 mm goes back in proportion to length; one w for the loop.
assert abs(sum(o["residual"] for o in loop) + 0.00296) < 1e-9
assert all(abs(o["w"] - loop[0]["w"]) < 1e-9 for o in loop) and not any(o["outlier"] for o in loop)
assert all(o["w"] is None and abs(o["residual"]) < 1e-12 for o in line)
# The open line carries RP103 unchanged: 100 + 0.88525 + 1.44129 − 0.84467.
rp103 = [p for p in r["points"] if p["point"] == "RP103"][0]
assert abs(rp103["height"] - 101.48187) < 1e-9
PY

# A run named twice in --runs is adjusted once: the same text and JSON as naming it once.
for format in "" --json; do
  "$cli" adjust --fixed RP102=100 --runs 2,3 $format "$book" >"$work/once" 2>&1
  "$cli" adjust --fixed RP102=100 --runs 2,3,2,3,3 $format "$book" >"$work/twice" 2>&1
  cmp -s "$work/once" "$work/twice" || fail "runs named twice ($format): $(diff "$work/once" "$work/twice")"
done

# In the text output the stations of the open line (a spur, checked by nothing) show "-" for
# w; the loop's stations show their w.
expect 0 "" --fixed RP102=100 --runs 2,3 "$book"
python3 - "$work/out" <<'PY' || fail "w column of the text output: $(cat "$work/out")"
import sys
rows = [l.split("\t") for l in open(sys.argv[1], encoding="utf-8").read().splitlines()]
stations = [r for r in rows if len(r) >= 7 and r[0] in ("2", "3")]
assert len(stations) == 7, stations
for r in stations:
    if r[0] == "3":
        assert r[6] == "-", r
    else:
        assert r[6] == "-2.44", r
PY

# Fixed points that are only ever fore points (runs P to B1 over T1 and P to B2, B1 and B2
# fixed) still fix the network: P and T1 get heights.
python3 "$(dirname "$0")/write_book.py" "$work/fore-fixed.DAT" <<'B'
run 1
P Rb 1.50000 30.00
T1 Rf 1.20000 30.00
T1 Rb 1.40000 25.00
B1 Rf 1.10000 25.00
run 2
P Rb 1.30000 20.00
B2 Rf 1.60000 20.00
B
# A run that cannot be read is named with its own book, the second one here.
python3 "$(dirname "$0")/write_book.py" "$work/bad-unit.DAT" <<'B'
run 7
P Rb 1.5 10 yd
B1 Rf 1.0 10
B
expect 1 "cannot adjust $work/bad-unit.DAT: run 7 cannot be read" --fixed B1=100 "$work/fore-fixed.DAT" "$work/bad-unit.DAT"
expect 0 "" --fixed B1=100.603,B2=99.7 --json "$work/fore-fixed.DAT"
python3 - "$work/out" <<'PY' || fail "fixed fore points: $(cat "$work/out")"
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
heights = {p["point"]: p["height"] for p in r["points"]}
assert r["dof"] == 1 and r["unreached"] == [] and len(r["observations"]) == 3, r
# The 3 mm by which B1 lies above P + 0.6 are shared in proportion to the lengths 110 and 40.
assert abs(heights["P"] - (100.0 + 0.003 * 40 / 150)) < 1e-9, heights
assert abs(heights["T1"] - heights["P"] - 0.3 - 0.003 * 60 / 150) < 1e-9, heights
PY

# A decimal comma in --fixed, class I's sigma, and the text output.
expect 0 "" --fixed RP101=312,4687 --runs 1 --class I "$book"
grep -q "^RP101	312.4687000	0.0000000	fixed	2$" "$work/out" || fail "decimal comma: $(cat "$work/out")"
grep -q "a priori 1.00 mm" "$work/out" || fail "class I sigma: $(head -1 "$work/out")"
expect 0 "" --fixed RP101=312.4687 --runs 1 --sigma 0.0003 --json "$book"
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert r["sigma"]==0.0003 and all(o["outlier"] for o in r["observations"])' "$work/out" \
  || fail "--sigma does not set the a-priori sigma"

# Point and run names typed in a UTF-8 terminal name the book's Windows-1251 texts: RP101
# renamed "Рп101" and run 1 renamed "Ж1".
/usr/bin/python3 - "$book" "$work/cyrillic.DAT" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
out = []
for line in lines:
    if line.startswith(b"For") and len(line) > 48:
        line = line.replace(b"    RP101", b"    \xd0\xef101")
        if line[44:48].strip() == b"1":
            line = line[:44] + b"\xc61".rjust(4) + line[48:]
    out.append(line)
open(sys.argv[2], "wb").write(b"\r\n".join(out))
PY
LC_ALL=C.UTF-8 "$cli" adjust --fixed Рп101=312.4687 --runs Ж1 "$work/cyrillic.DAT" >"$work/out" 2>"$work/err" \
  || fail "adjust with Cyrillic names: $(cat "$work/err")"
grep -q "312.4687000" "$work/out" || fail "the Cyrillic fixed point is not held: $(head -3 "$work/out")"

# Parts without a fixed point are reported, not guessed.
expect 0 "no fixed point reaches RP104" --fixed RP101=312.4687,RP102=300 --output "$out" "$book"
# The nodes named as the window and the report page name them.
expect 0 "no fixed point reaches RP101, RP102, RP103; their heights" --fixed RP104=100 "$book"
[ -s "$out" ] || fail "no workbook written"
if python3 -c 'import openpyxl' 2>/dev/null; then
  python3 "$read_sheets" "$out" >"$work/sheets" || fail "workbook unreadable"
  [ "$(grep ^sheet "$work/sheets" | tr '\n' ' ')" = "sheet Каталог sheet Секции sheet Наблюдения sheet Пункты " ] \
    || fail "workbook sheets: $(grep sheet "$work/sheets")"
  # The figures above the catalogue: the class, σ a priori (class II: 2.5 mm), both fixed
  # points; the nodes after an empty row and the headings.
  for cell in "1 2 II" "2 2 2.5" "4 1 Число степеней свободы" "6 1 Твёрдый пункт" "6 2 RP101" \
              "6 3 312.4687" "7 2 RP102" "9 1 Пункт" "10 1 RP101"; do
    grep -q "^$cell size=12" "$work/sheets" || fail "workbook lacks $cell: $(head -20 "$work/sheets")"
  done
fi

rm -f "$out"
# Two field books of the same runs (another day's copy): a run is its number within its book,
# the nodes join, the turning points do not. Runs 2 (a loop) and 3 (an open line) twice: two
# loops and one line more than the nodes need, three degrees of freedom. A copy repeats the
# book's stations to the last digit: each run taken twice is warned about.
cp "$book" "$work/day2.DAT"
expect 0 "run 3 of day2.DAT repeats run 3 of levelling_m5.DAT station for station" \
  --fixed RP102=100 --runs 2,3 --json "$book" "$work/day2.DAT"
cp "$work/out" "$work/two.json"
python3 - "$work/two.json" <<'PY' || fail "adjust of two books is wrong"
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
assert r["dof"] == 3, r["dof"]
assert [(s["book"], s["run"]) for s in r["sections"]] == [
    ("levelling_m5.DAT", "2"), ("levelling_m5.DAT", "3"), ("day2.DAT", "2"), ("day2.DAT", "3")]
assert [p["point"] for p in r["points"] if p["kind"] == "node"] == ["RP102", "RP103"]
assert [p["point"] for p in r["points"] if p["kind"] == "turning"].count("TP5") == 2
assert {o["book"] for o in r["observations"]} == {"levelling_m5.DAT", "day2.DAT"}
assert [(w["kind"], w["book"], w["run"], w["otherBook"], w["otherRun"]) for w in r["warnings"]][:2] == [
    ("repeatedRun", "day2.DAT", "2", "levelling_m5.DAT", "2"), ("repeatedRun", "day2.DAT", "3", "levelling_m5.DAT", "3")]
PY
expect 0 "run 2 of day2.DAT repeats run 2" --fixed RP102=100 --runs 2,3 "$book" "$work/day2.DAT"
grep -q "^levelling_m5.DAT:2	RP102	TP5	" "$work/out" && grep -q "^day2.DAT:3	TP9	RP103	" "$work/out" \
  || fail "runs of two books are not named with their book: $(grep TP5 "$work/out")"
# A book on standard input is one of the books; it can be given once. (Its bytes differ from
# the other book's by a blank line at the end: the same bytes would be one book given twice.)
{ cat "$work/day2.DAT"; printf '\r\n'; } |
  "$cli" adjust --fixed RP102=100 --runs 2,3 --json "$book" - >"$work/out" 2>"$work/err" \
  || fail "adjust with - : $(cat "$work/err")"
python3 -c 'import json,sys; a=json.load(open(sys.argv[1])); b=json.load(open(sys.argv[2])); assert a["points"][1]["height"]==b["points"][1]["height"] and [s["book"] for s in a["sections"]][2]=="-"' \
  "$work/out" "$work/two.json" || fail "a book on standard input adjusts differently"
expect 2 "only once" --fixed RP102=100 - -

# Fixed heights from a file: comments, blank lines, a tab, ";", a decimal comma; with --fixed.
printf '# benchmarks\n\nRP102;300,0\r\n  RP105\t250.5  # from the list\n' >"$work/fixed.txt"
expect 0 "" --fixed RP101=312.4687 --fixed-file "$work/fixed.txt" "$book"
grep -q "^RP102	300.0000000	0.0000000	fixed	" "$work/out" && grep -q "^RP105	250.5000000	0.0000000	fixed	" "$work/out" \
  && grep -q "^RP101	312.4687000	0.0000000	fixed	" "$work/out" || fail "--fixed-file: $(head -8 "$work/out")"
expect 0 "" --fixed RP101=312.4687,RP102=300 --fixed-file "$work/fixed.txt" "$book"  # the same height twice
expect 2 "fixed twice" --fixed RP102=301 --fixed-file "$work/fixed.txt" "$book"
printf 'RP102 300 1\n' >"$work/bad.txt"
expect 2 "line 1 is not POINT HEIGHT" --fixed-file "$work/bad.txt" "$book"
printf 'RP102 high\n' >"$work/bad.txt"
expect 2 "is no number" --fixed-file "$work/bad.txt" "$book"
expect 2 "cannot be read" --fixed-file "$work/none.txt" "$book"
# A name in UTF-8 in the file is the book's Windows-1251 name.
printf 'Рп101 312.4687\n' >"$work/cyrillic.txt"
LC_ALL=C.UTF-8 "$cli" adjust --fixed-file "$work/cyrillic.txt" --runs Ж1 "$work/cyrillic.DAT" >"$work/out" 2>"$work/err" \
  || fail "--fixed-file with a Cyrillic name: $(cat "$work/err")"

# --nodes makes a turning point a node: loop 1 splits at TP2 into two sections.
expect 0 "" --fixed RP101=312.4687 --runs 1 --nodes TP2 --json "$book"
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert [(s["from"],s["to"]) for s in r["sections"]]==[("RP101","TP2"),("TP2","RP101")] and r["points"][1]["point"]=="TP2" and r["points"][1]["kind"]=="node"' \
  "$work/out" || fail "--nodes does not split the run: $(cat "$work/out")"

# The whole book: run 12 passes RP105, where run 13 starts: a junction, warned about.
expect 0 "run 12 passes node RP105 at station 2" --fixed RP101=312.4687,RP102=300,RP104=300 --json "$book"
python3 -c 'import json,sys; w=json.load(open(sys.argv[1]))["warnings"]; assert [(x["kind"],x["run"],x["point"],x["stations"]) for x in w]==[("junction","12","RP105",[2])]' \
  "$work/out" || fail "junction warning in the JSON"
expect 0 "" --fixed RP101=312.4687,RP102=300,RP104=300 --nodes RP105 "$book"

# The catalogue alone as CSV; turning points and intermediate sights with --all-points.
expect 0 "" --fixed RP102=100 --runs 2,3 --all-points --output "$work/catalogue.csv" "$book"
printf 'point,height,sigma,fixed\r\nRP102,100.0000000,0.0000000,true\r\n' >"$work/want.csv"
head -c "$(stat -c %s "$work/want.csv")" "$work/catalogue.csv" | cmp -s - "$work/want.csv" \
  && [ "$(wc -l <"$work/catalogue.csv")" = 3 ] || fail "catalogue CSV: $(cat "$work/catalogue.csv")"
grep -q "^MH7	intermediate	2	2	" "$work/out" && grep -q "^TP9	turning	3	2	102.3265400	" "$work/out" \
  || fail "--all-points: $(tail -8 "$work/out")"
rm -f "$work/catalogue.csv"

# --output - writes the workbook alone to standard output (an .xls), no text beside it.
expect 0 "" --fixed RP102=100 --runs 2,3 --output - "$book"
[ "$(head -c 8 "$work/out" | od -An -tx1 | tr -d ' ')" = d0cf11e0a1b11ae1 ] \
  && ! grep -q "sigma0" "$work/out" || fail "--output - is not the workbook alone"

# Nothing above, refused or not, touched the field books.
[ "$(cksum <"$book")" = "$book_sum" ] && [ "$(cksum <"$work/day2.DAT")" = "$book_sum" ] \
  || fail "a field book was changed"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "adjust: all checks passed"
