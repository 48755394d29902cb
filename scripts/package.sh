#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package: a clean Release build in build-package/ (no tests, no benchmarks,
# installed under /usr) with Debian's build flags, then cpack. The build talks on stderr; stdout
# gets one line, the path of the .deb, so that  deb=$(./scripts/package.sh)  works.
#
# Two builds of the same commit give the same bytes: every time stamp in the package is the
# last commit's (SOURCE_DATE_EPOCH), and each build starts from an empty folder. .ci/run
# builds twice and compares.
set -euo pipefail
cd "$(dirname "$0")/.."

exec 3>&1 1>&2
./scripts/setup.sh
build="build-package"

# Debian's flags, with every hardening feature (fortified functions, stack protector, full
# RELRO with immediate binding, PIE, control-flow protection). CMake reads no CPPFLAGS, so
# they go in with the compiler's flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"

# The time of the last commit, or of the newest changelog entry outside a git checkout.
if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || [ -z "$SOURCE_DATE_EPOCH" ]; then
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l data/debian/changelog -S Timestamp)
fi
export SOURCE_DATE_EPOCH
echo "package.sh: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH"))"

rm -rf "$build"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DVELMORA_BUILD_TESTS=OFF \
  -DVELMORA_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" \
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS"
cmake --build "$build"
(cd "$build" && cpack -G DEB)
debs=("$PWD/$build"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: expected one .deb in $build, found: ${debs[*]}"
  exit 1
fi
echo "${debs[0]}" >&3
