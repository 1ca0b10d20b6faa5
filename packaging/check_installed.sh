#!/usr/bin/env bash
# Checks an installed copy of Orvandel, given the folder that holds its bin/
# and share/ (a prefix, possibly under DESTDIR or an unpacked package):
#   - the window, started under the offscreen platform, opens its skin and
#     hand cursor and lists its samples from share/orvandel, and records the
#     samples in its settings;
#   - the command-line tool finds the right addresses in the installed samples,
#     and with --pdf, through the installed PDF reader, in a PDF sample, and
#     with --ocr, through the installed text recognition reader, in a scan;
#   - the desktop entry and the AppStream metadata validate; the icons and
#     the manual pages are there.
# Prints one line per failed check and exits 1 when any failed.
set -uo pipefail
prefix="$(cd "$1" && pwd)"
share="$prefix/share/orvandel"
id=example.quillmoor.Orvandel
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# The window: what it opens shows where it looks. It records its samples in
# its settings late in its start-up, after the skin and the cursor; once that
# is there (or after 60 s on a very busy machine) it is ended.
mkdir -p "$work/config" "$work/home" "$work/run"
chmod 700 "$work/run"
env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
    QT_QPA_PLATFORM=offscreen \
    strace -f -qq -e trace=openat -o "$work/trace" "$prefix/bin/orvandel" >/dev/null 2>&1 &
window=$!
recorded() { LC_ALL=C grep -q '^Snapshot=.' "$work/config/Quillmoor.ini" 2>/dev/null; }
for _ in $(seq 600); do
    recorded && break
    sleep 0.1
done
sleep 0.2
pkill -KILL -P "$window" 2>/dev/null # the window; strace ends with it
wait "$window" 2>/dev/null
opened() { grep -F "\"$1\"" "$work/trace" | grep -qv '= -1'; }
opened "$share/x/o.cjs" || fail "the window did not open $share/x/o.cjs"
opened "$share/HAND-M.CUR" || fail "the window did not open $share/HAND-M.CUR"
opened "$share/Samples/" || fail "the window did not list $share/Samples"
recorded || fail "the window did not record its samples in $work/config/Quillmoor.ini"

# The command-line tool over the installed samples.
expected="committee@northfield-conf.example
press@northfield-conf.example
ada.lindqvist@studio-lind.example
ravi_menon@menon-labs.example
chloe.martin@atelier-cm.example
orders@meadow-supply.example
SALES@meadow-supply.example
support@harbor-tools.example
sales@harbor-tools.example
M.Okafor@harbor-tools.example
escalation-desk@harbor-tools.example"
actual="$("$prefix/bin/orvandel-cli" "$share/Samples")" || fail "orvandel-cli exited $?"
[ "$actual" = "$expected" ] || fail "orvandel-cli found: $(echo "$actual" | tr '\n' ' ')"

# PDF documents, read on request by the reader installed beside the tool
# (a copy of the sample, so that no reader of the source tree is near it).
cp "$(dirname "$0")/../tests/data/pdf/links.pdf" "$work/"
actual="$(env -u ORVANDEL_PDF_READER "$prefix/bin/orvandel-cli" --pdf "$work/links.pdf")" ||
    fail "orvandel-cli --pdf exited $?"
[ "$actual" = "shown@example.com" ] || fail "orvandel-cli --pdf found: $actual"

# Keynote decks, read by the reader installed beside the tool.
cp "$(dirname "$0")/../tests/data/keynote/planted2018.key" "$work/"
actual="$(env -u ORVANDEL_KEYNOTE_READER "$prefix/bin/orvandel-cli" "$work/planted2018.key")" ||
    fail "orvandel-cli over a Keynote deck exited $?"
[ "$actual" = "listitem@paragraphs.com" ] || fail "orvandel-cli over a Keynote deck found: $actual"

# The text of a picture, recognised by the reader installed beside the tool:
# a deck made by the test helpers would need them here, so a PDF page
# without text (a scan) stands in for a slide's picture.
cp "$(dirname "$0")/../tests/data/ocr/scan.pdf" "$work/"
actual="$(env -u ORVANDEL_PDF_READER -u ORVANDEL_OCR_READER "$prefix/bin/orvandel-cli" --pdf --ocr \
    "$work/scan.pdf")" || fail "orvandel-cli --pdf --ocr exited $?"
[ "$actual" = "jobs@example.com" ] || fail "orvandel-cli --pdf --ocr found: $actual"

# Desktop integration.
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" >"$work/as.out" 2>&1 ||
    { cat "$work/as.out"; fail "appstreamcli validate"; }
for size in 16 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "no ${size}x${size} icon"
done
for page in orvandel orvandel-cli; do
    file="$prefix/share/man/man1/$page.1.gz"
    [ -s "$file" ] || { fail "no manual page $page(1)"; continue; }
    warnings="$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done

[ "$failed" = 0 ] && echo "installed copy under $prefix: all checks passed"
exit "$failed"
