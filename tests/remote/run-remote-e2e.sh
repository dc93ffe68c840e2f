#!/usr/bin/env bash
# usage: run-remote-e2e.sh [--obs-tarball OBS.tar.xz --websocket-tarball WS.tar.xz] MODULE.so DATA_DIR PTZCTL
# The cameras through OBS's WebSocket, in a private network namespace with its own D-Bus session: in Debian's OBS
# with its obs-websocket, or in the OBS the tarball holds, first without obs-websocket and then with the
# obs-websocket tarball unpacked over it. Anything missing is a failure, never a skip.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tarball="" overlay=""
if [ "${1:-}" = --obs-tarball ]; then
	tarball=$2 overlay=$4
	shift 4
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
if [ -z "$tarball" ] && [ ! -e /usr/lib/x86_64-linux-gnu/obs-plugins/obs-websocket.so ]; then
	missing+=("Debian's obs-websocket (obs-studio package)")
fi
if [ -n "$tarball" ] && [ ! -f "$overlay" ]; then missing+=("the obs-websocket tarball '$overlay'"); fi
# The one library obs-websocket 5.5 needs beside OBS's own. (No "ldconfig -p | grep -q": under pipefail the
# early exit of grep can fail the pipeline with SIGPIPE although the library is there.)
if [ -n "$tarball" ] && [ -z "$(/sbin/ldconfig -p 2>/dev/null | awk '$1 == "libqrcodegencpp.so.1"')" ]; then
	missing+=("libqrcodegencpp1")
fi
if [ ${#missing[@]} -gt 0 ]; then
	echo "FAIL: missing for the remote-control test: ${missing[*]} (run scripts/setup.sh)" >&2
	exit 1
fi
work=$(mktemp -d /tmp/ptz-remote.XXXXXX)
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
status=0
if [ -n "$tarball" ]; then
	mkdir "$work/host"
	tar -xJf "$tarball" -C "$work/host" && obs=$(find "$work/host" -path '*/bin/obs' -type f -print -quit)
	if [ -z "${obs:-}" ]; then
		echo "FAIL: cannot unpack $tarball or it has no bin/obs" >&2
		exit 1
	fi
	export PTZ_OBS_ROOT=$(dirname "$(dirname "$obs")")
	if [ -n "$(find "$PTZ_OBS_ROOT" -name 'obs-websocket.so')" ]; then
		echo "FAIL: $tarball already holds obs-websocket; the check without it cannot run" >&2
		exit 1
	fi
	unshare -n -- dbus-run-session -- /usr/bin/python3 "$here/test_remote_e2e.py" --without-websocket "$1" "$2" \
		"$work/plain" || status=1
	if ! tar -xJf "$overlay" -C "$work/host" || ! [ -n "$(find "$PTZ_OBS_ROOT" -name 'obs-websocket.so')" ]; then
		echo "FAIL: cannot unpack $overlay over $PTZ_OBS_ROOT" >&2
		exit 1
	fi
fi
unshare -n -- dbus-run-session -- /usr/bin/python3 "$here/test_remote_e2e.py" "$@" "$work/run" || status=1
if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept for inspection: $work" >&2; fi
exit $status
