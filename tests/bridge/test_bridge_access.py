"""Who may connect (browser Origin), and what a message may weigh."""
import argparse
import struct
import sys
import unittest

import bridge_harness as h

CAMERA = "127.0.4.20"


class BridgeAccess(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.bridge = h.Bridge(ARGS.ptzctl)
        cls.bridge.wait_ready()
        cls.camera = h.Peer(CAMERA)

    @classmethod
    def tearDownClass(cls):
        cls.camera.close()
        cls.bridge.close()

    def assert_relays(self, ws):
        ws.send(h.request(CAMERA, [0x81, 0x09, 0x00, 0x02, 0xFF]))
        _, sender = self.camera.receive()
        self.camera.answer(sender, [0x90, 0x50, 0xFF])
        self.assertEqual(ws.recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))

    def test_origin(self):
        cases = [
            (None, True),  # a program, not a browser
            ("null", True),
            ("file://", True),
            ("http://localhost:8080", True),
            ("HTTP://LocalHost", True),
            ("http://127.0.0.1", True),
            ("http://127.4.5.6:3000", True),
            ("http://[::1]:8000", True),
            ("https://example.com", False),
            ("http://localhost.example.com", False),
            ("http://127.0.0.1.example.com", False),
            ("http://192.168.1.10", False),
            ("chrome-extension://abcdef", False),
        ]
        for origin, accepted in cases:
            with self.subTest(origin=origin):
                if accepted:
                    ws = h.connect(origin)
                    self.assert_relays(ws)
                    ws.close()
                else:
                    with self.assertRaises(h.websocket.WebSocketBadStatusException) as refused:
                        h.connect(origin)
                    self.assertEqual(refused.exception.status_code, 403)
                    self.assertIsNone(self.camera.pending())

    def test_oversize_message_closed_with_1009(self):
        ws = h.connect()
        ws.send(h.request(CAMERA, [1] * 20000))  # about 60 KB of JSON: under the limit
        got, sender = self.camera.receive()
        self.assertEqual(len(got), 20000)
        self.camera.answer(sender, [0x90, 0x50, 0xFF])
        self.assertEqual(ws.recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))

        # Only the header of a 90 KB frame: its length alone must get the connection closed, and the server is
        # left with nothing unread that would turn its close into a reset.
        big = h.websocket.ABNF.create_frame(h.request(CAMERA, [1] * 30000), h.websocket.ABNF.OPCODE_TEXT)
        ws.sock.sendall(big.format()[:14])
        opcode, payload = ws.recv_data(control_frame=True)
        self.assertEqual(opcode, h.websocket.ABNF.OPCODE_CLOSE)
        self.assertEqual(struct.unpack("!H", payload[:2])[0], 1009)
        ws.close()
        self.assertIsNone(self.camera.pending())
        fresh = h.connect()
        self.assert_relays(fresh)
        fresh.close()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--ptzctl", required=True)
    ARGS, rest = parser.parse_known_args()
    h.enter_private_network()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
