#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The licence line at the top of every source file of ours.
#   scripts/spdx.sh --check   lists the source files without the line; exits 1 if there are any
#   scripts/spdx.sh --add     puts the line at the top of each of them, in its language's comment
#
# A source file is a file git knows (committed, or new and not ignored) whose name says its
# language: C++ (.cpp .h), CMake (CMakeLists.txt, .cmake), shell (.sh .bash, or a #! line naming a
# shell), Python (.py), XML (.xml .svg .metainfo.xml), desktop entries (.desktop) and manual pages
# (.1). Data (field books, fuzz inputs, expected outputs), Markdown and the Debian changelog
# carry no line. The line counts when it stands in the first five lines.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly identifier="SPDX-License-Identifier: MIT"

usage() {
  echo "usage: $0 --check | --add" >&2
  exit 2
}
[ $# -eq 1 ] || usage
mode=$1
case "$mode" in --check | --add) ;; *) usage ;; esac

# comment_style FILE: prints cpp, hash, xml, troff, or nothing for a file that is no source.
comment_style() {
  local file=$1
  case "$file" in
    fuzz/corpus/*) return ;;  # fuzz inputs, whatever their first bytes
  esac
  case "$(basename "$file")" in
    *.cpp | *.h) echo cpp ;;
    CMakeLists.txt | *.cmake | *.sh | *.bash | *.py | *.desktop) echo hash ;;
    *.xml | *.svg) echo xml ;;
    *.1) echo troff ;;
    *.*) ;;
    *)
      # A script without a suffix, such as .ci/run.
      if head -c 64 "$file" | head -1 | grep -qE '^#!.*\b(ba)?sh\b'; then echo hash; fi
      ;;
  esac
}

# The files git knows, committed or new (ignored ones left out), that still exist.
files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . -type f -not -path './.git/*' -not -path './build*' -printf '%P\0'
  fi
}

# add_line FILE STYLE: writes the line in the file's comment syntax, after a #! line or an XML
# declaration, which have to stay first.
add_line() {
  local file=$1 style=$2 line first
  case "$style" in
    cpp) line="// $identifier" ;;
    hash) line="# $identifier" ;;
    xml) line="<!-- $identifier -->" ;;
    troff) line=".\\\" $identifier" ;;
  esac
  first=$(head -1 "$file")
  local tmp
  tmp=$(mktemp "$file.spdx.XXXXXX")
  if [[ "$first" == '#!'* || "$first" == '<?xml'* ]]; then
    { printf '%s\n' "$first"; printf '%s\n' "$line"; tail -n +2 "$file"; } >"$tmp"
  else
    { printf '%s\n' "$line"; cat "$file"; } >"$tmp"
  fi
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
}

missing=()
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  style=$(comment_style "$file")
  [ -n "$style" ] || continue
  head -5 "$file" | grep -qF "$identifier" && continue
  if [ "$mode" = --add ]; then
    add_line "$file" "$style"
    echo "added: $file"
  else
    missing+=("$file")
  fi
done < <(files)

if [ "$mode" = --check ] && [ ${#missing[@]} -gt 0 ]; then
  echo "${#missing[@]} source files without '$identifier' (scripts/spdx.sh --add puts it in):"
  printf '  %s\n' "${missing[@]}"
  exit 1
fi
exit 0
