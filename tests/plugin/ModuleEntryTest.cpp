// The built module opened by libobs the way OBS opens it: version, locale table and lookups.
#include <gtest/gtest.h>
#include <obs-module.h>
#include <obs.h>
#include <util/bmem.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <dlfcn.h>
#include <string>

namespace {

std::string modulePath;
std::string dataPath;

using GetStringFn = bool (*)(const char *, const char **);
using SetLocaleFn = void (*)(const char *);
using VoidFn = void (*)();
using VerFn = uint32_t (*)();

template <typename T>
T entry(const char *name)
{
	void *handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
	EXPECT_NE(handle, nullptr) << dlerror();
	T fn = handle ? reinterpret_cast<T>(dlsym(handle, name)) : nullptr;
	if (handle)
		dlclose(handle);
	return fn;
}

class ModuleEntryTest : public ::testing::Test {
protected:
	void openWithData(const std::string &data)
	{
		ASSERT_EQ(obs_open_module(&module, modulePath.c_str(), data.c_str()), MODULE_SUCCESS);
		getString = entry<GetStringFn>("obs_module_get_string");
		setLocale = entry<SetLocaleFn>("obs_module_set_locale");
		freeLocale = entry<VoidFn>("obs_module_free_locale");
		ASSERT_TRUE(getString && setLocale && freeLocale);
	}

	std::string lookup(const char *key)
	{
		const char *out = "untouched";
		bool found = getString(key, &out);
		return (found ? "found:" : "missing:") + std::string(out);
	}

	obs_module_t *module = nullptr;
	GetStringFn getString = nullptr;
	SetLocaleFn setLocale = nullptr;
	VoidFn freeLocale = nullptr;
};

TEST_F(ModuleEntryTest, ReportsTheModuleInterfaceVersion)
{
	openWithData(dataPath);
	auto ver = entry<VerFn>("obs_module_ver");
	ASSERT_NE(ver, nullptr);
	EXPECT_EQ(ver(), 0x1a010002u);
}

struct LookupCase {
	const char *key;
	const char *expected;
};

class LocaleLookupTest : public ModuleEntryTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LocaleLookupTest, LooksKeysUpInTheLoadedTable)
{
	openWithData(dataPath);
	EXPECT_EQ(lookup(GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, LocaleLookupTest,
			 ::testing::Values(LookupCase{"UseHotHeys", "found:Use Hotkeys"},
					   LookupCase{"Camera3", "found:Camera 3"}, LookupCase{"10+", "found:10+"},
					   LookupCase{"NoSuchKey", "missing:untouched"},
					   LookupCase{"", "missing:untouched"}));

TEST_F(ModuleEntryTest, MissingLocaleFileLeavesEveryKeyUnfound)
{
	QTemporaryDir empty;
	openWithData(QDir(empty.path()).absolutePath().toStdString());
	EXPECT_EQ(lookup("UseHotHeys"), "missing:untouched");
	EXPECT_EQ(lookup("Camera1"), "missing:untouched");
}

TEST_F(ModuleEntryTest, UnknownLocaleFallsBackToEnglish)
{
	openWithData(dataPath);
	setLocale("xx-XX");
	EXPECT_EQ(lookup("SimpleMode"), "found:Simple Mode");
}

TEST_F(ModuleEntryTest, FreedLocaleFindsNothing)
{
	openWithData(dataPath);
	freeLocale();
	EXPECT_EQ(lookup("Settings"), "missing:untouched");
	freeLocale();
	EXPECT_EQ(lookup("Settings"), "missing:untouched");
	setLocale("en-US");
	EXPECT_EQ(lookup("Settings"), "found:Settings");
}

TEST_F(ModuleEntryTest, SettingTheLocaleAgainFreesTheOldTable)
{
	openWithData(dataPath);
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
