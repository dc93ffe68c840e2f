#include "control/RawVisca.h"

#include "visca/ViscaFrame.h"
#include "visca/viscaIpModule.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <cstring>

namespace {

constexpr int headerSize = int(ViscaFrame::headerSize);
constexpr int maxLength = viscaIpModule::maxPayload;
constexpr unsigned char typeCommand = 0x00;
constexpr unsigned char typeInquiry = 0x10;
// A command is acknowledged, then completed: two reply waits; stale or foreign datagrams are skipped, bounded.
constexpr int maxDatagrams = 256;

} // namespace

QByteArray RawVisca::parse(const QString &text, QString &error)
{
	QString digits = text;
	digits.remove(QRegularExpression(QStringLiteral("\\s")));
	const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]*$"));
	if (digits.isEmpty() || !hex.match(digits).hasMatch() || digits.size() % 2 != 0) {
		error = QStringLiteral("bad argument: command (hex bytes such as \"81 09 04 47 FF\")");
		return {};
	}
	const QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
	if (bytes.size() < minLength || bytes.size() > maxLength || static_cast<unsigned char>(bytes.front()) != 0x81 ||
	    static_cast<unsigned char>(bytes.back()) != 0xFF || bytes.indexOf('\xFF') != bytes.size() - 1) {
		error = QStringLiteral("bad argument: command (one VISCA message: 81 ... FF, 3 to 16 bytes)");
		return {};
	}
	const unsigned char kind = static_cast<unsigned char>(bytes.at(1));
	if (kind != 0x01 && kind != 0x09) {
		error = QStringLiteral("bad argument: command (a command 81 01 ... or an inquiry 81 09 ...)");
		return {};
	}
	return bytes;
}

bool RawVisca::isInquiry(const QByteArray &visca)
{
	return visca.size() > 1 && static_cast<unsigned char>(visca.at(1)) == 0x09;
}

RawVisca::Result RawVisca::exchange(viscaIpModule &link, const QByteArray &visca)
{
	Result result;
	if (visca.size() < minLength || visca.size() > maxLength)
		return result;
	unsigned char packet[headerSize + maxLength];
	const unsigned int sequence =
		link.fillHeader(packet, isInquiry(visca) ? typeInquiry : typeCommand, static_cast<int>(visca.size()));
	std::memcpy(packet + headerSize, visca.constData(), static_cast<size_t>(visca.size()));
	if (link.sendPacket(packet, headerSize + static_cast<int>(visca.size())) < 0)
		return result;
	// Each read waits up to one reply wait; the whole exchange no longer than an acknowledgement and a completion.
	QElapsedTimer timer;
	timer.start();
	QByteArray datagram;
	for (int i = 0; i < maxDatagrams && timer.elapsed() < 2 * viscaIpModule::replyWaitMs; ++i) {
		if (link.readReply(datagram).isEmpty())
			break;
		if (!viscaIpModule::isViscaReply(datagram) || !viscaIpModule::carriesSequence(datagram, sequence))
			continue;
		result.replies.append(datagram.mid(headerSize));
		const int kind = static_cast<unsigned char>(datagram.at(headerSize + 1)) & 0xF0;
		if (kind == 0x60)
			break;
		if (kind == 0x50) {
			result.completed = true;
			break;
		}
	}
	return result;
}
