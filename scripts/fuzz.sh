#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# each for a number of seconds; exits non-zero when any target finds a crash or a broken
# invariant.
#   ./scripts/fuzz.sh        60 seconds per target
#   ./scripts/fuzz.sh 30     30 seconds per target
#
# Every target starts from a copy of its seeds in fuzz/corpus/<target>/, in a temporary folder:
# the committed seeds do not grow, and crash files stay out of the work tree. After a finding
# the temporary folder is kept and named at the end.
#
# fuzz_journal runs from a second build with UndefinedBehaviorSanitizer only: every Back and
# Forward reads the field book again, and under AddressSanitizer that read is a hundred times
# slower. Its seeds also run once under AddressSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

./scripts/setup.sh

common=(-G Ninja -DVELMORA_FUZZ=ON -DVELMORA_BUILD_APP=OFF -DVELMORA_BUILD_TESTS=OFF
        -DVELMORA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo)
CC=clang CXX=clang++ cmake -S . -B build-fuzz "${common[@]}" -DVELMORA_SANITIZE=ON >/dev/null
cmake --build build-fuzz --target fuzz_fieldbook fuzz_journal fuzz_adjustment fuzz_workbook
CC=clang CXX=clang++ cmake -S . -B build-fuzz/ubsan "${common[@]}" -DVELMORA_SANITIZE=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=undefined" >/dev/null
cmake --build build-fuzz/ubsan --target fuzz_journal

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz-run.XXXXXX")
# The targets' scratch files (field books, workbooks) go to memory when it can be had. libFuzzer
# ends without running destructors, so the targets' own scratch folders are removed here.
scratchBase=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratchBase=/dev/shm; fi
scratch=$(mktemp -d "$scratchBase/velmora-fuzz-scratch.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()

# run NAME BINARY MAX_LEN SECONDS: fuzzes one target on a working copy of its seeds.
run() {
  local name=$1 binary=$2 maxLength=$3 time=$4
  local dir="$work/$name"
  mkdir -p "$dir"
  if [ ! -d "$dir/corpus" ]; then cp -r "$root/fuzz/corpus/${name#fuzz_}" "$dir/corpus"; fi
  echo "== $name: ${time}s"
  if (cd "$dir" && TMPDIR="$scratch" "$binary" -max_total_time="$time" -max_len="$maxLength" \
        -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 -artifact_prefix="$dir/" \
        corpus >"$dir/log.txt" 2>&1); then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$dir/log.txt" | tail -1 || true
  else
    failed+=("$name")
    echo "!! $name failed; last lines of $dir/log.txt:"
    tail -40 "$dir/log.txt"
  fi
}

run fuzz_fieldbook "$root/build-fuzz/fuzz/fuzz_fieldbook" 4096 "$seconds"
run fuzz_journal "$root/build-fuzz/ubsan/fuzz/fuzz_journal" 512 "$seconds"
run fuzz_adjustment "$root/build-fuzz/fuzz/fuzz_adjustment" 256 "$seconds"
run fuzz_workbook "$root/build-fuzz/fuzz/fuzz_workbook" 1024 "$seconds"

echo "== fuzz_journal seeds under AddressSanitizer"
if ! (cd "$work" && TMPDIR="$scratch" "$root/build-fuzz/fuzz/fuzz_journal" -runs=0 \
        -artifact_prefix="$work/journal-asan-" "$root/fuzz/corpus/journal" >"$work/journal-asan.txt" 2>&1); then
  failed+=("fuzz_journal (AddressSanitizer)")
  tail -40 "$work/journal-asan.txt"
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}; logs and crash inputs in $work"
  exit 1
fi
rm -rf "$work"
echo "all fuzz targets ran clean"
