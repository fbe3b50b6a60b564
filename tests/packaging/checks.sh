# shellcheck shell=bash
# Sourced by the package checks: a temporary folder `tmp` removed at exit, `fail` to count a
# failed check and go on, `finish` to end with the verdict, and `build_deb`.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# finish PASSED_TEXT: exits 1 when a check failed, else prints PASSED_TEXT.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "$1"
}

# build_deb BUILD_DIR OUT_DIR sets `deb` to the package built from the build tree, or ends the
# script with a failure.
build_deb() {
    cpack -G DEB --config "$1/CPackConfig.cmake" -B "$2" >"$2.log" 2>&1 ||
        { cat "$2.log"; echo "FAIL: cpack could not build the package"; exit 1; }
    local debs=("$2"/zeb_*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        ls -l "$2"
        echo "FAIL: expected one zeb_*.deb"
        exit 1
    fi
    deb=${debs[0]}
    echo "package: $(basename "$deb")"
}
