"""`ptzctl bridge` start-up, shutdown in every state, a client that leaves early, and a taken port."""
import argparse
import signal
import socket
import struct
import sys
import unittest

import bridge_harness as h

SILENT = "127.0.4.30"  # receives requests, never answers
CAMERA = "127.0.4.31"


def close_code(ws):
    opcode, payload = ws.recv_data(control_frame=True)
    return struct.unpack("!H", payload[:2])[0] if opcode == h.websocket.ABNF.OPCODE_CLOSE else None


class BridgeLifecycle(unittest.TestCase):
    def start(self, *args):
        bridge = h.Bridge(ARGS.ptzctl, *args)
        self.addCleanup(bridge.close)
        return bridge

    def peer(self, address):
        p = h.Peer(address)
        self.addCleanup(p.close)
        return p

    def test_usage_errors(self):
        for args in (["--port"], ["--port", "0"], ["--port", "65536"], ["--port", "x"], ["--verbose"]):
            with self.subTest(args=args):
                bridge = self.start(*args)
                self.assertEqual(bridge.proc.wait(h.HANG_GUARD), 2)

    def test_shutdown(self):
        # (state, signal, clients, requests sent by the first client, "Error closing connection" logged)
        cases = [
            ("no client", signal.SIGINT, 0, 0, True),
            ("idle client that never sent", signal.SIGTERM, 1, 0, True),
            ("client whose request was answered", signal.SIGTERM, 1, 1, False),
            ("request waiting in its reply window", signal.SIGTERM, 1, 1, False),
            ("two clients, one waiting for answers", signal.SIGINT, 2, 1, False),
        ]
        silent = self.peer(SILENT)
        camera = self.peer(CAMERA)
        for state, sig, clients, requests, close_error in cases:
            with self.subTest(state):
                bridge = self.start()
                bridge.wait_ready()
                sockets = [h.connect() for _ in range(clients)]
                for _ in range(requests):
                    if state.startswith("client whose"):
                        sockets[0].send(h.request(CAMERA, [0x81, 0x09, 0x04, 0x00, 0xFF]))
                        _, sender = camera.receive()
                        camera.answer(sender, [0x90, 0x50, 0xFF])
                        self.assertEqual(sockets[0].recv(), h.reply(CAMERA, [0x90, 0x50, 0xFF]))
                    else:
                        sockets[0].send(h.request(SILENT, [0x81, 0x09, 0x04, 0x00, 0xFF]))
                        silent.receive()  # the bridge is now collecting answers
                self.assertEqual(bridge.stop(sig), 0)
                self.assertEqual([close_code(ws) for ws in sockets], [1001] * clients)
                self.assertEqual("ViscaTransfer: Error closing connection" in bridge.log, close_error)
                for ws in sockets:
                    ws.close()

    def test_client_gone_before_the_answer(self):
        bridge = self.start()
        bridge.wait_ready()
        camera = self.peer(CAMERA)
        ws = h.connect()
        ws.send(h.request(CAMERA, [0x81, 0x09, 0x04, 0x00, 0xFF]))
        _, sender = camera.receive()
        ws.close()  # returns once the close handshake is done, well inside the reply window
        camera.answer(sender, [0x90, 0x50, 0xFF])
        bridge.wait_log("ViscaTransfer: Error sending reply, the client has gone")
        fresh = h.connect()
        fresh.send(h.request(CAMERA, [0x81, 0x09, 0x04, 0x00, 0xFF]))
        _, sender = camera.receive()
        camera.answer(sender, [0x90, 0x51, 0xFF])
        self.assertEqual(fresh.recv(), h.reply(CAMERA, [0x90, 0x51, 0xFF]))
        fresh.close()
        self.assertEqual(bridge.stop(signal.SIGTERM), 0)

    def test_port_taken(self):
        holder = socket.socket(socket.AF_INET6, socket.SOCK_STREAM)
        self.addCleanup(holder.close)
        holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)  # earlier bridges leave TIME_WAIT behind
        holder.bind(("::", h.BRIDGE_PORT))
        holder.listen()
        bridge = self.start()
        self.assertEqual(bridge.proc.wait(h.HANG_GUARD), 1)
        failed = [line for line in bridge.log if line.startswith("ViscaTransfer: Failed to listen on port 55260")]
        self.assertEqual(len(failed), 1, bridge.log)
        other = self.start("--port", str(h.BRIDGE_PORT + 1))
        other.wait_ready()
        self.assertEqual(other.stop(signal.SIGTERM), 0)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--ptzctl", required=True)
    ARGS, rest = parser.parse_known_args()
    h.enter_private_network()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
