#include "H32PViscaIPModule.h"

H32PViscaIPModule::H32PViscaIPModule() : viscaIpModule(nullptr) {}

bool H32PViscaIPModule::setPresetSpeed(int speed)
{
	const unsigned char visca[] = {0x81, 0x01, 0x7E, 0x03, 0x02, static_cast<unsigned char>(speed), 0xFF};
	return runCommandOnce(visca, sizeof(visca));
}
