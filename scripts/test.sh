#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test.
#   ./scripts/test.sh              the normal build, in build/
#   ./scripts/test.sh --sanitize   with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/
# The tests get a temporary folder of their own ($TMPDIR); what they leave in it under our name
# (velmora-*) fails the run, and the folder is removed at the end. They also get an empty home
# folder of their own ($HOME, with the XDG folders below it): anything written there fails the
# run, as it would have landed in the user's home.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
# run.sh may have made build/ without tests and benchmarks: they are turned on here.
options=(-DVELMORA_BUILD_TESTS=ON -DVELMORA_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  options=(-DVELMORA_BUILD_TESTS=ON -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF)
fi

./scripts/setup.sh
cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen

tmp=$(mktemp -d "${TMPDIR:-/tmp}/velmora-test-run.XXXXXX")
# Tests that drop to the user nobody (permission checks, run as root) must reach their files.
chmod 0755 "$tmp"
trap 'rm -rf "$tmp"' EXIT
home="$tmp/home"
mkdir "$home"
status=0
env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME -u XDG_STATE_HOME TMPDIR="$tmp" HOME="$home" \
  ctest --test-dir "$build" --output-on-failure -j 2 || status=$?
left=$(find "$tmp" -mindepth 1 -maxdepth 1 -name 'velmora-*' -printf '%f ')
if [ -n "$left" ]; then
  echo "test.sh: the tests left these behind in \$TMPDIR: $left"
  [ $status -ne 0 ] || status=1
fi
written=$(find "$home" -mindepth 1 -printf '%P ')
if [ -n "$written" ]; then
  echo "test.sh: the tests wrote into the home folder: $written"
  [ $status -ne 0 ] || status=1
fi
exit $status
