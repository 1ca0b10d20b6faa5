#!/usr/bin/env bash
# Installs a build into a temporary prefix (cmake --install with DESTDIR) and
# checks the installed copy, then the same copy moved elsewhere.
#   packaging/test_install.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
"$here/check_installed.sh" "$work/root/usr"
mv "$work/root/usr" "$work/moved"
"$here/check_installed.sh" "$work/moved"
