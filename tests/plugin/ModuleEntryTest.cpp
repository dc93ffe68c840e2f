// The built module opened by libobs the way OBS opens it: locale table and lookups.
#include <gtest/gtest.h>
#include <obs-module.h>
#include <obs.h>
#include <util/bmem.h>

#include <QTemporaryDir>

#include <cstdio>
#include <dlfcn.h>
#include <string>

namespace {

std::string modulePath, dataPath;

class ModuleEntryTest : public ::testing::Test {
protected:
	void open(const std::string &data)
	{
		obs_module_t *module = nullptr;
		ASSERT_EQ(obs_open_module(&module, modulePath.c_str(), data.c_str()), MODULE_SUCCESS);
		void *handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
		ASSERT_NE(handle, nullptr) << dlerror();
		getString =
			reinterpret_cast<bool (*)(const char *, const char **)>(dlsym(handle, "obs_module_get_string"));
		setLocale = reinterpret_cast<void (*)(const char *)>(dlsym(handle, "obs_module_set_locale"));
		freeLocale = reinterpret_cast<void (*)()>(dlsym(handle, "obs_module_free_locale"));
		dlclose(handle);
		ASSERT_TRUE(getString && setLocale && freeLocale);
	}

	// "missing:untouched" means OBS shows the key itself.
	std::string lookup(const char *key)
	{
		const char *out = "untouched";
		bool found = getString(key, &out);
		return (found ? "found:" : "missing:") + std::string(out);
	}

	bool (*getString)(const char *, const char **) = nullptr;
	void (*setLocale)(const char *) = nullptr;
	void (*freeLocale)() = nullptr;
};

struct LookupCase {
	const char *name;
	bool noLocaleFiles;
	const char *locale; // set after opening, nullptr to keep the table loaded on open
	bool freeFirst;
	const char *key;
	const char *expected;
};

class LocaleLookupTest : public ModuleEntryTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LocaleLookupTest, LooksKeysUp)
{
	const LookupCase &c = GetParam();
	QTemporaryDir empty;
	open(c.noLocaleFiles ? empty.path().toStdString() : dataPath);
	if (c.freeFirst) {
		freeLocale();
		freeLocale();
	}
	if (c.locale)
		setLocale(c.locale);
	EXPECT_EQ(lookup(c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
	Keys, LocaleLookupTest,
	::testing::Values(
		LookupCase{"UnknownKey", false, nullptr, false, "NoSuchKey", "missing:untouched"},
		LookupCase{"NoLocaleFile", true, nullptr, false, "UseHotHeys", "missing:untouched"},
		LookupCase{"UnknownLocaleIsEnglish", false, "xx-XX", false, "SimpleMode", "found:Simple Mode"},
		LookupCase{"GermanOverEnglish", false, "de-DE", false, "SimpleMode", "found:Einfache Ansicht"},
		LookupCase{"FreedTwice", false, nullptr, true, "Settings", "missing:untouched"},
		LookupCase{"SetAgainAfterFree", false, "en-US", true, "Settings", "found:Settings"}),
	[](const ::testing::TestParamInfo<LookupCase> &info) { return std::string(info.param.name); });

TEST_F(ModuleEntryTest, SettingTheLocaleAgainFreesTheOldTable)
{
	open(dataPath);
	setLocale("en-US");
	long before = bnum_allocs();
	setLocale("en-US");
	setLocale("en-US");
	EXPECT_EQ(bnum_allocs(), before);
	freeLocale();
	EXPECT_LT(bnum_allocs(), before);
}

} // namespace

int main(int argc, char **argv)
{
	::testing::InitGoogleTest(&argc, argv);
	if (argc != 3) {
		fprintf(stderr, "usage: %s MODULE.so DATA_DIR\n", argv[0]);
		return 1;
	}
	modulePath = argv[1];
	dataPath = argv[2];
	if (!obs_startup("en-US", nullptr, nullptr)) {
		fprintf(stderr, "FAIL: libobs did not start (no X display? run under xvfb-run)\n");
		return 1;
	}
	int result = RUN_ALL_TESTS();
	obs_shutdown();
	return result;
}
