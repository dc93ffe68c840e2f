#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>

inline void PrintTo(const QString &text, std::ostream *out) // readable failure messages
{
	*out << '"' << text.toStdString() << '"';
}

extern QStringList logged; // the settings log lines, gathered through Utils's sink by main()

inline QByteArray fileBytes(const QString &path)
{
	QFile file(path);
	return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void putBytes(const QString &path, const QByteArray &bytes, mode_t mode = 0644)
{
	QDir().mkpath(QFileInfo(path).path());
	QFile file(path);
	ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
	ASSERT_EQ(file.write(bytes), bytes.size());
	file.close();
	ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

inline mode_t modeOf(const QString &path)
{
	struct stat status {};
	return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}
