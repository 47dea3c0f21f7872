#!/usr/bin/env bash
# make demo: the simulator with the colour PostScript model on a free loopback port, and
# wintav32 connected to it. The simulator stops when the window closes.
set -euo pipefail
BUILD=${1:-build}
BIN=$(cd "$BUILD/bin" && pwd)
. "$(dirname "$0")/simctl.sh"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "demo: no display. Run it on a desktop, under xvfb-run, or look at 'make screenshots'." >&2
    exit 1
fi

trap sim_stop EXIT
sim_start "$BIN" "$BIN/profiles/color-ps.ini"
echo "tavsim: Quorvex CLP-3550PS on 127.0.0.1:$SIM_PORT (event log $SIM_LOG)"

# nux reads its printer from [DEVICE] DID of the comtav.ini in its program folder, so it gets a
# folder of its own: the demo model pointed at this simulator, and the device library beside it.
NUX_HOME=$(mktemp -d)
trap 'sim_stop; rm -rf "$NUX_HOME"' EXIT
ln -s "$BIN/libqvdevm.so" "$NUX_HOME/libqvdevm.so"
{ cat "$BIN/comtav.ini"; printf '\n[DEVICE]\nDID=tcp://127.0.0.1:%s\n' "$SIM_PORT"; } > "$NUX_HOME/comtav.ini"
echo "engine diagnostic panel, in a second terminal while this runs (the simulator, like a"
echo "printer, serves one connection at a time; nux gets its turn a few seconds after wintav32's"
echo "last exchange):"
echo "  WINTAV32_HOME=$NUX_HOME $BIN/nux"
"$BIN/wintav32" --device "tcp://127.0.0.1:$SIM_PORT"
