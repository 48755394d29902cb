#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The field-book file type as a desktop sees it: the type definition is compiled into a MIME
# database of its own (update-mime-database) and `gio info` names the type of each test file,
# reading its content as a file manager does.
#   - the sample field books (DiNi .DAT and Leica .gsi) and the real ones of REAL_BOOKS_DIR (or
#     of $VELMORA_FIELD_BOOKS), where there are any, are field books, also under another name,
#     where only their content tells; so are Leica GSI-8 and GSI-16 books written here;
#   - a file that is no field book stays what it is under any name, the instrument's upper-case
#     .DAT too: random bytes, a line of text, a workbook.
# Usage: check_filetype.sh TYPE_XML SAMPLES_DIR [REAL_BOOKS_DIR]
#   REAL_BOOKS_DIR  real field books (*.DAT) and, in leica/, Leica GSI books; $VELMORA_FIELD_BOOKS
#                   is taken instead when set. Missing folders are passed over.
# Exits 77 (skipped) when update-mime-database or gio is missing.
set -uo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 TYPE_XML SAMPLES_DIR [REAL_BOOKS_DIR]" >&2
  exit 2
fi
xml=$1
samples=$2
real=${VELMORA_FIELD_BOOKS:-${3:-}}
for tool in update-mime-database gio; do
  if ! command -v $tool >/dev/null; then
    echo "filetype: $tool is not installed; skipped"
    exit 77
  fi
done

mime_type=application/x-velmora-fieldbook
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/mime/packages" "$work/files" "$work/home"
cp "$xml" "$work/share/mime/packages/"
if ! update-mime-database "$work/share/mime" >"$work/umd" 2>&1 ||
    grep -qi -e error -e warning -e invalid "$work/umd"; then
  echo "FAIL: update-mime-database: $(cat "$work/umd")"
  exit 1
fi

failures=0
checks=0
# expect FILE TYPE...: the type gio gives FILE is one of TYPE...
expect() {
  local file=$1 got
  shift
  checks=$((checks + 1))
  # Only our database and the system's, none of the user's own.
  got=$(XDG_DATA_DIRS="$work/share:/usr/share" XDG_DATA_HOME="$work/home" HOME="$work/home" \
        gio info -a standard::content-type "$file" 2>&1 | sed -n 's/^ *standard::content-type: //p')
  for want in "$@"; do
    [ "$got" = "$want" ] && return 0
  done
  echo "FAIL: $(basename "$file") is '$got', not $*"
  failures=$((failures + 1))
}

books=("$samples"/*.DAT "$samples"/*.gsi)
if [ -n "$real" ] && [ -d "$real" ]; then
  books+=("$real"/*.DAT "$real"/leica/*.gsi "$real"/leica/*.GSI)
fi
n=0
for book in "${books[@]}"; do
  [ -f "$book" ] || continue
  n=$((n + 1))
  expect "$book" "$mime_type"
  # The same book under a lower-case name: only the content can tell.
  cp "$book" "$work/files/book$n.dat"
  expect "$work/files/book$n.dat" "$mime_type"
done
[ "$n" -ge 2 ] || { echo "FAIL: no sample field books in $samples"; exit 1; }

# What is no field book, under a lower-case name and under the instrument's own upper-case one:
# the name alone never makes a file ours.
head -c 2000 /dev/urandom >"$work/files/random"
printf 'hello world\n' >"$work/files/notes"
# Leica levelling books: GSI-16 words of a point number, a reading and a distance, and GSI-8
# beginning with a line start.
printf '%s\r\n' '*110001+0000000000000001 83..58+0000000000000000 ' \
  '*110002+000000000000000G 32...8+0000000001824936 331.08+0000000000159977 ' \
  '*110003+0000000000000001 32...8+0000000001934475 332.08+0000000000138073 ' >"$work/files/leica16"
printf '%s\n' '410001+?......1 ' '110002+000000A1 32...0+00020512 331..8+00152340 ' >"$work/files/leica8"
for name in leica16 leica8; do
  for suffix in gsi GSI dat; do
    cp "$work/files/$name" "$work/files/$name.$suffix"
    expect "$work/files/$name.$suffix" "$mime_type"
  done
done
# A workbook: the zip container of an .xlsx, its content types first as spreadsheet programs write.
python3 - "$work/files/workbook" <<'PY' || { echo "FAIL: python3 cannot write a zip file"; exit 1; }
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as book:
    book.writestr("[Content_Types].xml", '<?xml version="1.0" encoding="UTF-8"?><Types/>')
    book.writestr("xl/workbook.xml", '<?xml version="1.0" encoding="UTF-8"?><workbook/>')
PY
for name in random notes workbook; do
  for suffix in dat DAT; do
    cp "$work/files/$name" "$work/files/$name.$suffix"
  done
done
for suffix in dat DAT; do
  expect "$work/files/random.$suffix" application/octet-stream
  expect "$work/files/notes.$suffix" text/plain
  expect "$work/files/workbook.$suffix" application/zip \
    application/vnd.openxmlformats-officedocument.spreadsheetml.sheet
done
# Text that merely starts like a numbered list, and an M5 marker that is not at the start.
printf '     1 first item\n     2 second item, see OLD.TXT\n' >"$work/files/list.dat"
expect "$work/files/list.dat" text/plain
printf 'notes on For M5| files\n' >"$work/files/about.dat"
expect "$work/files/about.dat" text/plain
# Text that begins with the digits of a point word but has no word's shape.
printf '110001 items, 41 of them sold\n' >"$work/files/count.dat"
expect "$work/files/count.dat" text/plain

echo "$((checks - failures)) passed, $failures failed ($n field books)"
[ "$failures" = 0 ]
