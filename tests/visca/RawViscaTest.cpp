// A raw VISCA message over a link: the text it is given as, and the replies collected until the camera is done.
#include "LinkTestSupport.h"

#include "control/RawVisca.h"

#include <gtest/gtest.h>

namespace {

const char address[] = "127.0.1.40";

struct ParseRow {
	const char *text;
	const char *bytes; // empty: refused
};

class RawViscaParse : public ::testing::TestWithParam<ParseRow> {};

TEST_P(RawViscaParse, AcceptsOneMessageToCameraOne)
{
	QString error;
	const QByteArray bytes = RawVisca::parse(QString::fromLatin1(GetParam().text), error);
	EXPECT_EQ(hexText(bytes), QString::fromLatin1(GetParam().bytes));
	EXPECT_EQ(error.isEmpty(), !bytes.isEmpty()) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Texts, RawViscaParse,
			 ::testing::Values(ParseRow{"81 09 04 47 FF", "81 09 04 47 FF"},
					   ParseRow{"8101040702ff", "81 01 04 07 02 FF"},
					   ParseRow{" 81 01 06 01 05 05 03 01 FF ", "81 01 06 01 05 05 03 01 FF"},
					   ParseRow{"81 09 zz FF", ""}, ParseRow{"81 09 04 4", ""}, ParseRow{"", ""},
					   ParseRow{"81 FF", ""}, ParseRow{"82 09 04 47 FF", ""},
					   ParseRow{"81 09 04 47", ""}, ParseRow{"81 01 FF 04 FF", ""},
					   ParseRow{"81 30 01 FF", ""},
					   ParseRow{"81 01 04 00 00 00 00 00 00 00 00 00 00 00 00 00 FF", ""}));

struct ExchangeRow {
	const char *name;
	const char *message;
	std::function<void(O &)> faults;
	bool completed;
	const char *replies; // joined by " | "
};

class RawViscaExchange : public ::testing::TestWithParam<ExchangeRow> {};

TEST_P(RawViscaExchange, CollectsTheRepliesCarryingItsNumber)
{
	const ExchangeRow &row = GetParam();
	auto camera = startCamera(address, row.faults);
	auto link = aimed(Plain, address, camera->boundPort());
	const RawVisca::Result result = RawVisca::exchange(*link, hexBytes(row.message));
	QStringList replies;
	for (const QByteArray &reply : result.replies)
		replies << hexText(reply);
	EXPECT_EQ(result.completed, row.completed);
	EXPECT_EQ(replies.join(" | "), QString::fromLatin1(row.replies));
}

const auto none = [](O &) {};

INSTANTIATE_TEST_SUITE_P(
	Replies, RawViscaExchange,
	::testing::Values(
		ExchangeRow{"Command", "81 01 04 07 02 FF", none, true, "90 41 FF | 90 51 FF"},
		ExchangeRow{"Inquiry", "81 09 04 47 FF", none, true, "90 50 00 00 00 00 FF"},
		ExchangeRow{"ErrorReply", "81 01 04 07 02 FF", [](O &o) { o.errorReply = true; }, false, "90 60 02 FF"},
		ExchangeRow{"Silent", "81 01 04 07 02 FF", [](O &o) { o.silent = true; }, false, ""},
		ExchangeRow{"OtherNumbers", "81 01 04 07 02 FF", [](O &o) { o.wrongSequence = true; }, false, ""},
		ExchangeRow{"NoCompletion", "81 01 04 07 02 FF",
			    [](O &o) { o.commandReplies = {hexBytes("90 41 FF")}; }, false, "90 41 FF"},
		ExchangeRow{"AmongJunk", "81 01 04 07 02 FF", [](O &o) { o.junkBurst = 40; }, true,
			    "90 41 FF | 90 51 FF"}),
	[](const ::testing::TestParamInfo<ExchangeRow> &info) { return std::string(info.param.name); });

} // namespace
