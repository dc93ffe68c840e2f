#!/usr/bin/env bash
# Runs a test on a private virtual X display (libobs needs one for its hotkeys).
set -euo pipefail
command -v xvfb-run >/dev/null 2>&1 || { echo "FAIL: xvfb-run is missing (install xvfb: scripts/setup.sh)" >&2; exit 1; }
exec xvfb-run -a -s "-nolisten tcp" "$@"
