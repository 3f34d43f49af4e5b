#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh release|sanitize
#   release   build/release, optimised: the programs a user runs
#   sanitize  build/sanitize, AddressSanitizer + UndefinedBehaviorSanitizer: the test suite
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-release}"
case "$kind" in
  release)  flags=(-DCMAKE_BUILD_TYPE=Release -DDATREVO_SANITIZE=OFF) ;;
  sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DDATREVO_SANITIZE=ON) ;;
  *) echo "usage: $0 release|sanitize" >&2; exit 2 ;;
esac
cmake -S . -B "build/$kind" -G Ninja "${flags[@]}" >/dev/null
cmake --build "build/$kind" -j "$(nproc)"
