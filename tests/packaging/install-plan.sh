#!/usr/bin/env bash
# Simulates what the README's two commands install (scripts/install-deps run and test) with
# apt-get -s on a PipeWire desktop of our own making, and fails on any removal. The desktop
# holds pipewire-audio (which conflicts with pulseaudio), pipewire-pulse, pipewire-alsa,
# wireplumber and a meta-package that needs them, as GNOME's does. Also checks that a fresh
# machine, with no sound server, is the one that gets pulseaudio.
# Needs the machine's apt package lists; reads them, changes nothing.
# Usage: install-plan.sh SOURCE_DIR
set -euo pipefail
deps=$1/scripts/install-deps

if ! apt-cache show pipewire-audio >/dev/null 2>&1; then
    echo "SKIP: apt has no package lists that know pipewire-audio (apt-get update first)."
    exit 77
fi

# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"
mkdir "$tmp/fresh" "$tmp/desktop"
touch "$tmp/fresh/status" "$tmp/no-marks"
# apt's caches of the package lists, kept here: the machine's own do not fit these states.
printf 'Dir::Cache::pkgcache "%s/pkgcache.bin";\nDir::Cache::srcpkgcache "%s/srcpkgcache.bin";\n' \
    "$tmp" "$tmp" >"$tmp/apt.conf"
export APT_CONFIG=$tmp/apt.conf
simulate() { # status-file packages...
    local status=$1
    shift
    apt-get -s -o Dir::State::status="$status" -o Dir::State::extended_states="$tmp/no-marks" \
        install --no-install-recommends "$@"
}

# The desktop's state: exactly what apt installs for pipewire-audio on an empty machine, so
# every dependency is met, then a meta-package standing for gnome-core on top.
simulate "$tmp/fresh/status" pipewire-audio pipewire-pulse pipewire-alsa wireplumber \
    >"$tmp/desktop-plan"
mapfile -t desktop < <(awk '$1 == "Inst" { print $2 }' "$tmp/desktop-plan")
[ ${#desktop[@]} -gt 0 ] || { cat "$tmp/desktop-plan"; echo "FAIL: no plan for a PipeWire desktop"; exit 1; }
# dpkg refuses the archive's own fields (Filename, checksums) in a status file.
apt-cache show --no-all-versions "${desktop[@]}" | awk '
    /^[^ \t]/ { keep = $1 ~ /^(Package|Version|Architecture|Multi-Arch|Essential|Depends|Pre-Depends|Provides|Conflicts|Breaks|Replaces|Maintainer|Description):$/ }
    /^$/ { print; next }
    keep { print }
    /^Package:/ { print "Status: install ok installed" }' >"$tmp/desktop/status"
cat >>"$tmp/desktop/status" <<'EOF'

Package: zeb-test-desktop
Status: install ok installed
Priority: optional
Section: metapackages
Maintainer: nobody <nobody@example.org>
Architecture: all
Version: 1
Depends: pipewire-audio, pipewire-alsa, pipewire-pulse
Description: stands for a desktop meta-package that needs PipeWire's sound

EOF

# The state is realistic: plain pulseaudio would take the desktop's sound away.
simulate "$tmp/desktop/status" pulseaudio >"$tmp/pulseaudio-plan" 2>&1 || true
grep -q '^Remv pipewire-audio' "$tmp/pulseaudio-plan" ||
    fail "the simulated desktop does not show the pulseaudio conflict: $(grep -c . "$tmp/pulseaudio-plan") lines"

for purpose in run test; do
    plan=$tmp/$purpose
    if ! "$deps" --simulate "$tmp/desktop" "$purpose" >"$plan" 2>&1; then
        tail -n 20 "$plan"
        fail "install-deps $purpose on the desktop: apt-get refuses the plan"
        continue
    fi
    grep -q '^Inst cmake ' "$plan" || fail "install-deps $purpose on the desktop installs no cmake"
    if grep '^Remv' "$plan"; then
        fail "install-deps $purpose on the desktop removes packages"
    fi
done
grep -q '^Inst pulseaudio ' "$tmp/test" &&
    fail "install-deps test installs pulseaudio beside PipeWire's PulseAudio service"
"$deps" --simulate "$tmp/fresh" --missing test | grep -qx pulseaudio ||
    fail "install-deps test gives a machine without a sound server no pulseaudio"

finish "install plans checked: no removals"
