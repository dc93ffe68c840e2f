// The simulator: state round trips through the link, identification answers and fault options.
#include "CameraSimulator.h"
#include "JS4ViscaIPModule.h"
#include "LinkTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cctype>
#include <memory>

namespace {

const char address[] = "127.0.1.50";

CameraSimulator::Options options(const std::string &model = "QK-H57P")
{
	CameraSimulator::Options o;
	o.model = model;
	o.bindAddress = address;
	o.port = 0;
	return o;
}

struct RoundTrip {
	const char *name;
	bool js4;
	std::function<bool(viscaIpModule &)> set;
	std::function<int(viscaIpModule &)> get;
	int expected;
};

class SimulatorRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SimulatorRoundTrip, SetThenGetGivesTheValueBack)
{
	CameraSimulator camera(options(GetParam().js4 ? "QK-JS4" : "QK-WD909P"));
	ASSERT_TRUE(camera.start());
	std::unique_ptr<viscaIpModule> link(GetParam().js4 ? new JS4ViscaIPModule() : new viscaIpModule());
	ASSERT_TRUE(link->connectCamera(address, camera.boundPort()));
	EXPECT_TRUE(GetParam().set(*link));
	EXPECT_EQ(GetParam().get(*link), GetParam().expected);
}

using L = viscaIpModule;
INSTANTIATE_TEST_SUITE_P(
	State, SimulatorRoundTrip,
	::testing::Values(
		RoundTrip{"ZoomPosition", false, [](L &l) { return l.setZoomPosition(0x4321); },
			  [](L &l) { return l.getZoomPosition(); }, 0x4321},
		RoundTrip{"FocusPosition", false, [](L &l) { return l.setFocusPosition(0xABCD); },
			  [](L &l) { return l.getFocusPosition(); }, 0xABCD},
		RoundTrip{"AutoFocusOff", false, [](L &l) { return l.setAutoFocus(false); },
			  [](L &l) { return int(l.isAutoFocus()); }, 0},
		RoundTrip{"AutoFocusOn", false, [](L &l) { return l.setAutoFocus(true); },
			  [](L &l) { return int(l.isAutoFocus()); }, 1},
		RoundTrip{"ExposureMode", false, [](L &l) { return l.setExposureMode(0x0B); },
			  [](L &l) { return l.getExposureMode(); }, 0x0B},
		RoundTrip{"Shutter", false, [](L &l) { return l.setShutter(0x15); },
			  [](L &l) { return l.getShutter(); }, 0x15},
		RoundTrip{"Iris", false, [](L &l) { return l.setIris(0x0C); }, [](L &l) { return l.getIris(); }, 0x0C},
		RoundTrip{"Gain", false, [](L &l) { return l.setGain(0x0E); }, [](L &l) { return l.getGain(); }, 0x0E},
		RoundTrip{"WhiteBalanceMode", false, [](L &l) { return l.setWhiteBalanceMode(4); },
			  [](L &l) { return l.getWhiteBalanceMode(); }, 4},
		RoundTrip{"RedGain", false, [](L &l) { return l.setRedGain(0xA5); },
			  [](L &l) { return l.getRedGain(); }, 0xA5},
		RoundTrip{"BlueGain", false, [](L &l) { return l.setBlueGain(0x3F); },
			  [](L &l) { return l.getBlueGain(); }, 0x3F},
		RoundTrip{"Gamma", false, [](L &l) { return l.setGamma(3); }, [](L &l) { return l.getGamma(); }, 3},
		RoundTrip{"ImageMode", false, [](L &l) { return l.setImageMode(2); },
			  [](L &l) { return l.getImageMode(); }, 2},
		RoundTrip{"Hue", false, [](L &l) { return l.setHue(9); }, [](L &l) { return l.getHue(); }, 9},
		RoundTrip{"Saturation", false, [](L &l) { return l.setSaturation(0x2A); },
			  [](L &l) { return l.getSaturation(); }, 0x2A},
		RoundTrip{"Sharpness", false, [](L &l) { return l.setSharpness(0x0B); },
			  [](L &l) { return l.getSharpness(); }, 0x0B},
		RoundTrip{"MirrorFlipBoth", false, [](L &l) { return l.setMirrorFlip(3); },
			  [](L &l) { return l.getMirrorFlip(); }, 3},
		RoundTrip{"MirrorOnly", false, [](L &l) { return l.setMirrorFlip(1); },
			  [](L &l) { return l.getMirrorFlip(); }, 1},
		RoundTrip{"FlipOnly", false, [](L &l) { return l.setMirrorFlip(2); },
			  [](L &l) { return l.getMirrorFlip(); }, 2},
		RoundTrip{"Js4Hue", true, [](L &l) { return l.setHue(0x0A); }, [](L &l) { return l.getHue(); }, 0x0A},
		RoundTrip{"Js4Saturation", true, [](L &l) { return l.setSaturation(0x07); },
			  [](L &l) { return l.getSaturation(); }, 0x07},
		RoundTrip{"Js4Sharpness", true, [](L &l) { return l.setSharpness(0x0F); },
			  [](L &l) { return l.getSharpness(); }, 0x0F}),
	[](const ::testing::TestParamInfo<RoundTrip> &info) { return std::string(info.param.name); });

// The ID table as cameras report it, and which inquiry carries the code.
enum class Answers { First, Second, Version };

struct ModelCase {
	const char *model;
	const char *code;
	Answers answers;
};

class SimulatorIdentity : public ::testing::TestWithParam<ModelCase> {};

QByteArray ask(viscaIpModule &link, std::initializer_list<unsigned char> payload)
{
	const std::vector<unsigned char> bytes(payload);
	QByteArray reply;
	return link.sendRawInquiry(reply, bytes.data(), static_cast<int>(bytes.size()));
}

TEST_P(SimulatorIdentity, AnswersAsItsFamily)
{
	const ModelCase c = GetParam();
	CameraSimulator camera(options(c.model));
	ASSERT_TRUE(camera.start()) << camera.errorString();
	viscaIpModule link;
	ASSERT_TRUE(link.connectCamera(address, camera.boundPort()));
	const QByteArray version = ask(link, {0x81, 0x09, 0x00, 0x02, 0xFF});
	const QByteArray first = ask(link, {0x81, 0x01, 0x02, 0x03, 0xFF});
	const QByteArray second = ask(link, {0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF});

	ASSERT_EQ(version.size(), 18);
	EXPECT_EQ(version.mid(10, 2) == hexBytes("02 01"), c.answers == Answers::Version);
	const QByteArray error = hexBytes("90 60 02 FF");
	const QByteArray &carrier = c.answers == Answers::First ? first : second;
	const QByteArray &other = c.answers == Answers::First ? second : first;
	if (c.answers == Answers::Version) {
		EXPECT_EQ(first.mid(8), error);
		EXPECT_EQ(second.mid(8), error);
	} else {
		ASSERT_EQ(carrier.size(), 18);
		EXPECT_EQ(carrier.mid(10, 3).toStdString(), c.code);
		EXPECT_EQ(other.mid(8), error);
	}
}

INSTANTIATE_TEST_SUITE_P(
	Models, SimulatorIdentity,
	::testing::Values(
		ModelCase{"QK-H57P", "VMI", Answers::Second}, ModelCase{"QK-H57PN", "VZF", Answers::Second},
		ModelCase{"QK-H57P-BRN", "VZS", Answers::Second}, ModelCase{"QK-H57PN-BRN", "VOF", Answers::Second},
		ModelCase{"QK-H45P", "VBR", Answers::Second}, ModelCase{"QK-H45PN", "VRO", Answers::Second},
		ModelCase{"QK-H45PN-BRN", "VRY", Answers::Second}, ModelCase{"ZR714-IP", "VSX", Answers::Second},
		ModelCase{"QK-WD909P", "VBW", Answers::Second}, ModelCase{"QK-WD909P-BRN", "VMT", Answers::Second},
		ModelCase{"QK-WD909PN-BRN", "VOT", Answers::Second}, ModelCase{"QK-WD508P", "VKD", Answers::Second},
		ModelCase{"QK-WD508P-BRN", "VNB", Answers::Second}, ModelCase{"QK-WD508PN-BRN", "VRH", Answers::Second},
		ModelCase{"QK-WD406P", "VKL", Answers::Second}, ModelCase{" ZR-318-30X", "VLO", Answers::Second},
		ModelCase{"QK-H32P", "VIL", Answers::First}, ModelCase{"QK-H32PN", "VIL", Answers::First},
		ModelCase{"ZR712-IP", "VHB", Answers::First}, ModelCase{"QK-H33P", "VLS", Answers::First},
		ModelCase{"QK-JS4", "", Answers::Version}),
	[](const ::testing::TestParamInfo<ModelCase> &info) {
		std::string name;
		for (const char *p = info.param.model; *p; p++)
			name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
		return name;
	});

TEST(CameraSimulator, KnowsExactlyTheTwentyOneModels)
{
	EXPECT_EQ(CameraSimulator::knownModels().size(), 21u);
	EXPECT_FALSE(CameraSimulator::isKnownModel("ZR-318-30X")); // the real name has a leading space
}

TEST(CameraSimulator, RefusesUnknownModelAndBadAddress)
{
	CameraSimulator unknown(options("QK-NOPE"));
	EXPECT_FALSE(unknown.start());
	EXPECT_NE(unknown.errorString().find("QK-NOPE"), std::string::npos);
	CameraSimulator::Options bad = options();
	bad.bindAddress = "127.0.1";
	CameraSimulator badAddress(bad);
	EXPECT_FALSE(badAddress.start());
}

TEST(CameraSimulator, IdOverrideMakesShortAndHighByteAnswers)
{
	CameraSimulator::Options o = options("QK-H32P");
	o.idOverride[CameraSimulator::IdInquiry::First] = hexBytes("90 50 56 49 FF 00 00 00 FF");
	o.idOverride[CameraSimulator::IdInquiry::Second] = hexBytes("90 50 56 C9 4C 00 00 00 00 FF");
	CameraSimulator camera(o);
	ASSERT_TRUE(camera.start());
	viscaIpModule link;
	link.connectCamera(address, camera.boundPort());
	EXPECT_EQ(ask(link, {0x81, 0x01, 0x02, 0x03, 0xFF}).size(), 17);
	EXPECT_EQ(hexText(ask(link, {0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF}).mid(10, 3)).toStdString(), "56 C9 4C");
}

TEST(CameraSimulator, UnknownMessagesGetSyntaxErrors)
{
	CameraSimulator camera(options());
	ASSERT_TRUE(camera.start());
	viscaIpModule link;
	link.connectCamera(address, camera.boundPort());
	EXPECT_EQ(hexText(ask(link, {0x81, 0x09, 0x7F, 0x7F, 0xFF}).mid(8)).toStdString(), "90 60 02 FF");
	EXPECT_EQ(hexText(ask(link, {0x82, 0x01, 0xFF}).mid(8)).toStdString(), "90 60 02 FF");
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
	CameraSimulator::Options o = options();
	GetParam().configure(o);
	CameraSimulator camera(o);
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(address, camera.boundPort());
	EXPECT_EQ(link.moveUp(), GetParam().result);
	camera.waitForReplies(GetParam().replies, 3000);
	EXPECT_EQ(static_cast<int>(camera.receivedCount()), GetParam().datagrams);
	EXPECT_EQ(camera.sentReplies().size(), GetParam().replies);
}

INSTANTIATE_TEST_SUITE_P(
	Options, SimulatorFaults,
	::testing::Values(
		FaultCase{"None", [](CameraSimulator::Options &) {}, true, 1, 2},
		FaultCase{"Silent", [](CameraSimulator::Options &o) { o.silent = true; }, false, 2, 0},
		FaultCase{"ErrorReply", [](CameraSimulator::Options &o) { o.errorReply = true; }, false, 2, 2},
		FaultCase{"WrongSequence", [](CameraSimulator::Options &o) { o.wrongSequence = true; }, false, 2, 4},
		FaultCase{"DuplicateReplies", [](CameraSimulator::Options &o) { o.duplicateReplies = true; }, true, 1,
			  4},
		FaultCase{"DropCompletion", [](CameraSimulator::Options &o) { o.dropReply = 2; }, true, 2, 3},
		FaultCase{"ShortAckDelay", [](CameraSimulator::Options &o) { o.ackDelayMs = 30; }, true, 1, 2},
		// The first attempt times out; the late answers to it confirm the repeat, which keeps its number.
		FaultCase{"LateAckConfirmsRepeat", [](CameraSimulator::Options &o) { o.ackDelayMs = 500; }, true, 2,
			  4}),
	[](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST(CameraSimulator, RecordsStateAndTraffic)
{
	CameraSimulator camera(options());
	ASSERT_TRUE(camera.start());
	viscaIpModule link;
	link.connectCamera(address, camera.boundPort());
	link.setPanSpeed(5);
	link.setTiltSpeed(6);
	EXPECT_TRUE(link.moveDownLeft());
	link.setPresetNumber(7);
	EXPECT_TRUE(link.storePreset());
	EXPECT_TRUE(link.setPresetSpeed(9));
	const CameraSimulator::State s = camera.state();
	EXPECT_EQ(s.panSpeed, 5);
	EXPECT_EQ(s.tiltSpeed, 6);
	EXPECT_EQ(s.panDirection, 1);
	EXPECT_EQ(s.tiltDirection, 2);
	EXPECT_EQ(s.storedPreset, 7);
	EXPECT_EQ(s.presetSpeed, 9);
	EXPECT_EQ(s.commandCount, 3);
	const std::vector<CameraSimulator::Datagram> got = camera.received();
	ASSERT_EQ(got.size(), 4u);
	EXPECT_EQ(got[0].fromAddress, "127.0.0.1");
	EXPECT_EQ(hexText(camera.payloads().at(2)).toStdString(), "81 01 04 3F 01 07 FF");
	camera.clear();
	EXPECT_EQ(camera.receivedCount(), 0u);
	EXPECT_FALSE(camera.waitForDatagrams(1, 20));
}

TEST(CameraSimulator, LogsEveryDatagramAsHex)
{
	QTemporaryDir dir;
	ASSERT_TRUE(dir.isValid());
	const QString path = dir.filePath("camera.log");
	CameraSimulator::Options o = options();
	o.logFile = path.toStdString();
	{
		CameraSimulator camera(o);
		ASSERT_TRUE(camera.start());
		AimedLink<viscaIpModule> link;
		link.aim(address, camera.boundPort());
		EXPECT_TRUE(link.panTiltHome());
	}
	QFile file(path);
	ASSERT_TRUE(file.open(QIODevice::ReadOnly));
	const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
	ASSERT_EQ(lines.size(), 3);
	EXPECT_TRUE(lines[0].endsWith("in  01 00 00 05 00 00 00 01 81 01 06 04 ff")) << lines[0].toStdString();
	EXPECT_TRUE(lines[1].endsWith("out 01 11 00 03 00 00 00 01 90 41 ff")) << lines[1].toStdString();
	EXPECT_TRUE(lines[2].endsWith("out 01 11 00 03 00 00 00 01 90 51 ff")) << lines[2].toStdString();
	EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ").match(lines[0]).hasMatch());
}

} // namespace
