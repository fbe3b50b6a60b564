#!/usr/bin/env bash
# Installs the build tree into a temporary prefix whose folders the program may not write, as
# in a system install, and runs the installed program in a virtual display with a WAV file as
# input and simulated lamp outputs. Checks that it shows its icon, keeps running, drives the
# simulated devices, reads its settings from the per-user folder and, on the exit button,
# saves them there.
# Usage: installed-program.sh BUILD_DIR ZEB_EXECUTABLE
set -euo pipefail

if [ "${1:-}" != --in-display ]; then
    build=$1 exe=$2
    if [ -z "$exe" ] || [ ! -x "$exe" ]; then
        echo "SKIP: the program is not built (${exe:-no zeb target in this tree}); nothing to install."
        exit 77
    fi
    for tool in xvfb-run xdotool sox; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps)"; exit 1; }
    done
    # As root every folder is writable, so a read-only bind mount in a private mount namespace
    # stands in for the system folder; other users get a folder without write permission.
    if [ "$(id -u)" -eq 0 ] && ! unshare -m true 2>/dev/null; then
        echo "SKIP: running as root without mount namespaces: cannot make the install read-only."
        exit 77
    fi

    tmp=$(mktemp -d)
    trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
    cmake --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log" ||
        { cat "$tmp/install.log"; echo "FAIL: cmake --install"; exit 1; }
    for f in bin/zeb bin/zeb-headless share/applications/zeb.desktop \
        share/icons/hicolor/64x64/apps/zeb.png lib/udev/rules.d/70-zeb.rules \
        lib/systemd/user/zeb.service lib/zeb/zeb-ola.so lib/zeb/zeb-aubio.so; do
        [ -e "$tmp/prefix/$f" ] || { echo "FAIL: the install lacks $f"; exit 1; }
    done
    [ "$(id -u)" -eq 0 ] || chmod -R a-w "$tmp/prefix"

    sox -n -r 44100 -c 1 -b 16 "$tmp/tone.wav" synth 2 sine 440 vol 0.5
    mkdir -p "$tmp/sim" "$tmp/config/zeb" "$tmp/home"
    mkdir -m 700 "$tmp/runtime"
    # A stored setup with the FTDI output on: the engine then writes the FTDI pins every tick.
    printf '[COM]\r\nCPORT=FTDI\r\n' >"$tmp/config/zeb/set.ini"

    status=0
    xvfb-run -a -s "-screen 0 1024x768x24" "$0" --in-display "$tmp" || status=$?
    exit "$status"
fi

tmp=$2
prefix=$tmp/prefix
settings=$tmp/config/zeb/set.ini
log=$tmp/zeb.log

launch=("$prefix/bin/zeb")
if [ "$(id -u)" -eq 0 ]; then
    # Mount in the new namespace, then exec the program: its process id stays the one we hold.
    # shellcheck disable=SC2016 # expanded by the inner shell
    launch=(unshare -m sh -c 'mount --bind -o ro "$1" "$1" && exec "$1/bin/zeb"' sh "$prefix")
fi
env -u QT_QPA_PLATFORM HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime" \
    ZEB_AUDIO_FILE="$tmp/tone.wav" ZEB_SIMULATE="$tmp/sim" "${launch[@]}" >"$log" 2>&1 &
pid=$!

finish() {
    echo "--- program output ---"
    cat "$log"
    echo "--- simulated device logs ---"
    for f in "$tmp"/sim/*.log; do [ -f "$f" ] && { echo "$f:"; tail -n 5 "$f"; }; done
    kill "$pid" 2>/dev/null || true
}
trap finish EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Message boxes carry the title "ZEB" too: the main window is the one at least 400 pixels wide.
main_window() {
    local id WIDTH=0
    for id in $(xdotool search --onlyvisible --name '^ZEB$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" | grep '^WIDTH=')"
        [ "$WIDTH" -ge 400 ] && { echo "$id"; return 0; }
    done
    return 1
}
window=
for _ in $(seq 75); do
    window=$(main_window) && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.2
done
[ -n "$window" ] || fail "no visible main window named ZEB within 15 s"
# Task bars and window switchers show the program's icon. (Read whole: grep -q would stop
# reading early and fail the pipe.)
icon=$(xprop -id "$window" _NET_WM_ICON) || true
grep -q 'Icon (' <<<"$icon" || fail "the window has no icon (_NET_WM_ICON)"
# A window manager would activate the window on display; Xvfb has none, so give it the focus.
timeout 5 xdotool windowfocus --sync "$window" || true
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program ended within 3 s of showing its window"

for _ in $(seq 50); do
    [ -s "$tmp/sim/ftdi.log" ] && break
    sleep 0.2
done
[ -s "$tmp/sim/ftdi.log" ] || fail "no FTDI device activity in $tmp/sim/ftdi.log"
grep -Eq '^[0-9]+ ' "$tmp/sim/ftdi.log" || fail "ftdi.log lines do not start with milliseconds"

# The exit button, 11 x 11 pixels at (416, 26) of the frameless window: save and quit.
xdotool mousemove --window "$window" 421 31 click 1
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the program still runs 10 s after the exit button"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status after the exit button"

[ ! -e "$prefix/bin/set.ini" ] || fail "set.ini was written beside the installed program"
grep -q '^\[ForeColor\]' "$settings" || fail "the exit button saved no settings to $settings"
grep -q '^CPORT=FTDI' "$settings" || fail "the stored output selection was not kept in $settings"

# The installed service finds the DMX output's module in its own lib folder: with nothing on
# the RPC port it is OLA's client that reports no olad, not a missing library.
printf '[COM]\r\nCPORT=0\r\n[DMX]\r\nSwitch=DMX\r\nRpcPort=1\r\n' >"$settings"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" \
    XDG_RUNTIME_DIR="$tmp/runtime" ZEB_AUDIO_FILE="$tmp/tone.wav" \
    timeout -s TERM 3 "$prefix/bin/zeb" --headless >"$log" 2>&1 || true
grep -q 'No OLA daemon (olad) answers on port 1' "$log" ||
    fail "the installed headless program did not reach OLA's client (module in lib/zeb)"
trap - EXIT
echo "installed program checks passed"
