// SDL's virtual game controllers, read by the poller, drive simulated cameras on loopback through the
// controller and the camera rig: the datagrams at the camera for each throw, diagonal, zoom and button, the stop
// on return, on unplugging, on a camera change and on quitting, and the rate bound under a sweeping stick.
#include "LinkTestSupport.h"

#include "control/CameraRig.h"
#include "gamepad/GamepadController.h"
#include "plugin/gamepad/SdlPadPoller.h"
#include "settings/PanelSettings.h"

#include <SDL.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString panTiltStop = "81 01 06 01 0B 0B 03 03 FF";
const QString zoomStop = "81 01 04 07 00 FF";

// Motion datagrams only (pan/tilt and zoom drives and stops): the link check's inquiries are left out.
QStringList motions(const CameraSimulator &camera)
{
	QStringList texts;
	for (const QByteArray &payload : camera.payloads()) {
		const QString text = hexText(payload);
		if (text.startsWith("81 01 06 01") || text.startsWith("81 01 04 07"))
			texts << text;
	}
	return texts;
}

QString lastMotion(const CameraSimulator &camera)
{
	const QStringList all = motions(camera);
	return all.isEmpty() ? QString() : all.last();
}

// A game controller of the standard layout that exists in SDL only. Its triggers rest at the bottom.
class VirtualPad {
public:
	VirtualPad()
	{
		SDL_VirtualJoystickDesc desc;
		SDL_zero(desc);
		desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
		desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
		desc.naxes = PadMapping::axisCount;
		desc.nbuttons = PadMapping::buttonCount;
		desc.axis_mask = (1u << PadMapping::axisCount) - 1;
		desc.button_mask = (1u << PadMapping::buttonCount) - 1;
		desc.name = "Virtual pad";
		const int index = SDL_JoystickAttachVirtualEx(&desc);
		m_joystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
		if (m_joystick != nullptr)
			rest();
	}
	~VirtualPad() { unplug(); }
	bool ok() const { return m_joystick != nullptr; }
	void rest()
	{
		for (int axis = 0; axis < PadMapping::axisCount; ++axis)
			set(axis, 0);
	}
	// Controller values: sticks -32768..32767, triggers 0..32767.
	void set(int axis, int value)
	{
		const bool trigger = axis == PadMapping::LeftTrigger || axis == PadMapping::RightTrigger;
		SDL_JoystickSetVirtualAxis(m_joystick, axis, Sint16(trigger ? value * 2 - 32768 : value));
	}
	void press(int button, bool down) { SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0); }
	void unplug()
	{
		if (m_joystick == nullptr)
			return;
		const SDL_JoystickID id = SDL_JoystickInstanceID(m_joystick);
		SDL_JoystickClose(m_joystick);
		m_joystick = nullptr;
		for (int index = 0; index < SDL_NumJoysticks(); ++index) {
			if (SDL_JoystickGetDeviceInstanceID(index) == id)
				SDL_JoystickDetachVirtual(index);
		}
	}

private:
	SDL_Joystick *m_joystick = nullptr;
};

// Two cameras on 127.0.9.1 and .2 in slots 1 and 2, slot 1 selected, one virtual pad read by the poller.
struct Bench {
	Bench()
	{
		// The test holds SDL's game-controller subsystem itself to plug its virtual pads in and out.
		SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
		sdl = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
		settings = std::make_unique<PanelSettings>(folder.path());
		PanelSettings::setInstance(settings.get());
		rig = std::make_unique<CameraRig>(*settings);
		for (int slot : {1, 2}) {
			const std::string address = "127.0.9." + std::to_string(slot);
			cameras[slot] = startCamera(address.c_str());
			rig->session(slot)->setCameraPort(cameras[slot]->boundPort());
			settings->setSlot(slot, QString::fromStdString(address), QString());
		}
		rig->setCheckInterval(60000);
		rig->start();
		rig->select(1);
		controller = std::make_unique<GamepadController>(*rig, *settings);
		pad = std::make_unique<VirtualPad>();
		QObject::connect(&poller, &SdlPadPoller::attached, controller.get(), &GamepadController::attach);
		QObject::connect(&poller, &SdlPadPoller::detached, controller.get(), &GamepadController::detach);
		QObject::connect(&poller, &SdlPadPoller::changed, controller.get(), &GamepadController::update);
		poller.start();
	}
	~Bench()
	{
		poller.stop();
		pad.reset();
		controller.reset();
		rig.reset();
		PanelSettings::setInstance(nullptr);
		if (sdl)
			SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
	}
	bool ready()
	{
		EXPECT_TRUE(sdl) << "SDL's game-controller subsystem did not start: " << SDL_GetError();
		EXPECT_TRUE(pad->ok()) << "no virtual pad: " << SDL_GetError();
		const auto connected = [this](int slot) {
			return rig->session(slot)->state() == CameraSession::State::Connected;
		};
		const bool found = waitFor([this] { return controller->padIds().size() == 1; }, 8000);
		const bool cameras = waitFor([&] { return connected(1) && connected(2); }, 8000);
		EXPECT_TRUE(found) << "the poller did not report the pad";
		EXPECT_TRUE(cameras) << "the simulated cameras did not connect";
		return sdl && pad->ok() && found && cameras;
	}
	CameraSimulator &camera(int slot) { return *cameras[slot]; }
	// Waits for a motion datagram equal to text at the camera.
	bool got(int slot, const QString &text, int timeoutMs = 1500)
	{
		return waitFor([&] { return motions(camera(slot)).contains(text); }, timeoutMs);
	}

	bool sdl = false;
	QTemporaryDir folder;
	std::unique_ptr<PanelSettings> settings;
	std::unique_ptr<CameraRig> rig;
	std::map<int, std::unique_ptr<CameraSimulator>> cameras;
	std::unique_ptr<GamepadController> controller;
	std::unique_ptr<VirtualPad> pad;
	SdlPadPoller poller;
};

} // namespace

// Each push on the H57P (pan and tilt 1..24, zoom 0..7; dead zone 15 %, quadratic curve): the drive it gives,
// or none inside the dead zone; back at rest, the stop is the last datagram.
TEST(GamepadPads, DrivesAcrossTheThrow)
{
	Bench b;
	ASSERT_TRUE(b.ready());
	struct Row {
		const char *name;
		std::vector<std::pair<int, int>> axes;
		const char *drive; // empty: nothing goes out
		const QString &stop;
	};
	using M = PadMapping;
	const Row rows[] = {
		{"inside the dead zone", {{M::LeftX, 4000}}, "", panTiltStop},
		{"right outside it: slowest", {{M::LeftX, 5000}}, "81 01 06 01 01 0B 02 03 FF", panTiltStop},
		{"curve midpoint", {{M::LeftX, 18841}}, "81 01 06 01 07 0B 02 03 FF", panTiltStop},
		{"full right", {{M::LeftX, 32767}}, "81 01 06 01 18 0B 02 03 FF", panTiltStop},
		{"full left", {{M::LeftX, -32768}}, "81 01 06 01 18 0B 01 03 FF", panTiltStop},
		{"full up", {{M::LeftY, -32768}}, "81 01 06 01 0B 18 03 01 FF", panTiltStop},
		{"diagonal at two speeds",
		 {{M::LeftX, 18841}, {M::LeftY, 32767}},
		 "81 01 06 01 07 18 02 02 FF",
		 panTiltStop},
		{"zoom in at full throw", {{M::RightY, -32768}}, "81 01 04 07 27 FF", zoomStop},
		{"zoom out at the midpoint", {{M::RightY, 18841}}, "81 01 04 07 32 FF", zoomStop},
		{"right trigger zooms in", {{M::RightTrigger, 32767}}, "81 01 04 07 27 FF", zoomStop},
		{"left trigger zooms out", {{M::LeftTrigger, 32767}}, "81 01 04 07 37 FF", zoomStop},
	};
	for (const Row &row : rows) {
		b.camera(1).clear();
		for (const auto &[axis, value] : row.axes)
			b.pad->set(axis, value);
		if (*row.drive == '\0') {
			spin(300);
			EXPECT_EQ(motions(b.camera(1)), QStringList()) << row.name;
		} else {
			EXPECT_TRUE(b.got(1, row.drive))
				<< row.name << ": " << motions(b.camera(1)).join(" | ").toStdString();
		}
		b.pad->rest();
		if (*row.drive != '\0') {
			EXPECT_TRUE(b.got(1, row.stop)) << row.name;
			spin(100);
			EXPECT_EQ(lastMotion(b.camera(1)), row.stop) << row.name;
		}
	}
}

// Each button's default: what the selected camera gets on pressing and on letting go, or the selection step.
TEST(GamepadPads, ButtonsCallTheirActions)
{
	Bench b;
	ASSERT_TRUE(b.ready());
	struct Row {
		int button;
		const char *pressed, *released;
		int selected; // slot selected afterwards
	};
	using M = PadMapping;
	const Row rows[] = {
		{M::A, "81 01 04 3F 02 01 FF", "", 1},
		{M::Y, "81 01 04 3F 02 04 FF", "", 1},
		{M::Start, "81 01 06 04 FF", "", 1},
		{M::DPadUp, "81 01 04 08 23 FF", "81 01 04 08 00 FF", 1},
		{M::DPadDown, "81 01 04 08 33 FF", "81 01 04 08 00 FF", 1},
		{M::RightShoulder, "", "", 2},
		{M::LeftShoulder, "", "", 1},
	};
	for (const Row &row : rows) {
		b.camera(1).clear();
		const auto seen = [&](const char *text) {
			return waitFor([&] {
				for (const QByteArray &payload : b.camera(1).payloads()) {
					if (hexText(payload) == text)
						return true;
				}
				return false;
			});
		};
		// Each change is held until the controller has read it: a press and release between two readings
		// is no press.
		const auto read = [&](bool down) {
			return waitFor([&] {
				const auto *pad = b.controller->pad(b.controller->padIds().front());
				return pad->input.pressed(row.button) == down;
			});
		};
		b.pad->press(row.button, true);
		EXPECT_TRUE(read(true));
		if (*row.pressed != '\0') {
			EXPECT_TRUE(seen(row.pressed)) << row.pressed;
		}
		b.pad->press(row.button, false);
		EXPECT_TRUE(read(false));
		if (*row.released != '\0') {
			EXPECT_TRUE(seen(row.released)) << row.released;
		}
		EXPECT_TRUE(waitFor([&] { return b.rig->selectedSlot() == row.selected; }))
			<< "button " << PadMapping::buttonName(row.button).toStdString();
		spin(150);
	}
}

// Mid-move (panning and zooming), the camera that was moving stops first: the pad unplugged, another camera
// selected (which then takes the stick), OBS quitting (the zoom stop waits 50 ms in the link before it goes).
TEST(GamepadPads, EveryWayOutStopsTheMoveFirst)
{
	const char *const pan = "81 01 06 01 18 0B 02 03 FF";
	const char *const zoom = "81 01 04 07 27 FF";
	const auto last = [](const CameraSimulator &camera, const char *prefix) {
		QString found;
		for (const QString &text : motions(camera)) {
			if (text.startsWith(prefix))
				found = text;
		}
		return found;
	};
	for (const char *event : {"unplug", "camera change", "quit"}) {
		Bench b;
		ASSERT_TRUE(b.ready()) << event;
		b.pad->set(PadMapping::LeftX, 32767);
		b.pad->set(PadMapping::RightY, -32768);
		ASSERT_TRUE(b.got(1, pan) && b.got(1, zoom)) << event;
		const std::string name = event;
		if (name == "unplug") {
			b.pad->unplug();
		} else if (name == "camera change") {
			b.rig->select(2);
			EXPECT_TRUE(b.got(2, pan) && b.got(2, zoom)) << event;
		} else {
			b.controller->shutdown();
			b.rig->shutdown();
		}
		EXPECT_TRUE(waitFor([&] {
			return last(b.camera(1), "81 01 06 01") == panTiltStop &&
			       last(b.camera(1), "81 01 04 07") == zoomStop;
		})) << event
		    << ": " << motions(b.camera(1)).join(" | ").toStdString();
		spin(200);
		EXPECT_EQ(last(b.camera(1), "81 01 06 01"), panTiltStop) << event;
		EXPECT_EQ(last(b.camera(1), "81 01 04 07"), zoomStop) << event;
	}
}

// A stick swept to and fro for a second, read every 10 ms: at most one drive per 50 ms reaches the camera, it
// keeps following, and the stop ends it.
TEST(GamepadPads, SweepingStickStaysWithinTheRateBound)
{
	Bench b;
	ASSERT_TRUE(b.ready());
	b.camera(1).clear();
	QElapsedTimer clock;
	clock.start();
	for (int step = 0; step < 400 && clock.elapsed() < 1000; ++step) {
		const int phase = step % 40;
		b.pad->set(PadMapping::LeftX, 8000 + (phase < 20 ? phase : 40 - phase) * 1200);
		spin(5);
	}
	const qint64 sweptMs = clock.elapsed();
	b.pad->rest();
	ASSERT_TRUE(b.got(1, panTiltStop));
	spin(100);
	const QStringList sent = motions(b.camera(1));
	const int drives = int(sent.size()) - 1;
	EXPECT_LE(drives, sweptMs / 50 + 1) << sent.join(" | ").toStdString();
	EXPECT_GE(drives, 8) << "the camera did not follow the stick";
	EXPECT_EQ(sent.last(), panTiltStop);
	EXPECT_EQ(sent.count(panTiltStop), 1);
}
