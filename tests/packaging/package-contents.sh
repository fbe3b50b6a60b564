#!/usr/bin/env bash
# Builds the two Debian packages from the build tree into a temporary folder and checks them
# from the outside: control fields and runtime dependencies, the file lists, the desktop entry,
# the icons, the documents and that the maintainer scripts never fail an installation.
# Usage: package-contents.sh BUILD_DIR ZEB_EXECUTABLE PROJECT_VERSION
set -euo pipefail
build=$1 exe=$2 version=$3

if [ -z "$exe" ] || [ ! -x "$exe" ]; then
    echo "SKIP: the program is not built (${exe:-no zeb target in this tree}); nothing to package."
    exit 77
fi

# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"

build_debs "$build" "$tmp/out"

# Control fields of both packages.
field() { dpkg-deb -f "$1" "$2"; }
for deb in "$deb_headless" "$deb_window"; do
    [ "$(field "$deb" Version)" = "$version-1" ] ||
        fail "$(basename "$deb"): Version is '$(field "$deb" Version)', the project is $version"
    [ "$(field "$deb" Section)" = sound ] || fail "$(basename "$deb"): Section is '$(field "$deb" Section)'"
    [ -n "$(field "$deb" Maintainer)" ] || fail "$(basename "$deb"): no Maintainer"
    [ -n "$(field "$deb" Description)" ] || fail "$(basename "$deb"): no Description"
done
[ "$(field "$deb_headless" Package)" = zeb-headless ] || fail "Package is '$(field "$deb_headless" Package)'"
[ "$(field "$deb_window" Package)" = zeb ] || fail "Package is '$(field "$deb_window" Package)'"

# Every library a program links must be a dependency, by package name (versions may follow);
# the headless package needs no Qt, and the window needs the headless one of its own version.
depends_on() { # deb package
    tr ',' '\n' <<<"$(field "$1" Depends)" | grep -Eq "^ *$2( |\$)"
}
echo "zeb-headless Depends: $(field "$deb_headless" Depends)"
echo "zeb Depends: $(field "$deb_window" Depends)"
for pkg in libpulse0 libfftw3-single3 libftdi1-2 libserialport0 libsndfile1 libola1 libaubio5; do
    depends_on "$deb_headless" "$pkg" || fail "zeb-headless Depends lacks $pkg"
done
for pkg in libqt6widgets6 libqt6gui6 libqt6core6; do
    depends_on "$deb_window" "$pkg" || fail "zeb Depends lacks $pkg"
done
grep -q 'qt6' <<<"$(field "$deb_headless" Depends)" && fail "zeb-headless depends on Qt"
tr ',' '\n' <<<"$(field "$deb_window" Depends)" | grep -qx " *zeb-headless (= $version-1)" ||
    fail "zeb does not depend on zeb-headless (= $version-1)"
tr ',' '\n' <<<"$(field "$deb_window" Recommends)" | grep -Eq '^ *qt6-wayland( |$)' ||
    fail "Recommends lacks qt6-wayland (the window on Wayland without XWayland)"

# The file lists, all under /usr. zeb-headless: the service program, the DMX and tempo modules,
# the user service, device rules and documents; zeb: the window, its menu entry, icons,
# AppStream description and documents.
files_of() { # deb
    dpkg-deb -c "$1" | awk '$1 ~ /^l/ { print $(NF - 2) } $1 ~ /^-/ { print $NF }' | sed 's|^\./||' | sort
}
expect_files() { # deb files...
    local deb=$1
    shift
    printf '%s\n' "$@" | sort >"$tmp/expected"
    files_of "$deb" >"$tmp/files"
    diff -u "$tmp/expected" "$tmp/files" ||
        fail "$(basename "$deb")'s file list differs from the expected one (- expected, + packaged)"
}
expect_files "$deb_headless" usr/bin/zeb-headless usr/lib/zeb/zeb-ola.so usr/lib/zeb/zeb-aubio.so \
    usr/lib/systemd/user/zeb.service usr/lib/udev/rules.d/70-zeb.rules \
    usr/share/man/man1/zeb-headless.1.gz \
    usr/share/doc/zeb-headless/copyright usr/share/doc/zeb-headless/changelog.Debian.gz
window_files=(usr/bin/zeb usr/share/applications/zeb.desktop
    usr/share/icons/hicolor/scalable/apps/zeb.svg usr/share/metainfo/org.example.zeb.metainfo.xml
    usr/share/man/man1/zeb.1.gz usr/share/doc/zeb/copyright usr/share/doc/zeb/changelog.Debian.gz)
for n in 16 22 24 32 48 64 128 256; do
    window_files+=("usr/share/icons/hicolor/${n}x${n}/apps/zeb.png")
done
expect_files "$deb_window" "${window_files[@]}"

# Both unpacked into one root, as apt installs them: `zeb --headless` finds the service program
# beside it, which reports the missing sound file (not a program that cannot be started).
dpkg-deb -x "$deb_headless" "$tmp/root"
dpkg-deb -x "$deb_window" "$tmp/root"
if [ "$(dpkg-deb -f "$deb_window" Architecture)" = "$(dpkg --print-architecture)" ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$tmp" XDG_CONFIG_HOME="$tmp/config" \
        ZEB_AUDIO_FILE="$tmp/none.wav" timeout 10 "$tmp/root/usr/bin/zeb" --headless >"$tmp/headless.log" 2>&1 || true
    grep -q 'none.wav' "$tmp/headless.log" ||
        fail "zeb --headless did not run the packaged zeb-headless: $(cat "$tmp/headless.log")"
fi

# Unpacked: the programs, the desktop entry and the icons must be what their names say.
for program in zeb zeb-headless; do
    file -b "$tmp/root/usr/bin/$program" | grep -q '^ELF .*executable' ||
        fail "usr/bin/$program is not an executable: $(file -b "$tmp/root/usr/bin/$program")"
done
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

# The documents of each package (lintian judges the manual pages): the changelog's newest
# entry is this version, the copyright file is in Debian's machine-readable format.
for docs in "$tmp"/root/usr/share/doc/zeb "$tmp"/root/usr/share/doc/zeb-headless; do
    gzip -dc "$docs/changelog.Debian.gz" >"$tmp/changelog"
    changelog_version=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)
    [ "$changelog_version" = "$version-1" ] ||
        fail "$docs: the changelog's newest entry is $changelog_version, the package $version-1"
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
        "$docs/copyright" || fail "$docs/copyright is not machine-readable"
    grep -q '^License: GPL-3+$' "$docs/copyright" || fail "$docs/copyright names no GPL-3+"
done

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
dpkg-deb -e "$deb_headless" "$tmp/control"
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
