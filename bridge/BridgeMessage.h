#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// A client's request: one datagram for one camera.
struct BridgeRequest {
	QString ip; // dotted quad, as replies name their sender
	quint32 address = 0;
	quint16 port = 0;
	std::string datagram;
};

// The JSON the bridge reads and writes. A request is {"ip","port","data"}; anything that does not fit exactly is
// refused with {"error"} naming the field, never coerced into something else.
class BridgeMessage {
public:
	static constexpr int maxBytes = 1024;

	// False with the error text when the payload is not a valid request.
	static bool parse(const std::string &payload, BridgeRequest &request, QString &error);
	// A dotted-quad unicast IPv4 address (no leading zeros, no multicast, broadcast or 0.x.x.x).
	static bool parseAddress(const QString &text, quint32 &address);

	// {"data":[...],"ip":"...","port":N}, compact.
	static QByteArray reply(const unsigned char *data, size_t size, const QString &ip, quint16 port);
	static QByteArray error(const QString &text);
};
