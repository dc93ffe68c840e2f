#pragma once

#include "models/ViscaParamOps.h"

#include <string>

// Parameters of the QK-WD406P: fixed iris and focus, a zoom range that starts at 0x4000.
class WD406P_ViscaOps final : public ViscaParamOps {
public:
	explicit WD406P_ViscaOps(std::string modelName);

	void initParams() override;
};
