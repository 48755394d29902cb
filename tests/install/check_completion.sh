#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of velmora-tesk-cli, sourced as bash-completion would load it and asked as
# readline asks it (COMP_WORDS, COMP_CWORD): commands, each command's options, the classes,
# field books and output files. With the program, each command's options are also compared with
# the usage its --help prints, so that the completion follows new options.
# Usage: check_completion.sh COMPLETION [CLI]
set -uo pipefail
export LC_ALL=C

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 COMPLETION [CLI]" >&2
  exit 2
fi
completion=$(realpath "$1")
cli=${2:-}
[ -z "$cli" ] || cli=$(realpath "$cli")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: $completion cannot be sourced"; exit 1; }
function=$(complete -p velmora-tesk-cli 2>/dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || { echo "FAIL: $completion completes no velmora-tesk-cli"; exit 1; }

# complete LINE: the completions of LINE's last word, sorted, on one line. LINE ends in a blank
# when a new word is begun. "=" splits words as it does in readline's default COMP_WORDBREAKS.
complete_line() {
  local line=$1
  read -r -a COMP_WORDS <<<"${line//=/ = }"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  "$function" velmora-tesk-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
  printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}

# expect LINE WANT: LINE completes to exactly WANT (sorted, blank-separated; '' for none).
expect() {
  local got
  checks=$((checks + 1))
  got=$(complete_line "$1")
  [ "$got" = "$2" ] || fail "'$1' completes to '$got', not '$2'"
}

# ---- Commands and options.
expect 'velmora-tesk-cli ' 'adjust check export help monitor report runs save'
expect 'velmora-tesk-cli ad' 'adjust'
expect 'velmora-tesk-cli h' 'help'
expect 'velmora-tesk-cli help ' 'adjust check export monitor report runs save'
expect 'velmora-tesk-cli help r' 'report runs'
expect 'velmora-tesk-cli help runs ' ''
expect 'velmora-tesk-cli help --' ''
expect 'velmora-tesk-cli --' '--help --version'
expect 'velmora-tesk-cli runs --' '--class --json'
expect 'velmora-tesk-cli check --max-s' '--max-section-difference --max-sight --max-station-imbalance'
expect 'velmora-tesk-cli report --class II --al' '--allow-single-readings'
expect 'velmora-tesk-cli adjust --fixed A=1 --s' '--sigma'

# ---- Values: the classes, in both spellings; nothing for numbers that cannot be guessed.
expect 'velmora-tesk-cli runs --class ' 'I II III IV'
expect 'velmora-tesk-cli check --class I' 'I II III IV'
expect 'velmora-tesk-cli export --class=' 'I II III IV'
expect 'velmora-tesk-cli export --class=II' 'II III'
expect 'velmora-tesk-cli export --height ' ''
expect 'velmora-tesk-cli adjust --sigma ' ''

# ---- Files: field books in any case and folders for FILE; for --output the kind the command
# writes.
mkdir -p "$work/files/sub folder"
touch "$work/files/"{line1.DAT,line2.dat,Line3.Dat,notes.txt,heights.xls,heights.xlsx,page.html}
cd "$work/files" || exit 1
expect 'velmora-tesk-cli runs ' 'Line3.Dat line1.DAT line2.dat sub folder'
expect 'velmora-tesk-cli check --json l' 'line1.DAT line2.dat'
expect 'velmora-tesk-cli adjust --fixed A=1 --json ' 'Line3.Dat line1.DAT line2.dat sub folder'
expect 'velmora-tesk-cli export --output ' 'heights.xls heights.xlsx sub folder'
expect 'velmora-tesk-cli adjust --output=h' 'heights.xls heights.xlsx'
expect 'velmora-tesk-cli report --output ' 'page.html sub folder'
expect 'velmora-tesk-cli save --output n' 'notes.txt'
cd - >/dev/null || exit 1

# ---- Each command's options against the usage that --help prints: the options of its synopsis,
# and for LIMITS the options that --help lists for them.
if [ -n "$cli" ]; then
  "$cli" --help >"$work/help" || { echo "FAIL: $cli --help failed"; exit 1; }
  limits=$(sed -n '/LIMITS,/,/^ *$/p' "$work/help" | grep -oE -- '--(max|allow)-[a-z-]+' | sort -u | tr '\n' ' ')
  # One synopsis per line, as check_usage.sh reads them.
  awk '/^  velmora-tesk-cli [a-z]/ { if (s != "") print s; s = $0; next }
       s != "" && /^     +\[/ { s = s " " $0; next }
       { if (s != "") print s; s = "" }
       END { if (s != "") print s }' "$work/help" >"$work/synopses"
  commands=$(awk '{ print $2 }' "$work/synopses" | sort -u | tr '\n' ' ' | sed 's/ $//')
  checks=$((checks + 1))
  [ "$commands" = "$(complete_line 'velmora-tesk-cli ')" ] ||
    fail "--help has the commands '$commands', the completion '$(complete_line 'velmora-tesk-cli ')'"
  while read -r _ command rest; do
    # monitor's actions each have their own options.
    if [ "$command" = monitor ]; then
      command="monitor ${rest%% *}"
      rest=${rest#* }
    fi
    want=$(grep -oE -- '--[a-z][a-z-]*' <<<"$rest"; [[ $rest == *LIMITS* ]] && printf '%s\n' $limits)
    want=$(sort -u <<<"$want" | tr '\n' ' ' | sed 's/ $//')
    checks=$((checks + 1))
    got=$(complete_line "velmora-tesk-cli $command --")
    [ "$got" = "$want" ] || fail "$command: --help names the options '$want', the completion '$got'"
  done <"$work/synopses"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
