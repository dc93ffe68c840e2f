#include "models/JS4_ViscaOps.h"

#include <utility>

JS4_ViscaOps::JS4_ViscaOps(std::string modelName) : ViscaParamOps(std::move(modelName))
{
	JS4_ViscaOps::initParams();
}

void JS4_ViscaOps::initParams()
{
	// clang-format off
	static const ViscaParamRanges ranges = {
		// zoomMax, zoomMin, focusMax, focusMin | spareA0..3
		// rGain, bGain, sharpness, saturation, hue, gamma: max, min
		// limits pan right, pan left, tilt up, tilt down: max, min
		// speeds zoom: min, max; pan, tilt, focus: max, min | spareB0..3
		0x4000, 0, 0x4758, 0x36A0,  13, 0, 0, 0,
		255, 0, 255, 0, 15, 0, 15, 0, 15, 0, 0, 0,
		0x6A40, 0, 0xFFFF, 0x95C0, 0x3840, 0, 0xFFFF, 0xED40,
		0, 7, 24, 1, 24, 1, 7, 0,  0, 0, 21, 0,
	};
	// clang-format on
	loadRanges(ranges);
	loadCommonTables();
	loadGainValues(3, 16);
	loadIrisValues(true);
	loadNotSupported(m_digEffectModes);
	loadNotSupported(m_imageModes);
	loadNotSupported(m_presetSpeeds);
}
