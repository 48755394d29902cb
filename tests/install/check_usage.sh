#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command-line tool's usage is written in three places: its --help, its manual page and the
# README. This checks that they agree: the same synopsis lines (blanks aside), and the same exit
# statuses.
# Usage: check_usage.sh CLI MAN_PAGE [README]
#   MAN_PAGE  the page's source (velmora-tesk-cli.1) or the installed, compressed page (.1.gz)
# Exits 77 (skipped) when groff is missing.
set -uo pipefail
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 CLI MAN_PAGE [README]" >&2
  exit 2
fi
cli=$1
page=$2
readme=${3:-}
if ! command -v groff >/dev/null; then
  echo "usage: groff is not installed; skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
squeeze() { sed -e 's/[[:space:]]\{1,\}/ /g' -e 's/^ //' -e 's/ $//'; }

# ---- --help: a synopsis begins two blanks in with the program's name; a following line indented
# further that begins with "[" continues it.
"$cli" --help >"$work/help" || { echo "FAIL: $cli --help failed"; exit 1; }
awk '/^  velmora-tesk-cli / { if (s != "") print s; s = $0; next }
     s != "" && /^     +\[/ { s = s " " $0; next }
     { if (s != "") print s; s = "" }
     END { if (s != "") print s }' "$work/help" | squeeze >"$work/help.synopsis"
sed -n '/^Exit status/,$p' "$work/help" | grep -oE '(^|[:,]) ?[0-9]+ ' | tr -dc '0-9\n' | sort -u >"$work/help.status"

# ---- The manual page, formatted as plain text, wide enough for each synopsis to keep one line.
case "$page" in
  *.gz) zcat "$page" >"$work/page.1" ;;
  *) cp "$page" "$work/page.1" ;;
esac
LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou -rLL=400n "$work/page.1" 2>"$work/groff" |
  sed -e 's/\xe2\x88\x92/-/g' -e 's/\xe2\x80\x90/-/g' >"$work/page.txt"
[ -s "$work/groff" ] && fail "groff warns about the manual page: $(head -3 "$work/groff")"
awk '/^[A-Z]/ { section = $0; next } section == "SYNOPSIS" && NF' "$work/page.txt" |
  squeeze >"$work/page.synopsis"
awk '/^[A-Z]/ { section = $0; next } section == "EXIT STATUS" && /^ +[0-9]+( |$)/ { print $1 }' "$work/page.txt" | sort -u >"$work/page.status"

# ---- The README: the code block under "## The command-line tool", and its "Exit status:" line.
if [ -n "$readme" ]; then
  awk '/^## / { on = ($0 == "## The command-line tool") } on' "$readme" >"$work/readme.section"
  awk '/^```/ { block++; next } block == 1' "$work/readme.section" | squeeze >"$work/readme.synopsis"
  grep -m1 'Exit status' -A3 "$work/readme.section" | tr '\n' ' ' | sed 's/\.  *[A-Z-].*//' |
    grep -oE '(^|[:,]) ?[0-9]+ ' | tr -dc '0-9\n' | sort -u >"$work/readme.status"
fi

# compare WHAT NAME: the --help version of WHAT against the manual page's and the README's.
compare() {
  local what=$1 other
  [ -s "$work/help.$what" ] || fail "--help has no $what"
  for other in page readme; do
    [ -f "$work/$other.$what" ] || continue
    if ! cmp -s "$work/help.$what" "$work/$other.$what"; then
      fail "the $what of --help and of the $([ $other = page ] && echo "manual page" || echo README) differ:"
      diff "$work/help.$what" "$work/$other.$what" | sed -n 's/^[<>]/  &/p' |
        sed -e 's/^  </  --help: /' -e "s/^  >/  $other: /"
    fi
  done
}
compare synopsis
compare status

if [ "$failures" = 0 ]; then
  echo "--help, the manual page${readme:+ and the README} agree: $(wc -l <"$work/help.synopsis") synopsis lines, exit statuses $(tr '\n' ' ' <"$work/help.status")"
fi
[ "$failures" = 0 ]
