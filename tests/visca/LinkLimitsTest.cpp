// Limit positions from degrees, and which corner value goes with them.
#include "CameraSimulator.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

enum class Limit { Left, Right, Up, Down };

struct LimitCase {
	const char *name;
	Limit limit;
	int degrees;
	unsigned int high;
	unsigned int low;
	int position;
};

class LimitPositions : public ::testing::TestWithParam<LimitCase> {
protected:
	static void SetUpTestSuite()
	{
		CameraSimulator::Options options;
		options.bindAddress = "127.0.1.30";
		options.port = 0;
		camera = new CameraSimulator(options);
		ASSERT_TRUE(camera->start());
	}
	static void TearDownTestSuite()
	{
		delete camera;
		camera = nullptr;
	}
	static CameraSimulator *camera;
};

CameraSimulator *LimitPositions::camera = nullptr;

QString digits(int value)
{
	return hexText(hexBytes(QString::asprintf("%02X %02X %02X %02X", (value >> 12) & 15, (value >> 8) & 15,
						  (value >> 4) & 15, value & 15)
					.toLatin1()));
}

TEST_P(LimitPositions, StoredAndSentWithTheCornersOtherValue)
{
	const LimitCase c = GetParam();
	camera->clear();
	AimedLink<viscaIpModule> link;
	link.aim("127.0.1.30", camera->boundPort());
	int stored = 0;
	QString expected;
	switch (c.limit) {
	case Limit::Left:
		link.setPanLeftLimit(c.degrees, c.high, c.low);
		stored = link.downLeftPanLimit();
		expected = "81 01 06 07 00 00 " + digits(c.position) + " 0F 0F 0F 0F FF";
		break;
	case Limit::Down:
		link.setTiltDownLimit(c.degrees, c.high, c.low);
		stored = link.downLeftTiltLimit();
		expected = "81 01 06 07 00 00 0F 0F 0F 0F " + digits(c.position) + " FF";
		break;
	case Limit::Right:
		link.setPanRightLimit(c.degrees, c.high, c.low);
		stored = link.upRightPanLimit();
		expected = "81 01 06 07 00 01 " + digits(c.position) + " 00 00 00 00 FF";
		break;
	case Limit::Up:
		link.setTiltUpLimit(c.degrees, c.high, c.low);
		stored = link.upRightTiltLimit();
		expected = "81 01 06 07 00 01 00 00 00 00 " + digits(c.position) + " FF";
		break;
	}
	EXPECT_EQ(stored, c.position);
	ASSERT_TRUE(camera->waitForDatagrams(1, 1000));
	EXPECT_EQ(hexText(camera->payloads().first()).toStdString(), expected.toStdString());
}

// Expected positions worked out by hand from the degree-to-position rules.
INSTANTIATE_TEST_SUITE_P(Rules, LimitPositions,
			 ::testing::Values(LimitCase{"LeftZeroIsHigh", Limit::Left, 0, 65535, 38336, 65535},
					   LimitCase{"LeftThirty", Limit::Left, -30, 65535, 38336, 60736},
					   LimitCase{"LeftOne", Limit::Left, -1, 65535, 38336, 65376},
					   LimitCase{"LeftFullIsLow", Limit::Left, -170, 65535, 38336, 38336},
					   LimitCase{"LeftHundredFullRange", Limit::Left, -100, 65535, 0, 26985},
					   LimitCase{"RightZeroIsLow", Limit::Right, 0, 27199, 100, 100},
					   LimitCase{"RightOne", Limit::Right, 1, 27199, 0, 161},
					   LimitCase{"RightThirty", Limit::Right, 30, 27199, 0, 4801},
					   LimitCase{"RightFullIsHigh", Limit::Right, 170, 27199, 0, 27199},
					   LimitCase{"UpZeroIsLow", Limit::Up, 0, 4608, 0, 0},
					   LimitCase{"UpOne", Limit::Up, 1, 4608, 0, 52},
					   LimitCase{"UpHalf", Limit::Up, 45, 4608, 0, 2305},
					   LimitCase{"UpFullIsHigh", Limit::Up, 90, 4608, 0, 4608},
					   LimitCase{"DownZeroIsHigh", Limit::Down, 0, 65535, 62000, 65535},
					   LimitCase{"DownOneWholeQuotient", Limit::Down, -1, 65535, 62000, 65419},
					   LimitCase{"DownFull", Limit::Down, -30, 65535, 62000, 62026},
					   LimitCase{"DownHalf", Limit::Down, -15, 65535, 60000, 62776}),
			 [](const ::testing::TestParamInfo<LimitCase> &info) { return std::string(info.param.name); });

TEST(LimitCorners, ClearKeepsTheStoredCorner)
{
	CameraSimulator::Options options;
	options.bindAddress = "127.0.1.31";
	options.port = 0;
	CameraSimulator camera(options);
	ASSERT_TRUE(camera.start());
	AimedLink<viscaIpModule> link;
	link.aim("127.0.1.31", camera.boundPort());
	link.setPanRightLimit(30, 27199, 0); // pan 4801 = 0x12C1
	EXPECT_TRUE(link.clearUpRightLimit());
	link.setTiltUpLimit(1, 4608, 0); // tilt 52 = 0x0034
	EXPECT_EQ(link.upRightPanLimit(), 4801);
	EXPECT_EQ(hexText(camera.payloads().last()).toStdString(), "81 01 06 07 00 01 01 02 0C 01 00 00 03 04 FF");
	const CameraSimulator::State state = camera.state();
	EXPECT_EQ(state.upRightPan, 4801);
	EXPECT_EQ(state.upRightTilt, 52);
	EXPECT_EQ(state.clearUpRightCount, 1);
}

} // namespace
