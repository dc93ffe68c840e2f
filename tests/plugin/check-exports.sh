#!/usr/bin/env bash
# The module must export the eight OBS entry points, as plain C functions, and nothing else; and it may link only
# front-end functions that OBS 29 through 32 all export (the dock functions differ between them and are looked up
# at run time); and it links the Qt of QT_MAJOR only. usage: check-exports.sh MODULE.so QT_MAJOR
set -euo pipefail
expected=$(printf 'obs_module_%s\n' free_locale get_string load post_load set_locale set_pointer unload ver)
actual=$(nm -D --defined-only "$1" | awk '$2 == "T" {print $3}' | sort)
# Lower-case kinds are local: listed by nm, but no other object can bind to them.
others=$(nm -D --defined-only "$1" | awk '$2 ~ /^[A-Z]$/ && $2 != "T"')
if [ "$actual" != "$expected" ] || [ -n "$others" ]; then
	echo "FAIL: unexpected dynamic symbols in $1" >&2
	diff <(echo "$expected") <(echo "$actual") >&2 || true
	echo "$others" >&2
	exit 1
fi
everywhere="obs_frontend_add_event_callback obs_frontend_add_tools_menu_qaction obs_frontend_get_current_profile_path
obs_frontend_get_main_window obs_frontend_pop_ui_translation obs_frontend_push_ui_translation
obs_frontend_remove_event_callback obs_frontend_preview_program_mode_active obs_frontend_get_current_preview_scene"
linked=$(nm -D --undefined-only "$1" | awk '{print $2}' | sed 's/@.*//' | grep '^obs_frontend_' || true)
extra=$(grep -vxF -f <(tr ' ' '\n' <<<"$everywhere") <<<"$linked" || true)
if [ -n "$extra" ]; then
	echo "FAIL: $1 links $extra, which not every OBS from 29 to 32 exports" >&2
	exit 1
fi
qt=$(objdump -p "$1" | awk '$1 == "NEEDED" && $2 ~ /^libQt/ {print $2}')
if [ -z "$qt" ] || grep -qv "^libQt$2" <<<"$qt"; then
	echo "FAIL: $1 must link Qt $2 only, links: $qt" >&2
	exit 1
fi
echo "exports OK; front-end functions: $(echo $linked)"
