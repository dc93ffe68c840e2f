#!/usr/bin/env bash
# Start-up time, memory and connection time of the module in Debian's OBS (medians).
# usage: scripts/measure-obs.sh [RUNS]   (builds into $BUILD_DIR, default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --target OBS-BrenmoorCameraControlPlugin ptzctl -j"$(nproc)" >/dev/null
work=$(mktemp -d /tmp/ptz-measure.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
module=$(find "$BUILD_DIR" -name OBS-BrenmoorCameraControlPlugin.so | head -n 1)
ptzctl=$(find "$BUILD_DIR" -name ptzctl -type f -perm -u+x | head -n 1)
unshare -n -- dbus-run-session -- /usr/bin/python3 scripts/measure_obs.py "$module" data "$ptzctl" "$work/run" "${1:-5}" \
	2> >(grep -v 'dbus-daemon\|SpiRegistry' >&2)
