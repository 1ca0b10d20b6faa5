#!/usr/bin/env bash
# Builds the command-line tool as the package is built, with profile feedback
# (scripts/build-release), and checks that it reads as the build under test
# does: the same standard output, standard error and exit status, byte for
# byte, over the test data, the fuzz corpora and the training decks, in both
# modes.
#   packaging/test_profile_build.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
release="$work/release"
"$root/scripts/build-release" "$release" -DORVANDEL_BUILD_GUI=OFF -DORVANDEL_BUILD_TESTS=OFF \
    -DORVANDEL_BUILD_BENCHMARKS=OFF >/dev/null
if [ ! -f "$release/profile-trained.stamp" ] || [ -z "$(find "$release" -name '*.gcda' -print -quit)" ]; then
    echo "FAILED: the release build was not trained"
    exit 1
fi

"$build/bench/ooxml_corpus" --training "$work/decks" >/dev/null
inputs=("$root/tests/data" "$root/fuzz/corpus" "$root/fuzz/regressions" "$work/decks")
# The output of one build: standard output, then the exit status, then
# standard error.
readAll() {
    local status=0
    "$1" -j 1 --format jsonl $2 "${inputs[@]}" >"$3" 2>"$work/err" || status=$?
    echo "$status" >>"$3"
    cat "$work/err" >>"$3"
}
for mode in "" --all-text; do
    readAll "$build/orvandel-cli" "$mode" "$work/tested"
    readAll "$release/orvandel-cli" "$mode" "$work/release.out"
    if ! cmp -s "$work/tested" "$work/release.out"; then
        echo "FAILED: the release build reads otherwise${mode:+ with $mode}:"
        diff "$work/tested" "$work/release.out" | head -20
        exit 1
    fi
    echo "same output${mode:+ with $mode}: $(wc -l <"$work/release.out") lines"
done
