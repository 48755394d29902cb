#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian packages: a clean build in build-package/ (no tests, no benchmarks,
# installed under /usr) with Debian's build flags, then cpack. Two packages come out:
# velmora-tesk-cli (the command-line tool, no Qt) and velmora-tesk (the window, which depends
# on it). The build talks on stderr; stdout gets their paths, one a line, the tool's first, so
# that  mapfile -t debs < <(./scripts/package.sh)  works.
#
# Two builds of the same commit give the same bytes: every time stamp in the packages is the
# last commit's (SOURCE_DATE_EPOCH), the manual pages are dated by data/debian/changelog, and
# each build starts from an empty folder. .ci/run builds twice and compares.
set -euo pipefail
cd "$(dirname "$0")/.."

exec 3>&1 1>&2
./scripts/setup.sh
build="build-package"

# Debian's flags, with every hardening feature that dpkg-buildflags knows (on Debian 12: format
# string checks, fortified functions, the strong stack protector, full RELRO with immediate
# binding, PIE; control-flow protection joins them only with dpkg 1.22). CMake reads no
# CPPFLAGS, so they go in with the compiler's flags. The build type None adds no flags of
# CMake's own, so Debian's -O2 stays (Release would append -O3); NDEBUG as in every tested
# build, where the build types define it.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
CPPFLAGS="$CPPFLAGS -DNDEBUG"

# The time of the last commit, or of the newest changelog entry outside a git checkout.
if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || [ -z "$SOURCE_DATE_EPOCH" ]; then
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l data/debian/changelog -S Timestamp)
fi
export SOURCE_DATE_EPOCH
echo "package.sh: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH"))"

rm -rf "$build"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DVELMORA_BUILD_TESTS=OFF \
  -DVELMORA_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" \
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS"
cmake --build "$build"
(cd "$build" && cpack -G DEB)
# The tool's package first, then the window's.
debs=()
for package in velmora-tesk-cli velmora-tesk; do
  found=("$PWD/$build/${package}_"*.deb)
  if [ ${#found[@]} -ne 1 ] || [ ! -f "${found[0]}" ]; then
    echo "package.sh: expected one ${package}_*.deb in $build, found: $(ls "$build"/*.deb 2>&1)"
    exit 1
  fi
  debs+=("${found[0]}")
done
printf '%s\n' "${debs[@]}" >&3
