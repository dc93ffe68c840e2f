#!/usr/bin/env bash
# Builds the module, installs it into a throwaway OBS configuration (never your own), starts
# simulated cameras of several model families on loopback addresses and starts Debian's OBS with
# them assigned to camera slots. With a display, use the panel yourself (Tools menu); without
# one, OBS runs on Xvfb and a short scripted session saves screenshots to BUILD_DIR/demo-screenshots
# (to docs/images/, the README's pictures, only with --readme-images).
# Everything the demo starts ends with it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build}
case $BUILD_DIR in /*) ;; *) BUILD_DIR=$root/$BUILD_DIR ;; esac
SHOTS_DIR=$BUILD_DIR/demo-screenshots
for arg in "$@"; do
	case $arg in
	--readme-images) SHOTS_DIR=$root/docs/images ;;
	-h | --help)
		echo "usage: scripts/demo.sh [--readme-images]"
		echo "Without a display, screenshots go to $SHOTS_DIR;"
		echo "--readme-images writes them over the README's pictures in docs/images instead."
		exit 0
		;;
	*)
		echo "demo: unknown argument '$arg' (usage: scripts/demo.sh [--readme-images])" >&2
		exit 2
		;;
	esac
done

for tool in cmake obs /usr/bin/python3; do
	command -v "$tool" >/dev/null 2>&1 || { echo "demo: '$tool' is missing (run scripts/setup.sh)" >&2; exit 1; }
done
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
cmake -S . -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --target OBS-BrenmoorCameraControlPlugin ptzctl -j"$(nproc)"

work=$(mktemp -d /tmp/ptz-demo.XXXXXX)
# The Python session stops OBS, Xvfb and the cameras itself (also on Ctrl+C, which reaches the
# whole foreground process group); the shell only removes the throwaway folder.
trap 'rm -rf "$work"' EXIT
cmake --install "$BUILD_DIR" --component obs-user-plugin --prefix "$work/config/obs-studio/plugins" >/dev/null
ptzctl=$(find "$BUILD_DIR" -name ptzctl -type f -perm -u+x -print -quit)

private_net=0
if [ "$(id -u)" = 0 ] && unshare -n true 2>/dev/null; then private_net=1; fi
if [ -n "${DISPLAY:-}" ]; then
	# A local display (":N") is reachable from a private network namespace through its socket file,
	# so OBS, its bridge and the cameras stay off the machine's network there too.
	if [ $private_net = 1 ] && [[ $DISPLAY == :* ]]; then
		PTZ_DEMO_NETNS=1 unshare -n -- /usr/bin/python3 scripts/demo_session.py "$work" "$ptzctl" "$SHOTS_DIR"
	else
		/usr/bin/python3 scripts/demo_session.py "$work" "$ptzctl" "$SHOTS_DIR"
	fi
else
	for tool in Xvfb xdotool import dbus-run-session; do
		command -v "$tool" >/dev/null 2>&1 || { echo "demo: '$tool' is missing (run scripts/setup.sh)" >&2; exit 1; }
	done
	mkdir -m 700 "$work/runtime"
	export XDG_RUNTIME_DIR=$work/runtime
	# As root, keep OBS and the cameras in a private network namespace (OBS's own update checks
	# then stay inside it too); otherwise run them on the machine's loopback.
	echo "demo: screenshots go to $SHOTS_DIR"
	if [ $private_net = 1 ]; then
		PTZ_DEMO_NETNS=1 unshare -n -- dbus-run-session -- \
			/usr/bin/python3 scripts/demo_session.py "$work" "$ptzctl" "$SHOTS_DIR"
	else
		dbus-run-session -- /usr/bin/python3 scripts/demo_session.py "$work" "$ptzctl" "$SHOTS_DIR"
	fi
	echo "demo: screenshots are in $SHOTS_DIR"
fi
