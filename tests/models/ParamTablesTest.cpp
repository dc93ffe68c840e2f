#include "TestLocale.h"

#include "models/H32P_ViscaOps.h"
#include "models/H57p_ViscaOps.h"
#include "models/JS4_ViscaOps.h"
#include "models/WD406P_ViscaOps.h"
#include "models/WD909P_ViscaOps.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

enum Family { H57p, H32P, WD406P, WD909P, JS4, FamilyCount };
const char *const familyNames[FamilyCount] = {"H57p", "H32P", "WD406P", "WD909P", "JS4"};

std::unique_ptr<ViscaParamOps> make(Family family, const std::string &name)
{
	switch (family) {
	case H57p:
		return std::make_unique<H57p_ViscaOps>(name);
	case H32P:
		return std::make_unique<H32P_ViscaOps>(name);
	case WD406P:
		return std::make_unique<WD406P_ViscaOps>(name);
	case WD909P:
		return std::make_unique<WD909P_ViscaOps>(name);
	default:
		return std::make_unique<JS4_ViscaOps>(name);
	}
}

// Rows as the model documentation lists them, one column per family.
struct RangeRow {
	const char *member;
	std::function<long long(const ViscaParamOps &)> get;
	long long expected[FamilyCount];
};

#define ROW(member, ...)                                                                                               \
	RangeRow                                                                                                       \
	{                                                                                                              \
#member, [](const ViscaParamOps &o) -> long long { return o.member(); },                               \
		{                                                                                                      \
			__VA_ARGS__                                                                                    \
		}                                                                                                      \
	}

const RangeRow rangeRows[] = {
	ROW(zoomMax, 31424, 16384, 31424, 16384, 16384),
	ROW(zoomMin, 0, 0, 16384, 0, 0),
	ROW(focusMax, 2409, 1397, 0, 2409, 18264),
	ROW(focusMin, 0, 0, 0, 0, 13984),
	ROW(spareA0, 15, 8, 0, 0, 13),
	ROW(spareA1, 0, 0, 0, 15, 0),
	ROW(spareA2, 15, 10, 15, 15, 0),
	ROW(spareA3, 0, 0, 0, 0, 0),
	ROW(rGainMax, 128, 128, 128, 128, 255),
	ROW(rGainMin, 0, 0, 0, 0, 0),
	ROW(bGainMax, 128, 128, 128, 128, 255),
	ROW(bGainMin, 0, 0, 0, 0, 0),
	ROW(sharpnessMax, 14, 15, 14, 14, 15),
	ROW(sharpnessMin, 0, 0, 0, 0, 0),
	ROW(saturationMax, 15, 25, 15, 15, 15),
	ROW(saturationMin, 0, 0, 0, 0, 0),
	ROW(hueMax, 15, 0, 15, 15, 15),
	ROW(hueMin, 0, 0, 0, 0, 0),
	ROW(gammaMax, 3, 3, 3, 3, 0),
	ROW(gammaMin, 0, 0, 0, 0, 0),
	ROW(panRightLimitMax, 0x6A40, 0x3A80, 0x64, 0, 0x6A40),
	ROW(panRightLimitMin, 0, 0, 0, 0, 0),
	ROW(panLeftLimitMax, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFFFF),
	ROW(panLeftLimitMin, 0x95C0, 0xC580, 0xFF9C, 0, 0x95C0),
	ROW(tiltUpLimitMax, 0x3840, 0x3DE0, 0x64, 0, 0x3840),
	ROW(tiltUpLimitMin, 0, 0, 0, 0, 0),
	ROW(tiltDownLimitMax, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFFFF),
	ROW(tiltDownLimitMin, 0xED40, 0xEB60, 0xFF9C, 0, 0xED40),
	ROW(zoomSpeedMin, 0, 0, 0, 0, 0),
	ROW(zoomSpeedMax, 7, 7, 7, 7, 7),
	ROW(panSpeedMax, 24, 24, 24, 0, 24),
	ROW(panSpeedMin, 1, 1, 1, 0, 1),
	ROW(tiltSpeedMax, 24, 24, 24, 0, 24),
	ROW(tiltSpeedMin, 1, 1, 1, 0, 1),
	ROW(focusSpeedMax, 7, 7, 0, 7, 7),
	ROW(focusSpeedMin, 0, 0, 0, 0, 0),
	ROW(spareB0, 7, 7, 0, 0, 0),
	ROW(spareB1, 0, 0, 0, 0, 0),
	ROW(spareB2, 21, 21, 21, 21, 21),
	ROW(spareB3, 0, 0, 0, 0, 0),
};

#undef ROW

class ParamRanges : public ::testing::TestWithParam<Family> {};

TEST_P(ParamRanges, MatchTheModelTable)
{
	const auto ops = make(GetParam(), "any");
	for (const RangeRow &row : rangeRows)
		EXPECT_EQ(row.get(*ops), row.expected[GetParam()]) << row.member;
}

INSTANTIATE_TEST_SUITE_P(Families, ParamRanges, ::testing::Values(H57p, H32P, WD406P, WD909P, JS4),
			 [](const ::testing::TestParamInfo<Family> &info) { return familyNames[info.param]; });

const std::map<std::string, std::string> localeTexts = {
	{"Auto", "Automatisch"}, {"Indoor", "Innen"},  {"Outdoor", "Aussen"}, {"OnePush", "Ein Druck"},
	{"Manual", "Manuell"},   {"OFF", "Aus"},       {"MIRROR", "Spiegel"}, {"FLIP", "Kopf"},
	{"Default", "Standard"}, {"Custom", "Eigene"}, {"DegSec", "Grad/s"},
	// "MirrorFlip" is left out: it falls back to its key.
};

struct TableCase {
	Family family;
	bool withLocale;
};

class ParamTables : public ::testing::TestWithParam<TableCase> {
protected:
	std::string tr(const std::string &key) const
	{
		if (!GetParam().withLocale)
			return key;
		const auto it = localeTexts.find(key);
		return it == localeTexts.end() ? key : it->second;
	}
	ParamTable presetSpeeds(std::initializer_list<int> speeds) const
	{
		ParamTable table;
		int code = 0;
		for (int speed : speeds)
			table[std::to_string(speed) + " " + tr("DegSec")] = code++;
		return table;
	}
};

const ParamTable notSupported = {{"NOT_SUPPORT", 0}};

TEST_P(ParamTables, MatchTheModelTable)
{
	const Family family = GetParam().family;
	std::unique_ptr<ScopedLocale> locale;
	if (GetParam().withLocale)
		locale = std::make_unique<ScopedLocale>(localeTexts);
	const auto ops = make(family, "model");

	EXPECT_EQ(ops->whiteBalanceModes(), (ParamTable{{tr("Auto"), 0},
							{tr("Indoor"), 1},
							{tr("Outdoor"), 2},
							{tr("OnePush"), 3},
							{tr("Manual"), 5}}));
	EXPECT_EQ(ops->exposureModes(), (ParamTable{{tr("Auto"), 0}, {tr("Manual"), 3}}));

	ParamTable gains;
	if (family == H32P)
		gains = {{"0dB", 0},  {"2dB", 1},  {"4dB", 2},  {"6dB", 3},  {"8dB", 4},  {"10dB", 5},
			 {"12dB", 6}, {"14dB", 7}, {"16dB", 8}, {"18dB", 9}, {"20dB", 10}};
	else
		gains = {{"0dB", 0},   {"3dB", 1},   {"6dB", 2},   {"9dB", 3},  {"12dB", 4},  {"15dB", 5},
			 {"18dB", 6},  {"21dB", 7},  {"24dB", 8},  {"27dB", 9}, {"30dB", 10}, {"33dB", 11},
			 {"36dB", 12}, {"39dB", 13}, {"42dB", 14}, {"45dB", 15}};
	EXPECT_EQ(ops->gainValues(), gains);

	EXPECT_EQ(ops->shutterSpeeds(),
		  (ParamTable{{"1/10000", 0}, {"1/5000", 1}, {"1/3000", 2}, {"1/2500", 3}, {"1/2000", 4}, {"1/1500", 5},
			      {"1/1000", 6},  {"1/725", 7},  {"1/500", 8},  {"1/350", 9},  {"1/250", 10}, {"1/180", 11},
			      {"1/120", 12},  {"1/100", 13}, {"1/90", 14},  {"1/60", 15},  {"1/30", 16},  {"1/15", 17},
			      {"1/8", 18},    {"1/4", 19},   {"1/2", 20},   {"1/1", 21}}));

	ParamTable iris = {{"F18", 0},   {"F16", 1},   {"F13", 2},   {"F11", 3},  {"F9", 4},
			   {"F7.8", 5},  {"F6.3", 6},  {"F5.4", 7},  {"F4.5", 8}, {"F3.8", 9},
			   {"F3.2", 10}, {"F2.7", 11}, {"F2.2", 12}, {"F2", 13},  {"F1.6", 14}};
	if (family != H32P)
		iris["close"] = 15;
	EXPECT_EQ(ops->irisValues(), family == WD406P ? notSupported : iris);

	const ParamTable digEffect = {{tr("OFF"), 0}, {tr("MIRROR"), 1}, {tr("FLIP"), 2}, {tr("MirrorFlip"), 3}};
	EXPECT_EQ(ops->digEffectModes(), family == JS4 ? notSupported : digEffect);

	const ParamTable image = family == H32P ? ParamTable{{tr("Default"), 1}, {tr("Custom"), 6}}
						: ParamTable{{tr("Default"), 0}, {tr("Custom"), 1}};
	EXPECT_EQ(ops->imageModes(), family == JS4 ? notSupported : image);

	ParamTable presets = notSupported;
	if (family == H57p)
		presets = presetSpeeds({5, 25, 50, 80, 120, 160, 200, 300});
	else if (family == H32P)
		presets = presetSpeeds({5, 15, 25, 35, 50, 75, 100, 120});
	EXPECT_EQ(ops->presetSpeeds(), presets);
}

std::vector<TableCase> allTableCases()
{
	std::vector<TableCase> cases;
	for (int f = 0; f < FamilyCount; ++f)
		for (bool withLocale : {false, true})
			cases.push_back({static_cast<Family>(f), withLocale});
	return cases;
}

INSTANTIATE_TEST_SUITE_P(Families, ParamTables, ::testing::ValuesIn(allTableCases()),
			 [](const ::testing::TestParamInfo<TableCase> &info) {
				 return std::string(familyNames[info.param.family]) +
					(info.param.withLocale ? "_Locale" : "_NoLocale");
			 });

class ParamCopies : public ::testing::TestWithParam<Family> {};

// Callers get copies: changing one changes neither the object nor the next result; reloading keeps the content.
TEST_P(ParamCopies, TableOperationsReturnIndependentCopies)
{
	const auto ops = make(GetParam(), " ZR-318-30X");
	const std::vector<std::function<ParamTable()>> tables = {
		[&] { return ops->whiteBalanceModes(); }, [&] { return ops->exposureModes(); },
		[&] { return ops->gainValues(); },        [&] { return ops->shutterSpeeds(); },
		[&] { return ops->irisValues(); },        [&] { return ops->digEffectModes(); },
		[&] { return ops->imageModes(); },        [&] { return ops->presetSpeeds(); }};
	for (size_t i = 0; i < tables.size(); ++i) {
		const ParamTable first = tables[i]();
		ParamTable changed = tables[i]();
		changed.begin()->second = 99;
		changed["added"] = 1;
		EXPECT_EQ(tables[i](), first) << "table " << i;
		ops->initParams();
		EXPECT_EQ(tables[i](), first) << "table " << i << " after reload";
	}
	EXPECT_EQ(ops->modelName(), " ZR-318-30X");
}

INSTANTIATE_TEST_SUITE_P(Families, ParamCopies, ::testing::Values(H57p, H32P, WD406P, WD909P, JS4),
			 [](const ::testing::TestParamInfo<Family> &info) { return familyNames[info.param]; });

// A reload after the locale changed holds the new texts only, not the old ones beside them.
TEST(ParamReload, FollowsTheCurrentLocale)
{
	const auto ops = make(H57p, "QK-H57P");
	{
		ScopedLocale locale(localeTexts);
		ops->initParams();
		EXPECT_EQ(ops->exposureModes(), (ParamTable{{"Automatisch", 0}, {"Manuell", 3}}));
		EXPECT_EQ(ops->presetSpeeds().count("120 Grad/s"), 1u);
	}
	ops->initParams();
	EXPECT_EQ(ops->exposureModes(), (ParamTable{{"Auto", 0}, {"Manual", 3}}));
	EXPECT_EQ(ops->presetSpeeds().size(), 8u);
	EXPECT_EQ(ops->presetSpeeds().at("120 DegSec"), 4);
}

} // namespace
