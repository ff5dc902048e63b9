#!/usr/bin/env bash
# Sets up a fresh machine, builds, serves the loopback test site on 127.0.0.1 and searches it
# headless: the picture table goes to standard output, the page table to build/demo-pages.tsv.
# Set-up, build and progress go to standard error, so the output is the table alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2
bash scripts/build.sh build >&2
out=$(mktemp)
build/quorvane_testsite_serve >"$out" &
server=$!
trap 'kill $server 2>/dev/null || true; rm -f "$out"' EXIT
for _ in $(seq 1 100); do
  [ -s "$out" ] && break
  sleep 0.1
done
base=$(head -n 1 "$out")
[ -n "$base" ] || { echo "demo: the test site did not start" >&2; exit 1; }
build/quorvane --headless --titles --sources --interval 200 --hold 1 --timeout 5 \
  --pages build/demo-pages.tsv "$base/"
