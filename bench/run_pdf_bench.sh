#!/usr/bin/env bash
# The PDF reader's accuracy and speed on decks exported by an office suite.
#
#   bench/run_pdf_bench.sh [DECKS [ROUNDS]]       (60 decks, 5 rounds)
#
# Writes DECKS decks of 5-20 slides with bench/pdf_corpus.py (addresses in
# titles, text boxes, tables and groups, some with a soft hyphen, and long
# ones in narrow frames that the export breaks across lines) and exports
# them to PDF with soffice, once: the folder ($ORVANDEL_PDF_CORPUS, default
# /tmp/orvandel-pdf-corpus) is reused while the generator and DECKS stay the
# same. Then prints:
#   - how many addresses pdftotext -layout shows on one line or broken as the
#     generator laid them out (the classes below come from the generator);
#   - for the extractor and for pdftotext with a grep for addresses (one
#     process per file): addresses found of those on one line, of the broken
#     ones (by where they break), and found addresses no slide shows;
#   - ROUNDS rounds, in turn: the CPU time (user + sys) of one extractor
#     process over all files against that of pdftotext run once per file,
#     and the extractor's wall time with -j 2 against -j 1; each round's
#     ratios and their medians.
# The extractor is $ORVANDEL_PDF_EXTRACTOR (default "build/orvandel-cli
# --pdf"), given "-j N" after its first word, then the files; it prints the
# addresses it finds, one a line (or records of --format jsonl, whose file
# and page are then checked too). "bench/run_pdf_bench.sh --reference" is
# the pdftotext one, taking the same arguments. Needs soffice (only to write
# the corpus), pdftotext, python3 and /usr/bin/time (Debian package "time").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
pattern='[A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)*\.[A-Za-z]{2,}'

# pdftotext over each file, the addresses of its text once each.
if [[ " $* " == *" --reference "* ]]; then
    jobs=1 files=()
    while [ $# -gt 0 ]; do
        case "$1" in
        -j) jobs="$2" && shift 2 ;;
        --reference | --pdf) shift ;;
        *) files+=("$1") && shift ;;
        esac
    done
    # shellcheck disable=SC2016 # the inner shell expands $1
    printf '%s\0' "${files[@]}" | xargs -0 -r -P "$jobs" -n 1 sh -c 'pdftotext "$1" - 2>/dev/null || true' sh |
        { grep -aoE "$pattern" || true; } | awk '!seen[$0]++'
    exit 0
fi

decks="${1:-60}"
rounds="${2:-5}"
if ! [[ "$decks" =~ ^[1-9][0-9]*$ && "$rounds" =~ ^[1-9][0-9]*$ ]]; then
    sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//' >&2
    exit 2
fi
build="${ORVANDEL_BUILD_DIR:-$root/build}"
corpus="${ORVANDEL_PDF_CORPUS:-/tmp/orvandel-pdf-corpus}"
extractor="${ORVANDEL_PDF_EXTRACTOR:-$build/orvandel-cli --pdf}"
read -r -a command <<<"$extractor"
if [ -z "${ORVANDEL_PDF_EXTRACTOR:-}" ] && ! cmake --build "$build" --target orvandel-cli orvandel-pdf >/dev/null; then
    echo "run_pdf_bench: cannot build orvandel-cli in $build (configure it, set ORVANDEL_BUILD_DIR" \
        "or ORVANDEL_PDF_EXTRACTOR)" >&2
    exit 1
fi

stamp="$decks $(cat "$root/bench/pdf_corpus.py" "$root/tests/data/pdf/fodp_writer.py" | sha256sum | cut -c1-16)"
if [ "$(cat "$corpus/stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$corpus"
    mkdir -p "$corpus"
    python3 "$root/bench/pdf_corpus.py" "$corpus" "$decks"
    profile="$(mktemp -d)"
    soffice -env:UserInstallation="file://$profile" --headless --convert-to pdf --outdir "$corpus" \
        "$corpus"/*.fodp >/dev/null 2>&1
    rm -rf "$profile"
    echo "$stamp" >"$corpus/stamp"
fi
files=("$corpus"/deck*.pdf)
if [ "${#files[@]}" -ne "$decks" ]; then
    echo "run_pdf_bench: $corpus holds ${#files[@]} PDF files, not $decks" >&2
    exit 1
fi
echo "corpus: $decks decks, $(cut -f1,2 "$corpus/shown.tsv" | sort -u | wc -l) slides," \
    "$(wc -l <"$corpus/shown.tsv") addresses, $(du -ch "${files[@]}" | tail -1 | cut -f1) of PDF"
python3 "$root/bench/pdf_corpus.py" --check "$corpus"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$0" --reference "${files[@]}" >"$work/reference"
python3 "$root/bench/pdf_corpus.py" --score "$corpus" "pdftotext + grep" "$work/reference"
"${command[0]}" -j 1 "${command[@]:1}" "${files[@]}" >"$work/found" 2>"$work/errors" || true
python3 "$root/bench/pdf_corpus.py" --score "$corpus" "$extractor" "$work/found"
if [ -s "$work/errors" ]; then
    echo "  $(wc -l <"$work/errors") lines on standard error, the first:" "$(head -1 "$work/errors" | cut -c1-200 | tr -c '[:print:]\n' '?')"
fi

# Prints "wall user+sys" of a command (the last line: a failed command's
# status comes before it).
measure() {
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>&1 || true
    tail -1 "$work/time" | awk '{ printf "%s %.3f\n", $1, $2 + $3 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
for ((r = 1; r <= rounds; r++)); do
    read -r _ cpu < <(measure "${command[0]}" -j 1 "${command[@]:1}" "${files[@]}")
    # shellcheck disable=SC2016 # the inner shell expands $f
    read -r _ ref < <(measure sh -c 'for f; do pdftotext "$f" - >/dev/null 2>&1; done' sh "${files[@]}")
    read -r one _ < <(measure "${command[0]}" -j 1 "${command[@]:1}" "${files[@]}")
    read -r two _ < <(measure "${command[0]}" -j 2 "${command[@]:1}" "${files[@]}")
    cpuRatio=$(awk -v a="$cpu" -v b="$ref" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
    jobsRatio=$(awk -v a="$two" -v b="$one" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
    echo "$cpuRatio" >>"$work/cpu-ratios"
    echo "$jobsRatio" >>"$work/jobs-ratios"
    printf 'round %d: CPU %.2f s, pdftotext per file %.2f s, ratio %s; wall -j 1 %.2f s, -j 2 %.2f s, ratio %s\n' \
        "$r" "$cpu" "$ref" "$cpuRatio" "$one" "$two" "$jobsRatio"
done
echo "CPU time against pdftotext per file: median $(median <"$work/cpu-ratios")" \
    "($(sort -g "$work/cpu-ratios" | head -1) to $(sort -g "$work/cpu-ratios" | tail -1)) of $rounds rounds"
echo "wall time -j 2 against -j 1: median $(median <"$work/jobs-ratios")" \
    "($(sort -g "$work/jobs-ratios" | head -1) to $(sort -g "$work/jobs-ratios" | tail -1)) of $rounds rounds"
