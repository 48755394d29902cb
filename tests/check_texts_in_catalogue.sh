#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# check_texts_in_catalogue.sh PROJECT
# Fails when the window or its state writes a Russian text into the code instead of taking it
# from the catalogue (po/ru.po): a Cyrillic letter outside a // comment in src/app, src/state
# or src/cli. The fixed words of field books and workbooks live in the core's writers
# (src/export, src/network), not here.
set -euo pipefail
cd "$1"
found=$(find src/app src/state src/cli -name '*.cpp' -o -name '*.h' | sort | xargs perl -CSD -ne '
  next unless /\p{Cyrillic}/;
  # What stands before a // that is not inside a string literal.
  s{^((?:[^"/]|"(?:[^"\\]|\\.)*"|/(?!/))*)//.*}{$1};
  print "$ARGV:$.: $_" if /\p{Cyrillic}/;
} continue { close ARGV if eof;')
if [[ -n $found ]]; then
  echo "Russian written into the code; mark the English with Tr and translate it in po/ru.po:"
  echo "$found"
  exit 1
fi
