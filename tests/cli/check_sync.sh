#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A saved file must survive a power cut: `save` syncs the temporary file before it renames it
# over the target (or a crash could leave the new name on an empty file), and syncs the folder
# after the rename (or the old file could come back). Seen through strace; where strace is
# missing or may not trace (ptrace not permitted) the test is skipped (exit 77), but in
# continuous integration (CI=true) it fails.
# Usage: check_sync.sh CLI SAMPLES_DIR
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE
cli=$1
book=$2/levelling_m5.DAT
. "$(dirname "$0")/cli_checks.sh"

if ! strace -f -o /dev/null true 2>"$work/err"; then
  reason="strace cannot trace here: $(head -1 "$work/err")"
  command -v strace >/dev/null || reason="strace is not installed"
  [ "${CI:-}" = true ] && { echo "FAIL: $reason"; exit 1; }
  echo "skipped: $reason"
  exit 77
fi

# -y shows the file behind each descriptor: fsync(3</path/synced.DAT.Ab12Cd>).
for target in "$work/synced.DAT" "$work/again.DAT"; do
  [ "$target" = "$work/again.DAT" ] && cp "$book" "$target"  # replacing an existing file
  check
  # LeakSanitizer cannot run under a tracer: a sanitizer build would fail for that alone.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    strace -f -y -o "$work/trace" -e trace=fsync,fdatasync,rename,renameat,renameat2 \
    "$cli" save --delete 3 --output "$target" "$book" >/dev/null 2>"$work/err" ||
    fail "save to $target failed: $(cat "$work/err")"
  python3 - "$work/trace" "$target" <<'PY' || fail "save to $target: $(cat "$work/trace")"
import os, re, sys
lines = open(sys.argv[1]).read().splitlines()
target = sys.argv[2]
folder = os.path.dirname(target)
renames = [(i, m.group(1)) for i, l in enumerate(lines)
           for m in [re.search(r'rename\w*\((?:\S+, )?"([^"]+)", (?:\S+, )?"%s"' % re.escape(target), l)] if m]
assert len(renames) == 1, "one rename onto the target expected, found %d" % len(renames)
at, temporary = renames[0]
synced = lambda l, path: re.search(r'\b(?:fsync|fdatasync)\(\d+<%s>\)\s*= 0' % re.escape(path), l)
assert any(synced(l, temporary) for l in lines[:at]), "the temporary file is not synced before the rename"
assert any(synced(l, folder) for l in lines[at + 1:]), "the folder is not synced after the rename"
PY
done
finish
