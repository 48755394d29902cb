#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the tool reads, told apart: options given again, one book given twice, an output that
# is an input, books of one file name from different folders, figures no level can give, and
# standard input read once for two uses. Usage: check_inputs.sh CLI SAMPLES_DIR
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$(realpath "$1")
book=$2/levelling_m5.DAT
. "$(dirname "$0")/cli_checks.sh"
write_book() { python3 "$(dirname "$0")/write_book.py" "$@"; }

# refused PATTERN ARGS...: exit 2 with PATTERN on standard error, nothing on standard output.
refused() {
  local pattern=$1; shift
  expect_status 2 "$cli" "$@"
  grep -q -- "$pattern" "$work/err" || fail "'$*': stderr lacks '$pattern': $(cat "$work/err")"
  [ ! -s "$work/out" ] || fail "'$*' printed: $(head -3 "$work/out")"
}

# A list option given again adds to the lists before it: each pair writes the same as the
# one list. A save, an adjustment's fixed heights, runs and nodes; an option of one value given
# twice with one value.
run_form() {
  rm -f "$work/saved"
  # shellcheck disable=SC2086  # the form is words
  "$cli" $1 "$book" >"$2" 2>"$work/err"
  echo "status $?" >>"$2"
  cat "$work/saved" >>"$2" 2>/dev/null
}
while IFS='|' read -r twice once; do
  [ -n "$twice" ] || continue
  run_form "$twice" "$work/twice"
  run_form "$once" "$work/once"
  check
  cmp -s "$work/twice" "$work/once" || fail "'$twice' differs from '$once'"
  grep -q "^status 0$" "$work/once" || fail "'$once' failed: $(cat "$work/err")"
done <<EOF
save --delete 2 --delete 3 --output $work/saved|save --delete 2,3 --output $work/saved
adjust --fixed RP101=312.4687 --fixed RP102=300|adjust --fixed RP101=312.4687,RP102=300
adjust --fixed RP102=100 --runs 3 --runs 2|adjust --fixed RP102=100 --runs 3,2
adjust --fixed RP101=312.4687 --runs 1 --nodes TP2 --nodes TP3|adjust --fixed RP101=312.4687 --runs 1 --nodes TP2,TP3
adjust --fixed RP101=100 --class I --class I|adjust --fixed RP101=100 --class I
EOF
# The deleted runs are gone from the saved book, the others kept.
expect_status 0 "$cli" save --delete 2 --delete 3 --output "$work/saved" "$book"
expect_status 0 "$cli" runs "$work/saved"
check; [ "$(cut -d' ' -f1 "$work/out" | tr '\n' ' ')" = "1 4 5 12 13 12 " ] \
  || fail "save --delete 2 --delete 3 kept: $(cat "$work/out")"

# An option of one value given twice with different values; a point fixed at two heights, or
# a benchmark named, in two options.
while IFS='|' read -r pattern args; do
  [ -n "$pattern" ] || continue
  # shellcheck disable=SC2086
  refused "$pattern" $args
done <<EOF
--class is given twice with different values|adjust --fixed RP101=1 --class I --class II $book
--sigma is given twice with different values|adjust --fixed RP101=1 --sigma 0.001 --sigma 0.002 $book
--output is given twice with different values|save --output $work/a --output $work/b $book
--start is given twice with different values|export --start RP101 --start RP102 --output $work/x.xls $book
--max-sight is given twice with different values|check --max-sight 50 --max-sight 60 $book
--alpha is given twice with different values|monitor create $work/p.vtm --benchmarks RP101=1 --alpha 0.05 --alpha 0.1
point RP101 is fixed twice|adjust --fixed RP101=1 --fixed RP101=2 $book
benchmark RP101 is named twice|monitor create $work/p.vtm --benchmarks RP101=1 --benchmarks RP101=2
EOF
check; [ ! -e "$work/p.vtm" ] && [ ! -e "$work/a" ] && [ ! -e "$work/b" ] || fail "a refused command wrote a file"

# One book given twice: by the same name, through a hard or a symbolic link, as standard
# input redirected from it or piped.
cp "$book" "$work/book.DAT"
ln "$work/book.DAT" "$work/hard.DAT"
ln -s "$work/book.DAT" "$work/soft.DAT"
for command in adjust report; do
  set -- --fixed RP101=312.4687 --output "$work/page.html"
  [ "$command" = adjust ] && set -- --fixed RP101=312.4687
  refused "given twice" "$command" "$@" "$work/book.DAT" "$work/book.DAT"
  refused "are the same field book" "$command" "$@" "$work/book.DAT" "$work/hard.DAT"
  refused "are the same field book" "$command" "$@" "$work/soft.DAT" "$work/book.DAT"
  refused "are the same field book" "$command" "$@" - "$work/book.DAT" <"$work/book.DAT"
  check
  cat "$work/book.DAT" | "$cli" "$command" "$@" "$work/book.DAT" - >"$work/out" 2>"$work/err"
  [ $? = 2 ] && grep -q "book.DAT and - are the same field book" "$work/err" \
    || fail "$command: a piped copy of a book given beside it: $(cat "$work/err")"
done
check; [ ! -e "$work/page.html" ] || fail "a report was written for a book given twice"

# An output that is an input of another role: the list of fixed heights.
printf 'RP101 312.4687\n' >"$work/list.csv"
cp "$work/list.csv" "$work/list.html"
refused "the output $work/list.csv is one of the files read" adjust --fixed-file "$work/list.csv" \
  --output "$work/list.csv" "$book"
refused "the output $work/list.html is one of the files read" report --fixed-file "$work/list.html" \
  --output "$work/list.html" "$book"
check; [ "$(cat "$work/list.csv" "$work/list.html")" = "RP101 312.4687
RP101 312.4687" ] || fail "a list of fixed heights was written over"

# Books of one file name from two folders are named by their folders wherever a book is
# named, and those names choose runs.
mkdir "$work/day1" "$work/day2"
cp "$book" "$work/day1/book.DAT"
cp "$book" "$work/day2/book.DAT"
cd "$work" || exit 1
expect_status 0 "$cli" adjust --fixed RP102=100 --runs 2,3 --json day1/book.DAT day2/book.DAT
python3 - "$work/out" <<'PY' || fail "books of one name: $(head -c 600 "$work/out")"
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
assert [(s["book"], s["run"]) for s in r["sections"]] == [
    ("day1/book.DAT", "2"), ("day1/book.DAT", "3"), ("day2/book.DAT", "2"), ("day2/book.DAT", "3")]
assert {o["book"] for o in r["observations"]} == {"day1/book.DAT", "day2/book.DAT"}
assert {p["book"] for p in r["points"] if p["kind"] == "turning"} == {"day1/book.DAT", "day2/book.DAT"}
PY
expect_status 0 "$cli" adjust --fixed RP102=100 --runs 2,3 day1/book.DAT day2/book.DAT
check; grep -q "^day1/book.DAT:2	RP102	TP5	" "$work/out" && grep -q "^day2/book.DAT:3	" "$work/out" \
  || fail "text output of books of one name: $(grep TP5 "$work/out")"
# The name the output gives a run chooses that run of that book alone.
expect_status 0 "$cli" adjust --fixed RP102=100 --runs day1/book.DAT:2,day2/book.DAT:3 --json \
  day1/book.DAT day2/book.DAT
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert [(s["book"],s["run"]) for s in r["sections"]]==[("day1/book.DAT","2"),("day2/book.DAT","3")], r["sections"]' \
  "$work/out" || fail "--runs BOOK:RUN: $(head -c 400 "$work/out")"
refused "run day1/book.DAT:99 is not in any" adjust --fixed RP102=100 --runs day1/book.DAT:99 \
  day1/book.DAT day2/book.DAT
expect_status 4 "$cli" report --output "$work/days.html" day1/book.DAT day2/book.DAT
check; grep -q "day1/book.DAT" "$work/days.html" && grep -q "day2/book.DAT" "$work/days.html" \
  || fail "the report does not tell the books of one name apart"
cd - >/dev/null || exit 1

# A sigma of 1 km no level has, and a node no book holds, are refused as a fixed point that
# is no point is; the ends of the range are taken.
for sigma in 1e-320 1e-300 1e-7 1.5 1e308 0 nan; do
  refused "from 0.000001 to 1" adjust --fixed RP101=312.4687 --sigma "$sigma" "$book"
done
for sigma in 0.000001 1; do
  expect_status 0 "$cli" adjust --fixed RP101=312.4687 --runs 1 --sigma "$sigma" "$book"
done
refused "from 0.000001 to 1" monitor create "$work/p.vtm" --benchmarks RP101=1 --sigma 1e308
refused "node NOPE is not in the selected runs" adjust --fixed RP101=312.4687 --nodes NOPE "$book"
refused "node RP102 is not in the selected runs" adjust --fixed RP101=312.4687 --runs 1 --nodes RP102 "$book"
# A node only sighted as an intermediate sight would change nothing: refused, saying why.
refused "node MH7 is only sighted as an intermediate sight" adjust --fixed RP102=100 --runs 2 --nodes MH7 "$book"

# A list of fixed heights saved with a byte-order mark: the mark is no part of the first name.
printf '\xef\xbb\xbfRP101 312.4687\n' >"$work/bom.txt"
expect_status 0 "$cli" adjust --fixed-file "$work/bom.txt" --runs 1 "$book"
check; grep -q "^RP101	312.4687000	0.0000000	fixed	" "$work/out" || fail "a list with a BOM: $(cat "$work/err")"

# Standard input given once serves both the station check and the adjustment of a report.
expect_status 4 "$cli" report --fixed RP101=312.4687 --output "$work/file.html" "$book"
expect_status 4 "$cli" report --fixed RP101=312.4687 --output "$work/input.html" - <"$book"
check; grep -q "<tr><td>RP101</td><td class=\"n\">312.4687000" "$work/input.html" \
  && cmp -s <(sed 's/levelling_m5.DAT/BOOK/' "$work/file.html") <(sed 's/standard input/BOOK/' "$work/input.html") \
  || fail "a report of standard input differs from the report of the file"

# The start point of an export found in its run's second stretch (run 1, then run 2, then run
# 1 again from where it stopped).
write_book "$work/stretches.DAT" <<'B'
run 1
P1 Rb 1.50000 30.00
T1 Rf 1.20000 30.00
run 2
X Rb 1.40000 20.00
Y Rf 1.10000 20.00
run 1
T1 Rb 1.40000 25.00
A Rf 1.10000 25.00
B
expect_status 0 "$cli" export --start A --height 50 --runs 1 --output "$work/stretch.xls" "$work/stretches.DAT"
check; [ -s "$work/stretch.xls" ] || fail "no workbook from a start point in a second stretch"

finish
