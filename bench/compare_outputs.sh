#!/usr/bin/env bash
# Checks that two builds of orvandel-cli write the same bytes: every file of
# every corpus, in every output format and both reading modes, standard output,
# standard error and exit status alike. Run it before and after a change that
# should not change what the program does.
#
#   bench/compare_outputs.sh OLD_CLI NEW_CLI
#
# The corpora are written once into $ORVANDEL_COMPARE_DIR (default
# /tmp/orvandel-compare/corpora) and kept, so that both builds read the same
# files: the test data, the fuzz seeds and regressions, the samples, the
# generated benchmark corpus and fuzz seeds, the hostile files, decks converted
# by a locally installed office suite (skipped without soffice), and damaged
# variants of the seeds (bench/make_mutants.py). The generators come from the
# build in $ORVANDEL_BUILD_DIR (default build/).
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: bench/compare_outputs.sh OLD_CLI NEW_CLI" >&2
    exit 2
fi
old="$(realpath "$1")"
new="$(realpath "$2")"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BUILD_DIR:-$root/build}"
work="${ORVANDEL_COMPARE_DIR:-/tmp/orvandel-compare}"
corpora="$work/corpora"
export TZ="${TZ:-:/etc/localtime}"

if [ ! -f "$corpora/.complete" ]; then
    cmake --build "$build" --parallel 2 --target ooxml_corpus hostile_files all_text_seeds >/dev/null
    rm -rf "$corpora"
    mkdir -p "$corpora"/{repo,generated,seeds,hostile,converted,mutants}
    cp -r "$root/tests/data" "$corpora/repo/data"
    cp -r "$root/fuzz/corpus" "$corpora/repo/fuzz-corpus"
    cp -r "$root/fuzz/regressions" "$corpora/repo/fuzz-regressions"
    cp -r "$root/resources/Samples" "$corpora/repo/Samples"
    "$build/bench/ooxml_corpus" "$corpora/generated" 500 >/dev/null
    "$build/bench/ooxml_corpus" --fuzz-seeds "$corpora/seeds/ooxml" >/dev/null
    "$build/bench/ooxml_corpus" --odp-fuzz-seeds "$corpora/seeds/odp" >/dev/null
    mkdir -p "$corpora/seeds/all-text"/{ooxml_fuzz,ppt_fuzz,odp_fuzz}
    "$build/bench/all_text_seeds" "$corpora/seeds/all-text"
    "$build/bench/hostile_files" "$corpora/hostile" >/dev/null
    if command -v soffice >/dev/null; then
        profile="$(mktemp -d)"
        decks=("$corpora/generated"/deck00[0-3]*.pptx)
        for format in odp ppt fodp; do
            soffice -env:UserInstallation="file://$profile" --headless --convert-to "$format" \
                --outdir "$corpora/converted/$format" "${decks[@]}" >/dev/null 2>&1
        done
        rm -rf "$profile"
    fi
    seeds=()
    while IFS= read -r -d '' seed; do seeds+=("$seed"); done < <(
        find "$corpora/repo" "$corpora/seeds" "$corpora/converted" "$corpora/generated"/deck000* -type f \
            -size -400k \( -name '*.p[po]t*' -o -name '*.pps*' -o -name '*.od[pt]' -o -name '*.fodp' \) -print0)
    python3 "$root/bench/make_mutants.py" "$corpora/mutants" --per-seed 24 "${seeds[@]}"
    touch "$corpora/.complete"
fi

# One run per corpus, mode and format, over every file of the corpus whatever
# its name.
snapshot() {
    local cli="$1" out="$2"
    rm -rf "$out"
    for corpus in "$corpora"/*/; do
        corpus="${corpus%/}"
        local name list
        name="$(basename "$corpus")"
        list="$out/$name.list"
        mkdir -p "$out/$name"
        find "$corpus" -type f -print0 | sort -z >"$list"
        for mode in default all-text; do
            local modeArgs=()
            [ "$mode" = all-text ] && modeArgs=(--all-text)
            for format in text comma csv jsonl; do
                local stem="$out/$name/$mode.$format"
                "$cli" -j 2 "${modeArgs[@]}" --format "$format" --files-from "$list" -0 \
                    >"$stem.out" 2>"$stem.err" && echo 0 >"$stem.rc" || echo $? >"$stem.rc"
            done
        done
    done
}

snapshot "$old" "$work/old"
snapshot "$new" "$work/new"
files=$(cat "$work/old"/*.list | tr -cd '\0' | wc -c)
runs=$(find "$work/old" -name '*.rc' | wc -l)
if diff -r "$work/old" "$work/new" >"$work/diff"; then
    echo "identical: $runs runs over $files files ($(du -sh "$work/old" | cut -f1) of output)"
else
    echo "DIFFERENT: see $work/diff ($(wc -l <"$work/diff") lines)"
    head -n 40 "$work/diff"
    exit 1
fi
