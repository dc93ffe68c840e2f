#!/usr/bin/env bash
# The module must export the seven OBS entry points and nothing else.
set -euo pipefail
module=$1
expected="obs_module_free_locale
obs_module_get_string
obs_module_load
obs_module_set_locale
obs_module_set_pointer
obs_module_unload
obs_module_ver"
actual=$(nm -D --defined-only "$module" | awk '{print $3}' | sort)
if [ "$actual" != "$expected" ]; then
	echo "FAIL: unexpected dynamic symbols in $module" >&2
	diff <(echo "$expected") <(echo "$actual") >&2 || true
	exit 1
fi
# Plain C names: no mangling, default visibility, functions.
nm -D --defined-only "$module" | awk '$2 != "T" { print "FAIL: " $3 " is not a global function"; bad=1 } END { exit bad }'
echo "exports OK"
