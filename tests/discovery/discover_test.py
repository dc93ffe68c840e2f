#!/usr/bin/env python3
"""WS-Discovery searches of `ptzctl discover` and the assignment dialog against stand-in devices (threads here).

usage: discover_test.py loopback PTZCTL
         probes go to 127.0.5.x addresses only (--to): the Probe on the wire, reply cutting and order, usage errors
       discover_test.py namespace PTZCTL DIALOG_TEST
         the real broadcast, only inside a private network namespace that this script makes and checks
       discover_test.py measure PTZCTL [RUNS]
         in such a namespace: seconds `ptzctl discover --identify` takes with 40 silent devices, and the median"""
import os
import statistics
import select
import shutil
import socket
import subprocess
import sys
import threading
import time

NAME = "onvif://www.onvif.org/name/"
# The Probe as cameras expect it, kept apart from the code that sends it.
PROBE = (
    '<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" '
    'xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing">  <s:Header>    <a:Action '
    's:mustUnderstand="1">http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>    '
    "<a:MessageID>uuid:344d2db4-4e08-421f-a32a-b5f6286d4141</a:MessageID>    <a:ReplyTo>      "
    "<a:Address>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</a:Address>    </a:ReplyTo>    "
    '<a:To s:mustUnderstand="1">urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>  </s:Header>  <s:Body>    '
    '<Probe xmlns="http://schemas.xmlsoap.org/ws/2005/04/discovery">      <d:Types '
    'xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" '
    'xmlns:dp0="http://www.onvif.org/ver10/network/wsdl">dp0:NetworkVideoTransmitter</d:Types>    </Probe>  '
    "</s:Body></s:Envelope>"
).encode()
results = []


def check(label, ok, detail=""):
    results.append(ok)
    print(("ok: " if ok else "not ok: ") + label + ("" if ok else "\n  " + repr(detail)))


def fail(message):
    sys.exit("FAIL: " + message)


def first(scopes, xaddrs):
    return ("<SOAP-ENV:Envelope><SOAP-ENV:Body><wsdd:ProbeMatches><wsdd:ProbeMatch><wsdd:Scopes>" + scopes +
            "</wsdd:Scopes><wsdd:XAddrs>" + xaddrs + "</wsdd:XAddrs></wsdd:ProbeMatch></wsdd:ProbeMatches>"
            "</SOAP-ENV:Body></SOAP-ENV:Envelope>")


def second(scopes, xaddrs):
    return ("<s:Envelope><s:Body><d:ProbeMatches><d:ProbeMatch><d:Scopes>" + scopes + "</d:Scopes><d:XAddrs>" +
            xaddrs + "</d:XAddrs></d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>")


class Device(threading.Thread):
    """Answers probe k of each sender (counting from 0) with every (first, text) reply whose first is k or less,
    from its own address, or from source when given."""

    def __init__(self, bind, port, replies, source=None):
        super().__init__(daemon=True)
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((bind, port))
        self.out = self.sock
        if source:
            self.out = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            self.out.bind((source, 0))
        self.replies, self.done, self.deadline = replies, threading.Event(), time.monotonic() + 60
        self.start()

    def run(self):
        seen = {}
        while not self.done.is_set() and time.monotonic() < self.deadline:
            if select.select([self.sock], [], [], 0.05)[0]:
                _, sender = self.sock.recvfrom(4096)
                seen[sender] = seen.get(sender, -1) + 1
                for first_probe, text in self.replies:
                    if first_probe <= seen[sender]:
                        self.out.sendto(text.encode("latin-1"), sender)

    def close(self):
        self.done.set()
        self.join()
        self.sock.close()
        self.out.close()


class Crowd(threading.Thread):
    """Devices at the given addresses that answer every probe (first format, named S00, S01 ...). Silent ones also
    take VISCA datagrams on port 52381 and never answer them; the time and address of each is kept."""

    def __init__(self, addresses, silent):
        super().__init__(daemon=True)
        self.probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.probe.bind(("0.0.0.0", 3702))
        self.senders = []
        self.visca = {}
        for n, address in enumerate(addresses):
            out = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            out.bind((address, 0))
            self.senders.append((out, first(NAME + "S%02d" % n, "http://%s:80/x" % address).encode()))
            if silent:
                visca = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                visca.bind((address, 52381))
                self.visca[visca] = address
        self.received, self.done, self.deadline = [], threading.Event(), time.monotonic() + 300
        self.start()

    def run(self):
        while not self.done.is_set() and time.monotonic() < self.deadline:
            for sock in select.select([self.probe, *self.visca], [], [], 0.05)[0]:
                _, sender = sock.recvfrom(4096)
                if sock is self.probe:
                    for out, reply in self.senders:
                        out.sendto(reply, sender)
                else:
                    self.received.append((time.monotonic(), self.visca[sock]))

    def most_at_once(self):
        """The most devices whose identification was under way at one time (first to last datagram each)."""
        spans = {}
        for at, address in self.received:
            lo, hi = spans.get(address, (at, at))
            spans[address] = (min(lo, at), max(hi, at))
        running = most = 0
        for _, step in sorted([(lo, 1) for lo, _ in spans.values()] + [(hi, -1) for _, hi in spans.values()]):
            running += step
            most = max(most, running)
        return most

    def close(self):
        self.done.set()
        self.join()
        for sock in [self.probe, *self.visca, *(out for out, _ in self.senders)]:
            sock.close()


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=60)


def check_usage_error(ptzctl, *args):
    r = run(ptzctl, "discover", *args)
    check("usage error: " + " ".join(args), r.returncode == 2 and r.stdout == "", r)


def simulate(ptzctl, model, bind, *more):
    camera = subprocess.Popen([ptzctl, "simulate", "--model", model, "--bind", bind, "--port", "52381", *more],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if not camera.stdout.readline().startswith("listening on"):
        camera.kill()
        fail("the simulated camera on " + bind + " did not start")
    return camera


def loopback(ptzctl):
    # Rows that a faulty parser could turn into a broadcast run in the namespace instead.
    for args in (["127.0.5.40:"], ["127.0.5"], ["::1"], ["127.0.5.40:0"], ["127.0.5.40:65536"], ["127.0.5.40:1:2"],
                 ["127.0.5.40", "--to", "127.0.5.41"], ["127.0.5.40", "--verbose"]):
        check_usage_error(ptzctl, "--to", *args)

    listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    listener.bind(("127.0.5.1", 37020))
    r = run(ptzctl, "discover", "--to", "127.0.5.1:37020")
    probes = []
    while select.select([listener], [], [], 0)[0]:
        probes.append(listener.recv(4096))
    check("40 probes, each the exact 797-byte Probe", len(PROBE) == 797 and probes == [PROBE] * 40, probes[:1])
    check("nothing answers: empty list, success", r.returncode == 0 and r.stdout == "", r)

    # Each device answers from 127.0.5.40; only what names that very address is listed. Rows that a search in the
    # namespace already covers (cameras answering every probe, --identify, replies naming another host) run there.
    at, x = "127.0.5.40", "http://127.0.5.40"
    # label, replies to every probe, the name listed for the device (None: nothing listed)
    searches = [
        ("first format without port", [first(NAME + "CAM_A", x + "/onvif/device_service")], "CAM_A"),
        ("first format name at most 20 characters", [first(NAME + "ABCDEFGHIJKLMNOPQRSTU", x + ":8/x")],
         "ABCDEFGHIJKLMNOPQRST"),
        ("first format without name scope", [first("onvif://x/y", x + ":80/x")], ""),
        ("second format with port", [second(NAME + "CAMB01", x + ":80/onvif")], "CAMB01"),
        ("second format name shorter than six runs on", [second(NAME + "AB", x + "/x")], "AB</d:"),
        ("no address marker: dropped", ["<d:Scopes>" + NAME + "NOADDR</d:Scopes>"], None),
        ("first marker at position 0 is not the first format", ["</wsdd:Scopes><wsdd:XAddrs>" + x + ":80/x</wsdd:XAddrs>"],
         None),
        ("empty address: dropped", [second(NAME + "CAMB01", "http:///onvif")], None),
        ("not an address: dropped", [second(NAME + "CAMB01", "http://not-an-ip-at-all/x")], None),
        ("control characters leave names", [first(NAME + "CA\tM\x1b[31m\x9b\r", x + ":80/x")], "CAM[31m"),
        ("control characters void an address", [second(NAME + "CAMB01", x + "\n/x")], None),
        ("a short reply after a long one keeps its own text",
         [first(NAME + "LONG" + " " * 1200, "http://10.0.0.5:80/x"), second("x", x + "/x")], ""),
    ]
    for label, replies, name in searches:
        device = Device(at, 37040, [(0, text) for text in replies])
        r = run(ptzctl, "discover", "--to", at + ":37040")
        device.close()
        check(label, r.returncode == 0 and r.stdout == ("" if name is None else at + "\t" + name + "\n"), r)


# Addresses of the crowds of devices in the namespace.
CROWD = ["10.200.0.%d" % n for n in range(101, 171)]


def enter_namespace():
    """Runs this script again inside a private network namespace, set up with a veth pair and a default route so
    that 255.255.255.255 reaches the devices on port 3702; returns there."""
    netns = lambda: str(os.stat("/proc/self/ns/net").st_ino)  # noqa: E731
    if "PTZ_HOST_NETNS" not in os.environ:
        if not (shutil.which("unshare") and shutil.which("ip")) or subprocess.run(["unshare", "-n", "true"]).returncode:
            fail("cannot make a private network namespace (needs unshare, ip, and root or CAP_SYS_ADMIN)")
        env = dict(os.environ, PTZ_HOST_NETNS=netns())
        sys.exit(subprocess.run(["unshare", "-n", "--", sys.executable, *sys.argv], env=env).returncode)
    # Never broadcast from the machine's own namespace.
    if netns() == os.environ["PTZ_HOST_NETNS"]:
        fail("still in the machine's own network namespace")
    for command in ("link set lo up", "link add dv0 type veth peer name dv1", "addr add 10.200.0.1/24 dev dv0",
                    "addr add 10.201.0.1/24 dev dv0",
                    *("addr add %s/24 dev dv1" % a for a in ["10.200.0.%d" % n for n in range(2, 9)] + CROWD),
                    "link set dv0 up", "link set dv1 up", "route add default via 10.200.0.2 dev dv0"):
        if subprocess.run(["ip", *command.split()]).returncode:
            fail("cannot set up the namespace: ip " + command)


def probe_with(types="dp0:NetworkVideoTransmitter", scopes="", message_id=True):
    text = PROBE.decode().replace(">dp0:NetworkVideoTransmitter<", ">" + types + "<")
    if not message_id:
        text = text.replace("<a:MessageID>uuid:344d2db4-4e08-421f-a32a-b5f6286d4141</a:MessageID>", "")
    return text.replace("</d:Types>", "</d:Types>" + scopes).encode()


def answers(datagram, to, source="10.200.0.1"):
    """The answers (sender, text) that one datagram sent to port 3702 of `to` draws within 0.4 s."""
    prober = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    prober.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    prober.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(source))
    prober.bind((source, 0))
    prober.sendto(datagram, (to, 3702))
    got, deadline = [], time.monotonic() + 0.4
    while select.select([prober], [], [], max(0, deadline - time.monotonic()))[0]:
        text, sender = prober.recvfrom(65536)
        got.append((sender, text.decode("utf-8", "replace")))
    prober.close()
    return got


def discoverable_checks(ptzctl):
    """Simulated cameras that answer WS-Discovery: found by a search, answering each Probe once, the rest never."""
    both = ["10.200.0.7\tStage", "10.200.0.8\tQK-H32P"]
    # The third, on the loopback network, answers only there.
    cameras = [simulate(ptzctl, "QK-H57P", "10.200.0.7", "--discoverable", "--name", "Stage"),
               simulate(ptzctl, "QK-H32P", "10.200.0.8", "--discoverable"),
               simulate(ptzctl, "QK-H57P", "127.0.9.1", "--discoverable", "--name", "Lo")]
    try:
        for args in ([], ["--identify"], ["--to", "127.0.9.1"]):
            r = run(ptzctl, "discover", *args)
            expected = ["127.0.9.1\tLo"] if args[:1] == ["--to"] else both
            check("discover %s finds the simulated cameras" % args, sorted(r.stdout.splitlines()) == expected, r)
        group, broadcast, stage = "239.255.255.250", "255.255.255.255", [("10.200.0.7", 3702)]
        # label, datagram, destination, prober's address, the cameras (address, port) expected to answer
        rows = [("a broadcast Probe", PROBE, broadcast, "10.200.0.1", [("10.200.0.7", 3702), ("10.200.0.8", 3702)]),
                ("a multicast Probe", PROBE, group, "10.200.0.1", [("10.200.0.7", 3702), ("10.200.0.8", 3702)]),
                ("a Probe to one camera", PROBE, "10.200.0.7", "10.200.0.1", stage),
                ("a Probe for its name scope", probe_with(scopes="<Scopes>onvif://www.onvif.org/name/Stage</Scopes>"),
                 broadcast, "10.200.0.1", stage),
                ("a Probe for no type", probe_with(types=""), group, "10.200.0.1",
                 [("10.200.0.7", 3702), ("10.200.0.8", 3702)]),
                ("a Probe for another type", probe_with(types="dp0:Printer"), broadcast, "10.200.0.1", []),
                ("a Probe for another scope", probe_with(scopes="<Scopes>onvif://www.onvif.org/name/Desk</Scopes>"),
                 broadcast, "10.200.0.1", []),
                ("a Probe without MessageID", probe_with(message_id=False), broadcast, "10.200.0.1", []),
                ("a Probe cut short", PROBE[:-20], broadcast, "10.200.0.1", []),
                ("a ProbeMatch", first(NAME + "X", "http://10.200.0.1:80/x").encode(), broadcast, "10.200.0.1", []),
                ("a Probe from another network", PROBE, broadcast, "10.201.0.1", [])]
        for label, datagram, to, source, expected in rows:
            got = answers(datagram, to, source)
            check("answered once by each camera it is for: " + label, sorted(s for s, _ in got) == expected, got)
            if label == "a broadcast Probe":
                check("the answer relates to the Probe", got and all(
                    "<wsa:RelatesTo>uuid:344d2db4-4e08-421f-a32a-b5f6286d4141</wsa:RelatesTo>" in text and
                    "ProbeMatches</wsa:Action>" in text for _, text in got), got)
    finally:
        for process in cameras:
            process.terminate()
            process.wait()


def crowd_checks(ptzctl):
    """40 devices that answer the probe but not identification are identified eight at a time; a search lists at
    most 64 devices."""
    silent = Crowd(CROWD[:40], silent=True)
    more = None
    try:
        r = run(ptzctl, "discover", "--identify")
        identified = {address for _, address in silent.received}
        check("40 silent devices: each one identified, none listed", r.returncode == 0 and r.stdout == "" and
              identified == set(CROWD[:40]), (r, sorted(set(CROWD[:40]) - identified)))
        check("40 silent devices: identified eight at a time", silent.most_at_once() == 8, silent.most_at_once())
        more = Crowd(CROWD[40:], silent=False)
        lines = run(ptzctl, "discover").stdout.splitlines()
        check("70 devices answer: the first 64 are listed", len(lines) == 64 and len(set(lines)) == 64 and
              {line.split("\t")[0] for line in lines} <= set(CROWD), lines)
    finally:
        silent.close()
        if more is not None:
            more.close()


def measure(ptzctl, runs):
    silent = Crowd(CROWD[:40], silent=True)
    seconds = []
    try:
        for _ in range(runs):
            start = time.monotonic()
            r = run(ptzctl, "discover", "--identify")
            seconds.append(time.monotonic() - start)
            if r.returncode != 0 or len({address for _, address in silent.received}) != 40:
                fail("the search did not reach the 40 silent devices: %r" % (r,))
            silent.received.clear()
    finally:
        silent.close()
    print("ptzctl discover --identify, 40 silent devices: %s s; median %.2f s" %
          (" ".join("%.2f" % s for s in seconds), statistics.median(seconds)))


def namespace(ptzctl, dialog_test):
    check_usage_error(ptzctl, "--to")

    # The later devices leave the first probes of each search unanswered, so the order of first replies is fixed.
    # The last two name a camera that no device announced (10.200.0.6) and the network's broadcast address.
    devices = [Device("0.0.0.0", 3702, [(0, first(NAME + "CAM_A onvif://x/y", "http://10.200.0.3:80/x"))], "10.200.0.3"),
               Device("0.0.0.0", 3702, [(4, second(NAME + "CAMB01xyz", "http://10.200.0.4/x"))], "10.200.0.4"),
               Device("0.0.0.0", 3702, [(8, first(NAME + "NOCAM", "http://10.200.0.5:80/x"))], "10.200.0.5"),
               Device("0.0.0.0", 3702, [(0, first(NAME + "REDIR", "http://10.200.0.6:80/x")),
                                        (0, second(NAME + "BCAST1", "http://10.200.0.255/x"))], "10.200.0.5")]
    cameras = []
    log = os.path.join(os.environ.get("TMPDIR", "/tmp"), "discover_test_%d.log" % os.getpid())
    try:
        # The first camera answers slowly: the lists keep the order of the search, not of identification.
        cameras += [simulate(ptzctl, "QK-H57P", "10.200.0.3", "--ack-delay", "200"),
                    simulate(ptzctl, "QK-H32P", "10.200.0.4"),
                    simulate(ptzctl, "QK-H57P", "10.200.0.6", "--log", log)]
        cameras_only = "10.200.0.3\tCAM_A\n10.200.0.4\tCAMB01\n"
        r = run(ptzctl, "discover")
        check("ptzctl discover lists every device", r.stdout == cameras_only + "10.200.0.5\tNOCAM\n", r)
        r = run(ptzctl, "discover", "--identify")
        check("ptzctl discover --identify lists the cameras only", r.stdout == cameras_only, r)
        developer = [line for line in r.stderr.splitlines() if "custom----" in line or "connect camID" in line]
        check("identification keeps its developer lines to itself", not developer, developer)
        r = run(dialog_test, "--search-twice-in-namespace")
        check("the dialog's table lists the cameras only, once, after two searches", r.stdout == cameras_only, r)
        check("identification sent nothing to an address that no device announced", os.path.getsize(log) == 0)
    finally:
        for process in cameras:
            process.terminate()
        for device in devices:
            device.close()
        if os.path.exists(log):
            os.remove(log)
    discoverable_checks(ptzctl)
    crowd_checks(ptzctl)


if sys.argv[1:2] == ["loopback"] and len(sys.argv) == 3:
    loopback(sys.argv[2])
elif sys.argv[1:2] == ["namespace"] and len(sys.argv) == 4:
    enter_namespace()
    namespace(sys.argv[2], sys.argv[3])
elif sys.argv[1:2] == ["measure"] and len(sys.argv) in (3, 4):
    enter_namespace()
    measure(sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 5)
    sys.exit(0)
else:
    fail(__doc__)
failed = results.count(False)
print("%d passed, %d failed" % (len(results) - failed, failed))
sys.exit(1 if failed else 0)
