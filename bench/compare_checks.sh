#!/bin/bash
# SPDX-License-Identifier: MIT
# `check` and `report` of the command-line tool beside `runs` on the same book, in one run,
# interleaved (runs, check, report, then again), so that all three see the same machine load
# and the same page cache.
#
#     bench/compare_checks.sh [--repeat K] [--build DIR] BOOK...
#
# For every book and job: the median CPU time (user + sys) and the median peak resident memory
# over K runs (default 5), the time over that of `runs`, and the peak over the file size. The
# report is written to a temporary file. Further builds to compare can be named in EXTRA_CLI
# (paths of other builds of velmora-tesk-cli, e.g. one of an older commit); each takes its turn
# in the same loop.
set -euo pipefail
repeat=5
build=build
while [[ $# -gt 0 ]]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: $0 [--repeat K] [--build DIR] BOOK..." >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }
clis=("$build/src/velmora-tesk-cli")
for extra in ${EXTRA_CLI:-}; do clis+=("$extra"); done
page=$(mktemp --suffix=.html)
trap 'rm -f "$page"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints "cpu-seconds peak-KiB" of one run of the command (exit status 4, findings, is normal).
measure() {
  local log
  log=$(mktemp)
  /usr/bin/time -o "$log" -f '%U %S %M' "$@" >/dev/null 2>&1 || true
  awk 'END { printf "%.3f %d\n", $1 + $2, $3 }' "$log"
  rm -f "$log"
}

jobs=(runs check report)
run_job() {  # CLI JOB BOOK
  case "$2" in
    runs) measure "$1" runs "$3" ;;
    check) measure "$1" check "$3" ;;
    report) measure "$1" report --output "$page" "$3" ;;
  esac
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-24s %8s %-40s %-7s %8s %9s %8s %9s\n' book 'file MB' program job 'cpu s' 'peak MB' '/runs' 'peak/file'
for book in "$@"; do
  bytes=$(stat -c %s "$book")
  declare -A cpu=() peak=()
  for ((r = 0; r < repeat; ++r)); do
    for c in "${!clis[@]}"; do
      for job in "${jobs[@]}"; do
        read -r t m < <(run_job "${clis[$c]}" "$job" "$book")
        cpu[$c,$job]+="$t "
        peak[$c,$job]+="$m "
      done
    done
  done
  for c in "${!clis[@]}"; do
    base=$(tr ' ' '\n' <<<"${cpu[$c,runs]}" | grep . | median)
    for job in "${jobs[@]}"; do
      t=$(tr ' ' '\n' <<<"${cpu[$c,$job]}" | grep . | median)
      m=$(tr ' ' '\n' <<<"${peak[$c,$job]}" | grep . | median)
      awk -v b="$(basename "$book")" -v f="$bytes" -v p="${clis[$c]}" -v j="$job" -v t="$t" -v m="$m" -v base="$base" \
        'BEGIN { printf "%-24s %8.1f %-40s %-7s %8.3f %9.1f %8.2f %9.2f\n", b, f / 1e6, p, j, t, m * 1024 / 1e6, t / base, m * 1024 / f }'
    done
  done
  unset cpu peak
done
