#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The field-book file type as a desktop sees it: the type definition is compiled into a MIME
# database of its own (update-mime-database) and `gio info` names the type of each test file,
# reading its content as a file manager does.
#   - the sample field books and the real ones of REAL_BOOKS_DIR (or of $VELMORA_FIELD_BOOKS),
#     where there are any, are field books, also
#     under a lower-case .dat name, where only their content tells;
#   - a .dat that is no field book (random bytes, a line of text) stays
#     application/octet-stream or text/plain.
# Usage: check_filetype.sh TYPE_XML SAMPLES_DIR [REAL_BOOKS_DIR]
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

books=("$samples"/*.DAT)
if [ -n "$real" ] && [ -d "$real" ]; then
  books+=("$real"/*.DAT)
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

head -c 2000 /dev/urandom >"$work/files/random.dat"
expect "$work/files/random.dat" application/octet-stream
printf 'hello world\n' >"$work/files/notes.dat"
expect "$work/files/notes.dat" text/plain
# Text that merely starts like a numbered list, and an M5 marker that is not at the start.
printf '     1 first item\n     2 second item, see OLD.TXT\n' >"$work/files/list.dat"
expect "$work/files/list.dat" text/plain
printf 'notes on For M5| files\n' >"$work/files/about.dat"
expect "$work/files/about.dat" text/plain

echo "$((checks - failures)) passed, $failures failed ($n field books)"
[ "$failures" = 0 ]
