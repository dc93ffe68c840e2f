#include "models/WD406P_ViscaOps.h"

#include <utility>

WD406P_ViscaOps::WD406P_ViscaOps(std::string modelName) : ViscaParamOps(std::move(modelName))
{
	WD406P_ViscaOps::initParams();
}

void WD406P_ViscaOps::initParams()
{
	// clang-format off
	static const ViscaParamRanges ranges = {
		// zoomMax, zoomMin, focusMax, focusMin | spareA0..3
		// rGain, bGain, sharpness, saturation, hue, gamma: max, min
		// limits pan right, pan left, tilt up, tilt down: max, min
		// speeds zoom: min, max; pan, tilt, focus: max, min | spareB0..3
		0x7AC0, 0x4000, 0, 0,  0, 0, 15, 0,
		128, 0, 128, 0, 14, 0, 15, 0, 15, 0, 3, 0,
		0x64, 0, 0xFFFF, 0xFF9C, 0x64, 0, 0xFFFF, 0xFF9C,
		0, 7, 24, 1, 24, 1, 0, 0,  0, 0, 21, 0,
	};
	// clang-format on
	loadRanges(ranges);
	loadCommonTables();
	loadGainValues(3, 16);
	loadNotSupported(m_irisValues);
	loadDigEffectModes();
	loadImageModes(0, 1);
	loadNotSupported(m_presetSpeeds);
}
