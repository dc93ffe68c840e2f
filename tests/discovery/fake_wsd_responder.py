#!/usr/bin/env python3
"""Stand-in WS-Discovery device: answers each Probe it receives with a ProbeMatch in one of the two reply
formats that cameras use, sent back to the probe's sender only. Stops by itself after --lifetime seconds."""
import argparse
import os
import select
import socket
import sys
import time

NAME_SCOPE = "onvif://www.onvif.org/name/"


def first_format(address, port, name):
    return (
        '<?xml version="1.0" encoding="UTF-8"?><SOAP-ENV:Envelope '
        'xmlns:SOAP-ENV="http://www.w3.org/2003/05/soap-envelope" '
        'xmlns:wsdd="http://schemas.xmlsoap.org/ws/2005/04/discovery">'
        "<SOAP-ENV:Body><wsdd:ProbeMatches><wsdd:ProbeMatch><wsdd:Types>tdn:NetworkVideoTransmitter</wsdd:Types>"
        "<wsdd:Scopes>onvif://www.onvif.org/type/video_encoder " + NAME_SCOPE + name + " "
        "onvif://www.onvif.org/location/country/nowhere</wsdd:Scopes>"
        "<wsdd:XAddrs>http://" + address + ":" + str(port) + "/onvif/device_service</wsdd:XAddrs>"
        "<wsdd:MetadataVersion>1</wsdd:MetadataVersion></wsdd:ProbeMatch></wsdd:ProbeMatches>"
        "</SOAP-ENV:Body></SOAP-ENV:Envelope>"
    )


def second_format(address, port, name):
    return (
        '<?xml version="1.0" encoding="utf-8"?><s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" '
        'xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery">'
        "<s:Body><d:ProbeMatches><d:ProbeMatch><d:Types>dn:NetworkVideoTransmitter</d:Types>"
        "<d:Scopes>onvif://www.onvif.org/Profile/Streaming " + NAME_SCOPE + name + "</d:Scopes>"
        "<d:XAddrs>http://" + address + "/onvif/device_service</d:XAddrs>"
        "<d:MetadataVersion>1</d:MetadataVersion></d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>"
    )


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bind", default="0.0.0.0", help="address to listen on")
    parser.add_argument("--port", type=int, default=3702)
    parser.add_argument("--format", type=int, choices=(1, 2), default=1)
    parser.add_argument("--address", required=True, help="address announced in XAddrs")
    parser.add_argument("--name", required=True, help="name announced in the name scope")
    parser.add_argument("--skip", type=int, default=0,
                        help="probes left unanswered at the start of each search (each sender socket)")
    parser.add_argument("--lifetime", type=float, default=60.0)
    parser.add_argument("--ready-file", help="created once the socket listens")
    args = parser.parse_args()

    build = first_format if args.format == 1 else second_format
    reply = build(args.address, 80, args.name).encode()
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind((args.bind, args.port))
    if args.ready_file:
        open(args.ready_file, "w").close()
    seen = {}
    deadline = time.monotonic() + args.lifetime
    while time.monotonic() < deadline:
        readable, _, _ = select.select([sock], [], [], 0.1)
        if not readable:
            continue
        data, sender = sock.recvfrom(4096)
        if b"Probe" not in data:
            continue
        seen[sender] = seen.get(sender, 0) + 1
        if seen[sender] > args.skip:
            sock.sendto(reply, sender)
    return 0


if __name__ == "__main__":
    sys.exit(main())
