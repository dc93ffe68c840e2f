#!/usr/bin/python3
"""Measures the module's cost in Debian's OBS: start-up time and resident memory with and without
the module, the time from a click on a slot button to the enabled controls with a simulated
camera, and how soon eight configured cameras (one silent) are connected after OBS's start-up
without the panel ever opened, with the OBS process's processor time while they are watched.
Prints medians. Run through scripts/measure-obs.sh (private network namespace, own D-Bus).

usage: measure_obs.py MODULE.so DATA_DIR PTZCTL WORKDIR [RUNS]
"""
import os
import pathlib
import re
import statistics
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from obs_harness import Accessibility, ObsSession, Simulator, bring_up_loopback, wait_for  # noqa: E402

CAMERA = ("QK-H57P", "127.0.7.31", "Bench H57P")


def one_start(work, module_so, data_dir):
    session = ObsSession(work, module_so, data_dir)
    try:
        session.prepare(settings={"hotKey": False})
        session.start_obs(accessibility=False)
        startup = session.startup_seconds
        time.sleep(3)  # let start-up work settle before reading memory
        rss = session.rss_kib()
        session.quit_obs()
        if session.obs.poll() is None:
            session.stop_obs()
        # The profiler's report comes at exit; frontend-tools is OBS's own module, for scale.
        return startup, rss, session.init_module_ms("OBS-BrenmoorCameraControlPlugin"), \
            session.init_module_ms("frontend-tools")
    finally:
        session.stop()


def one_connect(work, module_so, data_dir, ptzctl):
    session = ObsSession(work, module_so, data_dir)
    sim = Simulator(ptzctl, CAMERA[0], CAMERA[1], work / "camera.log")
    try:
        session.prepare(settings={"hotKey": False, "Camera1IP": CAMERA[1], "Camera1NickName": CAMERA[2]})
        session.start_obs()
        a11y = Accessibility(session.display)
        wait_for(a11y.app, 10, 0.2)
        session.open_panel(a11y)
        panel = wait_for(a11y.panel, 10, 0.1)
        slot = a11y.find(name=CAMERA[2], root=panel)[0]
        pad = [b for b in a11y.find(role="push button", root=panel) if 55 <= a11y.extents(b)[2] <= 65]
        pad.sort(key=lambda b: (a11y.extents(b)[1], a11y.extents(b)[0]))
        time.sleep(0.5)
        session.xdotool("mousemove", "--sync", *a11y.center(slot))
        # The camera is connected in the background by now. Each round deselects the slot (no camera work: the
        # click's and the polling's own cost) and selects it again.
        selects, deselects = [], []
        for select in [True] + [False, True] * 5:
            clicked = time.monotonic()
            session.xdotool("click", 1)
            if not wait_for(lambda: a11y.enabled(pad[1]) == select, 15, 0.005):
                return None
            (selects if select else deselects).append(time.monotonic() - clicked)
            time.sleep(0.3)
        session.quit_obs()
        return statistics.median(selects[1:]), statistics.median(deselects), selects[0]
    finally:
        session.stop()
        sim.stop()


EIGHT = [("QK-H57P", f"127.0.7.{40 + n}") for n in range(1, 9)]
SILENT = 3  # the third camera never answers


def clock_seconds(stamp):
    h, m, s = stamp.split(":")
    return int(h) * 3600 + int(m) * 60 + float(s)


def one_eight(work, module_so, data_dir, ptzctl):
    """Seconds from OBS's "Startup complete" until each answering camera received its link's own address set
    (the second one: identification sends the first), the longest of them, and the OBS process's processor time
    share over 16 s of watching (two link checks)."""
    session = ObsSession(work, module_so, data_dir)
    sims = []
    for n, (model, address) in enumerate(EIGHT, start=1):
        sim = Simulator(ptzctl, model, address, work / f"camera{n}.log")
        if n == SILENT:
            sim.stop()
            sim = Simulator(ptzctl, model, address, work / f"camera{n}.log", options=["--silent"])
        sims.append(sim)
    try:
        settings = {"hotKey": False}
        for n, (_, address) in enumerate(EIGHT, start=1):
            settings[f"Camera{n}IP"] = address
        session.prepare(settings=settings)
        session.start_obs(accessibility=False)
        time.sleep(4)
        log = session.log_text()
        found = re.search(r"^(\d\d:\d\d:\d\d\.\d+): .*Startup complete", log, re.M)
        if not found:
            return None
        startup = clock_seconds(found.group(1))
        delays = []
        for n, sim in enumerate(sims, start=1):
            if n == SILENT:
                continue
            sets = [line.split()[0] for line in sim.log_path.read_text().splitlines()
                    if " in " in line and line.rstrip().endswith("88 30 01 ff")]
            delays.append(clock_seconds(sets[1]) - startup if len(sets) > 1 else float("inf"))
        ticks = os.sysconf("SC_CLK_TCK")

        def cpu():
            fields = pathlib.Path(f"/proc/{session.obs.pid}/stat").read_text().rsplit(")", 1)[1].split()
            return (int(fields[11]) + int(fields[12])) / ticks
        before, t0 = cpu(), time.monotonic()
        time.sleep(16)
        share = (cpu() - before) / (time.monotonic() - t0)
        session.quit_obs()
        return max(delays), share
    finally:
        session.stop()
        for sim in sims:
            sim.stop()


def main():
    if sys.argv[1] == "--eight":
        bring_up_loopback()
        work = pathlib.Path(sys.argv[5])
        work.mkdir(parents=True, exist_ok=True)
        results = [one_eight(work / f"eight{i}", *sys.argv[2:5]) for i in range(int(sys.argv[6]))]
        results = [r for r in results if r is not None]
        print(f"eight cameras, one silent: last answering camera connected after \"Startup complete\", median "
              f"{statistics.median(r[0] for r in results) * 1000:.0f} ms; OBS process processor time while "
              f"watching them, median {statistics.median(r[1] for r in results) * 100:.2f} % of one core")
        return
    if sys.argv[1] == "--connect":
        result = one_connect(pathlib.Path(sys.argv[5]), *sys.argv[2:5])
        print(" ".join(str(v) for v in result) if result is not None else "none")
        return
    module_so, data_dir, ptzctl, workdir = sys.argv[1:5]
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 5
    bring_up_loopback()
    work = pathlib.Path(workdir)
    work.mkdir(parents=True, exist_ok=True)
    with_module, without_module = [], []
    for i in range(runs):
        # Alternate so that machine load affects both sides alike.
        without_module.append(one_start(work / f"bare{i}", None, None))
        with_module.append(one_start(work / f"module{i}", module_so, data_dir))
    # The AT-SPI client keeps its first bus for the life of the process: one process per session.
    connects = []
    for i in range(max(3, runs // 2)):
        res = subprocess.run([sys.executable, __file__, "--connect", module_so, data_dir, ptzctl,
                              str(work / f"connect{i}")], capture_output=True, text=True)
        words = res.stdout.split()[-3:] if res.returncode == 0 else []
        connects.append([float(w) for w in words] if len(words) == 3 and "none" not in words else None)

    def med(values):
        values = [v for v in values if v is not None]
        return statistics.median(values) if values else float("nan")

    s0, s1 = med([r[0] for r in without_module]), med([r[0] for r in with_module])
    m0, m1 = med([r[1] for r in without_module]), med([r[1] for r in with_module])
    print(f"runs per side: {runs}")
    print(f"start-up to main window, median: without module {s0:.2f} s, with module {s1:.2f} s "
          f"(difference {s1 - s0:+.2f} s)")
    print(f"obs_init_module (OBS profiler), median: this module {med([r[2] for r in with_module]):.1f} ms, "
          f"frontend-tools in the same starts {med([r[3] for r in with_module]):.1f} ms")
    print(f"resident memory after start-up, median: without {m0 / 1024:.1f} MiB, with {m1 / 1024:.1f} MiB "
          f"(difference {(m1 - m0) / 1024:+.1f} MiB)")
    connects = [c for c in connects if c is not None]
    print(f"click on a connected camera's slot to enabled controls, median of {len(connects)} OBS runs x 5: "
          f"{med([c[0] for c in connects]) * 1000:.0f} ms (first click {med([c[2] for c in connects]) * 1000:.0f} ms); "
          f"a click that deselects it, the click's and the polling's own cost: "
          f"{med([c[1] for c in connects]) * 1000:.0f} ms (xdotool, accessibility bus polled every 5 ms)")


if __name__ == "__main__":
    main()
