#!/usr/bin/env bash
# Builds the Debian package from a clean tree of its own (build/package, an
# optimised build without the tests) and prints the .deb's path on stdout (the
# build's own output goes to stderr):
#   scripts/package.sh
# Then: sudo apt install ./build/package/datrevo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
build=build/package
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDATREVO_SANITIZE=OFF \
  -DDATREVO_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr >&2
cmake --build "$build" -j "$(nproc)" >&2
(cd "$build" && cpack -G DEB >&2)
ls "$PWD/$build"/datrevo_*.deb
