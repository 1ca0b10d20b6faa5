#!/usr/bin/env bash
# Regenerates the example presentations in resources/Samples: writes small
# packages with make_samples.py and lets a locally installed office suite save
# them again as complete presentations (needed only to rerun this script):
#   apt-get install -y --no-install-recommends libreoffice-impress
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../Samples"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/raw" "$out"
python3 "$here/make_samples.py" "$work/raw"
for deck in "$work"/raw/*.pptx; do
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pptx --outdir "$work" \
        "$deck" >/dev/null 2>&1
    cp "$work/$(basename "$deck")" "$out/"
done
