#!/usr/bin/env bash
# Real broadcast searches, run in a network namespace of their own: a veth pair with a default route so that
# 255.255.255.255 reaches the stand-in devices listening on port 3702, two simulated cameras behind the
# devices that answer in the first and the second reply format, and one device with no camera behind it.
# The dialog's table and `ptzctl discover --identify` must list the two cameras; plain `ptzctl discover`
# lists all three devices.
#
# usage: netns_discovery_test.sh PTZCTL DIALOG_SEARCH RESPONDER_PY
set -uo pipefail

fail() {
	echo "FAIL: $*" >&2
	exit 1
}

[ $# -eq 3 ] || fail "usage: $0 PTZCTL DIALOG_SEARCH RESPONDER_PY"
ptzctl=$1
dialog_search=$2
responder=$3

if [ "${PTZ_DISCOVERY_NETNS:-}" != 1 ]; then
	command -v unshare >/dev/null || fail "unshare (util-linux) is needed to make a private network namespace"
	command -v ip >/dev/null || fail "ip (iproute2) is needed to set up the private network namespace"
	command -v python3 >/dev/null || fail "python3 is needed for the stand-in WS-Discovery devices"
	host_netns=$(stat -L -c %i /proc/self/ns/net) || fail "cannot read this process's network namespace"
	PTZ_DISCOVERY_NETNS=1 PTZ_HOST_NETNS=$host_netns exec unshare -n -- "$0" "$@"
	fail "could not enter a private network namespace (unshare -n needs root or CAP_SYS_ADMIN)"
fi

# Never broadcast from the machine's own namespace.
own_netns=$(stat -L -c %i /proc/self/ns/net) || fail "cannot read this process's network namespace"
[ -n "${PTZ_HOST_NETNS:-}" ] && [ "$own_netns" != "$PTZ_HOST_NETNS" ] ||
	fail "still in the machine's own network namespace"

ip link set lo up || fail "cannot bring up loopback in the namespace"
ip link add dv0 type veth peer name dv1 || fail "cannot make a veth pair in the namespace"
ip addr add 10.200.0.1/24 dev dv0 &&
	ip addr add 10.200.0.2/24 dev dv1 &&
	ip addr add 10.200.0.3/24 dev dv1 &&
	ip addr add 10.200.0.4/24 dev dv1 &&
	ip link set dv0 up && ip link set dv1 up &&
	ip route add default via 10.200.0.2 dev dv0 || fail "cannot address and route the veth pair"

work=$(mktemp -d)
pids=()
cleanup() {
	for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
	wait 2>/dev/null
	rm -rf "$work"
}
trap cleanup EXIT

# Waits (bounded) until something listens on UDP ADDR:PORT.
wait_udp() {
	for _ in $(seq 100); do
		ss -Hluna "src $1:$2" 2>/dev/null | grep -q . && return 0
		sleep 0.05
	done
	fail "nothing listens on $1:$2"
}

"$ptzctl" simulate --model QK-H57P --bind 10.200.0.3 --port 52381 >"$work/cam3.log" 2>&1 &
pids+=($!)
"$ptzctl" simulate --model QK-H32P --bind 10.200.0.4 --port 52381 >"$work/cam4.log" 2>&1 &
pids+=($!)
wait_udp 10.200.0.3 52381
wait_udp 10.200.0.4 52381

# The later devices leave the first probes unanswered, so the order of first replies is fixed.
python3 "$responder" --format 1 --address 10.200.0.3 --name CAM_A --lifetime 60 --ready-file "$work/r1" &
pids+=($!)
python3 "$responder" --format 2 --address 10.200.0.4 --name CAMB01xyz --skip 4 --lifetime 60 --ready-file "$work/r2" &
pids+=($!)
python3 "$responder" --format 1 --address 10.200.0.9 --name NOCAM --skip 8 --lifetime 60 --ready-file "$work/r3" &
pids+=($!)
for _ in $(seq 100); do
	[ -e "$work/r1" ] && [ -e "$work/r2" ] && [ -e "$work/r3" ] && break
	sleep 0.05
done
[ -e "$work/r1" ] && [ -e "$work/r2" ] && [ -e "$work/r3" ] || fail "the stand-in devices did not start"

failures=0
check() {
	local label=$1 expected=$2 actual=$3
	if [ "$expected" == "$actual" ]; then
		echo "ok: $label"
	else
		echo "not ok: $label"
		echo "--- expected"
		echo "$expected"
		echo "--- got"
		echo "$actual"
		failures=$((failures + 1))
	fi
}

all=$(printf '10.200.0.3\tCAM_A\n10.200.0.4\tCAMB01\n10.200.0.9\tNOCAM')
recognised=$(printf '10.200.0.3\tCAM_A\n10.200.0.4\tCAMB01')

check "ptzctl discover lists every device" "$all" "$(timeout 60 "$ptzctl" discover)"
check "ptzctl discover --identify lists the cameras" "$recognised" "$(timeout 60 "$ptzctl" discover --identify)"
check "the dialog's table lists the cameras" "$recognised" "$(timeout 60 "$dialog_search")"

echo "$((3 - failures)) passed, $failures failed"
[ "$failures" == 0 ]
