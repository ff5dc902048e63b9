#!/usr/bin/env bash
# Crawls synthetic sites of a few sizes (bench/synthetic_site.py: every page 8 pictures of its
# own, 2 shared, a style sheet and 11 links), served by nginx on 127.0.0.1 with sendfile on as
# Debian ships it, and prints for each program and size the medians of wall time, CPU time,
# peak memory, and per page the wall milliseconds, CPU milliseconds and KiB of peak memory.
# What grows faster than the pages shows as a per-page figure that rises with the size.
# Run by hand, not by CI.
#
#   bench/synthetic_site.sh [PROGRAM...]              default: build/quorvane
#   PAGES="2000 25000 100000" ROUNDS=3 bench/synthetic_site.sh build/quorvane /path/to/older/quorvane
#   bench/synthetic_site.sh --serve PAGES [SITES]     serves the site, as SITES sites (one port
#                                                      each, 1 by default), and prints their start
#                                                      addresses, one a line, until interrupted
#
# Several programs may be given; every round runs each of them once, in an order that rotates
# from round to round. The program runs with --slots 4 --interval 0 --hold 0; EXTRA adds
# options (EXTRA="--no-measure"). SESSION=on keeps each run's search in a file of its own
# (--session), so that EXTRA="--rows-in-memory N" shows what rows past N cost.
set -euo pipefail
cd "$(dirname "$0")/.."

serve_only=""
serve_sites=1
if [ "${1:-}" = --serve ]; then
    serve_only=${2:?--serve needs a page count}
    serve_sites=${3:-1}
    shift $(($# < 3 ? $# : 3))
fi
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(build/quorvane)
rounds=${ROUNDS:-1}
sizes=${PAGES:-2000 25000}
[ -n "$serve_only" ] && sizes=$serve_only
read -r -a extra <<<"${EXTRA:-}"
session=${SESSION:-off}

missing=()
for package in nginx-light time python3; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y "${missing[@]}"
fi

work=$(mktemp -d)
chmod 755 "$work" # nginx started as root serves as another user
stop_nginx() {
    [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    rm -f "$work/nginx.pid"
}
sleeper=""
cleanup() {
    stop_nginx
    [ -n "$sleeper" ] && kill "$sleeper" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Serves the site of $1 pages from $work/site, as $2 sites (1 by default) on ports of their
# own; sets $start to the first one's start address and $starts to all of them.
serve() {
    local pages=$1 sites=${2:-1} port listen=""
    rm -rf "$work/site"
    python3 bench/synthetic_site.py "$work/site" "$pages"
    starts=()
    # Every socket is held until all are bound: one at a time, the system may hand out a port
    # twice, and nginx refuses a duplicate listen.
    for port in $(python3 -c 'import socket, sys
held = [socket.socket() for _ in range(int(sys.argv[1]))]
for s in held: s.bind(("127.0.0.1", 0))
print(*(s.getsockname()[1] for s in held))' "$sites"); do
        listen+="listen 127.0.0.1:$port; "
        starts+=("http://127.0.0.1:$port/p/0/0.html")
    done
    mkdir -p "$work/temp"
    cat >"$work/nginx.conf" <<EOF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 1024; }
http {
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    sendfile on;
    access_log off;
    client_body_temp_path $work/temp/body;
    proxy_temp_path $work/temp/proxy;
    fastcgi_temp_path $work/temp/fastcgi;
    uwsgi_temp_path $work/temp/uwsgi;
    scgi_temp_path $work/temp/scgi;
    server {
        $listen
        root $work/site;
        location ~ ^/img/[0-9]+/([0-9])\.png\$ { try_files /pictures/\$1.png =404; }
    }
}
EOF
    nginx -p "$work" -c "$work/nginx.conf"
    start=${starts[0]}
    for _ in $(seq 50); do
        python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1])' "$start" 2>/dev/null && return
        sleep 0.1
    done
    echo "nginx did not answer at $start" >&2
    exit 1
}

if [ -n "$serve_only" ]; then
    serve "$serve_only" "$serve_sites"
    printf '%s\n' "${starts[@]}"
    while :; do
        sleep 3600 &
        sleeper=$!
        wait "$sleeper"
    done
fi

# One run: appends "name pages wall cpu peakKiB pagesFound pictures".
run() {
    local name=$1 pages=$2 times="$work/time.txt" out="$work/out"
    rm -rf "$out" && mkdir -p "$out"
    local kept=()
    [ "$session" = on ] && kept=(--session "$out/search.sqlite")
    QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o "$times" "$name" --headless --slots 4 --interval 0 --hold 0 \
        "${extra[@]}" "${kept[@]}" --output "$out/pictures.tsv" --pages "$out/pages.tsv" "$start" 2>/dev/null
    awk -v name="$name" -v size="$pages" \
        -v found="$(($(wc -l <"$out/pages.tsv") - 1))" -v pictures="$(($(wc -l <"$out/pictures.tsv") - 1))" '
        /User time/ { cpu += $NF }
        /System time/ { cpu += $NF }
        /Maximum resident/ { peak = $NF }
        /Elapsed \(wall clock\)/ {
            n = split($NF, part, ":"); wall = 0
            for (i = 1; i <= n; ++i) wall = wall * 60 + part[i]
        }
        END { printf "%s %d %.2f %.2f %d %d %d\n", name, size, wall, cpu, peak, found, pictures }
    ' "$times" >>"$work/results.txt"
}

count=${#programs[@]}
for pages in $sizes; do
    serve "$pages"
    for round in $(seq 0 $((rounds - 1))); do
        for i in $(seq 0 $((count - 1))); do
            run "${programs[$(((i + round) % count))]}" "$pages"
        done
    done
    stop_nginx
done

python3 - "$work/results.txt" "$rounds" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, size, *values = line.split()
    rows.setdefault((int(size), name), []).append([float(v) for v in values])
print(f"{'median of ' + sys.argv[2] + ' rounds':<36} {'site':>7} {'wall s':>7} {'CPU s':>7} {'peak MiB':>8} "
      f"{'pages':>7} {'pictures':>8} {'ms/page':>7} {'CPU ms/p':>8} {'KiB/page':>8}")
for (size, name), runs in sorted(rows.items()):
    wall, cpu, peak, pages, found = (statistics.median(column) for column in zip(*runs))
    per = max(pages, 1)
    print(f"{name[-36:]:<36} {size:7d} {wall:7.2f} {cpu:7.2f} {peak / 1024:8.0f} {pages:7.0f} {found:8.0f} "
          f"{1000 * wall / per:7.2f} {1000 * cpu / per:8.2f} {peak / per:8.1f}")
EOF
