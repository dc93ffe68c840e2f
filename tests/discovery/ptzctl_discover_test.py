#!/usr/bin/env python3
"""`ptzctl discover` aimed at stand-in devices on loopback addresses (never the broadcast): usage errors,
the help's broadcast warning, plain and --identify listings.

usage: ptzctl_discover_test.py PTZCTL RESPONDER_PY"""
import os
import subprocess
import sys
import tempfile
import time

ptzctl, responder = sys.argv[1], sys.argv[2]
results = []


def check(label, condition, detail=""):
    results.append(condition)
    print(("ok: " if condition else "not ok: ") + label + ("" if condition else "\n  " + detail))


def run(*args):
    return subprocess.run([ptzctl, "discover", *args], capture_output=True, text=True, timeout=60)


def wait_for(path):
    for _ in range(100):
        if os.path.exists(path):
            return True
        time.sleep(0.05)
    return False


USAGE_ERRORS = [
    ["--to"],
    ["--to", "127.0.5.40:"],
    ["--to", "127.0.5"],
    ["--to", "::1"],
    ["--to", "127.0.5.40:0"],
    ["--to", "127.0.5.40:65536"],
    ["--to", "127.0.5.40:1:2"],
    ["--to", "127.0.5.40", "--to", "127.0.5.41"],
    ["--to", "127.0.5.40", "--verbose"],
]
for args in USAGE_ERRORS:
    r = run(*args)
    check("usage error: " + " ".join(args), r.returncode == 2 and r.stdout == "", repr(r))

r = run("--help")
check("--help warns of the broadcast", r.returncode == 0 and "BROADCAST" in r.stdout and
      "255.255.255.255" in r.stdout, r.stdout)

processes = []
with tempfile.TemporaryDirectory() as work:
    try:
        camera = subprocess.Popen([ptzctl, "simulate", "--model", "QK-WD406P", "--bind", "127.0.5.41",
                                   "--port", "52381"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        processes.append(camera)
        # The simulator says so once it listens.
        check("simulated camera started", camera.stdout.readline().startswith("listening on"))
        devices = [("127.0.5.40", "2", "127.0.5.41", "CAMX01"), ("127.0.5.42", "1", "127.0.5.43", "NOBODY")]
        for bind, fmt, address, name in devices:
            ready = os.path.join(work, bind)
            processes.append(subprocess.Popen(
                [sys.executable, responder, "--bind", bind, "--port", "37040", "--format", fmt, "--address",
                 address, "--name", name, "--lifetime", "60", "--ready-file", ready]))
            check("stand-in device on " + bind + " started", wait_for(ready))

        r = run("--to", "127.0.5.40:37040")
        check("lists the device", r.returncode == 0 and r.stdout == "127.0.5.41\tCAMX01\n", repr(r))
        r = run("--to", "127.0.5.40:37040", "--identify")
        check("--identify keeps the simulated camera", r.returncode == 0 and r.stdout == "127.0.5.41\tCAMX01\n",
              repr(r))
        r = run("--to", "127.0.5.42:37040", "--identify")
        check("--identify drops a device with no camera", r.returncode == 0 and r.stdout == "", repr(r))
        r = run("--to", "127.0.5.44:37040")
        check("nothing answers: empty list, success", r.returncode == 0 and r.stdout == "", repr(r))
    finally:
        for p in processes:
            p.terminate()
            p.wait(timeout=10)

failed = results.count(False)
print("%d passed, %d failed" % (len(results) - failed, failed))
sys.exit(1 if failed else 0)
