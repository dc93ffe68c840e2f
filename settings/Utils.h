#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QWidget;

// Static helpers around the settings file and a few shared chores. Never instantiated.
class Utils : public QObject {
	Q_OBJECT

public:
	Utils() = delete;

	// Largest settings file that is read, and so the largest that may ever be replaced.
	static constexpr qint64 maxSettingsFileSize = 1024 * 1024;

	// Directory of the settings file: the application's local data location.
	static QString settingsDirectory();

	// Loads "BrenmoorOBSPlugin.json" from dir into object, read-only (a missing file reads as empty); false when
	// the file cannot be read, is not a regular file (a FIFO is refused without blocking), is larger than
	// maxSettingsFileSize, or is a link to anything but a regular file of settingsOwner(). Bytes that are not
	// UTF-8 read as U+FFFD, so one bad value does not take the other keys with it.
	static bool readJsonFile(QJsonObject &object, QString dir);
	// Replaces "BrenmoorOBSPlugin.json" in dir with object, atomically; false when it was not written. A file
	// that readJsonFile refuses, or a read-only one, is left alone. Unreadable content (not a JSON object, or not
	// UTF-8) is first kept under a new ".bad" name. The new file and the copy get the old file's permission bits
	// (0600 for a first file), and temporary files of interrupted writes are removed.
	static bool writeJsonFile(const QJsonObject &object, QString dir);

	// Every line about the settings file goes through the sink; the OBS module routes it to OBS's log. An empty
	// sink (the default) logs with qDebug.
	using LogSink = std::function<void(const QString &line)>;
	static void setLogSink(LogSink sink);
	static void log(const QString &line);

	// The user whose files a linked settings file may lead to: the process's effective user. Tests set another
	// one to see their own files as someone else's.
	static uint settingsOwner();
	static void setSettingsOwner(uint uid);

	// Warning box that stays on top of parent (if any), is not modal and returns at once: the box, which deletes
	// itself when closed, for a caller that may close it first. Defined with the widgets (ui/), so the core needs
	// no Qt Widgets.
	static QWidget *showWarningBox(QString text, QWidget *parent = nullptr);

	// Keys of map ordered by ascending value.
	static QList<std::string> sortedKeysByValue(const QMap<std::string, int> &map);
};
