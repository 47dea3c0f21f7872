#!/bin/sh
# Runs the benchmarks against the simulator when it is built, else against a discard sink.
# Usage: tools/bench.sh BUILD_DIR [MiB]
set -eu
build=${1:-build}
mib=${2:-256}
bin="$build/bin"
work=$(mktemp -d)
sinkpid=""
cleanup() {
  [ -n "$sinkpid" ] && kill "$sinkpid" 2>/dev/null && wait "$sinkpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

if [ -x "$bin/tavsim" ] && [ -f "$bin/profiles/mono-pcl.ini" ]; then
  echo "sink: tavsim"
  "$bin/tavsim" --profile "$bin/profiles/mono-pcl.ini" --port 0 --log "$work/sim.log" >"$work/sink.out" 2>"$work/sink.err" &
else
  echo "sink: discard sink (tavsim not built)"
  "$build/bench/bench_discard_sink" >"$work/sink.out" 2>"$work/sink.err" &
fi
sinkpid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n '1s/^listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$work/sink.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the sink did not start"; cat "$work/sink.err"; exit 1; }

# The lock and the link belong to this run only.
mkdir -m 700 "$work/lock"
QVDEVM_LOCK_DIR="$work/lock" QVDEVM_LINGER_MS=500 \
  "$build/bench/qvdevm_bench" --sink "tcp://127.0.0.1:$port" --library-folder "$bin" --mib "$mib"
