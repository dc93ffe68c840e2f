#include "SettingsTestSupport.h"

#include "settings/Utils.h"

#include <QCoreApplication>
#include <QStandardPaths>

QStringList logged;

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	QStandardPaths::setTestModeEnabled(true); // never the real user's data folder
	::testing::InitGoogleTest(&argc, argv);
	Utils::setLogSink([](const QString &line) { logged << line; });
	return RUN_ALL_TESTS();
}
