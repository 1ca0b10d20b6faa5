#!/usr/bin/env bash
# Figures for the Keynote reader: writes a corpus of DECKS copies of the
# Keynote samples with planted addresses (bench/keynote_corpus.py), then
# prints, single-threaded, ROUNDS times in turn:
#   - the floor: only inflating the parts the reader reads (the .iwa parts
#     through snappy, or index.apxl), in one process (bench/keynote_floor);
#   - orvandel-cli --all-text -j 1 over the corpus, reader process included;
# with the median files/s of each and of their ratio per round; then how
# many of the planted addresses came out in their places, and how many came
# out that were not planted.
#
#   bench/run_keynote_bench.sh [DECKS [ROUNDS]]   (default 200 and 5)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BUILD_DIR:-$root/build}"
decks="${1:-200}"
rounds="${2:-5}"
corpus="${TMPDIR:-/tmp}/orvandel-keynote-corpus"
cmake --build "$build" --parallel 2 --target orvandel-cli orvandel-keynote keynote_floor >/dev/null
if [ ! -f "$corpus/expected.tsv" ] || [ "$(ls "$corpus"/*.key | wc -l)" -ne "$decks" ]; then
    rm -rf "$corpus"
    python3 "$root/bench/keynote_corpus.py" "$corpus" "$decks"
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
seconds() { # the wall time of a command, in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }'
}
: >"$scratch/rounds"
for _ in $(seq "$rounds"); do
    floor=$(seconds "$build/bench/keynote_floor" "$corpus"/*.key)
    reader=$(seconds "$build/orvandel-cli" --all-text -j 1 "$corpus"/*.key)
    echo "$floor $reader" >>"$scratch/rounds"
done
awk -v n="$decks" '
    { floor[NR] = n / $1; reader[NR] = n / $2; ratio[NR] = $1 / $2 }
    function median(a, k,   i, j, t) {
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return (k % 2) ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    END {
        printf "floor:  %.0f files/s (median of %d rounds)\n", median(floor, NR), NR
        printf "reader: %.1f files/s\n", median(reader, NR)
        lo = 1e9; hi = 0
        for (i = 1; i <= NR; i++) { if (ratio[i] < lo) lo = ratio[i]; if (ratio[i] > hi) hi = ratio[i] }
        printf "reader / floor: %.4f (%.4f to %.4f)\n", median(ratio, NR), lo, hi
    }' "$scratch/rounds"
# Accuracy: every planted address in its place, nothing else. One run a
# deck, as short addresses repeat across the copies and a run lists each once.
for deck in "$corpus"/*.key; do
    (cd "$corpus" && "$build/orvandel-cli" --all-text --format csv -- "$(basename "$deck")") | tail -n +2
done | awk -F, '{ print $2 "\t" $1 "\t" $3 "\t" $4 }' | sort >"$scratch/found"
sort "$corpus/expected.tsv" >"$scratch/expected"
planted=$(wc -l <"$scratch/expected")
found=$(comm -12 "$scratch/expected" "$scratch/found" | wc -l)
extra=$(comm -13 "$scratch/expected" "$scratch/found" | wc -l)
echo "planted addresses found in their places: $found of $planted; not planted: $extra"
