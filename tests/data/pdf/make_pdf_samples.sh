#!/usr/bin/env bash
# Regenerates the PDF samples in this folder and expected.tsv: writes flat
# OpenDocument presentations (and one text document) with make_pdf_samples.py,
# exports them as PDF with a locally installed office suite, encrypts one with
# qpdf and cuts one short. Needed only to rerun this script, never by the tests:
#   apt-get install -y --no-install-recommends libreoffice-impress libreoffice-writer qpdf poppler-utils
# The exports differ from run to run in their dates and identifiers only;
# where the lines break depends on the suite's version and its fonts
# (made with 7.4, Liberation Sans), so check the comments in expected.tsv
# against pdftotext's text after a rerun.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/make_pdf_samples.py" "$work"
# ExportNotes writes the slides' comments as text annotations.
options='{"ExportNotes":{"type":"boolean","value":"true"}}'
soffice -env:UserInstallation="file://$work/profile" --headless \
    --convert-to "pdf:impress_pdf_Export:$options" --outdir "$work" \
    "$work/one_line.fodp" "$work/broken.fodp" "$work/links.fodp" >/dev/null 2>&1
soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf:writer_pdf_Export \
    --outdir "$work" "$work/letter.fodt" >/dev/null 2>&1
for name in one_line broken links letter; do
    cp "$work/$name.pdf" "$here/"
done

grep -aq '/Subtype */Text' <(qpdf --qdf --object-streams=disable "$here/links.pdf" -) ||
    { echo "links.pdf: the comment was not exported as an annotation" >&2; exit 1; }

# Readable without a password (only changing it needs "owner"), and one that
# cannot be opened without "secret".
qpdf --encrypt "" owner 256 -- "$here/one_line.pdf" "$here/owner_only.pdf"
qpdf --encrypt secret owner 256 -- "$here/one_line.pdf" "$here/user_password.pdf"

# The first 1,500 bytes (the header and part of the first page's content
# stream), then the last 600 bytes of a different file: no page tree, no
# catalogue, a cross-reference table pointing at nothing.
{ head -c 1500 "$here/one_line.pdf"; tail -c 600 "$here/letter.pdf"; } >"$here/damaged.pdf"
if pdftotext "$here/damaged.pdf" - >/dev/null 2>&1; then
    echo "damaged.pdf: pdftotext still reads it" >&2
    exit 1
fi

{
    echo "# The addresses each sample's pages show, in page order (a link's target"
    echo "# and a comment after the page's text), or why the file cannot be read."
    echo "# Written by make_pdf_samples.sh; tab-separated: file, then addresses."
    echo "# frontdesk@example.com (one_line.pdf) and registrationoffice@example.com"
    echo "# (broken.pdf) are written with a soft hyphen (U+00AD) after \"front\" and"
    echo "# \"registration\". The export keeps it in the text: not drawn where the"
    echo "# line goes on, drawn as a hyphen where it breaks."
    echo "# owner_only.pdf and user_password.pdf are one_line.pdf encrypted (AES-256),"
    echo "# with the owner password \"owner\"; user_password.pdf opens with \"secret\"."
    echo "# pdftotext $(pdftotext -v 2>&1 | head -1 | awk '{print $3}') of broken.pdf, line by line (default mode, which joins"
    echo "# a line ending in a hyphen to the next):"
    pdftotext "$here/broken.pdf" - | sed -e '/^\s*$/d' -e 's/\f//' -e 's/\xc2\xad/<U+00AD>/g' -e 's/^/#   /'
    echo "# The same with -layout (hyphens kept):"
    pdftotext -layout "$here/broken.pdf" - | sed -e '/^\s*$/d' -e 's/\f//' -e 's/\xc2\xad/<U+00AD>/g' -e 's/^ */#   /'
    cat "$work/expected-rows.tsv"
} >"$here/expected.tsv"
ls -l "$here"/*.pdf
