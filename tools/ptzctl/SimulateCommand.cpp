#include "Commands.h"

#include "CameraSimulator.h"
#include "discovery/DiscoveryResponder.h"

#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

const char usage[] = "usage: ptzctl simulate --model NAME [--bind ADDR] [--port N] [--log FILE]\n"
		     "                        [--silent] [--ack-delay MS] [--completion-delay MS]\n"
		     "                        [--error-reply] [--error-code N] [--wrong-sequence]\n"
		     "                        [--duplicate] [--drop N] [--junk N] [--reply-from ADDR]\n"
		     "                        [--discoverable [--name NAME]]\n"
		     "Runs a simulated camera (default 127.0.0.2:52381) until SIGINT or SIGTERM.\n"
		     "--discoverable also answers WS-Discovery Probes on UDP port 3702 (multicast group\n"
		     "239.255.255.250, broadcasts and the camera's address) from the camera's own network, as an\n"
		     "ONVIF camera does, announcing the address and NAME (default: the model; 1 to 20 letters,\n"
		     "digits, '-', '.', '_' or '~'). The address must belong to one of the machine's interfaces.\n";

bool parseNumber(const QString &text, int low, int high, int &out)
{
	bool ok = false;
	const qlonglong value = text.toLongLong(&ok, 10);
	if (!ok || value < low || value > high)
		return false;
	out = static_cast<int>(value);
	return true;
}

} // namespace

int runSimulateCommand(const QStringList &args)
{
	QTextStream err(stderr);
	CameraSimulator::Options options;
	bool haveModel = false;
	bool discoverable = false;
	QString name;
	auto fail = [&err](const QString &message) {
		err << "ptzctl simulate: " << message << "\n" << usage;
		return 2;
	};
	struct NumberOption {
		const char *name;
		int *target;
		int low;
		int high;
	};
	int port = options.port;
	const NumberOption numberOptions[] = {
		{"--port", &port, 0, 65535},
		{"--ack-delay", &options.ackDelayMs, 0, 60000},
		{"--completion-delay", &options.completionDelayMs, 0, 60000},
		{"--error-code", &options.errorCode, 0, 255},
		{"--drop", &options.dropReply, 0, 1000000},
		{"--junk", &options.junkBurst, 0, 1000000},
	};
	struct FlagOption {
		const char *name;
		bool *target;
	};
	const FlagOption flagOptions[] = {
		{"--silent", &options.silent},
		{"--error-reply", &options.errorReply},
		{"--wrong-sequence", &options.wrongSequence},
		{"--duplicate", &options.duplicateReplies},
		{"--discoverable", &discoverable},
	};

	for (int i = 0; i < args.size(); i++) {
		const QString &arg = args.at(i);
		if (arg == "--help" || arg == "-h") {
			QTextStream(stdout) << usage;
			return 0;
		}
		bool matched = false;
		for (const FlagOption &flag : flagOptions) {
			if (arg == flag.name) {
				*flag.target = true;
				matched = true;
			}
		}
		if (matched)
			continue;
		if (i + 1 >= args.size())
			return fail(QString("missing value after '%1'").arg(arg));
		const QString value = args.at(++i);
		for (const NumberOption &number : numberOptions) {
			if (arg == number.name) {
				if (!parseNumber(value, number.low, number.high, *number.target))
					return fail(QString("'%1' needs a number from %2 to %3, not '%4'")
							    .arg(arg)
							    .arg(number.low)
							    .arg(number.high)
							    .arg(value));
				matched = true;
			}
		}
		if (matched)
			continue;
		if (arg == "--model") {
			options.model = value.toStdString();
			haveModel = true;
		} else if (arg == "--bind") {
			options.bindAddress = value.toStdString();
		} else if (arg == "--reply-from") {
			options.replyFrom = value.toStdString();
		} else if (arg == "--log") {
			options.logFile = value.toStdString();
		} else if (arg == "--name") {
			name = value;
		} else {
			return fail(QString("unknown option '%1'").arg(arg));
		}
	}
	if (!haveModel)
		return fail("--model is required");
	if (!CameraSimulator::isKnownModel(options.model)) {
		QString known;
		for (const std::string &name : CameraSimulator::knownModels())
			known += QString(" '%1'").arg(QString::fromStdString(name));
		return fail(QString("unknown model '%1'; known models:%2")
				    .arg(QString::fromStdString(options.model), known));
	}
	options.port = static_cast<uint16_t>(port);
	if (!name.isNull() && !discoverable)
		return fail("--name needs --discoverable");
	if (name.isNull())
		name = QString::fromStdString(options.model);
	if (discoverable && !DiscoveryResponder::isValidName(name))
		return fail(QString("'%1' is not a valid camera name: 1 to %2 letters, digits, '-', '.', '_' or '~'")
				    .arg(name)
				    .arg(DiscoveryResponder::MaxNameLength));

	// The signals are taken synchronously below; the simulator thread inherits the mask.
	sigset_t stopSignals;
	sigemptyset(&stopSignals);
	sigaddset(&stopSignals, SIGINT);
	sigaddset(&stopSignals, SIGTERM);
	pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

	CameraSimulator simulator(options);
	if (!simulator.start()) {
		err << "ptzctl simulate: " << QString::fromStdString(simulator.errorString()) << "\n";
		return 1;
	}
	DiscoveryResponder responder({options.bindAddress, name.toStdString(), options.model});
	if (discoverable && !responder.start()) {
		simulator.stop();
		err << "ptzctl simulate: " << QString::fromStdString(responder.errorString()) << "\n";
		return 1;
	}
	std::printf("listening on %s:%u as %s\n", options.bindAddress.c_str(), simulator.boundPort(),
		    options.model.c_str());
	if (discoverable)
		std::printf("answering WS-Discovery on port %u as %s\n", DiscoveryResponder::DefaultPort,
			    name.toUtf8().constData());
	std::fflush(stdout);

	int received = 0;
	sigwait(&stopSignals, &received);
	responder.stop();
	simulator.stop();
	return 0;
}
