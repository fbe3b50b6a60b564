#!/usr/bin/env bash
# The cross-built service program, run whole under the emulator: a sound file as its input
# (a tone in channel 5's band between two silences) and simulated lamps on the parallel port.
# Channel 5 must light with the tone and go dark after it, and SIGTERM must darken the port and
# end the program with status 0.
# Usage: emulated-headless-run.sh ZEB_HEADLESS [EMULATOR ARGS...]
set -euo pipefail
program=$1
shift
# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"

# 16-bit mono at 44100 Hz: 1.5 s silence, 1.5 s at 1701 Hz (FFT bin 79 of 2048, band 20, which
# channel 5 follows), 1.5 s silence.
perl -e '
    my $rate = 44100; my @samples;
    push @samples, (0) x ($rate * 1.5);
    push @samples, int(16000 * sin(2 * 3.14159265 * 1701.1 * $_ / $rate)) for 0 .. $rate * 1.5 - 1;
    push @samples, (0) x ($rate * 1.5);
    my $data = pack("s<*", @samples);
    print "RIFF", pack("V", 36 + length $data), "WAVEfmt ", pack("VvvVVvv", 16, 1, 1, $rate, $rate * 2, 2, 16),
        "data", pack("V", length $data), $data;' >"$tmp/tone.wav"
# The spectrum lifted to the top, channel 5 at its most sensitive, the parallel port at 378.
printf '%s\r\n' '[Value]' 'Sld2 =254' 'sLevel=254' 'Sld15=25' '[text]' 'Caption0=0' 'Caption1=4' \
    'Caption2=8' 'Caption3=12' 'Caption4=14' 'Caption5=20' 'Caption6=24' 'Caption7=29' 'Caption8=0' \
    'Caption9=0' 'Caption10=0' 'Caption11=0' '[Count]' 'Combo1=1' '[index]' 'Combo1=0' \
    '[CText]' 'Combo10=378' '[LPT]' 'LPORT=LPT' >"$tmp/set.ini"

mkdir "$tmp/sim"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$tmp" XDG_CONFIG_HOME="$tmp" ZEB_AUDIO_FILE="$tmp/tone.wav" \
    ZEB_SIMULATE="$tmp/sim" "$@" "$program" --config "$tmp/set.ini" >"$tmp/out.log" 2>&1 &
pid=$!
log=$tmp/sim/lpt.log
# Channel 5 lit (data 20), then channel 0 alone again (data 01) after the tone.
lit_then_dark() { [ -f "$log" ] && awk '$2 " " $3 " " $4 == "out 0378 20" { lit = 1 }
    lit && $2 " " $3 " " $4 == "out 0378 01" { found = 1 } END { exit !found }' "$log"; }
for _ in $(seq 150); do
    lit_then_dark && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
lit_then_dark || fail "channel 5 did not light with the tone and go dark after it"
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status after SIGTERM"
ending=$(tail -n 2 "$log" | cut -d' ' -f2- | tr '\n' ';')
[ "$ending" = "out 0378 00;out 037a 0b;" ] || fail "the parallel port does not end dark: $ending"
if [ "$failures" -ne 0 ]; then
    echo "--- program output ---"; cat "$tmp/out.log"
    echo "--- lpt.log (last lines) ---"; tail -n 5 "$log" 2>/dev/null || true
fi
finish "the emulated service program followed the tone and ended dark"
