#pragma once

#include "models/ViscaParamOps.h"

#include <string>

// Parameters of the QK-WD909P and QK-WD508P families: no pan/tilt drive, so no limits and no pan or tilt speeds.
class WD909P_ViscaOps final : public ViscaParamOps {
public:
	explicit WD909P_ViscaOps(std::string modelName);

	void initParams() override;
};
