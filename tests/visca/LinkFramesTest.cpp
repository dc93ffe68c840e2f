// Every operation's datagrams, byte for byte, from a new link against a camera that answers at once.
#include "CameraSimulator.h"
#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

enum Family { Plain, H32P, JS4 };

struct FrameCase {
	Family family;
	const char *script;
	const char *frames; // datagrams separated by " | "
};

const FrameCase frameCases[] = {
	{Plain, "moveUp", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 01 FF"},
	{Plain, "moveDown", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 02 FF"},
	{Plain, "moveLeft", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 01 03 FF"},
	{Plain, "moveRight", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 02 03 FF"},
	{Plain, "moveUpLeft", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 01 01 FF"},
	{Plain, "moveUpRight", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 02 01 FF"},
	{Plain, "moveDownLeft", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 01 02 FF"},
	{Plain, "moveDownRight", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 02 02 FF"},
	{Plain, "panTiltStop", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 03 FF"},
	{Plain, "panTiltHome", "01 00 00 05 00 00 00 01 81 01 06 04 FF"},
	{Plain, "setPanSpeed 24 setTiltSpeed 20 moveDownRight", "01 00 00 09 00 00 00 01 81 01 06 01 18 14 02 02 FF"},
	{Plain, "zoomTele", "01 00 00 06 00 00 00 01 81 01 04 07 22 FF"},
	{Plain, "zoomWide", "01 00 00 06 00 00 00 01 81 01 04 07 32 FF"},
	{Plain, "zoomStop", "01 00 00 06 00 00 00 01 81 01 04 07 00 FF"},
	{Plain, "setZoomSpeed 7 zoomWide", "01 00 00 06 00 00 00 01 81 01 04 07 37 FF"},
	{Plain, "setZoomPosition 16384", "01 00 00 0A 00 00 00 01 81 01 04 47 04 00 00 00 02 FF"},
	{Plain, "setZoomSpeed 5 setZoomPosition 74565", "01 00 00 0A 00 00 00 01 81 01 04 47 02 03 04 05 05 FF"},
	{Plain, "getZoomPosition", "01 00 00 05 00 00 00 01 81 01 00 01 FF | 01 10 00 05 00 00 00 02 81 09 04 47 FF"},
	{Plain, "focusNear", "01 00 00 06 00 00 00 01 81 01 04 08 33 FF"},
	{Plain, "focusFar", "01 00 00 06 00 00 00 01 81 01 04 08 23 FF"},
	{Plain, "focusStop", "01 00 00 06 00 00 00 01 81 01 04 08 00 FF"},
	{Plain, "setFocusSpeed 5 focusNear", "01 00 00 06 00 00 00 01 81 01 04 08 35 FF"},
	{Plain, "setFocusPosition 43981", "01 00 00 09 00 00 00 01 81 01 04 48 0A 0B 0C 0D FF"},
	{Plain, "getFocusPosition", "01 10 00 05 00 00 00 01 81 09 04 48 FF"},
	{Plain, "setAutoFocus 1", "01 00 00 06 00 00 00 01 81 01 04 38 02 FF"},
	{Plain, "setAutoFocus 0", "01 00 00 06 00 00 00 01 81 01 04 38 03 FF"},
	{Plain, "isAutoFocus", "01 10 00 05 00 00 00 01 81 09 04 38 FF"},
	{Plain, "setPresetNumber 4 recallPreset", "01 00 00 07 00 00 00 01 81 01 04 3F 02 04 FF"},
	{Plain, "setPresetNumber 19 storePreset", "01 00 00 07 00 00 00 01 81 01 04 3F 01 13 FF"},
	{Plain, "setPresetSpeed 5", "01 00 00 06 00 00 00 01 81 01 06 20 05 FF"},
	{Plain, "setExposureMode 10", "01 00 00 06 00 00 00 01 81 01 04 39 0A FF"},
	{Plain, "getExposureMode", "01 10 00 05 00 00 00 01 81 09 04 39 FF"},
	{Plain, "setShutter 21", "01 00 00 09 00 00 00 01 81 01 04 4A 00 00 01 05 FF"},
	{Plain, "getShutter", "01 10 00 05 00 00 00 01 81 09 04 4A FF"},
	{Plain, "setIris 5", "01 00 00 09 00 00 00 01 81 01 04 4B 00 00 00 05 FF"},
	{Plain, "getIris", "01 10 00 05 00 00 00 01 81 09 04 4B FF"},
	{Plain, "setGain 28", "01 00 00 09 00 00 00 01 81 01 04 4C 00 00 01 0C FF"},
	{Plain, "getGain", "01 10 00 05 00 00 00 01 81 09 04 4C FF"},
	{Plain, "setWhiteBalanceMode 3", "01 00 00 06 00 00 00 01 81 01 04 35 03 FF"},
	{Plain, "getWhiteBalanceMode", "01 10 00 05 00 00 00 01 81 09 04 35 FF"},
	{Plain, "whiteBalanceOnePush", "01 00 00 06 00 00 00 01 81 01 04 10 05 FF"},
	{Plain, "setRedGain 165", "01 00 00 09 00 00 00 01 81 01 04 43 00 00 0A 05 FF"},
	{Plain, "getRedGain", "01 10 00 05 00 00 00 01 81 09 04 43 FF"},
	{Plain, "setBlueGain 63", "01 00 00 09 00 00 00 01 81 01 04 44 00 00 03 0F FF"},
	{Plain, "getBlueGain", "01 10 00 05 00 00 00 01 81 09 04 44 FF"},
	{Plain, "setGamma 2", "01 00 00 06 00 00 00 01 81 01 04 5B 02 FF"},
	{Plain, "getGamma", "01 10 00 05 00 00 00 01 81 09 04 5B FF"},
	{Plain, "setImageMode 1", "01 00 00 07 00 00 00 01 81 01 04 3F 04 01 FF"},
	{Plain, "getImageMode", "01 10 00 06 00 00 00 01 81 09 04 3F 04 FF"},
	{Plain, "setHue 42", "01 00 00 09 00 00 00 01 81 01 04 4F 00 00 00 2A FF"},
	{Plain, "getHue", "01 10 00 05 00 00 00 01 81 09 04 4F FF"},
	{Plain, "setSaturation 42", "01 00 00 09 00 00 00 01 81 01 04 49 00 00 00 2A FF"},
	{Plain, "getSaturation", "01 10 00 05 00 00 00 01 81 09 04 49 FF"},
	{Plain, "setSharpness 42", "01 00 00 09 00 00 00 01 81 01 04 42 00 00 02 0A FF"},
	{Plain, "getSharpness", "01 10 00 05 00 00 00 01 81 09 04 42 FF"},
	{Plain, "setMirror 2", "01 00 00 06 00 00 00 01 81 01 04 61 02 FF"},
	{Plain, "setFlip 3", "01 00 00 06 00 00 00 01 81 01 04 66 03 FF"},
	{Plain, "setMirrorFlip 0",
	 "01 00 00 06 00 00 00 01 81 01 04 61 03 FF | 01 00 00 06 00 00 00 02 81 01 04 66 03 FF"},
	{Plain, "setMirrorFlip 1",
	 "01 00 00 06 00 00 00 01 81 01 04 66 03 FF | 01 00 00 06 00 00 00 02 81 01 04 61 02 FF"},
	{Plain, "setMirrorFlip 2",
	 "01 00 00 06 00 00 00 01 81 01 04 61 03 FF | 01 00 00 06 00 00 00 02 81 01 04 66 02 FF"},
	{Plain, "setMirrorFlip 3",
	 "01 00 00 06 00 00 00 01 81 01 04 61 02 FF | 01 00 00 06 00 00 00 02 81 01 04 66 02 FF"},
	{Plain, "setMirrorFlip 4", ""},
	{Plain, "getMirrorFlip", "01 10 00 05 00 00 00 01 81 09 04 61 FF | 01 10 00 05 00 00 00 02 81 09 04 66 FF"},
	{Plain, "clearDownLeftLimit", "01 00 00 0F 00 00 00 01 81 01 06 07 01 00 07 0F 0F 0F 07 0F 0F 0F FF"},
	{Plain, "clearUpRightLimit", "01 00 00 0F 00 00 00 01 81 01 06 07 01 01 07 0F 0F 0F 07 0F 0F 0F FF"},
	{Plain, "setSpeedCompensation 1", "01 00 00 07 00 00 00 01 81 01 06 1F 01 01 FF"},
	{Plain, "setPanLeftLimit 0 65535 0", "01 00 00 0F 00 00 00 01 81 01 06 07 00 00 0F 0F 0F 0F 0F 0F 0F 0F FF"},
	{Plain, "setPanRightLimit 0 65535 4660",
	 "01 00 00 0F 00 00 00 01 81 01 06 07 00 01 01 02 03 04 00 00 00 00 FF"},
	{Plain, "isCameraAlive", "01 00 00 04 00 00 00 01 88 30 01 FF"},
	{H32P, "setPresetSpeed 5", "01 00 00 07 00 00 00 01 81 01 7E 03 02 05 FF"},
	{H32P, "moveUp", "01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 01 FF"},
	{H32P, "setHue 42", "01 00 00 09 00 00 00 01 81 01 04 4F 00 00 00 2A FF"},
	{JS4, "isCameraAlive", "01 00 00 06 00 00 00 01 81 01 04 00 12 FF"},
	{JS4, "setHue 42", "01 00 00 08 00 00 00 01 81 01 0E 24 44 02 0A FF"},
	{JS4, "getHue", "01 10 00 06 00 00 00 01 81 09 0E 24 44 FF"},
	{JS4, "setSaturation 42", "01 00 00 08 00 00 00 01 81 01 0E 24 43 02 0A FF"},
	{JS4, "getSaturation", "01 10 00 06 00 00 00 01 81 09 0E 24 43 FF"},
	{JS4, "setSharpness 42", "01 00 00 08 00 00 00 01 81 01 0E 24 40 02 0A FF"},
	{JS4, "getSharpness", "01 10 00 06 00 00 00 01 81 09 0E 24 40 FF"},
	{JS4, "setPresetSpeed 5", "01 00 00 06 00 00 00 01 81 01 06 20 05 FF"},
};

class LinkFrames : public ::testing::TestWithParam<FrameCase> {
protected:
	static void SetUpTestSuite()
	{
		camera = new CameraSimulator(simulatorOptions("127.0.1.10"));
		ASSERT_TRUE(camera->start()) << camera->errorString();
	}
	static void TearDownTestSuite() { delete camera; }
	static CameraSimulator *camera;
};

CameraSimulator *LinkFrames::camera = nullptr;

TEST_P(LinkFrames, SendsExactDatagrams)
{
	const FrameCase &c = GetParam();
	camera->clear();
	std::unique_ptr<viscaIpModule> link;
	if (c.family == H32P)
		link = aimed<H32PViscaIPModule>("127.0.1.10", camera->boundPort());
	else if (c.family == JS4)
		link = aimed<JS4ViscaIPModule>("127.0.1.10", camera->boundPort());
	else
		link = aimed<viscaIpModule>("127.0.1.10", camera->boundPort());
	ASSERT_FALSE(LinkOperations::runScript(*link, c.script).empty());
	QStringList got;
	for (const QByteArray &d : camera->datagrams())
		got << hexText(d);
	EXPECT_EQ(got.join(" | ").toStdString(), c.frames);
}

INSTANTIATE_TEST_SUITE_P(AllOperations, LinkFrames, ::testing::ValuesIn(frameCases),
			 [](const ::testing::TestParamInfo<FrameCase> &info) {
				 return std::string(info.param.family == H32P  ? "H32P_"
						    : info.param.family == JS4 ? "JS4_"
									       : "") +
					testName(info.param.script);
			 });

TEST(LinkFrames, RawInquiryAndItsSixteenByteLimit)
{
	CameraSimulator camera(simulatorOptions("127.0.1.11"));
	ASSERT_TRUE(camera.start());
	auto link = aimed<viscaIpModule>("127.0.1.11", camera.boundPort());
	unsigned char payload[20] = {0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF};
	QByteArray reply;
	link->sendRawInquiry(reply, payload, 7);
	link->sendRawInquiry(reply, payload, sizeof(payload));
	ASSERT_TRUE(camera.waitForDatagrams(2, 1000));
	EXPECT_EQ(hexText(camera.datagrams()[0]).toStdString(), "01 10 00 07 00 00 00 01 81 09 00 02 00 03 FF");
	EXPECT_EQ(hexText(camera.datagrams()[1].left(4)).toStdString(), "01 10 00 10");
	EXPECT_EQ(camera.datagrams()[1].size(), 24);
}

} // namespace
