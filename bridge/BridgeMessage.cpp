#include "BridgeMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace {

// Whole numbers only: JSON has no integer type, and 3.7, true, null or "7" are not bytes or ports.
bool integerIn(const QJsonValue &value, double low, double high, int &out)
{
	if (!value.isDouble())
		return false;
	const double number = value.toDouble();
	if (!(number >= low && number <= high) || std::floor(number) != number)
		return false;
	out = static_cast<int>(number);
	return true;
}

QString dataError()
{
	return QStringLiteral("\"data\" is not a list of 1 to %1 integers from 0 to 255").arg(BridgeMessage::maxBytes);
}

} // namespace

bool BridgeMessage::parseAddress(const QString &text, quint32 &address)
{
	const QStringList parts = text.split(QLatin1Char('.'));
	if (parts.size() != 4)
		return false;
	quint32 value = 0;
	for (const QString &part : parts) {
		if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.startsWith(QLatin1Char('0'))))
			return false;
		for (const QChar c : part)
			if (c < QLatin1Char('0') || c > QLatin1Char('9'))
				return false;
		const int byte = part.toInt();
		if (byte > 255)
			return false;
		value = value << 8 | quint32(byte);
	}
	// 0.x.x.x is "this network"; 224 and above are multicast, reserved and broadcast.
	const quint32 first = value >> 24;
	if (first == 0 || first >= 224)
		return false;
	address = value;
	return true;
}

bool BridgeMessage::parse(const std::string &payload, BridgeRequest &request, QString &error)
{
	const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(payload));
	if (!document.isObject()) {
		error = QStringLiteral("the request is not a JSON object");
		return false;
	}
	const QJsonObject object = document.object();
	const QJsonValue ip = object.value(QLatin1String("ip"));
	if (!ip.isString() || !parseAddress(ip.toString(), request.address)) {
		error = QStringLiteral("\"ip\" is not a unicast IPv4 address in dotted-quad form");
		return false;
	}
	request.ip = ip.toString();
	int port = 0;
	if (!integerIn(object.value(QLatin1String("port")), 1, 65535, port)) {
		error = QStringLiteral("\"port\" is not an integer from 1 to 65535");
		return false;
	}
	request.port = quint16(port);
	const QJsonValue dataValue = object.value(QLatin1String("data"));
	const QJsonArray data = dataValue.toArray();
	if (!dataValue.isArray() || data.isEmpty() || data.size() > maxBytes) {
		error = dataError();
		return false;
	}
	request.datagram.clear();
	request.datagram.reserve(size_t(data.size()));
	for (const QJsonValue &value : data) {
		int byte = 0;
		if (!integerIn(value, 0, 255, byte)) {
			error = dataError();
			return false;
		}
		request.datagram.push_back(char(byte));
	}
	return true;
}

QByteArray BridgeMessage::reply(const unsigned char *data, size_t size, const QString &ip, quint16 port)
{
	QJsonArray bytes;
	for (size_t i = 0; i < size; ++i)
		bytes.append(int(data[i]));
	QJsonObject object;
	object.insert(QLatin1String("ip"), ip);
	object.insert(QLatin1String("port"), int(port));
	object.insert(QLatin1String("data"), bytes);
	return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray BridgeMessage::error(const QString &text)
{
	QJsonObject object;
	object.insert(QLatin1String("error"), text);
	return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
