#include "CameraSimulator.h"

#include "ViscaBytes.h"

#include "ViscaFrame.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace {

using ViscaBytes::at;
using ViscaBytes::bytes;
using ViscaBytes::startsWith;

} // namespace

CameraSimulator::CameraSimulator() : CameraSimulator(Options()) {}

CameraSimulator::CameraSimulator(const Options &options) : m_options(options), m_camera(options.model) {}

CameraSimulator::~CameraSimulator()
{
	stop();
}

std::string CameraSimulator::errorString() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_error;
}

bool CameraSimulator::start()
{
	if (m_running.load())
		return true;
	auto fail = [this](const std::string &message) {
		std::lock_guard<std::mutex> lock(m_mutex);
		m_error = message;
		return false;
	};
	if (!isKnownModel(m_options.model))
		return fail("unknown model '" + m_options.model + "'");
	sockaddr_in addr{};
	addr.sin_family = AF_INET;
	addr.sin_port = htons(m_options.port);
	if (inet_pton(AF_INET, m_options.bindAddress.c_str(), &addr.sin_addr) != 1)
		return fail("not an IPv4 address: '" + m_options.bindAddress + "'");

	m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
	if (m_fd < 0)
		return fail(std::string("socket: ") + std::strerror(errno));
	const int one = 1;
	setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
	if (::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
		const std::string message = "cannot bind " + m_options.bindAddress + ":" +
					    std::to_string(m_options.port) + ": " + std::strerror(errno);
		::close(m_fd);
		m_fd = -1;
		return fail(message);
	}
	sockaddr_in bound{};
	socklen_t boundSize = sizeof(bound);
	getsockname(m_fd, reinterpret_cast<sockaddr *>(&bound), &boundSize);
	m_boundPort = ntohs(bound.sin_port);

	if (!m_options.logFile.empty()) {
		if (!m_log.open(m_options.logFile)) {
			const std::string message = "cannot open log file '" + m_options.logFile + "'";
			::close(m_fd);
			m_fd = -1;
			return fail(message);
		}
	}
	m_stop.store(false);
	m_running.store(true);
	m_thread = std::thread(&CameraSimulator::run, this);
	return true;
}

void CameraSimulator::stop()
{
	m_stop.store(true);
	if (m_thread.joinable())
		m_thread.join();
	m_scheduled.clear();
	if (m_foreignFd >= 0) {
		::close(m_foreignFd);
		m_foreignFd = -1;
	}
	if (m_fd >= 0) {
		::close(m_fd);
		m_fd = -1;
	}
	m_log.close();
	m_running.store(false);
}

void CameraSimulator::run()
{
	char buffer[2048];
	while (!m_stop.load()) {
		pollfd pfd{m_fd, POLLIN, 0};
		const int ready = ::poll(&pfd, 1, msUntilNextDue());
		sendDue();
		if (ready <= 0 || !(pfd.revents & POLLIN))
			continue;
		sockaddr_in from{};
		socklen_t fromSize = sizeof(from);
		const ssize_t got =
			::recvfrom(m_fd, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr *>(&from), &fromSize);
		if (got < 0)
			continue;
		const QByteArray datagram(buffer, static_cast<int>(got));
		m_log.datagram("in ", datagram);
		{
			std::lock_guard<std::mutex> lock(m_mutex);
			char text[INET_ADDRSTRLEN] = {0};
			inet_ntop(AF_INET, &from.sin_addr, text, sizeof(text));
			m_datagrams.push_back(Datagram{datagram, text, ntohs(from.sin_port)});
			m_lastPeer = from;
			m_havePeer = true;
		}
		m_received.notify_all();
		handle(datagram, from);
	}
}

void CameraSimulator::handle(const QByteArray &datagram, const sockaddr_in &from)
{
	if (datagram.size() < 9)
		return;
	const Options o = options();
	if (o.silent)
		return;
	if (!o.replyFrom.empty() && m_foreignFd < 0) {
		sockaddr_in addr{};
		addr.sin_family = AF_INET;
		if (inet_pton(AF_INET, o.replyFrom.c_str(), &addr.sin_addr) == 1) {
			m_foreignFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
			::bind(m_foreignFd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
		}
	}
	const QByteArray visca = datagram.mid(8);
	std::vector<QByteArray> replies;
	const bool command = startsWith(visca, {0x81, 0x01});
	const bool inquiry = startsWith(visca, {0x81, 0x09});
	IdInquiry which;
	if (visca == bytes({0x88, 0x30, 0x01, 0xFF})) {
		replies.push_back(o.addressSetReply.isEmpty() ? bytes({0x88, 0x30, 0x02, 0xFF}) : o.addressSetReply);
	} else if ((command || inquiry) && o.errorReply) {
		replies.push_back(bytes({0x90, 0x60, o.errorCode & 0xFF, 0xFF}));
	} else if (command && !SimulatedCamera::isIdInquiry(visca, which)) {
		applyCommand(visca);
		if (o.commandReplies.empty())
			replies = {bytes({0x90, 0x41, 0xFF}), bytes({0x90, 0x51, 0xFF})};
		else
			replies = o.commandReplies;
	} else {
		replies.push_back(answerInquiry(o, visca));
		if (replies.front().isNull())
			return; // an inquiry overridden with no bytes goes unanswered
	}
	sendJunk(o, datagram, from);
	int delayMs = 0;
	for (size_t i = 0; i < replies.size(); i++) {
		delayMs += i == 0 ? o.ackDelayMs : o.completionDelayMs;
		sendReply(o, datagram, replies[i], from, delayMs);
	}
}

void CameraSimulator::sendJunk(const Options &o, const QByteArray &request, const sockaddr_in &to)
{
	QByteArray otherNumber = bytes({0x01, 0x11, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x90, 0x51, 0xFF});
	otherNumber[4] = static_cast<char>((at(request, 4) + 1) & 0x0F);
	const QByteArray junk[] = {request, request.left(8), bytes({0xDE, 0xAD, 0xBE, 0xEF}), otherNumber};
	for (int i = 0; i < o.junkBurst && !m_stop.load(); i++)
		transmit(junk[i % 4], to, !o.replyFrom.empty());
}

QByteArray CameraSimulator::answerInquiry(const Options &o, const QByteArray &visca)
{
	IdInquiry which;
	if (SimulatedCamera::isIdInquiry(visca, which)) {
		const auto it = o.idOverride.find(which);
		return it == o.idOverride.end() ? m_camera.identify(which) : it->second;
	}
	const auto replaced = o.inquiryOverride.find(visca);
	if (replaced != o.inquiryOverride.end())
		return replaced->second;
	if (!o.inquiryReply.isEmpty())
		return o.inquiryReply;
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_camera.answerInquiry(visca);
}

void CameraSimulator::applyCommand(const QByteArray &visca)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	const std::string line = m_camera.apply(visca);
	if (!line.empty())
		m_log.line(line);
}

void CameraSimulator::sendReply(const Options &o, const QByteArray &request, const QByteArray &visca,
				const sockaddr_in &to, int delayMs)
{
	if (m_stop.load())
		return;
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		m_replyCounter++;
		if (o.dropReply > 0 && m_replyCounter == o.dropReply)
			return;
	}
	QByteArray datagram = bytes({0x01, 0x11, 0x00, static_cast<int>(visca.size() & 0xFF)});
	int sequence = static_cast<int>(ViscaFrame::sequence(
		reinterpret_cast<const unsigned char *>(request.constData()), static_cast<size_t>(request.size())));
	if (o.wrongSequence)
		sequence ^= 0x0800; // far from the numbers around it
	datagram += bytes({(sequence >> 12) & 0x0F, (sequence >> 8) & 0x0F, (sequence >> 4) & 0x0F, sequence & 0x0F});
	datagram += visca;
	const bool foreign = !o.replyFrom.empty();
	const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
	for (int copy = 0; copy < (o.duplicateReplies ? 2 : 1); copy++) {
		if (delayMs <= 0)
			transmit(datagram, to, foreign);
		else
			m_scheduled.push_back(Scheduled{due, datagram, to, foreign});
	}
}

void CameraSimulator::transmit(const QByteArray &datagram, const sockaddr_in &to, bool foreign)
{
	const int fd = foreign && m_foreignFd >= 0 ? m_foreignFd : m_fd;
	::sendto(fd, datagram.constData(), static_cast<size_t>(datagram.size()), 0,
		 reinterpret_cast<const sockaddr *>(&to), sizeof(to));
	m_log.datagram("out", datagram);
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		m_sent.append(datagram);
	}
	m_received.notify_all();
}

void CameraSimulator::sendDue()
{
	const auto now = std::chrono::steady_clock::now();
	std::vector<Scheduled> later;
	for (const Scheduled &entry : m_scheduled) {
		if (entry.due <= now)
			transmit(entry.datagram, entry.to, entry.foreign);
		else
			later.push_back(entry);
	}
	m_scheduled.swap(later);
}

int CameraSimulator::msUntilNextDue() const
{
	int wait = 50;
	const auto now = std::chrono::steady_clock::now();
	for (const Scheduled &entry : m_scheduled) {
		const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(entry.due - now).count();
		wait = std::min<int>(wait, static_cast<int>(std::max<long long>(left, 0)));
	}
	return wait;
}

bool CameraSimulator::sendToLastPeer(const QByteArray &datagram)
{
	sockaddr_in peer{};
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		if (!m_havePeer || m_fd < 0)
			return false;
		peer = m_lastPeer;
	}
	const ssize_t sent = ::sendto(m_fd, datagram.constData(), static_cast<size_t>(datagram.size()), 0,
				      reinterpret_cast<const sockaddr *>(&peer), sizeof(peer));
	if (sent < 0)
		return false;
	m_log.datagram("out", datagram);
	return true;
}

std::vector<CameraSimulator::Datagram> CameraSimulator::received() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_datagrams;
}

QList<QByteArray> CameraSimulator::datagrams() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	QList<QByteArray> list;
	for (const Datagram &d : m_datagrams)
		list.append(d.bytes);
	return list;
}

QList<QByteArray> CameraSimulator::payloads() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	QList<QByteArray> list;
	for (const Datagram &d : m_datagrams)
		list.append(d.bytes.mid(8));
	return list;
}

size_t CameraSimulator::receivedCount() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_datagrams.size();
}

void CameraSimulator::clear()
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_datagrams.clear();
	m_sent.clear();
}

bool CameraSimulator::waitForDatagrams(size_t count, int timeoutMs) const
{
	std::unique_lock<std::mutex> lock(m_mutex);
	return m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
				   [this, count] { return m_datagrams.size() >= count; });
}

bool CameraSimulator::waitForReplies(int count, int timeoutMs) const
{
	std::unique_lock<std::mutex> lock(m_mutex);
	return m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
				   [this, count] { return m_sent.size() >= count; });
}

QList<QByteArray> CameraSimulator::sentReplies() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_sent;
}

CameraSimulator::State CameraSimulator::state() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_camera.state();
}

CameraSimulator::Options CameraSimulator::options() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_options;
}

void CameraSimulator::setFaults(const Options &faults)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	Options next = faults;
	next.model = m_options.model;
	next.bindAddress = m_options.bindAddress;
	next.port = m_options.port;
	next.logFile = m_options.logFile;
	m_options = next;
}

void CameraSimulator::setState(const State &state)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_camera.setState(state);
}
