#include "models/ModelRegistry.h"
#include "plugin/ModuleText.h"

#include <gtest/gtest.h>

namespace {

// The tables after construction and after a reload under the other locale state (none, or the German file): a
// reload holds the current texts only. The families differ in what they support and in the H32P's image mode codes.
TEST(ParamTables, TranslatedOnReloadPerFamily)
{
	const auto tr = [](const char *key) { return std::string(obs_module_text(key)); };
	for (const std::string model : {"QK-H57P", "QK-H32P", "QK-WD406P", "QK-WD909P", "QK-JS4"}) {
		std::unique_ptr<ViscaParamOps> ops;
		for (const bool translated : {model.size() % 2 == 0, model.size() % 2 != 0}) {
			SCOPED_TRACE(model + (translated ? " locale" : " no locale"));
			moduleTextSetTable(translated ? text_lookup_create(PTZ_SOURCE_DIR "/data/locale/de-DE.ini")
						      : nullptr);
			if (ops)
				ops->initParams();
			else
				ops = ModelRegistry().createParamOps(model);
			const bool h32p = model == "QK-H32P", js4 = model == "QK-JS4";
			const ParamTable notSupported = {{tr("NOT_SUPPORT"), 0}};
			EXPECT_EQ(ops->whiteBalanceModes(), (ParamTable{{tr("Auto"), 0},
									{tr("Indoor"), 1},
									{tr("Outdoor"), 2},
									{tr("OnePush"), 3},
									{tr("Manual"), 5}}));
			const ParamTable effects{
				{tr("OFF"), 0}, {tr("MIRROR"), 1}, {tr("FLIP"), 2}, {tr("MirrorFlip"), 3}};
			EXPECT_EQ(ops->digEffectModes(), js4 ? notSupported : effects);
			const ParamTable image = h32p ? ParamTable{{tr("Default"), 1}, {tr("Custom"), 6}}
						      : ParamTable{{tr("Default"), 0}, {tr("Custom"), 1}};
			EXPECT_EQ(ops->imageModes(), js4 ? notSupported : image);
			EXPECT_EQ(ops->irisValues() == notSupported, model == "QK-WD406P");
			EXPECT_EQ(ops->presetSpeeds().count("5 " + tr("DegSec")), model == "QK-H57P" || h32p ? 1u : 0u);
		}
	}
	moduleTextSetTable(nullptr);
}

} // namespace
