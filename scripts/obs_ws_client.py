#!/usr/bin/python3
"""A small obs-websocket 5 client: the authenticated handshake, vendor requests and vendor events.

Shared by the remote-control tests and measurements. Connects only where it is told (loopback in a test's own
network namespace)."""
import base64
import hashlib
import itertools
import json
import threading
import time

import websocket  # python3-websocket

VENDOR = "BrenmoorCameraControl"
OP_HELLO, OP_IDENTIFY, OP_IDENTIFIED, OP_EVENT, OP_REQUEST, OP_RESPONSE = 0, 1, 2, 5, 6, 7
SUBSCRIBE_VENDORS = 1 << 9
NOT_READY = 207


def auth_string(password, salt, challenge):
    secret = base64.b64encode(hashlib.sha256((password + salt).encode()).digest()).decode()
    return base64.b64encode(hashlib.sha256((secret + challenge).encode()).digest()).decode()


class ObsClient:
    def __init__(self, port, password, events=True, timeout=10):
        self.ws = websocket.create_connection(f"ws://127.0.0.1:{port}", timeout=timeout)
        self.ids = itertools.count(1)
        self.events = []  # (eventType, eventData) of vendor events, in arrival order
        self.pending = {}  # requestId -> response d, for answers read while waiting for another
        hello = self.receive()
        if hello["op"] != OP_HELLO:
            raise RuntimeError(f"expected Hello, got {hello}")
        identify = {"rpcVersion": 1, "eventSubscriptions": SUBSCRIBE_VENDORS if events else 0}
        auth = hello["d"].get("authentication")
        if auth:
            identify["authentication"] = auth_string(password, auth["salt"], auth["challenge"])
        self.ws.send(json.dumps({"op": OP_IDENTIFY, "d": identify}))
        identified = self.receive()
        if identified["op"] != OP_IDENTIFIED:
            raise RuntimeError(f"not identified: {identified}")
        self.version = hello["d"].get("obsWebSocketVersion")

    def receive(self):
        message = json.loads(self.ws.recv())
        if message["op"] == OP_EVENT and message["d"].get("eventType") == "VendorEvent":
            data = message["d"]["eventData"]
            if data.get("vendorName") == VENDOR:
                self.events.append((data["eventType"], data.get("eventData", {})))
        return message

    def send(self, request_type, data=None, vendor=True):
        """Sends a request without waiting; returns its id."""
        request_id = str(next(self.ids))
        if vendor:
            # obs-websocket 5.1 refuses an empty object as the vendor's data: none is sent then.
            data = dict({"vendorName": VENDOR, "requestType": request_type}, **({"requestData": data} if data else {}))
            request_type = "CallVendorRequest"
        message = {"requestType": request_type, "requestId": request_id}
        if data is not None:
            message["requestData"] = data
        self.ws.send(json.dumps({"op": OP_REQUEST, "d": message}))
        return request_id

    def answer(self, request_id):
        """The response to a request sent before (its d)."""
        while request_id not in self.pending:
            message = self.receive()
            if message["op"] == OP_RESPONSE:
                self.pending[message["d"]["requestId"]] = message["d"]
        return self.pending.pop(request_id)

    def call(self, request_type, data=None, vendor=True):
        """A request's response data (the vendor's own for a vendor request), with its status added under
        "_status" when OBS's status is not a success."""
        d = self.answer(self.send(request_type, data, vendor))
        status = d["requestStatus"]
        out = d.get("responseData") or {}
        if vendor:
            out = out.get("responseData", {}) if status.get("result") else {}
        if not status.get("result"):
            out = dict(out, _status=status)
        return out

    def wait_ready(self, timeout=60):
        """obs-websocket 5.5 answers "not ready" until OBS has finished loading: retries until it answers."""
        deadline = time.monotonic() + timeout
        while True:
            d = self.answer(self.send("GetVersion", vendor=False))
            if d["requestStatus"].get("code") != NOT_READY or time.monotonic() > deadline:
                return d["requestStatus"].get("result", False)
            time.sleep(0.2)

    def wait_event(self, predicate, timeout):
        """The first vendor event (type, data) that predicate accepts, reading until timeout; None without one."""
        deadline = time.monotonic() + timeout
        while True:
            for event in self.events:
                if predicate(*event):
                    return event
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            self.ws.settimeout(left)
            try:
                message = self.receive()
                if message["op"] == OP_RESPONSE:
                    self.pending[message["d"]["requestId"]] = message["d"]
            except websocket.WebSocketTimeoutException:
                return None
            finally:
                self.ws.settimeout(10)

    def answer_close_in_background(self):
        """Reads on in a thread so that OBS's closing handshake is answered while it quits, as a live client's
        would be (obs-websocket otherwise waits 5 s for it)."""
        def drain():
            try:
                self.ws.settimeout(None)
                while self.ws.connected:
                    self.ws.recv()
            except Exception:  # noqa: BLE001 - the server has gone
                pass
        threading.Thread(target=drain, daemon=True).start()

    def close(self):
        self.ws.close()
