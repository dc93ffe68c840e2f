#include "settings/Utils.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtDebug>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char settingsFileName[] = "BrenmoorOBSPlugin.json";
const char keptFileSuffix[] = ".bad";
const int maxKeptFiles = 1000;

QString settingsFilePath(const QString &dir)
{
	return dir + "/" + settingsFileName;
}

bool ensureDirectory(const QString &dir)
{
	QDir directory(dir);
	if (directory.exists())
		return true;
	if (directory.mkpath(".") && directory.exists())
		return true;
	qDebug("It's failed to make a directory.");
	return false;
}

bool holdsUnreadableContent(const QByteArray &bytes)
{
	if (bytes.trimmed().isEmpty())
		return false;
	return !QJsonDocument::fromJson(bytes).isObject();
}

enum class ReadResult { Read, Missing, NotRegular, NotOpened };

// Read-only, and without blocking: a FIFO or device in the file's place is refused before anything is read.
ReadResult readRegularFile(const QString &path, QByteArray &bytes)
{
	const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return errno == ENOENT ? ReadResult::Missing : ReadResult::NotOpened;
	struct stat status {};
	if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
		::close(fd);
		return ReadResult::NotRegular;
	}
	QFile file;
	if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
		::close(fd);
		return ReadResult::NotOpened;
	}
	bytes = file.readAll();
	return ReadResult::Read;
}

enum class WriteResult { Written, NotOpened, NotWritten };

// Writes bytes to path whole or not at all: QSaveFile writes beside the file and renames it into place on commit.
// Unbuffered, so a short write shows here; buffered, Qt 5.15 can commit a file that its final flush cut short.
WriteResult writeWhole(const QString &path, const QByteArray &bytes)
{
	QSaveFile file(path);
	if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
		return WriteResult::NotOpened;
	if (file.write(bytes) != bytes.size()) {
		file.cancelWriting();
		file.commit();
		return WriteResult::NotWritten;
	}
	return file.commit() ? WriteResult::Written : WriteResult::NotWritten;
}

// A file that is not a JSON object may be someone's hand edit gone wrong: keep its bytes beside it, each
// under a name of its own, instead of letting the next write throw them away.
bool keepUnreadableFile(const QString &path)
{
	QByteArray bytes;
	if (readRegularFile(path, bytes) != ReadResult::Read || !holdsUnreadableContent(bytes))
		return true;
	for (int n = 1; n <= maxKeptFiles; n++) {
		const QString name = QString::fromLatin1(settingsFileName) +
				     (n == 1 ? QString() : QStringLiteral(".%1").arg(n)) + keptFileSuffix;
		const QString keptPath = QFileInfo(path).dir().filePath(name);
		if (QFileInfo::exists(keptPath) || QFileInfo(keptPath).isSymLink())
			continue;
		if (writeWhole(keptPath, bytes) != WriteResult::Written)
			return false;
		qDebug("Kept the unreadable settings file as %s.", qUtf8Printable(name));
		return true;
	}
	return false;
}

// Temporary files that an interrupted write left beside the settings file: its name, a dot and six letters
// or digits.
void removeStaleTemporaryFiles(const QString &dir)
{
	static const QRegularExpression temporary(
		QStringLiteral("\\A%1\\.[A-Za-z0-9]{6}\\z").arg(QRegularExpression::escape(settingsFileName)));
	QDir directory(dir);
	for (const QString &name : directory.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
		if (temporary.match(name).hasMatch())
			directory.remove(name);
	}
}

} // namespace

QString Utils::settingsDirectory()
{
	return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

bool Utils::readJsonFile(QJsonObject &object, QString dir)
{
	const QString path = settingsFilePath(dir);
	if (!ensureDirectory(dir))
		return false;

	QByteArray bytes;
	switch (readRegularFile(path, bytes)) {
	case ReadResult::NotRegular:
		qDebug("The settings file is not a regular file; it is left as it is.");
		return false;
	case ReadResult::NotOpened:
		qDebug("It's failed to open the file.");
		return false;
	default:
		break;
	}
	object = QJsonDocument::fromJson(bytes).object();
	return true;
}

bool Utils::writeJsonFile(const QJsonObject &object, QString dir)
{
	const QString path = settingsFilePath(dir);
	if (!ensureDirectory(dir))
		return false;

	// An operator's locked file, or a FIFO or device in its place, is never replaced.
	const QFileInfo current(path);
	if ((current.exists() || current.isSymLink()) &&
	    (!current.isFile() || !(current.permissions() & QFileDevice::WriteOwner))) {
		qDebug("The settings file is read-only or not a regular file; it is left as it is.");
		return false;
	}
	removeStaleTemporaryFiles(dir);
	if (!keepUnreadableFile(path)) {
		qDebug("It's failed to open the file.");
		return false;
	}

	switch (writeWhole(path, QJsonDocument(object).toJson())) {
	case WriteResult::Written:
		return true;
	case WriteResult::NotOpened:
		qDebug("It's failed to open the file.");
		return false;
	default:
		return false;
	}
}

QList<std::string> Utils::sortedKeysByValue(const QMap<std::string, int> &map)
{
	QList<std::string> keys = map.keys();
	// Stable, so keys with equal values keep their own order.
	std::stable_sort(keys.begin(), keys.end(),
			 [&map](const std::string &a, const std::string &b) { return map.value(a) < map.value(b); });
	return keys;
}
