#!/usr/bin/env bash
# Regenerates the OpenDocument presentation samples in this folder: writes
# small presentation packages with make_ppt_samples.py and make_odp_samples.py
# and converts them with a locally installed office suite (needed only to rerun
# this script, never by the tests):
#   apt-get install -y --no-install-recommends libreoffice-impress
# fields.pptx, the source of fields.odp, is kept beside it for the tests.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

convert() { # FORMAT FILE
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to "$1" --outdir "$work" \
        "$2" >/dev/null 2>&1
}

for name in placeholders three_slides; do
    python3 "$here/make_ppt_samples.py" "$name" "$work/$name.pptx"
    convert odp "$work/$name.pptx"
    cp "$work/$name.odp" "$here/$name.odp"
done
convert fodp "$work/placeholders.pptx"
cp "$work/placeholders.fodp" "$here/placeholders.fodp"

(cd "$here" && python3 make_odp_samples.py "$work/fields.pptx")
convert odp "$work/fields.pptx"
cp "$work/fields.pptx" "$work/fields.odp" "$here/"
