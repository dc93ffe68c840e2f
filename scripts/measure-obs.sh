#!/usr/bin/env bash
# Start-up time, memory and connection time of the module in Debian's OBS (medians); with OBS_QT6_TARBALL, of the
# Qt 6 module in that OBS.
# usage: scripts/measure-obs.sh [RUNS]   (builds into $BUILD_DIR, default build/, or build-qt6/ for Qt 6)
set -euo pipefail
cd "$(dirname "$0")/.."
qt=5
if [ -n "${OBS_QT6_TARBALL:-}" ]; then qt=6; fi
BUILD_DIR=${BUILD_DIR:-$([ $qt = 6 ] && echo build-qt6 || echo build)}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTZ_QT_VERSION=$qt >/dev/null
cmake --build "$BUILD_DIR" --target OBS-BrenmoorCameraControlPlugin ptzctl -j"$(nproc)" >/dev/null
work=$(mktemp -d /tmp/ptz-measure.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
if [ $qt = 6 ]; then
	mkdir "$work/host"
	tar -xJf "$OBS_QT6_TARBALL" -C "$work/host"
	obs=$(find "$work/host" -path '*/bin/obs' -type f -print -quit)
	export PTZ_OBS_ROOT=$(dirname "$(dirname "$obs")")
fi
module=$(find "$BUILD_DIR" -name OBS-BrenmoorCameraControlPlugin.so -print -quit)
ptzctl=$(find "$BUILD_DIR" -name ptzctl -type f -perm -u+x -print -quit)
unshare -n -- dbus-run-session -- /usr/bin/python3 scripts/measure_obs.py "$module" data "$ptzctl" "$work/run" "${1:-5}" \
	2> >(grep -v 'dbus-daemon\|SpiRegistry' >&2)
