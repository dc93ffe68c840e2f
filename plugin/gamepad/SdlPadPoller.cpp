#include "plugin/gamepad/SdlPadPoller.h"

#include <SDL.h>

#include <QPointer>

#include <chrono>
#include <map>

namespace {

struct OpenPad {
	SDL_GameController *controller = nullptr;
	PadInput input;
	bool reported = false;
};

PadInput read(SDL_GameController *controller)
{
	PadInput input;
	for (int axis = 0; axis < PadMapping::axisCount; ++axis)
		input.axes[size_t(axis)] = SDL_GameControllerGetAxis(controller, SDL_GameControllerAxis(axis));
	for (int button = 0; button < PadMapping::buttonCount; ++button) {
		if (SDL_GameControllerGetButton(controller, SDL_GameControllerButton(button)))
			input.buttons |= 1u << button;
	}
	return input;
}

bool differs(const PadInput &a, const PadInput &b)
{
	if (a.buttons != b.buttons)
		return true;
	for (size_t axis = 0; axis < a.axes.size(); ++axis) {
		const int delta = a.axes[axis] - b.axes[axis];
		// A stick back at rest (or at full throw) is always reported, however small the last step.
		const bool edge = a.axes[axis] != b.axes[axis] &&
				  (a.axes[axis] == 0 || a.axes[axis] <= -32767 || a.axes[axis] >= 32767);
		if (edge || delta >= SdlPadPoller::axisNoise || delta <= -SdlPadPoller::axisNoise)
			return true;
	}
	return false;
}

} // namespace

SdlPadPoller::SdlPadPoller(QObject *parent) : QObject(parent)
{
	qRegisterMetaType<PadInput>();
}

SdlPadPoller::~SdlPadPoller()
{
	stop();
}

void SdlPadPoller::start()
{
	if (m_thread.joinable())
		return;
	m_stop = false;
	m_thread = std::thread([this] { run(); });
}

void SdlPadPoller::stop()
{
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		m_stop = true;
	}
	m_wake.notify_all();
	if (m_thread.joinable())
		m_thread.join();
}

bool SdlPadPoller::waitFor(int milliseconds)
{
	std::unique_lock<std::mutex> lock(m_mutex);
	return !m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_stop; });
}

void SdlPadPoller::run()
{
	// Signals are queued to this object's thread; after stop() the object may be gone, so each delivery checks.
	const QPointer<SdlPadPoller> self(this);
	auto deliver = [this, self](auto signal) {
		QMetaObject::invokeMethod(
			this,
			[self, signal] {
				if (!self.isNull())
					signal(self.data());
			},
			Qt::QueuedConnection);
	};
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
	if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
		const QString text = QString::fromUtf8(SDL_GetError());
		deliver([text](SdlPadPoller *poller) { emit poller->failed(text); });
		return;
	}
	std::map<SDL_JoystickID, OpenPad> pads;
	auto lastChange = std::chrono::steady_clock::now();
	int interval = idleInterval;
	do {
		SDL_Event event;
		while (SDL_PollEvent(&event)) {
			if (event.type == SDL_CONTROLLERDEVICEADDED) {
				SDL_GameController *controller = SDL_GameControllerOpen(event.cdevice.which);
				if (controller == nullptr)
					continue;
				SDL_Joystick *joystick = SDL_GameControllerGetJoystick(controller);
				const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
				if (pads.count(id) != 0) {
					SDL_GameControllerClose(controller); // announced twice; opened once
					continue;
				}
				char guid[64] = {};
				SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), guid, sizeof(guid));
				const char *name = SDL_GameControllerName(controller);
				const QString guidText = QString::fromLatin1(guid);
				const QString nameText = QString::fromUtf8(name != nullptr ? name : "");
				pads[id].controller = controller;
				deliver([id, guidText, nameText](SdlPadPoller *poller) {
					emit poller->attached(int(id), guidText, nameText);
				});
			} else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
				const SDL_JoystickID id = event.cdevice.which;
				const auto it = pads.find(id);
				if (it == pads.end())
					continue;
				SDL_GameControllerClose(it->second.controller);
				pads.erase(it);
				deliver([id](SdlPadPoller *poller) { emit poller->detached(int(id)); });
			}
		}
		for (auto &entry : pads) {
			OpenPad &pad = entry.second;
			const PadInput input = read(pad.controller);
			if (pad.reported && !differs(input, pad.input))
				continue;
			pad.input = input;
			pad.reported = true;
			lastChange = std::chrono::steady_clock::now();
			const int id = int(entry.first);
			deliver([id, input](SdlPadPoller *poller) { emit poller->changed(id, input); });
		}
		const bool inUse = std::chrono::steady_clock::now() - lastChange < std::chrono::milliseconds(restAfter);
		interval = pads.empty() ? idleInterval : inUse ? pollInterval : restInterval;
	} while (waitFor(interval));
	for (auto &entry : pads)
		SDL_GameControllerClose(entry.second.controller);
	SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}
