#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QUdpSocket>

class QElapsedTimer;

// VISCA over IP to one camera on UDP: the 8-byte header and its sequence numbers, sending, and the waits for the
// acknowledgement, completion or inquiry answer of each packet. Every call blocks until the camera answered or
// the reply wait ran out; a transport is used from one thread at a time.
class ViscaTransport {
public:
	static const int replyWaitMs = 350;
	static const int maxPayload = 16;
	static const int maxDiscarded = 4096; // stale datagrams dropped before one send

	void setCamera(const QString &ip, int port);
	QHostAddress cameraAddress() const { return m_cameraAddress; }
	int cameraPort() const { return m_cameraPort; }
	unsigned int sequenceCounter() const { return m_sequence; }

	unsigned int nextSequence();
	unsigned int fillHeader(unsigned char *buffer, unsigned char payloadType, int length);
	qint64 sendPacket(const unsigned char *bytes, int length);
	// One datagram from the camera's address and port within the reply wait, or empty; others are skipped.
	QByteArray readReply(QByteArray &reply);
	// Acknowledgement (90 4y FF) then completion (90 5y FF) carrying the number; an error reply fails at once.
	bool waitCommandDone(unsigned int sequence);
	bool isErrorReply(const QByteArray &reply);
	// The camera's answer (90 50 ... FF, of answerLength VISCA bytes unless 0) carrying the number, or empty.
	QByteArray exchangeInquiry(const unsigned char *packet, int length, unsigned int sequence,
				   int answerLength = 0);

	// Full command exchange: new number, up to `attempts` sends, each waiting for both replies.
	bool runCommand(const unsigned char *visca, int length, int attempts = 2);
	// Inquiry exchange with the sequence check; empty when no answer of answerLength VISCA bytes came.
	QByteArray runInquiry(const unsigned char *visca, int length, int answerLength);
	// Inquiry sent once; the first answer of answerLength VISCA bytes from the camera, whatever its number.
	QByteArray runUncheckedInquiry(const unsigned char *visca, int length, int answerLength);
	// Caller-made inquiry bytes (at most 16); the first datagram, header included.
	QByteArray sendRawInquiry(QByteArray &reply, const unsigned char *payload, int length);
	// One address-set packet and one reply read.
	QByteArray probeAddressSet();

	// Reply decoding: positions count from the start of the datagram; beyond its end they read as 0.
	static int replyDigit(const QByteArray &reply, int position);
	static unsigned int replySequence(const QByteArray &reply);
	// VISCA-over-IP framing of a camera-1 reply: 01 xx, the length of what follows, 90 ... FF.
	static bool isViscaReply(const QByteArray &datagram);
	// Sequence bytes 4 to 7 exactly as they were sent for this number.
	static bool carriesSequence(const QByteArray &datagram, unsigned int sequence);
	// False when the most recent inquiry got no valid answer.
	bool lastInquiryAnswered() const { return m_lastInquiryAnswered; }
	// For answers made of several inquiries.
	void setLastInquiryAnswered(bool answered) { m_lastInquiryAnswered = answered; }

private:
	bool hasDatagram() const;
	// Next datagram from the camera within the wait that timer began; false when the wait ran out.
	bool receiveFromCamera(QByteArray &datagram, const QElapsedTimer &timer);

	QUdpSocket m_socket;
	QHostAddress m_cameraAddress;
	int m_cameraPort = 0;
	unsigned int m_sequence = 0;
	bool m_lastInquiryAnswered = false;
};
