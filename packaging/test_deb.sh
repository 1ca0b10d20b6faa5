#!/usr/bin/env bash
# Makes the Debian package from a build, checks its control data and lintian's
# verdict, unpacks it and checks the unpacked copy as an installed one.
#   packaging/test_deb.sh BUILD_DIR [DEB]    (with DEB, checks that package instead)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ $# -ge 2 ]; then
    deb="$2"
else
    (cd "$build" && cpack -G DEB -B "$work/package" >/dev/null 2>&1)
    deb="$(ls "$work"/package/orvandel_*.deb)"
fi
depends="$(dpkg-deb -f "$deb" Depends)"
# pugixml is linked statically (CMakeLists.txt), so it is no dependency; the
# PDF reader process brings Qt PDF and qpdf, the Keynote reader libetonyek,
# the text recognition reader Tesseract.
for library in libqt6widgets6 libqt6pdf6 libqpdf29 libetonyek-0.1-1 libtesseract5 libzip4 libdeflate0 libc6; do
    case "$depends" in
    *"$library "* | *"$library,"* | *"$library") ;;
    *) echo "FAILED: Depends lacks $library: $depends"; exit 1 ;;
    esac
done
# Errors and warnings fail; information tags (hardening of a plain build) do not.
if ! lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1; then
    grep -v 'running with root privileges' "$work/lintian"
    echo "FAILED: lintian"
    exit 1
fi
dpkg-deb -x "$deb" "$work/root"
"$here/check_installed.sh" "$work/root/usr"
echo "package $(basename "$deb"): all checks passed"
