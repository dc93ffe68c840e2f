#include "Commands.h"

#include <QTextStream>

int runBridgeCommand(const QStringList &)
{
	QTextStream(stderr) << "ptzctl: this command is not available in this build\n";
	return 2;
}
