#!/usr/bin/python3
"""Cameras follow the show, in OBS (Debian's OBS 29, or the OBS that PTZ_OBS_ROOT names) inside the private network
namespace that run-e2e.sh makes: two simulated cameras on loopback, scenes built and switched over OBS's own
WebSocket server, the camera datagrams read from the simulators' logs. Every check is reported; the run fails if any
check fails. Prints MEASURE lines: scene cut to the recall datagram and to the tally datagram, medians of 50.

usage: test_scenes_e2e.py MODULE.so DATA_DIR PTZCTL WORKDIR
PTZ_E2E_FPS sets OBS's frame rate (default: OBS's own, 30): program activations are handled at the next frame.
"""
import datetime
import os
import json
import pathlib
import statistics
import sys
import time

import websocket  # python3-websocket

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from obs_harness import (Accessibility, HarnessError, ObsSession, Simulator, bring_up_loopback, check,  # noqa: E402
                         failures, wait_for)
from obs_ws_client import ObsClient  # noqa: E402

WS_PORT = 4455
CAMS = {1: ("QK-H57P", "127.0.24.11", "Scene Cam One"), 2: ("QK-H57P", "127.0.24.12", "Scene Cam Two")}
COLOR = "color_source_v3"
PRESET = "brenmoor_camera_preset"


def recall(number):
    return f"81 01 04 3f 02 {number:02x} ff"


# Scenes: name -> items, each (input name, kind, settings) or ("scene", inner scene name).
SCENES = {
    "Blank": [],
    "Cam1 Wide": [("Cam1 Video", COLOR, {}), ("C1 P3 program", PRESET, {"camera": 1, "preset": 3})],
    "Inner": [("Cam2 Video", COLOR, {}), ("C2 P5 program", PRESET, {"camera": 2, "preset": 5, "trigger": "program"})],
    "Cam2 Nested": [("scene", "Inner")],
    "Preview C1": [("C1 P7 preview", PRESET, {"camera": 1, "preset": 7, "trigger": "preview"})],
    "Preview C1 Always": [("C1 P8 both", PRESET, {"camera": 1, "preset": 8, "trigger": "both", "skipIfLive": False})],
}

# Steps in order: what the test asks OBS for, then exactly the recalls and lamp changes each camera sees.
STEPS = [
    ("A cut to a scene with a program preset recalls it at its camera once and lights its red lamp",
     [("program", "Cam1 Wide")], {1: [recall(3)]}, {1: ["red on"]}),
    ("A cut to a scene holding it in a nested scene recalls camera 2; the red lamps follow",
     [("program", "Cam2 Nested")], {2: [recall(5)]}, {1: ["red off"], 2: ["red on"]}),
    ("Studio mode on with the program scene in preview: no recall, no lamp",
     [("studio", True)], {}, {}),
    ("A preview preset recalls when its scene goes to preview",
     [("preview", "Preview C1")], {1: [recall(7)]}, {}),
    ("A scene showing camera 1 in preview lights its green lamp; its program preset stays still",
     [("preview", "Cam1 Wide")], {}, {1: ["green on"]}),
    ("Camera 1 cut to program in studio mode: recalled, red on and green off; camera 2 off the air",
     [("program", "Cam1 Wide")], {1: [recall(3)]}, {1: ["red on", "green off"], 2: ["red off"]}),
    ("A preview preset is held back while its camera is on program (skipIfLive)",
     [("preview", "Preview C1")], {}, {}),
    ("A preset without skipIfLive recalls on preview even while its camera is on program",
     [("preview", "Preview C1 Always")], {1: [recall(8)]}, {}),
    ("The same preview chosen again recalls nothing more",
     [("preview", "Preview C1 Always")], {}, {}),
    ("Studio mode off: nothing recalled, no lamp changes", [("studio", False)], {}, {}),
    ("A cut to a scene with only a preview preset recalls nothing; camera 1 goes off the air",
     [("program", "Preview C1")], {}, {1: ["red off"]}),
    ("Studio mode switched on with that scene in preview recalls its preset", [("studio", True)], {1: [recall(7)]}, {}),
    ("Studio mode off again", [("studio", False)], {}, {}),
]

class ObsWebSocket:
    """OBS's own requests, without authentication, once OBS is ready; a failing request raises."""

    def __init__(self, port):
        self.client = ObsClient(port, None, events=False)
        if not self.client.wait_ready():
            raise HarnessError("obs-websocket never got ready")

    def request(self, kind, data=None):
        out = self.client.call(kind, data, vendor=False)
        if "_status" in out:
            raise HarnessError(f"{kind} {data}: {out['_status']}")
        return out

    def close(self):
        self.client.close()


def connect_websocket(port, seconds=30):
    deadline = time.monotonic() + seconds
    while True:
        try:
            return ObsWebSocket(port)
        except (OSError, websocket.WebSocketException):
            if time.monotonic() > deadline:
                raise HarnessError(f"no obs-websocket server on port {port}")
            time.sleep(0.5)


class CameraLog:
    """A simulator's log: received VISCA payloads and lamp changes with their times (seconds since the epoch)."""

    def __init__(self, simulator):
        self.sim = simulator
        self.mark = 0

    def events(self):
        if not self.sim.log_path.exists():
            return []
        today = datetime.date.today()
        out = []
        for line in self.sim.log_path.read_text(errors="replace").splitlines():
            parts = line.split()
            if len(parts) < 3:
                continue
            clock = datetime.datetime.combine(today, datetime.time.fromisoformat(parts[0])).timestamp()
            if parts[1] == "in":
                out.append((clock, "in", " ".join(parts[2:][8:])))
            elif parts[1] == "lamp":
                out.append((clock, "lamp", " ".join(parts[2:])))
        return out

    def since_mark(self, kind, prefix=""):
        return [text for _, k, text in self.events()[self.mark:] if k == kind and text.startswith(prefix)]

    def set_mark(self):
        self.mark = len(self.events())


def apply(obs, action, value):
    if action == "program":
        obs.request("SetCurrentProgramScene", {"sceneName": value})
    elif action == "preview":
        obs.request("SetCurrentPreviewScene", {"sceneName": value})
    elif action == "studio":
        obs.request("SetStudioModeEnabled", {"studioModeEnabled": value})


def build_scenes(obs):
    obs.request("SetCurrentSceneTransition", {"transitionName": "Cut"})
    for scene in SCENES:
        obs.request("CreateScene", {"sceneName": scene})
    for scene, items in SCENES.items():
        for name, kind, *settings in items:
            if name == "scene":
                obs.request("CreateSceneItem", {"sceneName": scene, "sourceName": kind})
            else:
                obs.request("CreateInput", {"sceneName": scene, "inputName": name, "inputKind": kind,
                                            "inputSettings": settings[0] if settings else {}})
    obs.request("SetCurrentProgramScene", {"sceneName": "Blank"})


def run_steps(obs, logs):
    recall_prefix = "81 01 04 3f 02"
    for name, actions, recalls, lamps in STEPS:
        for log in logs.values():
            log.set_mark()
        for action, value in actions:
            apply(obs, action, value)

        def seen():
            return ({n: log.since_mark("in", recall_prefix) for n, log in logs.items()},
                    {n: log.since_mark("lamp") for n, log in logs.items()})

        wanted = ({n: recalls.get(n, []) for n in logs}, {n: sorted(lamps.get(n, [])) for n in logs})
        wait_for(lambda: ({n: r for n, r in seen()[0].items()}, {n: sorted(t) for n, t in seen()[1].items()})
                 == wanted, 3, 0.05)
        time.sleep(0.6)  # anything more than expected would come within this
        got_recalls, got_lamps = seen()
        check(name, (got_recalls, {n: sorted(t) for n, t in got_lamps.items()}) == wanted,
              f"recalls {got_recalls}, lamps {got_lamps}")


def rename_checks(obs, session, logs):
    obs.request("SetInputName", {"inputName": "Cam1 Video", "newInputName": "Cam1 Renamed"})
    stored = wait_for(lambda: json.loads(session.settings_path.read_text()).get("Camera1Source") == "Cam1 Renamed",
                      5, 0.1)
    check("A renamed source is followed: its slot's key takes the new name", stored,
          json.loads(session.settings_path.read_text()).get("Camera1Source"))
    logs[1].set_mark()
    apply(obs, "program", "Cam1 Wide")
    check("The renamed source still drives the tally: cut to it, camera 1's red lamp lights",
          wait_for(lambda: logs[1].since_mark("lamp") == ["red on"], 3, 0.05), logs[1].since_mark("lamp"))


def measure(obs, logs, rounds=50):
    """Cut from Blank to Cam1 Wide: request sent to camera 1's recall datagram, and to its red-lamp datagram."""
    to_recall, to_lamp = [], []
    for _ in range(rounds):
        apply(obs, "program", "Blank")
        wait_for(lambda: logs[1].since_mark("lamp") and logs[1].since_mark("lamp")[-1] == "red off", 2, 0.01)
        time.sleep(0.1)
        logs[1].set_mark()
        sent = time.time()
        apply(obs, "program", "Cam1 Wide")
        wait_for(lambda: logs[1].since_mark("in", recall(3)) and logs[1].since_mark("lamp"), 2, 0.01)
        events = logs[1].events()[logs[1].mark:]
        recall_at = [t for t, k, text in events if k == "in" and text == recall(3)]
        lamp_at = [t for t, k, text in events if k == "lamp" and text == "red on"]
        if recall_at:
            to_recall.append((recall_at[0] - sent) * 1000)
        if lamp_at:
            to_lamp.append((lamp_at[0] - sent) * 1000)
        time.sleep(0.2)
    check("Every measured cut recalled the preset and lit the lamp", len(to_recall) == len(to_lamp) == rounds,
          (len(to_recall), len(to_lamp)))
    if to_recall and to_lamp:
        print(f"MEASURE cut to recall datagram: median {statistics.median(to_recall):.1f} ms "
              f"(min {min(to_recall):.1f}, max {max(to_recall):.1f}, n={len(to_recall)}); cut to tally datagram: "
              f"median {statistics.median(to_lamp):.1f} ms (min {min(to_lamp):.1f}, max {max(to_lamp):.1f})",
              flush=True)


def restart_check(ptzctl, work, cams, logs, a11y, slot):
    """Camera 1, off the air, goes away until OBS finds it not answering, comes back and is told its lamps again."""
    model, address, _ = CAMS[1]
    cams[1].stop()
    gone = wait_for(lambda: "Not answering" in slot.description, 40, 0.5)
    cams[1] = Simulator(ptzctl, model, address, work / "cam1-again.log")
    logs[1] = CameraLog(cams[1])
    check("A camera back after not answering gets its lamps again: red off, green off",
          gone and wait_for(lambda: sorted(logs[1].since_mark("lamp")) == ["green off", "red off"], 40, 0.2),
          (gone, logs[1].since_mark("lamp")))


def lock_checks(session, obs, logs, a11y):
    """Camera 1 is on program (the last cut of the measurement). Returns its slot button."""
    wait_for(a11y.app, 10, 0.2)
    session.open_panel(a11y)
    panel = wait_for(a11y.panel, 10, 0.2)
    slot = a11y.find(name=CAMS[1][2], root=panel) if panel else []
    if not check("The panel shows camera 1's slot", len(slot) == 1, slot):
        return None
    description = slot[0].description
    check("The slot of the camera on program says so", "On program" in description, description)
    session.click(*a11y.center(slot[0]))
    pad = [b for b in a11y.find(role="push button", root=panel) if 55 <= a11y.extents(b)[2] <= 65 and a11y.showing(b)]
    pad.sort(key=lambda b: (a11y.extents(b)[1], a11y.extents(b)[0]))
    if not check("The pad enables for camera 1", len(pad) == 9 and wait_for(lambda: a11y.enabled(pad[1]), 15, 0.1),
                 len(pad)):
        return slot[0]
    settings = [b for b in a11y.find(role="push button", root=panel) if a11y.showing(b) and b.name == "Settings"]
    if not check("The panel has its Settings button", len(settings) == 1, settings):
        return slot[0]
    # The menu: camera assignment, hotkeys, limits, preset names, gamepads, bridge, the lock, close.
    session.click(*a11y.center(settings[0]))
    time.sleep(0.4)
    session.key(*(["Down"] * 7), "Return")
    check("The Settings menu's lock entry stores the lock", wait_for(
        lambda: json.loads(session.settings_path.read_text()).get("lockCamerasOnProgram") is True, 5, 0.1))

    def press_up():
        logs[1].set_mark()
        session.press(*a11y.center(pad[1]))
        time.sleep(0.4)
        session.release()
        time.sleep(0.6)
        return logs[1].since_mark("in", "81 01 06 01")

    refused = press_up()
    label = a11y.find(name="This camera is on program and locked", root=panel)
    check("A pad press for the camera on program is refused, with the reason shown", not any(
        m.endswith("03 01 ff") for m in refused) and label, (refused, label))
    apply(obs, "program", "Blank")
    wait_for(lambda: "On program" not in slot[0].description, 3, 0.05)
    moved = press_up()
    check("Off program the same press moves the camera", any(m.endswith("03 01 ff") for m in moved), moved)
    return slot[0]


def main():
    module_so, data_dir, ptzctl, workdir = sys.argv[1:5]
    bring_up_loopback()
    work = pathlib.Path(workdir)
    work.mkdir(parents=True, exist_ok=True)
    session = ObsSession(work / "obs", module_so, data_dir)
    cams, obs = {}, None
    try:
        for n, (model, address, _) in CAMS.items():
            cams[n] = Simulator(ptzctl, model, address, work / f"cam{n}.log")
        logs = {n: CameraLog(sim) for n, sim in cams.items()}
        settings = {"hotKey": False}
        for n, (_, address, nickname) in CAMS.items():
            settings.update({f"Camera{n}IP": address, f"Camera{n}NickName": nickname,
                             f"Camera{n}Source": f"Cam{n} Video", f"Camera{n}Tally": "redGreen" if n == 1 else "red"})
        session.prepare(settings=settings, websocket_port=WS_PORT)
        if os.environ.get("PTZ_E2E_FPS"):
            (session.profile_dir / "basic.ini").write_text(
                f"[Video]\nFPSType=0\nFPSCommon={os.environ['PTZ_E2E_FPS']}\n")
        session.start_obs()
        obs = connect_websocket(WS_PORT)
        check("Connected cameras with tally are told their lamps: camera 1 both off, camera 2 red off",
              wait_for(lambda: sorted(logs[1].since_mark("lamp")) == ["green off", "red off"] and
                       logs[2].since_mark("lamp") == ["red off"], 20, 0.1),
              (logs[1].since_mark("lamp"), logs[2].since_mark("lamp")))
        build_scenes(obs)
        time.sleep(0.5)
        run_steps(obs, logs)
        rename_checks(obs, session, logs)
        measure(obs, logs)
        a11y = Accessibility(session.display)
        slot = lock_checks(session, obs, logs, a11y)
        if slot is not None:
            restart_check(ptzctl, work, cams, logs, a11y, slot)
        obs.close()
        obs = None
        seconds = session.quit_obs(timeout=10)
        check("OBS exits cleanly", seconds is not None and session.obs.returncode == 0, session.obs.returncode)
        text = session.log_text()
        check("No source creation failed", "Failed to create source" not in text,
              [line for line in text.splitlines() if "Failed to create source" in line][:3])
    except HarnessError as error:
        check("harness", False, str(error))
    finally:
        if obs is not None:
            obs.close()
        session.stop()
        for sim in cams.values():
            sim.stop()
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")


if __name__ == "__main__":
    main()
    sys.exit(1 if failures else 0)
