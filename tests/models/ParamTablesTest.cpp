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

const std::map<std::string, std::string> localeTexts = {
	{"Auto", "Automatisch"}, {"Indoor", "Innen"},  {"Outdoor", "Aussen"}, {"OnePush", "Ein Druck"},
	{"Manual", "Manuell"},   {"OFF", "Aus"},       {"MIRROR", "Spiegel"}, {"FLIP", "Kopf"},
	{"Default", "Standard"}, {"Custom", "Eigene"}, {"DegSec", "Grad/s"},
	// "MirrorFlip" is left out: it falls back to its key.
};

// The tables after construction and after a reload under the other locale state: a reload holds the current
// texts only. The families differ in what they support and in the H32P's image mode codes.
TEST(ParamTables, TranslatedOnReloadPerFamily)
{
	const ParamTable notSupported = {{"NOT_SUPPORT", 0}};
	for (const std::string model : {"QK-H57P", "QK-H32P", "QK-WD406P", "QK-WD909P", "QK-JS4"}) {
		std::optional<ScopedLocale> locale;
		std::unique_ptr<ViscaParamOps> ops;
		for (const bool translated : {model.size() % 2 == 0, model.size() % 2 != 0}) {
			SCOPED_TRACE(model + (translated ? " locale" : " no locale"));
			locale.reset();
			if (translated)
				locale.emplace(localeTexts);
			if (ops)
				ops->initParams();
			else
				ops = ModelRegistry().createParamOps(model);
			const auto tr = [&](const std::string &key) {
				const auto it = localeTexts.find(key);
				return translated && it != localeTexts.end() ? it->second : key;
			};
			const bool h32p = model == "QK-H32P", js4 = model == "QK-JS4";
			EXPECT_EQ(ops->whiteBalanceModes(), (ParamTable{{tr("Auto"), 0},
									{tr("Indoor"), 1},
									{tr("Outdoor"), 2},
									{tr("OnePush"), 3},
									{tr("Manual"), 5}}));
			const ParamTable effects{{tr("OFF"), 0}, {tr("MIRROR"), 1}, {tr("FLIP"), 2}, {"MirrorFlip", 3}};
			EXPECT_EQ(ops->digEffectModes(), js4 ? notSupported : effects);
			const ParamTable image = h32p ? ParamTable{{tr("Default"), 1}, {tr("Custom"), 6}}
						      : ParamTable{{tr("Default"), 0}, {tr("Custom"), 1}};
			EXPECT_EQ(ops->imageModes(), js4 ? notSupported : image);
			EXPECT_EQ(ops->irisValues() == notSupported, model == "QK-WD406P");
			EXPECT_EQ(ops->presetSpeeds().count("5 " + tr("DegSec")), model == "QK-H57P" || h32p ? 1u : 0u);
		}
	}
}

} // namespace
