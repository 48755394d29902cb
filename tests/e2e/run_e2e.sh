#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End-to-end test of the window as a user would work with it: the real program under Xvfb,
# driven with xdotool (drive_window.sh); then the saved field book and both workbooks are
# checked against what the command-line tool computes from the same core.
# Usage: run_e2e.sh PROGRAM CLI SAMPLE
set -uo pipefail
program=$1
cli=$2
sample=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in xvfb-run xdotool; do
  if ! command -v $tool >/dev/null; then
    echo "e2e: $tool is not installed; skipped"
    exit 77
  fi
done

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT; echo "e2e: working in $work"
cp "$sample" "$work/book.DAT"
mkdir -p "$work/home" "$work/nodesktop"

# No desktop handlers in this display: opening the saved workbook finds no program to start
# (BROWSER=false also keeps xdg-open from falling back to a web browser).
HOME="$work/home" XDG_DATA_DIRS="$work/nodesktop" XDG_CONFIG_DIRS="$work/nodesktop" BROWSER=false \
  QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$here/drive_window.sh" "$program" "$work/book.DAT" "$work"
status=$?
if [ $status -ne 0 ]; then
  cat "$work/program.log" 2>/dev/null
  echo "FAIL: driving the window failed ($status)"
  exit 1
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The run list entry 3 (index 3) was deleted after Back had restored entry 2.
deleted=$("$cli" runs "$work/book.DAT" | sed -n 4p | sed 's| //.*||')
"$cli" save --delete "$deleted" --output "$work/expected.DAT" "$work/book.DAT" ||
  fail "the command-line save failed"
cmp -s "$work/saved.DAT" "$work/expected.DAT" || fail "saved field book differs from the core's (run $deleted deleted)"

# Both workbooks hold what the core computes for run 1 at class I from the proposed point.
"$cli" export --class I --runs 1 --height 100 --output "$work/expected.xls" "$work/book.DAT" ||
  fail "the command-line export failed"
/usr/bin/python3 - "$work/export.xls" "$work/export.xlsx" "$work/expected.xls" <<'PY' || fail "workbooks differ"
import sys, xlrd, openpyxl
def xls_cells(path):
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    return sheet.name, [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
def xlsx_cells(path):
    sheet = openpyxl.load_workbook(path).worksheets[0]
    rows = [[("" if v is None else v) for v in row] for row in sheet.iter_rows(values_only=True)]
    return sheet.title, rows
expected = xls_cells(sys.argv[3])
assert expected[1], "nothing exported"
got_xls = xls_cells(sys.argv[1])
assert got_xls == expected, (got_xls, expected)
name, rows = xlsx_cells(sys.argv[2])
width = max(len(r) for r in expected[1])
rows = [r + [""] * (width - len(r)) for r in rows]
assert name == expected[0] and len(rows) == len(expected[1]), ((name, rows), expected)
# libxlsxwriter writes numbers with 16 significant digits, so a value may come back one unit
# in the last place away from the double written; the .xls holds the exact double.
for got_row, want_row in zip(rows, expected[1]):
    for got, want in zip(got_row, want_row):
        if isinstance(want, float):
            assert abs(got - want) <= 1e-12 * max(1.0, abs(want)), (got, want)
        else:
            assert got == want, (got, want)
print("e2e: workbooks hold", len(expected[1]), "rows of sheet", expected[0])
PY

# The program keeps no settings: the file dialogs it showed left nothing in the user's folder.
[ -e "$work/home/.config/QtProject.conf" ] && fail "the program wrote $work/home/.config/QtProject.conf"

echo "$((4 - failures)) passed, $failures failed"
[ $failures -eq 0 ]
