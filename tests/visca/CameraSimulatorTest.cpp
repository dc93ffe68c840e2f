// The simulator: state round trips through the link, identification answers and fault options.
#include "JS4ViscaIPModule.h"
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char address[] = "127.0.1.50";

struct RoundTrip {
	bool js4;
	const char *script;
	const char *results; // every result of the script, space separated
};

class SimulatorRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SimulatorRoundTrip, SetThenGetGivesTheValueBack)
{
	CameraSimulator camera(simulatorOptions(address, GetParam().js4 ? "QK-JS4" : "QK-WD909P"));
	ASSERT_TRUE(camera.start());
	std::unique_ptr<viscaIpModule> link(GetParam().js4 ? new JS4ViscaIPModule() : new viscaIpModule());
	ASSERT_TRUE(link->connectCamera(address, camera.boundPort()));
	QStringList results;
	for (const LinkOperations::Result &r : LinkOperations::runScript(*link, GetParam().script))
		results << LinkOperations::format(r);
	EXPECT_EQ(results.join(' ').toStdString(), GetParam().results);
}

INSTANTIATE_TEST_SUITE_P(
	State, SimulatorRoundTrip,
	::testing::Values(
		RoundTrip{false, "setZoomPosition 17185 getZoomPosition", "true 17185"},
		RoundTrip{false, "setFocusPosition 43981 getFocusPosition", "true 43981"},
		RoundTrip{false, "setAutoFocus 0 isAutoFocus setAutoFocus 1 isAutoFocus", "true false true true"},
		RoundTrip{false, "setExposureMode 11 getExposureMode", "true 11"},
		RoundTrip{false, "setShutter 21 getShutter", "true 21"},
		RoundTrip{false, "setIris 12 getIris", "true 12"}, RoundTrip{false, "setGain 14 getGain", "true 14"},
		RoundTrip{false, "setWhiteBalanceMode 4 getWhiteBalanceMode", "true 4"},
		RoundTrip{false, "setRedGain 165 getRedGain setBlueGain 63 getBlueGain", "true 165 true 63"},
		RoundTrip{false, "setGamma 3 getGamma setImageMode 2 getImageMode", "true 3 true 2"},
		RoundTrip{false, "setHue 9 getHue setSaturation 42 getSaturation", "true 9 true 42"},
		RoundTrip{false, "setSharpness 11 getSharpness", "true 11"},
		RoundTrip{false, "setMirrorFlip 3 getMirrorFlip setMirrorFlip 1 getMirrorFlip", "true 3 true 1"},
		RoundTrip{false, "setMirrorFlip 2 getMirrorFlip setMirrorFlip 0 getMirrorFlip", "true 2 true 0"},
		RoundTrip{true, "setHue 10 getHue setSaturation 7 getSaturation", "true 10 true 7"},
		RoundTrip{true, "setSharpness 15 getSharpness", "true 15"}),
	[](const ::testing::TestParamInfo<RoundTrip> &info) {
		return (info.param.js4 ? "JS4_" : "") + testName(info.param.script);
	});

// The ID table as cameras report it; "" is the camera that answers the version inquiry instead.
struct ModelCase {
	const char *model;
	const char *code;
	bool firstInquiry;
};

class SimulatorIdentity : public ::testing::TestWithParam<ModelCase> {};

QByteArray ask(viscaIpModule &link, const char *payloadHex)
{
	const QByteArray payload = hexBytes(payloadHex);
	QByteArray reply;
	return link.sendRawInquiry(reply, reinterpret_cast<const unsigned char *>(payload.constData()), payload.size());
}

TEST_P(SimulatorIdentity, AnswersAsItsFamily)
{
	const ModelCase c = GetParam();
	CameraSimulator camera(simulatorOptions(address, c.model));
	ASSERT_TRUE(camera.start()) << camera.errorString();
	viscaIpModule link;
	ASSERT_TRUE(link.connectCamera(address, camera.boundPort()));
	const QByteArray version = ask(link, "81 09 00 02 FF");
	const QByteArray first = ask(link, "81 01 02 03 FF");
	const QByteArray second = ask(link, "81 09 00 02 00 03 FF");
	const bool js4 = c.code[0] == '\0';
	ASSERT_EQ(version.size(), 18);
	EXPECT_EQ(version.mid(10, 2) == hexBytes("02 01"), js4);
	const QByteArray error = hexBytes("90 60 02 FF");
	EXPECT_EQ(first.size() == 18 ? first.mid(10, 3) : first.mid(8),
		  js4 || !c.firstInquiry ? error : QByteArray(c.code));
	EXPECT_EQ(second.size() == 18 ? second.mid(10, 3) : second.mid(8),
		  js4 || c.firstInquiry ? error : QByteArray(c.code));
}

INSTANTIATE_TEST_SUITE_P(
	Models, SimulatorIdentity,
	::testing::Values(ModelCase{"QK-H57P", "VMI", false}, ModelCase{"QK-H57PN", "VZF", false},
			  ModelCase{"QK-H57P-BRN", "VZS", false}, ModelCase{"QK-H57PN-BRN", "VOF", false},
			  ModelCase{"QK-H45P", "VBR", false}, ModelCase{"QK-H45PN", "VRO", false},
			  ModelCase{"QK-H45PN-BRN", "VRY", false}, ModelCase{"ZR714-IP", "VSX", false},
			  ModelCase{"QK-WD909P", "VBW", false}, ModelCase{"QK-WD909P-BRN", "VMT", false},
			  ModelCase{"QK-WD909PN-BRN", "VOT", false}, ModelCase{"QK-WD508P", "VKD", false},
			  ModelCase{"QK-WD508P-BRN", "VNB", false}, ModelCase{"QK-WD508PN-BRN", "VRH", false},
			  ModelCase{"QK-WD406P", "VKL", false}, ModelCase{" ZR-318-30X", "VLO", false},
			  ModelCase{"QK-H32P", "VIL", true}, ModelCase{"QK-H32PN", "VIL", true},
			  ModelCase{"ZR712-IP", "VHB", true}, ModelCase{"QK-H33P", "VLS", true},
			  ModelCase{"QK-JS4", "", false}),
	[](const ::testing::TestParamInfo<ModelCase> &info) { return testName(info.param.model); });

TEST(CameraSimulator, RefusesUnknownModelAndBadAddress)
{
	EXPECT_EQ(CameraSimulator::knownModels().size(), 21u);
	CameraSimulator unknown(simulatorOptions(address, "ZR-318-30X")); // the real name has a leading space
	EXPECT_FALSE(unknown.start());
	EXPECT_NE(unknown.errorString().find("ZR-318-30X"), std::string::npos);
	CameraSimulator badAddress(simulatorOptions("127.0.1"));
	EXPECT_FALSE(badAddress.start());
}

TEST(CameraSimulator, OverridesAndUnknownMessages)
{
	CameraSimulator::Options o = simulatorOptions(address, "QK-H32P");
	o.idOverride[CameraSimulator::IdInquiry::First] = hexBytes("90 50 56 49 FF 00 00 00 FF");
	o.idOverride[CameraSimulator::IdInquiry::Second] = hexBytes("90 50 56 C9 4C 00 00 00 00 FF");
	CameraSimulator camera(o);
	ASSERT_TRUE(camera.start());
	viscaIpModule link;
	link.connectCamera(address, camera.boundPort());
	EXPECT_EQ(ask(link, "81 01 02 03 FF").size(), 17);
	EXPECT_EQ(hexText(ask(link, "81 09 00 02 00 03 FF").mid(10, 3)).toStdString(), "56 C9 4C");
	EXPECT_EQ(hexText(ask(link, "81 09 7F 7F FF").mid(8)).toStdString(), "90 60 02 FF");
	EXPECT_EQ(hexText(ask(link, "82 01 FF").mid(8)).toStdString(), "90 60 02 FF");
}

struct FaultCase {
	const char *name;
	std::function<void(CameraSimulator::Options &)> configure;
	bool result;
	int datagrams;
	int replies;
};

class SimulatorFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatorFaults, ShapeTheCommandExchange)
{
	CameraSimulator::Options o = simulatorOptions(address);
	GetParam().configure(o);
	CameraSimulator camera(o);
	ASSERT_TRUE(camera.start());
	auto link = aimed<viscaIpModule>(address, camera.boundPort());
	EXPECT_EQ(link->moveUp(), GetParam().result);
	camera.waitForReplies(GetParam().replies, 3000);
	EXPECT_EQ(static_cast<int>(camera.receivedCount()), GetParam().datagrams);
	EXPECT_EQ(camera.sentReplies().size(), GetParam().replies);
}

using O = CameraSimulator::Options;
INSTANTIATE_TEST_SUITE_P(
	Options, SimulatorFaults,
	::testing::Values(
		FaultCase{"None", [](O &) {}, true, 1, 2},
		FaultCase{"WrongSequence", [](O &o) { o.wrongSequence = true; }, false, 2, 4},
		FaultCase{"DuplicateReplies", [](O &o) { o.duplicateReplies = true; }, true, 1, 4},
		FaultCase{"DropCompletion", [](O &o) { o.dropReply = 2; }, true, 2, 3},
		FaultCase{"ShortAckDelay", [](O &o) { o.ackDelayMs = 30; }, true, 1, 2},
		// The first attempt times out; the late answers to it confirm the repeat, which keeps its number.
		FaultCase{"LateAckConfirmsRepeat", [](O &o) { o.ackDelayMs = 500; }, true, 2, 4}),
	[](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST(CameraSimulator, RecordsStateTrafficAndLog)
{
	QTemporaryDir dir;
	CameraSimulator::Options o = simulatorOptions(address);
	o.logFile = dir.filePath("camera.log").toStdString();
	{
		CameraSimulator camera(o);
		ASSERT_TRUE(camera.start());
		auto link = aimed<viscaIpModule>(address, camera.boundPort());
		LinkOperations::runScript(*link,
					  "setPanSpeed 5 setTiltSpeed 6 moveDownLeft setPresetNumber 7 storePreset");
		const CameraSimulator::State s = camera.state();
		EXPECT_EQ(std::vector<int>({s.panSpeed, s.tiltSpeed, s.panDirection, s.tiltDirection, s.storedPreset}),
			  std::vector<int>({5, 6, 1, 2, 7}));
		ASSERT_EQ(camera.received().size(), 2u);
		EXPECT_EQ(camera.received()[0].fromAddress.substr(0, 4), "127.");
		EXPECT_EQ(hexText(camera.payloads().at(1)).toStdString(), "81 01 04 3F 01 07 FF");
		camera.clear();
		EXPECT_FALSE(camera.waitForDatagrams(1, 20));
	}
	QFile file(QString::fromStdString(o.logFile));
	ASSERT_TRUE(file.open(QIODevice::ReadOnly));
	const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
	ASSERT_EQ(lines.size(), 6);
	EXPECT_TRUE(QRegularExpression(
			    "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} in  01 00 00 09 00 00 00 01 81 01 06 01 05 06 01 02 ff$")
			    .match(lines[0])
			    .hasMatch())
		<< lines[0].toStdString();
	EXPECT_TRUE(lines[1].endsWith(" out 01 11 00 03 00 00 00 01 90 41 ff")) << lines[1].toStdString();
}

} // namespace
