"""Shared pieces for the bridge tests and benchmark. Every script runs in a private network namespace, so the bridge
uses its real ports (TCP 55260, UDP 52381) without colliding with anything, and every datagram stays inside."""
import argparse
import json
import os
import select
import shutil
import socket
import subprocess
import struct
import sys
import threading
import unittest

BRIDGE_PORT = 55260
VISCA_PORT = 52381
HANG_GUARD = 10  # seconds; only guards against hangs, never measures speed

try:
    import websocket  # Debian's python3-websocket: an independent client
except ImportError:
    sys.exit("python3-websocket is missing (apt-get install python3-websocket); run with /usr/bin/python3")


def enter_private_network():
    """Re-runs the calling script inside `unshare -n` with loopback up; fails loudly when that is impossible."""
    if os.environ.get("PTZ_BRIDGE_NETNS") == "1":
        subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
        return
    if shutil.which("unshare") is None or shutil.which("ip") is None:
        sys.exit("FAIL: the bridge tests need `unshare` (util-linux) and `ip` (iproute2)")
    probe = subprocess.run(["unshare", "-n", "true"], capture_output=True, text=True)
    if probe.returncode != 0:
        sys.exit("FAIL: cannot create a private network namespace (unshare -n needs root or user namespaces): "
                 + probe.stderr.strip())
    env = dict(os.environ, PTZ_BRIDGE_NETNS="1")
    os.execvpe("unshare", ["unshare", "-n", "--", sys.executable] + sys.argv, env)


class Bridge:
    """A `ptzctl bridge` process; its output lines (without the library's "[time] [...]" lines) go to `log`."""

    def __init__(self, ptzctl, *args, env=None):
        self.proc = subprocess.Popen([ptzctl, "bridge", *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     text=True, env=dict(os.environ, **(env or {})))
        self.log = []
        self.changed = threading.Condition()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stdout:
            if not line.startswith("["):
                with self.changed:
                    self.log.append(line.rstrip("\n"))
                    self.changed.notify_all()
        with self.changed:
            self.changed.notify_all()

    def wait_log(self, line, start=0):
        """Waits until `line` appears at or after index `start`; returns its index."""
        with self.changed:
            ok = self.changed.wait_for(lambda: line in self.log[start:] or self.proc.poll() is not None, HANG_GUARD)
            if not ok or line not in self.log[start:]:
                raise AssertionError("log line %r missing; log: %r" % (line, self.log[start:]))
            return self.log.index(line, start)

    def stop(self, sig):
        self.proc.send_signal(sig)
        return self.proc.wait(HANG_GUARD)

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.reader.join(HANG_GUARD)
        self.proc.stdout.close()


class Peer(socket.socket):
    """A UDP camera stand-in on ADDRESS:52381."""

    def __init__(self, address):
        super().__init__(socket.AF_INET, socket.SOCK_DGRAM)
        self.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.bind((address, VISCA_PORT))
        self.settimeout(HANG_GUARD)

    def receive(self):
        return self.recvfrom(65536)

    def pending(self):
        return self.recvfrom(65536) if select.select([self], [], [], 0)[0] else None

    def answer(self, to, data):
        self.sendto(bytes(data), to)


def connect(origin=None, host="127.0.0.1", source=None):
    """A client; `source` is the local address it connects from (any 127.x.x.x address in the namespace)."""
    header = ["Origin: " + origin] if origin is not None else []
    options = {}
    if source is not None:
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.settimeout(HANG_GUARD)
        sock.bind((source, 0))
        sock.connect((host, BRIDGE_PORT))
        options["socket"] = sock
    return websocket.create_connection("ws://%s:%d" % (host, BRIDGE_PORT), timeout=HANG_GUARD, header=header,
                                       suppress_origin=True, **options)


def request(ip, data, port=VISCA_PORT):
    return json.dumps({"ip": ip, "port": port, "data": data})


def reply(ip, data, port=VISCA_PORT):
    """The bridge's compact reply text."""
    return json.dumps({"data": list(data), "ip": ip, "port": port}, separators=(",", ":"))


def echo(received, answer):
    """A camera's answer carrying the sequence bytes of the datagram it received."""
    return list(answer[:4]) + list(received[4:8]) + list(answer[8:])


def close_frame(ws):
    """(code, reason) of the close frame that comes next, skipping data frames; None when something else came."""
    while True:
        opcode, payload = ws.recv_data(control_frame=True)
        if opcode == websocket.ABNF.OPCODE_CLOSE:
            return struct.unpack("!H", payload[:2])[0], payload[2:].decode()
        if opcode not in (websocket.ABNF.OPCODE_TEXT, websocket.ABNF.OPCODE_PONG):
            return None


PTZCTL = None  # set by main()


class BridgeTest(unittest.TestCase):
    """Bridges, peers and clients made here are closed when the test ends."""

    def start(self, *args, ready=True, env=None):
        bridge = self.bridge = Bridge(PTZCTL, *args, env=env)
        self.addCleanup(bridge.close)
        if ready:
            bridge.wait_log("ptzctl bridge: listening on port %d" % BRIDGE_PORT)
        return bridge

    def peer(self, address):
        p = Peer(address)
        self.addCleanup(p.close)
        return p

    def connect(self, origin=None, host="127.0.0.1", source=None):
        """A client of the last bridge started, once that bridge has logged it."""
        ws = connect(origin, host, source)
        self.addCleanup(ws.close)
        address, port = ws.sock.getsockname()[:2]
        self.bridge.wait_log("ViscaTransfer: Client %s connected" % ("%s:%d" % (address, port) if ":" not in address
                                                                      else "[%s]:%d" % (address, port)))
        return ws

    def round_trip(self, ws, peer, data, answer):
        """A request that `peer` answers at once: the answer must be the next message the client gets, carrying
        the client's own sequence bytes when the request has a header (the camera sees the bridge's)."""
        address = peer.getsockname()[0]
        ws.send(request(address, data))
        got, sender = peer.receive()
        headed = len(data) > 8 and len(answer) > 8
        self.assertEqual(got[:4] + got[8:] if headed else got, bytes(data[:4] + data[8:] if headed else data))
        peer.answer(sender, echo(got, answer) if headed else answer)
        self.assertEqual(ws.recv(), reply(address, answer))


def main():
    """Runs the calling test script: `--ptzctl PATH` plus unittest's own arguments, in a private namespace."""
    global PTZCTL
    parser = argparse.ArgumentParser()
    parser.add_argument("--ptzctl", required=True)
    args, rest = parser.parse_known_args()
    PTZCTL = args.ptzctl
    enter_private_network()
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)
