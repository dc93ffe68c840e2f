#!/usr/bin/env bash
# Builds everything and runs every test (unit, widget, namespace and end-to-end), once against Qt 5 (OBS 29)
# in BUILD_DIR and once against Qt 6 (OBS 30 and later) in QT6_BUILD_DIR.
# OBS_QT6_TARBALL: an OBS 30 or later built on Qt 6 (.tar.xz) for the Qt 6 module's end-to-end test.
# OBS_QT6_WEBSOCKET: obs-websocket built for that OBS (.tar.xz, unpacked over it) for the Qt 6 scene and remote
# tests; by default the obs-websocket tarball beside OBS_QT6_TARBALL.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
QT6_BUILD_DIR=${QT6_BUILD_DIR:-build-qt6}
scripts/check-format.sh
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$BUILD_DIR" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTZ_QT_VERSION=5
cmake -S . -B "$QT6_BUILD_DIR" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTZ_QT_VERSION=6 \
	-DPTZ_BUILD_BENCHMARKS=OFF -DPTZ_OBS_QT6_TARBALL="${OBS_QT6_TARBALL:-}" \
	-DPTZ_OBS_QT6_WEBSOCKET="${OBS_QT6_WEBSOCKET:-}"
cmake --build "$BUILD_DIR" -j"$(nproc)"
cmake --build "$QT6_BUILD_DIR" -j"$(nproc)"
status=0
(cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 "$@") || status=1
echo "--- Qt 6 build ($QT6_BUILD_DIR)"
(cd "$QT6_BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 "$@") || status=1
exit $status
