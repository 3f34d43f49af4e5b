#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh release|sanitize|tsan
#   release   build/release, optimised: the programs a user runs
#   sanitize  build/sanitize, AddressSanitizer + UndefinedBehaviorSanitizer: the test suite
#   tsan      build/tsan, ThreadSanitizer: only the wizard's threaded tests
#             (the controller tests and the window tests)
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache: paths inside the tree are hashed relative to it, so a fresh clone in
# another folder still finds what an earlier build compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
kind="${1:-release}"
targets=()
case "$kind" in
  release)  flags=(-DCMAKE_BUILD_TYPE=Release -DDATREVO_SANITIZE=OFF) ;;
  sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DDATREVO_SANITIZE=ON) ;;
  tsan)
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g"
           -DDATREVO_SANITIZE=OFF -DDATREVO_TSAN=ON)
    targets=(--target datrevo_ui_tests) ;;
  *) echo "usage: $0 release|sanitize|tsan" >&2; exit 2 ;;
esac
cmake -S . -B "build/$kind" -G Ninja "${flags[@]}" >/dev/null
cmake --build "build/$kind" "${targets[@]}" -j "$(nproc)"
