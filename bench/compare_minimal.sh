#!/bin/bash
# SPDX-License-Identifier: MIT
# The command-line tool's `runs` side by side with the minimal program (bench_minimal.cpp), in
# one run, alternating, so both see the same machine load and the same page cache.
#
#     bench/compare_minimal.sh [--repeat K] [--build DIR] BOOK...
#
# For every book: median CPU time (user + sys) and median peak resident memory of each program
# over K runs (default 7), and the ratios: tool / minimal for the time, tool / file size for
# the memory. Further programs to compare can be named in EXTRA_CLI (paths of other builds of
# velmora-tesk-cli), e.g. the build of an older commit.
set -euo pipefail
repeat=7
build=build
while [[ $# -gt 0 ]]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: $0 [--repeat K] [--build DIR] BOOK..." >&2; exit 2; }
cli=$build/src/velmora-tesk-cli
minimal=$build/bench/velmora-bench-minimal
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints "cpu-seconds peak-KiB" of one run of the command.
measure() {
  local log
  log=$(mktemp)
  /usr/bin/time -o "$log" -f '%U %S %M' "$@" >/dev/null 2>&1 || true
  awk 'END { printf "%.3f %d\n", $1 + $2, $3 }' "$log"
  rm -f "$log"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %9s %-22s %9s %9s %10s %9s\n' book 'file MiB' program 'cpu s' 'peak MiB' 'cpu ratio' 'peak/file'
for book in "$@"; do
  bytes=$(stat -c %s "$book")
  programs=("$cli runs" "$minimal")
  for extra in ${EXTRA_CLI:-}; do programs+=("$extra runs"); done
  declare -A cpu=() peak=()
  for ((i = 0; i < repeat; i++)); do
    for p in "${programs[@]}"; do
      # shellcheck disable=SC2086
      read -r c m < <(measure $p "$book")
      cpu[$p]+="$c "
      peak[$p]+="$m "
    done
  done
  base=$(tr ' ' '\n' <<<"${cpu[$minimal]}" | grep . | median)
  for p in "${programs[@]}"; do
    c=$(tr ' ' '\n' <<<"${cpu[$p]}" | grep . | median)
    m=$(tr ' ' '\n' <<<"${peak[$p]}" | grep . | median)
    awk -v b="$(basename "$book")" -v f="$bytes" -v p="$(basename "${p%% *}")" -v c="$c" -v m="$m" -v base="$base" \
      'BEGIN { printf "%-28s %9.1f %-22s %9.3f %9.1f %10.2f %9.2f\n", b, f / 1048576, p, c, m / 1024, c / base, m * 1024 / f }'
  done
  unset cpu peak
done
