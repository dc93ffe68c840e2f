"""Who may connect: browser origins, the addresses listened on, how many at once; what a message may weigh;
start-up on taken or missing addresses, shutdown with clients connected, a client that never reads."""
import re
import signal
import socket
import subprocess
import threading
import time

import bridge_harness as h

CAMERA = "127.0.4.20"
SILENT = "127.0.4.30"  # receives requests, never answers
SECOND = "192.0.2.1"  # the namespace's second address, added here
FAILURE = re.compile(r"fail|error", re.I)
LISTENING = re.compile(r"Listening on|Cannot listen|open to the network")


class BridgeAccess(h.BridgeTest):
    def setUp(self):
        self.camera = self.peer(CAMERA)

    def raw(self):
        raw = socket.create_connection(("127.0.0.1", h.BRIDGE_PORT), timeout=h.HANG_GUARD)
        self.addCleanup(raw.close)
        return raw

    def test_origin(self):
        self.start()
        for origin in (None, "HTTP://LocalHost:8080", "http://127.4.5.6:3000", "https://[::1]:8000"):  # None: a program
            with self.subTest(origin=origin):
                self.connect(origin)  # accepted once the bridge logs the client
        # "null" is what sandboxed iframes and data: pages of any site send.
        for origin in ("null", "file://", "https://example.com", "http://localhost.example.com",
                       "http://127.0.0.1.example.com", "ws://localhost"):
            with self.subTest(origin=origin):
                with self.assertRaises(h.websocket.WebSocketBadStatusException) as refused:
                    h.connect(origin)
                self.assertEqual(refused.exception.status_code, 403)
                self.assertIsNone(self.camera.pending())

    def test_oversize_message_closed_with_1009(self):
        self.start()
        ws = self.connect()
        ws.send(h.request(CAMERA, [1] * 1024) + " " * 60000)  # about 63 KB of JSON: under the limit
        _, sender = self.camera.receive()
        self.camera.answer(sender, [0x90, 0x50, 0xFF])
        self.assertEqual(ws.recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))

        # Only the header of a 90 KB frame: its length alone must get the connection closed, and the server is
        # left with nothing unread that would turn its close into a reset.
        big = h.websocket.ABNF.create_frame(h.request(CAMERA, [1] * 30000), h.websocket.ABNF.OPCODE_TEXT)
        ws.sock.sendall(big.format()[:14])
        self.assertEqual(h.close_frame(ws)[0], 1009)
        ws.close()
        self.assertIsNone(self.camera.pending())
        self.connect()  # still serving

    def test_handshake_places(self):
        self.start()
        # Silent sockets that never start their handshake: beyond 32 the oldest are cut off once they have been
        # silent for a second, and a client that does shake hands still gets in.
        silent = [self.raw() for _ in range(40)]
        self.assertEqual([raw.recv(1) for raw in silent[:8]], [b""] * 8)
        h.connect().close()  # its line may be one of those the flood leaves out of the log
        self.assertEqual(self.raw().recv(1), b"")  # closed by the 5 s handshake timeout at the latest

    def attempt(self, source):
        """A client from `source`, or the HTTP status it was refused with."""
        try:
            ws = h.connect(source=source)
        except h.websocket.WebSocketBadStatusException as refused:
            return refused.status_code
        self.addCleanup(ws.close)
        return ws

    def test_crowd_gets_answers_and_few_lines(self):
        bridge = self.start()
        # 50 clients at once from 7 addresses: 32 get in, every other one gets the 503 answer, none a bare close.
        crowd = [None] * 50
        threads = [threading.Thread(target=lambda i=i: crowd.__setitem__(i, self.attempt("127.0.5.%d" % (i % 7))))
                   for i in range(50)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(2 * h.HANG_GUARD)
        self.assertEqual(sorted(x if isinstance(x, int) else 101 for x in crowd), [101] * 32 + [503] * 18)
        # Their lines are summed up rather than written one by one.
        summary = re.compile(r"ViscaTransfer: \d+ more connection events in the last 10 s: \d+ connected, \d+ "
                             r"disconnected, \d+ refused, \d+ closed by the bridge")
        with bridge.changed:
            self.assertTrue(bridge.changed.wait_for(lambda: any(summary.match(x) for x in bridge.log), 15))
        connection_lines = re.compile(r"ViscaTransfer: (Client|Connection from|Closing client) ")
        self.assertEqual(sum(bool(connection_lines.match(x)) for x in bridge.log), 10)

    def test_connection_places(self):
        self.start(env={"PTZ_BRIDGE_IDLE_SECONDS": "2"})
        active = []
        # (source address, clients that try from it): at most 8 from one address get in
        for source, tries in (("127.0.6.1", 9), ("127.0.6.2", 8), ("127.0.6.3", 8), ("127.0.6.4", 8)):
            with self.subTest(source=source):
                got = [self.attempt(source) for _ in range(tries)]
                self.assertEqual(got[8:], [503] * (tries - 8))
                active += got[:8]
        self.assertEqual(self.attempt("127.0.6.5"), 503)  # all 32 places taken, nobody idle long enough
        time.sleep(2.5)
        idlest = active.pop(5)
        for ws in active:
            ws.send("{}")
            ws.recv()
        self.assertNotIsInstance(self.attempt("127.0.6.5"), int)
        self.assertEqual(h.close_frame(idlest), (1001, "going away"))
        self.assertEqual(self.attempt("127.0.6.6"), 503)  # the others have spoken lately

    def test_udp_port_held_only_with_clients(self):
        bridge = self.start()

        def port_free():
            probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            try:
                probe.bind(("127.0.0.1", h.VISCA_PORT))  # no SO_REUSEADDR: refused while the bridge holds it
                return True
            except OSError:
                return False
            finally:
                probe.close()

        self.assertTrue(port_free())
        first, second = h.connect(), h.connect()
        self.assertFalse(port_free())
        for ws, held in ((first, True), (second, False)):
            port = ws.sock.getsockname()[1]
            ws.close()
            bridge.wait_log("ViscaTransfer: Client 127.0.0.1:%d disconnected (code 1000)" % port)
            self.assertEqual(port_free(), not held)
        self.round_trip(self.connect(), self.camera, [1], [2])  # bound again for the next client

    def test_shutdown(self):
        # (state, signal, clients); the first client's request is left in its reply window
        cases = [
            ("request waiting in its reply window", signal.SIGTERM, 1),
            ("two clients, one waiting for answers, one that never sent", signal.SIGINT, 2),
        ]
        silent = self.peer(SILENT)
        for state, sig, clients in cases:
            with self.subTest(state):
                bridge = self.start()
                sockets = [self.connect() for _ in range(clients)]
                sockets[0].send(h.request(SILENT, [0x81, 0x09, 0x04, 0x00, 0xFF]))
                silent.receive()  # the bridge is now collecting answers
                self.assertEqual(bridge.stop(sig), 0)
                self.assertEqual([h.close_frame(ws)[0] for ws in sockets], [1001] * clients)
                bridge.close()
                self.assertEqual([line for line in bridge.log if FAILURE.search(line)], [])
                self.assertEqual(sum(" connected" in line for line in bridge.log), clients)
                self.assertEqual(sum(" disconnected (the bridge stops)" in line for line in bridge.log), clients)
                self.assertIn("ViscaTransfer: Stopped listening on port 55260", bridge.log)

    def test_listeners(self):
        def hold(family, address):
            holder = socket.socket(family, socket.SOCK_STREAM)
            self.addCleanup(holder.close)
            holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)  # earlier bridges leave TIME_WAIT
            holder.bind((address, h.BRIDGE_PORT))
            holder.listen()
            return holder

        # A second address in the private namespace stands for the machine's network side.
        subprocess.run(["ip", "addr", "add", SECOND + "/32", "dev", "lo"], check=True)
        self.addCleanup(subprocess.run, ["ip", "addr", "del", SECOND + "/32", "dev", "lo"], check=True)
        self.addCleanup(subprocess.run, ["sysctl", "-qw", "net.ipv6.conf.lo.disable_ipv6=0"], check=True)
        def no_ipv6():
            subprocess.run(["sysctl", "-qw", "net.ipv6.conf.lo.disable_ipv6=1"], check=True)
            return []

        free = list  # nothing in the way
        both = lambda: [hold(socket.AF_INET, "127.0.0.1"), hold(socket.AF_INET6, "::1")]  # noqa: E731
        v4 = lambda: [hold(socket.AF_INET, "127.0.0.1")]  # noqa: E731
        lead, port = "ViscaTransfer: ", "port %d" % h.BRIDGE_PORT
        said_open = "The bridge is open to the network: other computers can connect to %s and drive the cameras" % port
        # (arguments, what is in the way, hosts served, host refused, what the bridge says about listening)
        cases = [
            ((), free, ["127.0.0.1", "[::1]"], SECOND, ["Listening on 127.0.0.1 and ::1, " + port]),
            (("--listen", "0.0.0.0", "--listen", "::"), free, ["127.0.0.1", "[::1]", SECOND], None,
             ["Listening on 0.0.0.0 and ::, " + port, said_open]),
            (("--listen", SECOND), free, [SECOND], "127.0.0.1", ["Listening on %s, %s" % (SECOND, port), said_open]),
            ((), both, [], None,
             ["Cannot listen on %s: another program is using it. The WebSocket bridge is off." % port]),
            ((), v4, ["[::1]"], None, ["Cannot listen on 127.0.0.1 %s: another program is using it. Listening on "
                                         "::1 only." % port, "Listening on ::1, " + port]),
            ((), no_ipv6, ["127.0.0.1"], None,
             ["Cannot listen on ::1 %s: this address is not available on this machine. Listening on 127.0.0.1 "
              "only." % port, "Listening on 127.0.0.1, " + port]),
        ]
        for args, make, served, refused, said in cases:
            with self.subTest(args=args, said=said[0]):
                holders = make()
                bridge = self.start(*args, ready=bool(served))
                for host in served:
                    self.connect(host=host).close()
                if refused:
                    with self.assertRaises(ConnectionRefusedError):
                        h.connect(host=refused)
                self.assertEqual(bridge.stop(signal.SIGTERM) if served else bridge.proc.wait(h.HANG_GUARD),
                                 0 if served else 1)
                bridge.close()
                self.assertEqual([line for line in bridge.log if LISTENING.search(line)], [lead + x for x in said])
                for holder in holders:
                    holder.close()

    def test_client_that_never_reads_is_closed(self):
        # Memory under floods is measured by the bridge benchmark; here only that the backlog is cut off.
        bridge = self.start()
        big = [1, 0x11, 0x05, 0x7B, 0, 0, 0, 1, 0x90, 0x50] + [0] * 1400 + [0xFF]  # an inquiry's answer
        ws = h.connect()
        port = ws.sock.getsockname()[1]
        ws.sock.settimeout(1)
        self.camera.settimeout(1)
        stop_at = time.monotonic() + 3
        try:
            for _ in range(20000):
                ws.send(h.request(CAMERA, [1, 0x10, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x04, 0x47, 0xFF]))
                got, sender = self.camera.receive()
                self.camera.answer(sender, h.echo(got, big))
                if time.monotonic() > stop_at:
                    break
        except OSError:  # closed by the bridge, or its send buffer stayed full
            pass
        ws.sock.close()
        bridge.wait_log("ViscaTransfer: Closing client 127.0.0.1:%d: Too much unread output" % port)
        self.connect().close()  # still serving


if __name__ == "__main__":
    h.main()
