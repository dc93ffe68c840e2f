"""Requests relayed as datagrams and answers relayed back to the client that asked, with the client's own sequence
number; what is refused and what is not relayed; queues per camera, served in turn and bounded."""
import json
import socket

import bridge_harness as h

CAMERA = "127.0.4.10"  # the addressed camera
OTHER = "127.0.4.11"  # a stranger that also sends to the bridge
BARRIER = "127.0.4.12"  # answers the follow-up request that ends each case
MARKER = "127.0.4.13"  # its stray datagram marks the end of a case in the log
NOWHERE = "127.0.4.14"  # nobody listens on its port 9
SECOND = "127.0.4.51"
SILENT = "127.0.4.52"  # receives requests, never answers
SILENT_TOO = "127.0.4.53"

ACK = [1, 0x11, 0, 3, 0, 0, 0, 1, 0x90, 0x41, 0xFF]
DONE = [1, 0x11, 0, 3, 0, 0, 0, 1, 0x90, 0x51, 0xFF]
ERROR = [1, 0x11, 0, 4, 0, 0, 0, 1, 0x90, 0x60, 0x02, 0xFF]
COMMAND = [1, 0, 0, 6, 0, 0, 0, 1, 0x81, 0x01, 0x04, 0x07, 0x02, 0xFF]
VERSION = [0x81, 0x09, 0x00, 0x02, 0xFF]  # raw VISCA, no header
RESET = [2, 0, 0, 1, 0, 0, 0, 7, 1]
RESET_ACK = [2, 1, 0, 1, 0, 0, 0, 7, 1]

IP_ERROR = '"ip" is not a unicast IPv4 address in dotted-quad form'
PORT_ERROR = '"port" is not an integer from 1 to 65535'
DATA_ERROR = '"data" is not a list of 1 to 1024 integers from 0 to 255'


def inquiry(sequence):
    return [1, 0x10, 0, 5, 0, 0, 0, sequence, 0x81, 0x09, 0x04, 0x47, 0xFF]


def answer(sequence):
    return [1, 0x11, 0, 7, 0, 0, 0, sequence, 0x90, 0x50, 0, 0, 0, 0, 0xFF]


def renumbered(data, sequence):
    return data[:4] + [(sequence >> 12) & 15, (sequence >> 8) & 15, (sequence >> 4) & 15, sequence & 15] + data[8:]


class BridgeRelay(h.BridgeTest):
    def setUp(self):
        self.bridge = self.start()
        self.peers = {a: self.peer(a) for a in (CAMERA, OTHER, BARRIER, MARKER, SECOND, SILENT, SILENT_TOO)}
        self.camera, self.second, self.silent = (self.peers[a] for a in (CAMERA, SECOND, SILENT))

    def sync_log(self, ws, start):
        """The log lines written since `start`, up to a stray datagram sent now (it is logged after them)."""
        self.peers[MARKER].answer(("127.0.0.1", h.VISCA_PORT), [0])
        ws.send(h.request(NOWHERE, [0], port=9))
        end = self.bridge.wait_log("The data is from (%s)" % MARKER, start)
        return [line for line in self.bridge.log[start:end] if "Request refused" not in line]

    def test_requests_and_answers(self):
        ws = self.connect()
        wrong_port = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(wrong_port.close)
        wrong_port.bind((CAMERA, h.VISCA_PORT + 1))
        late = ["The data is from (%s)" % CAMERA]
        other, camera = self.peers[OTHER], self.camera
        # (request data for CAMERA; the sequence number CAMERA sees (None: sent as it is); answers sent once it
        #  arrived, each CAMERA's bytes (echoing the number it saw when it has a header) or (socket, exact bytes);
        #  answers relayed; log lines). The bridge numbers this camera's requests 0, 1, 2, ...
        cases = [
            ("an inquiry gets its answer with the client's number", inquiry(9), 0, [answer(9)], [answer(9)], []),
            ("bytes as given, at the size limit", [0, 255, 1] * 341 + [65], None, [ACK], [ACK], []),
            ("stranger dropped, camera relayed", VERSION, None, [(other, [1]), [2]], [[2]],
             ["The data is from (%s)" % OTHER]),
            ("the camera's address from another port dropped", VERSION, None, [(wrong_port, [1]), [2]], [[2]], late),
            ("four answers: three relayed, the fourth dropped", VERSION, None, [[4], [5], [6], [7]],
             [[4], [5], [6]], late),
            ("a command ends with its completion", COMMAND, 1, [ACK, DONE, ACK], [ACK, DONE], late),
            ("a command ends with an error", COMMAND, 2, [ERROR, DONE], [ERROR], late),
            ("a foreign sequence number is not an answer", inquiry(1), 3, [(camera, renumbered(answer(1), 2)), answer(1)],
             [answer(1)], late),
            ("raw VISCA ends with its completion", VERSION, None, [[0x90, 0x41, 0xFF], [0x90, 0x51, 0xFF], [1]],
             [[0x90, 0x41, 0xFF], [0x90, 0x51, 0xFF]], late),
            ("a reset reaches the camera as it is", RESET, None, [RESET_ACK], [RESET_ACK], []),
            ("and the camera's numbering starts again", inquiry(8), 0, [answer(8)], [answer(8)], []),
        ]
        for name, data, seen, answers, relayed, logged in cases:
            with self.subTest(name):
                start = len(self.bridge.log)
                ws.send(h.request(CAMERA, data))
                got, bridge_address = self.camera.receive()
                self.assertEqual(got, bytes(data if seen is None else renumbered(data, seen)))
                self.assertEqual(bridge_address, ("127.0.0.1", h.VISCA_PORT))
                for reply in answers:
                    sender, reply = reply if isinstance(reply, tuple) else (camera, h.echo(got, reply) if seen
                                                                            is not None else reply)
                    sender.sendto(bytes(reply), bridge_address)
                for reply in relayed:
                    self.assertEqual(ws.recv(), h.reply(CAMERA, reply))  # compact JSON
                self.round_trip(ws, self.peers[BARRIER], [9], [0x99])
                self.assertEqual(self.sync_log(ws, start), logged)
                self.assertIsNone(self.camera.pending())

    def test_malformed_requests_refused(self):
        ws = self.connect()
        fine = {"ip": CAMERA, "port": h.VISCA_PORT, "data": [1]}
        # (what replaces the fields of a valid request (None: the key is left out), the error)
        cases = [({"ip": value}, IP_ERROR) for value in (
            None, 5, "camera-1", "127.2", " 127.0.4.10", "127.0.4.010", "127.0.4.10.1", "256.1.1.1",
            "239.255.255.250", "255.255.255.255", "0.0.0.0", "::1")]
        cases += [({"port": value}, PORT_ERROR) for value in (None, -1, 0, 70000, 3.7, "52381", True, [1])]
        cases += [({"data": value}, DATA_ERROR) for value in (
            None, [], "ab", 7, [256], [-1], [True], [None], ["7"], [3.7], [[1]], [0] * 1025)]
        for fields, error in cases:
            with self.subTest(fields=str(fields)[:40]):
                message = {k: v for k, v in dict(fine, **fields).items() if v is not None}
                ws.send(json.dumps(message))
                self.assertEqual(json.loads(ws.recv()), {"error": error})
        for payload in ("hello {", json.dumps([CAMERA, h.VISCA_PORT, [1]])):
            with self.subTest(payload=payload):
                ws.send(payload)
                self.assertEqual(json.loads(ws.recv()), {"error": "the request is not a JSON object"})
        self.round_trip(ws, self.camera, [7], [0x90, 0x50, 0xFF])  # nothing refused reached the camera before

    def test_cameras_in_parallel_beside_a_flooded_silent_one(self):
        flooder, live = self.connect(), self.connect()
        for sequence in range(40):
            flooder.send(h.request(SILENT, inquiry(sequence)))
        self.silent.receive()
        live.send(h.request(CAMERA, inquiry(1)))
        live.send(h.request(SECOND, inquiry(2)))
        first, to_first = self.camera.receive()
        second, to_second = self.second.receive()  # sent before the first camera answered
        self.second.answer(to_second, h.echo(second, answer(2)))
        self.camera.answer(to_first, h.echo(first, answer(1)))
        self.assertEqual([live.recv(), live.recv()], [h.reply(SECOND, answer(2)), h.reply(CAMERA, answer(1))])
        self.assertIsNone(self.silent.pending())  # the silent camera's other requests still wait their turn

    def test_same_numbers_from_two_clients_and_a_late_camera(self):
        a, b = self.connect(), self.connect()
        a.send(h.request(CAMERA, inquiry(1)))
        first, sender = self.camera.receive()
        b.send(h.request(CAMERA, inquiry(1)))  # the same number
        second = self.camera.receive()[0]  # after the first window ran out
        self.assertNotEqual(first[4:8], second[4:8])
        self.camera.answer(sender, h.echo(first, answer(1)))  # too late for a, and not b's
        self.camera.answer(sender, h.echo(second, answer(1)))
        self.assertEqual(b.recv(), h.reply(CAMERA, answer(1)))
        self.round_trip(a, self.camera, inquiry(2), answer(2))  # a got nothing in between

    def test_clients_take_turns_at_one_camera(self):
        # An abusive client queues 63 requests to a camera that never answers; another client's request goes out
        # next (after one more when another window ended while it was on its way), whether they are bare bytes or
        # inquiries with a header.
        for abusive, address in (([0x01], SILENT), (inquiry(1), SILENT_TOO)):
            with self.subTest(abusive=abusive):
                silent = self.peers[address]
                abuser, other = self.connect(), self.connect()
                for _ in range(63):
                    abuser.send(h.request(address, abusive))
                self.assertEqual(silent.receive()[0][:4], bytes(abusive[:4]))
                other.send(h.request(address, [0xEE]))
                before = 0
                while silent.receive()[0] != b"\xee":
                    before += 1
                self.assertLessEqual(before, 1)

    def test_waiting_requests_bounded_and_gone_with_their_client(self):
        greedy, other = self.connect(), self.connect()
        for sequence in range(66):  # one in flight, 64 waiting, one too many
            greedy.send(h.request(SILENT, inquiry(sequence & 15)))
        got, sender = self.silent.receive()
        self.assertEqual(h.close_frame(greedy), (1008, "Too many requests waiting"))
        self.silent.answer(sender, h.echo(got, answer(0)))  # inside the reply window of the gone client's request
        self.bridge.wait_log("ViscaTransfer: Reply dropped, its client has gone")
        self.round_trip(other, self.camera, inquiry(1), answer(1))
        other.send(h.request(SILENT, [0xAA]))
        self.assertEqual(self.silent.receive()[0], b"\xaa")  # the greedy client's queue went with it


if __name__ == "__main__":
    h.main()
