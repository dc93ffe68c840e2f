#pragma once

#include "viscaIpModule.h"

// Link for the QK-JS4: no address-set probe, a vendor command as liveness check, and vendor
// commands for hue, saturation and sharpness.
class JS4ViscaIPModule : public viscaIpModule {
	Q_OBJECT

public:
	JS4ViscaIPModule();

	bool connectCamera(const QString &ip, int port) override;
	bool isCameraAlive() override;
	bool setHue(int value) override;
	int getHue() override;
	bool setSaturation(int value) override;
	int getSaturation() override;
	bool setSharpness(int value) override;
	int getSharpness() override;

private:
	bool setVendorPicture(unsigned char setting, int value);
	int getVendorPicture(unsigned char setting);
};
