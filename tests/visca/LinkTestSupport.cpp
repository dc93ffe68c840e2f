#include "LinkTestSupport.h"

#include <QtGlobal>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

std::mutex logMutex;
QStringList logLines;

void handler(QtMsgType, const QMessageLogContext &, const QString &message)
{
	std::lock_guard<std::mutex> lock(logMutex);
	logLines.append(message);
}

} // namespace

void LogCapture::install()
{
	qInstallMessageHandler(handler);
}

void LogCapture::clear()
{
	std::lock_guard<std::mutex> lock(logMutex);
	logLines.clear();
}

QStringList LogCapture::messages()
{
	std::lock_guard<std::mutex> lock(logMutex);
	return logLines;
}

int LogCapture::count(const QString &message)
{
	return messages().count(message);
}

QByteArray hexBytes(const char *spaced)
{
	return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QString hexText(const QByteArray &bytes)
{
	return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

ScriptedPeer::ScriptedPeer(const char *address, Script script) : m_script(std::move(script))
{
	m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
	sockaddr_in addr{};
	addr.sin_family = AF_INET;
	inet_pton(AF_INET, address, &addr.sin_addr);
	if (::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0)
		qFatal("scripted peer cannot bind %s", address);
	socklen_t size = sizeof(addr);
	getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &size);
	m_port = ntohs(addr.sin_port);
	m_thread = std::thread(&ScriptedPeer::run, this);
}

ScriptedPeer::~ScriptedPeer()
{
	m_stop.store(true);
	m_thread.join();
	::close(m_fd);
}

void ScriptedPeer::run()
{
	char buffer[2048];
	int index = 0;
	while (!m_stop.load()) {
		pollfd pfd{m_fd, POLLIN, 0};
		if (::poll(&pfd, 1, 20) <= 0)
			continue;
		sockaddr_in from{};
		socklen_t size = sizeof(from);
		const ssize_t got =
			::recvfrom(m_fd, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr *>(&from), &size);
		if (got < 0)
			continue;
		const QByteArray request(buffer, static_cast<int>(got));
		{
			std::lock_guard<std::mutex> lock(m_mutex);
			m_received.push_back(request);
		}
		m_changed.notify_all();
		for (const Reply &reply : m_script(index++, request)) {
			if (reply.delayMs > 0)
				std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
			::sendto(m_fd, reply.datagram.constData(), static_cast<size_t>(reply.datagram.size()), 0,
				 reinterpret_cast<sockaddr *>(&from), sizeof(from));
			{
				std::lock_guard<std::mutex> lock(m_mutex);
				m_sent++;
			}
			m_changed.notify_all();
		}
	}
}

std::vector<QByteArray> ScriptedPeer::received() const
{
	std::lock_guard<std::mutex> lock(m_mutex);
	return m_received;
}

bool ScriptedPeer::waitForSent(int count, int timeoutMs) const
{
	std::unique_lock<std::mutex> lock(m_mutex);
	return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_sent >= count; });
}

QByteArray ScriptedPeer::replyTo(const QByteArray &request, const char *viscaHex)
{
	const QByteArray visca = hexBytes(viscaHex);
	QByteArray out = hexBytes("01 11 00");
	out.append(static_cast<char>(visca.size()));
	out.append(request.mid(4, 4));
	return out + visca;
}
