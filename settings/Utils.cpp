#include "settings/Utils.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtDebug>

#include <algorithm>

namespace {

const char settingsFileName[] = "BrenmoorOBSPlugin.json";
const char keptFileSuffix[] = ".bad";

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

// A file that is not a JSON object may be someone's hand edit gone wrong: keep its bytes beside it
// instead of letting the next write throw them away.
bool keepUnreadableFile(const QString &path)
{
	QFile current(path);
	if (!current.exists() || !current.open(QIODevice::ReadOnly))
		return true;
	const QByteArray bytes = current.readAll();
	current.close();
	if (!holdsUnreadableContent(bytes))
		return true;
	const QString keptPath = path + keptFileSuffix;
	if (writeWhole(keptPath, bytes) != WriteResult::Written)
		return false;
	qDebug("Kept the unreadable settings file as %s%s.", settingsFileName, keptFileSuffix);
	return true;
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

	QFile file(path);
	if (!file.open(QIODevice::ReadWrite)) {
		qDebug("It's failed to open the file.");
		return false;
	}
	const QByteArray bytes = file.readAll();
	file.close();
	object = QJsonDocument::fromJson(bytes).object();
	return true;
}

bool Utils::writeJsonFile(const QJsonObject &object, QString dir)
{
	const QString path = settingsFilePath(dir);
	if (!ensureDirectory(dir))
		return false;

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
