#!/usr/bin/env bash
# Runs velmora-tesk-cli on the sample field books and compares what it prints and writes with
# hand-checked expected files. Usage: check_cli.sh CLI SAMPLES_DIR EXPECTED_DIR
set -u
cli=$1
samples=$2
expected=$3
. "$(dirname "$0")/cli_checks.sh"

# Run lists, as the window shows them, at several classes.
for class in 1:I 2:II 3:III; do
  file="$expected/levelling_m5.class${class%%:*}.txt"
  expect_status 0 "$cli" runs --class "${class#*:}" "$samples/levelling_m5.DAT"
  cmp -s "$work/out" "$file" || fail "run list at class ${class#*:} differs: $(diff "$work/out" "$file")"
done
expect_status 0 "$cli" runs "$samples/levelling_m5.DAT"
cmp -s "$work/out" "$expected/levelling_m5.class2.txt" || fail "default class is not II"
expect_status 0 "$cli" runs --class=II "$samples/plain_layout.DAT"
cmp -s "$work/out" "$expected/plain_layout.class2.txt" || fail "plain layout run list differs"

# JSON: one object per entry, the same texts, valid JSON with the documented fields.
expect_status 0 "$cli" runs --json --class II "$samples/levelling_m5.DAT"
check
python3 - "$work/out" "$expected/levelling_m5.class2.txt" <<'PY' || fail "JSON output is wrong"
import json, sys
runs = json.load(open(sys.argv[1], encoding="utf-8"))
texts = open(sys.argv[2], encoding="utf-8").read().split("\n")[:-1]
assert [r["text"] for r in runs] == texts, "texts differ"
by = {r["runNumber"]: r for r in runs}
assert by["1"]["status"] == "within" and abs(by["1"]["misclosure"] + 0.00145) < 1e-12
assert by["2"]["status"] == "above" and by["2"]["allowedMisclosure"] > 0
assert by["3"]["status"] == "open" and by["3"]["misclosure"] is None and by["3"]["length"] > 0
assert by["4"]["status"] == "empty" and by["4"]["length"] is None
for r in runs:
    assert set(r) == {"text", "runNumber", "status", "misclosure", "length", "allowedMisclosure",
                      "reason", "instrument", "agreesWithInstrument"}
    assert r["reason"] is None
# The instrument's own sums, from the Sh and Db/Df lines at the run's end.
assert by["1"]["instrument"] == {"heightSum": -0.00145, "length": 124.90 + 124.69}
assert by["1"]["agreesWithInstrument"] is True
assert by["4"]["instrument"] is None and by["4"]["agreesWithInstrument"] is None
PY

# Saving: nothing deleted gives the file back (the samples have no empty lines).
expect_status 0 "$cli" save --output "$work/all.DAT" "$samples/levelling_m5.DAT"
check; cmp -s "$work/all.DAT" "$samples/levelling_m5.DAT" || fail "save without deletions changed the file"

# Deleting run 12 (both stretches) and run 3: their lines are gone, the list loses them.
expect_status 0 "$cli" save --delete 12,3 --output "$work/less.DAT" "$samples/levelling_m5.DAT"
expect_status 0 "$cli" runs "$work/less.DAT"
check
grep -v -E '^(12|3) //' "$expected/levelling_m5.class2.txt" | cmp -s - "$work/out" ||
  fail "runs after deleting 12 and 3: $(cat "$work/out")"
check
[ "$(cut -c45-48 "$work/less.DAT" | grep -c -E '^ *(12|3)$')" = 0 ] || fail "lines of deleted runs were saved"

# A run that is not in the list is reported, and nothing is deleted.
expect_status 0 "$cli" save --delete 77 --output "$work/same.DAT" "$samples/levelling_m5.DAT"
check; grep -q "no run 77" "$work/err" || fail "no warning for an unknown run"
check; cmp -s "$work/same.DAT" "$samples/levelling_m5.DAT" || fail "unknown run changed the file"

# Export: run 1 of the sample from RP101, into both formats, read back by independent readers.
expect_status 0 "$cli" export --runs 1 --start RP101 --height 312,4687 --output "$work/one.xls" "$samples/levelling_m5.DAT"
expect_status 0 "$cli" export --runs 1 --start RP101 --height 312.4687 --output "$work/one.xlsx" "$samples/levelling_m5.DAT"
check
/usr/bin/python3 - "$work/one.xls" "$work/one.xlsx" <<'PY' || fail "exported run 1 reads back wrong"
import sys, xlrd, openpyxl
xls = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
xlsx = openpyxl.load_workbook(sys.argv[2]).worksheets[0]
assert xls.name == "1" and xlsx.title == "1", (xls.name, xlsx.title)
rows = [xls.row_values(r)[:2] for r in range(xls.nrows)]
assert [r[0] for r in rows] == ["RP101", "TP1", "TP2", "TP3", "TP4", "dZ", "dZдоп"], rows
assert rows[0][1] == 312.4687, rows[0]
assert abs(rows[5][1] - (-0.0015)) < 1e-12, rows[5]  # the run's misclosure, rounded
for r in range(xls.nrows):
    for c in range(2):
        assert xlsx.cell(r + 1, c + 1).value == xls.cell_value(r, c), (r, c)
PY
# Nothing selected: an empty sheet named "no". A start point in no run: saved, exit 3.
expect_status 0 "$cli" export --runs '' --output "$work/none.xls" "$samples/levelling_m5.DAT"
check; /usr/bin/python3 -c "import sys, xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); assert s.name == 'no' and s.nrows == 0" "$work/none.xls" || fail "empty export"
expect_status 3 "$cli" export --runs 1,3 --start NOWHERE --output "$work/unlinked.xls" "$samples/levelling_m5.DAT"
check; grep -q "not all runs are linked" "$work/err" || fail "no message for unlinked runs"
check; [ -s "$work/unlinked.xls" ] || fail "the workbook with unlinked runs was not saved"
expect_status 1 "$cli" export --height abc --output "$work/bad.xls" "$samples/levelling_m5.DAT"
check; [ ! -e "$work/bad.xls" ] || fail "a workbook was written for a height that is no number"
expect_status 1 "$cli" export --output "$work/no/such/x.xls" "$samples/levelling_m5.DAT"
expect_status 2 "$cli" export "$samples/levelling_m5.DAT"

# Failures: unreadable input, unwritable output, usage.
expect_status 1 "$cli" runs "$work/missing.DAT"
check; grep -q "missing.DAT: No such file or directory" "$work/err" || fail "message: $(cat "$work/err")"
check; [ "$(wc -l <"$work/err")" = 1 ] || fail "the message is not one line"
expect_status 1 "$cli" save --output "$work/no/such/folder/x.DAT" "$samples/levelling_m5.DAT"
check; grep -q "x.DAT" "$work/err" || fail "save failure does not name the file"
check; [ ! -e "$work/no" ] || fail "save failure created something"
expect_status 2 "$cli"
expect_status 2 "$cli" frobnicate
expect_status 2 "$cli" runs
expect_status 2 "$cli" runs --class V "$samples/levelling_m5.DAT"
expect_status 2 "$cli" runs --colour "$samples/levelling_m5.DAT"
expect_status 2 "$cli" save "$samples/levelling_m5.DAT"
expect_status 0 "$cli" --help
check; grep -q "velmora-tesk-cli runs" "$work/out" || fail "--help shows no usage"
expect_status 0 "$cli" --version
check; [ "$(cat "$work/out")" = "Velmora Tesk 1.0" ] || fail "--version printed $(cat "$work/out")"

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
