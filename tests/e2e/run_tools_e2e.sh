#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End-to-end test of the Tools menu: the real program under Xvfb with a window manager on a
# Russian desktop, driven with xdotool (drive_tools.sh, drive_monitor.sh); then the report, the
# catalogue, the field books saved around Back and Forward and the settlement sheet of the
# monitoring project are checked against the command-line tool.
# Usage: run_tools_e2e.sh PROGRAM CLI BOOK (a field book whose run 0212 breaks class II limits
# and whose point 46 reaches node 21, as nivtropy_PUSH0809.DAT; the five ctu-yobp cycles of the
# grouting works lie beside it)
set -uo pipefail
program=$1
cli=$2
sample=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in xvfb-run xdotool openbox xwd; do
  if ! command -v $tool >/dev/null; then
    echo "e2e: $tool is not installed; skipped"
    exit 77
  fi
done
if [ ! -f "$sample" ]; then
  [ "${CI:-}" = true ] && { echo "FAIL: no field book $sample"; exit 1; }
  echo "e2e: no field book $sample; skipped"
  exit 77
fi

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT; echo "e2e: working in $work"
cp "$sample" "$work/book.DAT"
mkdir -p "$work/home" "$work/bin"
printf '46 100\n' >"$work/heights.txt"
# The desktop's handler, asked to open what the windows saved: it notes what it was given.
cat >"$work/bin/xdg-open" <<SH
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened.txt"
SH
chmod +x "$work/bin/xdg-open"

HOME="$work/home" PATH="$work/bin:$PATH" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 \
  QT_QPA_PLATFORM=xcb timeout 180 xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$here/drive_tools.sh" "$program" "$work/book.DAT" "$work"
status=$?
if [ $status -ne 0 ]; then
  cat "$work/program.log" 2>/dev/null
  echo "FAIL: driving the window failed ($status)"
  exit 1
fi

# The cycles of the grouting works, each book modified on the day it was levelled (its name
# says it: KO220304 is 4 March 2022), which the monitoring window proposes for its cycle.
cycles="2022-03-02:KO220302_injektaze_orig 2022-03-04:KO220304 2022-03-05:NI220305 2022-03-07:KO220307 2022-12-02:NI221202"
mkdir -p "$work/cycles"
books=()
for cycle in $cycles; do
  book="$work/cycles/ctu-yobp_2022-b_${cycle#*:}.DAT"
  cp "$(dirname "$sample")/$(basename "$book")" "$book" || { echo "FAIL: no field book $(basename "$book")"; exit 1; }
  touch -d "${cycle%%:*} 12:00" "$book"
  books+=("$book")
done
HOME="$work/home" PATH="$work/bin:$PATH" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 \
  QT_QPA_PLATFORM=xcb timeout 240 xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$here/drive_monitor.sh" "$program" "$work" "${books[@]}"
status=$?
if [ $status -ne 0 ]; then
  cat "$work/program-monitor.log" 2>/dev/null
  echo "FAIL: driving the monitoring window failed ($status)"
  exit 1
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The report: written, of run 0212, and handed to the desktop's handler.
grep -q '0212' "$work/report.html" 2>/dev/null || fail "no report of run 0212 at $work/report.html"
grep -qx "file://$work/report.html" "$work/opened.txt" 2>/dev/null ||
  fail "the report was not handed to the desktop's handler: $(cat "$work/opened.txt" 2>/dev/null)"

# The catalogue: node 21 as the command-line tool computes it with 46 at 100, and opened.
LC_ALL=C "$cli" adjust --fixed 46=100 --output "$work/expected.csv" "$work/book.DAT" >/dev/null 2>&1 ||
  fail "the command-line adjustment failed"
cmp -s "$work/network.csv" "$work/expected.csv" || fail "the catalogue differs from adjust --output"
node21=$(grep '^21,' "$work/network.csv" | cut -d, -f2)
# grep reads to the end: with -q it could stop early and the tool, killed by SIGPIPE, fail the
# pipe.
[ -n "$node21" ] && LC_ALL=C "$cli" adjust --fixed 46=100 "$work/book.DAT" 2>/dev/null |
  grep "^21$(printf '\t')$node21$(printf '\t')" >/dev/null || fail "node 21 at '$node21' is not the command-line tool's height"
grep -qx "file://$work/network.csv" "$work/opened.txt" 2>/dev/null || fail "the catalogue was not opened"

# Back and Forward went on as if neither window had been opened: Forward found its three steps
# (0212 deleted), Back two of them (0212 listed again).
"$cli" save --output "$work/expected_all.DAT" "$work/book.DAT" >/dev/null || fail "command-line save failed"
"$cli" save --delete 0212 --output "$work/expected_deleted.DAT" "$work/book.DAT" >/dev/null ||
  fail "command-line save --delete failed"
cmp -s "$work/forward.DAT" "$work/expected_deleted.DAT" || fail "after Forward the book is not without 0212"
cmp -s "$work/back.DAT" "$work/expected_all.DAT" || fail "after Back the book is not whole"

# The settlement sheet: the project the window made of the five books gives the CSV that the
# command-line tool exports from a project made of the same books; the page is written and
# opened.
project="$work/cli.vtm"
"$cli" monitor create "$project" --benchmarks F2=10,F4,F5 --class II >/dev/null || fail "monitor create failed"
for cycle in $cycles; do
  "$cli" monitor add "$project" --date "${cycle%%:*}" "$work/cycles/ctu-yobp_2022-b_${cycle#*:}.DAT" >/dev/null ||
    fail "monitor add of ${cycle#*:} failed"
done
"$cli" monitor export "$project" --output "$work/expected_works.csv" >/dev/null || fail "monitor export failed"
cmp -s "$work/works.csv" "$work/expected_works.csv" || fail "the window's sheet differs from monitor export"
grep -qx "file://$work/works.csv" "$work/opened.txt" 2>/dev/null || fail "the sheet was not opened"
grep -q 'B04' "$work/monitor.html" 2>/dev/null || fail "no monitoring report at $work/monitor.html"
grep -qx "file://$work/monitor.html" "$work/opened.txt" 2>/dev/null || fail "the monitoring report was not opened"

if [ -n "${VELMORA_SCREENSHOT_DIR:-}" ]; then
  cp "$work/check.png" "$work/network.png" "$work/monitor.png" "$VELMORA_SCREENSHOT_DIR/" 2>/dev/null || true
fi
echo "e2e: node 21 at $node21 m; $((9 - failures)) passed, $failures failed"
[ $failures -eq 0 ]
