#pragma once

#include <QString>
#include <QStringList>

// Collects the debug log lines written while it exists, so a test can compare them one by one.
class MessageLog {
public:
	MessageLog()
	{
		lines().clear();
		previous = qInstallMessageHandler(&MessageLog::handler);
	}
	~MessageLog() { qInstallMessageHandler(previous); }

	MessageLog(const MessageLog &) = delete;
	MessageLog &operator=(const MessageLog &) = delete;

	QStringList taken() const { return lines(); }

private:
	static QStringList &lines()
	{
		static QStringList collected;
		return collected;
	}
	static void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
	{
		if (type == QtDebugMsg)
			lines() << message;
	}

	QtMessageHandler previous;
};
