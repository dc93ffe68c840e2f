#pragma once

#include "models/ParamTable.h"

#include <cstdint>
#include <initializer_list>
#include <string>

// Numeric facts of one camera model, in the order the parameter object keeps them.
struct ViscaParamRanges {
	int zoomMax, zoomMin;
	int focusMax, focusMin;
	uint8_t spareA0, spareA1, spareA2, spareA3;
	uint8_t rGainMax, rGainMin, bGainMax, bGainMin, sharpnessMax, sharpnessMin, saturationMax, saturationMin,
		hueMax, hueMin, gammaMax, gammaMin;
	// 16-bit camera positions in the low bits; left and down limits are two's complement (0x95C0 is -27200).
	uint32_t panRightLimitMax, panRightLimitMin, panLeftLimitMax, panLeftLimitMin, tiltUpLimitMax, tiltUpLimitMin,
		tiltDownLimitMax, tiltDownLimitMin;
	uint8_t zoomSpeedMin, zoomSpeedMax, panSpeedMax, panSpeedMin, tiltSpeedMax, tiltSpeedMin, focusSpeedMax,
		focusSpeedMin;
	uint8_t spareB0, spareB1, spareB2, spareB3;
};

// Describes one camera model: its value lists and ranges. Sends nothing and never changes after construction;
// subclasses differ only in what initParams loads. Table accessors return copies.
class ViscaParamOps {
public:
	ViscaParamOps(const ViscaParamOps &) = delete;
	ViscaParamOps &operator=(const ViscaParamOps &) = delete;

	// Codes of the modes that open further controls, the same in every model that has them.
	static constexpr int exposureManualCode = 3;
	static constexpr int whiteBalanceOnePushCode = 3;
	static constexpr int whiteBalanceManualCode = 5;

	virtual std::string modelName() const;
	// Code of the image mode that opens the picture steppers; -1 when the model has no image modes.
	int customImageCode() const { return m_customImageCode; }
	// Loads every range and table with the model's values; construction does the same.
	virtual void initParams() = 0;

	virtual ParamTable whiteBalanceModes() const;
	virtual ParamTable exposureModes() const;
	virtual ParamTable gainValues() const;
	virtual ParamTable shutterSpeeds() const;
	virtual ParamTable irisValues() const;
	virtual ParamTable digEffectModes() const;
	virtual ParamTable imageModes() const;
	virtual ParamTable presetSpeeds() const;

	virtual int zoomMax() const;
	virtual int zoomMin() const;
	virtual int focusMax() const;
	virtual int focusMin() const;

	virtual uint8_t spareA0() const;
	virtual uint8_t spareA1() const;
	virtual uint8_t spareA2() const;
	virtual uint8_t spareA3() const;

	virtual uint8_t rGainMax() const;
	virtual uint8_t rGainMin() const;
	virtual uint8_t bGainMax() const;
	virtual uint8_t bGainMin() const;
	virtual uint8_t sharpnessMax() const;
	virtual uint8_t sharpnessMin() const;
	virtual uint8_t saturationMax() const;
	virtual uint8_t saturationMin() const;
	virtual uint8_t hueMax() const;
	virtual uint8_t hueMin() const;
	virtual uint8_t gammaMax() const;
	virtual uint8_t gammaMin() const;

	virtual uint32_t panRightLimitMax() const;
	virtual uint32_t panRightLimitMin() const;
	virtual uint32_t panLeftLimitMax() const;
	virtual uint32_t panLeftLimitMin() const;
	virtual uint32_t tiltUpLimitMax() const;
	virtual uint32_t tiltUpLimitMin() const;
	virtual uint32_t tiltDownLimitMax() const;
	virtual uint32_t tiltDownLimitMin() const;

	virtual uint8_t zoomSpeedMin() const;
	virtual uint8_t zoomSpeedMax() const;
	virtual uint8_t panSpeedMax() const;
	virtual uint8_t panSpeedMin() const;
	virtual uint8_t tiltSpeedMax() const;
	virtual uint8_t tiltSpeedMin() const;
	virtual uint8_t focusSpeedMax() const;
	virtual uint8_t focusSpeedMin() const;

	virtual uint8_t spareB0() const;
	virtual uint8_t spareB1() const;
	virtual uint8_t spareB2() const;
	virtual uint8_t spareB3() const;

	virtual ~ViscaParamOps();

protected:
	explicit ViscaParamOps(std::string modelName);

	struct Entry {
		const char *text;
		int code;
	};

	// Loading blocks for initParams. Each empties its table first, so a reload after a locale change holds
	// only the current texts.
	void loadRanges(const ViscaParamRanges &ranges);
	// The lists every family shares.
	void loadCommonTables();
	// Gains from 0 dB in steps of stepDb, the text being the decibel number followed by "dB".
	void loadGainValues(int stepDb, int count);
	void loadIrisValues(bool withClose);
	void loadDigEffectModes();
	void loadImageModes(int defaultCode, int customCode);
	// Speeds in degrees per second, slowest first; the code is the position.
	void loadPresetSpeeds(std::initializer_list<int> speeds);

	static void loadNotSupported(ParamTable &table);
	static void loadAsWritten(ParamTable &table, std::initializer_list<Entry> entries);
	static void loadTranslated(ParamTable &table, std::initializer_list<Entry> entries);

	std::string m_modelName;
	ViscaParamRanges m_ranges = {};
	ParamTable m_whiteBalanceModes;
	ParamTable m_exposureModes;
	ParamTable m_gainValues;
	ParamTable m_shutterSpeeds;
	ParamTable m_irisValues;
	ParamTable m_digEffectModes;
	ParamTable m_imageModes;
	int m_customImageCode = -1;
	ParamTable m_presetSpeeds;
};
