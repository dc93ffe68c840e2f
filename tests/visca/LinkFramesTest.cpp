// Every operation's datagrams, byte for byte, against a camera that answers at once.
#include "CameraSimulator.h"
#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

enum class Family { Plain, H32P, JS4 };

struct FrameCase {
	const char *name;
	Family family;
	std::function<void(viscaIpModule &)> run;
	std::vector<const char *> frames;
};

void PrintTo(const FrameCase &c, std::ostream *os)
{
	*os << c.name;
}

const std::vector<FrameCase> &frameCases()
{
	using L = viscaIpModule;
	static const std::vector<FrameCase> cases = {
		// Motion at the default speeds 11/11
		{"moveUp",
		 Family::Plain,
		 [](L &l) { l.moveUp(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 01 FF"}},
		{"moveDown",
		 Family::Plain,
		 [](L &l) { l.moveDown(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 02 FF"}},
		{"moveLeft",
		 Family::Plain,
		 [](L &l) { l.moveLeft(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 01 03 FF"}},
		{"moveRight",
		 Family::Plain,
		 [](L &l) { l.moveRight(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 02 03 FF"}},
		{"moveUpLeft",
		 Family::Plain,
		 [](L &l) { l.moveUpLeft(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 01 01 FF"}},
		{"moveUpRight",
		 Family::Plain,
		 [](L &l) { l.moveUpRight(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 02 01 FF"}},
		{"moveDownLeft",
		 Family::Plain,
		 [](L &l) { l.moveDownLeft(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 01 02 FF"}},
		{"moveDownRight",
		 Family::Plain,
		 [](L &l) { l.moveDownRight(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 02 02 FF"}},
		{"panTiltStop",
		 Family::Plain,
		 [](L &l) { l.panTiltStop(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 03 FF"}},
		{"panTiltHome",
		 Family::Plain,
		 [](L &l) { l.panTiltHome(); },
		 {"01 00 00 05 00 00 00 01 81 01 06 04 FF"}},
		{"storedSpeeds",
		 Family::Plain,
		 [](L &l) {
			 l.setPanSpeed(0x18);
			 l.setTiltSpeed(0x14);
			 l.moveDownRight();
		 },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 18 14 02 02 FF"}},
		// Zoom and focus
		{"zoomTele", Family::Plain, [](L &l) { l.zoomTele(); }, {"01 00 00 06 00 00 00 01 81 01 04 07 22 FF"}},
		{"zoomWide", Family::Plain, [](L &l) { l.zoomWide(); }, {"01 00 00 06 00 00 00 01 81 01 04 07 32 FF"}},
		{"zoomStop", Family::Plain, [](L &l) { l.zoomStop(); }, {"01 00 00 06 00 00 00 01 81 01 04 07 00 FF"}},
		{"zoomSpeed",
		 Family::Plain,
		 [](L &l) {
			 l.setZoomSpeed(7);
			 l.zoomWide();
		 },
		 {"01 00 00 06 00 00 00 01 81 01 04 07 37 FF"}},
		{"setZoomPosition",
		 Family::Plain,
		 [](L &l) { l.setZoomPosition(0x4000); },
		 {"01 00 00 0A 00 00 00 01 81 01 04 47 04 00 00 00 02 FF"}},
		{"setZoomPositionLow16",
		 Family::Plain,
		 [](L &l) {
			 l.setZoomSpeed(5);
			 l.setZoomPosition(0x12345);
		 },
		 {"01 00 00 0A 00 00 00 01 81 01 04 47 02 03 04 05 05 FF"}},
		{"getZoomPosition",
		 Family::Plain,
		 [](L &l) { l.getZoomPosition(); },
		 {"01 00 00 05 00 00 00 01 81 01 00 01 FF", "01 10 00 05 00 00 00 02 81 09 04 47 FF"}},
		{"focusNear",
		 Family::Plain,
		 [](L &l) { l.focusNear(); },
		 {"01 00 00 06 00 00 00 01 81 01 04 08 33 FF"}},
		{"focusFar", Family::Plain, [](L &l) { l.focusFar(); }, {"01 00 00 06 00 00 00 01 81 01 04 08 23 FF"}},
		{"focusStop",
		 Family::Plain,
		 [](L &l) { l.focusStop(); },
		 {"01 00 00 06 00 00 00 01 81 01 04 08 00 FF"}},
		{"focusSpeed",
		 Family::Plain,
		 [](L &l) {
			 l.setFocusSpeed(5);
			 l.focusNear();
		 },
		 {"01 00 00 06 00 00 00 01 81 01 04 08 35 FF"}},
		{"setFocusPosition",
		 Family::Plain,
		 [](L &l) { l.setFocusPosition(0xABCD); },
		 {"01 00 00 09 00 00 00 01 81 01 04 48 0A 0B 0C 0D FF"}},
		{"getFocusPosition",
		 Family::Plain,
		 [](L &l) { l.getFocusPosition(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 48 FF"}},
		{"autoFocusOn",
		 Family::Plain,
		 [](L &l) { l.setAutoFocus(true); },
		 {"01 00 00 06 00 00 00 01 81 01 04 38 02 FF"}},
		{"autoFocusOff",
		 Family::Plain,
		 [](L &l) { l.setAutoFocus(false); },
		 {"01 00 00 06 00 00 00 01 81 01 04 38 03 FF"}},
		{"isAutoFocus",
		 Family::Plain,
		 [](L &l) { l.isAutoFocus(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 38 FF"}},
		// Presets
		{"recallPreset",
		 Family::Plain,
		 [](L &l) {
			 l.setPresetNumber(4);
			 l.recallPreset();
		 },
		 {"01 00 00 07 00 00 00 01 81 01 04 3F 02 04 FF"}},
		{"storePreset",
		 Family::Plain,
		 [](L &l) {
			 l.setPresetNumber(19);
			 l.storePreset();
		 },
		 {"01 00 00 07 00 00 00 01 81 01 04 3F 01 13 FF"}},
		{"setPresetSpeed",
		 Family::Plain,
		 [](L &l) { l.setPresetSpeed(5); },
		 {"01 00 00 06 00 00 00 01 81 01 06 20 05 FF"}},
		// Exposure, white balance and picture
		{"setExposureMode",
		 Family::Plain,
		 [](L &l) { l.setExposureMode(0x0A); },
		 {"01 00 00 06 00 00 00 01 81 01 04 39 0A FF"}},
		{"getExposureMode",
		 Family::Plain,
		 [](L &l) { l.getExposureMode(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 39 FF"}},
		{"setShutter",
		 Family::Plain,
		 [](L &l) { l.setShutter(0x15); },
		 {"01 00 00 09 00 00 00 01 81 01 04 4A 00 00 01 05 FF"}},
		{"getShutter", Family::Plain, [](L &l) { l.getShutter(); }, {"01 10 00 05 00 00 00 01 81 09 04 4A FF"}},
		{"setIris",
		 Family::Plain,
		 [](L &l) { l.setIris(5); },
		 {"01 00 00 09 00 00 00 01 81 01 04 4B 00 00 00 05 FF"}},
		{"getIris", Family::Plain, [](L &l) { l.getIris(); }, {"01 10 00 05 00 00 00 01 81 09 04 4B FF"}},
		{"setGain",
		 Family::Plain,
		 [](L &l) { l.setGain(0x1C); },
		 {"01 00 00 09 00 00 00 01 81 01 04 4C 00 00 01 0C FF"}},
		{"getGain", Family::Plain, [](L &l) { l.getGain(); }, {"01 10 00 05 00 00 00 01 81 09 04 4C FF"}},
		{"setWhiteBalanceMode",
		 Family::Plain,
		 [](L &l) { l.setWhiteBalanceMode(3); },
		 {"01 00 00 06 00 00 00 01 81 01 04 35 03 FF"}},
		{"getWhiteBalanceMode",
		 Family::Plain,
		 [](L &l) { l.getWhiteBalanceMode(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 35 FF"}},
		{"whiteBalanceOnePush",
		 Family::Plain,
		 [](L &l) { l.whiteBalanceOnePush(); },
		 {"01 00 00 06 00 00 00 01 81 01 04 10 05 FF"}},
		{"setRedGain",
		 Family::Plain,
		 [](L &l) { l.setRedGain(0xA5); },
		 {"01 00 00 09 00 00 00 01 81 01 04 43 00 00 0A 05 FF"}},
		{"getRedGain", Family::Plain, [](L &l) { l.getRedGain(); }, {"01 10 00 05 00 00 00 01 81 09 04 43 FF"}},
		{"setBlueGain",
		 Family::Plain,
		 [](L &l) { l.setBlueGain(0x3F); },
		 {"01 00 00 09 00 00 00 01 81 01 04 44 00 00 03 0F FF"}},
		{"getBlueGain",
		 Family::Plain,
		 [](L &l) { l.getBlueGain(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 44 FF"}},
		{"setGamma", Family::Plain, [](L &l) { l.setGamma(2); }, {"01 00 00 06 00 00 00 01 81 01 04 5B 02 FF"}},
		{"getGamma", Family::Plain, [](L &l) { l.getGamma(); }, {"01 10 00 05 00 00 00 01 81 09 04 5B FF"}},
		{"setImageMode",
		 Family::Plain,
		 [](L &l) { l.setImageMode(1); },
		 {"01 00 00 07 00 00 00 01 81 01 04 3F 04 01 FF"}},
		{"getImageMode",
		 Family::Plain,
		 [](L &l) { l.getImageMode(); },
		 {"01 10 00 06 00 00 00 01 81 09 04 3F 04 FF"}},
		{"setHue",
		 Family::Plain,
		 [](L &l) { l.setHue(0x2A); },
		 {"01 00 00 09 00 00 00 01 81 01 04 4F 00 00 00 2A FF"}},
		{"getHue", Family::Plain, [](L &l) { l.getHue(); }, {"01 10 00 05 00 00 00 01 81 09 04 4F FF"}},
		{"setSaturation",
		 Family::Plain,
		 [](L &l) { l.setSaturation(0x2A); },
		 {"01 00 00 09 00 00 00 01 81 01 04 49 00 00 00 2A FF"}},
		{"getSaturation",
		 Family::Plain,
		 [](L &l) { l.getSaturation(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 49 FF"}},
		{"setSharpness",
		 Family::Plain,
		 [](L &l) { l.setSharpness(0x2A); },
		 {"01 00 00 09 00 00 00 01 81 01 04 42 00 00 02 0A FF"}},
		{"getSharpness",
		 Family::Plain,
		 [](L &l) { l.getSharpness(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 42 FF"}},
		{"setMirror",
		 Family::Plain,
		 [](L &l) { l.setMirror(2); },
		 {"01 00 00 06 00 00 00 01 81 01 04 61 02 FF"}},
		{"setFlip", Family::Plain, [](L &l) { l.setFlip(3); }, {"01 00 00 06 00 00 00 01 81 01 04 66 03 FF"}},
		{"mirrorFlipOff",
		 Family::Plain,
		 [](L &l) { l.setMirrorFlip(0); },
		 {"01 00 00 06 00 00 00 01 81 01 04 61 03 FF", "01 00 00 06 00 00 00 02 81 01 04 66 03 FF"}},
		{"mirrorFlipMirror",
		 Family::Plain,
		 [](L &l) { l.setMirrorFlip(1); },
		 {"01 00 00 06 00 00 00 01 81 01 04 66 03 FF", "01 00 00 06 00 00 00 02 81 01 04 61 02 FF"}},
		{"mirrorFlipFlip",
		 Family::Plain,
		 [](L &l) { l.setMirrorFlip(2); },
		 {"01 00 00 06 00 00 00 01 81 01 04 61 03 FF", "01 00 00 06 00 00 00 02 81 01 04 66 02 FF"}},
		{"mirrorFlipBoth",
		 Family::Plain,
		 [](L &l) { l.setMirrorFlip(3); },
		 {"01 00 00 06 00 00 00 01 81 01 04 61 02 FF", "01 00 00 06 00 00 00 02 81 01 04 66 02 FF"}},
		{"mirrorFlipOther", Family::Plain, [](L &l) { EXPECT_FALSE(l.setMirrorFlip(4)); }, {}},
		{"getMirrorFlip",
		 Family::Plain,
		 [](L &l) { l.getMirrorFlip(); },
		 {"01 10 00 05 00 00 00 01 81 09 04 61 FF", "01 10 00 05 00 00 00 02 81 09 04 66 FF"}},
		// Limits
		{"clearDownLeftLimit",
		 Family::Plain,
		 [](L &l) { l.clearDownLeftLimit(); },
		 {"01 00 00 0F 00 00 00 01 81 01 06 07 01 00 07 0F 0F 0F 07 0F 0F 0F FF"}},
		{"clearUpRightLimit",
		 Family::Plain,
		 [](L &l) { l.clearUpRightLimit(); },
		 {"01 00 00 0F 00 00 00 01 81 01 06 07 01 01 07 0F 0F 0F 07 0F 0F 0F FF"}},
		{"setSpeedCompensation",
		 Family::Plain,
		 [](L &l) { l.setSpeedCompensation(1); },
		 {"01 00 00 07 00 00 00 01 81 01 06 1F 01 01 FF"}},
		{"setPanLeftLimitAtZero",
		 Family::Plain,
		 [](L &l) { l.setPanLeftLimit(0, 65535, 0); },
		 {"01 00 00 0F 00 00 00 01 81 01 06 07 00 00 0F 0F 0F 0F 0F 0F 0F 0F FF"}},
		{"setPanRightLimitAtZero",
		 Family::Plain,
		 [](L &l) { l.setPanRightLimit(0, 65535, 0x1234); },
		 {"01 00 00 0F 00 00 00 01 81 01 06 07 00 01 01 02 03 04 00 00 00 00 FF"}},
		// Probes
		{"connectCamera",
		 Family::Plain,
		 [](L &l) { l.connectCamera(QStringLiteral("127.0.1.10"), l.cameraPort()); },
		 {"01 00 00 04 00 00 00 01 88 30 01 FF"}},
		{"isCameraAlive",
		 Family::Plain,
		 [](L &l) { l.isCameraAlive(); },
		 {"01 00 00 04 00 00 00 01 88 30 01 FF"}},
		{"sendRawInquiry",
		 Family::Plain,
		 [](L &l) {
			 const unsigned char payload[] = {0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF};
			 QByteArray reply;
			 l.sendRawInquiry(reply, payload, sizeof(payload));
		 },
		 {"01 10 00 07 00 00 00 01 81 09 00 02 00 03 FF"}},
		// 32P family: its own preset speed, everything else inherited
		{"h32pPresetSpeed",
		 Family::H32P,
		 [](L &l) { l.setPresetSpeed(5); },
		 {"01 00 00 07 00 00 00 01 81 01 7E 03 02 05 FF"}},
		{"h32pMoveUp",
		 Family::H32P,
		 [](L &l) { l.moveUp(); },
		 {"01 00 00 09 00 00 00 01 81 01 06 01 0B 0B 03 01 FF"}},
		{"h32pSetHue",
		 Family::H32P,
		 [](L &l) { l.setHue(0x2A); },
		 {"01 00 00 09 00 00 00 01 81 01 04 4F 00 00 00 2A FF"}},
		// JS4 family
		{"js4Connect",
		 Family::JS4,
		 [](L &l) { EXPECT_TRUE(l.connectCamera(QStringLiteral("127.0.1.10"), l.cameraPort())); },
		 {}},
		{"js4Alive",
		 Family::JS4,
		 [](L &l) { l.isCameraAlive(); },
		 {"01 00 00 06 00 00 00 01 81 01 04 00 12 FF"}},
		{"js4SetHue",
		 Family::JS4,
		 [](L &l) { l.setHue(0x2A); },
		 {"01 00 00 08 00 00 00 01 81 01 0E 24 44 02 0A FF"}},
		{"js4GetHue", Family::JS4, [](L &l) { l.getHue(); }, {"01 10 00 06 00 00 00 01 81 09 0E 24 44 FF"}},
		{"js4SetSaturation",
		 Family::JS4,
		 [](L &l) { l.setSaturation(0x2A); },
		 {"01 00 00 08 00 00 00 01 81 01 0E 24 43 02 0A FF"}},
		{"js4GetSaturation",
		 Family::JS4,
		 [](L &l) { l.getSaturation(); },
		 {"01 10 00 06 00 00 00 01 81 09 0E 24 43 FF"}},
		{"js4SetSharpness",
		 Family::JS4,
		 [](L &l) { l.setSharpness(0x2A); },
		 {"01 00 00 08 00 00 00 01 81 01 0E 24 40 02 0A FF"}},
		{"js4GetSharpness",
		 Family::JS4,
		 [](L &l) { l.getSharpness(); },
		 {"01 10 00 06 00 00 00 01 81 09 0E 24 40 FF"}},
		{"js4PresetSpeed",
		 Family::JS4,
		 [](L &l) { l.setPresetSpeed(5); },
		 {"01 00 00 06 00 00 00 01 81 01 06 20 05 FF"}},
	};
	return cases;
}

std::unique_ptr<viscaIpModule> aimedLink(Family family, int port)
{
	const QString ip = QStringLiteral("127.0.1.10");
	switch (family) {
	case Family::H32P: {
		auto link = std::make_unique<AimedLink<H32PViscaIPModule>>();
		link->aim(ip, port);
		return link;
	}
	case Family::JS4: {
		auto link = std::make_unique<AimedLink<JS4ViscaIPModule>>();
		link->aim(ip, port);
		return link;
	}
	case Family::Plain:
		break;
	}
	auto link = std::make_unique<AimedLink<viscaIpModule>>();
	link->aim(ip, port);
	return link;
}

class LinkFrames : public ::testing::TestWithParam<FrameCase> {
protected:
	static void SetUpTestSuite()
	{
		CameraSimulator::Options options;
		options.bindAddress = "127.0.1.10";
		options.port = 0;
		camera = new CameraSimulator(options);
		ASSERT_TRUE(camera->start()) << camera->errorString();
	}
	static void TearDownTestSuite()
	{
		delete camera;
		camera = nullptr;
	}
	static CameraSimulator *camera;
};

CameraSimulator *LinkFrames::camera = nullptr;

TEST_P(LinkFrames, SendsExactDatagrams)
{
	const FrameCase &c = GetParam();
	camera->clear();
	auto link = aimedLink(c.family, camera->boundPort());
	c.run(*link);
	camera->waitForDatagrams(c.frames.size(), 1000);
	QStringList expected;
	for (const char *frame : c.frames)
		expected << hexText(hexBytes(frame));
	QStringList got;
	for (const QByteArray &d : camera->datagrams())
		got << hexText(d);
	EXPECT_EQ(got.join(" | ").toStdString(), expected.join(" | ").toStdString());
}

INSTANTIATE_TEST_SUITE_P(AllOperations, LinkFrames, ::testing::ValuesIn(frameCases()),
			 [](const ::testing::TestParamInfo<FrameCase> &info) { return std::string(info.param.name); });

} // namespace
