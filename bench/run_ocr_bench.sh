#!/usr/bin/env bash
# Figures for the text recognition reader: the sample pictures
# (tests/data/ocr) each COPIES times, read single-threaded, ROUNDS times in
# turn:
#   - by orvandel-ocr, as the core asks it (bench/ocr_throughput): each
#     picture sent, decoded, recognised, its words sent back;
#   - by Tesseract's own command-line tool over a list of the same files in
#     one process (`tesseract LIST OUT`), the floor: the same engine, with
#     no process boundary and no words handed back one by one;
# both with OMP_THREAD_LIMIT=1. Prints the median pictures/s of each and of
# their ratio, and the words holding "@" each found. The command-line tool
# (Debian's tesseract-ocr) is needed for the floor only, and is no part of
# scripts/deps.
#
#   bench/run_ocr_bench.sh [COPIES [ROUNDS]]   (default 20 and 5)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BUILD_DIR:-$root/build}"
copies="${1:-20}"
rounds="${2:-5}"
if ! command -v tesseract >/dev/null; then
    echo "tesseract (Debian package tesseract-ocr) is needed for the floor" >&2
    exit 1
fi
cmake --build "$build" --parallel 2 --target orvandel-ocr ocr_throughput >/dev/null
samples=("$root"/tests/data/ocr/*.png "$root"/tests/data/ocr/*.jpg)
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for _ in $(seq "$copies"); do printf '%s\n' "${samples[@]}"; done >"$scratch/list"
pictures=$(wc -l <"$scratch/list")
export OMP_THREAD_LIMIT=1 ORVANDEL_OCR_READER="$build/orvandel-ocr"
: >"$scratch/rounds"
for _ in $(seq "$rounds"); do
    read -r _ reader found _ < <("$build/bench/ocr_throughput" "$copies" "${samples[@]}")
    start=$(date +%s.%N)
    tesseract "$scratch/list" "$scratch/out" >/dev/null 2>&1
    end=$(date +%s.%N)
    floor=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
    floorFound=$(grep -o '[^ ]*@[^ ]*' "$scratch/out.txt" | wc -l)
    echo "$reader $floor $found $floorFound" >>"$scratch/rounds"
done
awk -v n="$pictures" '
    { reader[NR] = n / $1; floor[NR] = n / $2; ratio[NR] = $2 / $1; found = $3; floorFound = $4 }
    function median(a, k,   i, j, t) {
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return (k % 2) ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    END {
        printf "%d pictures a round, %d rounds, one core\n", n, NR
        printf "orvandel-ocr:        %.1f pictures/s (median), %d words with @\n", median(reader, NR), found
        printf "tesseract LIST OUT:  %.1f pictures/s, %d words with @\n", median(floor, NR), floorFound
        lo = 1e9; hi = 0
        for (i = 1; i <= NR; i++) { if (ratio[i] < lo) lo = ratio[i]; if (ratio[i] > hi) hi = ratio[i] }
        printf "orvandel-ocr / tesseract: %.3f (%.3f to %.3f)\n", median(ratio, NR), lo, hi
    }' "$scratch/rounds"
