#!/usr/bin/env bash
# Screenshots of nux against the simulator, on the offscreen platform:
#   <build>/screenshots/nux-normal.png   the display after Menu was pressed
#   <build>/screenshots/nux-pressed.png  the same with the Enter key held down
# Usage: tools/screenshots-nux.sh [BUILD_DIR]   (tools/screenshots.sh calls it last)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
BIN=$BUILD/bin
OUT=$BUILD/screenshots
PROFILE=${NUX_PROFILE:-$BIN/profiles/mono-pcl.ini}
. "$(dirname "$0")/simctl.sh"
for f in "$BIN/nux-driven" "$BIN/tavsim" "$BIN/libqvdevm.so" "$PROFILE"; do
    [ -e "$f" ] || { echo "screenshots-nux: missing $f (build first)" >&2; exit 1; }
done
mkdir -p "$OUT"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/nuxshots.XXXXXX")
trap 'sim_stop; rm -rf "$WORK" "${SIM_DIR:-}"' EXIT
mkdir -m 700 "$WORK/run" "$WORK/home"
sim_start "$BIN" "$PROFILE"

# nux takes its device from comtav.ini in its program folder: a folder of its own, with the
# model file and the device library beside it.
ln -s "$BIN/libqvdevm.so" "$WORK/home/libqvdevm.so"
printf '[DEVICE]\r\nVID=0x04e8\r\nPID=0x3f0c\r\nDID=tcp://127.0.0.1:%s\r\n[DEBUG]\r\nDEBUG=0\r\n' "$SIM_PORT" \
    >"$WORK/home/comtav.ini"

# The driven nux (see tests/drivers/NuxScript.h): it clicks, grabs and exits by itself.
cat >"$WORK/script" <<SCRIPT
click 1000
print
grab $OUT/nux-normal.png
hover 1002
press 1002
grab $OUT/nux-pressed.png
click 1
SCRIPT

status=0
WINTAV32_HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=offscreen \
    TAV_DEBUG_FILE="$WORK/nux.log" timeout 60 "$BIN/nux-driven" --script "$WORK/script" >"$WORK/out" || status=$?
# Exit ends nux with the Exit button's id, 1.
if [ "$status" -ne 1 ] || [ ! -s "$OUT/nux-normal.png" ] || [ ! -s "$OUT/nux-pressed.png" ]; then
    echo "screenshots-nux: nux ended with $status" >&2
    cat "$WORK/out" "$WORK/nux.log" >&2 2>/dev/null || true
    exit 1
fi
echo "screenshots: nux ($(tr '\n' ' ' <"$WORK/out")) -> $OUT/nux-normal.png, $OUT/nux-pressed.png"
