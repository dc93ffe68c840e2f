"""Median time from a WebSocket request to the relayed answer, beside a direct UDP round trip to the same peer.

Runs in a private network namespace (like the tests) with a peer that answers every datagram at once.
"""
import argparse
import os
import socket
import statistics
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "bridge"))
import bridge_harness as h  # noqa: E402

CAMERA = "127.0.4.40"
CLIENT = "127.0.4.41"
ANSWER = [1, 0x11, 0, 3, 0, 0, 0, 1, 0x90, 0x41, 0xFF]
INQUIRY = [1, 0x10, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x04, 0x47, 0xFF]


def answer_everything(peer, count):
    for _ in range(count):
        try:
            _, sender = peer.receive()
        except OSError:
            return
        peer.answer(sender, ANSWER)


def median_ms(samples):
    return statistics.median(samples) * 1000.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ptzctl", required=True)
    parser.add_argument("--rounds", type=int, default=100)
    args = parser.parse_args()
    h.enter_private_network()

    bridge = h.Bridge(args.ptzctl)
    bridge.wait_ready()
    peer = h.Peer(CAMERA)
    threading.Thread(target=answer_everything, args=(peer, 2 * args.rounds + 20), daemon=True).start()

    direct = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    direct.bind((CLIENT, 0))
    direct.settimeout(h.HANG_GUARD)
    ws = h.connect()
    request = h.request(CAMERA, INQUIRY)
    expected = h.reply(CAMERA, ANSWER)

    direct_times, bridge_times = [], []
    for i in range(args.rounds + 10):  # the first ten warm up
        start = time.perf_counter()
        direct.sendto(bytes(INQUIRY), (CAMERA, h.VISCA_PORT))
        direct.recvfrom(65536)
        direct_time = time.perf_counter() - start

        # A request waits while the previous one still collects answers (up to 300 ms): start from an idle bridge.
        time.sleep(0.35)
        start = time.perf_counter()
        ws.send(request)
        got = ws.recv()
        bridge_time = time.perf_counter() - start
        if got != expected:
            sys.exit("unexpected reply: " + got)
        if i >= 10:
            direct_times.append(direct_time)
            bridge_times.append(bridge_time)
    ws.close()
    print("rounds: %d" % args.rounds)
    print("direct UDP round trip:        median %.3f ms" % median_ms(direct_times))
    print("request to relayed reply:     median %.3f ms" % median_ms(bridge_times))
    bridge.stop(2)
    bridge.close()


if __name__ == "__main__":
    main()
