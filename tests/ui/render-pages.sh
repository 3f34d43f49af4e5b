#!/usr/bin/env bash
# Renders each page of the wizard offscreen to PNG files for review:
#   tests/ui/render-pages.sh [BUILD_DIR] [OUT_DIR]
# BUILD_DIR defaults to build/sanitize, OUT_DIR to ui-pages/ in the current folder.
set -euo pipefail
build=${1:-build/sanitize}
out=${2:-ui-pages}
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen DATREVO_RENDER_DIR="$(realpath "$out")" \
  "$build/tests/ui/render_pages_window_test"
ls -l "$out"
# The auxiliary dialogs (splash, About, notices, no-disk, iPod help) and a
# sheet of the toolbar pictures in their three states, tree pictures and the
# progress bar with text.
QT_QPA_PLATFORM=offscreen DATREVO_RENDER_DIR="$(realpath "$out")" \
  "$build/tests/ui/dialogs_window_test" renderForReview
ls -l "$out"/dialog-*.png "$out"/controls-sheet.png
