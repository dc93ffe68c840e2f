#!/usr/bin/env bash
# Runs the end-to-end test in a private network namespace with its own D-Bus session.
# Anything missing is a failure, never a skip.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
missing=()
for tool in obs Xvfb xdotool xwininfo unshare ip dbus-run-session dbus-send; do
	command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi2-core")
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || missing+=("python3-pyatspi")
/usr/bin/python3 -c "import websocket" 2>/dev/null || missing+=("python3-websocket")
if [ ${#missing[@]} -gt 0 ]; then
	echo "FAIL: missing for the end-to-end test: ${missing[*]} (run scripts/setup.sh)" >&2
	exit 1
fi
if ! unshare -n true 2>/dev/null; then
	echo "FAIL: cannot create a network namespace (unshare -n needs root)" >&2
	exit 1
fi
work=$(mktemp -d /tmp/ptz-e2e.XXXXXX)
# A private runtime folder keeps the accessibility bus socket away from any other session.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
# PTZ_E2E_SCRIPT picks another script of this folder (same arguments).
unshare -n -- dbus-run-session -- /usr/bin/python3 "$here/${PTZ_E2E_SCRIPT:-test_obs_e2e.py}" "$@" "$work/run"
status=$?
if [ $status -ne 0 ]; then
	echo "kept for inspection: $work" >&2
else
	rm -rf "$work"
fi
exit $status
