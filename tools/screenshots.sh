#!/usr/bin/env bash
# make screenshots: wintav32 against tavsim on the offscreen platform, one PNG of the main
# window per tab, named after the tab: <build>/screenshots/<tab>.png in English and
# <build>/screenshots/kr/<tab>.png in Korean.
set -euo pipefail
BUILD=${1:-build}
BUILD=$(cd "$BUILD" && pwd)
BIN=$BUILD/bin
OUT=$BUILD/screenshots
. "$(dirname "$0")/simctl.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavshots.XXXXXX")
trap 'sim_stop; rm -rf "$WORK"' EXIT
mkdir -m 700 "$WORK/run"
: >"$WORK/lm.ini"
rm -rf "$OUT"
mkdir -p "$OUT"

shoot() {
    local lang=$1 dir=$2 profile=${3:-$BIN/profiles/color-ps.ini}
    # The demo model keeps its language under the current user, sub-key ORB.
    printf '[Software\\QVPrint\\ORB]\nTavCntCode=%s\n' "$lang" >"$WORK/cu.ini"
    sim_start "$BIN" "$profile"
    XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=offscreen \
        TAV_REGISTRY_LM="$WORK/lm.ini" TAV_REGISTRY_CU="$WORK/cu.ini" \
        timeout 120 "$BIN/wintav32-driven" --screenshots "$dir" --device "tcp://127.0.0.1:$SIM_PORT"
    sim_stop
    # The first run, before any printer is chosen: the Choose printer dialog, then Cancel.
    XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=offscreen HOME="$WORK" XDG_CONFIG_HOME="$WORK/firstrun" \
        TAV_REGISTRY_LM="$WORK/lm.ini" TAV_REGISTRY_CU="$WORK/cu.ini" \
        timeout 120 "$BIN/wintav32-driven" --screenshots "$dir"
    [ -f "$dir/choose-printer.png" ] || { echo "screenshots: no first-run picture for $lang" >&2; exit 1; }
    local n
    n=$(find "$dir" -maxdepth 1 -name '*.png' ! -name choose-printer.png | wc -l)
    [ "$n" -gt 0 ] || { echo "screenshots: wintav32 wrote no picture for $lang" >&2; exit 1; }
    echo "screenshots: $n tabs in $lang -> $dir"
}

shoot EN "$OUT"
shoot KR "$OUT/kr"

# The Printing page once more with a custom size shown: printing-custom.png in each language.
sed -e 's/^PAPER = .*/PAPER = 15/' -e 's/^CUSTOMWIDTH = .*/CUSTOMWIDTH = 200/' \
    -e 's/^CUSTOMHEIGHT = .*/CUSTOMHEIGHT = 300/' "$BIN/profiles/color-ps.ini" >"$WORK/custom.ini"
for lang in EN KR; do
    dir=$OUT
    [ "$lang" = KR ] && dir=$OUT/kr
    mkdir -p "$WORK/custom-$lang"
    shoot "$lang" "$WORK/custom-$lang" "$WORK/custom.ini"
    cp "$WORK/custom-$lang/printing.png" "$dir/printing-custom.png"
done

if [ -x "$(dirname "$0")/screenshots-nux.sh" ]; then
    "$(dirname "$0")/screenshots-nux.sh" "$BUILD"
fi
