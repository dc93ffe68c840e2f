"""`ptzctl bridge` shutdown while clients are connected, a client that leaves early, and a taken port."""
import signal
import socket

import bridge_harness as h

SILENT = "127.0.4.30"  # receives requests, never answers
CAMERA = "127.0.4.31"


class BridgeLifecycle(h.BridgeTest):
    def test_shutdown(self):
        # (state, signal, clients, request left in its reply window, "Error closing connection" logged)
        cases = [
            ("no client", signal.SIGINT, 0, False, True),
            ("idle client that never sent", signal.SIGTERM, 1, False, True),
            ("request waiting in its reply window", signal.SIGTERM, 1, True, False),
            ("two clients, one waiting for answers", signal.SIGINT, 2, True, False),
        ]
        silent = self.peer(SILENT)
        for state, sig, clients, waiting, close_error in cases:
            with self.subTest(state):
                bridge = self.start()
                sockets = [self.connect() for _ in range(clients)]
                if waiting:
                    sockets[0].send(h.request(SILENT, [0x81, 0x09, 0x04, 0x00, 0xFF]))
                    silent.receive()  # the bridge is now collecting answers
                self.assertEqual(bridge.stop(sig), 0)
                self.assertEqual([h.close_code(ws) for ws in sockets], [1001] * clients)
                self.assertEqual("ViscaTransfer: Error closing connection" in bridge.log, close_error)

    def test_client_gone_before_the_answer(self):
        bridge = self.start()
        camera = self.peer(CAMERA)
        ws = self.connect()
        ws.send(h.request(CAMERA, [0x81, 0x09, 0x04, 0x00, 0xFF]))
        _, sender = camera.receive()
        ws.close()  # returns once the close handshake is done, well inside the reply window
        camera.answer(sender, [0x90, 0x50, 0xFF])
        bridge.wait_log("ViscaTransfer: Error sending reply, the client has gone")
        fresh = self.connect()
        fresh.send(h.request(CAMERA, [0x81, 0x09, 0x04, 0x00, 0xFF]))
        _, sender = camera.receive()
        camera.answer(sender, [0x90, 0x51, 0xFF])
        self.assertEqual(fresh.recv(), h.reply(CAMERA, [0x90, 0x51, 0xFF]))
        self.assertEqual(bridge.stop(signal.SIGTERM), 0)

    def test_port_taken(self):
        holder = socket.socket(socket.AF_INET6, socket.SOCK_STREAM)
        self.addCleanup(holder.close)
        holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)  # earlier bridges leave TIME_WAIT behind
        holder.bind(("::", h.BRIDGE_PORT))
        holder.listen()
        bridge = self.start(ready=False)
        self.assertEqual(bridge.proc.wait(h.HANG_GUARD), 1)
        failed = [line for line in bridge.log if line.startswith("ViscaTransfer: Failed to listen on port 55260")]
        self.assertEqual(len(failed), 1, bridge.log)


if __name__ == "__main__":
    h.main()
