#!/usr/bin/env bash
# Searches many sites, one headless search per line of a sites file, several at once under
# GNU parallel (Debian's `parallel`). Each line holds the start addresses of one search,
# separated by spaces; empty lines and lines starting with # are passed over. Each search gets
# a folder of its own under the output folder, named after its first host and a hash of the
# line: session.sqlite (its --session), pictures.tsv, pages.tsv, log.txt (its standard error, each run appended)
# and, once it has ended on its own, done. Run again, it skips the searches that are done and
# resumes the others from their session files.
#
#   scripts/many_sites.sh [--jobs N] [--sshlogin LOGIN]... [--program PATH] [--out DIR]
#                         SITES_FILE [-- QUORVANE_OPTIONS...]
#
# --jobs N      searches at once on each machine (default: parallel's, one a core)
# --sshlogin    passed to parallel as it is (repeatable; ":" is this machine). The program,
#               this script and the output folder must then be at the same paths on every
#               machine, as on a shared file system.
# --program     the quorvane to run (default: build/quorvane of this tree)
# --out DIR     where the searches' folders go (default: sites)
# Options after -- go to every search: --slots 4 --hold 0 --max-pages 5000 ...
# Exit status: 0 when every search is done, else the number of searches that are not (at most
# 100, as parallel counts them), 2 on bad usage.
set -euo pipefail

self=$(readlink -f "$0")

# One search: many_sites.sh --one PROGRAM OUT LINE [OPTION...], as parallel runs it.
if [ "${1:-}" = --one ]; then
    program=$2 out=$3 line=$4
    shift 4
    read -r -a addresses <<<"$line"
    host=${addresses[0]#*://}
    host=${host%%/*}
    host=${host//[^A-Za-z0-9.-]/_}
    folder="$out/${host:-site}-$(printf '%s' "$line" | sha1sum | cut -c1-10)"
    mkdir -p "$folder"
    if [ -e "$folder/done" ]; then
        echo "done already: $line"
        exit 0
    fi
    status=0
    "$program" --headless "$@" --session "$folder/session.sqlite" --output "$folder/pictures.tsv" \
        --pages "$folder/pages.tsv" "${addresses[@]}" 2>>"$folder/log.txt" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "not done (status $status, see $folder/log.txt): $line" >&2
        exit 1
    fi
    printf '%s\n' "$line" >"$folder/done"
    echo "done: $line ($(($(wc -l <"$folder/pages.tsv") - 1)) pages, $(($(wc -l <"$folder/pictures.tsv") - 1)) pictures)"
    exit 0
fi

usage() {
    sed -n '10,11p' "$self" | sed 's/^# */usage: /; s/^usage: *SITES/       SITES/' >&2
    [ -n "${1:-}" ] && echo "many_sites.sh: $1" >&2
    exit 2
}

program="$(dirname "$self")/../build/quorvane"
out=sites
parallel_options=()
sites=""
while [ $# -gt 0 ]; do
    case "$1" in
        --jobs) [ $# -ge 2 ] || usage "--jobs needs a number"; parallel_options+=(--jobs "$2"); shift 2 ;;
        --sshlogin) [ $# -ge 2 ] || usage "--sshlogin needs a login"; parallel_options+=(--sshlogin "$2"); shift 2 ;;
        --program) [ $# -ge 2 ] || usage "--program needs a path"; program=$2; shift 2 ;;
        --out) [ $# -ge 2 ] || usage "--out needs a folder"; out=$2; shift 2 ;;
        --) shift; break ;;
        -*) usage "unknown option $1" ;;
        *) [ -z "$sites" ] || usage "one sites file only"; sites=$1; shift ;;
    esac
done
[ -n "$sites" ] || usage "no sites file"
[ -r "$sites" ] || usage "cannot read $sites"
command -v parallel >/dev/null || { echo "many_sites.sh needs GNU parallel (apt-get install parallel)" >&2; exit 2; }
program=$(readlink -f "$program")
[ -x "$program" ] || usage "no program at $program"
mkdir -p "$out"
out=$(readlink -f "$out")

# Trimmed lines, without comments, empty lines and repeats (which would share a folder), one
# search each.
grep -v -E '^[[:space:]]*(#|$)' "$sites" | sed -E 's/^[[:space:]]+//; s/[[:space:]]+$//' | awk '!seen[$0]++' \
    >"$out/.lines" || true
total=$(wc -l <"$out/.lines")
status=0
parallel --will-cite --line-buffer -q "${parallel_options[@]}" "$self" --one "$program" "$out" {} "$@" \
    :::: "$out/.lines" || status=$?
rm -f "$out/.lines"
echo "$((total - status)) of $total searches done; their folders are in $out" >&2
exit "$status"
