#!/usr/bin/python3
"""Cameras through OBS's WebSocket: medians of the round trip of CallPreset to an instant simulated camera against
GetVersion (obs-websocket's own floor), and 50 requests in flight from two clients to two cameras (all answered,
per-camera order kept), while the interface thread is asked for a window's state over the accessibility bus every
20 ms (its longest answer) and a third client times GetVersion (obs-websocket's own threads, which the waiting
vendor requests occupy).

Runs Debian's OBS (or the OBS that PTZ_OBS_ROOT names, with obs-websocket) on its own Xvfb display inside a private
network namespace; the cameras are `ptzctl simulate` on loopback.
usage: bench_remote.py MODULE.so DATA_DIR PTZCTL
"""
import os
import pathlib
import secrets
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from obs_harness import Accessibility, ObsSession, Simulator, bring_up_loopback, wait_for  # noqa: E402
from obs_ws_client import ObsClient  # noqa: E402

CAMERAS = ("127.0.8.1", "127.0.8.2")
ROUNDS = 200
IN_FLIGHT = 50
PORT = 4455


def timed(client, request, data=None, vendor=True):
    start = time.perf_counter()
    reply = client.call(request, data, vendor)
    return (time.perf_counter() - start) * 1000, reply


def round_trips(client):
    floor = [timed(client, "GetVersion", vendor=False)[0] for _ in range(ROUNDS)]
    calls, failed = [], 0
    for i in range(ROUNDS):
        ms, reply = timed(client, "CallPreset", {"camera": 1, "preset": 1 + i % 19})
        calls.append(ms)
        failed += reply.get("ok") is not True
    inquiries = [timed(client, "SendViscaCommand", {"camera": 1, "command": "81 09 04 47 FF"})[0] for _ in range(ROUNDS)]
    raw = [timed(client, "SendViscaCommand", {"camera": 1, "command": "81 01 04 3F 02 01 FF"})[0] for _ in range(ROUNDS)]
    print(f"GetVersion round trip: median {statistics.median(floor):.2f} ms (n={ROUNDS})")
    print(f"SendViscaCommand recall (raw exchange, then the 50 ms pacing pause) round trip: median "
          f"{statistics.median(raw):.2f} ms (n={ROUNDS})")
    print(f"SendViscaCommand inquiry (no pacing pause) round trip: median {statistics.median(inquiries):.2f} ms "
          f"(n={ROUNDS})")
    print(f"CallPreset round trip: median {statistics.median(calls):.2f} ms, p90 "
          f"{sorted(calls)[int(ROUNDS * 0.9)]:.2f} ms (n={ROUNDS}, {failed} not ok)")


def recalled(camera, start):
    """Preset numbers camera received in recall commands after its first `start` payloads."""
    out = []
    for payload in camera.received()[start:]:
        parts = payload.split()
        if parts[:5] == ["81", "01", "04", "3f", "02"]:
            out.append(int(parts[5], 16))
    return out


def in_flight(port, password, cameras, ui_node, a11y):
    clients = [ObsClient(port, password, events=False) for _ in range(2)]
    probe = ObsClient(port, password, events=False)
    # Client 0 recalls presets 1-9, client 1 presets 10-19, alternating between the cameras.
    plans = [[(1 + i % 2, (1 + i % 9) if c == 0 else (10 + i % 10)) for i in range(IN_FLIGHT // 2)] for c in range(2)]
    starts = [len(camera.received()) for camera in cameras]
    probe_ms, ui_ms, done = [], [], threading.Event()

    def probing():
        while not done.is_set() and len(probe_ms) < 500:
            probe_ms.append(timed(probe, "GetVersion", vendor=False)[0])
            time.sleep(0.02)

    def asking_interface():
        while not done.is_set() and len(ui_ms) < 1000:
            asked = time.perf_counter()
            a11y.enabled(ui_node)
            ui_ms.append((time.perf_counter() - asked) * 1000)
            time.sleep(0.02)

    probers = [threading.Thread(target=probing), threading.Thread(target=asking_interface)]
    for prober in probers:
        prober.start()
    began = time.perf_counter()
    ids = [[client.send("CallPreset", {"camera": cam, "preset": preset}) for cam, preset in plan]
           for client, plan in zip(clients, plans)]
    answers = [[client.answer(i) for i in client_ids] for client, client_ids in zip(clients, ids)]
    elapsed = (time.perf_counter() - began) * 1000
    done.set()
    for prober in probers:
        prober.join()
    ok = sum(a["requestStatus"]["result"] and a["responseData"]["responseData"].get("ok") is True
             for client_answers in answers for a in client_answers)
    errors = {a["responseData"]["responseData"].get("error") for client_answers in answers for a in client_answers
              if a["requestStatus"]["result"] and not a["responseData"]["responseData"].get("ok")}
    time.sleep(0.5)
    kept = True
    for index, camera in enumerate(cameras, start=1):
        seen = recalled(camera, starts[index - 1])
        for c, plan in enumerate(plans):
            mine = [p for p in seen if (p < 10) == (c == 0)]
            kept &= mine == [p for cam, p in plan if cam == index]
    print(f"{IN_FLIGHT} in flight from 2 clients to 2 cameras: {ok}/{IN_FLIGHT} answered ok {sorted(errors)}, "
          f"per-camera order {'kept' if kept else 'BROKEN'}, all answered after {elapsed:.0f} ms")
    print(f"Interface thread (accessibility query) during the flood: median {statistics.median(ui_ms):.2f} ms, "
          f"longest {max(ui_ms):.2f} ms (n={len(ui_ms)})")
    print(f"GetVersion from a third client during the flood: median {statistics.median(probe_ms):.2f} ms, "
          f"longest {max(probe_ms):.2f} ms (n={len(probe_ms)})")
    for client in clients + [probe]:
        client.close()


def main():
    module_so, data_dir, ptzctl = sys.argv[1:4]
    bring_up_loopback()
    work = pathlib.Path(tempfile.mkdtemp(prefix="ptz-bench-remote."))
    password = secrets.token_urlsafe(12)
    session = ObsSession(work / "obs", module_so, data_dir)
    cameras = []
    try:
        cameras = [Simulator(ptzctl, "QK-H57P", address, work / f"cam{i}.log") for i, address in
                   enumerate(CAMERAS, start=1)]
        session.prepare(websocket=(PORT, password), settings={"hotKey": False, "Camera1IP": CAMERAS[0],
                                                              "Camera2IP": CAMERAS[1]})
        session.start_obs()
        a11y = Accessibility(session.display)
        ui_node = wait_for(lambda: a11y.find(role="frame"), 10, 0.2)[0]
        client = wait_for(lambda: connect(password), 20, 0.5)
        client.wait_ready()
        wait_for(lambda: [c["state"] for c in client.call("GetCameras")["cameras"][:2]] == ["connected"] * 2, 30, 0.5)
        print(f"OBS {session.obs_root or 'Debian'}, obs-websocket {client.version}")
        round_trips(client)
        in_flight(PORT, password, cameras, ui_node, a11y)
        client.close()
        session.quit_obs(timeout=10)
    finally:
        session.stop()
        for camera in cameras:
            camera.stop()
        subprocess.run(["rm", "-rf", str(work)])


def connect(password):
    try:
        return ObsClient(PORT, password)
    except Exception:  # noqa: BLE001 - not listening yet
        return None


if __name__ == "__main__":
    if os.environ.get("PTZ_IN_NAMESPACE") != "1":
        os.environ["PTZ_IN_NAMESPACE"] = "1"
        os.environ["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="ptz-bench-runtime.")
        os.execvp("unshare", ["unshare", "-n", "--", "dbus-run-session", "--", "/usr/bin/python3", *sys.argv])
    main()
