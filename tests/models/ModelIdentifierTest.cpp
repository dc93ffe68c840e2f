#include "models/H32P_ViscaOps.h"
#include "models/H57p_ViscaOps.h"
#include "models/JS4_ViscaOps.h"
#include "models/ModelIdentifier.h"
#include "models/ModelRegistry.h"
#include "models/WD406P_ViscaOps.h"
#include "models/WD909P_ViscaOps.h"

#include "LinkTestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

const QByteArray versionInquiry = QByteArray::fromHex("81090002ff");
const QByteArray addressSet = QByteArray::fromHex("883001ff");

// Identification asks the standard port, so each test takes its own addresses on 127.0.2.x.
std::unique_ptr<CameraSimulator> startCamera(int host, const std::function<void(O &)> &change)
{
	return ::startCamera(("127.0.2." + std::to_string(host)).c_str(), [&change](O &o) {
		o.port = O().port;
		change(o);
	});
}

using Lines = std::vector<std::string>;

// One "IP|name|model name of the parameter object" line per entry.
Lines describe(const std::vector<CameraModelMap> &results)
{
	Lines lines;
	for (const CameraModelMap &result : results)
		for (const auto &[ip, entry] : result)
			lines.push_back(ip + "|" + entry.name + "|" + entry.params->modelName());
	return lines;
}

struct KnownModel {
	const char *code;
	const char *name;
	const std::type_info *paramClass;
};

// The registry in its order: the position is the model index.
const KnownModel knownModels[] = {
	{"VMI", "QK-H57P", &typeid(H57p_ViscaOps)},          {"VZF", "QK-H57PN", &typeid(H57p_ViscaOps)},
	{"VZS", "QK-H57P-BRN", &typeid(H57p_ViscaOps)},      {"VOF", "QK-H57PN-BRN", &typeid(H57p_ViscaOps)},
	{"VBR", "QK-H45P", &typeid(H57p_ViscaOps)},          {"VRO", "QK-H45PN", &typeid(H57p_ViscaOps)},
	{"VRY", "QK-H45PN-BRN", &typeid(H57p_ViscaOps)},     {"VSX", "ZR714-IP", &typeid(H57p_ViscaOps)},
	{"VBW", "QK-WD909P", &typeid(WD909P_ViscaOps)},      {"VMT", "QK-WD909P-BRN", &typeid(WD909P_ViscaOps)},
	{"VOT", "QK-WD909PN-BRN", &typeid(WD909P_ViscaOps)}, {"VKD", "QK-WD508P", &typeid(WD909P_ViscaOps)},
	{"VNB", "QK-WD508P-BRN", &typeid(WD909P_ViscaOps)},  {"VRH", "QK-WD508PN-BRN", &typeid(WD909P_ViscaOps)},
	{"VKL", "QK-WD406P", &typeid(WD406P_ViscaOps)},      {"VLO", " ZR-318-30X", &typeid(H57p_ViscaOps)},
	{"VIL", "QK-H32P", &typeid(H32P_ViscaOps)},          {"VIL", "QK-H32PN", &typeid(H32P_ViscaOps)},
	{"VHB", "ZR712-IP", &typeid(H32P_ViscaOps)},         {"VLS", "QK-H33P", &typeid(H32P_ViscaOps)},
	{"None", "QK-JS4", &typeid(JS4_ViscaOps)},
};

class KnownModels : public ::testing::TestWithParam<int> {};

// The model's registry record, and its identification against a simulated camera of that model with the
// inquiries sent.
TEST_P(KnownModels, RegistryRecordAndIdentification)
{
	const int index = GetParam();
	const KnownModel &m = knownModels[index];
	const ModelRegistry registry;
	EXPECT_EQ(registry.modelIndex(m.name), index);
	const auto ops = registry.createParamOps(m.name);
	EXPECT_EQ(typeid(*ops), *m.paramClass);
	EXPECT_EQ(ops->modelName(), m.name);
	// The first record with a code wins: "VIL" is always the QK-H32P.
	const std::string expected = index == 17 ? "QK-H32P" : m.name;
	EXPECT_EQ(registry.modelNameForCode(m.code), expected);

	const auto camera = startCamera(index + 1, [&m](O &o) { o.model = m.name; });
	const std::string ip = camera->options().bindAddress;
	EXPECT_EQ(describe({ModelIdentifier().identifyCamera(QString::fromStdString(ip))}),
		  Lines{ip + "|" + expected + "|" + expected});

	// A JS4 is known by its version answer alone: the plain link is never connected (no address-set datagram).
	QList<QByteArray> payloads{versionInquiry};
	if (*m.paramClass != typeid(JS4_ViscaOps))
		payloads << addressSet << QByteArray::fromHex("81010203ff");
	if (*m.paramClass != typeid(JS4_ViscaOps) && *m.paramClass != typeid(H32P_ViscaOps))
		payloads << QByteArray::fromHex("810900020003ff");
	EXPECT_EQ(camera->payloads(), payloads);
}

INSTANTIATE_TEST_SUITE_P(Registry, KnownModels, ::testing::Range(0, 21));

// Near misses of codes and names are unknown; an unknown name still gets a parameter object that keeps it.
TEST(ModelRegistry, UnknownCodesAndNames)
{
	const ModelRegistry registry;
	for (const std::string text : {"Unknown", "", "vmi", "VMIX", "VIL ", "ZR-318-30X", "qk-js4", "V\xC3\x81L"}) {
		SCOPED_TRACE(text);
		EXPECT_EQ(registry.modelNameForCode(text), "Unknown");
		EXPECT_EQ(registry.modelIndex(text), -1);
		const auto ops = registry.createParamOps(text);
		EXPECT_EQ(typeid(*ops), typeid(H57p_ViscaOps));
		EXPECT_EQ(ops->modelName(), text);
	}
}

// A reply in place of the model's own answer to one inquiry: a 17-byte first answer, an 18-byte one naming a
// model with a leading blank, a second answer with a byte above 7F, and a JS4's version answer one byte short.
TEST(Identification, LengthAndCodeRules)
{
	using Inq = CameraSimulator::IdInquiry;
	const struct {
		int host;
		const char *model;
		Inq inquiry;
		const char *visca;         // without the 8-byte header
		std::string expectedModel; // empty: not identified
	} cases[] = {{31, "QK-H32P", Inq::First, "90 50 56 4c 4f 00 00 00 ff", ""},
		     {32, "QK-H32P", Inq::First, "90 50 56 4c 4f 00 00 00 00 ff", " ZR-318-30X"},
		     {35, "QK-H57P", Inq::Second, "90 50 56 c1 4c 00 00 00 00 ff", "Unknown"},
		     {37, "QK-JS4", Inq::Version, "90 50 02 01 00 00 00 00 ff", ""}};
	for (const auto &c : cases) {
		const auto camera = startCamera(c.host, [&c](O &o) {
			o.model = c.model;
			o.idOverride[c.inquiry] = hexBytes(c.visca);
		});
		const std::string ip = camera->options().bindAddress;
		EXPECT_EQ(describe({ModelIdentifier().identifyCamera(QString::fromStdString(ip))}),
			  c.expectedModel.empty() ? Lines{} : Lines{ip + "|" + c.expectedModel + "|" + c.expectedModel})
			<< c.visca;
	}
}

// Cameras come in the order searched, under their announced names. A silent camera, an address where nothing is
// bound, one whose answers come from another host and text that is no address are left out.
TEST(Identification, IdentifyCamerasKeepsOrderAndAnnouncedNames)
{
	const auto cameraA = startCamera(60, [](O &o) { o.model = "QK-H57P"; });
	const auto cameraC = startCamera(62, [](O &o) { o.model = "QK-WD406P"; });
	const auto silent = startCamera(50, [](O &o) { o.silent = true; });
	const auto redirected = startCamera(52, [](O &o) { o.replyFrom = "127.0.2.53"; });
	ModelIdentifier identifier;
	identifier.identifyCameras({{{"127.0.2.60", "Stage \xC3\xA9 left"}},
				    {{"127.0.2.50", "Silent"}, {"127.0.2.51", "Nobody"}},
				    {{"127.0.2.52", "Elsewhere"}, {"not an address", "Text"}},
				    {{"127.0.2.62", "Back"}}});
	EXPECT_EQ(describe(identifier.identifiedCameras()),
		  (Lines{"127.0.2.60|Stage \xC3\xA9 left|QK-H57P", "127.0.2.62|Back|QK-WD406P"}));
	EXPECT_EQ(silent->payloads(), (QList<QByteArray>{versionInquiry, addressSet}));

	// A second search starts afresh.
	identifier.identifyCameras({{{"127.0.2.51", "Nobody"}}});
	EXPECT_TRUE(identifier.identifiedCameras().empty());
}

} // namespace
