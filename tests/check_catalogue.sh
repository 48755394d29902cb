#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# check_catalogue.sh PROJECT WORK XGETTEXT-OPTION... -- SOURCE...
# Fails when a catalogue in PROJECT/po has a fuzzy or untranslated entry, does not compile, or
# lacks a text that the SOURCEs (relative to PROJECT) mark for translation.
set -euo pipefail
project=$1 work=$2
shift 2
options=()
while [[ $1 != -- ]]; do options+=("$1"); shift; done
shift
mkdir -p "$work"
cd "$project"
xgettext "${options[@]}" --output="$work/code.pot" "$@"
status=0
for po in po/*.po; do
  # --statistics says "N translated messages, M fuzzy translations, K untranslated messages."
  statistics=$(LC_ALL=C msgfmt --check --statistics --output-file=/dev/null "$po" 2>&1) || {
    echo "$po does not compile: $statistics"; status=1; continue; }
  if [[ $statistics == *fuzzy* || $statistics == *untranslated* ]]; then
    echo "$po: $statistics"
    LC_ALL=C msgattrib --only-fuzzy "$po"
    LC_ALL=C msgattrib --untranslated "$po"
    status=1
  fi
  # Every text of the code must be in the catalogue (msgcmp names each one missing).
  if ! LC_ALL=C msgcmp --use-untranslated "$po" "$work/code.pot"; then
    echo "$po lacks texts of the code: build the target velmora_pot and msgmerge it"
    status=1
  fi
done
exit $status
