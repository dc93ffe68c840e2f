#!/usr/bin/env bash
# Runs a test binary on a private virtual X display (libobs needs one for its hotkeys).
set -euo pipefail
if ! command -v xvfb-run >/dev/null 2>&1; then
	echo "FAIL: xvfb-run is missing (install the xvfb package: scripts/setup.sh)" >&2
	exit 1
fi
exec xvfb-run -a -s "-nolisten tcp" "$@"
