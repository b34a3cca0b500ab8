#!/usr/bin/env bash
# wine_e2e.sh LINUX_BUILD WINDOWS_BUILD
#
# varnadex-cli.exe under Wine against varnadex-sim on Linux, next to the Linux varnadex-cli
# doing the same: read and write over a COM port that Wine maps to the simulator's pty, the
# same over SNMP to the simulator's agent on loopback, and a firmware download. Each client
# gets a fresh simulator; the simulators' logs of what reached them, and what the clients
# printed, must be the same byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${1:-build}
windows_build=${2:-build-windows}
sim=$linux_build/sim/varnadex-sim
linux_cli=$linux_build/cli/varnadex-cli
windows_cli=$windows_build/cli/varnadex-cli.exe
for f in "$sim" "$linux_cli" "$windows_cli"; do
    [ -e "$f" ] || { echo "wine_e2e: $f is missing; build it first" >&2; exit 1; }
done
source scripts/wine-env.sh "$windows_build"

work=$(mktemp -d "$windows_build/e2e.XXXXXX")
work=$(cd "$work" && pwd)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -f "$WINEPREFIX/dosdevices/com12"
    "$WINESERVER" -k 2>/dev/null || true
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
# One wineserver for the whole run, instead of one per program start.
"$WINESERVER" -p 2>/dev/null

# start_sim LOG [ARGS...]: a fresh simulator; sets pty and agent.
start_sim() {
    local log=$1
    shift
    "$sim" --log "$work/$log" --snmp 127.0.0.1:0 "$@" >"$work/sim.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        grep -q '^snmp ' "$work/sim.out" && break
        sleep 0.05
    done
    pty=$(awk '$1 == "serial" {print $2; exit}' "$work/sim.out")
    agent=$(awk '$1 == "snmp" {print $2; exit}' "$work/sim.out")
    if [ -z "$pty" ] || [ -z "$agent" ]; then
        cat "$work/sim.out" >&2
        exit 1
    fi
    # COM12, not COM1: a port above COM9 goes through the device namespace.
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/com12"
}
stop_sim() {
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
}

# The image: an 18-byte header, never sent, and 3000 bytes.
python3 -c 'import sys; sys.stdout.buffer.write(b"H" * 18 + bytes((i * 7 + i // 256) % 256 for i in range(3000)))' \
    >"$work/image.qfw"
python3 -c 'import sys; sys.stdout.buffer.write(b"H" * 18 + bytes(i % 251 for i in range(20000)))' \
    >"$work/large.qfw"

failures=0
# session NAME: every operation with one client, against fresh simulators.
session() {
    local name=$1 out=$work/$1
    mkdir -p "$out"
    start_sim "$name-config.log"
    port=$(port_name)
    local status=0
    client --lang en --port "$port" read >"$out/read-serial.json" 2>"$out/read-serial.err" || status=$?
    # The file to write: what was read, with other values, so that registers change.
    sed -e 's/"remotePort": "[0-9]*"/"remotePort": "4321"/' \
        -e 's/"localPort": "[0-9]*"/"localPort": "1234"/' "$out/read-serial.json" | tr -d '\r' \
        >"$work/$name-beállítás.json"
    client --lang en --port "$port" write "$(file_arg "$work/$name-beállítás.json")" \
        2>"$out/write-serial.err" || status=$?
    client --lang en --host "$agent" --community kelvin read >"$out/read-snmp.json" \
        2>"$out/read-snmp.err" || status=$?
    client --lang en --host "$agent" --community kelvin write "$(file_arg "$work/$name-beállítás.json")" \
        2>"$out/write-snmp.err" || status=$?
    client --lang en --host "$agent" --community kelvin read --output "$(file_arg "$out/read-back.json")" \
        2>"$out/read-back.err" || status=$?
    stop_sim

    start_sim "$name-firmware.log" --fault boot --fault boot-image-size=3000 \
        --image "$work/$name-image.bin"
    port=$(port_name)
    client --lang en --port "$port" firmware "$(file_arg "$work/image.qfw")" \
        2>"$out/firmware.err" || status=$?
    stop_sim
    echo "$status" >"$out/status"

    # Ctrl-C (SIGINT; under Wine the console's Ctrl-C event) in the middle of a download: the
    # program stops between two slices and ends with 130. What has been sent by then is the
    # clock's business, so only the status and the last message are compared.
    start_sim "$name-stop.log" --fault boot --fault boot-image-size=20000
    port=$(port_name)
    "${client_command[@]}" --lang en --port "$port" firmware "$(file_arg "$work/large.qfw")" \
        2>"$out/stop.err" &
    local pid=$!
    sleep 4
    kill -INT "$pid" 2>/dev/null || true
    local stopped=0
    wait "$pid" || stopped=$?
    echo "$stopped" >"$out/stop-status"
    tail -n 1 "$out/stop.err" >"$out/stop-message"
    stop_sim
}

# Per client: how it is started, how it names a file, and the serial port it is given.
client_command=("$linux_cli")
client() { "${client_command[@]}" "$@"; }
file_arg() { echo "$1"; }
port_name() { echo "$pty"; }
start=$(date +%s)
session linux
linux_time=$(( $(date +%s) - start ))

client_command=("$WINE" "$windows_cli")
# Windows sees the Linux file system as drive Z:.
file_arg() { echo "Z:${1//\//\\}"; }
port_name() { echo COM12; }
start=$(date +%s)
session windows
windows_time=$(( $(date +%s) - start ))

compare() {
    local what=$1 a=$2 b=$3
    # The console's text mode ends the Windows client's lines with CR LF; the download's rate
    # and time left are the clock's, not the program's.
    local same='s/\r$//; s/[0-9]* B\/s, [0-9:]* left/(rate)/'
    if diff <(sed "$same" "$a") <(sed "$same" "$b") >"$work/diff"; then
        echo "same:     $what"
    else
        echo "DIFFERENT: $what" >&2
        cat "$work/diff" >&2
        failures=$((failures + 1))
    fi
}
for log in config firmware; do
    compare "the simulator's log ($log)" "$work/linux-$log.log" "$work/windows-$log.log"
done
tail -c +19 "$work/image.qfw" >"$work/image.bin"
for who in linux windows; do
    if cmp "$work/image.bin" "$work/$who-image.bin"; then
        echo "same:     the firmware image sent and the one received from $who"
    else
        failures=$((failures + 1))
    fi
done
for f in read-serial.json read-snmp.json read-back.json status read-serial.err write-serial.err \
         read-snmp.err write-snmp.err firmware.err stop-status stop-message; do
    compare "$f" "$work/linux/$f" "$work/windows/$f"
done
# The same and right: the writes reached the converter, and the download succeeded.
grep -q '"remotePort": "4321"' "$work/windows/read-back.json" ||
    { echo "the write over the COM port and SNMP did not take" >&2; failures=$((failures + 1)); }
grep -q 'firmware: 3000/3000 bytes (100%)' "$work/windows/firmware.err" ||
    { echo "the firmware download did not finish" >&2; failures=$((failures + 1)); }
[ "$(cat "$work/windows/stop-status")" = 130 ] ||
    { echo "Ctrl-C did not stop the download with 130" >&2; failures=$((failures + 1)); }
[ "$(cat "$work/windows/status")" = 0 ] ||
    { echo "an operation failed:" >&2; cat "$work/windows"/*.err >&2; failures=$((failures + 1)); }
echo "wine e2e: Linux client ${linux_time} s, Windows client under Wine ${windows_time} s;" \
     "$(wc -l <"$work/windows-config.log") + $(wc -l <"$work/windows-firmware.log") simulator log lines compared"
if ((failures)); then
    echo "wine e2e: $failures failed" >&2
    exit 1
fi
echo "wine e2e: passed"
