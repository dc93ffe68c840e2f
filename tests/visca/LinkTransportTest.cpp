// Sequence numbers, reply checks, repeats, time-outs and the probes.
#include "JS4ViscaIPModule.h"
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const char address[] = "127.0.1.20";
using Change = std::function<void(CameraSimulator::Options &)>;

// A camera on the suite's address with some options changed.
std::unique_ptr<CameraSimulator> camera(const Change &change = {}, const std::string &model = "QK-H57P")
{
	CameraSimulator::Options options = simulatorOptions(address, model);
	if (change)
		change(options);
	auto simulator = std::make_unique<CameraSimulator>(options);
	EXPECT_TRUE(simulator->start()) << simulator->errorString();
	return simulator;
}

void silent(CameraSimulator::Options &o)
{
	o.silent = true;
}

struct SequenceCase {
	int before; // numbers handed out before the packet
	const char *digits;
};

class SequenceNumbers : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(SequenceNumbers, HeaderCarriesOneDigitPerByte)
{
	viscaIpModule link;
	for (int i = 0; i < GetParam().before; i++)
		link.nextSequence();
	unsigned char header[8] = {0};
	link.fillHeader(header, 0x10, 5);
	EXPECT_EQ(hexText(QByteArray(reinterpret_cast<const char *>(header), 8)).toStdString(),
		  std::string("01 10 00 05 ") + GetParam().digits);
}

INSTANTIATE_TEST_SUITE_P(Counter, SequenceNumbers,
			 ::testing::Values(SequenceCase{0, "00 00 00 01"}, SequenceCase{15, "00 00 01 00"},
					   SequenceCase{0x1233, "01 02 03 04"}, SequenceCase{65534, "0F 0F 0F 0F"},
					   SequenceCase{65535, "00 00 00 00"}));

TEST(LinkTransport, CommandsAroundTheWrap)
{
	auto cam = camera();
	auto link = aimed<viscaIpModule>(address, cam->boundPort());
	for (int i = 0; i < 65534; i++)
		link->nextSequence();
	EXPECT_TRUE(link->moveUp());
	EXPECT_TRUE(link->moveUp());
	ASSERT_EQ(cam->receivedCount(), 2u);
	EXPECT_EQ(hexText(cam->datagrams()[0].mid(4, 4)).toStdString(), "0F 0F 0F 0F");
	EXPECT_EQ(hexText(cam->datagrams()[1].mid(4, 4)).toStdString(), "00 00 00 00");
	// An empty reply decodes as number 0; silence must still fail the command numbered 0.
	for (int i = 0; i < 65535; i++)
		link->nextSequence();
	CameraSimulator::Options faults = cam->options();
	faults.silent = true;
	cam->setFaults(faults);
	EXPECT_FALSE(link->panTiltStop());
}

// Reply kinds are not checked: the first two replies with the right number count.
struct ReplyRule {
	const char *name;
	std::vector<const char *> replies; // empty: silence
	bool result;
	int sends;
	std::string log;
};

class CommandReplies : public ::testing::TestWithParam<ReplyRule> {};

TEST_P(CommandReplies, DecideTheCommand)
{
	const ReplyRule rule = GetParam();
	auto cam = camera([&rule](CameraSimulator::Options &o) {
		o.silent = rule.replies.empty();
		for (const char *visca : rule.replies)
			o.commandReplies.push_back(hexBytes(visca));
	});
	auto link = aimed<viscaIpModule>(address, cam->boundPort());
	LogCapture::clear();
	EXPECT_EQ(link->moveUp(), rule.result);
	EXPECT_EQ(LogCapture::messages().join("|").toStdString(), rule.log);
	ASSERT_EQ(static_cast<int>(cam->receivedCount()), rule.sends);
	EXPECT_EQ(cam->datagrams().first(), cam->datagrams().last()); // a repeat keeps its number
}

const char miss[] = "check count number Error!!";
const std::string syntaxError = "error = ACK_SYNTAX_ERROR  2\n";
INSTANTIATE_TEST_SUITE_P(
	Rules, CommandReplies,
	::testing::Values(ReplyRule{"AckThenCompletion", {"90 41 FF", "90 51 FF"}, true, 1, ""},
			  ReplyRule{"TwoCompletions", {"90 51 FF", "90 51 FF"}, true, 1, ""},
			  ReplyRule{"ErrorFirst", {"90 60 02 FF"}, false, 2, syntaxError + "|" + syntaxError},
			  ReplyRule{"ErrorAsCompletion",
				    {"90 41 FF", "90 61 41 FF"},
				    false,
				    2,
				    "error = ACK_COMMAND_NOT_ECECUTE  65\n|error = ACK_COMMAND_NOT_ECECUTE  65\n"},
			  ReplyRule{"AckOnly", {"90 41 FF"}, false, 2, std::string(miss) + "|" + miss},
			  ReplyRule{"Silence", {}, false, 2, std::string(miss) + "|" + miss}),
	[](const ::testing::TestParamInfo<ReplyRule> &info) { return std::string(info.param.name); });

struct ErrorCase {
	const char *visca;
	bool error;
	const char *message; // nullptr: none
};

class ErrorReplies : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorReplies, AreRecognisedAndLogged)
{
	viscaIpModule link;
	LogCapture::clear();
	const QByteArray reply =
		GetParam().visca[0] ? hexBytes("01 11 00 04 00 00 00 01") + hexBytes(GetParam().visca) : QByteArray();
	EXPECT_EQ(link.isErrorReply(reply), GetParam().error);
	EXPECT_EQ(LogCapture::messages(), GetParam().message ? QStringList{GetParam().message} : QStringList());
}

INSTANTIATE_TEST_SUITE_P(Codes, ErrorReplies,
			 ::testing::Values(ErrorCase{"90 60 02 FF", true, "error = ACK_SYNTAX_ERROR  2\n"},
					   ErrorCase{"90 61 03 FF", true, "error = ACK_SOCKET_FULL  3\n"},
					   ErrorCase{"90 62 05 FF", true, "error = ACK_NO_SOCKET  5\n"},
					   ErrorCase{"90 61 41 FF", true, "error = ACK_COMMAND_NOT_ECECUTE  65\n"},
					   ErrorCase{"90 60 04 FF", true, nullptr}, ErrorCase{"90 60", true, nullptr},
					   ErrorCase{"A0 60 02 FF", false, nullptr},
					   ErrorCase{"90 50 02 FF", false, nullptr}, ErrorCase{"", false, nullptr}));

// Against a silent camera: how often each command goes out, each miss logged once.
struct SilentCase {
	bool js4;
	const char *script;
	int sends;
};

class SilentCamera : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentCamera, FailsAfterItsAttempts)
{
	auto cam = camera(silent);
	auto link = GetParam().js4 ? aimed<JS4ViscaIPModule>(address, cam->boundPort())
				   : aimed<viscaIpModule>(address, cam->boundPort());
	LogCapture::clear();
	const auto results = LinkOperations::runScript(*link, GetParam().script);
	ASSERT_FALSE(results.empty());
	EXPECT_EQ(LinkOperations::format(results.back()).toStdString(), "false");
	EXPECT_EQ(static_cast<int>(cam->receivedCount()), GetParam().sends);
	EXPECT_EQ(LogCapture::count("check count number Error!!"), GetParam().sends);
}

INSTANTIATE_TEST_SUITE_P(Attempts, SilentCamera,
			 ::testing::Values(SilentCase{false, "storePreset", 2},
					   SilentCase{false, "setPresetNumber 4 recallPreset", 1},
					   SilentCase{true, "setHue 42", 1}, SilentCase{true, "setPresetSpeed 3", 2}),
			 [](const ::testing::TestParamInfo<SilentCase> &info) {
				 return (info.param.js4 ? "JS4_" : "") + testName(info.param.script);
			 });

TEST(LinkTransport, LateAnswerDecodesZeroAndIsDiscardedByTheNextSend)
{
	auto cam = camera(silent);
	auto link = aimed<viscaIpModule>(address, cam->boundPort());
	LogCapture::clear();
	EXPECT_EQ(link->getGain(), 0);
	EXPECT_EQ(LogCapture::messages(), QStringList{"check count number Error!!  = 0"});
	ASSERT_TRUE(cam->sendToLastPeer(hexBytes("01 11 00 07 00 00 00 01 90 50 00 00 00 07 FF"))); // too late
	cam->setFaults(simulatorOptions(address));
	CameraSimulator::State state;
	state.gain = 9;
	cam->setState(state);
	LogCapture::clear();
	EXPECT_EQ(link->getGain(), 9);
	EXPECT_TRUE(LogCapture::messages().isEmpty());
}

TEST(LinkTransport, ForeignNumberFailsCommandsAndInquiries)
{
	auto cam = camera([](CameraSimulator::Options &o) { o.wrongSequence = true; });
	auto link = aimed<viscaIpModule>(address, cam->boundPort());
	LogCapture::clear();
	EXPECT_FALSE(link->moveUp());
	EXPECT_EQ(LogCapture::count("check count number Error!!"), 2);
	ASSERT_TRUE(cam->waitForReplies(4, 1000));
	LogCapture::clear();
	EXPECT_EQ(link->getRedGain(), 0);
	ASSERT_EQ(LogCapture::messages().size(), 1);
	EXPECT_TRUE(LogCapture::messages().first().startsWith("check count number Error!!  = 20"));
}

TEST(LinkTransport, OnlyOneStaleDatagramIsDiscarded)
{
	auto cam = camera();
	auto link = aimed<viscaIpModule>(address, cam->boundPort());
	EXPECT_EQ(link->getGamma(), 0); // binds the link's socket
	ASSERT_TRUE(cam->sendToLastPeer(hexBytes("01 11 00 04 00 00 00 0A 90 50 05 FF")));
	ASSERT_TRUE(cam->sendToLastPeer(hexBytes("01 11 00 04 00 00 00 0B 90 50 06 FF")));
	LogCapture::clear();
	EXPECT_EQ(link->getGamma(), 0);
	EXPECT_EQ(LogCapture::messages(), QStringList{"check count number Error!!  = 11"});
}

struct ConnectCase {
	const char *answer; // nullptr: silence
	bool connected;
	bool alive;
};

class ConnectProbe : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(ConnectProbe, ReadsTheAddressSetAnswer)
{
	const ConnectCase c = GetParam();
	auto cam = camera([&c](CameraSimulator::Options &o) {
		o.silent = !c.answer;
		o.addressSetReply = c.answer ? hexBytes(c.answer) : QByteArray();
	});
	viscaIpModule link;
	EXPECT_EQ(link.connectCamera(address, cam->boundPort()), c.connected);
	EXPECT_EQ(link.isCameraAlive(), c.alive);
	ASSERT_EQ(cam->receivedCount(), 2u);
	EXPECT_EQ(hexText(cam->datagrams()[0]).toStdString(), "01 00 00 04 00 00 00 01 88 30 01 FF");
	EXPECT_EQ(hexText(cam->datagrams()[1]).toStdString(), "01 00 00 04 00 00 00 02 88 30 01 FF");
}

INSTANTIATE_TEST_SUITE_P(Answers, ConnectProbe,
			 ::testing::Values(ConnectCase{"88 30 02 FF", true, true},
					   ConnectCase{"88 30 03 FF", false, true},
					   ConnectCase{"90 60 41 FF", false, true},
					   ConnectCase{nullptr, false, false}));

TEST(LinkTransport, UnparsableAddressFailsQuietly)
{
	viscaIpModule link;
	LogCapture::clear();
	EXPECT_FALSE(link.connectCamera("camera.invalid", 52381));
	EXPECT_TRUE(link.cameraAddress().isNull());
	EXPECT_FALSE(link.moveUp());
	EXPECT_EQ(LogCapture::messages(), QStringList({"check count number Error!!", "check count number Error!!"}));
}

TEST(LinkTransport, ReconnectKeepsCounterAndSpeeds)
{
	auto cam = camera();
	viscaIpModule link;
	link.setPanSpeed(3);
	EXPECT_TRUE(link.connectCamera(address, cam->boundPort()));
	EXPECT_TRUE(link.connectCamera(address, cam->boundPort()));
	EXPECT_TRUE(link.moveLeft());
	EXPECT_EQ(hexText(cam->datagrams().last()).toStdString(), "01 00 00 09 00 00 00 03 81 01 06 01 03 0B 01 03 FF");
}

TEST(JS4Link, NoProbeAnyAnswerIsAliveAndGettersSkipTheNumberCheck)
{
	auto cam = camera([](CameraSimulator::Options &o) { o.errorReply = true; }, "QK-JS4");
	JS4ViscaIPModule link;
	EXPECT_TRUE(link.connectCamera(address, cam->boundPort()));
	EXPECT_TRUE(link.isCameraAlive());
	ASSERT_EQ(cam->receivedCount(), 1u); // the liveness check is packet number 1
	EXPECT_EQ(hexText(cam->datagrams()[0].mid(4, 4)).toStdString(), "00 00 00 01");
	CameraSimulator::Options faults = cam->options();
	faults.errorReply = false;
	faults.wrongSequence = true;
	cam->setFaults(faults);
	CameraSimulator::State state;
	state.saturation = 7;
	cam->setState(state);
	LogCapture::clear();
	EXPECT_EQ(link.getSaturation(), 7);
	EXPECT_TRUE(LogCapture::messages().isEmpty());
}

} // namespace
