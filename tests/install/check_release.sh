#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The release as every file of the packages names it, against the newest entry of the Debian
# changelog: the manual pages (as the build fills them in) carry its date and upstream version,
# the AppStream metadata lists that version among its releases, and the version the program
# prints is the same.
# Usage: check_release.sh CHANGELOG METAINFO CLI MAN_PAGE...
# Exits 77 (skipped) when dpkg-parsechangelog is missing.
set -uo pipefail

if [ $# -lt 4 ]; then
  echo "usage: $0 CHANGELOG METAINFO CLI MAN_PAGE..." >&2
  exit 2
fi
changelog=$1
metainfo=$2
cli=$3
shift 3
if ! command -v dpkg-parsechangelog >/dev/null; then
  echo "release: dpkg-parsechangelog is not installed; skipped"
  exit 77
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version=$(dpkg-parsechangelog -l "$changelog" -S Version) || { echo "FAIL: $changelog cannot be read"; exit 1; }
upstream=${version%-*}
date=$(date -u -d "$(dpkg-parsechangelog -l "$changelog" -S Date)" +%F) || exit 1

for page in "$@"; do
  th=$(grep -m1 '^\.TH' "$page")
  [[ $th == *"\"$date\" \"Velmora Tesk $upstream\""* ]] ||
    fail "$(basename "$page") is not dated $date for Velmora Tesk $upstream: $th"
  grep -n '@[A-Z_]*@' "$page" >/dev/null && fail "$(basename "$page") still has a placeholder"
done
grep -q "<release version=\"$upstream\"" "$metainfo" ||
  fail "$(basename "$metainfo") lists no release $upstream"
[ "$("$cli" --version)" = "Velmora Tesk $upstream" ] ||
  fail "the program prints '$("$cli" --version)', the changelog is at $upstream"

[ "$failures" = 0 ] && echo "the manual pages, the metadata and the program name release $upstream of $date"
[ "$failures" = 0 ]
