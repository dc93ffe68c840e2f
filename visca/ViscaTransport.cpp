#include "ViscaTransport.h"

#include "CameraWorker.h"
#include "DeveloperLog.h"
#include "ViscaFrame.h"

#include <QElapsedTimer>
#include <QThread>

#include <cstring>

namespace {

const unsigned char typeCommand = 0x00;
const unsigned char typeInquiry = 0x10;
const unsigned char replyAddress = 0x90; // camera 1
const int headerSize = static_cast<int>(ViscaFrame::headerSize);
// Longest reply-wait slice between two looks at the worker's stop request.
const int stopCheckMs = 20;

const unsigned char *bytesOf(const QByteArray &datagram)
{
	return reinterpret_cast<const unsigned char *>(datagram.constData());
}

size_t sizeOf(const QByteArray &datagram)
{
	return static_cast<size_t>(datagram.size());
}

ViscaFrame::ReplyKind replyKind(const QByteArray &reply)
{
	return ViscaFrame::replyKind(bytesOf(reply), sizeOf(reply));
}

} // namespace

unsigned int ViscaTransport::nextSequence()
{
	if (m_sequence > 65534)
		m_sequence = 0;
	else
		m_sequence++;
	return m_sequence;
}

unsigned int ViscaTransport::fillHeader(unsigned char *buffer, unsigned char payloadType, int length)
{
	const unsigned int sequence = nextSequence();
	ViscaFrame::writeHeader(buffer, 0x0100u | payloadType, static_cast<size_t>(length), sequence);
	return sequence;
}

bool ViscaTransport::hasDatagram() const
{
	// Before the first write (or after close) the socket is unbound and cannot hold anything.
	return m_socket.state() == QAbstractSocket::BoundState && m_socket.hasPendingDatagrams();
}

qint64 ViscaTransport::sendPacket(const unsigned char *bytes, int length)
{
	// A stopping worker sends nothing more: a repeated drive would move the camera after the panel has gone.
	if (CameraWorker::stopRequested())
		return -1;
	const QByteArray packet(reinterpret_cast<const char *>(bytes), length);
	// Late answers to earlier packets would otherwise meet this packet's wait; bounded against a flood.
	for (int i = 0; i < maxDiscarded && hasDatagram(); i++)
		m_socket.readDatagram(nullptr, 0);
	return m_socket.writeDatagram(packet, m_cameraAddress, static_cast<quint16>(m_cameraPort));
}

bool ViscaTransport::receiveFromCamera(QByteArray &datagram, const QElapsedTimer &timer)
{
	for (;;) {
		while (hasDatagram()) {
			QHostAddress sender;
			quint16 senderPort = 0;
			datagram.resize(static_cast<int>(qMax<qint64>(m_socket.pendingDatagramSize(), 0)));
			const qint64 got =
				m_socket.readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
			datagram.resize(static_cast<int>(qMax<qint64>(got, 0)));
			if (got >= 0 && senderPort == m_cameraPort &&
			    sender.isEqual(m_cameraAddress, QHostAddress::ConvertV4MappedToIPv4))
				return true;
			if (timer.elapsed() >= replyWaitMs)
				break;
		}
		const qint64 left = replyWaitMs - timer.elapsed();
		if (left <= 0 || CameraWorker::stopRequested()) {
			datagram.clear();
			return false;
		}
		// In slices, so that a stopping worker is not kept waiting for the whole reply time.
		m_socket.waitForReadyRead(static_cast<int>(qMin<qint64>(left, stopCheckMs)));
		// An unbound socket (nothing sent yet) returns at once and cannot receive: wait out the time.
		if (!hasDatagram()) {
			const qint64 rest = replyWaitMs - timer.elapsed();
			if (rest > 0)
				QThread::msleep(static_cast<unsigned long>(qMin<qint64>(rest, 10)));
		}
	}
}

QByteArray ViscaTransport::readReply(QByteArray &reply)
{
	reply.clear();
	QElapsedTimer timer;
	timer.start();
	receiveFromCamera(reply, timer);
	return reply;
}

int ViscaTransport::replyDigit(const QByteArray &reply, int position)
{
	if (position < 0 || position >= reply.size())
		return 0;
	return static_cast<unsigned char>(reply.at(position)) & 0x0F;
}

unsigned int ViscaTransport::replySequence(const QByteArray &reply)
{
	return ViscaFrame::sequence(bytesOf(reply), sizeOf(reply));
}

bool ViscaTransport::isViscaReply(const QByteArray &datagram)
{
	return ViscaFrame::isReply(bytesOf(datagram), sizeOf(datagram), replyAddress);
}

bool ViscaTransport::carriesSequence(const QByteArray &datagram, unsigned int sequence)
{
	return ViscaFrame::carriesSequence(bytesOf(datagram), sizeOf(datagram), sequence);
}

bool ViscaTransport::isErrorReply(const QByteArray &reply)
{
	if (reply.size() < 10 || static_cast<unsigned char>(reply.at(8)) != replyAddress ||
	    replyKind(reply) != ViscaFrame::ReplyKind::Error)
		return false;
	const int code = reply.size() > 10 ? static_cast<unsigned char>(reply.at(10)) : 0;
	const char *text = nullptr;
	switch (code) {
	case 0x02:
		text = "error = ACK_SYNTAX_ERROR ";
		break;
	case 0x03:
		text = "error = ACK_SOCKET_FULL ";
		break;
	case 0x05:
		text = "error = ACK_NO_SOCKET ";
		break;
	case 0x41:
		text = "error = ACK_COMMAND_NOT_ECECUTE ";
		break;
	default:
		break;
	}
	if (text)
		DeveloperLog::line("%s %d\n", text, code);
	return true;
}

bool ViscaTransport::waitCommandDone(unsigned int sequence)
{
	QByteArray reply;
	QElapsedTimer timer;
	timer.start();
	bool acknowledged = false;
	while (receiveFromCamera(reply, timer)) {
		if (!isViscaReply(reply) || !carriesSequence(reply, sequence))
			continue;
		const ViscaFrame::ReplyKind kind = replyKind(reply);
		if (kind == ViscaFrame::ReplyKind::Error) {
			isErrorReply(reply); // logs the known codes
			return false;
		}
		if (reply.size() != headerSize + 3)
			continue;
		if (kind == ViscaFrame::ReplyKind::Ack && !acknowledged) {
			// The completion wait starts at the acknowledgement, as long as the first one.
			acknowledged = true;
			timer.restart();
		} else if (kind == ViscaFrame::ReplyKind::Completion && acknowledged) {
			return true;
		}
	}
	DeveloperLog::line("check count number Error!!");
	return false;
}

QByteArray ViscaTransport::exchangeInquiry(const unsigned char *packet, int length, unsigned int sequence,
					   int answerLength)
{
	sendPacket(packet, length);
	QByteArray reply;
	QElapsedTimer timer;
	timer.start();
	unsigned int lastSeen = 0;
	m_lastInquiryAnswered = false;
	while (receiveFromCamera(reply, timer)) {
		if (!isViscaReply(reply))
			continue;
		lastSeen = replySequence(reply);
		const int kind = static_cast<unsigned char>(reply.at(9));
		if (!carriesSequence(reply, sequence) || replyKind(reply) == ViscaFrame::ReplyKind::Ack)
			continue;
		if (kind == 0x50 && (answerLength == 0 || reply.size() == headerSize + answerLength)) {
			m_lastInquiryAnswered = true;
			return reply;
		}
		// The camera's own reply, but an error or a malformed answer: no value.
		isErrorReply(reply);
		return QByteArray();
	}
	DeveloperLog::line("check count number Error!!  = %u", lastSeen);
	return QByteArray();
}

bool ViscaTransport::runCommand(const unsigned char *visca, int length, int attempts)
{
	unsigned char packet[headerSize + maxPayload];
	const unsigned int sequence = fillHeader(packet, typeCommand, length);
	std::memcpy(packet + headerSize, visca, static_cast<size_t>(length));
	bool done = false;
	for (int i = 0; i < attempts && !done; i++) {
		sendPacket(packet, length + headerSize);
		done = waitCommandDone(sequence);
	}
	return done;
}

QByteArray ViscaTransport::runInquiry(const unsigned char *visca, int length, int answerLength)
{
	unsigned char packet[headerSize + maxPayload];
	const unsigned int sequence = fillHeader(packet, typeInquiry, length);
	std::memcpy(packet + headerSize, visca, static_cast<size_t>(length));
	return exchangeInquiry(packet, length + headerSize, sequence, answerLength);
}

QByteArray ViscaTransport::runUncheckedInquiry(const unsigned char *visca, int length, int answerLength)
{
	unsigned char packet[headerSize + maxPayload];
	fillHeader(packet, typeInquiry, length);
	std::memcpy(packet + headerSize, visca, static_cast<size_t>(length));
	sendPacket(packet, length + headerSize);
	QByteArray reply;
	QElapsedTimer timer;
	timer.start();
	while (receiveFromCamera(reply, timer)) {
		if (isViscaReply(reply) && static_cast<unsigned char>(reply.at(9)) == 0x50 &&
		    reply.size() == headerSize + answerLength) {
			m_lastInquiryAnswered = true;
			return reply;
		}
	}
	m_lastInquiryAnswered = false;
	return QByteArray();
}

QByteArray ViscaTransport::sendRawInquiry(QByteArray &reply, const unsigned char *payload, int length)
{
	// The packet buffer holds at most 16 payload bytes; longer payloads are cut there, header included.
	if (length < 0)
		length = 0;
	if (length > maxPayload)
		length = maxPayload;
	unsigned char packet[headerSize + maxPayload];
	fillHeader(packet, typeInquiry, length);
	if (length > 0)
		std::memcpy(packet + headerSize, payload, static_cast<size_t>(length));
	sendPacket(packet, length + headerSize);
	return readReply(reply);
}

void ViscaTransport::setCamera(const QString &ip, int port)
{
	m_socket.close();
	m_cameraAddress = QHostAddress(ip);
	m_cameraPort = port;
}

QByteArray ViscaTransport::probeAddressSet()
{
	static const unsigned char addressSet[] = {0x88, 0x30, 0x01, 0xFF};
	unsigned char packet[headerSize + sizeof(addressSet)];
	fillHeader(packet, typeCommand, sizeof(addressSet));
	std::memcpy(packet + headerSize, addressSet, sizeof(addressSet));
	sendPacket(packet, sizeof(packet));
	QByteArray reply;
	return readReply(reply);
}
