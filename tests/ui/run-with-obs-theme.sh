#!/usr/bin/env bash
# usage: run-with-obs-theme.sh OBS.tar.xz COMMAND...
# Runs COMMAND with PTZ_OBS_THEME naming the style sheet that the OBS in the tarball (30 or later) composes from
# its default theme, Yami.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tarball=$1
shift
work=$(mktemp -d /tmp/ptz-theme.XXXXXX)
trap 'rm -rf "$work"' EXIT
if ! tar -xJf "$tarball" -C "$work" --wildcards '*/share/obs/obs-studio/themes/*'; then
	echo "FAIL: no themes in $tarball" >&2
	exit 1
fi
themes=$(dirname "$(find "$work" -name Yami.obt -print -quit)")
if [ ! -f "$themes/Yami.obt" ] || [ ! -f "$themes/Yami_Default.ovt" ]; then
	echo "FAIL: $tarball has no Yami theme (Yami.obt, Yami_Default.ovt)" >&2
	exit 1
fi
/usr/bin/python3 "$here/../../scripts/compile_obs_theme.py" "$themes" Yami.obt Yami_Default.ovt "$work/Yami.qss"
PTZ_OBS_THEME=$work/Yami.qss "$@"
