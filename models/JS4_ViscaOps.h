#pragma once

#include "models/ViscaParamOps.h"

#include <string>

// Parameters of the QK-JS4: no mirror/flip, image modes or preset speeds.
class JS4_ViscaOps final : public ViscaParamOps {
public:
	explicit JS4_ViscaOps(std::string modelName);

	void initParams() override;
};
