#!/usr/bin/env bash
# Regenerates the binary presentation samples in this folder: writes small
# presentation packages with make_ppt_samples.py and converts them with a
# locally installed office suite (needed only to rerun this script, never by
# the tests):
#   apt-get install -y --no-install-recommends libreoffice-impress
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for name in placeholders three_slides; do
    python3 "$here/make_ppt_samples.py" "$name" "$work/$name.pptx"
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to ppt --outdir "$work" \
        "$work/$name.pptx" >/dev/null 2>&1
    cp "$work/$name.ppt" "$here/$name.ppt"
done
