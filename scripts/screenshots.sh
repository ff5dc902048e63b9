#!/usr/bin/env bash
# Screenshots of the window searching the loopback test site, under Xvfb: the list, the grid of
# thumbnails and the raised browser tabs, in English and in Chinese.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, screenshots)
# Needs xvfb (xvfb-run) besides the build's packages.
set -euo pipefail
build=${1:-build}
out=${2:-screenshots}
cmake --build "$build" --target bench_window_grid
for lang in en zh; do
  mkdir -p "$out/$lang"
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build/bench_window_grid" --screenshots "$out/$lang" --lang "$lang"
done
ls -1 "$out"/*/*.png
