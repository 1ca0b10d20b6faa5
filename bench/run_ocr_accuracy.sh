#!/usr/bin/env bash
# Figures for what text recognition finds: COUNT pictures that show an
# address (bench/make_ocr_corpus.py: ten typefaces, clear print at x-heights
# of 13 to 24 pixels, one in five in small print, dark on light and light on
# dark, PNG and JPEG), each recognised alone at several confidences an
# address word needs, then ten to a deck in .pptx, .odp, .ppt and image-only
# PDF documents, read as a run of the program reads them
# (bench/ocr_accuracy). Needs ImageMagick's convert (for the corpus only).
#
#   bench/run_ocr_accuracy.sh [COUNT [SEED]]   (default 300 and 38)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BUILD_DIR:-$root/build}"
count="${1:-300}"
seed="${2:-38}"
cmake --build "$build" --parallel 2 --target orvandel-ocr orvandel-pdf ocr_accuracy >/dev/null
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
python3 "$root/bench/make_ocr_corpus.py" "$corpus" "$count" "$seed"
# The PDF pages show each picture as a colour JPEG.
for picture in "$corpus"/p*.png "$corpus"/p*.jpg; do
    convert "$picture" -type TrueColor -quality 95 "$picture.pdf.jpg"
done
export OMP_THREAD_LIMIT=1 ORVANDEL_OCR_READER="$build/orvandel-ocr" ORVANDEL_PDF_READER="$build/orvandel-pdf"
"$build/bench/ocr_accuracy" "$corpus"
