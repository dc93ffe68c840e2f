"""Who may connect (browser Origin), and what a message may weigh."""
import bridge_harness as h

CAMERA = "127.0.4.20"


class BridgeAccess(h.BridgeTest):
    def setUp(self):
        self.start()
        self.camera = self.peer(CAMERA)

    def assert_relays(self, ws):
        ws.send(h.request(CAMERA, [0x81, 0x09, 0x00, 0x02, 0xFF]))
        _, sender = self.camera.receive()
        self.camera.answer(sender, [0x90, 0x50, 0xFF])
        self.assertEqual(ws.recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))

    def test_origin(self):
        cases = [
            (None, True),  # a program, not a browser
            ("null", True),
            ("HTTP://LocalHost:8080", True),
            ("http://127.4.5.6:3000", True),
            ("http://[::1]:8000", True),
            ("https://example.com", False),
            ("http://localhost.example.com", False),
            ("http://127.0.0.1.example.com", False),
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
        self.assertEqual(h.close_code(ws), 1009)
        ws.close()
        self.assertIsNone(self.camera.pending())
        self.assert_relays(self.connect())


if __name__ == "__main__":
    h.main()
