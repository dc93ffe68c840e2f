#!/usr/bin/env bash
# usage: run-e2e.sh [--script TEST.py] [--obs-tarball OBS.tar.xz [--obs-overlay MORE.tar.xz]] MODULE.so DATA_DIR PTZCTL
#        PTZ_PACKAGE_ROOT=ROOT run-e2e.sh [--obs-tarball OBS.tar.xz] --package VERSION PTZCTL (see test_obs_e2e.py)
# An overlay (obs-websocket built for that OBS) is unpacked over the OBS tarball.
# Runs the end-to-end test in a private network namespace with its own D-Bus session, in the installed OBS or the
# one the tarball holds. Anything missing is a failure, never a skip.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tarball=""
script=test_obs_e2e.py
if [ "${1:-}" = --script ]; then
	script=$2
	shift 2
fi
if [ "${1:-}" = --obs-tarball ]; then
	tarball=$2
	shift 2
fi
overlay=""
if [ "${1:-}" = --obs-overlay ]; then
	overlay=$2
	shift 2
fi
missing=()
tools=(Xvfb xdotool xwininfo unshare ip dbus-run-session dbus-send)
if [ -z "$tarball" ]; then tools+=(obs); else tools+=(tar xz); fi
for tool in "${tools[@]}"; do
	command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi2-core")
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || missing+=("python3-pyatspi")
/usr/bin/python3 -c "import websocket" 2>/dev/null || missing+=("python3-websocket")
unshare -n true 2>/dev/null || missing+=("a network namespace (unshare -n needs root)")
if [ ${#missing[@]} -gt 0 ]; then
	echo "FAIL: missing for the end-to-end test: ${missing[*]} (run scripts/setup.sh)" >&2
	exit 1
fi
work=$(mktemp -d /tmp/ptz-e2e.XXXXXX)
# A private runtime folder keeps the accessibility bus socket away from any other session.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
if [ -n "$tarball" ]; then
	mkdir "$work/host"
	tar -xJf "$tarball" -C "$work/host" && obs=$(find "$work/host" -path '*/bin/obs' -type f -print -quit)
	if [ -n "$overlay" ] && ! tar -xJf "$overlay" -C "$work/host"; then
		echo "FAIL: cannot unpack $overlay" >&2
		exit 1
	fi
	if [ -z "${obs:-}" ]; then
		echo "FAIL: cannot unpack $tarball or it has no bin/obs" >&2
		exit 1
	fi
	export PTZ_OBS_ROOT=$(dirname "$(dirname "$obs")")
fi
unshare -n -- dbus-run-session -- /usr/bin/python3 "$here/$script" "$@" "$work/run"
status=$?
if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept for inspection: $work" >&2; fi
exit $status
