#!/usr/bin/env bash
# Screenshots of the window searching the loopback test site, under Xvfb: the list, the grid of
# thumbnails and the raised browser tabs, in English and in Chinese.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, screenshots)
# Installs xvfb (xvfb-run) and xauth when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for package in xvfb xauth; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
build=${1:-build}
out=${2:-screenshots}
cmake --build "$build" --target bench_window_grid
for lang in en zh; do
  mkdir -p "$out/$lang"
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build/bench_window_grid" --screenshots "$out/$lang" --lang "$lang"
done
ls -1 "$out"/*/*.png
