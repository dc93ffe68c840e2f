#include "models/H32P_ViscaOps.h"
#include "models/H57p_ViscaOps.h"
#include "models/JS4_ViscaOps.h"
#include "models/ModelRegistry.h"
#include "models/WD406P_ViscaOps.h"
#include "models/WD909P_ViscaOps.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

struct KnownModel {
	const char *code;
	const char *name;
	int index;
	const std::type_info *paramClass;
};

const KnownModel knownModels[] = {
	{"VMI", "QK-H57P", 0, &typeid(H57p_ViscaOps)},
	{"VZF", "QK-H57PN", 1, &typeid(H57p_ViscaOps)},
	{"VZS", "QK-H57P-BRN", 2, &typeid(H57p_ViscaOps)},
	{"VOF", "QK-H57PN-BRN", 3, &typeid(H57p_ViscaOps)},
	{"VBR", "QK-H45P", 4, &typeid(H57p_ViscaOps)},
	{"VRO", "QK-H45PN", 5, &typeid(H57p_ViscaOps)},
	{"VRY", "QK-H45PN-BRN", 6, &typeid(H57p_ViscaOps)},
	{"VSX", "ZR714-IP", 7, &typeid(H57p_ViscaOps)},
	{"VBW", "QK-WD909P", 8, &typeid(WD909P_ViscaOps)},
	{"VMT", "QK-WD909P-BRN", 9, &typeid(WD909P_ViscaOps)},
	{"VOT", "QK-WD909PN-BRN", 10, &typeid(WD909P_ViscaOps)},
	{"VKD", "QK-WD508P", 11, &typeid(WD909P_ViscaOps)},
	{"VNB", "QK-WD508P-BRN", 12, &typeid(WD909P_ViscaOps)},
	{"VRH", "QK-WD508PN-BRN", 13, &typeid(WD909P_ViscaOps)},
	{"VKL", "QK-WD406P", 14, &typeid(WD406P_ViscaOps)},
	{"VLO", " ZR-318-30X", 15, &typeid(H57p_ViscaOps)},
	{"VIL", "QK-H32P", 16, &typeid(H32P_ViscaOps)},
	{"VIL", "QK-H32PN", 17, &typeid(H32P_ViscaOps)},
	{"VHB", "ZR712-IP", 18, &typeid(H32P_ViscaOps)},
	{"VLS", "QK-H33P", 19, &typeid(H32P_ViscaOps)},
	{"None", "QK-JS4", 20, &typeid(JS4_ViscaOps)},
};

class RegistryKnown : public ::testing::TestWithParam<KnownModel> {};

TEST_P(RegistryKnown, IndexAndParamClass)
{
	const ModelRegistry registry;
	const KnownModel &m = GetParam();
	EXPECT_EQ(registry.modelIndex(m.name), m.index);
	const auto ops = registry.createParamOps(m.name);
	ASSERT_NE(ops, nullptr);
	EXPECT_EQ(typeid(*ops), *m.paramClass);
	EXPECT_EQ(ops->modelName(), m.name);
	// The first record with a code wins: "VIL" is always the QK-H32P.
	EXPECT_EQ(registry.modelNameForCode(m.code), m.index == 17 ? "QK-H32P" : m.name);
}

INSTANTIATE_TEST_SUITE_P(Models, RegistryKnown, ::testing::ValuesIn(knownModels),
			 [](const ::testing::TestParamInfo<KnownModel> &info) {
				 std::string name = std::to_string(info.param.index) + "_";
				 for (char c : std::string(info.param.name))
					 name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
				 return name;
			 });

class RegistryUnknown : public ::testing::TestWithParam<const char *> {};

// Near misses of codes and names are unknown; an unknown name still gets a parameter object that keeps it.
TEST_P(RegistryUnknown, CodeNameAndFallbackClass)
{
	const ModelRegistry registry;
	const std::string text = GetParam();
	EXPECT_EQ(registry.modelNameForCode(text), "Unknown");
	EXPECT_EQ(registry.modelIndex(text), -1);
	const auto ops = registry.createParamOps(text);
	ASSERT_NE(ops, nullptr);
	EXPECT_EQ(typeid(*ops), typeid(H57p_ViscaOps));
	EXPECT_EQ(ops->modelName(), text);
}

INSTANTIATE_TEST_SUITE_P(Texts, RegistryUnknown,
			 ::testing::Values("Unknown", "", "vmi", "VM", "VMIX", "VIL ", "ZR-318-30X", "QK-H57P ",
					   "qk-js4", "V\xC3\x81L"));

} // namespace
