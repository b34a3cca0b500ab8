#!/usr/bin/env bash
# Installs what is missing, builds, starts the converter simulator and runs the desktop
# program against it; where there is no display, reads the simulated converter with the
# command-line tool over both transports instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh normal

simout=$(mktemp)
build/sim/varnadex-sim --snmp 127.0.0.1:0 >"$simout" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -f "$simout"' EXIT
for _ in $(seq 50); do
    grep -q '^snmp ' "$simout" && grep -q '^serial ' "$simout" && break
    sleep 0.1
done
pty=$(awk '$1 == "serial" {print $2; exit}' "$simout")
agent=$(awk '$1 == "snmp" {print $2; exit}' "$simout")
if [ -z "$pty" ] || [ -z "$agent" ]; then
    echo "The simulator did not start:" >&2
    cat "$simout" >&2
    exit 1
fi
echo "Simulated converter: serial port $pty, SNMP agent $agent (community \"kelvin\")"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the desktop program; choose \"COM Port\" or \"Network\" and press \"Read Conf\"."
    build/ui/varnadex --port "$pty" --host "$agent" "$@"
else
    echo "No display: reading the simulated converter with varnadex-cli instead."
    echo "== over the serial link"
    build/cli/varnadex-cli --lang en --port "$pty" read --format text
    echo "== over SNMP"
    build/cli/varnadex-cli --lang en --host "$agent" read --format text

    # A small simulated site on loopback: find its converters, then back them all up.
    fleetout=$(mktemp)
    build/sim/varnadex-sim --snmp 127.1.0.1:16161 --agents 8 >"$fleetout" 2>&1 &
    fleet=$!
    trap 'kill $sim $fleet 2>/dev/null; wait $sim $fleet 2>/dev/null; rm -f "$simout" "$fleetout"' EXIT
    for _ in $(seq 50); do grep -q '^snmp ' "$fleetout" && break; sleep 0.1; done
    echo "== scan of a simulated site (127.1.0.0/28)"
    build/cli/varnadex-cli scan 127.1.0.0/28 --snmp-port 16161 --format text
    echo "== backup of every converter found"
    hosts=$(mktemp)
    { echo host; build/cli/varnadex-cli scan 127.1.0.0/28 --snmp-port 16161 |
        sed -n 's/.*"host": *"\([0-9.]*\)", *"port": *\([0-9]*\).*/\1:\2/p'; } >"$hosts"
    build/cli/varnadex-cli --hosts "$hosts" read | cut -c1-100
    rm -f "$hosts"
fi
