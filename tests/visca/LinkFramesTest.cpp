// Datagrams byte for byte, sequence numbers and which link class a model name gets.
#include "LinkOperations.h"
#include "LinkTestSupport.h"
#include "ViscaModuleFactory.h"

#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

struct FrameCase {
	Family family;
	const char *script;
	const char *payloads; // VISCA bytes of every datagram; headers 01 00 (01 10 for inquiries), length, 1, 2, ...
};

const FrameCase frameCases[] = {
	{Plain,
	 "moveUp moveDown moveLeft moveRight moveUpLeft moveUpRight moveDownLeft moveDownRight panTiltStop "
	 "panTiltHome",
	 "81 01 06 01 0B 0B 03 01 FF 81 01 06 01 0B 0B 03 02 FF 81 01 06 01 0B 0B 01 03 FF "
	 "81 01 06 01 0B 0B 02 03 FF 81 01 06 01 0B 0B 01 01 FF 81 01 06 01 0B 0B 02 01 FF "
	 "81 01 06 01 0B 0B 01 02 FF 81 01 06 01 0B 0B 02 02 FF 81 01 06 01 0B 0B 03 03 FF 81 01 06 04 FF"},
	{Plain,
	 "setPanSpeed 24 setTiltSpeed 20 moveDownRight setPresetSpeed 5 setSpeedCompensation 1 zoomTele "
	 "zoomWide zoomStop setZoomSpeed 7 zoomWide",
	 "81 01 06 01 18 14 02 02 FF 81 01 06 20 05 FF 81 01 06 1F 01 01 FF 81 01 04 07 22 FF "
	 "81 01 04 07 32 FF 81 01 04 07 00 FF 81 01 04 07 37 FF"},
	{Plain,
	 "setZoomPosition 16384 setZoomSpeed 5 setZoomPosition 74565 getZoomPosition focusNear focusFar "
	 "focusStop setFocusSpeed 5 focusNear",
	 "81 01 04 47 04 00 00 00 02 FF 81 01 04 47 02 03 04 05 05 FF 81 01 00 01 FF 81 09 04 47 FF "
	 "81 01 04 08 33 FF 81 01 04 08 23 FF 81 01 04 08 00 FF 81 01 04 08 35 FF"},
	{Plain,
	 "setFocusPosition 43981 getFocusPosition setAutoFocus 1 setAutoFocus 0 isAutoFocus setPresetNumber 4 "
	 "recallPreset setPresetNumber 19 storePreset clearDownLeftLimit clearUpRightLimit",
	 "81 01 04 48 0A 0B 0C 0D FF 81 09 04 48 FF 81 01 04 38 02 FF 81 01 04 38 03 FF 81 09 04 38 FF "
	 "81 01 04 3F 02 04 FF 81 01 04 3F 01 13 FF 81 01 06 07 01 00 07 0F 0F 0F 07 0F 0F 0F FF "
	 "81 01 06 07 01 01 07 0F 0F 0F 07 0F 0F 0F FF"},
	{Plain,
	 "setExposureMode 10 getExposureMode setShutter 21 getShutter setIris 5 getIris setGain 28 getGain "
	 "setWhiteBalanceMode 3 getWhiteBalanceMode whiteBalanceOnePush",
	 "81 01 04 39 0A FF 81 09 04 39 FF 81 01 04 4A 00 00 01 05 FF 81 09 04 4A FF "
	 "81 01 04 4B 00 00 00 05 FF 81 09 04 4B FF 81 01 04 4C 00 00 01 0C FF 81 09 04 4C FF "
	 "81 01 04 35 03 FF 81 09 04 35 FF 81 01 04 10 05 FF"},
	{Plain,
	 "setRedGain 165 getRedGain setBlueGain 63 getBlueGain setGamma 2 getGamma setImageMode 1 getImageMode "
	 "setHue 42 getHue setSaturation 42 getSaturation",
	 "81 01 04 43 00 00 0A 05 FF 81 09 04 43 FF 81 01 04 44 00 00 03 0F FF 81 09 04 44 FF "
	 "81 01 04 5B 02 FF 81 09 04 5B FF 81 01 04 3F 04 01 FF 81 09 04 3F 04 FF 81 01 04 4F 00 00 00 2A FF "
	 "81 09 04 4F FF 81 01 04 49 00 00 00 2A FF 81 09 04 49 FF"},
	{Plain,
	 "setSharpness 42 getSharpness setMirror 2 setFlip 3 getMirrorFlip isCameraAlive setMirrorFlip 0 "
	 "setMirrorFlip 1 setMirrorFlip 4 setMirrorFlip 2 setMirrorFlip 3",
	 "81 01 04 42 00 00 02 0A FF 81 09 04 42 FF 81 01 04 61 02 FF 81 01 04 66 03 FF 81 09 04 61 FF "
	 "81 09 04 66 FF 88 30 01 FF 81 01 04 61 03 FF 81 01 04 66 03 FF 81 01 04 66 03 FF 81 01 04 61 02 FF "
	 "81 01 04 61 03 FF 81 01 04 66 02 FF 81 01 04 61 02 FF 81 01 04 66 02 FF"},
	{H32P, "setPresetSpeed 5 setHue 42", "81 01 7E 03 02 05 FF 81 01 04 4F 00 00 00 2A FF"},
	{JS4,
	 "isCameraAlive setHue 42 getHue setSaturation 42 getSaturation setSharpness 42 getSharpness "
	 "setPresetSpeed 5",
	 "81 01 04 00 12 FF 81 01 0E 24 44 02 0A FF 81 09 0E 24 44 FF 81 01 0E 24 43 02 0A FF "
	 "81 09 0E 24 43 FF 81 01 0E 24 40 02 0A FF 81 09 0E 24 40 FF 81 01 06 20 05 FF"},
	// Limit positions worked out by hand from the degree rules; -1 down is the whole-number quotient 117.
	{Plain,
	 "setPanLeftLimit 0 65535 38336 setPanLeftLimit -1 65535 38336 setPanLeftLimit -170 65535 38336 "
	 "setPanLeftLimit -100 65535 0 setPanRightLimit 0 27199 100 setPanRightLimit 1 27199 0 "
	 "setPanRightLimit 170 27199 0",
	 "81 01 06 07 00 00 0F 0F 0F 0F 0F 0F 0F 0F FF 81 01 06 07 00 00 0F 0F 06 00 0F 0F 0F 0F FF "
	 "81 01 06 07 00 00 09 05 0C 00 0F 0F 0F 0F FF 81 01 06 07 00 00 06 09 06 09 0F 0F 0F 0F FF "
	 "81 01 06 07 00 01 00 00 06 04 00 00 00 00 FF 81 01 06 07 00 01 00 00 0A 01 00 00 00 00 FF "
	 "81 01 06 07 00 01 06 0A 03 0F 00 00 00 00 FF"},
	{Plain,
	 "setTiltUpLimit 0 4608 0 setTiltUpLimit 1 4608 0 setTiltUpLimit 90 4608 0 setTiltDownLimit 0 65535 "
	 "62000 setTiltDownLimit -1 65535 62000 setTiltDownLimit -15 65535 60000",
	 "81 01 06 07 00 01 00 00 00 00 00 00 00 00 FF 81 01 06 07 00 01 00 00 00 00 00 00 03 04 FF "
	 "81 01 06 07 00 01 00 00 00 00 01 02 00 00 FF 81 01 06 07 00 00 0F 0F 0F 0F 0F 0F 0F 0F FF "
	 "81 01 06 07 00 00 0F 0F 0F 0F 0F 0F 08 0B FF 81 01 06 07 00 00 0F 0F 0F 0F 0F 05 03 08 FF"},
	// A limit goes out with the corner's other stored value, which clearing does not reset.
	{Plain, "setPanRightLimit 30 27199 0 clearUpRightLimit setTiltUpLimit 1 4608 0",
	 "81 01 06 07 00 01 01 02 0C 01 00 00 00 00 FF 81 01 06 07 01 01 07 0F 0F 0F 07 0F 0F 0F FF "
	 "81 01 06 07 00 01 01 02 0C 01 00 00 03 04 FF"},
};

class LinkFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(LinkFrames, SendsExactDatagrams)
{
	const FrameCase &c = GetParam();
	auto camera = startCamera("127.0.1.10");
	auto link = aimed(c.family, "127.0.1.10", camera->boundPort());
	ASSERT_FALSE(LinkOperations::runScript(*link, c.script).empty());
	QStringList got;
	for (int n = 1; n <= camera->datagrams().size(); n++) {
		const QByteArray d = camera->datagrams()[n - 1];
		EXPECT_EQ(hexText(d.left(8)),
			  QString::asprintf("01 %s 00 %02X 00 00 %02X %02X", d[9] == 9 ? "10" : "00", int(d.size() - 8),
					    n >> 4, n & 15))
			<< c.script;
		got << hexText(d.mid(8));
	}
	EXPECT_EQ(got.join(' ').toStdString(), c.payloads);
}

INSTANTIATE_TEST_SUITE_P(AllOperations, LinkFrames, ::testing::ValuesIn(frameCases));

// The identification's raw inquiries go out as inquiries, cut to sixteen bytes. Packet 65535 is followed by 0;
// an empty reply decodes as number 0 but must not confirm packet 0.
TEST(LinkFrames, RawInquiryIsClampedAndNumbersWrapToZero)
{
	auto camera = startCamera("127.0.1.11");
	auto link = aimed(Plain, "127.0.1.11", camera->boundPort());
	unsigned char payload[20] = {0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF};
	QByteArray reply;
	link->sendRawInquiry(reply, payload, sizeof(payload));
	for (int i = 2; i < 65535; i++)
		link->nextSequence();
	EXPECT_TRUE(link->moveUp());
	O silent;
	silent.silent = true;
	camera->setFaults(silent);
	EXPECT_FALSE(link->moveUp());
	QStringList numbers;
	for (const QByteArray &d : camera->datagrams())
		numbers << hexText(d.mid(4, 4));
	EXPECT_EQ(numbers.join(" | "), "00 00 00 01 | 0F 0F 0F 0F | 00 00 00 00 | 00 00 00 00");
	EXPECT_EQ(hexText(camera->datagrams()[0].left(12)), "01 10 00 10 00 00 00 01 81 09 00 02");
	EXPECT_EQ(camera->datagrams()[0].size(), 24);
}

TEST(LinkFactory, ChoosesTheClassByName)
{
	const std::vector<std::tuple<QString, const char *, bool>> cases{
		{"QK-H32P", "H32PViscaIPModule", true},    {"QK-H32PN", "H32PViscaIPModule", true},
		{"QK-H33P", "viscaIpModule", false},       {"qk-h32p", "viscaIpModule", false},
		{"QK-JS4", "JS4ViscaIPModule", false},     {"QK-JS4-X", "JS4ViscaIPModule", false},
		{"QK-JS4 32P", "H32PViscaIPModule", true}, {"", "viscaIpModule", false}}; // model, class, choice logged
	// The choice is a developer's line (the test's main turns them on).
	for (const auto &[model, className, logs] : cases) {
		logged.clear();
		std::unique_ptr<viscaIpModule> link(createViscaModule(model));
		EXPECT_STREQ(link->metaObject()->className(), className) << model.toStdString();
		EXPECT_EQ(logged, logs ? QStringList{"model " + model} : QStringList());
	}
}

} // namespace
