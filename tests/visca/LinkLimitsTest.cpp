// Limit positions from degrees, and which corner value goes with them.
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char address[] = "127.0.1.30";

struct LimitCase {
	const char *script;
	int position;
	const char *payload; // with P standing for the four digits of the position
};

class LimitPositions : public ::testing::TestWithParam<LimitCase> {};

const char left[] = "81 01 06 07 00 00 P 0F 0F 0F 0F FF";
const char down[] = "81 01 06 07 00 00 0F 0F 0F 0F P FF";
const char right[] = "81 01 06 07 00 01 P 00 00 00 00 FF";
const char up[] = "81 01 06 07 00 01 00 00 00 00 P FF";

TEST_P(LimitPositions, StoredAndSentWithTheCornersOtherValue)
{
	const LimitCase c = GetParam();
	CameraSimulator camera(simulatorOptions(address));
	ASSERT_TRUE(camera.start());
	auto link = aimed<viscaIpModule>(address, camera.boundPort());
	LinkOperations::runScript(*link, c.script);
	const int p = c.position;
	const QString digits =
		QString::asprintf("%02X %02X %02X %02X", (p >> 12) & 15, (p >> 8) & 15, (p >> 4) & 15, p & 15);
	const QString payload = QString(c.payload).replace("P", digits);
	ASSERT_EQ(camera.receivedCount(), 1u);
	EXPECT_EQ(hexText(camera.payloads().first()).toStdString(), payload.toStdString());
	const int stored = c.payload == left    ? link->downLeftPanLimit()
			   : c.payload == down  ? link->downLeftTiltLimit()
			   : c.payload == right ? link->upRightPanLimit()
						: link->upRightTiltLimit();
	EXPECT_EQ(stored, p);
}

// Expected positions worked out by hand from the degree-to-position rules.
INSTANTIATE_TEST_SUITE_P(
	Rules, LimitPositions,
	::testing::Values(LimitCase{"setPanLeftLimit 0 65535 38336", 65535, left},
			  LimitCase{"setPanLeftLimit -30 65535 38336", 60736, left},
			  LimitCase{"setPanLeftLimit -1 65535 38336", 65376, left},
			  LimitCase{"setPanLeftLimit -170 65535 38336", 38336, left},
			  LimitCase{"setPanLeftLimit -100 65535 0", 26985, left},
			  LimitCase{"setPanRightLimit 0 27199 100", 100, right},
			  LimitCase{"setPanRightLimit 1 27199 0", 161, right},
			  LimitCase{"setPanRightLimit 30 27199 0", 4801, right},
			  LimitCase{"setPanRightLimit 170 27199 0", 27199, right},
			  LimitCase{"setTiltUpLimit 0 4608 0", 0, up}, LimitCase{"setTiltUpLimit 1 4608 0", 52, up},
			  LimitCase{"setTiltUpLimit 45 4608 0", 2305, up},
			  LimitCase{"setTiltUpLimit 90 4608 0", 4608, up},
			  LimitCase{"setTiltDownLimit 0 65535 62000", 65535, down},
			  LimitCase{"setTiltDownLimit -1 65535 62000", 65419, down}, // whole-number quotient 117
			  LimitCase{"setTiltDownLimit -30 65535 62000", 62026, down},
			  LimitCase{"setTiltDownLimit -15 65535 60000", 62776, down}),
	[](const ::testing::TestParamInfo<LimitCase> &info) { return testName(info.param.script); });

TEST(LimitCorners, ClearKeepsTheStoredCorner)
{
	CameraSimulator camera(simulatorOptions(address));
	ASSERT_TRUE(camera.start());
	auto link = aimed<viscaIpModule>(address, camera.boundPort());
	LinkOperations::runScript(*link, "setPanRightLimit 30 27199 0 clearUpRightLimit setTiltUpLimit 1 4608 0");
	EXPECT_EQ(hexText(camera.payloads().last()).toStdString(), "81 01 06 07 00 01 01 02 0C 01 00 00 03 04 FF");
	EXPECT_EQ(camera.state().upRightPan, 4801);
	EXPECT_EQ(camera.state().upRightTilt, 52);
	EXPECT_EQ(camera.state().clearUpRightCount, 1);
}

} // namespace
