#include "CameraSimulator.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <utility>

namespace {

// The model table as cameras report it: name, three-character ID code ("" for the camera that has none).
const std::pair<const char *, const char *> modelCodes[] = {
	{"QK-H57P", "VMI"},       {"QK-H57PN", "VZF"},       {"QK-H57P-BRN", "VZS"},    {"QK-H57PN-BRN", "VOF"},
	{"QK-H45P", "VBR"},       {"QK-H45PN", "VRO"},       {"QK-H45PN-BRN", "VRY"},   {"ZR714-IP", "VSX"},
	{"QK-WD909P", "VBW"},     {"QK-WD909P-BRN", "VMT"},  {"QK-WD909PN-BRN", "VOT"}, {"QK-WD508P", "VKD"},
	{"QK-WD508P-BRN", "VNB"}, {"QK-WD508PN-BRN", "VRH"}, {"QK-WD406P", "VKL"},      {" ZR-318-30X", "VLO"},
	{"QK-H32P", "VIL"},       {"QK-H32PN", "VIL"},       {"ZR712-IP", "VHB"},       {"QK-H33P", "VLS"},
	{"QK-JS4", ""},
};

const char *const firstInquiryFamily[] = {"QK-H32P", "QK-H32PN", "ZR712-IP", "QK-H33P"};
const char js4Model[] = "QK-JS4";

enum class Family { First, Second, Js4 };

Family familyOf(const std::string &model)
{
	if (model == js4Model)
		return Family::Js4;
	for (const char *name : firstInquiryFamily) {
		if (model == name)
			return Family::First;
	}
	return Family::Second;
}

QByteArray bytes(std::initializer_list<int> list)
{
	QByteArray out;
	for (int b : list)
		out.append(static_cast<char>(b));
	return out;
}

int at(const QByteArray &a, int i)
{
	return i < a.size() ? static_cast<unsigned char>(a.at(i)) : 0;
}

bool startsWith(const QByteArray &visca, std::initializer_list<int> prefix)
{
	return visca.startsWith(bytes(prefix));
}

// Four one-digit bytes from position i, most significant first.
int digits4(const QByteArray &a, int i)
{
	return ((at(a, i) & 0x0F) << 12) | ((at(a, i + 1) & 0x0F) << 8) | ((at(a, i + 2) & 0x0F) << 4) |
	       (at(a, i + 3) & 0x0F);
}

// Two bytes p q carrying the high and low digit of a value.
int pq(const QByteArray &a, int i)
{
	return (at(a, i) << 4) + at(a, i + 1);
}

QByteArray answer(const QByteArray &data)
{
	return bytes({0x90, 0x50}) + data + bytes({0xFF});
}

QByteArray pqAnswer(int value)
{
	return answer(bytes({0x00, 0x00, (value >> 4) & 0x0F, value & 0x0F}));
}

QByteArray digitsAnswer(int value)
{
	return answer(bytes({(value >> 12) & 0x0F, (value >> 8) & 0x0F, (value >> 4) & 0x0F, value & 0x0F}));
}

QByteArray idAnswer(const std::string &code)
{
	QByteArray data = QByteArray::fromStdString(code);
	data.append(QByteArray(7 - data.size(), '\0'));
	return answer(data);
}

const QByteArray errorSyntax = bytes({0x90, 0x60, 0x02, 0xFF});
const QByteArray versionInquiry = bytes({0x81, 0x09, 0x00, 0x02, 0xFF});
const QByteArray firstIdInquiry = bytes({0x81, 0x01, 0x02, 0x03, 0xFF});
const QByteArray secondIdInquiry = bytes({0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF});

} // namespace

CameraSimulator::CameraSimulator() : CameraSimulator(Options()) {}

CameraSimulator::CameraSimulator(const Options &options) : m_options(options) {}

CameraSimulator::~CameraSimulator()
{
	stop();
}

std::vector<std::string> CameraSimulator::knownModels()
{
	std::vector<std::string> names;
	for (const auto &entry : modelCodes)
		names.emplace_back(entry.first);
	return names;
}

bool CameraSimulator::isKnownModel(const std::string &model)
{
	for (const auto &entry : modelCodes) {
		if (model == entry.first)
			return true;
	}
	return false;
}

std::string CameraSimulator::idCodeForModel(const std::string &model)
{
	for (const auto &entry : modelCodes) {
		if (model == entry.first)
			return entry.second;
	}
	return std::string();
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
		m_log = std::fopen(m_options.logFile.c_str(), "a");
		if (!m_log) {
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
	if (m_log) {
		std::fclose(m_log);
		m_log = nullptr;
	}
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
		log("in ", datagram);
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
	if (visca == bytes({0x88, 0x30, 0x01, 0xFF})) {
		replies.push_back(o.addressSetReply.isEmpty() ? bytes({0x88, 0x30, 0x02, 0xFF}) : o.addressSetReply);
	} else if ((command || inquiry) && o.errorReply) {
		replies.push_back(bytes({0x90, 0x60, o.errorCode & 0xFF, 0xFF}));
	} else if (command && visca != firstIdInquiry) {
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
	const Family family = familyOf(o.model);
	const std::string code = idCodeForModel(o.model);
	auto overridden = [&o](IdInquiry which, const QByteArray &normal) {
		const auto it = o.idOverride.find(which);
		return it == o.idOverride.end() ? normal : it->second;
	};
	if (visca == versionInquiry) {
		const int vendorHigh = family == Family::Js4 ? 0x02 : 0x00;
		return overridden(IdInquiry::Version, answer(bytes({vendorHigh, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00})));
	}
	if (visca == firstIdInquiry)
		return overridden(IdInquiry::First, family == Family::First ? idAnswer(code) : errorSyntax);
	if (visca == secondIdInquiry)
		return overridden(IdInquiry::Second, family == Family::Second ? idAnswer(code) : errorSyntax);
	const auto replaced = o.inquiryOverride.find(visca);
	if (replaced != o.inquiryOverride.end())
		return replaced->second;
	if (!o.inquiryReply.isEmpty())
		return o.inquiryReply;

	std::lock_guard<std::mutex> lock(m_mutex);
	const State &s = m_state;
	QByteArray reply;
	if (visca.size() == 5 && startsWith(visca, {0x81, 0x09, 0x04})) {
		switch (at(visca, 3)) {
		case 0x47:
			reply = digitsAnswer(s.zoomPosition);
			break;
		case 0x48:
			reply = digitsAnswer(s.focusPosition);
			break;
		case 0x38:
			reply = answer(bytes({s.autoFocus ? 0x02 : 0x03}));
			break;
		case 0x39:
			reply = answer(bytes({s.exposureMode}));
			break;
		case 0x4A:
			reply = pqAnswer(s.shutter);
			break;
		case 0x4B:
			reply = pqAnswer(s.iris);
			break;
		case 0x4C:
			reply = pqAnswer(s.gain);
			break;
		case 0x35:
			reply = answer(bytes({s.whiteBalanceMode}));
			break;
		case 0x43:
			reply = pqAnswer(s.redGain);
			break;
		case 0x44:
			reply = pqAnswer(s.blueGain);
			break;
		case 0x5B:
			reply = answer(bytes({s.gamma}));
			break;
		case 0x4F:
			reply = pqAnswer(s.hue);
			break;
		case 0x49:
			// The link reads the high digit at data byte 1 and the low digit at data byte 3.
			reply = answer(bytes({0x00, (s.saturation >> 4) & 0x0F, 0x00, s.saturation & 0x0F}));
			break;
		case 0x42:
			reply = pqAnswer(s.sharpness);
			break;
		case 0x61:
			reply = answer(bytes({s.mirror}));
			break;
		case 0x66:
			reply = answer(bytes({s.flip}));
			break;
		default:
			break;
		}
	} else if (visca == bytes({0x81, 0x09, 0x04, 0x3F, 0x04, 0xFF})) {
		reply = answer(bytes({s.imageMode}));
	} else if (visca.size() == 6 && startsWith(visca, {0x81, 0x09, 0x0E, 0x24})) {
		switch (at(visca, 4)) {
		case 0x44:
			reply = pqAnswer(s.hue);
			break;
		case 0x43:
			reply = pqAnswer(s.saturation);
			break;
		case 0x40:
			reply = pqAnswer(s.sharpness);
			break;
		default:
			break;
		}
	}
	if (reply.isEmpty())
		return errorSyntax;
	m_state.inquiryCount++;
	return reply;
}

void CameraSimulator::applyCommand(const QByteArray &v)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	State &s = m_state;
	s.commandCount++;
	const int n = v.size();
	if (startsWith(v, {0x81, 0x01, 0x06, 0x01}) && n == 9) {
		s.panSpeed = at(v, 4);
		s.tiltSpeed = at(v, 5);
		s.panDirection = at(v, 6);
		s.tiltDirection = at(v, 7);
	} else if (v == bytes({0x81, 0x01, 0x06, 0x04, 0xFF})) {
		s.homeCount++;
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x07}) && n == 6) {
		s.zoomDrive = at(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x47}) && n == 10) {
		s.zoomPosition = digits4(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x08}) && n == 6) {
		s.focusDrive = at(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x48}) && n == 9) {
		s.focusPosition = digits4(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x38}) && n == 6) {
		s.autoFocus = at(v, 4) == 0x02;
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x3F}) && n == 7) {
		if (at(v, 4) == 0x01)
			s.storedPreset = at(v, 5);
		else if (at(v, 4) == 0x02)
			s.recalledPreset = at(v, 5);
		else if (at(v, 4) == 0x04)
			s.imageMode = at(v, 5);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x10, 0x05})) {
		s.onePushCount++;
	} else if (startsWith(v, {0x81, 0x01, 0x04}) && n == 6) {
		const int value = at(v, 4);
		switch (at(v, 3)) {
		case 0x39:
			s.exposureMode = value;
			break;
		case 0x35:
			s.whiteBalanceMode = value;
			break;
		case 0x5B:
			s.gamma = value;
			break;
		case 0x61:
			s.mirror = value;
			break;
		case 0x66:
			s.flip = value;
			break;
		default:
			break;
		}
	} else if (startsWith(v, {0x81, 0x01, 0x04}) && n == 9) {
		const int value = pq(v, 6);
		switch (at(v, 3)) {
		case 0x4A:
			s.shutter = value;
			break;
		case 0x4B:
			s.iris = value;
			break;
		case 0x4C:
			s.gain = value;
			break;
		case 0x43:
			s.redGain = value;
			break;
		case 0x44:
			s.blueGain = value;
			break;
		case 0x4F:
			s.hue = value;
			break;
		case 0x49:
			s.saturation = value;
			break;
		case 0x42:
			s.sharpness = value;
			break;
		default:
			break;
		}
	} else if (startsWith(v, {0x81, 0x01, 0x06, 0x20}) && n == 6) {
		s.presetSpeed = at(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x7E, 0x03, 0x02}) && n == 7) {
		s.presetSpeed = at(v, 5);
	} else if (startsWith(v, {0x81, 0x01, 0x06, 0x07}) && n == 15) {
		const bool upRight = at(v, 5) == 0x01;
		if (at(v, 4) == 0x00) {
			(upRight ? s.upRightPan : s.downLeftPan) = digits4(v, 6);
			(upRight ? s.upRightTilt : s.downLeftTilt) = digits4(v, 10);
		} else {
			(upRight ? s.clearUpRightCount : s.clearDownLeftCount)++;
		}
	} else if (startsWith(v, {0x81, 0x01, 0x06, 0x1F, 0x01}) && n == 7) {
		s.speedCompensation = at(v, 5);
	} else if (startsWith(v, {0x81, 0x01, 0x0E, 0x24}) && n == 8) {
		const int value = pq(v, 5);
		if (at(v, 4) == 0x44)
			s.hue = value;
		else if (at(v, 4) == 0x43)
			s.saturation = value;
		else if (at(v, 4) == 0x40)
			s.sharpness = value;
	} else if (v == bytes({0x81, 0x01, 0x00, 0x01, 0xFF})) {
		s.interfaceClearCount++;
	} else if ((startsWith(v, {0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00}) ||
		    startsWith(v, {0x81, 0x01, 0x7E, 0x04, 0x1A, 0x00})) &&
		   n == 8 && (at(v, 6) == 0x02 || at(v, 6) == 0x03)) {
		const bool red = at(v, 3) == 0x01;
		const bool on = at(v, 6) == 0x02;
		(red ? s.redLamp : s.greenLamp) = on;
		logLine(std::string("lamp ") + (red ? "red " : "green ") + (on ? "on" : "off"));
	}
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
	int sequence = digits4(request, 4);
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
	log("out", datagram);
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
	log("out", datagram);
	return true;
}

void CameraSimulator::log(const char *direction, const QByteArray &datagram)
{
	if (m_log)
		logLine(std::string(direction) + " " + datagram.toHex(' ').toStdString());
}

void CameraSimulator::logLine(const std::string &text)
{
	if (!m_log)
		return;
	using namespace std::chrono;
	const auto now = system_clock::now();
	const std::time_t seconds = system_clock::to_time_t(now);
	const int millis = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
	std::tm local{};
	localtime_r(&seconds, &local);
	char stamp[32];
	std::strftime(stamp, sizeof(stamp), "%H:%M:%S", &local);
	std::lock_guard<std::mutex> lock(m_stopMutex);
	std::fprintf(m_log, "%s.%03d %s\n", stamp, millis, text.c_str());
	std::fflush(m_log);
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
	return m_state;
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
	m_state = state;
}
