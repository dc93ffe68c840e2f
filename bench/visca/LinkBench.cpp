#include "CameraSimulator.h"
#include "viscaIpModule.h"

#include <QCoreApplication>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace {

const char cameraAddress[] = "127.0.1.70";
const char echoAddress[] = "127.0.1.71";
const char clientAddress[] = "127.0.1.72";

// A link aimed at the simulator without the address-set probe.
class BenchLink : public viscaIpModule {
public:
	void aim(const QString &ip, int port) { setCamera(ip, port); }
};

std::unique_ptr<CameraSimulator> startCamera(const CameraSimulator::Options &faults = {})
{
	CameraSimulator::Options options = faults;
	options.bindAddress = cameraAddress;
	options.port = 0;
	auto camera = std::make_unique<CameraSimulator>(options);
	if (!camera->start())
		return nullptr;
	return camera;
}

void BM_CommandExchange(benchmark::State &state)
{
	auto camera = startCamera();
	if (!camera) {
		state.SkipWithError("camera simulator did not start");
		return;
	}
	BenchLink link;
	link.aim(cameraAddress, camera->boundPort());
	for (auto _ : state) {
		if (!link.moveUp()) {
			state.SkipWithError("command failed");
			break;
		}
		camera->clear();
	}
}
BENCHMARK(BM_CommandExchange)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_Inquiry(benchmark::State &state)
{
	auto camera = startCamera();
	if (!camera) {
		state.SkipWithError("camera simulator did not start");
		return;
	}
	CameraSimulator::State s;
	s.gain = 0x0C;
	camera->setState(s);
	BenchLink link;
	link.aim(cameraAddress, camera->boundPort());
	for (auto _ : state) {
		if (link.getGain() != 0x0C) {
			state.SkipWithError("inquiry failed");
			break;
		}
		camera->clear();
	}
}
BENCHMARK(BM_Inquiry)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Share of commands reported as succeeded (counter "succeeded", in percent) against a camera that does
// everything it is asked but sends each reply twice (argument 0) or completes 600 ms late (argument 1):
// ten moves and a preset store, as an operator would.
void BM_CommandShare(benchmark::State &state)
{
	CameraSimulator::Options faults;
	if (state.range(0) == 0)
		faults.duplicateReplies = true;
	else
		faults.completionDelayMs = 600;
	auto camera = startCamera(faults);
	if (!camera) {
		state.SkipWithError("camera simulator did not start");
		return;
	}
	BenchLink link;
	link.aim(cameraAddress, camera->boundPort());
	int succeeded = 0;
	int total = 0;
	for (auto _ : state) {
		for (int i = 0; i < 11; i++, total++)
			succeeded += (i < 10 ? link.moveUp() : link.storePreset()) ? 1 : 0;
	}
	state.counters["succeeded"] = 100.0 * succeeded / total;
}
BENCHMARK(BM_CommandShare)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// Plain echo peer: poll() with a stop flag, answers each datagram with itself.
class EchoPeer {
public:
	EchoPeer()
	{
		m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
		sockaddr_in addr{};
		addr.sin_family = AF_INET;
		inet_pton(AF_INET, echoAddress, &addr.sin_addr);
		::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
		socklen_t size = sizeof(addr);
		getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &size);
		m_address = addr;
		m_thread = std::thread([this] {
			char buffer[2048];
			while (!m_stop.load()) {
				pollfd pfd{m_fd, POLLIN, 0};
				if (::poll(&pfd, 1, 50) <= 0)
					continue;
				sockaddr_in from{};
				socklen_t fromSize = sizeof(from);
				const ssize_t got = ::recvfrom(m_fd, buffer, sizeof(buffer), 0,
							       reinterpret_cast<sockaddr *>(&from), &fromSize);
				if (got > 0)
					::sendto(m_fd, buffer, static_cast<size_t>(got), 0,
						 reinterpret_cast<sockaddr *>(&from), fromSize);
			}
		});
	}
	~EchoPeer()
	{
		m_stop.store(true);
		m_thread.join();
		::close(m_fd);
	}
	sockaddr_in address() const { return m_address; }

private:
	int m_fd;
	sockaddr_in m_address{};
	std::thread m_thread;
	std::atomic<bool> m_stop{false};
};

const unsigned char probe[] = {0x01, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x01, 0x81,
			       0x01, 0x06, 0x01, 0x0B, 0x0B, 0x03, 0x01, 0xFF};

void BM_RawUdpRoundTrip(benchmark::State &state)
{
	EchoPeer peer;
	const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
	sockaddr_in local{};
	local.sin_family = AF_INET;
	inet_pton(AF_INET, clientAddress, &local.sin_addr);
	::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof(local));
	const sockaddr_in to = peer.address();
	char buffer[64];
	for (auto _ : state) {
		::sendto(fd, probe, sizeof(probe), 0, reinterpret_cast<const sockaddr *>(&to), sizeof(to));
		pollfd pfd{fd, POLLIN, 0};
		if (::poll(&pfd, 1, 1000) <= 0 || ::recv(fd, buffer, sizeof(buffer), 0) <= 0) {
			state.SkipWithError("no echo");
			break;
		}
	}
	::close(fd);
}
BENCHMARK(BM_RawUdpRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same round trip through QUdpSocket, as the link does it (write, wait, read).
void BM_QtUdpRoundTrip(benchmark::State &state)
{
	EchoPeer peer;
	QUdpSocket socket;
	const QHostAddress to(QString::fromLatin1(echoAddress));
	const quint16 port = ntohs(peer.address().sin_port);
	const QByteArray packet(reinterpret_cast<const char *>(probe), sizeof(probe));
	QByteArray reply(64, '\0');
	for (auto _ : state) {
		socket.writeDatagram(packet, to, port);
		if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(1000)) {
			state.SkipWithError("no echo");
			break;
		}
		socket.readDatagram(reply.data(), reply.size());
	}
}
BENCHMARK(BM_QtUdpRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
