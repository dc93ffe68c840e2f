#include "Commands.h"

#include "models/ModelIdentifier.h"

#include <QLoggingCategory>
#include <QTextStream>

namespace {

void printUsage(QTextStream &out)
{
	out << "usage: ptzctl identify IP [--port N]\n"
	       "Identifies the model of the camera at IP (VISCA over IP, port 52381 unless --port is given)\n"
	       "and prints the model name as identification reports it. Exit 0 when identified, 1 when not.\n";
}

} // namespace

int runIdentifyCommand(const QStringList &args)
{
	// The links' own debug lines are for developers (QT_LOGGING_RULES brings them back); the output is the
	// command's.
	QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
	QTextStream err(stderr);
	QString ip;
	int port = ModelIdentifier::defaultPort;
	for (int i = 0; i < args.size(); ++i) {
		const QString &arg = args.at(i);
		if (arg == "--help" || arg == "-h") {
			QTextStream out(stdout);
			printUsage(out);
			return 0;
		}
		if (arg == "--port") {
			bool ok = false;
			port = i + 1 < args.size() ? args.at(++i).toInt(&ok) : 0;
			if (!ok || port < 1 || port > 65535) {
				err << "ptzctl identify: --port needs a number from 1 to 65535\n";
				printUsage(err);
				return 2;
			}
		} else if (ip.isEmpty() && !arg.startsWith("-")) {
			ip = arg;
		} else {
			err << "ptzctl identify: unexpected argument '" << arg << "'\n";
			printUsage(err);
			return 2;
		}
	}
	if (ip.isEmpty()) {
		printUsage(err);
		return 2;
	}

	ModelIdentifier identifier(port);
	const CameraModelMap result = identifier.identifyCamera(ip);
	if (result.empty()) {
		err << "ptzctl identify: no camera identified at " << ip << "\n";
		return 1;
	}
	// The name exactly as identification reports it, leading space of " ZR-318-30X" included.
	QTextStream out(stdout);
	out << QString::fromStdString(result.begin()->second.name) << "\n";
	return 0;
}
