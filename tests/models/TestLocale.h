#pragma once

#include "plugin/ModuleText.h"

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <string>

// Installs a locale table made from key → text pairs (an OBS ini file read by libobs itself) for one scope,
// and frees it again at the end.
class ScopedLocale {
public:
	explicit ScopedLocale(const std::map<std::string, std::string> &texts)
	{
		QFile file(dir.filePath("test.ini"));
		if (file.open(QIODevice::WriteOnly)) {
			for (const auto &[key, text] : texts)
				file.write(QByteArray::fromStdString(key + "=\"" + text + "\"\n"));
			file.close();
		}
		moduleTextSetTable(text_lookup_create(file.fileName().toUtf8().constData()));
	}
	~ScopedLocale() { moduleTextSetTable(nullptr); }

	ScopedLocale(const ScopedLocale &) = delete;
	ScopedLocale &operator=(const ScopedLocale &) = delete;

private:
	QTemporaryDir dir;
};
