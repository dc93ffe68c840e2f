#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class viscaIpModule;

// One caller-made VISCA message (a command or an inquiry) sent over a camera's link, and the camera's replies to it.
class RawVisca {
public:
	static constexpr int minLength = 3;

	struct Result {
		// The camera completed the command or answered the inquiry (an error reply or silence: false).
		bool completed = false;
		// The VISCA bytes of each reply that carried the message's number, in arrival order.
		QList<QByteArray> replies;
	};

	// Hex text such as "81 09 04 47 FF" (blanks optional between bytes) as bytes of one VISCA message to camera 1:
	// 81 first, FF last and nowhere else, 3 to 16 bytes. Empty, with the reason in error, when it is not one.
	static QByteArray parse(const QString &text, QString &error);
	static bool isInquiry(const QByteArray &visca);
	// Sends the message with the next number and collects the replies carrying it until the completion, an
	// error, the inquiry's answer or the end of a reply wait. Runs on the link's thread.
	static Result exchange(viscaIpModule &link, const QByteArray &visca);
};
