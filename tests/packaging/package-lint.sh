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

# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"
build_deb "$build" "$tmp/out"
# lintian fails on errors only; its warnings are printed for the reader.
lintian_status=0
lintian --info "$deb" >"$tmp/lintian.log" 2>&1 || lintian_status=$?
cat "$tmp/lintian.log"
if [ "$lintian_status" -ne 0 ] || grep -q '^E: ' "$tmp/lintian.log"; then
    fail "lintian reports errors"
fi

dpkg-deb -x "$deb" "$tmp/root"
for metainfo in "$tmp"/root/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net --pedantic "$metainfo" ||
        fail "appstreamcli rejects $(basename "$metainfo")"
done

finish "lintian and appstream checks passed"
