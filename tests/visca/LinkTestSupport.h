#pragma once

#include "viscaIpModule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <netinet/in.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Debug messages of the code under test, captured by the handler that main() installs.
namespace LogCapture {
void install();
void clear();
QStringList messages();
int count(const QString &message);
} // namespace LogCapture

// "01 00 00 09" -> bytes
QByteArray hexBytes(const char *spaced);
// bytes -> "01 00 00 09" (upper case)
QString hexText(const QByteArray &bytes);

// A link whose camera address is set without the address-set probe, so its first packet is number 1.
template <class Link>
class AimedLink : public Link {
public:
	void aim(const QString &ip, int port) { this->setCamera(ip, port); }
};

// A loopback UDP peer whose answers are scripted per received datagram.
class ScriptedPeer {
public:
	struct Reply {
		int delayMs;
		QByteArray datagram;
	};
	// Gets the index of the received datagram (0-based) and the datagram; returns what to send back.
	using Script = std::function<std::vector<Reply>(int index, const QByteArray &request)>;

	ScriptedPeer(const char *address, Script script);
	~ScriptedPeer();

	int port() const { return m_port; }
	std::vector<QByteArray> received() const;
	bool waitForSent(int count, int timeoutMs) const;

	// A reply echoing the request's sequence bytes, with the given VISCA bytes.
	static QByteArray replyTo(const QByteArray &request, const char *viscaHex);

private:
	void run();

	int m_fd = -1;
	int m_port = 0;
	Script m_script;
	std::thread m_thread;
	std::atomic<bool> m_stop{false};
	mutable std::mutex m_mutex;
	mutable std::condition_variable m_changed;
	std::vector<QByteArray> m_received;
	int m_sent = 0;
};
