#include "TestLocale.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct LookupCase {
	const char *name;
	bool withTable;
	const char *key;
	const char *expectedText;
	bool expectedFound;
};

class ModuleText : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ModuleText, LooksUpOrFallsBackToTheKey)
{
	const LookupCase &c = GetParam();
	std::unique_ptr<ScopedLocale> locale;
	if (c.withTable) {
		locale = std::make_unique<ScopedLocale>(
			std::map<std::string, std::string>{{"Manual", "Handbetrieb"}, {"DegSec", "deg/s"}});
		ASSERT_NE(moduleTextTable(), nullptr);
	} else {
		ASSERT_EQ(moduleTextTable(), nullptr);
	}

	EXPECT_STREQ(obs_module_text(c.key), c.expectedText);
	if (!c.expectedFound) {
		EXPECT_EQ(obs_module_text(c.key), c.key) << "a missing text is the key itself";
	}

	const char *untouched = "untouched";
	const char *out = untouched;
	EXPECT_EQ(moduleTextGetString(c.key, &out), c.expectedFound);
	if (c.expectedFound)
		EXPECT_STREQ(out, c.expectedText);
	else
		EXPECT_EQ(out, untouched);
}

INSTANTIATE_TEST_SUITE_P(Keys, ModuleText,
			 ::testing::Values(LookupCase{"NoTable", false, "Manual", "Manual", false},
					   LookupCase{"Found", true, "Manual", "Handbetrieb", true},
					   LookupCase{"FoundOther", true, "DegSec", "deg/s", true},
					   LookupCase{"Missing", true, "FailedToConnectToCamera",
						      "FailedToConnectToCamera", false}),
			 [](const ::testing::TestParamInfo<LookupCase> &info) { return std::string(info.param.name); });

// Replacing the table frees the previous one and a null table frees the current one (the sanitizer build
// reports a leak otherwise); lookups follow the table in force.
TEST(ModuleTextTable, ReplacingFreesAndSwitches)
{
	{
		ScopedLocale first(std::map<std::string, std::string>{{"Auto", "first"}});
		EXPECT_STREQ(obs_module_text("Auto"), "first");
		ScopedLocale second(std::map<std::string, std::string>{{"Auto", "second"}});
		EXPECT_STREQ(obs_module_text("Auto"), "second");
	}
	EXPECT_EQ(moduleTextTable(), nullptr);
	EXPECT_STREQ(obs_module_text("Auto"), "Auto");
}

} // namespace
