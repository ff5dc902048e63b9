#!/usr/bin/env bash
# Crawls a real site nobody here wrote -- the GIMP user manual from Debian's gimp-help-en,
# served by nginx on 127.0.0.1 -- with wget and with the program, side by side, and prints
# medians of wall time, CPU time, the server's CPU time meanwhile (nginx shares the machine's
# cores with the client), peak memory, requests and connections (from nginx's log), pages and
# pictures found, and the wall-time ratio to wget. Run by hand, not by CI.
#
#   bench/real_site.sh [PROGRAM...]        default: build/quorvane
#   ROUNDS=3 bench/real_site.sh build/quorvane /path/to/older/quorvane
#   SENDFILE=on bench/real_site.sh ...    nginx as Debian ships it (sendfile on); off by default
#   FLOOR=on bench/real_site.sh ...       adds the floor: every address the first program asked
#                                         for, fetched once by curl on 6 connections, while
#                                         gumbo alone parses the pages on 2 threads
#                                         (build/bench_parse_floor, or PARSE_FLOOR)
#
# Several programs may be given (say a build before and one after a change); every round
# runs wget and each of them once, in an order that rotates from round to round.
set -euo pipefail
cd "$(dirname "$0")/.."

programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(build/quorvane)
rounds=${ROUNDS:-3}
sendfile=${SENDFILE:-off}
[ "$sendfile" = on ] || [ "$sendfile" = off ] || { echo "SENDFILE is on or off" >&2; exit 2; }
floor=${FLOOR:-off}
parse_floor=${PARSE_FLOOR:-build/bench_parse_floor}
[ "$floor" = off ] || [ -x "$parse_floor" ] || { echo "FLOOR=on needs $parse_floor" >&2; exit 2; }

missing=()
for package in gimp-help-en nginx-light wget time curl; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y "${missing[@]}"
fi

site=$(dirname "$(find /usr/share/gimp -path '*/help/en/index.html' -print -quit)")
[ -d "$site" ] || { echo "the manual's index.html was not found under /usr/share/gimp" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/temp"
cat >"$work/nginx.conf" <<EOF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 1024; }
http {
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    sendfile $sendfile;
    log_format counted '\$connection \$status \$request_uri';
    access_log $work/access.log counted;
    client_body_temp_path $work/temp/body;
    proxy_temp_path $work/temp/proxy;
    fastcgi_temp_path $work/temp/fastcgi;
    uwsgi_temp_path $work/temp/uwsgi;
    scgi_temp_path $work/temp/scgi;
    server {
        listen 127.0.0.1:$port;
        root $site;
    }
}
EOF
nginx -p "$work" -c "$work/nginx.conf"
start="http://127.0.0.1:$port/index.html"
for _ in $(seq 50); do
    wget -q -O /dev/null "$start" && break
    sleep 0.1
done

pictures='\.(gif|png|jpe?g|svg|webp|bmp|ico)$'

# nginx's worker: its CPU time in clock ticks so far.
server_ticks() {
    awk '{ print $14 + $15 }' "/proc/$(pgrep -P "$(cat "$work/nginx.pid")" | head -1)/stat"
}

# One run of one contender: appends "name wall cpu serverCpu peakMiB requests connections pages
# pictures".
run() {
    local name=$1 times="$work/time.txt" out="$work/out" pages found ticks
    rm -rf "$out" && mkdir -p "$out"
    : >"$work/access.log"
    ticks=$(server_ticks)
    if [ "$name" = floor ]; then
        /usr/bin/time -v -o "$times" bash -c 'curl -s --no-progress-meter --parallel --parallel-max 6 -K "$1" 2>/dev/null & "$2" --threads 2 "${@:3}" 2>/dev/null & wait' \
            _ "$work/floor.curl" "$parse_floor" "${floor_pages[@]}"
        pages=${#floor_pages[@]}
        found=$(grep -Eic "${pictures%\$}\"\$" "$work/floor.curl" || true)
    elif [ "$name" = wget ]; then
        /usr/bin/time -v -o "$times" wget -q -r -l inf -p --no-parent -e robots=off -P "$out" "$start" || true
        pages=$(find "$out" -type f -name '*.html' | wc -l)
        found=$(find "$out" -type f | grep -Eic "$pictures" || true)
    else
        QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o "$times" "$name" --headless --slots 4 --interval 0 --hold 0 \
            --output "$out/pictures.tsv" --pages "$out/pages.tsv" "$start" 2>/dev/null
        pages=$(($(wc -l <"$out/pages.tsv") - 1))
        found=$(($(wc -l <"$out/pictures.tsv") - 1))
    fi
    awk -v name="$name" -v pages="$pages" -v found="$found" \
        -v server_ticks="$(($(server_ticks) - ticks))" -v hz="$(getconf CLK_TCK)" \
        -v requests="$(wc -l <"$work/access.log")" \
        -v connections="$(cut -d' ' -f1 "$work/access.log" | sort -u | wc -l)" '
        /User time/ { cpu += $NF }
        /System time/ { cpu += $NF }
        /Maximum resident/ { peak = $NF / 1024 }
        /Elapsed \(wall clock\)/ {
            n = split($NF, part, ":"); wall = 0
            for (i = 1; i <= n; ++i) wall = wall * 60 + part[i]
        }
        END { printf "%s %.2f %.2f %.2f %.0f %d %d %d %d\n", name, wall, cpu, server_ticks / hz, peak, requests, connections, pages, found }
    ' "$times" >>"$work/results.txt"
}

contenders=(wget "${programs[@]}")
if [ "$floor" = on ]; then
    # The first program's requests, each address once: what the floor fetches and parses.
    run "${programs[0]}"
    : >"$work/results.txt"
    cut -d' ' -f3 "$work/access.log" | sort -u |
        awk -v base="http://127.0.0.1:$port" '{ printf "url = \"%s%s\"\noutput = \"/dev/null\"\n", base, $0 }' >"$work/floor.curl"
    mapfile -t floor_pages < <(awk '$2 == 200 { sub(/[?#].*/, "", $3); if ($3 ~ /\.html$/) print $3 }' "$work/access.log" |
        sort -u | sed "s|^|$site|")
    contenders+=(floor)
fi
count=${#contenders[@]}
for round in $(seq 0 $((rounds - 1))); do
    for i in $(seq 0 $((count - 1))); do
        run "${contenders[$(((i + round) % count))]}"
    done
done

python3 - "$work/results.txt" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, *values = line.split()
    rows.setdefault(name, []).append([float(v) for v in values])
medians = {name: [statistics.median(column) for column in zip(*runs)] for name, runs in rows.items()}
wget_wall = medians["wget"][0] or 1
print(f"{'median of ' + str(len(rows['wget'])) + ' rounds':<40} {'wall s':>7} {'CPU s':>7} {'server':>7} "
      f"{'peak MiB':>8} {'requests':>8} {'conns':>6} {'pages':>6} {'pictures':>8} {'x wget':>7}")
for name, (wall, cpu, server, peak, requests, connections, pages, found) in medians.items():
    print(f"{name[-40:]:<40} {wall:7.2f} {cpu:7.2f} {server:7.2f} {peak:8.0f} {requests:8.0f} "
          f"{connections:6.0f} {pages:6.0f} {found:8.0f} {wall / wget_wall:7.2f}")
EOF
