#!/usr/bin/env python3
"""The built module opened by libobs the way OBS opens it: its locale table and lookups through its entry points.

usage: module_entry_test.py MODULE.so DATA_DIR (libobs needs an X display: run under run-under-xvfb.sh)"""
import ctypes
import sys
import tempfile

module_path, data_dir = sys.argv[1], sys.argv[2]
obs = ctypes.CDLL("libobs.so.0")
obs.obs_startup.restype = ctypes.c_bool
obs.obs_open_module.argtypes = [ctypes.POINTER(ctypes.c_void_p), ctypes.c_char_p, ctypes.c_char_p]
obs.bnum_allocs.restype = ctypes.c_long
if not obs.obs_startup(b"en-US", None, None):
    sys.exit("FAIL: libobs did not start (no X display? run under xvfb-run)")
# The same library that libobs opens below: one copy, one locale table.
module = ctypes.CDLL(module_path)
module.obs_module_get_string.restype = ctypes.c_bool
module.obs_module_get_string.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_char_p)]
results = []


def check(label, ok, detail=""):
    results.append(ok)
    print(("ok: " if ok else "not ok: ") + label + ("" if ok else f": {detail}"), flush=True)


def lookup(key):
    """"missing:untouched" means OBS shows the key itself."""
    out = ctypes.c_char_p(b"untouched")
    found = module.obs_module_get_string(key.encode(), ctypes.byref(out))
    return ("found:" if found else "missing:") + out.value.decode()


def open_module(data):
    if obs.obs_open_module(ctypes.byref(ctypes.c_void_p()), module_path.encode(), data.encode()) != 0:
        sys.exit(f"FAIL: libobs cannot open {module_path}")


with tempfile.TemporaryDirectory() as empty:
    # label, data folder, locale set after opening (None: the one set on opening), freed twice first, key, lookup
    for label, data, locale, free_first, key, expected in [
            ("unknown key", data_dir, None, False, "NoSuchKey", "missing:untouched"),
            ("no locale file", empty, None, False, "UseHotHeys", "missing:untouched"),
            ("an unknown locale is English", data_dir, "xx-XX", False, "SimpleMode", "found:Simple Mode"),
            ("German over English", data_dir, "de-DE", False, "SimpleMode", "found:Einfache Ansicht"),
            ("freed twice", data_dir, None, True, "Settings", "missing:untouched"),
            ("set again after freeing", data_dir, "en-US", True, "Settings", "found:Settings")]:
        open_module(data)
        for _ in range(2 if free_first else 0):
            module.obs_module_free_locale()
        if locale:
            module.obs_module_set_locale(locale.encode())
        check(label, lookup(key) == expected, lookup(key))

open_module(data_dir)
module.obs_module_set_locale(b"en-US")
before = obs.bnum_allocs()
module.obs_module_set_locale(b"en-US")
module.obs_module_set_locale(b"en-US")
check("setting the locale again frees the old table", obs.bnum_allocs() == before, obs.bnum_allocs() - before)
module.obs_module_free_locale()
check("freeing the locale frees its table", obs.bnum_allocs() < before, obs.bnum_allocs() - before)
obs.obs_shutdown()
failed = results.count(False)
print(f"{len(results) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
