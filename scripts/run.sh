#!/usr/bin/env bash
# Installs what is missing, builds, and shows the run list of the bundled sample field book
# (or of the field book named as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build
book=${1:-samples/levelling_m5.DAT}
build/src/velmora-tesk-cli runs "$book"
