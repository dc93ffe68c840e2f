#include "models/ViscaParamOps.h"

#include "plugin/ModuleText.h"

#include <utility>

ViscaParamOps::ViscaParamOps(std::string modelName) : m_modelName(std::move(modelName)) {}

ViscaParamOps::~ViscaParamOps() = default;

std::string ViscaParamOps::modelName() const
{
	return m_modelName;
}

ParamTable ViscaParamOps::whiteBalanceModes() const
{
	return m_whiteBalanceModes;
}

ParamTable ViscaParamOps::exposureModes() const
{
	return m_exposureModes;
}

ParamTable ViscaParamOps::gainValues() const
{
	return m_gainValues;
}

ParamTable ViscaParamOps::shutterSpeeds() const
{
	return m_shutterSpeeds;
}

ParamTable ViscaParamOps::irisValues() const
{
	return m_irisValues;
}

ParamTable ViscaParamOps::digEffectModes() const
{
	return m_digEffectModes;
}

ParamTable ViscaParamOps::imageModes() const
{
	return m_imageModes;
}

ParamTable ViscaParamOps::presetSpeeds() const
{
	return m_presetSpeeds;
}

int ViscaParamOps::zoomMax() const
{
	return m_ranges.zoomMax;
}

int ViscaParamOps::zoomMin() const
{
	return m_ranges.zoomMin;
}

int ViscaParamOps::focusMax() const
{
	return m_ranges.focusMax;
}

int ViscaParamOps::focusMin() const
{
	return m_ranges.focusMin;
}

uint8_t ViscaParamOps::spareA0() const
{
	return m_ranges.spareA0;
}

uint8_t ViscaParamOps::spareA1() const
{
	return m_ranges.spareA1;
}

uint8_t ViscaParamOps::spareA2() const
{
	return m_ranges.spareA2;
}

uint8_t ViscaParamOps::spareA3() const
{
	return m_ranges.spareA3;
}

uint8_t ViscaParamOps::rGainMax() const
{
	return m_ranges.rGainMax;
}

uint8_t ViscaParamOps::rGainMin() const
{
	return m_ranges.rGainMin;
}

uint8_t ViscaParamOps::bGainMax() const
{
	return m_ranges.bGainMax;
}

uint8_t ViscaParamOps::bGainMin() const
{
	return m_ranges.bGainMin;
}

uint8_t ViscaParamOps::sharpnessMax() const
{
	return m_ranges.sharpnessMax;
}

uint8_t ViscaParamOps::sharpnessMin() const
{
	return m_ranges.sharpnessMin;
}

uint8_t ViscaParamOps::saturationMax() const
{
	return m_ranges.saturationMax;
}

uint8_t ViscaParamOps::saturationMin() const
{
	return m_ranges.saturationMin;
}

uint8_t ViscaParamOps::hueMax() const
{
	return m_ranges.hueMax;
}

uint8_t ViscaParamOps::hueMin() const
{
	return m_ranges.hueMin;
}

uint8_t ViscaParamOps::gammaMax() const
{
	return m_ranges.gammaMax;
}

uint8_t ViscaParamOps::gammaMin() const
{
	return m_ranges.gammaMin;
}

uint32_t ViscaParamOps::panRightLimitMax() const
{
	return m_ranges.panRightLimitMax;
}

uint32_t ViscaParamOps::panRightLimitMin() const
{
	return m_ranges.panRightLimitMin;
}

uint32_t ViscaParamOps::panLeftLimitMax() const
{
	return m_ranges.panLeftLimitMax;
}

uint32_t ViscaParamOps::panLeftLimitMin() const
{
	return m_ranges.panLeftLimitMin;
}

uint32_t ViscaParamOps::tiltUpLimitMax() const
{
	return m_ranges.tiltUpLimitMax;
}

uint32_t ViscaParamOps::tiltUpLimitMin() const
{
	return m_ranges.tiltUpLimitMin;
}

uint32_t ViscaParamOps::tiltDownLimitMax() const
{
	return m_ranges.tiltDownLimitMax;
}

uint32_t ViscaParamOps::tiltDownLimitMin() const
{
	return m_ranges.tiltDownLimitMin;
}

uint8_t ViscaParamOps::zoomSpeedMin() const
{
	return m_ranges.zoomSpeedMin;
}

uint8_t ViscaParamOps::zoomSpeedMax() const
{
	return m_ranges.zoomSpeedMax;
}

uint8_t ViscaParamOps::panSpeedMax() const
{
	return m_ranges.panSpeedMax;
}

uint8_t ViscaParamOps::panSpeedMin() const
{
	return m_ranges.panSpeedMin;
}

uint8_t ViscaParamOps::tiltSpeedMax() const
{
	return m_ranges.tiltSpeedMax;
}

uint8_t ViscaParamOps::tiltSpeedMin() const
{
	return m_ranges.tiltSpeedMin;
}

uint8_t ViscaParamOps::focusSpeedMax() const
{
	return m_ranges.focusSpeedMax;
}

uint8_t ViscaParamOps::focusSpeedMin() const
{
	return m_ranges.focusSpeedMin;
}

uint8_t ViscaParamOps::spareB0() const
{
	return m_ranges.spareB0;
}

uint8_t ViscaParamOps::spareB1() const
{
	return m_ranges.spareB1;
}

uint8_t ViscaParamOps::spareB2() const
{
	return m_ranges.spareB2;
}

uint8_t ViscaParamOps::spareB3() const
{
	return m_ranges.spareB3;
}
void ViscaParamOps::loadRanges(const ViscaParamRanges &ranges)
{
	m_ranges = ranges;
}

void ViscaParamOps::loadCommonTables()
{
	loadTranslated(m_whiteBalanceModes, {{"Auto", 0},
					     {"Indoor", 1},
					     {"Outdoor", 2},
					     {"OnePush", whiteBalanceOnePushCode},
					     {"Manual", whiteBalanceManualCode}});
	loadTranslated(m_exposureModes, {{"Auto", 0}, {"Manual", exposureManualCode}});
	loadAsWritten(m_shutterSpeeds,
		      {{"1/10000", 0}, {"1/5000", 1}, {"1/3000", 2}, {"1/2500", 3}, {"1/2000", 4}, {"1/1500", 5},
		       {"1/1000", 6},  {"1/725", 7},  {"1/500", 8},  {"1/350", 9},  {"1/250", 10}, {"1/180", 11},
		       {"1/120", 12},  {"1/100", 13}, {"1/90", 14},  {"1/60", 15},  {"1/30", 16},  {"1/15", 17},
		       {"1/8", 18},    {"1/4", 19},   {"1/2", 20},   {"1/1", 21}});
}

void ViscaParamOps::loadGainValues(int stepDb, int count)
{
	m_gainValues.clear();
	for (int code = 0; code < count; ++code)
		m_gainValues[std::to_string(code * stepDb) + "dB"] = code;
}

void ViscaParamOps::loadIrisValues(bool withClose)
{
	loadAsWritten(m_irisValues, {{"F18", 0},
				     {"F16", 1},
				     {"F13", 2},
				     {"F11", 3},
				     {"F9", 4},
				     {"F7.8", 5},
				     {"F6.3", 6},
				     {"F5.4", 7},
				     {"F4.5", 8},
				     {"F3.8", 9},
				     {"F3.2", 10},
				     {"F2.7", 11},
				     {"F2.2", 12},
				     {"F2", 13},
				     {"F1.6", 14}});
	if (withClose) {
		// OBS's lookup ignores case, so "close" would take the menu's "Close": the entry has a key of its own.
		const char *closed = "close";
		moduleTextGetString("IrisClose", &closed);
		m_irisValues[closed] = 15;
	}
}

void ViscaParamOps::loadDigEffectModes()
{
	loadTranslated(m_digEffectModes, {{"OFF", 0}, {"MIRROR", 1}, {"FLIP", 2}, {"MirrorFlip", 3}});
}

void ViscaParamOps::loadImageModes(int defaultCode, int customCode)
{
	loadTranslated(m_imageModes, {{"Default", defaultCode}, {"Custom", customCode}});
	m_customImageCode = customCode;
}

void ViscaParamOps::loadPresetSpeeds(std::initializer_list<int> speeds)
{
	m_presetSpeeds.clear();
	const std::string unit = obs_module_text("DegSec");
	int code = 0;
	for (int speed : speeds)
		m_presetSpeeds[std::to_string(speed) + " " + unit] = code++;
}

void ViscaParamOps::loadNotSupported(ParamTable &table)
{
	table.clear();
	table[obs_module_text("NOT_SUPPORT")] = 0;
}

void ViscaParamOps::loadAsWritten(ParamTable &table, std::initializer_list<Entry> entries)
{
	table.clear();
	for (const Entry &entry : entries)
		table[entry.text] = entry.code;
}

void ViscaParamOps::loadTranslated(ParamTable &table, std::initializer_list<Entry> entries)
{
	table.clear();
	for (const Entry &entry : entries)
		table[obs_module_text(entry.text)] = entry.code;
}
