#include "Commands.h"

#include "LinkOperations.h"
#include "ViscaModuleFactory.h"
#include "viscaIpModule.h"

#include <QHostAddress>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

const char usage[] = "usage: ptzctl send [--port N] [--model NAME] IP OP [ARG...] [OP [ARG...]]...\n"
		     "Runs link operations in order and prints one line per result (true, false, a number, or\n"
		     "\"no answer\" for an inquiry that the camera did not validly answer).\n"
		     "Arguments are decimal integers; booleans are 1, 0, true or false.\n"
		     "Exit status: 0 all true or numbers, 1 some operation false or without answer, 2 usage error.\n";

} // namespace

int runSendCommand(const QStringList &args)
{
	QTextStream err(stderr);
	auto fail = [&err](const QString &message) {
		err << "ptzctl send: " << message << "\n" << usage;
		return 2;
	};
	int port = 52381;
	QString model;
	bool haveModel = false;
	int i = 0;
	for (; i < args.size() && args.at(i).startsWith("--"); i++) {
		const QString &option = args.at(i);
		if (option == "--help") {
			QTextStream(stdout) << usage << "operations: " << LinkOperations::names().join(' ') << "\n";
			return 0;
		}
		if (i + 1 >= args.size())
			return fail(QString("missing value after '%1'").arg(option));
		const QString value = args.at(++i);
		if (option == "--port") {
			bool ok = false;
			port = value.toInt(&ok, 10);
			if (!ok || port < 1 || port > 65535)
				return fail(QString("'--port' needs a number from 1 to 65535, not '%1'").arg(value));
		} else if (option == "--model") {
			model = value;
			haveModel = true;
		} else {
			return fail(QString("unknown option '%1'").arg(option));
		}
	}
	if (i >= args.size())
		return fail("missing camera address");
	const QString ip = args.at(i++);
	if (QHostAddress(ip).isNull())
		return fail(QString("not an IP address: '%1'").arg(ip));
	if (i >= args.size())
		return fail("no operation given");

	// Everything is checked before the first datagram goes out.
	std::vector<LinkOperations::Call> calls;
	QString error;
	if (!LinkOperations::parse(args.mid(i), calls, error))
		return fail(error);

	std::unique_ptr<viscaIpModule> link(haveModel ? createViscaModule(model) : new viscaIpModule());
	link->connectCamera(ip, port);
	QTextStream out(stdout);
	int status = 0;
	for (const LinkOperations::Call &call : calls) {
		const LinkOperations::Result result = LinkOperations::run(*link, call);
		if (result.kind == LinkOperations::Result::None)
			continue;
		out << LinkOperations::format(result) << "\n";
		out.flush();
		if ((result.kind == LinkOperations::Result::Bool && !result.value) ||
		    result.kind == LinkOperations::Result::NoAnswer)
			status = 1;
	}
	return status;
}
