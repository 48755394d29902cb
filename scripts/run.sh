#!/usr/bin/env bash
# Installs what is missing, builds, and opens the main window on the bundled sample field book
# (or on the field book named as the first argument). Without a display it says so and prints
# the field book's run list instead.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build
book=${1:-samples/levelling_m5.DAT}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/app/velmora-tesk "$book"
fi
echo "No display here (DISPLAY is not set): the window cannot open. The run list of $book:"
build/src/velmora-tesk-cli runs "$book"
echo "To see the window without a desktop: xvfb-run -a build/src/app/velmora-tesk $book"
