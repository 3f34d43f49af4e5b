#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer + UndefinedBehaviorSanitizer, and runs
# the whole test suite: short fuzz runs of every decoder, then every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/check-layers.sh
scripts/check-format.sh
scripts/build.sh sanitize
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# Short fuzz runs: every decoder's target for a few seconds from its corpus,
# so that a regression shows. Said and skipped when clang is absent.
fuzz/run-fuzz.sh "${DATREVO_FUZZ_SECONDS:-5}"

ctest --test-dir build/sanitize --output-on-failure -j "$(nproc)"

# The wizard's threaded tests once more under ThreadSanitizer: they must be clean.
scripts/build.sh tsan
scripts/run-tsan-tests.sh

# The Debian package: built once from a release tree of its own, then checked
# (desktop file, metainfo, contents, lintian, and the unpacked program runs).
scripts/check-package.sh
