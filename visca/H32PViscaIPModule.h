#pragma once

#include "viscaIpModule.h"

// Link for the 32P family: its preset speed uses a vendor command, sent once.
class H32PViscaIPModule : public viscaIpModule {
	Q_OBJECT

public:
	H32PViscaIPModule();

	bool setPresetSpeed(int speed) override;
};
