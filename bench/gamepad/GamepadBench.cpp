// Gamepad figures as medians of repeated runs: processor time of the whole process with gamepads on and no pad,
// then with one idle (virtual) pad; the time from a stick push to the drive datagram at a simulated camera on
// loopback; drive datagrams per second at the camera while the stick sweeps. usage: ptz_gamepad_bench [seconds]
#include "control/CameraRig.h"
#include "gamepad/GamepadController.h"
#include "plugin/gamepad/SdlPadPoller.h"
#include "settings/PanelSettings.h"
#include "visca/CameraSimulator.h"

#include <SDL.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

namespace {

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values.empty() ? 0 : values[values.size() / 2];
}

double processSeconds()
{
	timespec t{};
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
	return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void spin(int milliseconds)
{
	QElapsedTimer clock;
	clock.start();
	while (clock.elapsed() < milliseconds)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The interface loop waiting for events, as OBS's does, for the given time.
void idle(int milliseconds)
{
	QEventLoop loop;
	QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
	loop.exec();
}

// Percent of one core the process used over windows of the given length, the interface loop idle.
double idleCost(int windows, int windowMs)
{
	std::vector<double> shares;
	idle(300); // the pad is found and read once
	for (int i = 0; i < windows; ++i) {
		const double before = processSeconds();
		idle(windowMs);
		shares.push_back((processSeconds() - before) * 100.0 * 1000.0 / windowMs);
	}
	return median(shares);
}

SDL_Joystick *attachPad()
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
	SDL_Joystick *pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
	SDL_JoystickSetVirtualAxis(pad, PadMapping::LeftTrigger, -32768);
	SDL_JoystickSetVirtualAxis(pad, PadMapping::RightTrigger, -32768);
	return pad;
}

size_t drivesAt(const CameraSimulator &camera)
{
	size_t count = 0;
	for (const QByteArray &payload : camera.payloads()) {
		if (payload.startsWith(QByteArray::fromHex("81010601")) &&
		    !payload.endsWith(QByteArray::fromHex("0303FF")))
			++count;
	}
	return count;
}

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	const int windowMs = argc > 1 ? std::max(1, atoi(argv[1])) * 1000 : 3000;
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
		std::fprintf(stderr, "SDL did not start: %s\n", SDL_GetError());
		return 1;
	}
	QTemporaryDir folder;
	PanelSettings settings(folder.path());
	PanelSettings::setInstance(&settings);
	CameraSimulator::Options options;
	options.bindAddress = "127.0.9.11";
	options.port = 0;
	CameraSimulator camera(options);
	if (!camera.start()) {
		std::fprintf(stderr, "camera: %s\n", camera.errorString().c_str());
		return 1;
	}
	settings.setSlot(1, QString::fromStdString(options.bindAddress), QString());
	CameraRig rig(settings);
	rig.setCameraPort(camera.boundPort());
	rig.setCheckInterval(600000);
	rig.start();
	rig.select(1);
	GamepadController controller(rig, settings);
	SdlPadPoller poller;
	QObject::connect(&poller, &SdlPadPoller::attached, &controller, &GamepadController::attach);
	QObject::connect(&poller, &SdlPadPoller::detached, &controller, &GamepadController::detach);
	QObject::connect(&poller, &SdlPadPoller::changed, &controller, &GamepadController::update);
	spin(500); // the camera connects
	const double baseline = idleCost(5, windowMs);
	poller.start();
	const double noPad = idleCost(5, windowMs);
	SDL_Joystick *pad = attachPad();
	const double idlePad = idleCost(5, windowMs);

	// Latency: the interface loop runs here; another thread pushes the stick and waits for the datagram. Pushes
	// come at random phases of the reading period: 200 while the pad is in use, then some from a pad at rest.
	std::vector<double> latencies;
	std::vector<double> fromRest;
	std::atomic<bool> done{false};
	std::thread pusher([&] {
		std::mt19937 random(7);
		for (int i = 0; i < 230; ++i) {
			const bool rested = i >= 200;
			camera.clear();
			QElapsedTimer clock;
			clock.start();
			SDL_JoystickSetVirtualAxis(pad, PadMapping::LeftX, i % 2 ? 32767 : -32768);
			if (camera.waitForDatagrams(1, 1000))
				(rested ? fromRest : latencies).push_back(double(clock.nsecsElapsed()) / 1e6);
			SDL_JoystickSetVirtualAxis(pad, PadMapping::LeftX, 0);
			camera.waitForDatagrams(2, 1000);
			const int gap = (i >= 199 ? SdlPadPoller::restAfter + 100 : 100) + int(random() % 40);
			std::this_thread::sleep_for(std::chrono::milliseconds(gap));
		}
		done = true;
	});
	QEventLoop loop;
	QTimer check;
	QObject::connect(&check, &QTimer::timeout, &loop, [&] {
		if (done)
			loop.quit();
	});
	check.start(20);
	loop.exec();
	pusher.join();

	// Sweep: the stick moves every 5 ms, to and fro, never back inside the dead zone.
	std::vector<double> rates;
	for (int run = 0; run < 5; ++run) {
		spin(200);
		camera.clear();
		QElapsedTimer clock;
		clock.start();
		for (int step = 0; step < 1000 && clock.elapsed() < windowMs; ++step) {
			const int phase = step % 40;
			SDL_JoystickSetVirtualAxis(pad, PadMapping::LeftX,
						   Sint16(8000 + (phase < 20 ? phase : 40 - phase) * 1200));
			spin(5);
		}
		const double seconds = clock.elapsed() / 1000.0;
		rates.push_back(double(drivesAt(camera)) / seconds);
		SDL_JoystickSetVirtualAxis(pad, PadMapping::LeftX, 0);
	}
	spin(300);
	std::printf("processor, interface loop only:   %.3f %% of one core (median of 5 x %d ms)\n", baseline,
		    windowMs);
	std::printf("processor, gamepads on, no pad:   %.3f %% of one core\n", noPad);
	std::printf("processor, one idle pad:          %.3f %% of one core\n", idlePad);
	std::printf("stick to drive datagram:          %.2f ms median of %zu (max %.2f)\n", median(latencies),
		    latencies.size(), latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()));
	std::printf("the same from a pad at rest:      %.2f ms median of %zu (max %.2f)\n", median(fromRest),
		    fromRest.size(), fromRest.empty() ? 0.0 : *std::max_element(fromRest.begin(), fromRest.end()));
	std::printf("drive datagrams while sweeping:   %.1f per second (median of 5 runs)\n", median(rates));
	controller.shutdown();
	poller.stop();
	SDL_JoystickClose(pad);
	rig.shutdown();
	PanelSettings::setInstance(nullptr);
	SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
	return 0;
}
