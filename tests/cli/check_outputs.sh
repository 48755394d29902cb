#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Where the tool's outputs go when they are not a plain new file: names of its own descriptors,
# a closed or full standard output, standard input named as the output, signals during a save,
# results too long for a sheet, names no terminal or page should take raw.
# Usage: check_outputs.sh CLI SAMPLES_DIR [WINDOW_PROGRAM]
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$(realpath "$1")
samples=$2
window=${3:+$(realpath "$3")}
. "$(dirname "$0")/cli_checks.sh"
book=$samples/levelling_m5.DAT

# ---- /dev/stdout and its kin write into the open descriptor: a redirected file keeps what the
# shell wrote before and after, and stays the same file.
for name in /dev/stdout /proc/self/fd/1 /dev/fd/1; do
  check
  { echo HEADER; "$cli" save --output "$name" "$book"; echo FOOTER; } >"$work/page"
  { echo HEADER; cat "$book"; echo FOOTER; } | cmp -s - "$work/page" || fail "save --output $name into a redirected file lost its neighbours"
done
check
{ echo HEADER; "$cli" report --output /dev/stdout "$book"; echo FOOTER; } >"$work/page.html"
[ "$(head -1 "$work/page.html")" = HEADER ] && [ "$(tail -1 "$work/page.html")" = FOOTER ] &&
  grep -q '<!DOCTYPE html>' "$work/page.html" || fail "report --output /dev/stdout lost HEADER or FOOTER"
check
echo "before" >"$work/appended"
inode=$(stat -c %i "$work/appended")
"$cli" save --output /dev/stdout "$book" >>"$work/appended"
{ echo before; cat "$book"; } | cmp -s - "$work/appended" && [ "$(stat -c %i "$work/appended")" = "$inode" ] ||
  fail ">> with --output /dev/stdout did not append to the same file"
check
"$cli" save --output /dev/stderr "$book" 2>"$work/to-stderr" >/dev/null
cmp -s "$book" "$work/to-stderr" || fail "save --output /dev/stderr"
[ -L /dev/stdout ] || fail "/dev/stdout is no longer a link"

# ---- A closed or full standard output is an error: one line, exit 1, for every command.
closed() {  # STATUS CMD...: runs CMD with standard output closed
  local want=$1; shift
  check
  "$@" >&- 2>"$work/err"
  local got=$?
  [ "$got" = "$want" ] || fail "'$*' with standard output closed exited $got, expected $want"
  [ "$want" = 0 ] || [ "$(wc -l <"$work/err")" = 1 ] || fail "'$*' with standard output closed: $(cat "$work/err")"
}
full() {  # CMD...: runs CMD with standard output on /dev/full
  check
  "$@" >/dev/full 2>"$work/err"
  local got=$?
  [ "$got" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] || fail "'$*' >/dev/full exited $got: $(cat "$work/err")"
}
closed 1 "$cli" save --output - "$book"
closed 1 "$cli" report --output - "$book"
closed 1 "$cli" export --runs 1 --start RP101 --output - "$book"
closed 1 "$cli" runs "$book"
closed 1 "$cli" check "$book"
closed 1 "$cli" adjust --runs 1 --fixed RP101=100 "$book"
closed 1 "$cli" --help
closed 1 "$cli" --version
for command in "save --output -" "report --output -" "export --runs 1 --start RP101 --output -" runs check "adjust --runs 1 --fixed RP101=100"; do
  # shellcheck disable=SC2086
  full "$cli" $command "$book"
done
full "$cli" --help
full "$cli" --version
# A file written while standard output is closed does not take its place.
closed 0 "$cli" save --output "$work/saved-closed.DAT" "$book"
check; cmp -s "$book" "$work/saved-closed.DAT" || fail "the save with standard output closed is not the book"
if [ -n "$window" ]; then
  closed 1 "$window" --help
  closed 1 "$window" --version
  full "$window" --help
  full "$window" --version
  # An option of neither program is wrong usage, told before any display is needed.
  expect_status 2 "$window" --bogus
  check; [ "$(wc -l <"$work/err")" = 1 ] && grep -q "unknown option --bogus; a field book of that name opens as ./--bogus" "$work/err" ||
    fail "the window's --bogus: $(cat "$work/err")"
  expect_status 2 "$window" "$book" --no-such-option
fi

# ---- Standard output needs no temporary folder.
check; TMPDIR=/nonexistent/velmora "$cli" save --output - "$book" | cmp -s - "$book" || fail "save --output - without TMPDIR"
check
TMPDIR=/nonexistent/velmora "$cli" export --runs 1 --start RP101 --output - "$book" >"$work/no-tmp.xls" &&
  [ -s "$work/no-tmp.xls" ] || fail "export --output - without TMPDIR"

# ---- Standard output that is a terminal takes text, but no workbook: that is refused (2)
# before the book is read, and nothing reaches the terminal. Run on a pseudo-terminal;
# prints "STATUS BYTES" of what reached it, stderr into $work/err.
on_terminal() {
  python3 - "$@" 2>"$work/err" <<'PY'
import os, subprocess, sys, threading
master, slave = os.openpty()
child = subprocess.Popen(sys.argv[1:], stdout=slave)
os.close(slave)
got = bytearray()
def drain():
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # the terminal's other end was closed
            return
        if not chunk:
            return
        got.extend(chunk)
reader = threading.Thread(target=drain)
reader.start()
child.wait()
reader.join(timeout=10)
print(child.returncode, len(got))
PY
}
for command in "export --runs 1 --start RP101" "adjust --runs 1 --fixed RP101=100"; do
  # shellcheck disable=SC2086  # the command's words are meant to split
  answer=$(on_terminal "$cli" $command --output - "$book")
  check; [ "$answer" = "2 0" ] && grep -q "a workbook is not written to a terminal" "$work/err" ||
    fail "$command --output - to a terminal: $answer $(head -1 "$work/err")"
done
for command in "report --output -" "save --output -" "runs"; do
  # shellcheck disable=SC2086
  answer=$(on_terminal "$cli" $command "$book")
  check; [ "${answer% *}" != 2 ] && [ "${answer#* }" -gt 0 ] || fail "$command to a terminal: $answer $(head -1 "$work/err")"
done
# Redirected, the workbook is written as before (also by export --output - above).
check; "$cli" adjust --runs 1 --fixed RP101=100 --output - "$book" >"$work/adjusted.xls" && [ -s "$work/adjusted.xls" ] ||
  fail "adjust --output - into a file"

# ---- Standard input named as the output is the field book: refused, and it stays.
cp "$book" "$work/in.xls"
expect_status 2 "$cli" export --output "$work/in.xls" - <"$work/in.xls"
check; cmp -s "$book" "$work/in.xls" || fail "export replaced its standard input"
cp "$book" "$work/in.html"
expect_status 2 "$cli" report --output "$work/in.html" - <"$work/in.html"
check; cmp -s "$book" "$work/in.html" || fail "report replaced its standard input"

# ---- A save ended by a signal leaves no temporary file: the file size limit (SIGXFSZ) here;
# the other signals are sent in the AtomicFile tests.
mkdir "$work/limited"
check
# (In a command substitution with its errors dropped: the shell would report the signal.)
status=$( { bash -c 'ulimit -f 4; exec "$0" save --output "$1" "$2"' "$cli" "$work/limited/out.DAT" "$book"; echo $?; } 2>/dev/null)
[ "$status" -gt 128 ] && [ "$(kill -l $((status - 128)))" = XFSZ ] || fail "the save over the size limit ended with $status"
check; [ -z "$(ls -A "$work/limited")" ] || fail "a save ended by SIGXFSZ left $(ls "$work/limited")"

# ---- An .xlsx written under a small limit of descriptors or stack: the whole workbook, or one
# line naming the cause (exit 1) and no file at all, never the spreadsheet library's own lines,
# a crash or a temporary file left. The library keeps a file open per sheet (one for the
# export, four for the adjustment) and wants 64 KiB of stack for its zip.
mkdir "$work/limits"
for case in "n 4 export" "n 6 export" "n 4 adjust" "n 5 adjust" "n 9 adjust" "s 64 export" "s 64 adjust" "s 128 adjust"; do
  read -r kind limit command <<<"$case"
  # Under the sanitizers, their own frames need more stack than such a limit leaves, and their
  # check of an object's type opens a pipe, which the smallest limits leave no room for.
  if { [ "$kind" = s ] || [ "$limit" -lt 6 ]; } && ldd "$cli" 2>/dev/null | grep -q libasan; then
    continue
  fi
  case $command in
    export) words=(export --runs 1 --start RP101) ;;
    adjust) words=(adjust --runs 1 --fixed RP101=100) ;;
  esac
  check
  # Descriptors inherited beyond the standard three (a test driver's) are closed first, so
  # that the limit leaves the tool what it leaves at a terminal.
  bash -c 'for fd in $(ls /proc/$$/fd); do [ "$fd" -le 2 ] || eval "exec $fd>&-"; done
    ulimit -"$1" "$2"; shift 2; exec "$@"' sh "$kind" "$limit" "$cli" "${words[@]}" \
    --output "$work/limits/un.xlsx" "$book" >"$work/out" 2>"$work/err"
  status=$?
  if [ "$kind" = n ]; then
    [ "$status" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] && grep -q ": Too many open files$" "$work/err" &&
      [ -z "$(ls -A "$work/limits")" ] ||
      fail "$command under ulimit -$kind $limit ended with $status: $(head -c 300 "$work/err") $(ls -A "$work/limits")"
  else
    [ "$status" = 0 ] && [ ! -s "$work/err" ] && [ "$(ls -A "$work/limits")" = un.xlsx ] &&
      /usr/bin/python3 -c "import sys, openpyxl; assert openpyxl.load_workbook(sys.argv[1]).worksheets[0].max_row > 1" "$work/limits/un.xlsx" ||
      fail "$command under ulimit -$kind $limit ended with $status: $(head -c 300 "$work/err") $(ls -A "$work/limits")"
  fi
  rm -f "$work/limits/"*
done

# ---- Results longer than a sheet are refused before the sheet is built: a run listed 8 000
# times (as many stretches, between stretches of another run) needs far more than the
# 1 048 576 rows of an .xlsx sheet. Once, building them took 550 MB; now it stays in 300 MB.
python3 - "$book" "$work/listed-often.DAT" <<'PY'
import sys
# A reading line of the sample, its fields replaced where the layout puts them.
template = open(sys.argv[1], "rb").read().split(b"\r\n")[3].decode("ascii")
def line(point, run, code, value, distance):
    return (template[:20] + point.rjust(9) + template[29:44] + run.rjust(4) + template[48] + code +
            value.rjust(15) + template[66:74] + distance.rjust(15) + template[89:])
lines = []
for stretch in range(8000):
    for run in ("1", "2"):
        lines.append(line("P%s.%d" % (run, stretch), run, "Rb", "1.50000", "10.000"))
        lines.append(line("P%s.%d" % (run, stretch + 1), run, "Rf", "1.20000", "10.000"))
open(sys.argv[2], "w").write("\r\n".join(lines) + "\r\n")
PY
for format in xlsx xls; do
  if ldd "$cli" 2>/dev/null | grep -q libasan; then
    expect_status 1 "$cli" export --runs 1 --start P1.0 --output "$work/often.$format" "$work/listed-often.DAT"
  else
    expect_status 1 bash -c 'ulimit -v 300000; exec "$0" "$@"' "$cli" export --runs 1 --start P1.0 \
      --output "$work/often.$format" "$work/listed-often.DAT"
  fi
  check; grep -q "below the last row of the sheet" "$work/err" || fail "$format: $(cat "$work/err")"
  check; [ ! -e "$work/often.$format" ] || fail "$format: a workbook was written"
done

# ---- Out of memory after the book was read: the message names the book. 690 000 lines
# (83 MB) read in about 105 MB; checking them needs some 165 MB.
if ldd "$cli" 2>/dev/null | grep -q libasan; then
  echo "skipped: the memory limit checks cannot run under AddressSanitizer"
else
  python3 - "$book" "$work/big.DAT" <<'PY'
import sys
lines = [line for line in open(sys.argv[1], "rb").read().split(b"\r\n") if line]
open(sys.argv[2], "wb").write(b"\r\n".join(lines * 6000) + b"\r\n")
PY
  for command in check "report --output $work/big.html" "adjust --fixed RP101=100"; do
    # shellcheck disable=SC2086
    expect_status 1 bash -c 'ulimit -v 130000; exec "$0" "$@"' "$cli" $command "$work/big.DAT"
    check; grep -qx "velmora-tesk-cli: cannot work on $work/big.DAT: out of memory" "$work/err" ||
      fail "$command out of memory: $(cat "$work/err")"
  done
  rm -f "$work/big.DAT"

  # An .xlsx export short of memory, at limits from "fails early" to "just enough": the whole
  # workbook, or our one line naming it (exit 1) and no file at all, never the library's own
  # lines, a crash or a temporary file left. 300 runs of 300 stations from point A (22 MB).
  python3 - "$book" "$work/long.DAT" <<'PY'
import sys
template = open(sys.argv[1], "rb").read().split(b"\r\n")[3].decode("ascii")
def line(point, run, code, value, distance):
    return (template[:20] + point.rjust(9) + template[29:44] + run.rjust(4) + template[48] + code +
            value.rjust(15) + template[66:74] + distance.rjust(15) + template[89:])
lines = []
for run in range(1, 301):
    previous = "A"
    for station in range(300):
        point = "P%d.%d" % (run, station)
        lines += [line(previous, str(run), "Rb", "1.50000", "10.000"), line(point, str(run), "Rf", "1.20000", "10.000")]
        previous = point
open(sys.argv[2], "w").write("\r\n".join(lines) + "\r\n")
PY
  mkdir "$work/xlsx-limits"
  for limit in 60000 80000 90000 100000 140000; do
    check
    bash -c 'ulimit -v "$1"; exec "$2" export --start A --output "$3" "$4"' sh "$limit" "$cli" \
      "$work/xlsx-limits/long.xlsx" "$work/long.DAT" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$status" = 0 ]; then
      [ ! -s "$work/err" ] && [ "$(ls "$work/xlsx-limits")" = long.xlsx ] &&
        /usr/bin/python3 -c "import sys, openpyxl; s = openpyxl.load_workbook(sys.argv[1]).worksheets[0]; assert s.cell(1, 1).value == 'A' and s.max_row > 90000" "$work/xlsx-limits/long.xlsx" ||
        fail "the .xlsx written within $limit KiB: $(cat "$work/err") $(ls "$work/xlsx-limits")"
    else
      [ "$status" = 1 ] && [ "$(cat "$work/err")" = "velmora-tesk-cli: cannot export to $work/xlsx-limits/long.xlsx: out of memory" ] &&
        [ -z "$(ls -A "$work/xlsx-limits")" ] ||
        fail "the .xlsx export within $limit KiB ended with $status: $(head -c 300 "$work/err") $(ls -A "$work/xlsx-limits")"
    fi
    rm -f "$work/xlsx-limits/"*
  done
  rm -f "$work/long.DAT"
fi

# ---- The report page is UTF-8 whatever the file and point names hold; control characters show
# as \xNN, as in the tool's messages.
python3 - "$book" "$work/$(printf 'caf\xe9\x1b.DAT')" <<'PY'
import sys
data = open(sys.argv[1], "rb").read().split(b"\r\n")
out = []
for line in data:
    if line.startswith(b"For") and line[20:29].strip() == b"TP1":
        line = line[:20] + b"TP\x1b\x07".rjust(9) + line[29:]
    out.append(line)
open(sys.argv[2], "wb").write(b"\r\n".join(out))
PY
"$cli" report --output "$work/odd.html" "$work/$(printf 'caf\xe9\x1b.DAT')" 2>"$work/err"
check
python3 - "$work/odd.html" <<'PY' || fail "the page of odd names is no valid UTF-8 or holds control bytes"
import re, sys
page = open(sys.argv[1], "rb").read().decode("utf-8")
assert not re.search(r"[\x00-\x08\x0b-\x1f\x7f]", page), "a control character stands raw"
assert "<title>Levelling report: caf\\xe9\\x1b.DAT</title>" in page
assert "TP\\x1b\\x07" in page
PY

finish
