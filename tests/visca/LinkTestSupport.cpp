#include "LinkTestSupport.h"

#include <QtGlobal>

#include <cctype>
#include <mutex>

namespace {

std::mutex logMutex;
QStringList logLines;

void handler(QtMsgType, const QMessageLogContext &, const QString &message)
{
	std::lock_guard<std::mutex> lock(logMutex);
	logLines.append(message);
}

} // namespace

void LogCapture::install()
{
	qInstallMessageHandler(handler);
}

void LogCapture::clear()
{
	std::lock_guard<std::mutex> lock(logMutex);
	logLines.clear();
}

QStringList LogCapture::messages()
{
	std::lock_guard<std::mutex> lock(logMutex);
	return logLines;
}

int LogCapture::count(const QString &message)
{
	return messages().count(message);
}

std::string testName(const char *text)
{
	std::string name;
	for (const char *p = text; *p; p++)
		name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : (*p == '-' ? 'm' : '_');
	return name;
}

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
