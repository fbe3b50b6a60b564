#!/usr/bin/env bash
# Rates the user service unit with systemd's own analyzer (offline, on the file) and fails above
# an exposure of 4.5. The options that would score better but cut the service off from its
# lamps (device files, the keyboard LEDs' sysfs files, /proc/sys/dev/parport) must stay out,
# and the sockets it needs must stay allowed.
# Usage: service-unit.sh UNIT_FILE
set -euo pipefail
unit=$1
command -v systemd-analyze >/dev/null || { echo "SKIP: systemd-analyze is not installed."; exit 77; }

# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"
cp "$unit" "$tmp/zeb.service"
systemd-analyze security --offline=true --no-pager "$tmp/zeb.service" >"$tmp/report" 2>&1 || true
score=$(sed -n 's/.*Overall exposure level for zeb.service: \([0-9.]*\).*/\1/p' "$tmp/report")
[ -n "$score" ] || { cat "$tmp/report"; echo "FAIL: systemd-analyze gave no exposure level"; exit 1; }
echo "exposure: $score"
awk -v s="$score" 'BEGIN { exit !(s <= 4.5) }' || { grep '✗' "$tmp/report"; fail "exposure $score is above 4.5"; }

setting() { sed -n "s/^$1=//p" "$unit" | tail -n 1; }
for closing in PrivateDevices ProtectKernelTunables ProtectClock DeviceAllow DevicePolicy ProcSubset; do
    [ -z "$(setting "$closing")" ] || fail "$closing=$(setting "$closing") closes a lamp output"
done
for family in AF_UNIX AF_NETLINK AF_INET AF_INET6; do
    grep -qw "$family" <<<"$(setting RestrictAddressFamilies)" || fail "RestrictAddressFamilies lacks $family"
done
[ "$(setting ProtectHome)" = read-only ] || fail "ProtectHome is '$(setting ProtectHome)', not read-only"
[ "$(setting ConfigurationDirectory)" = zeb ] || fail "the settings folder is not writable (ConfigurationDirectory=zeb)"

finish "service unit checks passed"
