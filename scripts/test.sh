#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   ./scripts/test.sh              the normal build, in build/
#   ./scripts/test.sh --sanitize   with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  options+=(-DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF)
fi

./scripts/setup.sh
cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j 2
