#!/usr/bin/env bash
# Screenshots of nux against the simulator, on the offscreen platform:
#   build/screenshots/nux-normal.png   the display after Menu was pressed
#   build/screenshots/nux-pressed.png  the Enter key held down
# Usage: tools/screenshots-nux.sh [BUILD_DIR]   (the lead's tools/screenshots.sh may call it)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
out="$build/screenshots"
profile="${NUX_PROFILE:-$bin/profiles/mono-pcl.ini}"
for f in "$bin/nux" "$bin/tavsim" "$bin/libqvdevm.so" "$profile"; do
  [ -e "$f" ] || { echo "screenshots-nux: missing $f (build first)" >&2; exit 1; }
done
mkdir -p "$out"

work=$(mktemp -d /tmp/nux-shots-XXXXXX)
chmod 700 "$work"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator on a free loopback port; it tells which one it took.
"$bin/tavsim" --profile "$profile" --port 0 --log "$work/sim.jsonl" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
port=""
for _ in $(seq 1 200); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.out")
  [ -n "$port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.err" >&2; exit 1; }
  sleep 0.05
done
[ -n "$port" ] || { echo "screenshots-nux: tavsim did not start" >&2; exit 1; }

# A program folder of its own: the model file and the device library beside it.
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
ln -s "$bin/libqvdevm.so" "$home/libqvdevm.so"
printf '[DEVICE]\r\nVID=0x04e8\r\nPID=0x3f0c\r\nDID=tcp://127.0.0.1:%s\r\n[DEBUG]\r\nDEBUG=0\r\n' "$port" >"$home/comtav.ini"

cat >"$work/script" <<SCRIPT
click 1000
print
grab $out/nux-normal.png
hover 1002
press 1002
grab $out/nux-pressed.png
click 1
SCRIPT

status=0
WINTAV32_HOME="$home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen NUX_TEST_SCRIPT="$work/script" \
  TAV_DEBUG_FILE="$work/nux.log" timeout 60 "$bin/nux" || status=$?
# Exit ends the program with the Exit button's id.
if [ "$status" -ne 1 ]; then
  echo "screenshots-nux: nux ended with $status" >&2
  cat "$work/nux.log" >&2 2>/dev/null || true
  exit 1
fi
echo "wrote $out/nux-normal.png $out/nux-pressed.png"
