#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs velmora-tesk-cli on the sample field books and compares what it prints and writes with
# hand-checked expected files. Usage: check_cli.sh CLI SAMPLES_DIR EXPECTED_DIR
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$(realpath "$1")
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

# A book that names BFFB for its first run, whose readings are BF: that run cannot be read, and
# shows why instead of a number; the export refuses it.
python3 - "$samples/levelling_m5.DAT" "$work/named-bffb.DAT" <<'PY'
import sys
lines = open(sys.argv[1], newline="").read().split("\r\n")
lines[1] = lines[1].replace("Start-Line     BF  ", "Start-Line     BFFB")
open(sys.argv[2], "w", newline="").write("\r\n".join(lines))
PY
expect_status 0 "$cli" runs --json "$work/named-bffb.DAT"
python3 - "$work/out" <<'PY' || fail "an unreadable run is shown wrong"
import json, sys
first = json.load(open(sys.argv[1], encoding="utf-8"))[0]
assert first["text"] == "1 // ???? ", first
assert first["status"] == "unreadable" and "different points" in first["reason"], first
assert first["misclosure"] is None and first["length"] is None, first
assert first["agreesWithInstrument"] is None and first["instrument"]["heightSum"] == -0.00145, first
PY
expect_status 1 "$cli" export --runs 1 --output "$work/named-bffb.xls" "$work/named-bffb.DAT"
grep -q "run 1: station" "$work/err" || fail "the refused export does not say why: $(cat "$work/err")"

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

# A Leica book is saved as it stands, whatever separates its lines and words: CR alone (read
# line by line, 32 runs), or words two blanks apart. A save that would write no line of a book
# (every run deleted) is refused, says why, and writes nothing.
tr '\n' '\r' <"$samples/leica_dna03.gsi" >"$work/cr-only.gsi"
sed 's/ /  /g' "$samples/leica_dna03.gsi" >"$work/two-blanks.gsi"
for book in cr-only two-blanks; do
  expect_status 0 "$cli" save --output "$work/$book-saved.gsi" "$work/$book.gsi"
  check; cmp -s "$work/$book-saved.gsi" "$work/$book.gsi" || fail "$book.gsi saved otherwise"
done
expect_status 0 "$cli" runs "$work/cr-only.gsi"
check; [ "$(wc -l <"$work/out")" = 32 ] || fail "a book with CR line ends lists $(wc -l <"$work/out") runs"
expect_status 1 "$cli" save --delete "$(seq -s, 1 32)" --output "$work/none.gsi" "$work/cr-only.gsi"
check; grep -q "every run of the book was deleted" "$work/err" && [ ! -e "$work/none.gsi" ] ||
  fail "a save of nothing: $(cat "$work/err")"

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
check; grep -qx "velmora-tesk-cli: no selected run holds the start point NOWHERE; choose another with --start POINT" "$work/err" ||
  fail "the start point held by no run is not named: $(cat "$work/err")"
# A start point that one selected run holds: the runs it does not reach are named, and the start
# point is not blamed.
expect_status 3 "$cli" export --runs 1,12 --start RP101 --output "$work/unlinked.xls" "$samples/levelling_m5.DAT"
check; grep -q "left out: 12$" "$work/err" && ! grep -q "start point" "$work/err" || fail "run 12 from RP101: $(cat "$work/err")"
check; [ -s "$work/unlinked.xls" ] || fail "the workbook with unlinked runs was not saved"
expect_status 2 "$cli" export --height abc --output "$work/bad.xls" "$samples/levelling_m5.DAT"
check; [ ! -e "$work/bad.xls" ] || fail "a workbook was written for a height that is no number"
expect_status 1 "$cli" export --output "$work/no/such/x.xls" "$samples/levelling_m5.DAT"
expect_status 2 "$cli" export "$samples/levelling_m5.DAT"

# A file that holds no field-book line lists no run, as before (exit 0, `[]`), and one line on
# stderr says what it looks like; a real book gets no such line.
: >"$work/empty.DAT"
printf 'notes about the day\r\n' >"$work/notes.DAT"
printf '*110001+0000000000000001 32...8+0000000001824936 \r\n' >"$work/leica.DAT"
printf 'PK\003\004\024\000\000\000' >"$work/renamed-xlsx.DAT"
printf '\320\317\021\340\241\261\032\341\000' >"$work/renamed-xls.DAT"
printf 'random\000bytes\001\002' >"$work/random.DAT"
for case in "empty:it is empty" "notes:its text is in no layout the tool reads" \
            "leica:it looks like a Leica GSI book" "renamed-xlsx:it looks like an .xlsx workbook" \
            "renamed-xls:it looks like an .xls workbook" "random:it looks like binary data"; do
  name=${case%%:*}
  for command in "runs" "runs --json" "check"; do
    # shellcheck disable=SC2086  # the command's words are meant to split
    expect_status 0 "$cli" $command "$work/$name.DAT"
    check; [ "$(wc -l <"$work/err")" = 1 ] && grep -q "$name.DAT holds no field-book line: ${case#*:}" "$work/err" ||
      fail "$command on $name: $(cat "$work/err")"
  done
  check; [ "$(cat "$work/out")" = "" ] || fail "check on $name printed $(cat "$work/out")"
done
expect_status 0 "$cli" runs --json - <"$work/empty.DAT"
check; [ "$(cat "$work/out")" = "[]" ] && grep -q -- "- holds no field-book line: it is empty" "$work/err" || fail "empty standard input: $(cat "$work/err")"
for book in "$samples/levelling_m5.DAT" "$samples/plain_layout.DAT"; do
  expect_status 0 "$cli" runs "$book"
  check; [ ! -s "$work/err" ] || fail "a warning for $book: $(cat "$work/err")"
done

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

# Standard input and output: "-" as FILE and as --output, /dev/stdout into a pipe.
book=$samples/levelling_m5.DAT
check; "$cli" runs - <"$book" | cmp -s - "$expected/levelling_m5.class2.txt" || fail "runs - from standard input"
check; "$cli" save --output - - <"$book" | cmp -s - "$book" || fail "save --output - from standard input"
check; "$cli" save --output /dev/stdout "$book" | cmp -s - "$book" || fail "save --output /dev/stdout into a pipe"
if [ ! -L /dev/stdout ]; then
  fail "/dev/stdout is no longer a link"
  # A rename over it made it a file: the link is made again for the rest of the machine.
  [ "$(id -u)" = 0 ] && rm -f /dev/stdout && ln -s /proc/self/fd/1 /dev/stdout
fi
check
check; "$cli" export --runs 1 --start RP101 --output - "$book" >"$work/piped.xls" || fail "export --output -"
check; /usr/bin/python3 -c "import sys, xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); assert s.cell_value(0, 0) == 'RP101'" "$work/piped.xls" || fail "the workbook on standard output does not read back"

# Outputs that are not the user's new file: the field book itself, a name of no workbook
# format, a folder, a link loop. Usage errors (2) leave everything as it was.
cp "$book" "$work/book.DAT"
expect_status 2 "$cli" export --output "$work/book.DAT" "$work/book.DAT"
check; cmp -s "$work/book.DAT" "$book" || fail "export wrote into the field book"
ln -s book.DAT "$work/book-link.xls"
expect_status 2 "$cli" export --output "$work/book-link.xls" "$work/book.DAT"
check; cmp -s "$work/book.DAT" "$book" || fail "export wrote into the field book through a link"
expect_status 2 "$cli" export --output "$work/e.txt" "$book"
check; [ ! -e "$work/e.txt" ] || fail "export wrote a workbook into e.txt"
# Every command that writes something else than a field book refuses the book, under its own
# name (a workbook named .DAT is refused for its name first) and through a link; a workbook of
# no workbook name is refused by adjust as by export.
ln -s book.DAT "$work/book-link.html"
ln -s book.DAT "$work/book-link.csv"
for output in "$work/book.DAT" "$work/book-link.xls" "$work/book-link.html" "$work/book-link.csv"; do
  for command in "export" "adjust --fixed RP101=100" "report"; do
    case "$command:$output" in export:*.html|adjust*:*.html) continue ;; esac
    # shellcheck disable=SC2086  # the command's words are meant to split
    expect_status 2 "$cli" $command --output "$output" "$work/book.DAT"
    check; grep -Eq "is the field book itself|ends in neither .xls nor .xlsx|ends in none of .xls, .xlsx and .csv" "$work/err" || fail "$command into $output: $(cat "$work/err")"
    check; cmp -s "$work/book.DAT" "$book" || fail "$command wrote into the field book ($output)"
  done
done
expect_status 2 "$cli" adjust --fixed RP101=100 --output "$work/a.txt" "$book"
check; grep -q "ends in none of .xls, .xlsx and .csv" "$work/err" && [ ! -e "$work/a.txt" ] || fail "adjust wrote a workbook into a.txt"
ln -s loop-b "$work/loop-a"; ln -s loop-a "$work/loop-b"
expect_status 1 "$cli" save --output "$work/loop-a" "$book"
check; grep -q "Too many levels of symbolic links" "$work/err" || fail "link loop: $(cat "$work/err")"
ln -s made-by-save.DAT "$work/dangling"
expect_status 0 "$cli" save --output "$work/dangling" "$book"
check; [ -L "$work/dangling" ] && cmp -s "$work/made-by-save.DAT" "$book" || fail "a dangling link was replaced"
long="$work/$(printf 'n%.0s' $(seq 255))"
expect_status 0 "$cli" save --output "$long" "$book"
check; cmp -s "$long" "$book" || fail "a 255-byte name could not be saved"

# With /tmp full the .xlsx is still whole: the library's work files go beside the output.
# (A private mount namespace with a full tmpfs on /tmp; needs root.)
cp "$book" "$work/full-tmp.DAT"
if unshare -m --propagation private true 2>/dev/null; then
  # The tool is copied into the work folder first: the tmpfs hides whatever lies under /tmp
  # (the build folder may), while the working folder stays reachable by relative names.
  cp "$cli" "$work/cli-full-tmp"
  expect_status 0 unshare -m --propagation private sh -c 'cd "$1" && mount -t tmpfs -o size=64k tmpfs /tmp &&
    { dd if=/dev/zero of=/tmp/fill bs=4k 2>/dev/null; exec ./cli-full-tmp export --runs 1 --start RP101 --output full-tmp.xlsx full-tmp.DAT; }' sh "$work"
  check; /usr/bin/python3 -c "import sys, openpyxl; s = openpyxl.load_workbook(sys.argv[1]).worksheets[0]; assert s.cell(1, 1).value == 'RP101'" "$work/full-tmp.xlsx" || fail "with /tmp full the workbook is broken"
else
  echo "skipped: a full /tmp needs a private mount namespace (root)"
fi

# Inputs that are not regular files are refused at once, without reading.
mkfifo "$work/fifo"
expect_status 1 timeout 10 "$cli" runs "$work/fifo"
check; grep -q "fifo: it is not a regular file" "$work/err" || fail "FIFO input: $(cat "$work/err")"
expect_status 1 timeout 10 "$cli" runs /dev/zero
# A FIFO named as the workbook gets the whole .xlsx written into it, and stays a FIFO.
mkfifo "$work/piped.xlsx"
cat "$work/piped.xlsx" >"$work/from-fifo.xlsx" &
expect_status 0 timeout 20 "$cli" export --runs 1 --start RP101 --output "$work/piped.xlsx" "$book"
wait
check; [ -p "$work/piped.xlsx" ] || fail "the FIFO was replaced"
check; /usr/bin/python3 -c "import sys, openpyxl; s = openpyxl.load_workbook(sys.argv[1]).worksheets[0]; assert s.cell(1, 1).value == 'RP101'" "$work/from-fifo.xlsx" || fail "the workbook through the FIFO does not read back"
# Standard input that never ends runs out of memory, and says so.
# (AddressSanitizer reserves more address space than the limit allows: skipped under it.)
if ldd "$cli" 2>/dev/null | grep -q libasan; then
  echo "skipped: the memory limit check cannot run under AddressSanitizer"
else
  expect_status 1 bash -c 'ulimit -v 400000; exec "$0" runs - </dev/zero' "$cli"
  check; grep -q "cannot read -: out of memory" "$work/err" || fail "out of memory: $(cat "$work/err")"
fi

# A read-only book is not replaced for a user who may not write it (root drops to nobody).
mkdir -m 0777 "$work/shared"; chmod 0755 "$work"
cp "$book" "$work/shared/ro.DAT"; chmod 0444 "$work/shared/ro.DAT"
as_user=()
if [ "$(id -u)" = 0 ]; then as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi
if [ "$(id -u)" != 0 ] || command -v setpriv >/dev/null; then
  expect_status 1 "${as_user[@]}" "$cli" save --delete 1 --output "$work/shared/ro.DAT" "$book"
  check; grep -q "read-only" "$work/err" || fail "read-only message: $(cat "$work/err")"
  check; cmp -s "$work/shared/ro.DAT" "$book" || fail "the read-only book was replaced"
else
  echo "skipped: the read-only check needs setpriv to drop to nobody"
fi

# Run numbers typed in a UTF-8 terminal name the book's Windows-1251 texts.
/usr/bin/python3 - "$book" "$work/cyrillic.DAT" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
out = []
for line in lines:
    if line.startswith(b"For") and len(line) > 48 and line[44:48].strip() == b"1":
        line = line[:44] + b"\xc61".rjust(4) + line[48:]  # run "Ж1"
    out.append(line)
open(sys.argv[2], "wb").write(b"\r\n".join(out))
PY
check; LC_ALL=C.UTF-8 "$cli" runs --json "$work/cyrillic.DAT" | grep -q '"runNumber": "Ж1"' || fail "JSON does not show run Ж1"
expect_status 0 env LC_ALL=C.UTF-8 "$cli" save --delete Ж1 --output "$work/no-zh.DAT" "$work/cyrillic.DAT"
check; [ ! -s "$work/err" ] && ! grep -q "^Ж1 //" <("$cli" runs "$work/no-zh.DAT" | iconv -f CP1251 -t UTF-8) || fail "save --delete Ж1: $(cat "$work/err")"
expect_status 0 env LC_ALL=C.UTF-8 "$cli" export --runs Ж1 --output "$work/zh.xls" "$work/cyrillic.DAT"
check; [ ! -s "$work/err" ] || fail "export --runs Ж1: $(cat "$work/err")"

# Run and point numbers holding "," or "=" are named in the lists with a backslash before them.
/usr/bin/python3 - "$book" "$work/comma.DAT" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
out = []
for line in lines:
    if line.startswith(b"For") and len(line) > 48 and line[44:48].strip() == b"1":
        line = line[:44] + b"A,1".rjust(4) + line[48:]  # run "A,1"
    if line.startswith(b"For") and line[20:29].strip() == b"RP101":
        line = line[:20] + b"R=1".rjust(9) + line[29:]  # point "R=1"
    out.append(line)
open(sys.argv[2], "wb").write(b"\r\n".join(out))
PY
expect_status 0 "$cli" save --delete 'A\,1' --output "$work/no-comma.DAT" "$work/comma.DAT"
check; [ ! -s "$work/err" ] && ! "$cli" runs "$work/no-comma.DAT" | grep -q "^A,1 //" || fail "save --delete 'A\,1': $(cat "$work/err")"
expect_status 0 "$cli" export --runs 'A\,1' --start 'R=1' --output "$work/comma.xls" "$work/comma.DAT"
check; [ ! -s "$work/err" ] || fail "export --runs 'A\,1': $(cat "$work/err")"
expect_status 0 "$cli" adjust --json --runs 'A\,1' --fixed 'R\=1=100,5' --nodes 'R\=1' "$work/comma.DAT"
check
/usr/bin/python3 - "$work/out" <<'PY' || fail "adjust with escaped names: $(cat "$work/err")"
import json, sys
result = json.load(open(sys.argv[1], encoding="utf-8"))
fixed = [p for p in result["points"] if p.get("fixed")]
assert [(p["point"], p["height"]) for p in fixed] == [("R=1", 100.5)], fixed
assert {s["run"] for s in result["sections"]} == {"A,1"}, result["sections"]
PY
# Unescaped, the same names are other runs and points.
expect_status 0 "$cli" save --delete 'A,1' --output "$work/same-comma.DAT" "$work/comma.DAT"
check; grep -q "lists no run A" "$work/err" && cmp -s "$work/same-comma.DAT" "$work/comma.DAT" || fail "save --delete 'A,1' deleted something"

# Warnings and messages: an unknown run in --runs, each unlinked run named once, and file
# names with control characters escaped on one line.
expect_status 0 "$cli" export --runs 1,77 --start RP101 --output "$work/warn.xls" "$book"
check; grep -q "lists no run 77" "$work/err" || fail "no warning for --runs 77"
expect_status 3 "$cli" export --runs 12 --start NOWHERE --output "$work/twice.xls" "$book"
check; grep -q "left out: 12$" "$work/err" || fail "left-out runs: $(cat "$work/err")"
expect_status 1 "$cli" runs "$work/bad"$'\n'"name.DAT"
check; [ "$(wc -l <"$work/err")" = 1 ] && grep -q 'bad\\x0aname.DAT' "$work/err" || fail "file name not escaped: $(cat "$work/err")"

# The spreadsheet library, with the cryptography it brings, is loaded only to write an .xlsx:
# reading, checking and an .xls leave it out of memory.
for command in "runs" "check" "export --runs 1 --start RP101 --output $work/lib.xls"; do
  # shellcheck disable=SC2086
  LD_DEBUG=libs "$cli" $command "$book" >/dev/null 2>"$work/libs"
  check; grep -q 'find library=libxlsxwriter' "$work/libs" && fail "$command loaded the spreadsheet library"
done
LD_DEBUG=libs "$cli" export --runs 1 --start RP101 --output "$work/lib.xlsx" "$book" 2>"$work/libs"
check; grep -q 'find library=libxlsxwriter' "$work/libs" && [ -s "$work/lib.xlsx" ] || fail "export to .xlsx did not load the spreadsheet library"

# Without the library an .xlsx export fails with the loader's reason and writes nothing. The
# library is hidden behind an empty file in a mount namespace of its own, where one can be made
# (root), at the place the export above loaded it from; elsewhere this check is left out.
library=$(sed -n 's/.*trying file=\(.*libxlsxwriter[^ ]*\)$/\1/p' "$work/libs" | head -n 1)
if [ -n "$library" ] && unshare -m true 2>/dev/null; then
  : >"$work/empty.so"
  unshare -m bash -c 'mount --bind "$1" "$2" && exec "${@:3}"' hide "$work/empty.so" "$library" \
    "$cli" export --runs 1 --start RP101 --output "$work/nolib.xlsx" "$book" 2>"$work/err"
  status=$?
  check; [ "$status" = 1 ] && [ ! -e "$work/nolib.xlsx" ] &&
    grep -q "cannot export to $work/nolib.xlsx: the spreadsheet library failed: .*libxlsxwriter" "$work/err" ||
    fail "export without the spreadsheet library: status $status, $(cat "$work/err")"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
