#include "Commands.h"

#include <QTextStream>

int runIdentifyCommand(const QStringList &)
{
	QTextStream(stderr) << "ptzctl: this command is not available in this build\n";
	return 2;
}
