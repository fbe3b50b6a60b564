#!/usr/bin/env bash
# Builds the Debian package and has Debian's own checkers judge it: lintian must report no
# errors (its warnings are printed), and the AppStream description must validate.
# Usage: package-lint.sh BUILD_DIR ZEB_EXECUTABLE
set -euo pipefail
build=$1 exe=$2

if [ -z "$exe" ] || [ ! -x "$exe" ]; then
    echo "SKIP: the program is not built (${exe:-no zeb target in this tree}); nothing to package."
    exit 77
fi
for tool in lintian appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed."; exit 77; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# shellcheck source=tests/packaging/build-deb.sh
. "$(dirname "$0")/build-deb.sh"
build_deb "$build" "$tmp/out"
failures=0

# lintian exits non-zero on errors only; it warns about running as root, which tests may do.
if ! lintian --info "$deb" >"$tmp/lintian.log" 2>&1; then
    failures=$((failures + 1))
fi
cat "$tmp/lintian.log"
if grep -q '^E: ' "$tmp/lintian.log"; then
    echo "FAIL: lintian reports errors"
    failures=$((failures + 1))
fi

dpkg-deb -x "$deb" "$tmp/root"
for metainfo in "$tmp"/root/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net --pedantic "$metainfo" ||
        { echo "FAIL: appstreamcli rejects $(basename "$metainfo")"; failures=$((failures + 1)); }
done

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "lintian and appstream checks passed"
