#!/usr/bin/env bash
# Searches SITES synthetic sites (bench/synthetic_site.py, PAGES pages each, served by one nginx
# on a port per site) with scripts/many_sites.sh, once one search after another (--jobs 1) and
# once JOBS at a time, and prints the wall time, the CPU time of all the searches and the peak
# memory of the largest for each. Needs GNU parallel. Run by hand, not by CI.
#
#   SITES=20 PAGES=500 JOBS=4 bench/many_sites.sh [PROGRAM]     default: build/quorvane
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(readlink -f "${1:-build/quorvane}")
sites=${SITES:-20}
pages=${PAGES:-500}
jobs=${JOBS:-4}

work=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

bench/synthetic_site.sh --serve "$pages" "$sites" >"$work/sites.txt" &
server=$!
for _ in $(seq 600); do
    [ "$(wc -l <"$work/sites.txt")" -ge "$sites" ] && break
    sleep 0.1
done
[ "$(wc -l <"$work/sites.txt")" -ge "$sites" ] || { echo "the sites were not served" >&2; exit 1; }

printf '%-22s %8s %8s %9s %7s %9s\n' "$sites sites x $pages pages" "wall s" "CPU s" "peak MiB" "pages" "pictures"
for slots in 1 "$jobs"; do
    out="$work/out-$slots"
    /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" \
        scripts/many_sites.sh --jobs "$slots" --program "$program" --out "$out" "$work/sites.txt" \
        -- --slots 4 --interval 0 --hold 0 >/dev/null 2>&1
    read -r wall user system peak <"$work/time.txt"
    found=$(cat "$out"/*/pages.tsv | grep -vc '^标题' || true)
    pictures=$(cat "$out"/*/pictures.tsv | grep -vc '^文件名' || true)
    printf '%-22s %8.2f %8.2f %9.0f %7d %9d\n' "--jobs $slots" "$wall" "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" \
        "$((peak / 1024))" "$found" "$pictures"
done
