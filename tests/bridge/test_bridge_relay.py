"""Requests relayed as datagrams and answers relayed back to the client that asked; what is not relayed; queues
per camera and bounded."""
import json

import bridge_harness as h

CAMERA = "127.0.4.10"  # the addressed camera
OTHER = "127.0.4.11"  # a stranger that also sends to the bridge
BARRIER = "127.0.4.12"  # answers the follow-up request that ends each case
ZEROS = "127.0.4.7"  # reached as "127.0.4.007"
MARKER = "127.0.4.13"  # its stray datagram marks the end of a case in the log
NOWHERE = "127.0.4.14"  # nobody listens on its port 9
SECOND = "127.0.4.51"
SILENT = "127.0.4.52"  # receives requests, never answers

ACK = [1, 0x11, 0, 3, 0, 0, 0, 1, 0x90, 0x41, 0xFF]
DONE = [1, 0x11, 0, 3, 0, 0, 0, 1, 0x90, 0x51, 0xFF]
ERROR = [1, 0x11, 0, 4, 0, 0, 0, 1, 0x90, 0x60, 0x02, 0xFF]
COMMAND = [1, 0, 0, 6, 0, 0, 0, 1, 0x81, 0x01, 0x04, 0x07, 0x02, 0xFF]


def inquiry(sequence):
    return [1, 0x10, 0, 5, 0, 0, 0, sequence, 0x81, 0x09, 0x04, 0x47, 0xFF]


def answer(sequence):
    return [1, 0x11, 0, 7, 0, 0, 0, sequence, 0x90, 0x50, 0, 0, 0, 0, 0xFF]


class BridgeRelay(h.BridgeTest):
    def setUp(self):
        self.bridge = self.start()
        self.peers = {a: self.peer(a) for a in (CAMERA, OTHER, BARRIER, ZEROS, MARKER, SECOND, SILENT)}
        self.camera, self.second, self.silent = (self.peers[a] for a in (CAMERA, SECOND, SILENT))

    def sync_log(self, start):
        """The log lines written since `start`, up to a stray datagram sent now (it is logged after them)."""
        self.peers[MARKER].answer(("127.0.0.1", h.VISCA_PORT), [0])
        self.ws.send(h.request(NOWHERE, [0], port=9))
        end = self.bridge.wait_log("The data is from (%s)" % MARKER, start)
        return self.bridge.log[start:end]

    def test_requests_and_answers(self):
        self.ws = self.connect()
        # (request: a list is data for CAMERA, which gets it as it is; where it goes with the bytes it gets;
        #  answers sent once it arrived; answers relayed; log lines). An answer is bytes from CAMERA or (peer, bytes).
        version = [0x81, 0x09, 0x00, 0x02, 0xFF]
        late = ["The data is from (%s)" % CAMERA]
        cases = [
            ("the 13-byte inquiry", [1, 0, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x04, 0x00, 0xFF], None, [ACK], [ACK], []),
            ("low bytes; non-numbers and fractions give 0", h.request(CAMERA, [300, -1, 256, 511, "x", None, 1.5, 65]),
             (CAMERA, b"\x2c\xff\x00\xff\x00\x00\x00\x41"), [ACK], [ACK], []),
            ("empty data", h.request(CAMERA, []), None, [], [], ["Data is empty."]),
            ("no data key", json.dumps({"ip": CAMERA, "port": h.VISCA_PORT}), None, [], [], ["Data is empty."]),
            ("not JSON", "hello {", None, [], [], []),
            ("a JSON array", json.dumps([CAMERA, h.VISCA_PORT, [1]]), None, [], [], []),
            ("ip not an address", h.request("camera-1", [1]), None, [], [], ["It's failed to write data to socket."]),
            ("stranger dropped, camera relayed", version, None, [(OTHER, [1]), [2]], [[2]],
             ["The data is from (%s)" % OTHER]),
            ("leading zeros: sent, answer not relayed", h.request("127.0.4.007", version), (ZEROS, bytes(version)),
             [(ZEROS, [3])], [], ["The data is from (%s)" % ZEROS]),
            ("four answers: three relayed, the fourth dropped", version, None, [[4], [5], [6], [7]], [[4], [5], [6]],
             late),
            ("a command ends with its completion", COMMAND, None, [ACK, DONE, ACK], [ACK, DONE], late),
            ("a command ends with an error", COMMAND, None, [ERROR, DONE], [ERROR], late),
            ("an inquiry ends with its answer", inquiry(1), None, [answer(1), answer(1)], [answer(1)], late),
            ("a foreign sequence number is not an answer", inquiry(1), None, [answer(2), answer(1)], [answer(1)], late),
            ("raw VISCA ends with its completion", version, None, [[0x90, 0x41, 0xFF], [0x90, 0x51, 0xFF], [1]],
             [[0x90, 0x41, 0xFF], [0x90, 0x51, 0xFF]], late),
        ]
        for name, payload, reached, answers, relayed, logged in cases:
            with self.subTest(name):
                if isinstance(payload, list):
                    payload, reached = h.request(CAMERA, payload), (CAMERA, bytes(payload))
                start = len(self.bridge.log)
                self.ws.send(payload)
                if reached:
                    got, bridge_address = self.peers[reached[0]].receive()
                    self.assertEqual(got, reached[1])
                    self.assertEqual(bridge_address, ("127.0.0.1", h.VISCA_PORT))
                for peer, data in (a if isinstance(a, tuple) else (CAMERA, a) for a in answers):
                    self.peers[peer].answer(bridge_address, data)
                for peer, data in (a if isinstance(a, tuple) else (CAMERA, a) for a in relayed):
                    self.assertEqual(self.ws.recv(), h.reply(peer, data))  # compact JSON
                self.round_trip(self.ws, self.peers[BARRIER], [9], [0x99])
                self.assertEqual(self.sync_log(start), logged)
                self.assertIsNone(self.peers[CAMERA].pending())

    def test_cameras_in_parallel_beside_a_flooded_silent_one(self):
        flooder, live = self.connect(), self.connect()
        for sequence in range(40):
            flooder.send(h.request(SILENT, inquiry(sequence)))
        self.silent.receive()
        live.send(h.request(CAMERA, inquiry(1)))
        live.send(h.request(SECOND, inquiry(2)))
        _, first = self.camera.receive()
        _, second = self.second.receive()  # sent before the first camera answered
        self.second.answer(second, answer(2))
        self.camera.answer(first, answer(1))
        self.assertEqual([live.recv(), live.recv()], [h.reply(SECOND, answer(2)), h.reply(CAMERA, answer(1))])
        self.assertIsNone(self.silent.pending())  # the silent camera's other requests still wait their turn

    def test_late_reply_not_leaked(self):
        a, b = self.connect(), self.connect()
        a.send(h.request(CAMERA, inquiry(1)))
        _, sender = self.camera.receive()
        b.send(h.request(CAMERA, inquiry(2)))
        self.assertEqual(self.camera.receive()[0], bytes(inquiry(2)))  # after the first window ran out
        self.camera.answer(sender, answer(1))  # too late for a, and not b's
        self.camera.answer(sender, answer(2))
        self.assertEqual(b.recv(), h.reply(CAMERA, answer(2)))
        self.round_trip(a, self.camera, inquiry(3), answer(3))

    def test_waiting_requests_bounded_and_gone_with_their_client(self):
        greedy, other = self.connect(), self.connect()
        for byte in range(66):  # one in flight, 64 waiting, one too many
            greedy.send(h.request(SILENT, [byte]))
        _, sender = self.silent.receive()
        self.assertEqual(h.close_frame(greedy), (1008, "Too many requests waiting"))
        self.silent.answer(sender, [0x90, 0x50, 0xFF])  # inside the reply window of the gone client's request
        self.bridge.wait_log("ViscaTransfer: Reply dropped, its client has gone")
        self.round_trip(other, self.camera, inquiry(1), answer(1))
        other.send(h.request(SILENT, [0xAA]))
        self.assertEqual(self.silent.receive()[0], b"\xaa")  # the greedy client's queue went with it


if __name__ == "__main__":
    h.main()
