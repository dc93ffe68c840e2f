"""Bridge benchmark: medians of the time to a live camera's answer (idle, and beside a client flooding a silent
address), of a second client's wait behind one that queued 63 requests to the same silent camera, requests per
second to one instant camera, and resident memory during a ping flood.

Runs in a private network namespace (like the tests) with stand-in cameras on loopback.
"""
import argparse
import os
import signal
import socket
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "bridge"))
import bridge_harness as h  # noqa: E402

CAMERA = "127.0.4.40"
SILENT = "127.0.4.42"  # receives requests, never answers
INQUIRY = [1, 0x10, 0, 5, 0, 0, 0, 1, 0x81, 0x09, 0x04, 0x47, 0xFF]
ANSWER = [1, 0x11, 0, 7, 0, 0, 0, 1, 0x90, 0x50, 0, 0, 0, 0, 0xFF]  # an inquiry's answer ends the exchange


def answer_everything(peer, stop):
    peer.settimeout(0.2)
    while not stop.is_set():
        try:
            got, sender = peer.receive()
        except OSError:
            continue
        peer.answer(sender, h.echo(got, ANSWER))  # the bridge numbers the camera's requests itself


def flood_silent(stop, interval):
    """Another client: one request to the silent address every `interval` seconds."""
    ws = h.connect()
    request = h.request(SILENT, INQUIRY)
    while not stop.wait(interval):
        ws.send(request)
    ws.close()


def answer_times(ws, rounds, pause):
    times = []
    request = h.request(CAMERA, INQUIRY)
    expected = h.reply(CAMERA, ANSWER)
    for i in range(rounds + 5):  # the first five warm up
        time.sleep(pause)
        start = time.perf_counter()
        ws.send(request)
        got = ws.recv()
        if got != expected:
            sys.exit("unexpected reply: " + got)
        if i >= 5:
            times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000.0


def wait_behind_abuser(silent, rounds, abusive):
    """Median seconds from a second client's request to its arrival at a silent camera while another client has
    63 requests queued to that camera (each `abusive` datagram)."""
    waits = []
    for _ in range(rounds):
        abuser, second = h.connect(), h.connect()
        for _ in range(63):
            abuser.send(h.request(SILENT, abusive))
        silent.receive()  # the abuser's first request is in its reply window
        start = time.perf_counter()
        second.send(h.request(SILENT, [0xEE]))
        silent.settimeout(60)
        while silent.receive()[0] != b"\xee":
            pass
        waits.append(time.perf_counter() - start)
        abuser.close()
        second.close()
        time.sleep(0.5)  # the abuser's queue goes with it; its request in flight runs out
        while silent.pending():
            pass
    return statistics.median(waits)


def requests_per_second(ws, seconds):
    request = h.request(CAMERA, INQUIRY)
    count, start = 0, time.perf_counter()
    while time.perf_counter() - start < seconds:
        ws.send(request)
        ws.recv()
        count += 1
    return count / (time.perf_counter() - start)


def rss_kib(pid):
    """Resident memory of a process in KiB."""
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise AssertionError("no VmRSS for process %d" % pid)


def ping_flood(seconds, read=True):
    """Sends pings as fast as it can for `seconds`, reading the pongs or not; returns how many it sent."""
    ws = h.connect()
    ws.sock.settimeout(1)
    stop_at = time.monotonic() + seconds

    def drain():
        while time.monotonic() < stop_at + 1:
            try:
                if not ws.sock.recv(1 << 16):
                    return
            except socket.timeout:
                continue
            except OSError:
                return

    if read:
        threading.Thread(target=drain, daemon=True).start()
    burst = h.websocket.ABNF.create_frame("x" * 16, h.websocket.ABNF.OPCODE_PING).format() * 256
    sent = 0
    try:
        while time.monotonic() < stop_at:
            ws.sock.sendall(burst)
            sent += 256
    except OSError:  # closed by the bridge, or its send buffer stayed full for a second
        pass
    ws.sock.close()
    return sent


def ping_flood_memory(pid, seconds):
    baseline = rss_kib(pid)
    sent = []
    flood = threading.Thread(target=lambda: sent.append(ping_flood(seconds)))
    flood.start()
    peak = baseline
    while flood.is_alive():
        peak = max(peak, rss_kib(pid))
        flood.join(0.25)
    time.sleep(2)
    return baseline, peak, rss_kib(pid), sent[0]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ptzctl", required=True)
    parser.add_argument("--rounds", type=int, default=40)
    parser.add_argument("--flood-seconds", type=float, default=30)
    parser.add_argument("--abuse-rounds", type=int, default=3)
    args = parser.parse_args()
    h.enter_private_network()

    # Its lines are discarded: a reader that falls behind would slow a bridge that logs every frame.
    bridge = subprocess.Popen([args.ptzctl, "bridge"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            h.connect().close()
            break
        except OSError:
            time.sleep(0.1)
    peer, silent = h.Peer(CAMERA), h.Peer(SILENT)
    stop = threading.Event()
    threading.Thread(target=answer_everything, args=(peer, stop), daemon=True).start()
    ws = h.connect()

    # A request meets a bridge that finished earlier exchanges (the first bridge held every request 300 ms).
    idle = answer_times(ws, args.rounds, 0.35)
    time.sleep(0.5)
    rate = requests_per_second(ws, 5)
    time.sleep(0.5)
    flood_stop = threading.Event()
    flooder = threading.Thread(target=flood_silent, args=(flood_stop, 0.33), daemon=True)
    flooder.start()
    time.sleep(1)
    flooded = answer_times(ws, args.rounds, 0.35)
    flood_stop.set()
    flooder.join()
    ws.close()
    waits = [wait_behind_abuser(silent, args.abuse_rounds, abusive) for abusive in ([0x01], INQUIRY)]
    baseline, peak, after, pings = ping_flood_memory(bridge.pid, args.flood_seconds)

    print("live camera's answer, idle bridge:            median %.3f ms (%d rounds)" % (idle, args.rounds))
    print("live camera's answer, silent address flooded: median %.3f ms (%d rounds)" % (flooded, args.rounds))
    print("second client's wait behind 63 queued one-byte requests: median %.3f s (%d rounds)"
          % (waits[0], args.abuse_rounds))
    print("second client's wait behind 63 queued inquiries:         median %.3f s (%d rounds)"
          % (waits[1], args.abuse_rounds))
    print("requests per second to one instant camera:    %.1f" % rate)
    print("resident memory, %.0f s ping flood (%d pings): baseline %.1f MiB, peak %.1f MiB (+%.1f), 2 s after "
          "%.1f MiB" % (args.flood_seconds, pings, baseline / 1024, peak / 1024, (peak - baseline) / 1024,
                        after / 1024))
    stop.set()
    bridge.send_signal(signal.SIGINT)
    try:
        bridge.wait(h.HANG_GUARD)
    except subprocess.TimeoutExpired:
        print("the bridge did not stop within %d s of SIGINT" % h.HANG_GUARD)
        bridge.kill()
        bridge.wait()


if __name__ == "__main__":
    main()
