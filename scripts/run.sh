#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the programs need (no test tools), builds the window and the command-line tool
# only, and opens the main window on the bundled sample field book (or on the field book named
# as the first argument). Without a display it prints the field book's run list and saves a
# picture of the window, shown on a virtual display, to build/velmora-tesk.png.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh --run
if [ ! -f build/CMakeCache.txt ]; then
  # A fresh build folder: no tests or benchmarks (scripts/test.sh turns them on).
  cmake -S . -B build -G Ninja -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
fi
cmake --build build --target velmora-tesk velmora-tesk-cli
book=${1:-samples/levelling_m5.DAT}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/app/velmora-tesk "$book"
fi

echo "No display here (DISPLAY is not set): the window cannot open. The run list of $book:"
build/src/velmora-tesk-cli runs "$book"

# The window on a virtual display, photographed once it is shown.
picture=build/velmora-tesk.png
rm -f "$picture"
QT_QPA_PLATFORM=xcb timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" "$2" >/dev/null 2>&1 &
  program=$!
  if window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Velmora Tesk" | head -1); then
    sleep 1  # the first paint after mapping
    xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$3.part" 2>/dev/null && mv "$3.part" "$3"
  fi
  kill "$program" 2>/dev/null
  rm -f "$3.part"
' window build/src/app/velmora-tesk "$book" "$picture" || true
if [ -s "$picture" ]; then
  echo "A picture of the window with $book: $picture"
else
  echo "The window could not be shown on a virtual display (xvfb-run)." >&2
  exit 1
fi
