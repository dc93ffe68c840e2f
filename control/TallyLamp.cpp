#include "control/TallyLamp.h"

#include "visca/ViscaFrame.h"
#include "visca/viscaIpModule.h"

#include <cstring>

namespace {

constexpr int headerSize = int(ViscaFrame::headerSize);
constexpr unsigned char typeCommand = 0x00;

} // namespace

QByteArray TallyLamp::command(Lamp lamp, bool on)
{
	const char state = on ? 0x02 : 0x03;
	const char red[] = {char(0x81), 0x01, 0x7E, 0x01, 0x0A, 0x00, state, char(0xFF)};
	const char green[] = {char(0x81), 0x01, 0x7E, 0x04, 0x1A, 0x00, state, char(0xFF)};
	return QByteArray(lamp == Lamp::Red ? red : green, sizeof(red));
}

bool TallyLamp::send(viscaIpModule &link, Lamp lamp, bool on)
{
	const QByteArray visca = command(lamp, on);
	unsigned char packet[headerSize + viscaIpModule::maxPayload];
	const unsigned int sequence = link.fillHeader(packet, typeCommand, int(visca.size()));
	std::memcpy(packet + headerSize, visca.constData(), size_t(visca.size()));
	if (link.sendPacket(packet, headerSize + int(visca.size())) < 0)
		return false;
	return link.waitCommandDone(sequence);
}
