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
"$BIN/wintav32" --device "tcp://127.0.0.1:$SIM_PORT"
