#include "models/H32P_ViscaOps.h"
#include "models/H57p_ViscaOps.h"
#include "models/JS4_ViscaOps.h"
#include "models/ModelIdentifier.h"
#include "models/WD406P_ViscaOps.h"
#include "models/WD909P_ViscaOps.h"

#include "visca/CameraSimulator.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

QStringList logLines;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
	logLines << message;
}

const QByteArray versionInquiry = QByteArray::fromHex("81090002ff");
const QByteArray addressSet = QByteArray::fromHex("883001ff");
const QByteArray firstIdInquiry = QByteArray::fromHex("81010203ff");
const QByteArray secondIdInquiry = QByteArray::fromHex("810900020003ff");

const char notMatch[] = "IP Not match custom------------------------\n";
const char custom[] = "IP custom------------------------\n";

// Simulated cameras live on 127.0.2.x; each test takes its own addresses.
std::string address(int host)
{
	return "127.0.2." + std::to_string(host);
}

class Identification : public ::testing::Test {
protected:
	void SetUp() override
	{
		logLines.clear();
		previousHandler = qInstallMessageHandler(captureLog);
	}
	void TearDown() override { qInstallMessageHandler(previousHandler); }

	std::unique_ptr<CameraSimulator> startCamera(CameraSimulator::Options options)
	{
		auto camera = std::make_unique<CameraSimulator>(options);
		if (!camera->start())
			ADD_FAILURE() << "simulated camera did not start on " << options.bindAddress << ": "
				      << camera->errorString();
		return camera;
	}

	QtMessageHandler previousHandler = nullptr;
};

const std::type_info &paramClassOf(const std::string &model)
{
	if (model == "QK-JS4")
		return typeid(JS4_ViscaOps);
	if (model == "QK-WD406P")
		return typeid(WD406P_ViscaOps);
	if (model.find("QK-WD") == 0)
		return typeid(WD909P_ViscaOps);
	if (model == "QK-H32P" || model == "ZR712-IP" || model == "QK-H33P")
		return typeid(H32P_ViscaOps);
	return typeid(H57p_ViscaOps);
}

struct FamilyCase {
	int host;
	std::string model;
};

class IdentifyEveryModel : public Identification, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(IdentifyEveryModel, NamesTheModelWithItsProbesAndLogLines)
{
	const std::string &model = GetParam().model;
	CameraSimulator::Options options;
	options.model = model;
	options.bindAddress = address(GetParam().host);
	const auto camera = startCamera(options);

	ModelIdentifier identifier;
	const CameraModelMap result = identifier.identifyCamera(QString::fromStdString(options.bindAddress));

	// Both VIL cameras name themselves as the first record with that code.
	const std::string expected = model == "QK-H32PN" ? "QK-H32P" : model;
	ASSERT_EQ(result.size(), 1u);
	const auto &[ip, entry] = *result.begin();
	EXPECT_EQ(ip, options.bindAddress);
	EXPECT_EQ(entry.name, expected);
	ASSERT_NE(entry.params, nullptr);
	EXPECT_EQ(entry.params->modelName(), expected);
	EXPECT_EQ(typeid(*entry.params), paramClassOf(expected));

	const bool thirtyTwoFamily = paramClassOf(expected) == typeid(H32P_ViscaOps);
	QList<QByteArray> payloads{versionInquiry};
	QStringList log;
	if (model == "QK-JS4") {
		// The plain link is never connected: no address-set datagram.
	} else if (thirtyTwoFamily) {
		payloads << addressSet << firstIdInquiry;
		log << custom << QString(" tmpH32P connect camID = %1").arg(QString::fromStdString(expected));
	} else {
		payloads << addressSet << firstIdInquiry << secondIdInquiry;
		const QString code = QString::fromStdString(CameraSimulator::idCodeForModel(model));
		log << custom << "H32P2 parse failed,Not Match,set default"
		    << " inq   =  0111000a00000003" +
				QString(QByteArray("9050" + code.toLatin1().toHex() + "00000000ff"))
		    << " CamIdCode   =  " + code << " tmpP77K connect ";
	}
	EXPECT_EQ(camera->payloads(), payloads);
	EXPECT_EQ(logLines, log);
}

std::vector<FamilyCase> everyModel()
{
	std::vector<FamilyCase> cases;
	int host = 1;
	for (const std::string &model : CameraSimulator::knownModels())
		cases.push_back({host++, model});
	return cases;
}

INSTANTIATE_TEST_SUITE_P(Models, IdentifyEveryModel, ::testing::ValuesIn(everyModel()),
			 [](const ::testing::TestParamInfo<FamilyCase> &info) {
				 std::string name = std::to_string(info.param.host) + "_";
				 for (char c : info.param.model)
					 name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
				 return name;
			 });

TEST(IdentifyEveryModelTable, SimulatorKnowsAllTwentyOneModels)
{
	EXPECT_EQ(CameraSimulator::knownModels().size(), 21u);
}

// Replies of a given length or content in place of the family's own answer to one inquiry.
struct ReplyCase {
	const char *name;
	int host;
	std::string model;
	CameraSimulator::IdInquiry inquiry;
	QByteArray visca;          // without the 8-byte header
	std::string expectedModel; // empty: not identified
	QStringList expectedLog;
};

class IdentifyReplies : public Identification, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(IdentifyReplies, LengthAndCodeRules)
{
	const ReplyCase &c = GetParam();
	CameraSimulator::Options options;
	options.model = c.model;
	options.bindAddress = address(c.host);
	options.idOverride[c.inquiry] = c.visca;
	const auto camera = startCamera(options);

	ModelIdentifier identifier;
	const CameraModelMap result = identifier.identifyCamera(QString::fromStdString(options.bindAddress));
	if (c.expectedModel.empty()) {
		EXPECT_TRUE(result.empty());
	} else {
		ASSERT_EQ(result.size(), 1u);
		EXPECT_EQ(result.begin()->second.name, c.expectedModel);
		EXPECT_EQ(result.begin()->second.params->modelName(), c.expectedModel);
		EXPECT_EQ(typeid(*result.begin()->second.params), paramClassOf(c.expectedModel));
	}
	EXPECT_EQ(logLines, c.expectedLog);
}

using Inq = CameraSimulator::IdInquiry;

const ReplyCase replyCases[] = {
	{"First17Bytes", 31, "QK-H32P", Inq::First, QByteArray::fromHex("9050564c4f000000ff"), "",
	 QStringList{custom, "H32P2 parse failed,Not Match,set default", "P77K parse failed inq.length() < 36",
		     notMatch}},
	{"First18BytesLeadingSpaceName", 32, "QK-H32P", Inq::First, QByteArray::fromHex("9050564c4f00000000ff"),
	 " ZR-318-30X", QStringList{custom, " tmpH32P connect camID =  ZR-318-30X"}},
	{"FirstLongerThan18", 33, "QK-H57P", Inq::First, QByteArray::fromHex("9050564b4c0000000000000000ff"),
	 "QK-WD406P", QStringList{custom, " tmpH32P connect camID = QK-WD406P"}},
	{"Second17Bytes", 34, "QK-H57P", Inq::Second, QByteArray::fromHex("9050564d49000000ff"), "",
	 QStringList{custom, "H32P2 parse failed,Not Match,set default", "P77K parse failed inq.length() < 36",
		     notMatch}},
	{"SecondByteAbove7F", 35, "QK-H57P", Inq::Second, QByteArray::fromHex("905056c14c00000000ff"), "Unknown",
	 QStringList{custom, "H32P2 parse failed,Not Match,set default",
		     " inq   =  0111000a00000003905056c14c00000000ff", QString(" CamIdCode   =  V") + QChar(0xC1) + "L",
		     " tmpP77K connect "}},
	{"SecondUnknownCode", 36, "QK-H57P", Inq::Second, QByteArray::fromHex("905058595a00000000ff"), "Unknown",
	 QStringList{custom, "H32P2 parse failed,Not Match,set default",
		     " inq   =  0111000a00000003905058595a00000000ff", " CamIdCode   =  XYZ", " tmpP77K connect "}},
	{"Version17BytesIsNotJs4", 37, "QK-JS4", Inq::Version, QByteArray::fromHex("9050020100000000ff"), "",
	 QStringList{"JS4 parse failed, data Not Match", custom, "H32P2 parse failed,Not Match,set default",
		     "P77K parse failed inq.length() < 36", notMatch}},
	{"VersionOtherVendorFallsThrough", 38, "QK-H57P", Inq::Version, QByteArray::fromHex("9050020200000000ff00"),
	 "QK-H57P",
	 QStringList{custom, "H32P2 parse failed,Not Match,set default",
		     " inq   =  0111000a000000039050564d4900000000ff", " CamIdCode   =  VMI", " tmpP77K connect "}},
};

INSTANTIATE_TEST_SUITE_P(Replies, IdentifyReplies, ::testing::ValuesIn(replyCases),
			 [](const ::testing::TestParamInfo<ReplyCase> &info) { return std::string(info.param.name); });

TEST_F(Identification, SilentCameraGivesEmptyResult)
{
	CameraSimulator::Options options;
	options.bindAddress = address(50);
	options.silent = true;
	const auto camera = startCamera(options);

	ModelIdentifier identifier;
	EXPECT_TRUE(identifier.identifyCamera(QString::fromStdString(options.bindAddress)).empty());
	EXPECT_EQ(logLines, (QStringList{"JS4 parse failed , No data", notMatch}));
	EXPECT_EQ(camera->payloads(), (QList<QByteArray>{versionInquiry, addressSet}));
}

TEST_F(Identification, AddressWithNothingBoundGivesEmptyResult)
{
	ModelIdentifier identifier;
	EXPECT_TRUE(identifier.identifyCamera(QString::fromStdString(address(51))).empty());
	EXPECT_EQ(logLines, (QStringList{"JS4 parse failed , No data", notMatch}));
}

TEST_F(Identification, TextThatIsNoAddressGivesEmptyResult)
{
	ModelIdentifier identifier;
	EXPECT_TRUE(identifier.identifyCamera("not an address").empty());
	EXPECT_EQ(logLines.last(), notMatch);
}

TEST_F(Identification, OtherPortIsUsedWhenGiven)
{
	CameraSimulator::Options options;
	options.model = "QK-WD909P";
	options.bindAddress = address(52);
	options.port = 0;
	const auto camera = startCamera(options);

	ModelIdentifier identifier(camera->boundPort());
	const CameraModelMap result = identifier.identifyCamera(QString::fromStdString(options.bindAddress));
	ASSERT_EQ(result.size(), 1u) << logLines.join("|").toStdString() << " port " << camera->boundPort() << " got "
				     << camera->receivedCount();
	EXPECT_EQ(result.begin()->second.name, "QK-WD909P");
}

TEST_F(Identification, IdentifyCamerasKeepsOrderAndAnnouncedNames)
{
	CameraSimulator::Options first;
	first.model = "QK-H57P";
	first.bindAddress = address(60);
	CameraSimulator::Options third;
	third.model = "QK-WD406P";
	third.bindAddress = address(62);
	const auto cameraA = startCamera(first);
	const auto cameraC = startCamera(third);

	ModelIdentifier identifier;
	identifier.identifyCameras({{{QString::fromStdString(address(60)), "Stage \xC3\xA9 left"}},
				    {{QString::fromStdString(address(61)), "Nobody"}},
				    {{QString::fromStdString(address(62)), "Back"}}});
	const std::vector<CameraModelMap> results = identifier.identifiedCameras();
	ASSERT_EQ(results.size(), 2u);
	ASSERT_EQ(results[0].size(), 1u);
	ASSERT_EQ(results[1].size(), 1u);
	EXPECT_EQ(results[0].begin()->first, address(60));
	EXPECT_EQ(results[0].begin()->second.name, "Stage \xC3\xA9 left");
	EXPECT_EQ(results[0].begin()->second.params->modelName(), "QK-H57P");
	EXPECT_EQ(results[1].begin()->first, address(62));
	EXPECT_EQ(results[1].begin()->second.name, "Back");
	EXPECT_EQ(typeid(*results[1].begin()->second.params), typeid(WD406P_ViscaOps));

	// A second search starts afresh.
	identifier.identifyCameras({{{QString::fromStdString(address(61)), "Nobody"}}});
	EXPECT_TRUE(identifier.identifiedCameras().empty());
}

} // namespace
