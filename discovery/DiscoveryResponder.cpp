#include "DiscoveryResponder.h"

#include "OnvifDiscovery.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QUuid>
#include <QXmlStreamReader>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const QString soapNamespace = QStringLiteral("http://www.w3.org/2003/05/soap-envelope");
const QString addressingNamespace = QStringLiteral("http://schemas.xmlsoap.org/ws/2004/08/addressing");
const QString discoveryNamespace = QStringLiteral("http://schemas.xmlsoap.org/ws/2005/04/discovery");
const QString networkNamespace = QStringLiteral("http://www.onvif.org/ver10/network/wsdl");
const QString deviceNamespace = QStringLiteral("http://www.onvif.org/ver10/device/wsdl");
const char multicastGroup[] = "239.255.255.250";
// Room for the rest of a ProbeMatch within what a search reads of one datagram.
constexpr int maxMessageIdLength = 100;

// Namespace declarations in force, innermost last: the prefixed names in Types resolve against them.
using Declarations = std::vector<QXmlStreamNamespaceDeclarations>;

QString resolvePrefix(const Declarations &declarations, const QString &prefix)
{
	for (auto level = declarations.rbegin(); level != declarations.rend(); ++level)
		for (const QXmlStreamNamespaceDeclaration &declaration : *level)
			if (declaration.prefix() == prefix)
				return declaration.namespaceUri().toString();
	return {};
}

// Every type the Probe names must be one of this device's.
bool typesMatch(const QString &text, const Declarations &declarations)
{
	for (const QString &type : text.simplified().split(' ', Qt::SkipEmptyParts)) {
		const int colon = type.indexOf(':');
		const QString local = type.mid(colon + 1);
		const QString uri = resolvePrefix(declarations, colon < 0 ? QString() : type.left(colon));
		if (!(uri == networkNamespace && local == QLatin1String("NetworkVideoTransmitter")) &&
		    !(uri == deviceNamespace && local == QLatin1String("Device")))
			return false;
	}
	return true;
}

// Every scope the Probe names must match one of this device's: equal, or a prefix ending at a path segment
// (rfc3986, the default), or equal as strings (strcmp0). Other rules match nothing.
bool scopesMatch(const QString &text, const QString &matchBy, const QStringList &own)
{
	const bool prefixes = matchBy.isEmpty() || matchBy == discoveryNamespace + QLatin1String("/rfc3986");
	if (!prefixes && matchBy != discoveryNamespace + QLatin1String("/strcmp0"))
		return false;
	for (const QString &scope : text.simplified().split(' ', Qt::SkipEmptyParts)) {
		const bool found = std::any_of(own.begin(), own.end(), [&](const QString &mine) {
			return mine == scope || (prefixes && mine.startsWith(scope) &&
						 (scope.endsWith('/') || mine.at(scope.size()) == '/'));
		});
		if (!found)
			return false;
	}
	return true;
}

QString ipv4Text(uint32_t networkOrder)
{
	char text[INET_ADDRSTRLEN] = {};
	in_addr address{};
	address.s_addr = networkOrder;
	inet_ntop(AF_INET, &address, text, sizeof text);
	return QString::fromLatin1(text);
}

} // namespace

DiscoveryResponder::DiscoveryResponder(const Options &options) : m_options(options) {}

DiscoveryResponder::~DiscoveryResponder()
{
	stop();
}

bool DiscoveryResponder::isValidName(const QString &name)
{
	static const QRegularExpression allowed(QStringLiteral("\\A[A-Za-z0-9._~-]{1,20}\\z"));
	return allowed.match(name).hasMatch();
}

QStringList DiscoveryResponder::scopes() const
{
	return {QStringLiteral("onvif://www.onvif.org/type/video_encoder"),
		QStringLiteral("onvif://www.onvif.org/type/ptz"),
		QStringLiteral("onvif://www.onvif.org/Profile/Streaming"),
		QStringLiteral("onvif://www.onvif.org/hardware/") +
			QString::fromStdString(m_options.model)
				.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9._~-]"))),
		OnvifDiscovery::nameScope() + QString::fromStdString(m_options.name)};
}

QString DiscoveryResponder::matchProbe(const QByteArray &datagram, const QStringList &scopes)
{
	if (datagram.isEmpty() || datagram.size() > MaxProbeSize)
		return {};
	QXmlStreamReader xml(datagram);
	Declarations declarations;
	QStringList path; // namespace '|' local name of each open element
	QString action;
	QString messageId;
	int bodyChildren = 0;
	bool probe = false;
	bool matches = true;
	while (!xml.atEnd()) {
		const QXmlStreamReader::TokenType token = xml.readNext();
		if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
			return {};
		if (token == QXmlStreamReader::EndElement) {
			declarations.pop_back();
			path.removeLast();
			continue;
		}
		if (token != QXmlStreamReader::StartElement)
			continue;
		const QString parent = path.isEmpty() ? QString() : path.last();
		const QString key = xml.namespaceUri().toString() + '|' + xml.name().toString();
		declarations.push_back(xml.namespaceDeclarations());
		path.append(key);
		// The element's text is read here (its end is consumed with it) or the element is skipped whole.
		auto leave = [&](bool read) {
			const QString text = read ? xml.readElementText() : QString();
			if (!read)
				xml.skipCurrentElement();
			declarations.pop_back();
			path.removeLast();
			return text;
		};
		if (parent.isEmpty()) {
			if (key != soapNamespace + QLatin1String("|Envelope"))
				return {};
		} else if (parent == soapNamespace + QLatin1String("|Envelope")) {
			if (key != soapNamespace + QLatin1String("|Header") &&
			    key != soapNamespace + QLatin1String("|Body"))
				return {};
		} else if (parent == soapNamespace + QLatin1String("|Header")) {
			if (key == addressingNamespace + QLatin1String("|Action"))
				action = leave(true).trimmed();
			else if (key == addressingNamespace + QLatin1String("|MessageID"))
				messageId = leave(true).trimmed();
			else
				leave(false);
		} else if (parent == soapNamespace + QLatin1String("|Body")) {
			++bodyChildren;
			probe = key == discoveryNamespace + QLatin1String("|Probe");
			if (!probe)
				return {};
		} else if (parent == discoveryNamespace + QLatin1String("|Probe") &&
			   key == discoveryNamespace + QLatin1String("|Types")) {
			const Declarations inForce = declarations;
			const QString types = leave(true);
			matches = typesMatch(types, inForce) && matches;
		} else if (parent == discoveryNamespace + QLatin1String("|Probe") &&
			   key == discoveryNamespace + QLatin1String("|Scopes")) {
			const QString matchBy = xml.attributes().value(QLatin1String("MatchBy")).toString();
			const QString wanted = leave(true);
			matches = scopesMatch(wanted, matchBy, scopes) && matches;
		} else {
			leave(false);
		}
	}
	if (xml.hasError() || !probe || bodyChildren != 1 || !matches ||
	    action != discoveryNamespace + QLatin1String("/Probe") || messageId.isEmpty() ||
	    messageId.size() > maxMessageIdLength)
		return {};
	return messageId;
}

QByteArray DiscoveryResponder::probeMatch(const QString &relatesTo, int messageNumber) const
{
	static const QString instance = QString::number(QDateTime::currentSecsSinceEpoch());
	const QString address = ipv4Text(m_address);
	// The markers a search cuts the address and the name by: "</wsdd:Scopes><wsdd:XAddrs>http://", the
	// address ending at the port's colon, and the name scope, its name ending at a space or '<'.
	const QString text =
		QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
			      "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"") +
		soapNamespace + QLatin1String("\" xmlns:wsa=\"") + addressingNamespace +
		QLatin1String("\" xmlns:wsdd=\"") + discoveryNamespace + QLatin1String("\" xmlns:dn=\"") +
		networkNamespace + QLatin1String("\"><SOAP-ENV:Header><wsa:MessageID>uuid:") +
		QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1String("</wsa:MessageID><wsa:RelatesTo>") +
		relatesTo.toHtmlEscaped() + QLatin1String("</wsa:RelatesTo><wsa:To SOAP-ENV:mustUnderstand=\"true\">") +
		addressingNamespace +
		QLatin1String("/role/anonymous</wsa:To><wsa:Action SOAP-ENV:mustUnderstand=\"true\">") +
		discoveryNamespace + QLatin1String("/ProbeMatches</wsa:Action><wsdd:AppSequence InstanceId=\"") +
		instance + QLatin1String("\" MessageNumber=\"") + QString::number(messageNumber) +
		QLatin1String("\"/></SOAP-ENV:Header><SOAP-ENV:Body><wsdd:ProbeMatches><wsdd:ProbeMatch>"
			      "<wsa:EndpointReference><wsa:Address>") +
		m_endpoint +
		QLatin1String(
			"</wsa:Address></wsa:EndpointReference><wsdd:Types>dn:NetworkVideoTransmitter</wsdd:Types>"
			"<wsdd:Scopes>") +
		scopes().join(' ') + QLatin1String("</wsdd:Scopes><wsdd:XAddrs>http://") + address +
		QLatin1String(":80/onvif/device_service</wsdd:XAddrs><wsdd:MetadataVersion>1</wsdd:MetadataVersion>"
			      "</wsdd:ProbeMatch></wsdd:ProbeMatches></SOAP-ENV:Body></SOAP-ENV:Envelope>");
	return text.toUtf8();
}

bool DiscoveryResponder::setError(const std::string &what)
{
	m_error = what + (errno ? std::string(": ") + std::strerror(errno) : std::string());
	stop();
	return false;
}

bool DiscoveryResponder::start()
{
	stop();
	m_error.clear();
	if (!isValidName(QString::fromStdString(m_options.name))) {
		m_error = "not a valid camera name for discovery: '" + m_options.name +
			  "' (1 to 20 letters, digits, '-', '.', '_' or '~')";
		return false;
	}
	in_addr own{};
	if (inet_pton(AF_INET, m_options.address.c_str(), &own) != 1) {
		m_error = "not an IPv4 address: " + m_options.address;
		return false;
	}
	m_address = own.s_addr;
	// The camera's network (the address's subnet) bounds who is answered; the interfaces that hold addresses of
	// it are where the camera hears multicast and broadcast Probes.
	m_interfaces.clear();
	bool found = false;
	ifaddrs *interfaces = nullptr;
	if (getifaddrs(&interfaces) == 0) {
		auto ipv4 = [](const sockaddr *address) {
			return reinterpret_cast<const sockaddr_in *>(address)->sin_addr.s_addr;
		};
		// The interface address itself, or (the loopback's whole 127.0.0.0/8 being local) a loopback network
		// that holds it.
		for (int pass = 0; pass < 2 && !found; ++pass) {
			for (const ifaddrs *entry = interfaces; entry && !found; entry = entry->ifa_next) {
				if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_netmask)
					continue;
				const uint32_t mask = ipv4(entry->ifa_netmask);
				found = pass == 0 ? ipv4(entry->ifa_addr) == m_address
						  : (entry->ifa_flags & IFF_LOOPBACK) &&
							    (ipv4(entry->ifa_addr) & mask) == (m_address & mask);
				if (!found)
					continue;
				m_netmask = mask;
				m_broadcast = (entry->ifa_flags & IFF_BROADCAST) && entry->ifa_broadaddr
						      ? ipv4(entry->ifa_broadaddr)
						      : 0;
			}
		}
		for (const ifaddrs *entry = interfaces; found && entry; entry = entry->ifa_next) {
			const int index = entry->ifa_addr ? int(if_nametoindex(entry->ifa_name)) : 0;
			if (index && entry->ifa_addr->sa_family == AF_INET &&
			    (ipv4(entry->ifa_addr) & m_netmask) == (m_address & m_netmask) &&
			    std::find(m_interfaces.begin(), m_interfaces.end(), index) == m_interfaces.end())
				m_interfaces.push_back(index);
		}
		freeifaddrs(interfaces);
	}
	if (!found) {
		errno = 0;
		return setError(m_options.address + " is not an address of this machine's network interfaces");
	}
	m_endpoint = QLatin1String("urn:uuid:") +
		     QUuid::createUuidV5(QUuid(QStringLiteral("{0b7c2e4a-6d1f-4f58-9a43-2c1f5e8d7b60}")),
					 QString::fromStdString(m_options.address + "/" + m_options.name))
			     .toString(QUuid::WithoutBraces);

	const int on = 1;
	const int off = 0;
	sockaddr_in bindTo{};
	bindTo.sin_family = AF_INET;
	bindTo.sin_port = htons(m_options.port);
	bindTo.sin_addr.s_addr = m_address;
	m_ownFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
	if (m_ownFd < 0 || setsockopt(m_ownFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
	    bind(m_ownFd, reinterpret_cast<const sockaddr *>(&bindTo), sizeof bindTo) != 0)
		return setError("cannot bind " + m_options.address + ":" + std::to_string(m_options.port));

	bindTo.sin_addr.s_addr = htonl(INADDR_ANY);
	m_groupFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
	const std::string listenError = "cannot listen for WS-Discovery on port " + std::to_string(m_options.port);
	if (m_groupFd < 0 || setsockopt(m_groupFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
	    setsockopt(m_groupFd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
	    // Only this socket's own memberships bring multicast here, not another program's.
	    setsockopt(m_groupFd, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off) != 0 ||
	    bind(m_groupFd, reinterpret_cast<const sockaddr *>(&bindTo), sizeof bindTo) != 0)
		return setError(listenError);
	for (int index : m_interfaces) {
		ip_mreqn membership{};
		inet_pton(AF_INET, multicastGroup, &membership.imr_multiaddr);
		membership.imr_ifindex = index;
		if (setsockopt(m_groupFd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0)
			return setError(listenError + " in the group " + multicastGroup);
	}

	m_stop = false;
	m_thread = std::thread(&DiscoveryResponder::run, this);
	return true;
}

void DiscoveryResponder::stop()
{
	m_stop = true;
	if (m_thread.joinable())
		m_thread.join();
	for (int *fd : {&m_ownFd, &m_groupFd}) {
		if (*fd >= 0)
			close(*fd);
		*fd = -1;
	}
}

void DiscoveryResponder::run()
{
	pollfd fds[2] = {{m_groupFd, POLLIN, 0}, {m_ownFd, POLLIN, 0}};
	while (!m_stop) {
		if (poll(fds, 2, 50) <= 0)
			continue;
		if (fds[0].revents & POLLIN)
			receive(m_groupFd, true);
		if (fds[1].revents & POLLIN)
			receive(m_ownFd, false);
	}
}

void DiscoveryResponder::receive(int fd, bool groupSocket)
{
	std::vector<char> buffer(MaxProbeSize + 1);
	alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
	sockaddr_in from{};
	iovec part{buffer.data(), buffer.size()};
	msghdr message{};
	message.msg_name = &from;
	message.msg_namelen = sizeof from;
	message.msg_iov = &part;
	message.msg_iovlen = 1;
	message.msg_control = control;
	message.msg_controllen = sizeof control;
	const ssize_t received = recvmsg(fd, &message, MSG_DONTWAIT);
	if (received <= 0 || received > MaxProbeSize || (message.msg_flags & MSG_TRUNC))
		return;
	if (groupSocket) {
		// Multicast or broadcast that reached the camera's own interface; a unicast here was meant for
		// another address, and a copy looped back on another interface is not the camera's to hear.
		const in_pktinfo *info = nullptr;
		for (cmsghdr *header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
			if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO)
				info = reinterpret_cast<const in_pktinfo *>(CMSG_DATA(header));
		in_addr group{};
		inet_pton(AF_INET, multicastGroup, &group);
		const uint32_t to = info ? info->ipi_addr.s_addr : 0;
		if (!info ||
		    std::find(m_interfaces.begin(), m_interfaces.end(), info->ipi_ifindex) == m_interfaces.end() ||
		    (to != group.s_addr && to != htonl(INADDR_BROADCAST) && (m_broadcast == 0 || to != m_broadcast)))
			return;
	}
	// Only a prober on the camera's own network, never its network or broadcast address, is answered.
	const uint32_t prober = from.sin_addr.s_addr;
	if (from.sin_family != AF_INET || from.sin_port == 0 || (prober & m_netmask) != (m_address & m_netmask) ||
	    prober == (m_address & m_netmask) || prober == (m_address | ~m_netmask))
		return;
	const QByteArray datagram(buffer.data(), int(received));
	if (groupSocket) {
		// The same datagram from the same sender at once again is one Probe heard on two interfaces.
		const auto now = std::chrono::steady_clock::now();
		const bool again = datagram == m_lastHeard && prober == m_lastProber && from.sin_port == m_lastPort &&
				   now - m_lastHeardAt < std::chrono::milliseconds(10);
		m_lastHeard = datagram;
		m_lastProber = prober;
		m_lastPort = from.sin_port;
		m_lastHeardAt = now;
		if (again)
			return;
	}
	const QString messageId = matchProbe(datagram, scopes());
	if (messageId.isEmpty())
		return;
	const QByteArray reply = probeMatch(messageId, m_answered.load() + 1);
	if (sendto(m_ownFd, reply.constData(), size_t(reply.size()), 0, reinterpret_cast<const sockaddr *>(&from),
		   sizeof from) == reply.size())
		++m_answered;
}
