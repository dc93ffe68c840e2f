#pragma once

#include "models/ViscaParamOps.h"

#include <string>

// Parameters of the QK-H57P and QK-H45P families, the ZR714-IP, the ZR-318-30X, and of every model the registry does
// not know.
class H57p_ViscaOps final : public ViscaParamOps {
public:
	explicit H57p_ViscaOps(std::string modelName);

	void initParams() override;
};
