#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # core tests and benchmarks
  googletest libgtest-dev libgmock-dev
  # the window
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # fonts with Cyrillic glyphs, so every Russian caption renders
  fonts-dejavu-core fonts-liberation2
  # the .xlsx writer
  libxlsxwriter-dev
  # workbook read-back in tests
  python3 python3-openpyxl python3-xlrd
  # the quality report's page, opened and photographed in a real browser
  chromium
  # running the window without a desktop, and driving it from outside in the end-to-end test
  xvfb xauth xdotool x11-utils
  # fuzzing: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # the Debian package and its checks
  dpkg-dev file desktop-file-utils shared-mime-info man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
