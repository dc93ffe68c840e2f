#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <string>

class QWidget;

// Static helpers around the settings file and a few shared chores. Never instantiated.
class Utils : public QObject {
	Q_OBJECT

public:
	Utils() = delete;

	// Directory of the settings file: the application's local data location.
	static QString settingsDirectory();

	// Loads "BrenmoorOBSPlugin.json" from dir into object, read-only (a missing file reads as empty); false when
	// the file cannot be read or is not a regular file (a FIFO is refused without blocking).
	static bool readJsonFile(QJsonObject &object, QString dir);
	// Replaces "BrenmoorOBSPlugin.json" in dir with object, atomically; false when it was not written. A read-only
	// or non-regular file is left alone; unreadable content is first kept under a new ".bad" name, and temporary
	// files of interrupted writes are removed.
	static bool writeJsonFile(const QJsonObject &object, QString dir);

	// Warning box that stays on top of parent (if any), is not modal and returns at once. Defined with the widgets
	// (ui/), so the core needs no Qt Widgets.
	static void showWarningBox(QString text, QWidget *parent = nullptr);

	// Keys of map ordered by ascending value.
	static QList<std::string> sortedKeysByValue(const QMap<std::string, int> &map);
};
