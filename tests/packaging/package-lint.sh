#!/usr/bin/env bash
# Builds the Debian packages and has Debian's own checkers judge them: lintian must report
# neither errors nor warnings, and the AppStream description must validate.
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
build_debs "$build" "$tmp/out"
# Errors and warnings both fail, but for the one every first upload outside Debian carries:
# its changelog closes no "intent to package" bug.
for deb in "$deb_headless" "$deb_window"; do
    lintian --info --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb" ||
        fail "lintian reports errors or warnings on $(basename "$deb")"
done

dpkg-deb -x "$deb_window" "$tmp/root"
for metainfo in "$tmp"/root/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net --pedantic "$metainfo" ||
        fail "appstreamcli rejects $(basename "$metainfo")"
done

finish "lintian and appstream checks passed"
