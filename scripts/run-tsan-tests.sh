#!/usr/bin/env bash
# Runs the wizard's threaded tests (the controller tests and every window
# test) from the ThreadSanitizer build: scripts/run-tsan-tests.sh [BUILD_DIR]
# Any report of a data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/tsan}"
export QT_QPA_PLATFORM=offscreen
# Time limits in the tests stretch: the instrumented build runs many times slower.
export DATREVO_TEST_TIME_SCALE="${DATREVO_TEST_TIME_SCALE:-10}"
export TSAN_OPTIONS="exitcode=66 second_deadlock_stack=1 history_size=4 suppressions=$PWD/scripts/tsan.supp"
failed=()
passed=0
for test in "$build"/tests/ui/datrevo_wizard_tests "$build"/tests/ui/*_window_test; do
  # The udisks2 test forks its window under another user beside a private bus;
  # ThreadSanitizer does not support threads started after such a fork. Its
  # window threads are those the other window tests run here.
  [ "$(basename "$test")" = udisks_window_test ] && continue
  echo "== $(basename "$test") (ThreadSanitizer)"
  if ! "$test" >"$build/$(basename "$test").log" 2>&1; then
    failed+=("$(basename "$test")")
    tail -n 80 "$build/$(basename "$test").log"
  else
    passed=$((passed + 1))
  fi
done
echo "ThreadSanitizer: $passed passed, ${#failed[@]} failed"
if [ ${#failed[@]} -ne 0 ]; then
  echo "ThreadSanitizer runs failed: ${failed[*]}" >&2
  exit 1
fi
