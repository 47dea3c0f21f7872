#!/usr/bin/env bash
# Installs the build into a scratch root and runs the programs from there: they must find
# their data beside the real executable through the links in bin/, and the desktop entries
# must pass desktop-file-validate.
# usage: install_tree.sh BUILD_DIR
set -uo pipefail
BUILD=$1
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/tavinstall.XXXXXX")
SIM_PID=
cleanup() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    rm -rf "$ROOT"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check_file() { [ -e "$ROOT/usr/$1" ] || fail "missing /usr/$1"; }

DESTDIR=$ROOT/tree cmake --install "$BUILD" --prefix /usr >"$ROOT/install.log" 2>&1 ||
    { cat "$ROOT/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
mv "$ROOT/tree/usr" "$ROOT/usr"
P=$ROOT/usr
D=lib/wintav32

# The layout: one program folder, links in bin, system files where udev and systemd read them.
for f in wintav32 nux tavctl tavsim libqvdevm.so libqvdevms.so comtav.ini langinfo.ini lang/EN.ini lang/KR.ini \
         help/en/wintav32.html help/kr/cshelp.txt models/ml-2250/comtav.ini profiles/color-ps.ini \
         TypeFace.ini SymbolSet.ini models/kalor-k2250/TypeFace.ini; do
    check_file "$D/$f"
done
# The default profile leads into its model's folder, where that model's own lists lie.
case "$(readlink -f "$P/$D/comtav.ini")" in
"$(readlink -f "$P/$D")"/models/*/comtav.ini) ;;
*) fail "/usr/$D/comtav.ini does not lead to a model's profile: $(ls -l "$P/$D/comtav.ini")" ;;
esac
for p in wintav32 nux tavctl tavsim; do
    [ -L "$P/bin/$p" ] || fail "/usr/bin/$p is not a link"
    [ "$(readlink -f "$P/bin/$p")" = "$(readlink -f "$P/$D/$p")" ] || fail "/usr/bin/$p does not lead to /usr/$D/$p"
    check_file "share/man/man1/$p.1"
    grep -q '^\.TH' "$P/share/man/man1/$p.1" || fail "$p.1 is not a man page"
done
# The pages name this prefix's folders; the tavctl page is the whole one; the completion is where
# bash-completion looks for it.
for p in wintav32 nux tavctl tavsim; do
    grep -q "/usr/$D" "$P/share/man/man1/$p.1" || fail "$p.1 does not name /usr/$D"
    ! grep -q '/usr/local\|@[A-Z_]*@' "$P/share/man/man1/$p.1" || fail "$p.1 names a folder of another prefix"
done
grep -q '^\.SH JSON OUTPUT' "$P/share/man/man1/tavctl.1" || fail "the installed tavctl.1 is not the complete page"
check_file share/bash-completion/completions/tavctl
check_file lib/udev/rules.d/70-qvdevm.rules
check_file lib/tmpfiles.d/qvdevm.conf
for size in 16 32 48 256; do
    for icon in wintav32 nux; do
        f=$P/share/icons/hicolor/${size}x${size}/apps/$icon.png
        if [ ! -f "$f" ]; then fail "missing icon $icon at $size"; continue; fi
        file -b "$f" | grep -q "PNG image data, $size x $size" || fail "$f is not a $size x $size PNG"
    done
done

if ! command -v desktop-file-validate >/dev/null; then
    fail "desktop-file-validate is not installed (package desktop-file-utils; make deps installs it)"
else
    for entry in wintav32 nux; do
        f=$P/share/applications/$entry.desktop
        [ -f "$f" ] || { fail "missing $entry.desktop"; continue; }
        desktop-file-validate "$f" || fail "$entry.desktop does not validate"
        [ "$(sed -n 's/^Exec=//p' "$f")" = "$entry" ] || fail "$entry.desktop does not run $entry"
        [ "$(sed -n 's/^Icon=//p' "$f")" = "$entry" ] || fail "$entry.desktop has not its own icon"
    done
fi

# A user of the installed tree: nothing of the build, settings in a home of its own.
export HOME=$ROOT/home XDG_CONFIG_HOME=$ROOT/home/.config XDG_RUNTIME_DIR=$ROOT/run
export TAV_REGISTRY_LM=$ROOT/lm.ini TAV_REGISTRY_CU=$ROOT/cu.ini QVDEVM_LOCK_DIR=$ROOT/run QT_QPA_PLATFORM=offscreen
unset WINTAV32_HOME
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR" && : >"$TAV_REGISTRY_LM" && : >"$TAV_REGISTRY_CU"
cd "$ROOT"

"$P/bin/tavctl" --help >help.out 2>&1 || fail "tavctl --help exits $?"
grep -q '^Usage: tavctl' help.out || fail "tavctl --help: $(head -c 300 help.out)"
"$P/bin/tavctl" --model list >models.out 2>&1 || fail "tavctl --model list exits $?"
[ "$(tr '\n' ' ' <models.out)" = "clp-3550ps kalor-k2250 ml-2250 " ] || fail "installed models: $(cat models.out)"

# The simulator from the installed tree; its first line names its port.
exec {SIM_OUT}< <(exec "$P/bin/tavsim" --profile "$P/$D/profiles/color-ps.ini" --port 0 --log "$ROOT/sim.log" 2>"$ROOT/sim.err")
SIM_PID=$!
line=
read -r -t 30 line <&"$SIM_OUT" || true
PORT=${line#listening on 127.0.0.1:}
if [ -z "$line" ] || [ "$PORT" = "$line" ]; then
    echo "FAIL: tavsim did not start: $line $(cat "$ROOT/sim.err")" >&2
    exit 1
fi
DEV=tcp://127.0.0.1:$PORT
# The capability word the simulated model reports, as its profile gives it.
FLAGS=$(sed -n 's/^FEATUREFLAGS *= *0x\([0-9A-Fa-f]*\).*/\1/p' "$P/$D/profiles/color-ps.ini" | tr a-f A-F)
[ -n "$FLAGS" ] || fail "no FEATUREFLAGS in the installed simulator profile"

"$P/bin/tavctl" --device "$DEV" query >query.out 2>query.err || fail "tavctl query exits $?: $(cat query.err)"
grep -q "^FEATUREFLAGS=0x$FLAGS\$" query.out || fail "tavctl query did not read the colour model: $(head -c 400 query.out)"
"$P/bin/tavctl" --model ml-2250 --device "$DEV" query >model.out 2>model.err || fail "tavctl --model query exits $?: $(cat model.err)"

# The user's own file wins over the installed profile: its device is the simulator.
mkdir -p "$XDG_CONFIG_HOME/wintav32"
printf '[Common]\nDeviceID=%s\n' "$DEV" >"$XDG_CONFIG_HOME/wintav32/comtav.ini"
"$P/bin/tavctl" query >user.out 2>user.err || fail "tavctl with the user's DeviceID exits $?: $(cat user.err)"
cmp -s query.out user.out || fail "tavctl with the user's DeviceID read other settings"

# The installed wintav32 as a user runs it: once start-up has read the printer and opened the
# window, the quit message ends it, and it ends with status 0.
TAV_DEBUG_FILE=$ROOT/wintav32.debug timeout 120 "$P/bin/wintav32" --device "$DEV" >wintav32.out 2>&1 &
WIN_PID=$!
# The window listens for the quit message once its socket is in the runtime folder.
listening() { compgen -G "$XDG_RUNTIME_DIR/*Mgr.[0-9]*" >/dev/null; }
for _ in $(seq 600); do
    grep -q "start-up done" "$ROOT/wintav32.debug" 2>/dev/null && listening && break
    kill -0 "$WIN_PID" 2>/dev/null || break
    sleep 0.1
done
grep -q "start-up done" "$ROOT/wintav32.debug" 2>/dev/null ||
    fail "wintav32 did not reach its window: $(cat wintav32.out "$ROOT/wintav32.debug" 2>/dev/null)"
"$P/bin/wintav32" --broadcast-quit >quit.out 2>&1 || fail "wintav32 --broadcast-quit exits $?: $(cat quit.out)"
wait "$WIN_PID"
status=$?
[ "$status" -eq 0 ] || fail "wintav32 exits $status: $(cat wintav32.out)"
grep -q "capabilities 0x$FLAGS" "$ROOT/wintav32.debug" || fail "wintav32 did not read the printer's settings"

[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "installed tree works"
