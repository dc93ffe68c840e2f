#!/usr/bin/python3
"""The module in Debian's OBS set to German: the Tools entry and the panel show the German texts.

Runs like test_obs_e2e.py (run-e2e.sh makes the namespace and the D-Bus session), without cameras.

usage: test_obs_locale.py MODULE.so DATA_DIR PTZCTL WORKDIR
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from obs_harness import Accessibility, HarnessError, ObsSession, bring_up_loopback, wait_for  # noqa: E402

LANGUAGE = "de-DE"
# Widgets of the panel's simple view whose texts come from the locale file, by key.
PANEL_KEYS = ["Settings", "View", "Help", "SelectCamera", "CameraControl", "Camera3", "STORE", "CALL", "Focus"]

failures = []


def check(name, ok, detail=""):
    print(("PASS " if ok else "FAIL ") + name + ("" if ok else f": {detail}"), flush=True)
    if not ok:
        failures.append(name)
    return ok


def texts(path):
    out = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        if "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            out[key] = value.strip().strip('"')
    return out


def main():
    module_so, data_dir, _ptzctl, workdir = sys.argv[1:5]
    bring_up_loopback()
    german = texts(pathlib.Path(data_dir) / "locale" / f"{LANGUAGE}.ini")
    english = texts(pathlib.Path(data_dir) / "locale" / "en-US.ini")
    session = ObsSession(pathlib.Path(workdir) / "obs", module_so, data_dir, language=LANGUAGE,
                         panel_title=german["PluginTitle"],
                         dock_title=german.get("CameraControlDock", english["CameraControlDock"]))
    try:
        session.prepare(settings={})
        session.start_obs()
        a11y = Accessibility(session.display)
        wait_for(a11y.app, 10, 0.2)
        entries = [n.name for n in a11y.find(role="menu item")]
        check("Tools menu holds the German entry", german["PluginTitle"] in entries, entries)

        panels = session.open_panel(a11y)
        check("The entry shows the panel under its German title", len(panels) == 1, panels)
        panel = wait_for(lambda: a11y.panel_named(german["PluginTitle"]), 5, 0.2)
        names = {n.name for n in a11y.nodes(panel)} if panel else set()
        for key in PANEL_KEYS:
            check(f"Panel shows {key} in German", german[key] in names and english[key] not in names,
                  (german[key], english[key], sorted(n for n in names if n)[:40]))
        session.quit_obs(timeout=10)
    except HarnessError as error:
        check("harness", False, str(error))
    finally:
        session.stop()
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")


if __name__ == "__main__":
    main()
    sys.exit(1 if failures else 0)
