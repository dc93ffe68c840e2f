// Sequence numbers, reply checks, repeats, time-outs and the probes.
#include "CameraSimulator.h"
#include "JS4ViscaIPModule.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char peerAddress[] = "127.0.1.20";
const char simulatorAddress[] = "127.0.1.21";

CameraSimulator::Options simulatorOptions()
{
	CameraSimulator::Options options;
	options.bindAddress = simulatorAddress;
	options.port = 0;
	return options;
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
	const QByteArray bytes(reinterpret_cast<const char *>(header), 8);
	EXPECT_EQ(hexText(bytes.mid(0, 4)).toStdString(), "01 10 00 05");
	EXPECT_EQ(hexText(bytes.mid(4)).toStdString(), GetParam().digits);
}

INSTANTIATE_TEST_SUITE_P(Counter, SequenceNumbers,
			 ::testing::Values(SequenceCase{0, "00 00 00 01"}, SequenceCase{15, "00 00 01 00"},
					   SequenceCase{0x1233, "01 02 03 04"}, SequenceCase{65534, "0F 0F 0F 0F"},
					   SequenceCase{65535, "00 00 00 00"}, SequenceCase{65536, "00 00 00 01"}));

TEST(LinkTransport, CommandsAroundTheWrapSucceedOnTheWire)
{
	CameraSimulator camera(simulatorOptions());
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(simulatorAddress, camera.boundPort());
	for (int i = 0; i < 65534; i++)
		link.nextSequence();
	EXPECT_TRUE(link.moveUp());
	EXPECT_TRUE(link.moveUp());
	const QList<QByteArray> sent = camera.datagrams();
	ASSERT_EQ(sent.size(), 2);
	EXPECT_EQ(hexText(sent[0].mid(4, 4)).toStdString(), "0F 0F 0F 0F");
	EXPECT_EQ(hexText(sent[1].mid(4, 4)).toStdString(), "00 00 00 00");
}

TEST(LinkTransport, SilenceIsNoAnswerToPacketZero)
{
	// An empty reply decodes as number 0; it must not confirm the command numbered 0.
	ScriptedPeer peer(peerAddress, [](int, const QByteArray &) { return std::vector<ScriptedPeer::Reply>(); });
	AimedLink<viscaIpModule> link;
	link.aim(peerAddress, peer.port());
	for (int i = 0; i < 65535; i++)
		link.nextSequence();
	EXPECT_FALSE(link.panTiltStop());
}

TEST(LinkTransport, AcknowledgementAndCompletionAtFirstAttempt)
{
	CameraSimulator camera(simulatorOptions());
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(simulatorAddress, camera.boundPort());
	LogCapture::clear();
	EXPECT_TRUE(link.moveUp());
	EXPECT_EQ(camera.receivedCount(), 1u);
	EXPECT_TRUE(LogCapture::messages().isEmpty());
}

// Reply kinds are not checked: the first two replies with the right number count.
struct ReplyRule {
	const char *name;
	std::vector<const char *> replies;
	bool result;
	int attempts;
};

class CommandReplies : public ::testing::TestWithParam<ReplyRule> {};

TEST_P(CommandReplies, DecideTheCommand)
{
	const ReplyRule rule = GetParam();
	ScriptedPeer peer(peerAddress, [rule](int, const QByteArray &request) {
		std::vector<ScriptedPeer::Reply> out;
		for (const char *visca : rule.replies)
			out.push_back({0, ScriptedPeer::replyTo(request, visca)});
		return out;
	});
	AimedLink<viscaIpModule> link;
	link.aim(peerAddress, peer.port());
	EXPECT_EQ(link.moveUp(), rule.result);
	peer.waitForSent(static_cast<int>(rule.replies.size()) * rule.attempts, 500);
	EXPECT_EQ(static_cast<int>(peer.received().size()), rule.attempts);
}

INSTANTIATE_TEST_SUITE_P(Rules, CommandReplies,
			 ::testing::Values(ReplyRule{"AckThenCompletion", {"90 41 FF", "90 51 FF"}, true, 1},
					   ReplyRule{"TwoCompletions", {"90 51 FF", "90 51 FF"}, true, 1},
					   ReplyRule{"ErrorFirst", {"90 60 02 FF"}, false, 2},
					   ReplyRule{"ErrorAsCompletion", {"90 41 FF", "90 61 41 FF"}, false, 2},
					   ReplyRule{"AckOnly", {"90 41 FF"}, false, 2}),
			 [](const ::testing::TestParamInfo<ReplyRule> &info) { return std::string(info.param.name); });

struct ErrorCase {
	const char *reply;
	bool error;
	const char *message; // nullptr: none
};

class ErrorReplies : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorReplies, AreRecognisedAndLogged)
{
	viscaIpModule link;
	LogCapture::clear();
	EXPECT_EQ(link.isErrorReply(hexBytes(GetParam().reply)), GetParam().error);
	const QStringList log = LogCapture::messages();
	if (GetParam().message) {
		ASSERT_EQ(log.size(), 1);
		EXPECT_EQ(log.first().toStdString(), GetParam().message);
	} else {
		EXPECT_TRUE(log.isEmpty());
	}
}

INSTANTIATE_TEST_SUITE_P(
	Codes, ErrorReplies,
	::testing::Values(ErrorCase{"01 11 00 04 00 00 00 01 90 60 02 FF", true, "error = ACK_SYNTAX_ERROR  2\n"},
			  ErrorCase{"01 11 00 04 00 00 00 01 90 61 03 FF", true, "error = ACK_SOCKET_FULL  3\n"},
			  ErrorCase{"01 11 00 04 00 00 00 01 90 62 05 FF", true, "error = ACK_NO_SOCKET  5\n"},
			  ErrorCase{"01 11 00 04 00 00 00 01 90 61 41 FF", true,
				    "error = ACK_COMMAND_NOT_ECECUTE  65\n"},
			  ErrorCase{"01 11 00 04 00 00 00 01 90 60 04 FF", true, nullptr},
			  ErrorCase{"01 11 00 04 00 00 00 01 90 60", true, nullptr},
			  ErrorCase{"01 11 00 04 00 00 00 01 A0 60 02 FF", false, nullptr},
			  ErrorCase{"01 11 00 04 00 00 00 01 90 50 02 FF", false, nullptr},
			  ErrorCase{"", false, nullptr}));

TEST(LinkTransport, ErrorReplySendsOnceMoreAndLogs)
{
	CameraSimulator::Options options = simulatorOptions();
	options.errorReply = true;
	CameraSimulator camera(options);
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(simulatorAddress, camera.boundPort());
	LogCapture::clear();
	EXPECT_FALSE(link.moveUp());
	const QList<QByteArray> sent = camera.datagrams();
	ASSERT_EQ(sent.size(), 2);
	EXPECT_EQ(sent[0], sent[1]); // the repeat keeps its number
	EXPECT_EQ(LogCapture::count("error = ACK_SYNTAX_ERROR  2\n"), 2);
}

// Against a silent camera: how many times each kind of command goes out.
struct SilentCase {
	const char *name;
	std::function<bool(viscaIpModule &)> run;
	bool js4;
	int sends;
};

class SilentCamera : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentCamera, FailsAfterItsAttempts)
{
	ScriptedPeer peer(peerAddress, [](int, const QByteArray &) { return std::vector<ScriptedPeer::Reply>(); });
	AimedLink<viscaIpModule> plain;
	AimedLink<JS4ViscaIPModule> js4;
	viscaIpModule &link = GetParam().js4 ? static_cast<viscaIpModule &>(js4) : plain;
	plain.aim(peerAddress, peer.port());
	js4.aim(peerAddress, peer.port());
	LogCapture::clear();
	EXPECT_FALSE(GetParam().run(link));
	const std::vector<QByteArray> got = peer.received();
	ASSERT_EQ(static_cast<int>(got.size()), GetParam().sends);
	for (const QByteArray &d : got)
		EXPECT_EQ(d, got.front());
	EXPECT_EQ(LogCapture::count("check count number Error!!"), GetParam().sends);
}

INSTANTIATE_TEST_SUITE_P(
	Attempts, SilentCamera,
	::testing::Values(SilentCase{"moveUp", [](viscaIpModule &l) { return l.moveUp(); }, false, 2},
			  SilentCase{"storePreset", [](viscaIpModule &l) { return l.storePreset(); }, false, 2},
			  SilentCase{"recallPreset",
				     [](viscaIpModule &l) {
					     l.setPresetNumber(4);
					     return l.recallPreset();
				     },
				     false, 1},
			  SilentCase{"js4SetHue", [](viscaIpModule &l) { return l.setHue(0x2A); }, true, 1},
			  SilentCase{"js4PresetSpeed", [](viscaIpModule &l) { return l.setPresetSpeed(3); }, true, 2}),
	[](const ::testing::TestParamInfo<SilentCase> &info) { return std::string(info.param.name); });

TEST(LinkTransport, SilentInquiryDecodesZeroAndLogsNumberZero)
{
	ScriptedPeer peer(peerAddress, [](int, const QByteArray &) { return std::vector<ScriptedPeer::Reply>(); });
	AimedLink<viscaIpModule> link;
	link.aim(peerAddress, peer.port());
	LogCapture::clear();
	EXPECT_EQ(link.getGain(), 0);
	EXPECT_EQ(LogCapture::messages(), QStringList{"check count number Error!!  = 0"});
}

TEST(LinkTransport, LateAnswerIsDiscardedByTheNextSend)
{
	ScriptedPeer peer(peerAddress, [](int index, const QByteArray &request) {
		const QByteArray answer =
			ScriptedPeer::replyTo(request, index == 0 ? "90 50 00 00 00 07 FF" : "90 50 00 00 00 09 FF");
		return std::vector<ScriptedPeer::Reply>{{index == 0 ? 450 : 0, answer}};
	});
	AimedLink<viscaIpModule> link;
	link.aim(peerAddress, peer.port());
	EXPECT_EQ(link.getGain(), 0);
	ASSERT_TRUE(peer.waitForSent(1, 2000));
	LogCapture::clear();
	EXPECT_EQ(link.getGain(), 9);
	EXPECT_TRUE(LogCapture::messages().isEmpty());
}

TEST(LinkTransport, ForeignNumberFailsCommandsAndInquiries)
{
	CameraSimulator::Options options = simulatorOptions();
	options.wrongSequence = true;
	CameraSimulator camera(options);
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(simulatorAddress, camera.boundPort());
	LogCapture::clear();
	EXPECT_FALSE(link.moveUp());
	EXPECT_EQ(LogCapture::count("check count number Error!!"), 2);
	ASSERT_TRUE(camera.waitForReplies(4, 1000));
	LogCapture::clear();
	EXPECT_EQ(link.getRedGain(), 0);
	ASSERT_EQ(LogCapture::messages().size(), 1);
	EXPECT_TRUE(LogCapture::messages().first().startsWith("check count number Error!!  = 20"));
}

TEST(LinkTransport, OnlyOneStaleDatagramIsDiscarded)
{
	CameraSimulator camera(simulatorOptions());
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(simulatorAddress, camera.boundPort());
	EXPECT_EQ(link.getGamma(), 0); // binds the link's socket
	ASSERT_TRUE(camera.sendToLastPeer(hexBytes("01 11 00 04 00 00 00 0A 90 50 05 FF")));
	ASSERT_TRUE(camera.sendToLastPeer(hexBytes("01 11 00 04 00 00 00 0B 90 50 06 FF")));
	LogCapture::clear();
	EXPECT_EQ(link.getGamma(), 0);
	EXPECT_EQ(LogCapture::messages(), QStringList{"check count number Error!!  = 11"});
}

struct ConnectCase {
	const char *name;
	const char *answer; // nullptr: silence
	bool connected;
	bool alive;
};

class ConnectProbe : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(ConnectProbe, ReadsTheAddressSetAnswer)
{
	const ConnectCase c = GetParam();
	ScriptedPeer peer(peerAddress, [c](int, const QByteArray &request) {
		std::vector<ScriptedPeer::Reply> out;
		if (c.answer)
			out.push_back({0, ScriptedPeer::replyTo(request, c.answer)});
		return out;
	});
	viscaIpModule link;
	EXPECT_EQ(link.connectCamera(peerAddress, peer.port()), c.connected);
	EXPECT_EQ(link.isCameraAlive(), c.alive);
	const std::vector<QByteArray> got = peer.received();
	ASSERT_EQ(got.size(), 2u);
	EXPECT_EQ(hexText(got[0]).toStdString(), "01 00 00 04 00 00 00 01 88 30 01 FF");
	EXPECT_EQ(hexText(got[1]).toStdString(), "01 00 00 04 00 00 00 02 88 30 01 FF");
}

INSTANTIATE_TEST_SUITE_P(Answers, ConnectProbe,
			 ::testing::Values(ConnectCase{"OneCamera", "88 30 02 FF", true, true},
					   ConnectCase{"TwoCameras", "88 30 03 FF", false, true},
					   ConnectCase{"ErrorReply", "90 60 41 FF", false, true},
					   ConnectCase{"Silence", nullptr, false, false}),
			 [](const ::testing::TestParamInfo<ConnectCase> &info) {
				 return std::string(info.param.name);
			 });

TEST(LinkTransport, UnparsableAddressFailsQuietly)
{
	viscaIpModule link;
	EXPECT_FALSE(link.connectCamera("camera.invalid", 52381));
	EXPECT_TRUE(link.cameraAddress().isNull());
	EXPECT_FALSE(link.moveUp());
}

TEST(LinkTransport, ReconnectKeepsCounterAndSpeeds)
{
	CameraSimulator camera(simulatorOptions());
	ASSERT_TRUE(camera.start());
	viscaIpModule link;
	link.setPanSpeed(3);
	EXPECT_TRUE(link.connectCamera(simulatorAddress, camera.boundPort()));
	EXPECT_TRUE(link.connectCamera(simulatorAddress, camera.boundPort()));
	EXPECT_TRUE(link.moveLeft());
	EXPECT_EQ(hexText(camera.datagrams().last()).toStdString(),
		  "01 00 00 09 00 00 00 03 81 01 06 01 03 0B 01 03 FF");
}

TEST(JS4Link, ConnectSendsNothingAndAliveTakesAnyAnswer)
{
	ScriptedPeer peer(peerAddress, [](int, const QByteArray &request) {
		return std::vector<ScriptedPeer::Reply>{{0, ScriptedPeer::replyTo(request, "90 60 02 FF")}};
	});
	JS4ViscaIPModule link;
	EXPECT_TRUE(link.connectCamera(peerAddress, peer.port()));
	EXPECT_TRUE(link.isCameraAlive());
	const std::vector<QByteArray> got = peer.received();
	ASSERT_EQ(got.size(), 1u); // the liveness check is packet number 1
	EXPECT_EQ(hexText(got[0]).toStdString(), "01 00 00 06 00 00 00 01 81 01 04 00 12 FF");
}

TEST(JS4Link, GetterDecodesWhateverComesBack)
{
	ScriptedPeer peer(peerAddress, [](int, const QByteArray &) {
		return std::vector<ScriptedPeer::Reply>{{0, hexBytes("01 11 00 06 00 0C 0C 0C 90 50 00 00 00 07 FF")}};
	});
	AimedLink<JS4ViscaIPModule> link;
	link.aim(peerAddress, peer.port());
	LogCapture::clear();
	EXPECT_EQ(link.getSaturation(), 7);
	EXPECT_TRUE(LogCapture::messages().isEmpty());
}

TEST(LinkTransport, RawInquiryKeepsAtMostSixteenPayloadBytes)
{
	CameraSimulator camera(simulatorOptions());
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim(simulatorAddress, camera.boundPort());
	unsigned char payload[20];
	for (int i = 0; i < 20; i++)
		payload[i] = static_cast<unsigned char>(i);
	QByteArray reply;
	link.sendRawInquiry(reply, payload, sizeof(payload));
	ASSERT_TRUE(camera.waitForDatagrams(1, 1000));
	const QByteArray sent = camera.datagrams().first();
	EXPECT_EQ(sent.size(), 24);
	EXPECT_EQ(static_cast<unsigned char>(sent.at(3)), 16);
}

} // namespace
