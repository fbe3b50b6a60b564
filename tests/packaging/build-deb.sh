# shellcheck shell=bash
# Sourced by the package checks: builds the Debian package from a build tree into a folder.
# build_deb BUILD_DIR OUT_DIR sets `deb` to the package's path, or ends the script with a failure.
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
