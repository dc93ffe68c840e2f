// Reply checks, repeats, time-outs, the probes and the simulator's fault options.
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char address[] = "127.0.1.20";
const char miss[] = "check count number Error!!";
const char notExecuted[] = "error = ACK_COMMAND_NOT_ECECUTE  65\n";

// Reply kinds are not checked: the first two replies with the right number count. Each failed attempt logs once.
struct ReplyRule {
	Family family;
	const char *script;
	std::vector<const char *> replies; // empty: silence
	bool result;
	int sends;
	const char *log; // nullptr: nothing
};

class CommandReplies : public ::testing::TestWithParam<ReplyRule> {};

TEST_P(CommandReplies, DecideTheCommand)
{
	const ReplyRule rule = GetParam();
	auto cam = startCamera(address, [&rule](O &o) {
		o.silent = rule.replies.empty();
		for (const char *visca : rule.replies)
			o.commandReplies.push_back(hexBytes(visca));
	});
	auto link = aimed(rule.family, address, cam->boundPort());
	logged.clear();
	const auto results = LinkOperations::runScript(*link, rule.script);
	ASSERT_FALSE(results.empty());
	EXPECT_EQ(LinkOperations::format(results.back()), rule.result ? "true" : "false");
	QStringList log;
	for (int i = 0; rule.log && i < rule.sends; i++)
		log << rule.log;
	EXPECT_EQ(logged, log);
	ASSERT_EQ(static_cast<int>(cam->receivedCount()), rule.sends);
	EXPECT_EQ(cam->datagrams().first(), cam->datagrams().last()); // a repeat keeps its number
}

INSTANTIATE_TEST_SUITE_P(
	Rules, CommandReplies,
	::testing::Values(ReplyRule{Plain, "moveUp", {"90 41 FF", "90 51 FF"}, true, 1, nullptr},
			  ReplyRule{Plain, "moveUp", {"90 51 FF", "90 51 FF"}, true, 1, nullptr},
			  ReplyRule{Plain, "moveUp", {"A0 60 02 FF", "90 51 FF"}, true, 1, nullptr},
			  ReplyRule{Plain, "moveUp", {"90 41 FF"}, false, 2, miss},
			  ReplyRule{Plain, "moveUp", {"90 60 02 FF"}, false, 2, "error = ACK_SYNTAX_ERROR  2\n"},
			  ReplyRule{Plain, "moveUp", {"90 61 03 FF"}, false, 2, "error = ACK_SOCKET_FULL  3\n"},
			  ReplyRule{Plain, "moveUp", {"90 62 05 FF"}, false, 2, "error = ACK_NO_SOCKET  5\n"},
			  ReplyRule{Plain, "moveUp", {"90 41 FF", "90 61 41 FF"}, false, 2, notExecuted},
			  ReplyRule{Plain, "moveUp", {"90 60 04 FF"}, false, 2, nullptr},
			  ReplyRule{Plain, "moveUp", {"90 60"}, false, 2, nullptr},
			  ReplyRule{Plain, "moveUp", {}, false, 2, miss},
			  ReplyRule{Plain, "storePreset", {}, false, 2, miss},
			  ReplyRule{Plain, "setPresetNumber 4 recallPreset", {}, false, 1, miss},
			  ReplyRule{H32P, "setPresetSpeed 3", {}, false, 1, miss},
			  ReplyRule{JS4, "setHue 42", {}, false, 1, miss},
			  ReplyRule{JS4, "setPresetSpeed 3", {}, false, 2, miss}));

TEST(LinkTransport, LateAnswerDecodesZeroAndIsDiscardedByTheNextSend)
{
	auto cam = startCamera(address, [](O &o) { o.silent = true; });
	auto link = aimed(Plain, address, cam->boundPort());
	logged.clear();
	EXPECT_EQ(link->getGain(), 0);
	EXPECT_FALSE(link->lastInquiryAnswered());
	EXPECT_EQ(logged, QStringList{"check count number Error!!  = 0"});
	ASSERT_TRUE(cam->sendToLastPeer(hexBytes("01 11 00 07 00 00 00 01 90 50 00 00 00 07 FF"))); // too late
	cam->setFaults(O());
	CameraSimulator::State state;
	state.gain = 9;
	cam->setState(state);
	logged.clear();
	EXPECT_EQ(link->getGain(), 9);
	EXPECT_TRUE(link->lastInquiryAnswered());
	EXPECT_TRUE(logged.isEmpty());
}

TEST(LinkTransport, ForeignNumberFailsCommandsAndInquiries)
{
	auto cam = startCamera(address, [](O &o) { o.wrongSequence = true; });
	auto link = aimed(Plain, address, cam->boundPort());
	logged.clear();
	EXPECT_FALSE(link->moveUp());
	EXPECT_EQ(logged, QStringList({miss, miss}));
	ASSERT_TRUE(cam->waitForReplies(4, 1000));
	logged.clear();
	EXPECT_EQ(link->getRedGain(), 0);
	ASSERT_EQ(logged.size(), 1);
	EXPECT_TRUE(logged.first().startsWith("check count number Error!!  = 20"));
}

TEST(LinkTransport, OnlyOneStaleDatagramIsDiscarded)
{
	auto cam = startCamera(address);
	auto link = aimed(Plain, address, cam->boundPort());
	EXPECT_EQ(link->getGamma(), 0); // binds the link's socket
	ASSERT_TRUE(cam->sendToLastPeer(hexBytes("01 11 00 04 00 00 00 0A 90 50 05 FF")));
	ASSERT_TRUE(cam->sendToLastPeer(hexBytes("01 11 00 04 00 00 00 0B 90 50 06 FF")));
	logged.clear();
	EXPECT_EQ(link->getGamma(), 0);
	EXPECT_EQ(logged, QStringList{"check count number Error!!  = 11"});
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
	auto cam = startCamera(address, [&c](O &o) {
		o.silent = !c.answer;
		o.addressSetReply = c.answer ? hexBytes(c.answer) : QByteArray();
	});
	viscaIpModule link;
	link.setPanSpeed(3);
	EXPECT_EQ(link.connectCamera(address, cam->boundPort()), c.connected);
	EXPECT_EQ(link.isCameraAlive(), c.alive);
	ASSERT_EQ(cam->receivedCount(), 2u);
	EXPECT_EQ(hexText(cam->datagrams()[0]).toStdString(), "01 00 00 04 00 00 00 01 88 30 01 FF");
	EXPECT_EQ(hexText(cam->datagrams()[1]).toStdString(), "01 00 00 04 00 00 00 02 88 30 01 FF");
	// Connecting again keeps the counter and the speeds.
	link.connectCamera(address, cam->boundPort());
	link.moveLeft();
	EXPECT_EQ(hexText(cam->datagrams().last()).toStdString(), "01 00 00 09 00 00 00 04 81 01 06 01 03 0B 01 03 FF");
}

INSTANTIATE_TEST_SUITE_P(Answers, ConnectProbe,
			 ::testing::Values(ConnectCase{"88 30 02 FF", true, true},
					   ConnectCase{"88 30 03 FF", false, true},
					   ConnectCase{"90 60 41 FF", false, true},
					   ConnectCase{nullptr, false, false}));

TEST(JS4Link, NoProbeAnyAnswerIsAliveAndGettersSkipTheNumberCheck)
{
	auto cam = startCamera(address, [](O &o) {
		o.model = "QK-JS4";
		o.errorReply = true;
	});
	JS4ViscaIPModule link;
	EXPECT_TRUE(link.connectCamera(address, cam->boundPort()));
	EXPECT_TRUE(link.isCameraAlive());
	ASSERT_EQ(cam->receivedCount(), 1u); // the liveness check is packet number 1
	EXPECT_EQ(hexText(cam->datagrams()[0].mid(4, 4)).toStdString(), "00 00 00 01");
	O faults;
	faults.wrongSequence = true;
	cam->setFaults(faults);
	CameraSimulator::State state;
	state.saturation = 7;
	cam->setState(state);
	logged.clear();
	EXPECT_EQ(link.getSaturation(), 7);
	EXPECT_TRUE(logged.isEmpty());
}

struct FaultCase {
	std::function<void(O &)> configure;
	bool result;
	int datagrams;
	int replies;
};

class SimulatorFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatorFaults, ShapeTheCommandExchange)
{
	auto cam = startCamera(address, GetParam().configure);
	EXPECT_EQ(aimed(Plain, address, cam->boundPort())->moveUp(), GetParam().result);
	cam->waitForReplies(GetParam().replies, 3000);
	EXPECT_EQ(static_cast<int>(cam->receivedCount()), GetParam().datagrams);
	EXPECT_EQ(cam->sentReplies().size(), GetParam().replies);
}

INSTANTIATE_TEST_SUITE_P(
	Options, SimulatorFaults,
	::testing::Values(
		FaultCase{[](O &) {}, true, 1, 2}, FaultCase{[](O &o) { o.silent = true; }, false, 2, 0},
		FaultCase{[](O &o) { o.wrongSequence = true; }, false, 2, 4},
		FaultCase{[](O &o) { o.duplicateReplies = true; }, true, 1, 4},
		FaultCase{[](O &o) { o.dropReply = 2; }, true, 2, 3},
		FaultCase{[](O &o) { o.ackDelayMs = 30; }, true, 1, 2},
		FaultCase{[](O &o) { o.completionDelayMs = 30; }, true, 1, 2},
		// The first attempt times out; the late answers to it confirm the repeat, which keeps its number.
		FaultCase{[](O &o) { o.ackDelayMs = 500; }, true, 2, 4},
		FaultCase{[](O &o) {
				  o.errorReply = true;
				  o.errorCode = 0x41;
			  },
			  false, 2, 2}));

} // namespace
