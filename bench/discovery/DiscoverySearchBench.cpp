// Search time of one WS-Discovery search, and how many devices it lists, with 0, 1 and 20 devices answering.
// The real broadcast is used, so the whole benchmark runs in a network namespace of its own, made at start:
// loopback, a veth pair and a default route, with the stand-in devices listening on port 3702 inside it.
#include "NetnsGuard.h"

#include "discovery/OnvifDiscovery.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// count devices on 0.0.0.0:3702, each answering every probe to its sender; alternating reply formats.
class Devices {
public:
	explicit Devices(int count)
	{
		for (int i = 0; i < count; ++i) {
			const int fd = socket(AF_INET, SOCK_DGRAM, 0);
			const int on = 1;
			setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
			sockaddr_in local{};
			local.sin_family = AF_INET;
			local.sin_port = htons(3702);
			if (bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0)
				std::fprintf(stderr, "device %d: bind failed\n", i);
			m_fds.push_back({fd, POLLIN, 0});
			m_replies.push_back(reply(i));
		}
		m_thread = std::thread([this] { serve(); });
	}
	~Devices()
	{
		m_stop = true;
		m_thread.join();
		for (const pollfd &p : m_fds)
			close(p.fd);
	}

private:
	static std::string reply(int i)
	{
		const std::string address = "10.200.1." + std::to_string(i + 1);
		const std::string name = "DEV" + std::to_string(100 + i);
		const std::string scopes = "onvif://www.onvif.org/type/video_encoder onvif://www.onvif.org/name/" +
					   name + " onvif://www.onvif.org/hardware/PTZ onvif://www.onvif.org/location/";
		const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope "
					 "xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>";
		if (i % 2 == 0)
			return head + "<wsdd:ProbeMatches><wsdd:ProbeMatch><wsdd:Scopes>" + scopes +
			       "</wsdd:Scopes><wsdd:XAddrs>http://" + address +
			       ":80/onvif/device_service</wsdd:XAddrs></wsdd:ProbeMatch></wsdd:ProbeMatches></s:Body>"
			       "</s:Envelope>";
		return head + "<d:ProbeMatches><d:ProbeMatch><d:Scopes>" + scopes + "</d:Scopes><d:XAddrs>http://" +
		       address +
		       "/onvif/device_service</d:XAddrs></d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>";
	}

	void serve()
	{
		char buffer[2048];
		while (!m_stop) {
			if (poll(m_fds.data(), m_fds.size(), 20) <= 0)
				continue;
			for (size_t i = 0; i < m_fds.size(); ++i) {
				if (!(m_fds[i].revents & POLLIN))
					continue;
				sockaddr_in from{};
				socklen_t length = sizeof from;
				if (recvfrom(m_fds[i].fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from),
					     &length) > 0)
					sendto(m_fds[i].fd, m_replies[i].data(), m_replies[i].size(), 0,
					       reinterpret_cast<sockaddr *>(&from), length);
			}
		}
	}

	std::vector<pollfd> m_fds;
	std::vector<std::string> m_replies;
	std::atomic<bool> m_stop{false};
	std::thread m_thread;
};

void BM_Search(benchmark::State &state)
{
	Devices devices(int(state.range(0)));
	size_t found = 0;
	for (auto _ : state) {
		OnvifDiscovery discovery;
		discovery.probe();
		found = discovery.devices().size();
	}
	state.counters["found"] = double(found);
}
BENCHMARK(BM_Search)
	->ArgName("devices")
	->Arg(0)
	->Arg(1)
	->Arg(20)
	->Iterations(1)
	->Repetitions(5)
	->ReportAggregatesOnly(true)
	->UseRealTime()
	->Unit(benchmark::kMillisecond);

bool enterPrivateNetwork()
{
	const unsigned long hostId = networkNamespaceId();
	if (unshare(CLONE_NEWNET) != 0) {
		std::perror("FAIL: unshare(CLONE_NEWNET) (needs root)");
		return false;
	}
	if (!inPrivateNetworkNamespace(hostId)) {
		std::fprintf(stderr, "FAIL: not in a private network namespace\n");
		return false;
	}
	const int rc =
		std::system("ip link set lo up && ip link add bv0 type veth peer name bv1 && "
			    "ip addr add 10.200.0.1/24 dev bv0 && ip addr add 10.200.0.2/24 dev bv1 && "
			    "ip link set bv0 up && ip link set bv1 up && ip route add default via 10.200.0.2 dev bv0");
	if (rc != 0) {
		std::fprintf(stderr, "FAIL: could not set up the namespace's network with ip (iproute2)\n");
		return false;
	}
	return true;
}

} // namespace

int main(int argc, char **argv)
{
	// Before any thread exists, so every thread of the process shares the private namespace.
	if (!enterPrivateNetwork())
		return 1;
	QCoreApplication app(argc, argv);
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
