"""Requests relayed as datagrams, answers relayed back, and the requests and answers that are not."""
import argparse
import json
import sys
import unittest

import bridge_harness as h

CAMERA = "127.0.4.10"  # the addressed camera
OTHER = "127.0.4.11"  # a stranger that also sends to the bridge
BARRIER = "127.0.4.12"  # answers the follow-up request that ends each case
ZEROS = "127.0.4.7"  # reached as "127.0.4.007"
MARKER = "127.0.4.13"  # its stray datagram marks the end of a case in the log
SIMULATED = "127.0.4.15"  # `ptzctl simulate`
NOWHERE = "127.0.4.14"  # nobody listens on its port 9

INQUIRY = [1, 0, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x04, 0x00, 0xFF]
ACK = [1, 0x11, 0, 3, 0, 0, 0, 1, 0x90, 0x41, 0xFF]


class BridgeRelay(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.bridge = h.Bridge(ARGS.ptzctl)
        cls.bridge.wait_ready()
        cls.peers = {a: h.Peer(a) for a in (CAMERA, OTHER, BARRIER, ZEROS, MARKER)}
        cls.ws = h.connect()

    @classmethod
    def tearDownClass(cls):
        cls.ws.close()
        for p in cls.peers.values():
            p.close()
        cls.bridge.close()

    def sync_log(self, start):
        """The log lines written since `start`, up to a stray datagram sent now (it is logged after them)."""
        self.peers[MARKER].answer(("127.0.0.1", h.VISCA_PORT), [0])
        self.ws.send(h.request(NOWHERE, [0], port=9))
        end = self.bridge.wait_log("The data is from (%s)" % MARKER, start)
        return self.bridge.log[start:end]

    def barrier(self):
        """A request to BARRIER answered at once: its answer must be the next message the client gets."""
        self.ws.send(h.request(BARRIER, [9]))
        _, sender = self.peers[BARRIER].receive()
        self.peers[BARRIER].answer(sender, [0x99])
        self.assertEqual(self.ws.recv(), h.reply(BARRIER, [0x99]))

    def test_datagram_bytes(self):
        cases = [
            ("the 13-byte inquiry", INQUIRY, bytes.fromhex("01000005000000018109 0400ff".replace(" ", ""))),
            ("300 keeps its low byte", [300], b"\x2c"),
            ("negative and 9-bit values", [-1, 256, 511], b"\xff\x00\xff"),
            ("non-numbers and fractions give 0", ["x", None, 1.5, 65], b"\x00\x00\x00\x41"),
        ]
        for name, data, sent in cases:
            with self.subTest(name):
                self.ws.send(h.request(CAMERA, data))
                got, sender = self.peers[CAMERA].receive()
                self.assertEqual(got, sent)
                self.assertEqual(sender, ("127.0.0.1", h.VISCA_PORT))
                self.peers[CAMERA].answer(sender, ACK)
                self.assertEqual(self.ws.recv(), h.reply(CAMERA, ACK))

    def test_requests_that_send_nothing(self):
        cases = [
            ("empty data", h.request(CAMERA, []), ["Data is empty."]),
            ("no data key", json.dumps({"ip": CAMERA, "port": h.VISCA_PORT}), ["Data is empty."]),
            ("not JSON", "hello {", []),
            ("a JSON array", json.dumps([CAMERA, h.VISCA_PORT, [1]]), []),
            ("ip not an address", h.request("camera-1", [1]), ["It's failed to write data to socket."]),
            ("ip is IPv6", h.request("::1", [1]), ["It's failed to write data to socket."]),
            ("port as text gives port 0", json.dumps({"ip": CAMERA, "port": "52381", "data": [1]}),
             ["It's failed to write data to socket."]),
        ]
        for name, payload, logged in cases:
            with self.subTest(name):
                start = len(self.bridge.log)
                self.ws.send(payload)
                self.barrier()
                self.assertEqual(self.sync_log(start), logged)
                self.assertIsNone(self.peers[CAMERA].pending())

    def test_answers_filtered_and_counted(self):
        # (request ip, peer it reaches, answers as (peer, bytes) sent once it arrived, relayed answers, log lines)
        four = [(CAMERA, [4]), (CAMERA, [5]), (CAMERA, [6]), (CAMERA, [7])]
        cases = [
            ("stranger dropped, camera relayed", CAMERA, CAMERA, [(OTHER, [1]), (CAMERA, [2])], [(CAMERA, [2])],
             ["The data is from (%s)" % OTHER]),
            ("leading zeros: sent, answer not relayed", "127.0.4.007", ZEROS, [(ZEROS, [3])], [],
             ["The data is from (%s)" % ZEROS]),
            ("four answers: three relayed, the fourth met by the next request", CAMERA, CAMERA, four, four[:3],
             ["The data is from (%s)" % CAMERA]),
        ]
        for name, ip, reached, answers, relayed, logged in cases:
            with self.subTest(name):
                start = len(self.bridge.log)
                self.ws.send(h.request(ip, [0x81, 0x09, 0x00, 0x02, 0xFF]))
                _, bridge_address = self.peers[reached].receive()
                for peer, data in answers:
                    self.peers[peer].answer(bridge_address, data)
                for peer, data in relayed:
                    self.assertEqual(self.ws.recv(), h.reply(peer, data))
                self.barrier()
                self.assertEqual(self.sync_log(start), logged)

    def test_simulated_camera(self):
        simulator = h.Bridge(ARGS.ptzctl, "--model", "QK-JS4", "--bind", SIMULATED, command="simulate",
                             ready="listening on")
        self.addCleanup(simulator.close)
        simulator.wait_ready()
        header = [1, 0x11, 0, 3, 0, 0, 0, 2]
        cases = [
            ("version inquiry: one answer", [1, 0x10, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x00, 0x02, 0xFF],
             [[1, 0x11, 0, 10, 0, 0, 0, 1, 0x90, 0x50, 2, 1, 0, 0, 0, 0, 0, 0xFF]]),
            ("zoom command: acknowledge and completion", [1, 0, 0, 6, 0, 0, 0, 2, 0x81, 1, 4, 7, 2, 0xFF],
             [header + [0x90, 0x41, 0xFF], header + [0x90, 0x51, 0xFF]]),
        ]
        for name, data, answers in cases:
            with self.subTest(name):
                self.ws.send(h.request(SIMULATED, data))
                for answer in answers:
                    self.assertEqual(self.ws.recv(), h.reply(SIMULATED, answer))
                self.barrier()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--ptzctl", required=True)
    ARGS, rest = parser.parse_known_args()
    h.enter_private_network()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
