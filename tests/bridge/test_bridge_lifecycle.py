"""`ptzctl bridge` start-up on taken or missing addresses, shutdown with clients connected, memory under floods."""
import re
import signal
import socket
import subprocess
import time

import bridge_harness as h

SILENT = "127.0.4.30"  # receives requests, never answers
CAMERA = "127.0.4.31"
FAILURE = re.compile(r"fail|error", re.I)


class BridgeLifecycle(h.BridgeTest):
    def test_shutdown(self):
        # (state, signal, clients, request left in its reply window)
        cases = [
            ("no client", signal.SIGINT, 0, False),
            ("request waiting in its reply window", signal.SIGTERM, 1, True),
            ("two clients, one waiting for answers, one that never sent", signal.SIGINT, 2, True),
        ]
        silent = self.peer(SILENT)
        for state, sig, clients, waiting in cases:
            with self.subTest(state):
                bridge = self.start()
                sockets = [self.connect() for _ in range(clients)]
                if waiting:
                    sockets[0].send(h.request(SILENT, [0x81, 0x09, 0x04, 0x00, 0xFF]))
                    silent.receive()  # the bridge is now collecting answers
                self.assertEqual(bridge.stop(sig), 0)
                self.assertEqual([h.close_frame(ws)[0] for ws in sockets], [1001] * clients)
                bridge.close()
                self.assertEqual([line for line in bridge.log if FAILURE.search(line)], [])
                self.assertEqual(sum(" connected" in line for line in bridge.log), clients)
                self.assertEqual(sum(" disconnected (the bridge stops)" in line for line in bridge.log), clients)
                self.assertIn("ViscaTransfer: Stopped listening on port 55260", bridge.log)

    def test_listen_failures(self):
        def hold(family, address):
            holder = socket.socket(family, socket.SOCK_STREAM)
            self.addCleanup(holder.close)
            holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)  # earlier bridges leave TIME_WAIT
            holder.bind((address, h.BRIDGE_PORT))
            holder.listen()
            return holder

        def no_ipv6():
            subprocess.run(["sysctl", "-qw", "net.ipv6.conf.lo.disable_ipv6=1"], check=True)
            return None

        port = "port %d" % h.BRIDGE_PORT
        # (case, what makes it, served on, the one line that says so)
        cases = [
            ("port taken", lambda: [hold(socket.AF_INET, "127.0.0.1"), hold(socket.AF_INET6, "::1")], [],
             "ViscaTransfer: Cannot listen on %s: another program is using it. The WebSocket bridge is off." % port),
            ("IPv4 side taken", lambda: [hold(socket.AF_INET, "127.0.0.1")], ["[::1]"],
             "ViscaTransfer: Cannot listen on 127.0.0.1 %s: another program is using it. Listening on ::1 only."
             % port),
            ("no IPv6", no_ipv6, ["127.0.0.1"],
             "ViscaTransfer: Cannot listen on ::1 %s: this address is not available on this machine. Listening on "
             "127.0.0.1 only." % port),
        ]
        self.addCleanup(subprocess.run, ["sysctl", "-qw", "net.ipv6.conf.lo.disable_ipv6=0"], check=True)
        for case, make, served, said in cases:
            with self.subTest(case):
                holders = make() or []
                bridge = self.start(ready=bool(served))
                for host in served:
                    self.connect(host=host).close()
                if not served:
                    self.assertEqual(bridge.proc.wait(h.HANG_GUARD), 1)
                else:
                    self.assertEqual(bridge.stop(signal.SIGTERM), 0)
                bridge.close()
                self.assertEqual([line for line in bridge.log if "Cannot listen" in line], [said])
                for holder in holders:
                    holder.close()

    def test_client_that_never_reads_is_closed(self):
        # Memory under floods is measured by the bridge benchmark; here only that the backlog is cut off.
        bridge = self.start()
        camera = self.peer(CAMERA)
        big = [1, 0x11, 0x05, 0x7B, 0, 0, 0, 1, 0x90, 0x50] + [0] * 1400 + [0xFF]  # an inquiry's answer
        ws = h.connect()
        ws.sock.settimeout(1)
        camera.settimeout(1)
        stop_at = time.monotonic() + 3
        try:
            while time.monotonic() < stop_at:
                ws.send(h.request(CAMERA, [1, 0x10, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x04, 0x47, 0xFF]))
                _, sender = camera.receive()
                camera.answer(sender, big)
        except OSError:  # closed by the bridge, or its send buffer stayed full
            pass
        ws.sock.close()
        with bridge.changed:
            bridge.changed.wait_for(lambda: any("Too much unread output" in line for line in bridge.log), h.HANG_GUARD)
        self.assertTrue(any("Too much unread output" in line for line in bridge.log), bridge.log)
        self.connect().close()  # still serving

if __name__ == "__main__":
    h.main()
