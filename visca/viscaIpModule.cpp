#include "viscaIpModule.h"

#include "CameraWorker.h"
#include "DeveloperLog.h"
#include "ViscaFrame.h"

#include <QElapsedTimer>
#include <QThread>
#include <QUdpSocket>
#include <QtDebug>

#include <cstring>

namespace {

const unsigned char typeCommand = 0x00;
const unsigned char typeInquiry = 0x10;
const unsigned char replyAddress = 0x90; // camera 1
const int headerSize = static_cast<int>(ViscaFrame::headerSize);
// VISCA bytes of an inquiry answer: 90 50 0p FF, or 90 50 0p 0q 0r 0s FF.
const int shortAnswer = 4;
const int longAnswer = 7;
// Longest reply-wait slice between two looks at the worker's stop request.
const int stopCheckMs = 20;

// One hexadecimal digit per byte, most significant first.
void putDigits(unsigned char *out, unsigned int value)
{
	ViscaFrame::putSequence(out, value);
}

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

int clampPosition(float x, unsigned int highBound, unsigned int lowBound)
{
	if (!(x > lowBound))
		return static_cast<int>(lowBound);
	if (x >= highBound)
		return static_cast<int>(highBound);
	return static_cast<int>(x + 1);
}

} // namespace

viscaIpModule::viscaIpModule(QObject *parent) : QObject(parent), m_socket(new QUdpSocket(this)) {}

viscaIpModule::~viscaIpModule() = default;

// --- transport -------------------------------------------------------------------------------------

unsigned int viscaIpModule::nextSequence()
{
	if (m_sequence > 65534)
		m_sequence = 0;
	else
		m_sequence++;
	return m_sequence;
}

unsigned int viscaIpModule::fillHeader(unsigned char *buffer, unsigned char payloadType, int length)
{
	const unsigned int sequence = nextSequence();
	ViscaFrame::writeHeader(buffer, 0x0100u | payloadType, static_cast<size_t>(length), sequence);
	return sequence;
}

bool viscaIpModule::hasDatagram() const
{
	// Before the first write (or after close) the socket is unbound and cannot hold anything.
	return m_socket->state() == QAbstractSocket::BoundState && m_socket->hasPendingDatagrams();
}

qint64 viscaIpModule::sendPacket(const unsigned char *bytes, int length)
{
	// A stopping worker sends nothing more: a repeated drive would move the camera after the panel has gone.
	if (CameraWorker::stopRequested())
		return -1;
	const QByteArray packet(reinterpret_cast<const char *>(bytes), length);
	// Late answers to earlier packets would otherwise meet this packet's wait; bounded against a flood.
	for (int i = 0; i < maxDiscarded && hasDatagram(); i++)
		m_socket->readDatagram(nullptr, 0);
	return m_socket->writeDatagram(packet, m_cameraAddress, static_cast<quint16>(m_cameraPort));
}

bool viscaIpModule::receiveFromCamera(QByteArray &datagram, const QElapsedTimer &timer)
{
	for (;;) {
		while (hasDatagram()) {
			QHostAddress sender;
			quint16 senderPort = 0;
			datagram.resize(static_cast<int>(qMax<qint64>(m_socket->pendingDatagramSize(), 0)));
			const qint64 got =
				m_socket->readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
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
		m_socket->waitForReadyRead(static_cast<int>(qMin<qint64>(left, stopCheckMs)));
		// An unbound socket (nothing sent yet) returns at once and cannot receive: wait out the time.
		if (!hasDatagram()) {
			const qint64 rest = replyWaitMs - timer.elapsed();
			if (rest > 0)
				QThread::msleep(static_cast<unsigned long>(qMin<qint64>(rest, 10)));
		}
	}
}

QByteArray viscaIpModule::readReply(QByteArray &reply)
{
	reply.clear();
	QElapsedTimer timer;
	timer.start();
	receiveFromCamera(reply, timer);
	return reply;
}

int viscaIpModule::replyDigit(const QByteArray &reply, int position)
{
	if (position < 0 || position >= reply.size())
		return 0;
	return static_cast<unsigned char>(reply.at(position)) & 0x0F;
}

unsigned int viscaIpModule::replySequence(const QByteArray &reply)
{
	return ViscaFrame::sequence(bytesOf(reply), sizeOf(reply));
}

bool viscaIpModule::isViscaReply(const QByteArray &datagram)
{
	return ViscaFrame::isReply(bytesOf(datagram), sizeOf(datagram), replyAddress);
}

bool viscaIpModule::carriesSequence(const QByteArray &datagram, unsigned int sequence)
{
	return ViscaFrame::carriesSequence(bytesOf(datagram), sizeOf(datagram), sequence);
}

bool viscaIpModule::isErrorReply(const QByteArray &reply)
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

bool viscaIpModule::waitCommandDone(unsigned int sequence)
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

QByteArray viscaIpModule::exchangeInquiry(const unsigned char *packet, int length, unsigned int sequence,
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

bool viscaIpModule::runCommand(const unsigned char *visca, int length, int attempts)
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

bool viscaIpModule::runCommandOnce(const unsigned char *visca, int length)
{
	return runCommand(visca, length, 1);
}

QByteArray viscaIpModule::runInquiry(const unsigned char *visca, int length, int answerLength)
{
	unsigned char packet[headerSize + maxPayload];
	const unsigned int sequence = fillHeader(packet, typeInquiry, length);
	std::memcpy(packet + headerSize, visca, static_cast<size_t>(length));
	return exchangeInquiry(packet, length + headerSize, sequence, answerLength);
}

QByteArray viscaIpModule::runUncheckedInquiry(const unsigned char *visca, int length, int answerLength)
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

QByteArray viscaIpModule::sendRawInquiry(QByteArray &reply, const unsigned char *payload, int length)
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

void viscaIpModule::setCamera(const QString &ip, int port)
{
	m_socket->close();
	m_cameraAddress = QHostAddress(ip);
	m_cameraPort = port;
}

QByteArray viscaIpModule::probeAddressSet()
{
	static const unsigned char addressSet[] = {0x88, 0x30, 0x01, 0xFF};
	unsigned char packet[headerSize + sizeof(addressSet)];
	fillHeader(packet, typeCommand, sizeof(addressSet));
	std::memcpy(packet + headerSize, addressSet, sizeof(addressSet));
	sendPacket(packet, sizeof(packet));
	QByteArray reply;
	return readReply(reply);
}

bool viscaIpModule::connectCamera(const QString &ip, int port)
{
	setCamera(ip, port);
	return replyDigit(probeAddressSet(), 10) == 2;
}

bool viscaIpModule::isCameraAlive()
{
	return !probeAddressSet().isEmpty();
}

// --- picture settings with per-family variants -------------------------------------------------------

bool viscaIpModule::setHue(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x4F, 0x00, 0x00, 0x00, static_cast<unsigned char>(value),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getHue()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x4F, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), longAnswer), 13);
}

bool viscaIpModule::setSaturation(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x49, 0x00, 0x00, 0x00, static_cast<unsigned char>(value),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getSaturation()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x49, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return replyDigit(reply, 11) * 16 + replyDigit(reply, 13);
}

bool viscaIpModule::setSharpness(int value)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x04,
				       0x42,
				       0x00,
				       0x00,
				       static_cast<unsigned char>(value >> 4),
				       static_cast<unsigned char>(value & 0x0F),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getSharpness()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x42, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), longAnswer), 13);
}

bool viscaIpModule::setPresetSpeed(int speed)
{
	const unsigned char visca[] = {0x81, 0x01, 0x06, 0x20, static_cast<unsigned char>(speed), 0xFF};
	return runCommand(visca, sizeof(visca));
}

// --- motion ------------------------------------------------------------------------------------------

bool viscaIpModule::moveWith(unsigned char panDirection, unsigned char tiltDirection)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x06,
				       0x01,
				       static_cast<unsigned char>(m_panSpeed),
				       static_cast<unsigned char>(m_tiltSpeed),
				       panDirection,
				       tiltDirection,
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::moveUp()
{
	return moveWith(0x03, 0x01);
}

bool viscaIpModule::moveDown()
{
	return moveWith(0x03, 0x02);
}

bool viscaIpModule::moveLeft()
{
	return moveWith(0x01, 0x03);
}

bool viscaIpModule::moveRight()
{
	return moveWith(0x02, 0x03);
}

bool viscaIpModule::moveUpLeft()
{
	return moveWith(0x01, 0x01);
}

bool viscaIpModule::moveUpRight()
{
	return moveWith(0x02, 0x01);
}

bool viscaIpModule::moveDownLeft()
{
	return moveWith(0x01, 0x02);
}

bool viscaIpModule::moveDownRight()
{
	return moveWith(0x02, 0x02);
}

bool viscaIpModule::panTiltStop()
{
	return moveWith(0x03, 0x03);
}

bool viscaIpModule::panTiltHome()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x06, 0x04, 0xFF};
	return runCommand(visca, sizeof(visca));
}

void viscaIpModule::setPanSpeed(int speed)
{
	m_panSpeed = speed;
}

void viscaIpModule::setTiltSpeed(int speed)
{
	m_tiltSpeed = speed;
}

// --- zoom and focus ----------------------------------------------------------------------------------

bool viscaIpModule::zoomTele()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x07, static_cast<unsigned char>(0x20 | m_zoomSpeed), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::zoomWide()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x07, static_cast<unsigned char>(0x30 | m_zoomSpeed), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::zoomStop()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x04, 0x07, 0x00, 0xFF};
	CameraWorker::sleepFor(50);
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setZoomPosition(int position)
{
	unsigned char visca[] = {0x81, 0x01, 0x04, 0x47, 0, 0, 0, 0, static_cast<unsigned char>(m_zoomSpeed), 0xFF};
	putDigits(visca + 4, static_cast<unsigned int>(position));
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getZoomPosition()
{
	static const unsigned char clear[] = {0x81, 0x01, 0x00, 0x01, 0xFF};
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x47, 0xFF};
	runCommand(clear, sizeof(clear));
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return (replyDigit(reply, 10) << 12) | (replyDigit(reply, 11) << 8) | (replyDigit(reply, 12) << 4) |
	       replyDigit(reply, 13);
}

void viscaIpModule::setZoomSpeed(int speed)
{
	m_zoomSpeed = speed;
}

bool viscaIpModule::focusNear()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x08, static_cast<unsigned char>(0x30 | m_focusSpeed), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::focusFar()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x08, static_cast<unsigned char>(0x20 | m_focusSpeed), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::focusStop()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x04, 0x08, 0x00, 0xFF};
	CameraWorker::sleepFor(50);
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setFocusPosition(int position)
{
	unsigned char visca[] = {0x81, 0x01, 0x04, 0x48, 0, 0, 0, 0, 0xFF};
	putDigits(visca + 4, static_cast<unsigned int>(position));
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getFocusPosition()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x48, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return (replyDigit(reply, 10) << 12) | (replyDigit(reply, 11) << 8) | (replyDigit(reply, 12) << 4) |
	       replyDigit(reply, 13);
}

bool viscaIpModule::setAutoFocus(bool on)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x38, static_cast<unsigned char>(on ? 0x02 : 0x03), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::isAutoFocus()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x38, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), shortAnswer), 10) == 2;
}

void viscaIpModule::setFocusSpeed(int speed)
{
	m_focusSpeed = speed;
}

// --- presets -----------------------------------------------------------------------------------------

void viscaIpModule::setPresetNumber(int number)
{
	m_presetNumber = number;
}

bool viscaIpModule::recallPreset()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x3F, 0x02, static_cast<unsigned char>(m_presetNumber), 0xFF};
	return runCommandOnce(visca, sizeof(visca));
}

bool viscaIpModule::storePreset()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x3F, 0x01, static_cast<unsigned char>(m_presetNumber), 0xFF};
	return runCommand(visca, sizeof(visca));
}

// --- exposure, white balance and picture -------------------------------------------------------------

bool viscaIpModule::setExposureMode(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x39, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getExposureMode()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x39, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), shortAnswer), 10);
}

bool viscaIpModule::setShutter(int value)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x04,
				       0x4A,
				       0x00,
				       0x00,
				       static_cast<unsigned char>(value >> 4),
				       static_cast<unsigned char>(value & 0x0F),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getShutter()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x4A, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return replyDigit(reply, 12) * 16 + replyDigit(reply, 13);
}

bool viscaIpModule::setIris(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x4B, 0x00, 0x00, 0x00, static_cast<unsigned char>(value),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getIris()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x4B, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), longAnswer), 13);
}

bool viscaIpModule::setGain(int value)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x04,
				       0x4C,
				       0x00,
				       0x00,
				       static_cast<unsigned char>(value >> 4),
				       static_cast<unsigned char>(value & 0x0F),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getGain()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x4C, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), longAnswer), 13);
}

bool viscaIpModule::setWhiteBalanceMode(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x35, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getWhiteBalanceMode()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x35, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), shortAnswer), 10);
}

bool viscaIpModule::whiteBalanceOnePush()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x04, 0x10, 0x05, 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setRedGain(int value)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x04,
				       0x43,
				       0x00,
				       0x00,
				       static_cast<unsigned char>(value >> 4),
				       static_cast<unsigned char>(value & 0x0F),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getRedGain()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x43, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return replyDigit(reply, 12) * 16 + replyDigit(reply, 13);
}

bool viscaIpModule::setBlueGain(int value)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x04,
				       0x44,
				       0x00,
				       0x00,
				       static_cast<unsigned char>(value >> 4),
				       static_cast<unsigned char>(value & 0x0F),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getBlueGain()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x44, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return replyDigit(reply, 12) * 16 + replyDigit(reply, 13);
}

bool viscaIpModule::setGamma(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x5B, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getGamma()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x5B, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), shortAnswer), 10);
}

bool viscaIpModule::setImageMode(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x3F, 0x04, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getImageMode()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x3F, 0x04, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), shortAnswer), 10);
}

bool viscaIpModule::setMirror(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x61, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setFlip(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x66, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setMirrorFlip(int mode)
{
	switch (mode) {
	case 0:
		setMirror(0x03);
		CameraWorker::sleepFor(80);
		return setFlip(0x03);
	case 1:
		setFlip(0x03);
		CameraWorker::sleepFor(80);
		return setMirror(0x02);
	case 2:
		setMirror(0x03);
		CameraWorker::sleepFor(80);
		return setFlip(0x02);
	case 3:
		setMirror(0x02);
		CameraWorker::sleepFor(80);
		return setFlip(0x02);
	default:
		return false;
	}
}

int viscaIpModule::getMirrorFlip()
{
	static const unsigned char mirror[] = {0x81, 0x09, 0x04, 0x61, 0xFF};
	static const unsigned char flip[] = {0x81, 0x09, 0x04, 0x66, 0xFF};
	const int m = replyDigit(runInquiry(mirror, sizeof(mirror), shortAnswer), 10);
	const bool mirrorAnswered = m_lastInquiryAnswered;
	const int f = replyDigit(runInquiry(flip, sizeof(flip), shortAnswer), 10);
	m_lastInquiryAnswered = m_lastInquiryAnswered && mirrorAnswered;
	switch (m * 10 + f) {
	case 22:
		return 3;
	case 23:
		return 1;
	case 32:
		return 2;
	default:
		return 0;
	}
}

// --- pan/tilt limits ---------------------------------------------------------------------------------

bool viscaIpModule::sendLimit(unsigned char corner, int pan, int tilt)
{
	unsigned char visca[] = {0x81, 0x01, 0x06, 0x07, 0x00, corner, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
	putDigits(visca + 6, static_cast<unsigned int>(pan));
	putDigits(visca + 10, static_cast<unsigned int>(tilt));
	return runCommand(visca, sizeof(visca));
}

void viscaIpModule::setPanLeftLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const float x = 65535 + static_cast<float>(span / 170.0) * static_cast<float>(degrees);
	m_downLeftPan = clampPosition(x, highBound, lowBound);
	sendLimit(0x00, m_downLeftPan, m_downLeftTilt);
}

void viscaIpModule::setTiltDownLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const unsigned int q = span / 30;
	const float x = 65535 + static_cast<float>(q) * static_cast<float>(degrees);
	m_downLeftTilt = clampPosition(x, highBound, lowBound);
	sendLimit(0x00, m_downLeftPan, m_downLeftTilt);
}

void viscaIpModule::setPanRightLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const float x = static_cast<float>(span / 170.0) * static_cast<float>(degrees);
	m_upRightPan = clampPosition(x, highBound, lowBound);
	sendLimit(0x01, m_upRightPan, m_upRightTilt);
}

void viscaIpModule::setTiltUpLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const float x = static_cast<float>(span / 90.0) * static_cast<float>(degrees);
	m_upRightTilt = clampPosition(x, highBound, lowBound);
	sendLimit(0x01, m_upRightPan, m_upRightTilt);
}

bool viscaIpModule::clearDownLeftLimit()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x06, 0x07, 0x01, 0x00, 0x07, 0x0F,
					      0x0F, 0x0F, 0x07, 0x0F, 0x0F, 0x0F, 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::clearUpRightLimit()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x06, 0x07, 0x01, 0x01, 0x07, 0x0F,
					      0x0F, 0x0F, 0x07, 0x0F, 0x0F, 0x0F, 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setSpeedCompensation(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x06, 0x1F, 0x01, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}
