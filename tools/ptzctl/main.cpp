#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstring>

namespace {

struct SubCommand {
	const char *name;
	int (*run)(const QStringList &);
	const char *summary;
};

const SubCommand subCommands[] = {
	{"simulate", runSimulateCommand, "run a simulated camera (default 127.0.0.2:52381)"},
	{"send", runSendCommand, "send link operations to a camera and print their results"},
	{"identify", runIdentifyCommand, "identify the model of the camera at an address"},
	{"discover", runDiscoverCommand, "search for cameras with WS-Discovery (broadcasts unless --to is given)"},
	{"bridge", runBridgeCommand, "run the WebSocket-to-VISCA bridge without OBS"},
};

void printUsage(QTextStream &out)
{
	out << "usage: ptzctl COMMAND [ARGS...]\n\ncommands:\n";
	for (const SubCommand &c : subCommands)
		out << "  " << QString(c.name).leftJustified(10) << c.summary << "\n";
	out << "\nptzctl COMMAND --help shows the arguments of a command.\n";
}

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	QStringList args = app.arguments().mid(1);
	QTextStream err(stderr);
	if (args.isEmpty()) {
		printUsage(err);
		return 2;
	}
	const QString name = args.takeFirst();
	if (name == "--help" || name == "-h" || name == "help") {
		QTextStream out(stdout);
		printUsage(out);
		return 0;
	}
	for (const SubCommand &c : subCommands) {
		if (name == c.name)
			return c.run(args);
	}
	err << "ptzctl: unknown command '" << name << "'\n";
	printUsage(err);
	return 2;
}
