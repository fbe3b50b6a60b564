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

# build_debs BUILD_DIR OUT_DIR sets `deb_headless` and `deb_window` to the two packages built
# from the build tree (zeb-headless_*.deb, zeb_*.deb), or ends the script with a failure.
build_debs() {
    cpack -G DEB --config "$1/CPackConfig.cmake" -B "$2" >"$2.log" 2>&1 ||
        { cat "$2.log"; echo "FAIL: cpack could not build the packages"; exit 1; }
    local headless=("$2"/zeb-headless_*.deb) window=("$2"/zeb_*.deb)
    if [ ${#headless[@]} -ne 1 ] || [ ! -f "${headless[0]}" ] ||
        [ ${#window[@]} -ne 1 ] || [ ! -f "${window[0]}" ]; then
        ls -l "$2"
        echo "FAIL: expected one zeb-headless_*.deb and one zeb_*.deb"
        exit 1
    fi
    deb_headless=${headless[0]} deb_window=${window[0]}
    echo "packages: $(basename "$deb_headless") $(basename "$deb_window")"
}
