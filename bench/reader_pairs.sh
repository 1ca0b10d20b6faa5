#!/usr/bin/env bash
# The reader of two builds against its floor, run in turn so that both see
# the same moments of a noisy machine: N rounds of (reader of build A, reader
# of build B, floor), then the medians and the median of the rounds' B/A.
#
#   bench/reader_pairs.sh N THROUGHPUT_A THROUGHPUT_B CORPUS_DIR [MAX_FILES [PASSES]]
#
# THROUGHPUT_x: two builds' build-release/bench/ooxml_throughput. The floor is
# libdeflate's, or zlib's with FLOOR=zlib (as for OpenDocument decks).
set -euo pipefail
if [ $# -lt 4 ]; then
    echo "usage: bench/reader_pairs.sh N THROUGHPUT_A THROUGHPUT_B CORPUS_DIR [MAX_FILES [PASSES]]" >&2
    exit 2
fi
rounds="$1" a="$2" b="$3" corpus="$4"
shift 4
export TZ="${TZ:-:/etc/localtime}"
rate() { "$@" | awk '{ print $4 }'; }
for _ in $(seq "$rounds"); do
    echo "$(rate "$a" reader "$corpus" "$@") $(rate "$b" reader "$corpus" "$@") $(rate "$a" "${FLOOR:-libdeflate}" "$corpus" "$@")"
done | python3 -c '
import statistics as s, sys
rows = [list(map(float, line.split())) for line in sys.stdin if line.strip()]
a, b, floor = ([r[i] for r in rows] for i in range(3))
print("median files/s: A %.0f, B %.0f, floor %.0f; B/A %.3f (median of rounds); A/floor %.2f, B/floor %.2f"
      % (s.median(a), s.median(b), s.median(floor), s.median([y / x for x, y in zip(a, b)]),
         s.median(a) / s.median(floor), s.median(b) / s.median(floor)))'
