#include "LinkTestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

QStringList logged;

CameraSimulator::Options simulatorOptions(const char *address, const std::string &model)
{
	CameraSimulator::Options options;
	options.model = model;
	options.bindAddress = address;
	options.port = 0;
	return options;
}

QByteArray hexBytes(const char *spaced)
{
	return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QString hexText(const QByteArray &bytes)
{
	return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	::testing::InitGoogleTest(&argc, argv);
	// The links log on the test thread only; the simulator does not log through Qt.
	qInstallMessageHandler(
		[](QtMsgType, const QMessageLogContext &, const QString &message) { logged << message; });
	return RUN_ALL_TESTS();
}
