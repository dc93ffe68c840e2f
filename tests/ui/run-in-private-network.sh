#!/usr/bin/env bash
# Runs a command in a private network namespace with loopback up and a second address (192.0.2.1) on it: the
# panel's bridge binds its real port there without meeting other tests, and can be reached from "the network".
set -euo pipefail
if [ "${PTZ_PRIVATE_NETWORK:-}" != 1 ]; then
	if ! command -v unshare >/dev/null 2>&1 || ! command -v ip >/dev/null 2>&1; then
		echo "FAIL: the panel tests need unshare (util-linux) and ip (iproute2)" >&2
		exit 1
	fi
	PTZ_PRIVATE_NETWORK=1 exec unshare -n -- "$0" "$@"
fi
ip link set lo up
ip addr add 192.0.2.1/32 dev lo
exec "$@"
