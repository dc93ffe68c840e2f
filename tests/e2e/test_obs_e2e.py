#!/usr/bin/python3
"""The module in OBS (Debian's OBS 29, or the OBS that PTZ_OBS_ROOT names), checked from outside: on its own Xvfb
display inside the private network namespace that run-e2e.sh makes, with a simulated camera on loopback, driven with
xdotool and read over the accessibility bus. Every check is reported; the run fails if any check fails.

usage: test_obs_e2e.py MODULE.so DATA_DIR PTZCTL WORKDIR
       PTZ_PACKAGE_ROOT=ROOT test_obs_e2e.py --package VERSION PTZCTL WORKDIR (the packaged module unpacked in ROOT)
"""
import os
import pathlib
import re
import signal
import subprocess
import sys
import time

import websocket  # python3-websocket

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from obs_harness import (MODULE, PANEL_TITLE, Accessibility, HarnessError, ObsSession, Simulator,  # noqa: E402
                         bring_up_loopback, check, failures, wait_for)

CAM1 = ("QK-H57P", "127.0.7.11", "E2E H57P")
# moveUp, then later panTiltStop, among the payloads a camera received (one a line).
UP_THEN_STOP = re.compile(r"^81 01 06 01 .. .. 03 01 ff$.*^81 01 06 01 .. .. 03 03 ff$", re.M | re.S)
# Messages the module writes when something is wrong (its own diagnostics and OBS's about it). Not among them:
# "check count number Error", the link turning away the late answers of a camera that was silent for a while.
MODULE_TROUBLE = re.compile(r"Failed to get base\.ini path|Failed to open basic\.ini|It's failed|Catch Error|"
                            r"Data is empty|ViscaTransfer: Error|text for module: '" + MODULE, re.I)

def stacking_top(session):
    """The topmost of OBS's main window and the panel (X keeps siblings bottom to top)."""
    out = subprocess.run(["xwininfo", "-root", "-children"], env=session.env, capture_output=True, text=True).stdout
    ours = set(session.panel_windows()) | {session.main_window()}
    seen = [int(w, 16) for w in re.findall(r"^\s+(0x[0-9a-f]+) ", out, re.M) if int(w, 16) in ours]
    return seen[0] if seen else None


def longest_answer(a11y, node, seconds, until=lambda enabled: False):
    """Asks OBS for node's state every 20 ms (over the accessibility bus; its interface thread answers) for
    `seconds` or until until(enabled) holds. Returns the longest answer time in ms and whether until() held."""
    longest, end = 0.0, time.monotonic() + seconds
    while time.monotonic() < end:
        asked = time.monotonic()
        enabled = a11y.enabled(node)
        longest = max(longest, (time.monotonic() - asked) * 1000)
        if until(enabled):
            return longest, True
        time.sleep(0.02)
    return longest, False


def inside(rect, outer, slack=0):
    x, y, w, h = rect
    ox, oy, ow, oh = outer
    return x >= ox - slack and y >= oy - slack and x + w <= ox + ow + slack and y + h <= oy + oh + slack


def panel_rect(a11y):
    panel = a11y.panel()
    return a11y.extents(panel) if panel is not None and a11y.showing(panel) else None


def float_button(a11y):
    """The title-bar button of the panel's dock that floats or docks it."""
    panel = a11y.panel()
    if panel is None:
        return None
    px, py, pw, _ = a11y.extents(panel)
    for button in a11y.find(role="push button", name="Float"):
        bx, by, bw, bh = a11y.extents(button)
        # The dock's title bar lies just above its content, within its width.
        if a11y.showing(button) and py - 60 <= by < py and px - 20 <= bx <= px + max(pw, 900):
            return button
    return None


def choose_view(session, a11y, entry):
    """View button, then its first (simple) or second (advanced) entry."""
    view = [b for b in a11y.find(role="push button", name="View", root=a11y.panel()) if a11y.showing(b)]
    if view:
        session.click(*a11y.center(view[0]))
        time.sleep(0.4)
        session.key(*(["Down"] * entry), "Return")
        time.sleep(0.8)


def share_of_panel_colour(session, rect, name):
    """Share of the panel's background colour in a screen rectangle (from a screenshot)."""
    shot = session.work / f"{name}.png"
    session.screenshot(shot)
    x, y, w, h = rect
    out = subprocess.run(["convert", str(shot), "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-fuzz", "3%", "-fill",
                          "white", "-opaque", "#474747", "-fill", "black", "+opaque", "white", "-format",
                          "%[fx:mean]", "info:"], capture_output=True, text=True)
    return float(out.stdout) if out.returncode == 0 and out.stdout else 0.0


def dock_checks(session, a11y):
    """The views resize the floating and the docked dock. Returns where the docked panel and its float button
    are, both relative to the main window, which OBS may put elsewhere after a restart."""
    # Room beside the preview for the advanced view (Xvfb has no window manager to maximise it).
    session.xdotool("windowsize", session.main_window(), 1560, 960)
    time.sleep(0.8)
    main_rect = mx, my, _, _ = session.window_rect(session.main_window())
    widths = []
    for entry in (2, 1):
        choose_view(session, a11y, entry)
        widths.append(session.window_rect(session.panel_windows()[0])[2] if session.panel_windows() else 0)
    check("The advanced view widens the floating dock and the simple view narrows it again",
          widths[0] > widths[1] + 300 and widths[1] > 0, widths)

    button = float_button(a11y)
    if button is not None:
        session.click(*a11y.center(button))
        time.sleep(0.8)
    docked = button is not None and wait_for(lambda: not session.panel_windows(), 3, 0.1) and panel_rect(a11y)
    where = (button := float_button(a11y)) and (a11y.center(button)[0] - mx, a11y.center(button)[1] - my)
    choose_view(session, a11y, 2)
    wide = panel_rect(a11y)
    check("The dock docks into the main window, and the advanced view widens it there",
          docked and wide and inside(docked, main_rect, 2) and inside(wide, main_rect, 2) and wide[2] > docked[2] + 300,
          (session.panel_windows(), docked, wide))
    choose_view(session, a11y, 1)
    time.sleep(0.5)
    return docked and (docked[0] - mx, docked[1] - my, docked[2], docked[3]), where


def restart_checks(session, docked_rect, float_at):
    """OBS restores the dock as it was left: docked, then floating at its place. Read from the screen only."""
    session.start_obs(accessibility=False)
    time.sleep(2)
    mx, my = session.window_rect(session.main_window())[:2]
    docked_rect = docked_rect and (docked_rect[0] + mx, docked_rect[1] + my, docked_rect[2], docked_rect[3])
    shown = bool(docked_rect) and share_of_panel_colour(session, docked_rect, "restored-docked") > 0.3
    check("After a restart OBS shows the dock docked, as it was left", shown and not session.panel_windows(),
          (docked_rect, session.panel_windows()))
    floated = None
    for _ in range(3 if float_at else 0):  # a click may come before OBS has finished restoring its layout
        session.click(float_at[0] + mx, float_at[1] + my)
        if (floated := wait_for(session.panel_windows, 3, 0.1)):
            break
    if floated:
        session.xdotool("windowmove", floated[0], 140, 160)
        time.sleep(0.5)
        floated = session.window_rect(floated[0])
    session.quit_obs(timeout=10)
    session.stop_obs()

    session.start_obs(accessibility=False)
    again = wait_for(session.panel_windows, 10, 0.2)
    where = session.window_rect(again[0]) if again else None
    check("The float button floats the restored dock, and after a restart OBS shows it where it was left",
          where is not None and bool(floated) and abs(where[0] - floated[0]) <= 2 and
          abs(where[1] - floated[1]) <= 2 and where[2:] == floated[2:], (where, floated))
    session.quit_obs(timeout=10)
    # The start-up figure from OBS's profiler, of a start without the accessibility bus.
    print(f"MEASURE obs_init_module {MODULE} {session.init_module_ms(MODULE)} ms, frontend-tools "
          f"{session.init_module_ms('frontend-tools')} ms", flush=True)


def german_checks(module_so, data_dir, work):
    """OBS set to German. Its own process: the accessibility client keeps the bus it first found."""
    title = "OBS - Brenmoor Kamerasteuerung"
    session = ObsSession(work / "obs-de", module_so, data_dir, language="de-DE", panel_title=title,
                         dock_title="Kamerasteuerung")
    try:
        session.prepare(settings={"hotKey": False})
        session.start_obs()
        a11y = Accessibility(session.display)
        wait_for(a11y.app, 10, 0.2)
        # The Tools menu has a German name and shortcut too: its entry is triggered through the accessibility bus.
        entry = wait_for(lambda: a11y.find(role="menu item", name=title), 10, 0.2)
        if entry:
            entry[0].queryAction().doAction(0)
        docks = wait_for(session.panel_windows, 5, 0.1) or []
        panel = wait_for(lambda: a11y.panel_named(title), 10, 0.2)
        texts = {node.name for node in a11y.nodes(panel)} if panel else set()
        check("With OBS in German the Tools entry shows the dock Kamerasteuerung, its panel in German",
              len(docks) == 1 and {"Einstellungen", "Ansicht", "Kamera wählen"} <= texts, (docks, sorted(texts)))
        session.quit_obs(timeout=10)
    except HarnessError as error:
        check("harness (German)", False, str(error))
    finally:
        session.stop()


def package_checks(version, ptzctl, work):
    """The packaged module (its unpacked files, see obs_harness.package_layout) loads and drives a camera."""
    if not check("PTZ_PACKAGE_ROOT names the unpacked package", os.environ.get("PTZ_PACKAGE_ROOT")):
        return
    bring_up_loopback()
    session = ObsSession(work / "obs")
    cam1 = None
    try:
        cam1 = Simulator(ptzctl, CAM1[0], CAM1[1], work / "sim.log")
        session.prepare(settings={"hotKey": False, "Camera1IP": CAM1[1], "Camera1NickName": CAM1[2]})
        session.start_obs()
        loaded = f"{MODULE} version {version} loaded"
        check("OBS's log names the module's version when it loads", loaded in session.log_text(), loaded)
        a11y = Accessibility(session.display)
        wait_for(a11y.app, 10, 0.2)
        tools = a11y.menu_items("Tools")
        panels = session.open_panel(a11y)
        check("The Tools menu's entry shows the panel", PANEL_TITLE in tools and len(panels) == 1, (tools, panels))
        panel = wait_for(a11y.panel, 10, 0.2)
        slot = a11y.find(name=CAM1[2], root=panel) if panel else []
        pad = [b for b in a11y.find(role="push button", root=panel) if 55 <= a11y.extents(b)[2] <= 65 and
               a11y.showing(b)] if panel else []
        if check("The panel shows the nickname's slot and the pad", len(slot) == 1 and len(pad) == 9, (slot, pad)):
            up_button = sorted(pad, key=lambda b: (a11y.extents(b)[1], a11y.extents(b)[0]))[1]
            session.click(*a11y.center(slot[0]))
            check("Clicking the slot connects the simulated camera (its pad is enabled)",
                  wait_for(lambda: a11y.enabled(up_button), 15, 0.05))
        session.quit_obs(timeout=10)
    except HarnessError as error:
        check("harness (package)", False, str(error))
    finally:
        session.stop()
        if cam1 is not None:
            cam1.stop()


def main():
    if sys.argv[1] == "--german":
        german_checks(sys.argv[2], sys.argv[3], pathlib.Path(sys.argv[4]))
        return
    if sys.argv[1] == "--package":
        package_checks(sys.argv[2], sys.argv[3], pathlib.Path(sys.argv[4]))
        print(f"{len(failures)} check(s) failed" if failures else "all checks passed")
        return
    module_so, data_dir, ptzctl, workdir = sys.argv[1:5]
    bring_up_loopback()
    work = pathlib.Path(workdir)
    work.mkdir(parents=True, exist_ok=True)
    session = ObsSession(work / "obs", module_so, data_dir)
    cam1 = ws = None
    try:
        cam1 = Simulator(ptzctl, CAM1[0], CAM1[1], work / "sim.log")
        session.prepare(hotkeys={"TiltUpHotKey": [{"key": "OBS_KEY_F9"}]},
                        settings={"hotKey": True, "Camera1IP": CAM1[1], "Camera1NickName": CAM1[2]})
        session.start_obs()
        a11y = Accessibility(session.display)
        wait_for(a11y.app, 10, 0.2)

        tools = a11y.menu_items("Tools")
        panels = session.open_panel(a11y)
        first = panels[0] if len(panels) == 1 else None
        if check("The Tools menu's entry shows the panel in a floating dock", PANEL_TITLE in tools and first,
                 (tools, panels)):
            x, y, w, h = session.window_rect(first)
            mx, my, mw, mh = session.window_rect(session.main_window())
            centred = abs((x + w // 2) - (mx + mw // 2)) <= 40 and abs((y + h // 2) - (my + mh // 2)) <= 40
            panel = wait_for(lambda: panel_rect(a11y), 5, 0.2)
            check("First start floats the dock over the main window at the panel's size",
                  centred and panel and 0 <= w - panel[2] < 20 and 0 <= h - panel[3] < 60, ((x, y, w, h), (mx, my, mw, mh), panel))
            # Bring the main window over the panel, then choose the entry: the panel comes back on top.
            main_window = session.main_window()
            session.xdotool("windowraise", main_window)
            time.sleep(0.3)
            below = stacking_top(session) == main_window
            session.open_tools_entry(a11y)
            time.sleep(0.5)
            check("Choosing the entry raises a panel that lies under the main window",
                  below and stacking_top(session) == first, (below, stacking_top(session), first, main_window))
            # A click on the panel's background gives it the keyboard; Escape there leaves the dock to OBS.
            x, y = a11y.extents(a11y.panel())[:2]
            session.click(x + 8, y + 8)
            session.key("Escape", window=first)
            time.sleep(1.0)
            kept = session.panel_windows()
            check("Escape in the docked panel leaves the dock open", kept == panels, (kept, panels))

        panel = wait_for(a11y.panel, 10, 0.2)
        slot = a11y.find(name=CAM1[2], root=panel) if panel else []
        pad = [b for b in a11y.find(role="push button", root=panel) if 55 <= a11y.extents(b)[2] <= 65 and
               a11y.showing(b)] if panel else []
        pad.sort(key=lambda b: (a11y.extents(b)[1], a11y.extents(b)[0]))
        if not check("The panel shows the nickname's slot and the nine pad buttons", len(slot) == 1 and len(pad) == 9,
                     (panel, slot, len(pad))):
            return
        up_button = pad[1]
        idle = not a11y.enabled(up_button)
        session.click(*a11y.center(slot[0]))
        check("Clicking the slot connects the camera and enables the disabled pad",
              idle and wait_for(lambda: a11y.enabled(up_button), 15, 0.02), idle)
        start = len(cam1.received())
        session.xdotool("keydown", "F9")
        time.sleep(0.4)
        session.xdotool("keyup", "F9")
        check("Hotkey bound in basic.ini moves the camera up and stops it",
              wait_for(lambda: UP_THEN_STOP.search("\n".join(cam1.received()[start:])), 5, 0.05),
              cam1.received()[start:])

        # The camera goes silent (its process stopped, its socket still there): OBS keeps answering, well within
        # the 0.75 s that one silent exchange lasted, while the pad is pressed and while the link check runs.
        os.kill(cam1.proc.pid, signal.SIGSTOP)
        session.press(*a11y.center(up_button))
        pressed, _ = longest_answer(a11y, up_button, 0.5)
        session.release()
        longest, dropped = longest_answer(a11y, up_button, 15, until=lambda enabled: not enabled)
        print(f"MEASURE silent camera, longest answer: {pressed:.1f} ms pad pressed, {longest:.1f} ms released "
              "until the link check gives up", flush=True)
        check("OBS answers while the pad is pressed and the link check waits on the silent camera",
              max(pressed, longest) < 300, f"{pressed:.0f}, {longest:.0f} ms")
        os.kill(cam1.proc.pid, signal.SIGCONT)
        back = wait_for(lambda: a11y.enabled(up_button), 25, 0.2)
        check("The link check disables the pad of the silent camera, and the slot reconnects by itself when the camera "
              "answers again", dropped and back, (dropped, back))

        # A client of the bridge stays connected through the quit below (its relaying is tested on its own).
        try:
            ws = websocket.create_connection("ws://127.0.0.1:55260", timeout=5)
        except Exception as error:  # noqa: BLE001 - report any connection failure
            check("The bridge takes a WebSocket client on loopback", False, error)

        docked_rect, float_at = dock_checks(session, a11y)

        # Quit while the camera is connected and a WebSocket client is still open.
        seconds = session.quit_obs(timeout=10)
        check("OBS exits cleanly within 10 s with a camera connected and a client open, with its shutdown report",
              seconds is not None and session.obs.returncode == 0 and "Number of memory leaks" in session.log_text(),
              seconds and session.obs.returncode)
        lines = (session.log_text() + session.output_text()).splitlines()
        trouble = [line for line in lines if MODULE_TROUBLE.search(line) or re.search(r"\[(fail|error)\]", line)]
        check("No warnings, errors or failure lines from the module", not trouble, trouble[:5])
        bridge_lines = [line for line in session.log_text().splitlines() if "ViscaTransfer: " in line]
        check("The bridge's lines are in OBS's log file",
              any("Listening on 127.0.0.1 and ::1, port 55260" in line for line in bridge_lines)
              and any("Stopped listening" in line for line in bridge_lines), bridge_lines)
        if seconds is not None:
            restart_checks(session, docked_rect, float_at)
    except HarnessError as error:
        check("harness", False, str(error))
    finally:
        if ws is not None:
            ws.close()
        session.stop()
        if cam1 is not None:
            cam1.stop()
    german = subprocess.run([sys.executable, __file__, "--german", module_so, data_dir, str(work)], text=True,
                            capture_output=True)
    print(german.stdout, end="", flush=True)
    if german.returncode != 0:
        failures.append("German")
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")


if __name__ == "__main__":
    main()
    sys.exit(1 if failures else 0)
