#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the project needs, in two groups:
#   ./scripts/setup.sh --run   what the window and the command-line tool need to build and run
#                              (scripts/run.sh)
#   ./scripts/setup.sh         that and what the tests, fuzzing and packaging need
#                              (scripts/test.sh, fuzz.sh, package.sh, CI)
# Safe to run again: packages already present are left alone.
set -euo pipefail

# ---- Building and running the programs.
run_packages=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # the window; libxkbcommon-dev lets Qt's CMake files find XKB (they look for it on every
  # configure and print "Could NOT find XKB" without it, harmless but noisy)
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  # the settlement charts in the monitoring window (Qt SVG)
  qt6-svg-dev
  # Qt's own dialogs in Russian (qtbase_ru.qm)
  qt6-translations-l10n
  # fonts with Cyrillic glyphs, so every Russian caption renders
  fonts-dejavu-core fonts-liberation2
  # the .xlsx writer
  libxlsxwriter-dev
  # the monitoring project file (SQLite 3)
  libsqlite3-dev
  # the message catalogues (msgfmt at build time, xgettext for translators and the tests)
  gettext
  # a machine without a desktop: the window on a virtual display, and its picture saved as PNG
  xvfb xauth xdotool x11-apps netpbm
  # the network adjustment: sparse Cholesky and χ² quantiles
  libeigen3-dev libboost-dev
)

# ---- Tests, fuzzing and the Debian package, on top of the above.
test_packages=(
  # the Russian and German locales the window's tests also run under
  locales
  # core tests and benchmarks
  googletest libgtest-dev libgmock-dev
  # workbook read-back in tests
  python3 python3-openpyxl python3-xlrd
  # the workbook fuzz check unpacks every .xlsx part and parses its XML
  zlib1g-dev libexpat1-dev
  # the command-line check that the folder is synced after a save
  strace
  # the end-to-end window tests look windows up from outside, the Tools test under a window
  # manager
  x11-utils openbox
  # the quality report's page, opened and photographed in a real browser, and its A4 print
  # read back as text to see that no column was cut off
  chromium poppler-utils
  # fuzzing: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # the Debian package and its checks: build flags and dependencies, lintian, the desktop entry,
  # the software-centre metadata, the file type (gio, xdg-mime) and the manual pages
  dpkg-dev file lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin xdg-utils
  man-db groff-base
)

packages=("${run_packages[@]}")
case "${1:-}" in
  --run) ;;
  "") packages+=("${test_packages[@]}") ;;
  *)
    echo "usage: $0 [--run]" >&2
    exit 2
    ;;
esac

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

# The window's tests run under ru_RU.UTF-8 and de_DE.UTF-8 too (decimal comma locales).
if [ "${1:-}" != "--run" ]; then
  for wanted in ru_RU de_DE; do
    if ! locale -a 2>/dev/null | grep -qix "$wanted.utf-\?8"; then
      sudo=""
      if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
      $sudo sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
      grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
      echo "Generating the locale $wanted.UTF-8"
      $sudo locale-gen >/dev/null
    fi
  done
fi
