#include "Commands.h"

#include "discovery/OnvifDiscovery.h"
#include "models/ModelIdentifier.h"

#include <QLoggingCategory>
#include <QHostAddress>
#include <QTextStream>

namespace {

const char *const discoverHelp =
	"usage: ptzctl discover [--to ADDR[:PORT]] [--identify]\n"
	"\n"
	"Runs one WS-Discovery search (40 probes, 30 ms apart) and prints one line per device that answered:\n"
	"its address, a tab and the name it announced, in the order the answers were first read (at most 64).\n"
	"\n"
	"  --to ADDR[:PORT]  send the probes to this IPv4 address only (port 3702 unless given)\n"
	"  --identify        list only the devices that camera model identification recognises\n"
	"                    (VISCA over IP, UDP port 52381 of each device, eight devices at a time)\n"
	"  -h, --help        show this help\n"
	"\n"
	"WARNING: without --to the probes are BROADCAST to 255.255.255.255, UDP port 3702: every host on\n"
	"every network this machine is attached to receives them. Use --to to keep the search to one address.\n";

int usageError(const QString &message)
{
	QTextStream(stderr) << "ptzctl discover: " << message << "\n" << discoverHelp;
	return 2;
}

// ADDR or ADDR:PORT, IPv4 only.
bool parseDestination(const QString &text, QHostAddress &address, quint16 &port)
{
	const QStringList parts = text.split(':');
	if (parts.size() > 2)
		return false;
	// Four dotted numbers only: the short forms that inet_aton takes ("127.1") would aim somewhere unexpected.
	const QStringList numbers = parts[0].split('.');
	if (numbers.size() != 4)
		return false;
	for (const QString &number : numbers) {
		bool ok = false;
		if (number.isEmpty() || number.size() > 3 || number.toUInt(&ok) > 255 || !ok)
			return false;
	}
	if (!address.setAddress(parts[0]) || address.protocol() != QAbstractSocket::IPv4Protocol)
		return false;
	if (parts.size() == 2) {
		bool ok = false;
		const uint value = parts[1].toUInt(&ok);
		if (!ok || value == 0 || value > 65535)
			return false;
		port = quint16(value);
	}
	return true;
}

} // namespace

int runDiscoverCommand(const QStringList &args)
{
	// The links' own debug lines are for developers (QT_LOGGING_RULES brings them back); the output is the
	// command's.
	QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
	QHostAddress destination(QHostAddress::Broadcast);
	quint16 port = OnvifDiscovery::DefaultPort;
	bool identify = false;
	bool destinationGiven = false;

	for (int i = 0; i < args.size(); ++i) {
		const QString &arg = args[i];
		if (arg == "-h" || arg == "--help") {
			QTextStream(stdout) << discoverHelp;
			return 0;
		} else if (arg == "--identify") {
			identify = true;
		} else if (arg == "--to") {
			if (destinationGiven)
				return usageError("--to given twice");
			if (i + 1 >= args.size())
				return usageError("--to needs an address");
			if (!parseDestination(args[++i], destination, port))
				return usageError("not an IPv4 address with an optional port: " + args[i]);
			destinationGiven = true;
		} else {
			return usageError("unknown argument: " + arg);
		}
	}

	OnvifDiscovery discovery(nullptr, destination, port);
	discovery.probe();

	QTextStream out(stdout);
	if (!identify) {
		for (const OnvifDiscovery::Device &device : discovery.devices())
			for (const auto &[ip, name] : device)
				out << ip << '\t' << name << '\n';
		return 0;
	}
	ModelIdentifier identifier;
	identifier.identifyCameras(discovery.devices());
	for (const CameraModelMap &camera : identifier.identifiedCameras())
		for (const auto &[ip, entry] : camera)
			out << QString::fromStdString(ip) << '\t' << QString::fromStdString(entry.name) << '\n';
	return 0;
}
