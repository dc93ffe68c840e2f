#include "LinkTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <mutex>

QStringList logged;

std::unique_ptr<CameraSimulator> startCamera(const char *address, const std::function<void(O &)> &change)
{
	O options;
	options.bindAddress = address;
	options.port = 0;
	if (change)
		change(options);
	auto camera = std::make_unique<CameraSimulator>(options);
	EXPECT_TRUE(camera->start()) << camera->errorString();
	return camera;
}

QByteArray hexBytes(const char *spaced)
{
	return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QString hexText(const QByteArray &bytes)
{
	return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
	QElapsedTimer clock;
	clock.start();
	while (!done() && clock.elapsed() < timeoutMs)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
	return done();
}

void spin(int milliseconds)
{
	waitFor([] { return false; }, milliseconds);
}

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	::testing::InitGoogleTest(&argc, argv);
	// The links' error lines are developers' lines, which the checks read.
	QLoggingCategory::setFilterRules(QStringLiteral("ptz.developer.debug=true"));
	// Links on camera workers log from their threads; the simulator does not log through Qt.
	qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
		static std::mutex guard;
		const std::lock_guard<std::mutex> lock(guard);
		logged << message;
	});
	return RUN_ALL_TESTS();
}
