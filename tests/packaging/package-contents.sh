#!/usr/bin/env bash
# Builds the Debian package from the build tree into a temporary folder and checks it from the
# outside: control fields and runtime dependencies, the file list, the desktop entry, the icons,
# the documents and that the maintainer scripts never fail an installation.
# Usage: package-contents.sh BUILD_DIR ZEB_EXECUTABLE PROJECT_VERSION
set -euo pipefail
build=$1 exe=$2 version=$3

if [ -z "$exe" ] || [ ! -x "$exe" ]; then
    echo "SKIP: the program is not built (${exe:-no zeb target in this tree}); nothing to package."
    exit 77
fi

# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"

build_deb "$build" "$tmp/out"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zeb ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version-1" ] || fail "Version is '$(field Version)', the project is $version"
[ "$(field Section)" = sound ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# Every library the program links must be a dependency, by package name (versions may follow).
depends=$(field Depends)
echo "Depends: $depends"
for pkg in libqt6widgets6 libqt6gui6 libqt6core6 libpulse0 libfftw3-single3 libftdi1-2 \
    libserialport0 libsndfile1; do
    tr ',' '\n' <<<"$depends" | grep -Eq "^ *${pkg}( |\$)" || fail "Depends lacks $pkg"
done
tr ',' '\n' <<<"$(field Recommends)" | grep -Eq '^ *qt6-wayland( |$)' ||
    fail "Recommends lacks qt6-wayland (the window on Wayland without XWayland)"

# The file list: exactly the program and its headless sibling, the DMX output's module, its menu
# entry, icons, user service, device rules and documents, all under /usr.
dpkg-deb -c "$deb" | awk '$1 ~ /^l/ { print $(NF - 2) } $1 ~ /^-/ { print $NF }' | sed 's|^\./||' | sort >"$tmp/files"
expected=(usr/bin/zeb usr/bin/zeb-headless usr/share/applications/zeb.desktop
    usr/share/icons/hicolor/scalable/apps/zeb.svg usr/lib/udev/rules.d/70-zeb.rules
    usr/lib/systemd/user/zeb.service usr/lib/zeb/zeb-ola.so)
for n in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${n}x${n}/apps/zeb.png")
done
expected+=(usr/share/doc/zeb/copyright usr/share/doc/zeb/changelog.Debian.gz
    usr/share/man/man1/zeb.1.gz usr/share/man/man1/zeb-headless.1.gz
    usr/share/metainfo/org.example.zeb.metainfo.xml)
printf '%s\n' "${expected[@]}" | sort >"$tmp/expected"
if ! diff -u "$tmp/expected" "$tmp/files"; then
    fail "the package's file list differs from the expected one (- expected, + packaged)"
fi

# Unpacked: the program, the desktop entry and the icons must be what their names say.
dpkg-deb -x "$deb" "$tmp/root"
file -b "$tmp/root/usr/bin/zeb" | grep -q '^ELF .*executable' ||
    fail "usr/bin/zeb is not an executable: $(file -b "$tmp/root/usr/bin/zeb")"
entry=$tmp/root/usr/share/applications/zeb.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
for key in "Name=ZEB" "Exec=zeb" "Icon=zeb" "Terminal=false"; do
    grep -qx "$key" "$entry" || fail "the desktop entry lacks $key"
done
grep -q '^Categories=.*AudioVideo;' "$entry" || fail "the desktop entry is not in AudioVideo"
for n in 16 22 24 32 48 64 128 256; do
    png=$tmp/root/usr/share/icons/hicolor/${n}x${n}/apps/zeb.png
    file -b "$png" | grep -q "PNG image data, $n x $n," ||
        fail "${n}x${n} icon is $(file -b "$png")"
done

# The documents (lintian judges the manual page): the changelog's newest entry is this
# package, the copyright file is in Debian's machine-readable format.
docs=$tmp/root/usr/share/doc/zeb
gzip -dc "$docs/changelog.Debian.gz" >"$tmp/changelog"
changelog_version=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)
[ "$changelog_version" = "$(field Version)" ] ||
    fail "the changelog's newest entry is $changelog_version, the package $(field Version)"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$docs/copyright" || fail "the copyright file is not machine-readable"
grep -q '^License: GPL-3+$' "$docs/copyright" || fail "the copyright file names no GPL-3+"

# The keyboard LEDs: their two LED-class files only; the input devices, which carry every
# keystroke, to nobody.
rules=$tmp/root/usr/lib/udev/rules.d/70-zeb.rules
grep -v '^#' "$rules" | grep -Eq 'SUBSYSTEM=="input"|event[*0-9]' && fail "the udev rules open input devices"
granted=$(grep -v '^#' "$rules" | grep 'SUBSYSTEM=="leds"' | grep -o '/sys%p/[a-z_]*' | sort -u | tr '\n' ' ')
[ "$granted" = "/sys%p/brightness /sys%p/trigger " ] ||
    fail "the keyboard-LED rule grants '$granted', not exactly brightness and trigger"
grep -v '^#' "$rules" | grep 'idVendor}=="0403"' | grep -q 'TAG+="uaccess"' ||
    fail "FTDI chips do not get uaccess"
grep -v '^#' "$rules" | grep 'parport' | grep -q 'TAG+="uaccess"' ||
    fail "parallel ports do not get uaccess"

# Maintainer scripts: present, executable, and never fatal, even when udev is not running.
dpkg-deb -e "$deb" "$tmp/control"
mkdir "$tmp/fakebin"
printf '#!/bin/sh\necho "udevadm $*" >>"%s"\nexit 1\n' "$tmp/udevadm.calls" >"$tmp/fakebin/udevadm"
chmod +x "$tmp/fakebin/udevadm"
for script in postinst:configure postrm:remove postrm:purge; do
    name=${script%%:*} arg=${script#*:}
    [ -x "$tmp/control/$name" ] || { fail "no executable $name"; continue; }
    PATH="$tmp/fakebin:$PATH" "$tmp/control/$name" "$arg" ||
        fail "$name $arg fails when udevadm fails"
done
grep -q 'control --reload-rules' "$tmp/udevadm.calls" 2>/dev/null ||
    fail "the maintainer scripts never reload the udev rules"

finish "package checks passed"
