"""Several clients and cameras at once: answers reach the client that asked, queues stay per camera and bounded."""
import bridge_harness as h

CAMERA = "127.0.4.50"
SECOND = "127.0.4.51"
SILENT = "127.0.4.52"  # receives requests, never answers


def inquiry(sequence):
    return [1, 0x10, 0, 5, 0, 0, 0, sequence, 0x81, 0x09, 0x04, 0x47, 0xFF]


def answer(sequence):
    return [1, 0x11, 0, 7, 0, 0, 0, sequence, 0x90, 0x50, 0, 0, 0, 0, 0xFF]


class BridgeTraffic(h.BridgeTest):
    def setUp(self):
        self.bridge = self.start()
        self.camera, self.second, self.silent = (self.peer(a) for a in (CAMERA, SECOND, SILENT))

    def ask(self, ws, peer, sequence):
        """One request answered at once; the answer must be the next thing the client gets."""
        ws.send(h.request(peer.getsockname()[0], inquiry(sequence)))
        got, sender = peer.receive()
        self.assertEqual(got, bytes(inquiry(sequence)))
        peer.answer(sender, answer(sequence))
        self.assertEqual(ws.recv(), h.reply(peer.getsockname()[0], answer(sequence)))

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
        self.ask(a, self.camera, 3)

    def test_gone_client_takes_its_requests(self):
        a, b = self.connect(), self.connect()
        for byte in range(1, 6):
            a.send(h.request(SILENT, [byte]))
        _, sender = self.silent.receive()
        a.close()  # returns once the close handshake is done, well inside the reply window
        self.silent.answer(sender, [0x90, 0x50, 0xFF])
        self.bridge.wait_log("ViscaTransfer: Reply dropped, its client has gone")
        b.send(h.request(SILENT, [9]))
        self.assertEqual(self.silent.receive()[0], b"\x09")

    def test_waiting_requests_bounded(self):
        greedy, other = self.connect(), self.connect()
        for byte in range(66):  # one in flight, 64 waiting, one too many
            greedy.send(h.request(SILENT, [byte]))
        self.assertEqual(h.close_frame(greedy), (1008, "Too many requests waiting"))
        self.ask(other, self.camera, 1)
        self.assertEqual(self.silent.receive()[0], b"\x00")
        other.send(h.request(SILENT, [0xAA]))
        self.assertEqual(self.silent.receive()[0], b"\xaa")  # the greedy client's queue went with it


if __name__ == "__main__":
    h.main()
