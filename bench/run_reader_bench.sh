#!/usr/bin/env bash
# Figures for the presentation package reader: builds Release, writes the
# corpus (500 decks of 20-40 slides, a few with several MB of pictures) once,
# then prints, single-threaded:
#   - the floor: only inflating the slide parts, with zlib and with libdeflate;
#   - the reader over the whole corpus;
#   - the reader's peak memory over 50 files, over all files, and over the
#     decks with pictures only: it must not grow with either;
#   - the XML engine alone, parsing and walking, against pugixml's parse.
#
#   - the same for OpenDocument presentations: the first $ORVANDEL_ODP_DECKS
#     (default 100) decks of the corpus converted once by a locally installed
#     office suite (soffice; skipped without it), against inflating their
#     content parts.
#
#   bench/run_reader_bench.sh [CORPUS_DIR]     (default /tmp/orvandel-ooxml-corpus)
# Build folder: $ORVANDEL_BENCH_BUILD_DIR or build-release, built as the
# package is, with profile feedback (scripts/build-release); with
# ORVANDEL_BENCH_PROFILE=0, a plain Release build instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BENCH_BUILD_DIR:-$root/build-release}"
corpus="${1:-/tmp/orvandel-ooxml-corpus}"

options=(-DORVANDEL_BUILD_GUI=OFF -DORVANDEL_BUILD_TESTS=OFF -DORVANDEL_BUILD_BENCHMARKS=ON)
if [ "${ORVANDEL_BENCH_PROFILE:-1}" = 0 ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" -DORVANDEL_PROFILE= >/dev/null
    cmake --build "$build" --parallel 2 --target ooxml_corpus ooxml_throughput xml_engines orvandel-cli >/dev/null
else
    "$root/scripts/build-release" "$build" "${options[@]}" >/dev/null
fi

# A corpus written before the decks held masters and layouts is written again.
if [ ! -f "$corpus/deck0499.pptx" ] || [ ! -f "$corpus.masters" ]; then
    rm -rf "$corpus" "$corpus.pictures" "$corpus.odp"
    "$build/bench/ooxml_corpus" "$corpus" 500
    touch "$corpus.masters"
fi
pictures="$corpus.pictures"
mkdir -p "$pictures"
for deck in "$corpus"/deck0*.pptx; do
    n=$((10#$(basename "$deck" .pptx | tr -dc 0-9)))
    if [ $((n % 50)) -eq 7 ]; then ln -sf "$deck" "$pictures/"; fi
done
echo "corpus: $(ls "$corpus" | wc -l) files, $(du -sh "$corpus" | cut -f1)"

# The programs settle TZ at start-up (libzip converts every entry's time stamp
# to local time, and an unset TZ makes glibc re-read the zone file each time);
# the floor runs under the same setting so the two compare fairly.
export TZ="${TZ:-:/etc/localtime}"

run() { "$build/bench/ooxml_throughput" "$@"; }
# The best files/s of five runs of one mode: MODE DIR [MAX_FILES [PASSES]].
bestRate() {
    for _ in 1 2 3 4 5; do run "$@"; done | awk '{ if ($4 > best) best = $4 } END { print best }'
}
# The reader against a floor, best of five runs of each: LABEL FLOOR TARGET DIR [...].
ratio() {
    local label="$1" floorMode="$2" target="$3"
    shift 3
    local floor reader
    floor=$(bestRate "$floorMode" "$@")
    reader=$(bestRate reader "$@")
    awk -v l="$label" -v m="$floorMode" -v r="$reader" -v f="$floor" -v t="$target" \
        'BEGIN { printf "%s: reader %.0f files/s, %s floor %.0f files/s, ratio %.2f (target >= %s)\n", l, r, m, f, r / f, t }'
}
run zlib "$corpus"
run libdeflate "$corpus"
run reader "$corpus"
run reader "$corpus" 50
run reader "$pictures"
ratio packages libdeflate 0.60 "$corpus"

# The XML engine apart from inflating and from the readers: the slide parts
# parsed (in place, into the tree), and parsed and walked (every element's
# namespace and name, every text), best of five passes; pugixml's in-place
# parse of the same bytes beside it; then the parse by the reader's rules,
# which skip what its default walk passes over.
for engine in tree pugixml reader; do
    for mode in parse walk; do
        "$build/bench/xml_engines" "$engine" "$mode" "$corpus" 100000 5
    done
done

# OpenDocument: decks converted from the corpus by the office suite.
odp="$corpus.odp"
odpDecks="${ORVANDEL_ODP_DECKS:-100}"
if command -v soffice >/dev/null; then
    if [ "$(ls "$odp" 2>/dev/null | wc -l)" -lt "$odpDecks" ]; then
        mkdir -p "$odp"
        profile="$(mktemp -d)"
        decks=("$corpus"/deck0*.pptx)
        soffice -env:UserInstallation="file://$profile" --headless --convert-to odp --outdir "$odp" \
            "${decks[@]:0:$odpDecks}" >/dev/null 2>&1
        rm -rf "$profile"
    fi
    echo "odp corpus: $(ls "$odp" | wc -l) files, $(du -sh "$odp" | cut -f1), each read 20 times a run"
    for engine in tree pugixml reader; do
        for mode in parse walk; do
            "$build/bench/xml_engines" "$engine" "$mode" "$odp" "$odpDecks" 20
        done
    done
    run zlib "$odp" "$odpDecks" 20
    run libdeflate "$odp" "$odpDecks" 20
    run reader "$odp" "$odpDecks" 20
    ratio odp zlib 0.65 "$odp" "$odpDecks" 20
else
    echo "odp corpus: skipped (no soffice to convert the decks)"
fi

# The command-line tool over the whole corpus folder: one worker, then two.
for jobs in 1 2; do
    /usr/bin/time -f "orvandel-cli -j $jobs: %e s wall, %M KiB peak" \
        "$build/orvandel-cli" -j "$jobs" "$corpus" >/dev/null
done

# The "all text" mode against the default one: the same corpus through the
# command-line tool on one worker, best of three runs each, and the ratio
# (target: at most 1.6; the mode also reads every master and layout).
best() {
    local fastest=""
    for _ in 1 2 3; do
        local t
        t=$( { /usr/bin/time -f "%e" "$build/orvandel-cli" "$@" "$corpus" >/dev/null; } 2>&1 | tail -1)
        if [ -z "$fastest" ] || awk -v a="$t" -v b="$fastest" 'BEGIN { exit !(a < b) }'; then fastest="$t"; fi
    done
    echo "$fastest"
}
default_s=$(best)
all_text_s=$(best --all-text)
awk -v d="$default_s" -v a="$all_text_s" \
    'BEGIN { printf "all text: %.2f s, default: %.2f s, ratio %.2f (target <= 1.6)\n", a, d, (d > 0 ? a / d : 0) }'
