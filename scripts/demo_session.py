#!/usr/bin/python3
"""The demo behind scripts/demo.sh.

Starts simulated cameras of several model families on loopback addresses, assigns them to
camera slots in a throwaway settings file and starts Debian's OBS with the module (already
installed into the throwaway configuration by demo.sh). In the demo's own network namespace the
cameras also answer WS-Discovery, so the assignment dialog's Search finds them.

With a display: OBS opens on it and the demo waits until OBS is closed.
Without one: OBS runs on Xvfb, a short scripted session opens the panel from the Tools menu,
selects Camera 1, presses Up and switches to the advanced view (and, in the private namespace, runs
the assignment dialog's Search), saving screenshots.

usage: demo_session.py WORKDIR PTZCTL SHOTS_DIR
"""
import os
import pathlib
import signal
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from obs_harness import Accessibility, HarnessError, ObsSession, Simulator, bring_up_loopback, wait_for  # noqa: E402

CAMERAS = [
    ("QK-H57P", "127.0.7.21", "Stage"),
    ("QK-H32P", "127.0.7.22", "Desk"),
    ("QK-WD909P", "127.0.7.23", "Wide"),
    ("QK-WD406P", "127.0.7.24", "Hall"),
    ("QK-JS4", "127.0.7.25", "Joystick"),
]


def shoot_window(session, window, path):
    subprocess.run(["import", "-window", str(window), str(path)], env=session.env, check=True)
    print(f"saved {path}")


def search_shot(session, a11y, panel, shots):
    """Settings > Camera Assign > Search, which finds the demo's cameras through WS-Discovery."""
    settings = a11y.find(role="push button", name="Settings", root=panel)
    if not settings:
        raise HarnessError("Settings button not found")
    session.click(*a11y.center(settings[0]))
    time.sleep(0.5)
    session.key("Down", "Return")
    dialog = wait_for(lambda: a11y.panel_named("Camera Assign"), 10, 0.2)
    search = a11y.find(role="push button", name="Search", root=dialog) if dialog else []
    if not search:
        raise HarnessError("the assignment dialog or its Search button did not show")
    session.click(*a11y.center(search[0]))
    found = wait_for(lambda: [n.name for n in a11y.find(role="label", root=dialog) if n.name.endswith("found")], 20)
    if found != [f"{len(CAMERAS)} cameras found"]:
        raise HarnessError(f"Search did not find the demo's {len(CAMERAS)} cameras: {found}")
    time.sleep(0.5)
    windows = session.windows("^Camera Assign$")
    if not windows:
        raise HarnessError("the assignment dialog's window was not found")
    shoot_window(session, windows[0], shots / "assign-search.png")


def scripted_session(session, shots, private_net):
    a11y = Accessibility(session.display)
    wait_for(a11y.app, 10, 0.2)
    panels = session.open_panel(a11y)
    if not panels:
        raise HarnessError("the panel did not open from the Tools menu")
    panel_window = panels[0]
    panel = wait_for(a11y.panel, 10, 0.2)
    if panel is None:
        raise HarnessError("the panel is not on the accessibility bus")
    time.sleep(0.5)
    shoot_window(session, panel_window, shots / "panel-disconnected.png")

    slot = a11y.find(name=CAMERAS[0][2], root=panel)
    pad = [b for b in a11y.find(role="push button", root=panel) if 55 <= a11y.extents(b)[2] <= 65]
    pad.sort(key=lambda b: (a11y.extents(b)[1], a11y.extents(b)[0]))
    if not slot or len(pad) != 9:
        raise HarnessError("camera slot or pad buttons not found in the panel")
    session.click(*a11y.center(slot[0]))
    if not wait_for(lambda: a11y.enabled(pad[1]), 15, 0.05):
        raise HarnessError("the camera in slot 1 did not connect")
    time.sleep(0.5)
    shoot_window(session, panel_window, shots / "panel-connected.png")

    x, y = a11y.center(pad[1])
    session.press(x, y)
    time.sleep(0.3)
    shoot_window(session, panel_window, shots / "panel-up-pressed.png")
    session.release()
    time.sleep(0.3)

    view = a11y.find(role="push button", name="View", root=panel)
    if not view:
        raise HarnessError("View button not found")
    session.click(*a11y.center(view[0]))
    time.sleep(0.5)
    session.key("Down", "Down", "Return")
    time.sleep(1.0)
    shoot_window(session, panel_window, shots / "panel-advanced.png")
    session.screenshot(shots / "obs-with-panel.png")
    print(f"saved {shots / 'obs-with-panel.png'}")
    # Search broadcasts; only inside the demo's own network namespace.
    if private_net:
        search_shot(session, a11y, panel, shots)


def main():
    # Ending the demo with SIGTERM cleans up like Ctrl+C does.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    workdir, ptzctl, shots = sys.argv[1:4]
    work = pathlib.Path(workdir)
    shots = pathlib.Path(shots)
    headless = not os.environ.get("DISPLAY")
    private_net = os.environ.get("PTZ_DEMO_NETNS") == "1"
    if private_net:
        bring_up_loopback()
        # Search broadcasts to 255.255.255.255; here that reaches the cameras on lo, from 127.0.0.1.
        subprocess.run(["ip", "route", "add", "default", "dev", "lo", "src", "127.0.0.1"], check=True)
    session = ObsSession(work, display=None if headless else os.environ["DISPLAY"])
    sims = []
    try:
        settings = {"hotKey": False}
        for slot, (model, address, nick) in enumerate(CAMERAS, start=1):
            # Only inside the private namespace: on the machine's own network they would listen on port 3702.
            discoverable = ("--discoverable", "--name", nick) if private_net else ()
            sims.append(Simulator(ptzctl, model, address, work / f"camera{slot}-{model}.log", options=discoverable))
            settings[f"Camera{slot}IP"] = address
            settings[f"Camera{slot}NickName"] = nick
        session.prepare(settings=settings)
        print("simulated cameras:")
        for slot, (model, address, nick) in enumerate(CAMERAS, start=1):
            print(f"  Camera{slot}: {nick:14} {model:10} {address}:52381")
        if private_net:
            print("they answer WS-Discovery too: the assignment dialog's Search finds them")
        print(f"OBS configuration: {session.cfg}")
        print(f"module settings:   {session.settings_path}")
        if headless:
            shots.mkdir(parents=True, exist_ok=True)
            session.start_obs(accessibility=True)
            print(f"OBS started in {session.startup_seconds:.1f} s on Xvfb {session.display}")
            scripted_session(session, shots, private_net)
            seconds = session.quit_obs()
            print("OBS closed" + (f" in {seconds:.1f} s" if seconds is not None else " (forced)"))
        else:
            session.start_obs(accessibility=False)
            print("OBS is running: open Tools > OBS - Brenmoor Camera Control Plugin, then pick a camera.")
            print("Close OBS to end the demo.")
            session.obs.wait()
    except HarnessError as error:
        print(f"demo failed: {error}", file=sys.stderr)
        return 1
    finally:
        session.stop()
        for sim in sims:
            sim.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
