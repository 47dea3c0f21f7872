# Sourced by the demo and screenshot scripts: starts tavsim with a profile on a free loopback
# port and sets SIM_PID, SIM_PORT and SIM_LOG; sim_stop ends it.
sim_start() {
    local bin=$1 profile=$2
    SIM_DIR=$(mktemp -d "${TMPDIR:-/tmp}/tavsim.XXXXXX")
    SIM_LOG=$SIM_DIR/events.jsonl
    "$bin/tavsim" --profile "$profile" --port 0 --log "$SIM_LOG" >"$SIM_DIR/stdout" 2>"$SIM_DIR/stderr" &
    SIM_PID=$!
    SIM_PORT=
    for _ in $(seq 1 100); do
        SIM_PORT=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$SIM_DIR/stdout")
        [ -n "$SIM_PORT" ] && return 0
        kill -0 "$SIM_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "tavsim did not start:" >&2
    cat "$SIM_DIR/stderr" >&2
    return 1
}

sim_stop() {
    if [ -n "${SIM_PID:-}" ] && kill -0 "$SIM_PID" 2>/dev/null; then
        kill -TERM "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    SIM_PID=
}
