#!/usr/bin/env bash
# The module must export the seven OBS entry points, as plain C functions, and nothing else.
set -euo pipefail
expected=$(printf 'obs_module_%s\n' free_locale get_string load set_locale set_pointer unload ver)
actual=$(nm -D --defined-only "$1" | awk '$2 == "T" {print $3}' | sort)
others=$(nm -D --defined-only "$1" | awk '$2 != "T"')
if [ "$actual" != "$expected" ] || [ -n "$others" ]; then
	echo "FAIL: unexpected dynamic symbols in $1" >&2
	diff <(echo "$expected") <(echo "$actual") >&2 || true
	echo "$others" >&2
	exit 1
fi
echo "exports OK"
