// Reply checks, repeats, time-outs, the probes and the simulator's fault options.
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char address[] = "127.0.1.20";
const char miss[] = "check count number Error!!";

// Only the camera's own acknowledgement and completion carrying the packet's number confirm a command; an
// error reply fails the attempt at once, anything else is skipped. Each attempt that runs out logs once.
struct ReplyRule {
	Family family;
	const char *script;
	std::vector<const char *> replies; // VISCA replies to each command ("" a header alone); empty: the usual two
	std::function<void(O &)> faults;
	const char *results;
	int sends;
	const char *log; // lines joined by " | "
};

const char miss2[] = "check count number Error!! | check count number Error!!";
const char syntax2[] = "error = ACK_SYNTAX_ERROR  2\n | error = ACK_SYNTAX_ERROR  2\n";
const char notExecuted2[] = "error = ACK_COMMAND_NOT_ECECUTE  65\n | error = ACK_COMMAND_NOT_ECECUTE  65\n";
const auto none = [](O &) {};
const auto silent = [](O &o) { o.silent = true; };
const auto foreign = [](O &o) { o.wrongSequence = true; };
const auto twice = [](O &o) { o.duplicateReplies = true; };
const auto junk = [](O &o) { o.junkBurst = 40; };
const auto elsewhere = [](O &o) { o.replyFrom = "127.0.1.21"; };

class CommandReplies : public ::testing::TestWithParam<ReplyRule> {};

TEST_P(CommandReplies, DecideTheCommand)
{
	const ReplyRule rule = GetParam();
	auto cam = startCamera(address, [&rule](O &o) {
		rule.faults(o);
		for (const char *visca : rule.replies)
			o.commandReplies.push_back(hexBytes(visca));
	});
	auto link = aimed(rule.family, address, cam->boundPort());
	logged.clear();
	QStringList results;
	for (const LinkOperations::Result &result : LinkOperations::runScript(*link, rule.script)) {
		if (result.kind != LinkOperations::Result::None)
			results << LinkOperations::format(result);
	}
	EXPECT_EQ(results.join(' '), rule.results);
	EXPECT_EQ(logged.join(" | "), rule.log);
	EXPECT_EQ(static_cast<int>(cam->receivedCount()), rule.sends);
}

INSTANTIATE_TEST_SUITE_P(
	Rules, CommandReplies,
	::testing::Values(
		ReplyRule{Plain, "moveUp", {"90 41 FF", "90 51 FF"}, none, "true", 1, ""},
		ReplyRule{Plain, "moveUp", {"90 51 FF", "90 41 FF"}, none, "false", 2, miss2},
		ReplyRule{Plain, "moveUp", {"90 41 FF"}, none, "false", 2, miss2},
		ReplyRule{Plain, "moveUp", {"", ""}, none, "false", 2, miss2},
		ReplyRule{Plain, "moveUp", {"90 60"}, none, "false", 2, miss2},
		ReplyRule{Plain, "moveUp", {"A0 41 FF", "A0 51 FF"}, none, "false", 2, miss2},
		ReplyRule{Plain, "moveUp", {"90 60 02 FF"}, none, "false", 2, syntax2},
		ReplyRule{Plain, "moveUp", {"90 41 FF", "90 61 41 FF"}, none, "false", 2, notExecuted2},
		ReplyRule{Plain, "moveUp", {"90 60 04 FF"}, none, "false", 2, ""},
		ReplyRule{Plain, "moveUp", {}, silent, "false", 2, miss2},
		ReplyRule{Plain, "setPresetNumber 4 recallPreset", {}, silent, "false", 1, miss},
		ReplyRule{H32P, "setPresetSpeed 3", {}, silent, "false", 1, miss},
		ReplyRule{JS4, "setHue 42", {}, silent, "false", 1, miss},
		ReplyRule{JS4, "setPresetSpeed 3", {}, silent, "false", 2, miss2},
		ReplyRule{Plain, "moveUp", {}, foreign, "false", 2, miss2},
		ReplyRule{Plain, "getRedGain", {}, foreign, "no answer", 1, "check count number Error!!  = 2049"},
		ReplyRule{Plain, "moveUp", {}, [](O &o) { o.dropReply = 2; }, "true", 2, miss},
		// Every reply twice, or a junk burst before the replies: nothing derails the next commands.
		ReplyRule{Plain, "moveUp storePreset moveUp", {}, twice, "true true true", 3, ""},
		ReplyRule{Plain, "moveUp storePreset moveUp", {}, junk, "true true true", 3, ""},
		// Late replies: the first send's answers, 500 or 600 ms late, confirm the repeat (same number).
		ReplyRule{Plain, "moveUp", {}, [](O &o) { o.ackDelayMs = 500; }, "true", 2, miss},
		ReplyRule{Plain, "moveUp moveUp", {}, [](O &o) { o.completionDelayMs = 600; }, "true true", 4, miss2},
		// Another host answering for the silent camera is not the camera.
		ReplyRule{Plain, "isCameraAlive moveUp", {}, elsewhere, "false false", 3, miss2}));

// Every inquiry takes only an answer of its own length: "90 50 02 FF" or "90 50 02 02 02 02 FF".
TEST(LinkTransport, InquiriesTakeOnlyTheirOwnAnswer)
{
	const struct {
		Family family;
		const char *script;
		const char *shortAnswers; // results for the 4-byte answer; nullptr: all "no answer"
		const char *longAnswers;  // results for the 7-byte answer
	} cases[] = {{Plain, "isAutoFocus getExposureMode getWhiteBalanceMode getGamma getImageMode getMirrorFlip",
		      "true 2 2 2 2 3", nullptr},
		     {Plain,
		      "getHue getSaturation getSharpness getZoomPosition getFocusPosition getShutter getIris getGain "
		      "getRedGain getBlueGain",
		      nullptr, "2 34 2 8738 8738 34 2 2 34 34"},
		     {JS4, "getHue", nullptr, "2"}};
	auto cam = startCamera(address);
	for (const auto &c : cases) {
		auto link = aimed(c.family, address, cam->boundPort());
		const char *const replies[] = {"90 50 02 FF", "90 50 02 02 02 02 FF", "90 60 02 FF", "90 50 FF",
					       "90 50 02 02 FF"};
		for (int i = 0; i < 5; i++) {
			O faults;
			faults.inquiryReply = hexBytes(replies[i]);
			cam->setFaults(faults);
			QStringList results;
			for (const LinkOperations::Result &result : LinkOperations::runScript(*link, c.script))
				results << LinkOperations::format(result);
			const char *expected = i == 0 ? c.shortAnswers : i == 1 ? c.longAnswers : nullptr;
			const int count = QString(c.script).count(' ') + 1;
			EXPECT_EQ(results.join(' '),
				  expected ? expected : QString("no answer ").repeated(count).trimmed())
				<< c.script << " answered " << replies[i];
		}
	}
}

TEST(LinkTransport, LateAnswerIsNoAnswerAndEveryStaleDatagramIsDiscarded)
{
	auto cam = startCamera(address, [](O &o) { o.silent = true; });
	auto link = aimed(Plain, address, cam->boundPort());
	EXPECT_EQ(link->getGain(), 0);
	// Too late for packet 1, and two that would pass for packet 2's answer.
	for (const char *stale :
	     {"01 11 00 07 00 00 00 01 90 50 00 00 00 07 FF", "01 11 00 07 00 00 00 02 90 50 00 00 00 08 FF",
	      "01 11 00 07 00 00 00 02 90 50 00 00 00 09 FF"})
		ASSERT_TRUE(cam->sendToLastPeer(hexBytes(stale)));
	O answering;
	answering.inquiryReply = hexBytes("90 50 00 00 00 05 FF");
	cam->setFaults(answering);
	EXPECT_EQ(link->getGain(), 5);
	EXPECT_TRUE(link->lastInquiryAnswered());
}

// The address-set probe's answer decides whether the camera is connected; any answer shows it alive.
TEST(LinkTransport, ConnectProbeReadsTheAddressSetAnswer)
{
	const struct {
		const char *answer; // nullptr: silence
		bool connected, alive;
	} cases[] = {{"88 30 02 FF", true, true},
		     {"88 30 03 FF", false, true},
		     {"90 60 41 FF", false, true},
		     {nullptr, false, false}};
	for (const auto &c : cases) {
		SCOPED_TRACE(c.answer ? c.answer : "silence");
		auto cam = startCamera(address, [&c](O &o) {
			o.silent = !c.answer;
			o.addressSetReply = c.answer ? hexBytes(c.answer) : QByteArray();
		});
		viscaIpModule link;
		link.setPanSpeed(3);
		EXPECT_EQ(link.connectCamera(address, cam->boundPort()), c.connected);
		EXPECT_EQ(link.isCameraAlive(), c.alive);
		const QByteArray probe = hexBytes("88 30 01 FF");
		EXPECT_EQ(cam->payloads(), (QList<QByteArray>{probe, probe}));
		// Connecting again keeps the counter (packets 1 to 3 are the probes) and the speeds.
		link.connectCamera(address, cam->boundPort());
		link.moveLeft();
		EXPECT_EQ(hexText(cam->datagrams().last()), "01 00 00 09 00 00 00 04 81 01 06 01 03 0B 01 03 FF");
	}
}

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
	EXPECT_EQ(link.getSaturation(), 7);
}

} // namespace
