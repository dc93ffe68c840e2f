#include "Commands.h"

#include "ViscaTransfer.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalFds[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up and quits.
void onTerminationSignal(int)
{
	const char byte = 1;
	[[maybe_unused]] ssize_t n = ::write(signalFds[1], &byte, 1);
}

bool installTerminationHandlers()
{
	if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalFds) != 0)
		return false;
	::fcntl(signalFds[1], F_SETFL, O_NONBLOCK);
	struct sigaction action = {};
	action.sa_handler = onTerminationSignal;
	sigemptyset(&action.sa_mask);
	action.sa_flags = SA_RESTART;
	return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int usage(QTextStream &out, int code)
{
	out << "usage: ptzctl bridge [--port N] [--listen ADDR]...\n"
	       "  Runs the WebSocket-to-VISCA bridge (WebSocket port N, default 55260; UDP port 52381,\n"
	       "  held only while a client is connected) until SIGINT or SIGTERM. It listens on 127.0.0.1\n"
	       "  and ::1 unless --listen names the addresses (0.0.0.0 and :: open it to the network).\n";
	return code;
}

} // namespace

int runBridgeCommand(const QStringList &args)
{
	QTextStream err(stderr);
	quint16 port = 55260;
	QList<QHostAddress> addresses;
	for (int i = 0; i < args.size(); ++i) {
		const QString &arg = args.at(i);
		if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
			QTextStream out(stdout);
			return usage(out, 0);
		}
		if (arg == QLatin1String("--port") && i + 1 < args.size()) {
			bool ok = false;
			const uint value = args.at(++i).toUInt(&ok);
			if (!ok || value == 0 || value > 65535) {
				err << "ptzctl bridge: invalid port '" << args.at(i) << "'\n";
				return usage(err, 2);
			}
			port = quint16(value);
			continue;
		}
		if (arg == QLatin1String("--listen") && i + 1 < args.size()) {
			const QHostAddress address(args.at(++i));
			if (address.isNull()) {
				err << "ptzctl bridge: invalid address '" << args.at(i) << "'\n";
				return usage(err, 2);
			}
			addresses.append(address);
			continue;
		}
		err << "ptzctl bridge: unexpected argument '" << arg << "'\n";
		return usage(err, 2);
	}

	if (!installTerminationHandlers()) {
		err << "ptzctl bridge: cannot install the signal handlers\n";
		return 1;
	}
	QSocketNotifier notifier(signalFds[0], QSocketNotifier::Read);
	QObject::connect(&notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });

	// Same order as the panel: construct, start; a bridge that could not listen stays inert. Its lines go to
	// standard error through Qt's message log.
	ViscaTransfer bridge(nullptr, port);
	if (!addresses.isEmpty())
		bridge.setListenAddresses(addresses);
	bridge.startServer();
	if (!bridge.isListening()) {
		err << "ptzctl bridge: not listening on port " << port << "\n";
		return 1;
	}
	{
		QTextStream out(stdout);
		out << "ptzctl bridge: listening on port " << port << "\n";
		out.flush();
	}
	QCoreApplication::exec();
	bridge.stopServer();
	return 0;
}
