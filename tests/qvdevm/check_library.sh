#!/bin/sh
# Checks a built device library: it exports exactly the eight entry points and carries NODELETE.
set -u
lib="$1"
[ -f "$lib" ] || { echo "no such library: $lib"; exit 1; }
expected="DeviceCheck DeviceClose DeviceLastError DeviceOpen DeviceRead DeviceWrite GetDeviceIoControl PortAcquire PortAcquireFor PortRelease"
exported=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sed 's/@.*//' | sort -u | tr '\n' ' ' | sed 's/ $//')
status=0
if [ "$exported" != "$expected" ]; then
  echo "exported symbols differ:"
  echo "  want: $expected"
  echo "  got:  $exported"
  status=1
fi
if ! readelf -d "$lib" | grep -E 'FLAGS_1' | grep -q NODELETE; then
  echo "NODELETE flag missing"
  status=1
fi
# Every entry point must be a function, not some other kind of symbol.
for name in $expected; do
  nm -D --defined-only "$lib" | grep -qE " T $name(@|\$)" || { echo "$name is not an exported function"; status=1; }
done
[ $status -eq 0 ] && echo "ok: $lib exports the eight entry points and is NODELETE"
exit $status
