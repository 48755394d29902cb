#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs "velmora-tesk-cli monitor" on the five public cycles of the grouting works: the project
# made and filled, its JSON (the same in every language) with the settlements of B04 and B05,
# and every bad input refused with one line, leaving the project file as it was.
# Usage: check_monitor.sh CLI SAMPLES_DIR REAL_BOOKS_DIR
# Exits 77 (skipped) without the real books, fails so in CI (CI=true).
set -u
export LC_ALL=C
unset LANGUAGE
cli=$1
samples=$2
books=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if [ ! -f "$books/ctu-yobp_2022-b_KO220304.DAT" ]; then
  echo "no real field books in $books"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi
project=$work/works.vtm

# expect STATUS PATTERN ARGS...: monitor exits with STATUS and, when not 0, says PATTERN on its
# first line of standard error and leaves the project's bytes as they were.
expect() {
  local want=$1 pattern=$2; shift 2
  local before=""
  [ -f "$project" ] && before=$(cksum <"$project")
  "$cli" monitor "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" = "$want" ] || fail "monitor $* exited $got, expected $want: $(cat "$work/err")"
  if [ "$want" != 0 ]; then
    head -1 "$work/err" | grep -q -- "$pattern" || fail "monitor $*: no '$pattern' in: $(cat "$work/err")"
    [ "$before" = "$(cksum <"$project")" ] || fail "monitor $* changed the project"
  fi
}

expect 0 "" create "$project" --benchmarks F2=10,F4,F5 --class II
LC_ALL=C "$cli" monitor show "$project" | grep "has no cycle yet" >/dev/null || fail "show of a new project says nothing"
expect 2 "exists already" create "$project" --benchmarks F2=10
for cycle in 2022-03-02:KO220302_injektaze_orig 2022-03-04:KO220304 2022-03-05:NI220305 \
             2022-03-07:KO220307 2022-12-02:NI221202; do
  expect 0 "" add "$project" --date "${cycle%%:*}" "$books/ctu-yobp_2022-b_${cycle#*:}.DAT"
done
grep -q "^B04	mark	5	2022-12-02	" "$work/out" || fail "add prints no line of its cycle: $(cat "$work/out")"

expect 2 "is in the project already" add "$project" --date 2023-01-01 "$books/ctu-yobp_2022-b_KO220304.DAT"
expect 2 "is no date" add "$project" --date 2023-02-30 "$samples/levelling_m5.DAT"
expect 2 "given twice with different values" add "$project" --date 2023-01-01 --date 2023-01-02 "$samples/levelling_m5.DAT"
expect 1 "reaches no benchmark" add "$project" --date 2023-01-01 "$samples/levelling_m5.DAT"
expect 1 "run 99 is in none" add "$project" --date 2023-01-01 --runs 99 "$samples/plain_layout.DAT"
expect 2 "has no cycle 9" remove "$project" --cycle 9
expect 2 "wants a cycle number" remove "$project" --cycle 0
expect 2 "benchmark F2 is named twice" create "$work/other.vtm" --benchmarks F2=10,F2
expect 1 "is not a monitoring project" show "$samples/levelling_m5.DAT"
[ ! -e "$work/other.vtm" ] || fail "a refused create left a file"

expect 0 "" show "$project"
grep -q "^B04	mark	2	2022-03-04	.*	-2.31	-2.31	-1.153	\*$" "$work/out" ||
  fail "show: no significant -2.31 mm of B04 on 4 March: $(grep B04 "$work/out")"
"$cli" monitor show --json "$project" >"$work/en.json" || fail "show --json failed"
LANGUAGE=ru LC_ALL=ru_RU.UTF-8 "$cli" monitor show --json "$project" >"$work/ru.json"
cmp -s "$work/en.json" "$work/ru.json" || fail "show --json differs in Russian"
python3 - "$work/en.json" <<'PY' || fail "the JSON's figures"
import json, sys
data = json.load(open(sys.argv[1]))
points = {p["point"]: p for p in data["points"]}
assert [p["role"] for p in data["points"][:3]] == ["benchmark"] * 3
def at(point, cycle):
    return next(c for c in points[point]["cycles"] if c["cycle"] == cycle)
for point, settled in (("B04", -0.0023), ("B05", -0.0029)):
    c = at(point, 2)
    assert abs(c["sinceFirst"] - settled) < 0.0003 and c["significant"], (point, c)
    assert abs(c["rate"] - c["settlement"] / 2) < 1e-12, c
assert at("B04", 1)["settlement"] is None and at("B04", 1)["rate"] is None
assert data["cycles"][0]["congruence"] is None
assert all(c["movedBenchmarks"] == [] for c in data["cycles"])
assert data["cycles"][4]["stableBenchmarks"] == ["F2", "F4", "F5"]
PY

expect 0 "" export "$project" --output "$work/settlements.csv"
grep -q "^B04,2,2022-03-04,5\.805.*,true"$'\r'"$" "$work/settlements.csv" ||
  fail "export: no significant B04 row in the CSV: $(grep B04 "$work/settlements.csv")"
expect 0 "" export "$project" --output "$work/settlements.xlsx"
[ -s "$work/settlements.xlsx" ] || fail "export wrote no workbook"
expect 2 "" export "$project" --output "$project"

expect 0 "" report "$project" --output "$work/works.html"
[ "$(grep -c "<svg" "$work/works.html")" -ge 10 ] || fail "report: fewer than one chart per mark"
LANGUAGE=ru LC_ALL=ru_RU.UTF-8 "$cli" monitor report "$project" --output "$work/works_ru.html" ||
  fail "report in Russian failed"
grep -q "Мониторинг осадок" "$work/works_ru.html" || fail "the Russian report is not in Russian"
expect 2 "is the project itself" report "$project" --output "$project"

expect 0 "" remove "$project" --cycle 1
"$cli" monitor show --json "$project" | python3 -c '
import json, sys
cycles = json.load(sys.stdin)["cycles"]
assert [c["date"] for c in cycles] == ["2022-03-04", "2022-03-05", "2022-03-07", "2022-12-02"], cycles
' || fail "remove --cycle 1 did not remove 2 March"

# The rods' scale of a cycle: 0 corrects nothing, 20 ppm puts B, 2 m above A, 0.04 mm higher;
# the project keeps it with the cycle and show names it.
python3 "$(dirname "$0")/write_book.py" "$work/rods.DAT" <"$(dirname "$0")/rods_book.txt"
for scale in "" 0 20; do
  "$cli" monitor create "$work/rods$scale.vtm" --benchmarks A=100 >/dev/null &&
    "$cli" monitor add "$work/rods$scale.vtm" --date 2024-05-01 ${scale:+--rod-scale "$scale"} "$work/rods.DAT" >/dev/null &&
    "$cli" monitor show "$work/rods$scale.vtm" >"$work/rods$scale.txt" &&
    "$cli" monitor show --json "$work/rods$scale.vtm" >"$work/rods$scale.json" || fail "monitor with --rod-scale '$scale'"
done
cmp -s "$work/rods.txt" "$work/rods0.txt" && cmp -s "$work/rods.json" "$work/rods0.json" || fail "--rod-scale 0 changes monitor's results"
grep -q "Rod scale +20 ppm" "$work/rods20.txt" || fail "monitor show does not name the rod scale"
python3 - "$work/rods.json" "$work/rods20.json" <<'PY' || fail "monitor --rod-scale 20 does not move B by 0.04 mm"
import json, sys
plain, scaled = (json.load(open(p)) for p in sys.argv[1:])
def height(data):
    return next(p for p in data["points"] if p["point"] == "B")["cycles"][0]["height"]
assert abs(height(scaled) - height(plain) - 0.00004) < 1e-9, (height(plain), height(scaled))
assert scaled["cycles"][0]["rodScalePpm"] == 20 and "rodScalePpm" not in plain["cycles"][0]
PY
expect 2 "--rod-scale needs" add "$project" --date 2023-01-01 --rod-scale 5000 "$samples/levelling_m5.DAT"

echo "$failures failed"
[ "$failures" = 0 ]
