#!/usr/bin/python3
"""The cameras through OBS's own WebSocket server (obs-websocket 5): OBS with the module and its obs-websocket, on
its own Xvfb display inside the private network namespace that run-remote-e2e.sh makes, with simulated cameras on
loopback, driven by an authenticated client. Every check is reported; the run fails if any check fails.

usage: test_remote_e2e.py MODULE.so DATA_DIR PTZCTL WORKDIR            (obs-websocket present)
       test_remote_e2e.py --without-websocket MODULE.so DATA_DIR WORKDIR
"""
import os
import pathlib
import re
import secrets
import signal
import socket
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from obs_harness import (Accessibility, HarnessError, ObsSession, Simulator, bring_up_loopback, check,  # noqa: E402
                         failures, wait_for)
from obs_ws_client import ObsClient  # noqa: E402

CAM1 = ("QK-H57P", "127.0.7.21")
SILENT = ("QK-H57P", "127.0.7.22")  # receives, never answers
CAM4 = ("QK-H32P", "127.0.7.24")
NOT_LOADED = "CameraRemote: obs-websocket is not loaded: cameras cannot be driven through OBS's WebSocket"
HOTKEYS = {"SelectCamera1HotKey": [{"key": "OBS_KEY_F7"}], "Preset10HotKey": [{"key": "OBS_KEY_F8"}],
           "FocusNearHotKey": [{"key": "OBS_KEY_F9"}]}

# Vendor request, its data, and the VISCA bytes camera 1 must receive for it (a regex on one line), or a check of
# the answer's data.
REQUESTS = [
    ("MoveCamera", {"camera": 1, "direction": "up", "panSpeed": 5, "tiltSpeed": 6}, r"81 01 06 01 05 06 03 01 ff"),
    ("MoveCamera", {"camera": 1, "direction": "downLeft"}, r"81 01 06 01 05 06 01 02 ff"),
    ("MoveCamera", {"camera": 1, "direction": "stop"}, r"81 01 06 01 .. .. 03 03 ff"),
    ("MoveCamera", {"camera": 1, "direction": "home"}, r"81 01 06 04 ff"),
    ("ZoomCamera", {"camera": 1, "action": "in", "speed": 4}, r"81 01 04 07 24 ff"),
    ("ZoomCamera", {"camera": 1, "action": "out"}, r"81 01 04 07 34 ff"),
    ("ZoomCamera", {"camera": 1, "action": "stop"}, r"81 01 04 07 00 ff"),
    ("FocusCamera", {"camera": 1, "action": "near"}, r"81 01 04 08 3. ff"),
    ("FocusCamera", {"camera": 1, "action": "far"}, r"81 01 04 08 2. ff"),
    ("FocusCamera", {"camera": 1, "action": "stop"}, r"81 01 04 08 00 ff"),
    ("FocusCamera", {"camera": 1, "action": "manual"}, r"81 01 04 38 03 ff"),
    ("FocusCamera", {"camera": 1, "action": "auto"}, r"81 01 04 38 02 ff"),
    ("FocusCamera", {"camera": 1, "action": "onePush"}, r"81 01 04 18 01 ff"),
    ("CallPreset", {"camera": 1, "preset": 12}, r"81 01 04 3f 02 0c ff"),
    ("StorePreset", {"camera": 1, "preset": 19}, r"81 01 04 3f 01 13 ff"),
    ("CallPreset", {"preset": 3}, r"81 01 04 3f 02 03 ff"),  # no camera: the selected one
    ("SendViscaCommand", {"camera": 1, "command": "81 01 04 07 02 FF"},
     lambda d: d.get("replies") == [{"hex": "90 41 FF"}, {"hex": "90 51 FF"}]),
    ("SendViscaCommand", {"camera": 1, "command": "8109044 7ff"}, lambda d: re.fullmatch(
        r"90 50 0. 0. 0. 0. FF", (d.get("replies") or [{}])[-1].get("hex", ""))),
    ("GetPresets", {"camera": 1}, lambda d: [p["preset"] for p in d.get("presets", [])] == list(range(1, 10))),
]

# Requests that must fail, and the start of their error text.
ERRORS = [
    ("CallPreset", {"camera": 9, "preset": 1}, "unknown camera"),
    ("MoveCamera", {"camera": "x", "direction": "up"}, "unknown camera"),
    ("CallPreset", {"camera": 3, "preset": 1}, "no address"),
    ("SelectCamera", {"camera": 3}, "no address"),
    ("CallPreset", {"camera": 2, "preset": 1}, "camera not answering"),
    ("SendViscaCommand", {"camera": 2, "command": "81 09 04 47 FF"}, "camera not answering"),
    ("CallPreset", {"camera": 1, "preset": 20}, "bad argument: preset"),
    ("StorePreset", {"camera": 1, "preset": "one"}, "bad argument: preset"),
    ("CallPreset", {"camera": 1}, "bad argument: preset"),
    ("SendViscaCommand", {"camera": 1, "command": "81 09 zz FF"}, "bad argument: command"),
    ("SendViscaCommand", {"camera": 1, "command": "81 09 04 4"}, "bad argument: command"),
    ("SendViscaCommand", {"camera": 1, "command": "81 01 FF 04 FF"}, "bad argument: command"),
    ("MoveCamera", {"camera": 1, "direction": "sideways"}, "bad argument: direction"),
    ("MoveCamera", {"camera": 1, "direction": "up", "panSpeed": 99}, "bad argument: panSpeed"),
    ("ZoomCamera", {"camera": 1, "action": "in", "speed": 8}, "bad argument: speed"),
]

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def received_after(camera, start, pattern, timeout=3):
    """The payloads camera received after the first `start` ones, once one matches pattern (or all, after timeout)."""
    regex = re.compile("^" + pattern + "$", re.M)
    found = wait_for(lambda: regex.search("\n".join(camera.received()[start:])), timeout, 0.05)
    return bool(found), camera.received()[start:]


def request_checks(client, cam1):
    cameras = client.call("GetCameras")
    states = [(c["camera"], c["state"], c["address"]) for c in cameras.get("cameras", [])]
    check("GetCameras lists the eight slots with their states", cameras.get("ok") is True and states[:4] == [
        (1, "connected", CAM1[1]), (2, "not_answering", SILENT[1]), (3, "no_address", ""),
        (4, "connected", CAM4[1])] and len(states) == 8 and cameras["cameras"][3]["model"] == "QK-H32P", cameras)
    for slot in (4, 1):
        client.events.clear()
        selected = client.call("SelectCamera", {"camera": slot})
        listed = [c["camera"] for c in client.call("GetCameras").get("cameras", []) if c["selected"]]
        event = client.wait_event(lambda kind, data: kind == "CameraSelected", 5)
        check(f"SelectCamera {slot} selects the slot, GetCameras shows it and CameraSelected follows",
              selected.get("ok") is True and listed == [slot] and event == ("CameraSelected", {"camera": slot}),
              (selected, listed, event))
    for request, data, expected in REQUESTS:
        start = len(cam1.received())
        reply = client.call(request, data)
        if callable(expected):
            ok, detail = reply.get("ok") is True and expected(reply), reply
        else:
            seen, payloads = received_after(cam1, start, expected)
            ok, detail = reply.get("ok") is True and seen, (reply, payloads)
        check(f"{request} {data} answers ok and reaches the camera", ok, detail)
    for request, data, error in ERRORS:
        reply = client.call(request, data)
        check(f"{request} {data} answers {error!r}",
              reply.get("ok") is False and str(reply.get("error", "")).startswith(error), reply)


def event_checks(client, cam1):
    client.events.clear()
    client.call("CallPreset", {"camera": 1, "preset": 7})
    recalled = client.wait_event(lambda kind, data: kind == "PresetRecalled" and data.get("preset") == 7, 5)
    check("PresetRecalled follows a recall, with who asked for it",
          recalled == ("PresetRecalled", {"camera": 1, "preset": 7, "by": "request"}), client.events)
    os.kill(cam1.proc.pid, signal.SIGSTOP)
    silent = client.wait_event(lambda kind, data: kind == "CameraStateChanged" and data == {
        "camera": 1, "state": "not_answering"}, 30)
    os.kill(cam1.proc.pid, signal.SIGCONT)
    back = client.wait_event(lambda kind, data: kind == "CameraStateChanged" and data == {
        "camera": 1, "state": "connected"}, 40)
    check("CameraStateChanged follows the camera going silent and coming back", silent and back, client.events)


def hotkey_checks(session, client, cam1):
    """Keys bound in basic.ini: one selects the camera, one recalls preset 10 on it, one drives the focus."""
    client.events.clear()
    session.xdotool("key", "F7")
    event = client.wait_event(lambda kind, data: kind == "CameraSelected", 5)
    check("SelectCamera1HotKey bound in basic.ini selects camera 1", event == ("CameraSelected", {"camera": 1}),
          client.events)
    start = len(cam1.received())
    session.xdotool("key", "F8")
    seen, payloads = received_after(cam1, start, r"81 01 04 3f 02 0a ff")
    event = client.wait_event(lambda kind, data: kind == "PresetRecalled", 5)
    check("Preset10HotKey bound in basic.ini recalls preset 10 on the selected camera",
          seen and event == ("PresetRecalled", {"camera": 1, "preset": 10, "by": "hotkey"}), (payloads, event))
    start = len(cam1.received())
    session.xdotool("keydown", "F9")
    time.sleep(0.4)
    session.xdotool("keyup", "F9")
    seen, payloads = received_after(cam1, start, r"81 01 04 08 3. ff(\n.*)*\n81 01 04 08 00 ff")
    check("FocusNearHotKey bound in basic.ini drives the focus near and stops it", seen, payloads)


def ordering_checks(session, client, cam1):
    """A request and a panel press for the same camera reach it in the order they were made."""
    a11y = Accessibility(session.display)
    wait_for(a11y.app, 10, 0.2)
    panels = session.open_panel(a11y)
    panel = wait_for(a11y.panel, 10, 0.2)
    pad = [b for b in a11y.find(role="push button", root=panel) if 55 <= a11y.extents(b)[2] <= 65 and
           a11y.showing(b)] if panel else []
    pad.sort(key=lambda b: (a11y.extents(b)[1], a11y.extents(b)[0]))
    if not check("The panel opens with its pad for the selected camera", panels and len(pad) == 9 and
                 wait_for(lambda: a11y.enabled(pad[1]), 10, 0.1), (panels, len(pad))):
        return
    # Pad held (the drive goes out), a request answered, pad released: the camera gets drive, recall, stop.
    start = len(cam1.received())
    session.press(*a11y.center(pad[1]))
    received_after(cam1, start, r"81 01 06 01 .. .. 03 01 ff")
    answer = client.call("CallPreset", {"camera": 1, "preset": 5})
    session.release()
    seen, payloads = received_after(cam1, start, r"81 01 06 01 .. .. 03 01 ff\n(.*\n)*81 01 04 3f 02 05 ff\n(.*\n)*"
                                    r"81 01 06 01 .. .. 03 03 ff")
    check("A panel press and a request for the same camera reach it in the order they were made",
          seen and answer.get("ok") is True, (answer, payloads))


def without_websocket(module_so, data_dir, work):
    session = ObsSession(work / "obs-plain", module_so, data_dir)
    try:
        session.prepare(settings={"hotKey": False})
        session.start_obs(accessibility=False)
        log = session.log_text()
        lines = [line for line in log.splitlines() if "CameraRemote:" in line]
        check("Without obs-websocket the module loads and logs one line about it",
              len(lines) == 1 and lines[0].endswith(NOT_LOADED) and
              {"OBS-BrenmoorCameraControlPlugin", "OBS-BrenmoorCameraControlPlugin.so"} & set(session.loaded_modules()),
              (lines, session.loaded_modules()))
        session.quit_obs(timeout=10)
    except HarnessError as error:
        check("harness (without obs-websocket)", False, str(error))
    finally:
        session.stop()


def main():
    if sys.argv[1] == "--without-websocket":
        bring_up_loopback()
        without_websocket(sys.argv[2], sys.argv[3], pathlib.Path(sys.argv[4]))
        return
    module_so, data_dir, ptzctl, workdir = sys.argv[1:5]
    bring_up_loopback()
    work = pathlib.Path(workdir)
    work.mkdir(parents=True, exist_ok=True)
    port, password = free_port(), secrets.token_urlsafe(12)
    session = ObsSession(work / "obs", module_so, data_dir)
    cameras, client = [], None
    try:
        cam1 = Simulator(ptzctl, CAM1[0], CAM1[1], work / "cam1.log")
        cameras = [cam1, Simulator(ptzctl, SILENT[0], SILENT[1], work / "silent.log", options=["--silent"]),
                   Simulator(ptzctl, CAM4[0], CAM4[1], work / "cam4.log")]
        session.prepare(hotkeys=HOTKEYS, websocket=(port, password),
                        settings={"hotKey": True, "Camera1IP": CAM1[1], "Camera2IP": SILENT[1],
                                  "Camera4IP": CAM4[1]})
        session.start_obs()
        client = wait_for(lambda: connect(port, password), 20, 0.5)
        if not check("An authenticated client connects to OBS's WebSocket server and OBS answers",
                     client is not None and client.wait_ready(), client):
            return
        try:
            ObsClient(port, password + "x").close()
            check("A wrong password is refused", False, "identified")
        except Exception:  # noqa: BLE001 - obs-websocket closes the connection
            check("A wrong password is refused", True)
        ready = wait_for(lambda: [c["state"] for c in client.call("GetCameras").get("cameras", [])][:4] ==
                         ["connected", "not_answering", "no_address", "connected"], 30, 0.5)
        check("Cameras 1 and 4 connect and the silent camera is found not answering", ready,
              client.call("GetCameras"))
        print(f"obs-websocket {client.version}", flush=True)
        hotkey_checks(session, client, cam1)
        request_checks(client, cam1)
        ordering_checks(session, client, cam1)
        event_checks(client, cam1)
        client.answer_close_in_background()
        seconds = session.quit_obs(timeout=10)
        print(f"OBS quit in {seconds:.2f} s" if seconds is not None else "OBS did not quit", flush=True)
        check("OBS exits cleanly with a client connected", seconds is not None and session.obs.returncode == 0,
              session.obs.returncode)
    except HarnessError as error:
        check("harness", False, str(error))
    finally:
        if client is not None:
            client.close()
        session.stop()
        for camera in cameras:
            camera.stop()


def connect(port, password):
    try:
        return ObsClient(port, password)
    except Exception:  # noqa: BLE001 - not listening yet
        return None


if __name__ == "__main__":
    main()
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")
    sys.exit(1 if failures else 0)
