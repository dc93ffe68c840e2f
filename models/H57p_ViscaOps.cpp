#include "models/H57p_ViscaOps.h"

#include <utility>

H57p_ViscaOps::H57p_ViscaOps(std::string modelName) : ViscaParamOps(std::move(modelName))
{
	H57p_ViscaOps::initParams();
}

void H57p_ViscaOps::initParams()
{
	// clang-format off
	static const ViscaParamRanges ranges = {
		// zoomMax, zoomMin, focusMax, focusMin | spareA0..3
		// rGain, bGain, sharpness, saturation, hue, gamma: max, min
		// limits pan right, pan left, tilt up, tilt down: max, min
		// speeds zoom: min, max; pan, tilt, focus: max, min | spareB0..3
		0x7AC0, 0, 0x969, 0,  15, 0, 15, 0,
		128, 0, 128, 0, 14, 0, 15, 0, 15, 0, 3, 0,
		0x6A40, 0, 0xFFFF, 0x95C0, 0x3840, 0, 0xFFFF, 0xED40,
		0, 7, 24, 1, 24, 1, 7, 0,  7, 0, 21, 0,
	};
	// clang-format on
	loadRanges(ranges);
	loadCommonTables();
	loadGainValues(3, 16);
	loadIrisValues(true);
	loadDigEffectModes();
	loadImageModes(0, 1);
	loadPresetSpeeds({5, 25, 50, 80, 120, 160, 200, 300});
}
