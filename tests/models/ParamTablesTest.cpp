#include "models/ModelRegistry.h"
#include "plugin/ModuleText.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Installs a locale table made from key → text pairs (an OBS ini file read by libobs itself) for one scope.
class ScopedLocale {
public:
	explicit ScopedLocale(const std::map<std::string, std::string> &texts)
	{
		QFile file(dir.filePath("test.ini"));
		if (file.open(QIODevice::WriteOnly))
			for (const auto &[key, text] : texts)
				file.write(QByteArray::fromStdString(key + "=\"" + text + "\"\n"));
		file.close();
		moduleTextSetTable(text_lookup_create(file.fileName().toUtf8().constData()));
	}
	~ScopedLocale() { moduleTextSetTable(nullptr); }

private:
	QTemporaryDir dir;
};

enum Family { H57p, H32P, WD406P, WD909P, JS4, FamilyCount };
const char *const familyModels[FamilyCount] = {"QK-H57P", "QK-H32P", "QK-WD406P", "QK-WD909P", "QK-JS4"};

std::vector<long long> ranges(const ViscaParamOps &o)
{
	return {o.zoomMax(),          o.zoomMin(),          o.focusMax(),         o.focusMin(),
		o.spareA0(),          o.spareA1(),          o.spareA2(),          o.spareA3(),
		o.rGainMax(),         o.rGainMin(),         o.bGainMax(),         o.bGainMin(),
		o.sharpnessMax(),     o.sharpnessMin(),     o.saturationMax(),    o.saturationMin(),
		o.hueMax(),           o.hueMin(),           o.gammaMax(),         o.gammaMin(),
		o.panRightLimitMax(), o.panRightLimitMin(), o.panLeftLimitMax(),  o.panLeftLimitMin(),
		o.tiltUpLimitMax(),   o.tiltUpLimitMin(),   o.tiltDownLimitMax(), o.tiltDownLimitMin(),
		o.zoomSpeedMin(),     o.zoomSpeedMax(),     o.panSpeedMax(),      o.panSpeedMin(),
		o.tiltSpeedMax(),     o.tiltSpeedMin(),     o.focusSpeedMax(),    o.focusSpeedMin(),
		o.spareB0(),          o.spareB1(),          o.spareB2(),          o.spareB3()};
}

// As the model documentation lists them, in the order of ranges().
const std::vector<long long> expectedRanges[FamilyCount] = {
	{31424,  0, 2409,   0,      15,     0, 15,     0,      128, 0, 128, 0, 14, 0, 15, 0, 15, 0, 3,  0,
	 0x6A40, 0, 0xFFFF, 0x95C0, 0x3840, 0, 0xFFFF, 0xED40, 0,   7, 24,  1, 24, 1, 7,  0, 7,  0, 21, 0},
	{16384,  0, 1397,   0,      8,      0, 10,     0,      128, 0, 128, 0, 15, 0, 25, 0, 0, 0, 3,  0,
	 0x3A80, 0, 0xFFFF, 0xC580, 0x3DE0, 0, 0xFFFF, 0xEB60, 0,   7, 24,  1, 24, 1, 7,  0, 7, 0, 21, 0},
	{31424, 16384, 0,      0,      0,    0, 15,     0,      128, 0, 128, 0, 14, 0, 15, 0, 15, 0, 3,  0,
	 0x64,  0,     0xFFFF, 0xFF9C, 0x64, 0, 0xFFFF, 0xFF9C, 0,   7, 24,  1, 24, 1, 0,  0, 0,  0, 21, 0},
	{16384, 0, 2409, 0, 0, 15, 15, 0, 128, 0, 128, 0, 14, 0, 15, 0, 15, 0, 3,  0,
	 0,     0, 0,    0, 0, 0,  0,  0, 0,   7, 0,   0, 0,  0, 7,  0, 0,  0, 21, 0},
	{16384,  0, 18264,  13984,  13,     0, 0,      0,      255, 0, 255, 0, 15, 0, 15, 0, 15, 0, 0,  0,
	 0x6A40, 0, 0xFFFF, 0x95C0, 0x3840, 0, 0xFFFF, 0xED40, 0,   7, 24,  1, 24, 1, 7,  0, 0,  0, 21, 0},
};

const std::map<std::string, std::string> localeTexts = {
	{"Auto", "Automatisch"}, {"Indoor", "Innen"},  {"Outdoor", "Aussen"}, {"OnePush", "Ein Druck"},
	{"Manual", "Manuell"},   {"OFF", "Aus"},       {"MIRROR", "Spiegel"}, {"FLIP", "Kopf"},
	{"Default", "Standard"}, {"Custom", "Eigene"}, {"DegSec", "Grad/s"},
	// "MirrorFlip" is left out: it falls back to its key.
};

// The codes are the positions of the names.
ParamTable numbered(const std::vector<std::string> &names)
{
	ParamTable table;
	int code = 0;
	for (const std::string &name : names)
		table[name] = code++;
	return table;
}

using TableOp = ParamTable (ViscaParamOps::*)() const;

class ParamTables : public ::testing::TestWithParam<int> {};

// The tables right after construction, and again after a reload under the other locale state: a reload holds
// the current texts only, not the old ones beside them.
TEST_P(ParamTables, MatchTheModelTablesAsCopies)
{
	const auto family = static_cast<Family>(GetParam());
	const bool localeFirst = family % 2;
	std::optional<ScopedLocale> locale;
	std::unique_ptr<ViscaParamOps> ops;
	for (const bool translated : {localeFirst, !localeFirst}) {
		SCOPED_TRACE(translated ? "locale" : "no locale");
		locale.reset();
		if (translated)
			locale.emplace(localeTexts);
		if (ops)
			ops->initParams();
		else
			ops = ModelRegistry().createParamOps(familyModels[family]);
		const auto tr = [&](const std::string &key) {
			const auto it = localeTexts.find(key);
			return translated && it != localeTexts.end() ? it->second : key;
		};

		ParamTable gains;
		for (int i = 0; i < (family == H32P ? 11 : 16); ++i)
			gains[std::to_string(i * (family == H32P ? 2 : 3)) + "dB"] = i;
		ParamTable iris = numbered({"F18", "F16", "F13", "F11", "F9", "F7.8", "F6.3", "F5.4", "F4.5", "F3.8",
					    "F3.2", "F2.7", "F2.2", "F2", "F1.6"});
		if (family != H32P)
			iris["close"] = 15;
		std::vector<std::string> speeds;
		for (int degrees : family == H57p   ? std::vector<int>{5, 25, 50, 80, 120, 160, 200, 300}
				   : family == H32P ? std::vector<int>{5, 15, 25, 35, 50, 75, 100, 120}
						    : std::vector<int>{})
			speeds.push_back(std::to_string(degrees) + " " + tr("DegSec"));
		const ParamTable notSupported = {{"NOT_SUPPORT", 0}};
		const ParamTable whiteBalance = {
			{tr("Auto"), 0}, {tr("Indoor"), 1}, {tr("Outdoor"), 2}, {tr("OnePush"), 3}, {tr("Manual"), 5}};
		const ParamTable image = family == H32P ? ParamTable{{tr("Default"), 1}, {tr("Custom"), 6}}
							: ParamTable{{tr("Default"), 0}, {tr("Custom"), 1}};

		const std::pair<TableOp, ParamTable> tables[] = {
			{&ViscaParamOps::whiteBalanceModes, whiteBalance},
			{&ViscaParamOps::exposureModes, {{tr("Auto"), 0}, {tr("Manual"), 3}}},
			{&ViscaParamOps::gainValues, gains},
			{&ViscaParamOps::shutterSpeeds,
			 numbered({"1/10000", "1/5000", "1/3000", "1/2500", "1/2000", "1/1500", "1/1000", "1/725",
				   "1/500",   "1/350",  "1/250",  "1/180",  "1/120",  "1/100",  "1/90",   "1/60",
				   "1/30",    "1/15",   "1/8",    "1/4",    "1/2",    "1/1"})},
			{&ViscaParamOps::irisValues, family == WD406P ? notSupported : iris},
			{&ViscaParamOps::digEffectModes,
			 family == JS4 ? notSupported
				       : numbered({tr("OFF"), tr("MIRROR"), tr("FLIP"), tr("MirrorFlip")})},
			{&ViscaParamOps::imageModes, family == JS4 ? notSupported : image},
			{&ViscaParamOps::presetSpeeds, speeds.empty() ? notSupported : numbered(speeds)},
		};
		for (const auto &[table, expected] : tables) {
			EXPECT_EQ(((*ops).*table)(), expected);
			// Callers get copies: changing one changes neither the object nor the next result.
			ParamTable changed = ((*ops).*table)();
			changed.begin()->second = 99;
			changed["added"] = 1;
			EXPECT_EQ(((*ops).*table)(), expected);
		}
		EXPECT_EQ(ranges(*ops), expectedRanges[family]);
	}
}

INSTANTIATE_TEST_SUITE_P(Families, ParamTables, ::testing::Range(0, int(FamilyCount)),
			 [](const ::testing::TestParamInfo<int> &info) { return familyModels[info.param] + 3; });

} // namespace
