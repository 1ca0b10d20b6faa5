#!/usr/bin/env bash
# The cache of read files against reading: orvandel-cli -j 1 over DECKS
# decks without the cache, then twice with a fresh one, printing the wall
# time and peak memory of each (best of RUNS for the uncached and the second
# cached run) and the second cached run's share of the uncached one.
#
#   bench/run_cache_bench.sh [DECKS [UNIQUE [RUNS]]]
#
# UNIQUE decks are written by bench/ooxml_corpus (default min(DECKS, 2000))
# and hard-linked under other names up to DECKS, so that a list of 20,000
# files costs the disk no more than 2,000: each name is a file of its own to
# the cache. Targets: the second cached run within a tenth of the uncached
# one; the cached run's time growing linearly with DECKS, its memory within
# 64 MiB. Needs /usr/bin/time (Debian package "time").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BUILD_DIR:-$root/build}"
decks="${1:-2000}"
unique="${2:-$((decks < 2000 ? decks : 2000))}"
runs="${3:-3}"
work="${TMPDIR:-/tmp}/orvandel-cache-bench"
cmake --build "$build" --parallel 2 --target orvandel-cli ooxml_corpus >/dev/null
cli="$build/orvandel-cli"
rm -rf "$work"
mkdir -p "$work/decks"
"$build/bench/ooxml_corpus" "$work/unique" "$unique" >/dev/null
mapfile -t sources < <(find "$work/unique" -type f -name '*.pptx' | sort)
for ((i = 0; i < decks; i++)); do
    ln "${sources[i % ${#sources[@]}]}" "$work/decks/$(printf 'deck%06d.pptx' "$i")"
done
find "$work/decks" -type f -print0 | sort -z >"$work/list"

# Prints "seconds peak-KiB" of one run.
measure() {
    /usr/bin/time -f '%e %M' -o "$work/time" "$cli" -j 1 --files-from "$work/list" -0 "$@" >/dev/null 2>&1 || true
    cat "$work/time"
}
best() {
    local best_s="" best_m=""
    for ((r = 0; r < runs; r++)); do
        read -r s m < <(measure "$@")
        if [ -z "$best_s" ] || awk -v a="$s" -v b="$best_s" 'BEGIN { exit !(a < b) }'; then
            best_s="$s" best_m="$m"
        fi
    done
    echo "$best_s $best_m"
}
read -r plain plain_mem < <(best)
rm -f "$work/cache.sqlite"*
read -r first first_mem < <(measure --cache "$work/cache.sqlite")
read -r second second_mem < <(best --cache "$work/cache.sqlite")
printf '%s decks (%s unique): uncached %.2f s %d MiB; first cached run %.2f s %d MiB; second %.2f s %d MiB; second / uncached %.3f\n' \
    "$decks" "$unique" "$plain" $((plain_mem / 1024)) "$first" $((first_mem / 1024)) "$second" $((second_mem / 1024)) \
    "$(awk -v a="$second" -v b="$plain" 'BEGIN { print (b > 0 ? a / b : 0) }')"
