#include "OnvifDiscovery.h"

#include "visca/CameraWorker.h"

#include <QNetworkInterface>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

namespace {

// First reply format: the address follows this marker and usually ends at the port's colon.
const QString xaddrsAfterScopes = QStringLiteral("</wsdd:Scopes><wsdd:XAddrs>http://");
// Second reply format: the address follows this marker and usually ends at the path's slash.
const QString plainXaddrs = QStringLiteral("<d:XAddrs>http://");
const QString nameScopeNoSlash = QStringLiteral("onvif://www.onvif.org/name");

QString firstPart(const QString &text, QChar separator)
{
	const int at = text.indexOf(separator);
	return at < 0 ? text : text.left(at);
}

// The host of an XAddrs URL: it ends at a port's colon or at the path, whichever the camera wrote, so that a
// camera announcing its address without a port (or with one) is still found.
QString hostPart(const QString &piece)
{
	return firstPart(firstPart(piece, ':'), '/');
}

QString withoutControlCharacters(QString text)
{
	text.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1F\\x7F-\\x9F]")));
	return text;
}

} // namespace

OnvifDiscovery::OnvifDiscovery(QObject *parent, const QHostAddress &destination, quint16 port)
	: QObject(parent), m_destination(destination), m_port(port)
{
}

QString OnvifDiscovery::nameScope()
{
	return QStringLiteral("onvif://www.onvif.org/name/");
}

QByteArray OnvifDiscovery::probeMessage()
{
	return QStringLiteral(
		       "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
		       "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\">"
		       "  <s:Header>"
		       "    <a:Action "
		       "s:mustUnderstand=\"1\">http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>"
		       "    <a:MessageID>uuid:344d2db4-4e08-421f-a32a-b5f6286d4141</a:MessageID>"
		       "    <a:ReplyTo>"
		       "      <a:Address>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</a:Address>"
		       "    </a:ReplyTo>"
		       "    <a:To s:mustUnderstand=\"1\">urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
		       "  </s:Header>"
		       "  <s:Body>"
		       "    <Probe xmlns=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\">"
		       "      <d:Types xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" "
		       "xmlns:dp0=\"http://www.onvif.org/ver10/network/wsdl\">dp0:NetworkVideoTransmitter</d:Types>"
		       "    </Probe>"
		       "  </s:Body>"
		       "</s:Envelope>")
		.toUtf8();
}

void OnvifDiscovery::probe()
{
	const QByteArray message = probeMessage();
	m_devices.clear();
	QByteArray buffer(BufferSize, '\0');
	// A search on a worker thread ends early when its worker stops (the dialog closes, OBS quits).
	for (int pass = 0; pass < ProbeCount && !CameraWorker::stopRequested(); ++pass) {
		m_socket.writeDatagram(message, m_destination, m_port);
		QThread::msleep(ProbeIntervalMs);
		while (m_socket.hasPendingDatagrams()) {
			QHostAddress source;
			const qint64 received = m_socket.readDatagram(buffer.data(), BufferSize, &source);
			if (received <= 0)
				continue;
			// Only this datagram's bytes count, up to its first zero byte.
			const char *begin = buffer.constData();
			const char *end = std::find(begin, begin + received, '\0');
			parseReply(QString::fromLatin1(begin, int(end - begin)), source);
		}
	}
}

std::vector<OnvifDiscovery::Device> OnvifDiscovery::devices() const
{
	return m_devices;
}

bool OnvifDiscovery::isUnicastIpv4(const QString &text)
{
	static const QRegularExpression dotted(QStringLiteral(
		"\\A(25[0-5]|2[0-4]\\d|1\\d\\d|[1-9]?\\d)(\\.(25[0-5]|2[0-4]\\d|1\\d\\d|[1-9]?\\d)){3}\\z"));
	if (!dotted.match(text).hasMatch())
		return false;
	const quint32 address = QHostAddress(text).toIPv4Address();
	const quint32 first = address >> 24;
	if (first == 0 || first >= 224)
		return false;
	for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
		for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
			const QHostAddress broadcast = entry.broadcast();
			if (!broadcast.isNull() && broadcast.toIPv4Address() == address)
				return false;
		}
	}
	return true;
}

void OnvifDiscovery::parseReply(const QString &reply, const QHostAddress &source)
{
	if (m_devices.size() >= MaxDevices)
		return;
	QString address;
	QString name;
	const int firstFormatAt = reply.lastIndexOf(xaddrsAfterScopes);
	if (firstFormatAt > 0) {
		address = hostPart(reply.mid(firstFormatAt + xaddrsAfterScopes.size(), 20));
		const int nameAt = reply.indexOf(nameScopeNoSlash);
		if (nameAt >= 0)
			name = firstPart(firstPart(reply.mid(nameAt + nameScope().size(), 20), ' '), '<');
	} else {
		const int addressAt = reply.lastIndexOf(plainXaddrs);
		if (addressAt < 0)
			return;
		address = hostPart(reply.mid(addressAt + plainXaddrs.size(), 20));
		const int nameAt = reply.lastIndexOf(nameScope());
		if (nameAt >= 0)
			name = reply.mid(nameAt + nameScope().size(), 6);
	}
	for (const Device &device : m_devices) {
		if (device.count(address))
			return;
	}
	// The cheap comparison first: the interface table is read only for a reply that names its own source.
	bool sourceIsIpv4 = false;
	const quint32 sourceAddress = source.toIPv4Address(&sourceIsIpv4); // also from an IPv4-mapped source
	if (!sourceIsIpv4 || QHostAddress(address).toIPv4Address() != sourceAddress || !isUnicastIpv4(address))
		return;
	m_devices.push_back(Device{{address, withoutControlCharacters(name)}});
}
