#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/ (no tests, no benchmarks,
# installed under /usr), then cpack. The build talks on stderr; stdout gets one line, the path
# of the .deb, so that  deb=$(./scripts/package.sh)  works.
set -euo pipefail
cd "$(dirname "$0")/.."

exec 3>&1 1>&2
./scripts/setup.sh
build="build-package"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DVELMORA_BUILD_TESTS=OFF \
  -DVELMORA_BUILD_BENCH=OFF
cmake --build "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
debs=("$PWD/$build"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: expected one .deb in $build, found: ${debs[*]}"
  exit 1
fi
echo "${debs[0]}" >&3
