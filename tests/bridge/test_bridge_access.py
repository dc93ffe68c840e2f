"""Who may connect: browser origins, the addresses listened on, how many at once; and what a message may weigh."""
import socket
import subprocess

import bridge_harness as h

CAMERA = "127.0.4.20"
SECOND = "192.0.2.1"  # the namespace's second address, added here


class BridgeAccess(h.BridgeTest):
    def setUp(self):
        self.camera = self.peer(CAMERA)

    def assert_relays(self, ws):
        ws.send(h.request(CAMERA, [0x81, 0x09, 0x00, 0x02, 0xFF]))
        _, sender = self.camera.receive()
        self.camera.answer(sender, [0x90, 0x50, 0xFF])
        self.assertEqual(ws.recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))

    def test_origin(self):
        self.start()
        cases = [
            (None, True),  # a program, not a browser
            ("HTTP://LocalHost:8080", True),
            ("http://127.4.5.6:3000", True),
            ("https://[::1]:8000", True),
            ("null", False),  # sandboxed iframes and data: pages of any site
            ("file://", False),
            ("https://example.com", False),
            ("http://localhost.example.com", False),
            ("http://127.0.0.1.example.com", False),
            ("ws://localhost", False),
        ]
        for origin, accepted in cases:
            with self.subTest(origin=origin):
                if accepted:
                    self.assert_relays(self.connect(origin))
                else:
                    with self.assertRaises(h.websocket.WebSocketBadStatusException) as refused:
                        h.connect(origin)
                    self.assertEqual(refused.exception.status_code, 403)
                    self.assertIsNone(self.camera.pending())

    def test_oversize_message_closed_with_1009(self):
        self.start()
        ws = self.connect()
        ws.send(h.request(CAMERA, [1] * 20000))  # about 60 KB of JSON: under the limit
        got, sender = self.camera.receive()
        self.assertEqual(len(got), 20000)
        self.camera.answer(sender, [0x90, 0x50, 0xFF])
        self.assertEqual(ws.recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))

        # Only the header of a 90 KB frame: its length alone must get the connection closed, and the server is
        # left with nothing unread that would turn its close into a reset.
        big = h.websocket.ABNF.create_frame(h.request(CAMERA, [1] * 30000), h.websocket.ABNF.OPCODE_TEXT)
        ws.sock.sendall(big.format()[:14])
        self.assertEqual(h.close_frame(ws)[0], 1009)
        ws.close()
        self.assertIsNone(self.camera.pending())
        self.assert_relays(self.connect())

    def test_connection_limits(self):
        bridge = self.start()
        # Silent sockets that never start their handshake: beyond 32 the oldest are cut off at once, and a
        # client that does shake hands still gets in.
        silent = []
        for _ in range(40):
            raw = socket.create_connection(("127.0.0.1", h.BRIDGE_PORT), timeout=h.HANG_GUARD)
            self.addCleanup(raw.close)
            silent.append(raw)
        self.assertEqual([raw.recv(1) for raw in silent[:8]], [b""] * 8)
        clients = [self.connect() for _ in range(32)]  # each cuts off one more silent socket
        self.assertEqual(silent[-1].recv(1), b"")
        with self.assertRaises(h.websocket.WebSocketBadStatusException) as refused:
            h.connect()
        self.assertEqual(refused.exception.status_code, 503)
        leaving = clients.pop()
        port = leaving.sock.getsockname()[1]
        leaving.close()
        bridge.wait_log("ViscaTransfer: Client 127.0.0.1:%d disconnected (code 1000)" % port)
        self.assert_relays(self.connect())
        raw = socket.create_connection(("127.0.0.1", h.BRIDGE_PORT), timeout=h.HANG_GUARD)
        self.addCleanup(raw.close)
        self.assertEqual(raw.recv(1), b"")  # closed by the 5 s handshake timeout

    def test_listen_addresses(self):
        # A second address in the private namespace stands for the machine's network side.
        subprocess.run(["ip", "addr", "add", SECOND + "/32", "dev", "lo"], check=True)
        self.addCleanup(subprocess.run, ["ip", "addr", "del", SECOND + "/32", "dev", "lo"], check=True)
        # (arguments, hosts served, host refused, says the bridge is open)
        cases = [
            ((), ["127.0.0.1", "[::1]"], SECOND, False),
            (("--listen", "0.0.0.0", "--listen", "::"), ["127.0.0.1", "[::1]", SECOND], None, True),
            (("--listen", SECOND), [SECOND], "127.0.0.1", True),
        ]
        for args, served, refused, open_ in cases:
            with self.subTest(args=args):
                bridge = self.start(*args)
                for host in served:
                    self.assert_relays(self.connect(host=host))
                if refused:
                    with self.assertRaises(ConnectionRefusedError):
                        h.connect(host=refused)
                said = [line for line in bridge.log if "open to the network" in line]
                self.assertEqual(len(said), int(open_), bridge.log)
                if open_:
                    self.assertIn("port 55260", said[0])
                bridge.stop(2)
                bridge.close()


if __name__ == "__main__":
    h.main()
