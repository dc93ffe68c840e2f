#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUdpSocket>

#include <map>
#include <vector>

// One WS-Discovery search for ONVIF network video transmitters. The probe is deliberately simple: the same
// fixed Probe message is sent forty times, 30 ms apart, whatever has arrived is read after each send, and the
// address and the announced name are cut out of each reply by fixed text markers (no XML parsing).
//
// Use one object per search: construct, probe(), devices(), delete. probe() blocks the calling thread for at
// least 40 x 30 ms; the socket never enters an event loop.
//
// Replies are handled as follows where the markers leave a choice:
// - Each datagram is parsed as exactly the bytes it carried (up to its first zero byte, at most 2000 bytes);
//   a short reply never inherits the tail of an earlier, longer one.
// - A reply whose address marker is missing (the second format's "<d:XAddrs>http://"), or whose address piece
//   is empty, is dropped: there is no address to list.
// - A reply without the ONVIF name scope is listed with an empty name.
// - A device is listed only when the address it names is a unicast IPv4 address (dotted, four numbers) equal
//   to the address its reply came from: a reply cannot send identification to another host or a broadcast.
// - Control characters are removed from names, so they never reach a table or a terminal.
// - At most MaxDevices are listed, the first whose replies were read: each listed device costs an identification.
class OnvifDiscovery : public QObject {
	Q_OBJECT

public:
	using Device = std::map<QString, QString>;

	static constexpr quint16 DefaultPort = 3702;
	static constexpr int ProbeCount = 40;
	static constexpr unsigned long ProbeIntervalMs = 30;
	static constexpr qint64 BufferSize = 2000;
	static constexpr size_t MaxDevices = 64;

	// The probe goes to the IPv4 broadcast address, port 3702. Another destination only serves tests and the
	// command-line tool, which aim it at addresses of their own.
	explicit OnvifDiscovery(QObject *parent = nullptr,
				const QHostAddress &destination = QHostAddress(QHostAddress::Broadcast),
				quint16 port = DefaultPort);

	// Runs one search and replaces the device list with what it finds.
	void probe();
	// IPv4 address text -> announced name, one pair per map, in the order the replies were first read.
	std::vector<Device> devices() const;

	// The fixed Probe message, UTF-8, 797 bytes.
	static QByteArray probeMessage();
	// The ONVIF name scope: the announced name follows it.
	static QString nameScope();

private:
	friend struct OnvifDiscoveryTestAccess;

	// Adds at most one device for one reply text that came from source.
	void parseReply(const QString &reply, const QHostAddress &source);
	// Dotted IPv4 text of a host address: not 0.x, multicast, reserved or any local network's broadcast.
	static bool isUnicastIpv4(const QString &text);

	std::vector<Device> m_devices;
	QUdpSocket m_socket;
	QHostAddress m_destination;
	quint16 m_port;
};
