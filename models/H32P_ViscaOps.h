#pragma once

#include "models/ViscaParamOps.h"

#include <string>

// Parameters of the QK-H32P, QK-H32PN, ZR712-IP and QK-H33P.
class H32P_ViscaOps final : public ViscaParamOps {
public:
	explicit H32P_ViscaOps(std::string modelName);

	void initParams() override;
};
