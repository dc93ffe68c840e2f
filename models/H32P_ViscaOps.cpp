#include "models/H32P_ViscaOps.h"

#include <utility>

H32P_ViscaOps::H32P_ViscaOps(std::string modelName) : ViscaParamOps(std::move(modelName))
{
	H32P_ViscaOps::initParams();
}

void H32P_ViscaOps::initParams()
{
	// clang-format off
	static const ViscaParamRanges ranges = {
		// zoomMax, zoomMin, focusMax, focusMin | spareA0..3
		// rGain, bGain, sharpness, saturation, hue, gamma: max, min
		// limits pan right, pan left, tilt up, tilt down: max, min
		// speeds zoom: min, max; pan, tilt, focus: max, min | spareB0..3
		0x4000, 0, 0x575, 0,  8, 0, 10, 0,
		128, 0, 128, 0, 15, 0, 25, 0, 0, 0, 3, 0,
		0x3A80, 0, 0xFFFF, 0xC580, 0x3DE0, 0, 0xFFFF, 0xEB60,
		0, 7, 24, 1, 24, 1, 7, 0,  7, 0, 21, 0,
	};
	// clang-format on
	loadRanges(ranges);
	loadCommonTables();
	loadGainValues(2, 11);
	loadIrisValues(false);
	loadDigEffectModes();
	loadImageModes(1, 6);
	loadPresetSpeeds({5, 15, 25, 35, 50, 75, 100, 120});
}
