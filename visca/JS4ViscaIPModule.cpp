#include "JS4ViscaIPModule.h"

namespace {

const unsigned char settingHue = 0x44;
const unsigned char settingSaturation = 0x43;
const unsigned char settingSharpness = 0x40;

} // namespace

JS4ViscaIPModule::JS4ViscaIPModule() : viscaIpModule(nullptr) {}

bool JS4ViscaIPModule::connectCamera(const QString &ip, int port)
{
	// This camera does not take the address-set probe.
	setCamera(ip, port);
	return true;
}

bool JS4ViscaIPModule::isCameraAlive()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x04, 0x00, 0x12, 0xFF};
	unsigned char packet[8 + sizeof(visca)];
	fillHeader(packet, 0x00, sizeof(visca));
	for (size_t i = 0; i < sizeof(visca); i++)
		packet[8 + i] = visca[i];
	sendPacket(packet, sizeof(packet));
	QByteArray reply;
	return !readReply(reply).isEmpty();
}

bool JS4ViscaIPModule::setVendorPicture(unsigned char setting, int value)
{
	const unsigned char visca[] = {0x81,
				       0x01,
				       0x0E,
				       0x24,
				       setting,
				       static_cast<unsigned char>(value >> 4),
				       static_cast<unsigned char>(value & 0x0F),
				       0xFF};
	return runCommandOnce(visca, sizeof(visca));
}

int JS4ViscaIPModule::getVendorPicture(unsigned char setting)
{
	const unsigned char visca[] = {0x81, 0x09, 0x0E, 0x24, setting, 0xFF};
	return replyDigit(runUncheckedInquiry(visca, sizeof(visca), 7), 13);
}

bool JS4ViscaIPModule::setHue(int value)
{
	return setVendorPicture(settingHue, value);
}

int JS4ViscaIPModule::getHue()
{
	return getVendorPicture(settingHue);
}

bool JS4ViscaIPModule::setSaturation(int value)
{
	return setVendorPicture(settingSaturation, value);
}

int JS4ViscaIPModule::getSaturation()
{
	return getVendorPicture(settingSaturation);
}

bool JS4ViscaIPModule::setSharpness(int value)
{
	return setVendorPicture(settingSharpness, value);
}

int JS4ViscaIPModule::getSharpness()
{
	return getVendorPicture(settingSharpness);
}
