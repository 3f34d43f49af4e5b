#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it (.clang-format
# at the top of the tree). Run scripts/check-format.sh --fix to reformat.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/datrevo-format.$$; then
  grep -m 20 'error:' /tmp/datrevo-format.$$ || true
  rm -f /tmp/datrevo-format.$$
  echo "check-format: files differ from clang-format; run scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/datrevo-format.$$
echo "check-format: every C++ file is formatted"
