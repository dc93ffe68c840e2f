#include "gamepad/GamepadController.h"

#include "control/CameraRig.h"
#include "models/ViscaParamOps.h"
#include "settings/PanelSettings.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

using Channel = DriveShaper::Channel;
using Motion = DriveShaper::Motion;
using Action = PadMapping::Action;

QPointer<GamepadController> current;

int sign(double value)
{
	return value > 0 ? 1 : value < 0 ? -1 : 0;
}

DriveShaper::Axis axisFor(const StickResponse &response, double deflection, int slowest, int fastest)
{
	const int speed = response.speed(deflection, slowest, fastest);
	if (speed < 0)
		return {};
	return {sign(deflection), speed};
}

} // namespace

GamepadController::GamepadController(CameraRig &rig, PanelSettings &settings, QObject *parent)
	: QObject(parent), m_rig(rig), m_rigAlive(&rig), m_settings(settings), m_store(settings),
	  m_response(m_store.response())
{
	qRegisterMetaType<PadInput>();
	m_clock.start();
	m_dueTimer = new QTimer(this);
	m_dueTimer->setSingleShot(true);
	m_dueTimer->setTimerType(Qt::PreciseTimer);
	connect(m_dueTimer, &QTimer::timeout, this, &GamepadController::settleDue);
	// A camera change mid-move stops the camera that was moving before another one takes the stick.
	connect(&m_rig, &CameraRig::selectionChanged, this, [this] {
		for (auto &entry : m_pads)
			drive(entry.second);
	});
	connect(&m_rig, &CameraRig::sessionStateChanged, this, [this](int slot, CameraSession::State state) {
		if (state != CameraSession::State::Connected)
			shaper(slot).stopAll(); // the camera is gone: nothing of it is moving any more
	});
	connect(&m_settings, &PanelSettings::changed, this, &GamepadController::reloadSettings);
	current = this;
}

GamepadController::~GamepadController()
{
	shutdown();
}

GamepadController *GamepadController::instance()
{
	return current.data();
}

void GamepadController::reloadSettings()
{
	m_response = m_store.response();
	for (auto &entry : m_pads)
		entry.second.mapping = m_store.mapping(entry.second.guid);
}

void GamepadController::attach(int id, const QString &guid, const QString &name)
{
	if (m_quitting)
		return;
	Pad &pad = m_pads[id];
	pad.guid = guid;
	pad.name = name;
	pad.mapping = m_store.mapping(guid);
	emit padsChanged();
}

void GamepadController::detach(int id)
{
	const auto it = m_pads.find(id);
	if (it == m_pads.end())
		return;
	// A pad unplugged mid-move leaves no camera moving.
	const int slot = it->second.drivenSlot;
	m_pads.erase(it);
	stopSlot(slot);
	emit padsChanged();
}

void GamepadController::update(int id, const PadInput &input)
{
	const auto it = m_pads.find(id);
	if (m_quitting || it == m_pads.end())
		return;
	Pad &pad = it->second;
	const PadInput before = pad.input;
	pad.input = input;
	for (int button = 0; button < PadMapping::buttonCount; ++button) {
		if (input.pressed(button) && !before.pressed(button))
			press(pad, button);
		else if (!input.pressed(button) && before.pressed(button))
			release(pad, button);
	}
	drive(pad);
	emit inputChanged(id);
}

std::vector<int> GamepadController::padIds() const
{
	std::vector<int> ids;
	for (const auto &entry : m_pads)
		ids.push_back(entry.first);
	return ids;
}

const GamepadController::Pad *GamepadController::pad(int id) const
{
	const auto it = m_pads.find(id);
	return it == m_pads.end() ? nullptr : &it->second;
}

int GamepadController::targetSlot(const Pad &pad) const
{
	return pad.mapping.slot() != 0 ? pad.mapping.slot() : m_rig.selectedSlot();
}

void GamepadController::setResponse(const StickResponse &response)
{
	m_response = response;
	m_store.setResponse(response);
}

void GamepadController::setMapping(int id, const PadMapping &mapping)
{
	const auto it = m_pads.find(id);
	if (it == m_pads.end())
		return;
	it->second.mapping = mapping;
	m_store.setMapping(it->second.guid, mapping);
	drive(it->second);
}

void GamepadController::drive(Pad &pad)
{
	if (m_quitting)
		return;
	const int slot = targetSlot(pad);
	if (slot != pad.drivenSlot) {
		stopSlot(pad.drivenSlot);
		pad.drivenSlot = slot;
	}
	CameraSession *session = m_rig.session(slot);
	if (session == nullptr)
		return;
	Motion panTilt;
	Motion zoom;
	const std::shared_ptr<ViscaParamOps> model = session->model();
	if (session->state() == CameraSession::State::Connected && model) {
		const PadMapping::Motion wanted = pad.mapping.motion(pad.input.axes);
		panTilt.first = axisFor(m_response, wanted.pan, model->panSpeedMin(), model->panSpeedMax());
		panTilt.second = axisFor(m_response, wanted.tilt, model->tiltSpeedMin(), model->tiltSpeedMax());
		zoom.first = axisFor(m_response, wanted.zoom, std::max<int>(0, model->zoomSpeedMin()),
				     std::min<int>(7, model->zoomSpeedMax()));
	}
	const int64_t now = m_clock.elapsed();
	send(slot, shaper(slot).want(Channel::PanTilt, panTilt, now));
	send(slot, shaper(slot).want(Channel::Zoom, zoom, now));
	scheduleDue();
}

void GamepadController::press(Pad &pad, int button)
{
	const Action action = pad.mapping.action(button);
	const int slot = targetSlot(pad);
	CameraSession *session = m_rig.session(slot);
	if (const int preset = PadMapping::presetOf(action)) {
		m_rig.recallPreset(slot, preset, CameraRig::Origin::Gamepad);
	} else if (action == Action::PreviousCamera || action == Action::NextCamera) {
		// The next slot with a camera address, round the eight.
		const int step = action == Action::NextCamera ? 1 : -1;
		int next = m_rig.selectedSlot();
		for (int tries = 0; tries < CameraRig::slotCount; ++tries) {
			next = (next - 1 + step + CameraRig::slotCount) % CameraRig::slotCount + 1;
			if (m_rig.session(next)->state() != CameraSession::State::NoAddress) {
				m_rig.select(next);
				break;
			}
		}
	} else if (session != nullptr && (action == Action::FocusFar || action == Action::FocusNear)) {
		session->focus(action == Action::FocusNear);
	} else if (session != nullptr && action == Action::Home) {
		session->home();
	}
}

void GamepadController::release(Pad &pad, int button)
{
	const Action action = pad.mapping.action(button);
	CameraSession *session = m_rig.session(targetSlot(pad));
	if (session != nullptr && (action == Action::FocusFar || action == Action::FocusNear))
		session->stopFocus();
}

void GamepadController::stopSlot(int slot)
{
	if (m_rig.session(slot) != nullptr)
		send(slot, shaper(slot).stopAll());
}

void GamepadController::send(int slot, const std::vector<DriveShaper::Command> &commands)
{
	CameraSession *session = m_rig.session(slot);
	for (const DriveShaper::Command &command : commands) {
		const Motion &m = command.motion;
		if (m.still()) {
			if (command.channel == Channel::PanTilt)
				session->stopMove();
			else
				session->stopZoom();
			continue;
		}
		const Channel channel = command.channel;
		const QPointer<GamepadController> self(this);
		const auto finished = [self, slot, channel](CameraSession::Outcome) {
			if (self.isNull())
				return;
			self->shaper(slot).driveFinished(channel);
			self->settleDue();
		};
		const bool queued = channel == Channel::PanTilt
					    ? session->drive(m.first.direction, m.first.speed, m.second.direction,
							     m.second.speed, finished)
					    : session->zoomAt(m.first.direction > 0, m.first.speed, finished);
		if (!queued)
			shaper(slot).driveFinished(channel);
	}
}

void GamepadController::settleDue()
{
	if (m_quitting)
		return;
	const int64_t now = m_clock.elapsed();
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot)
		send(slot, shaper(slot).due(now));
	scheduleDue();
}

void GamepadController::scheduleDue()
{
	int64_t next = -1;
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		const int64_t due = shaper(slot).nextDue();
		if (due >= 0)
			next = next < 0 ? due : std::min(next, due);
	}
	if (next < 0) {
		m_dueTimer->stop();
		return;
	}
	m_dueTimer->start(int(std::max<int64_t>(0, next - m_clock.elapsed())));
}

void GamepadController::shutdown()
{
	if (m_quitting)
		return;
	m_quitting = true;
	m_dueTimer->stop();
	if (m_rigAlive.isNull())
		return;
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		DriveShaper &s = shaper(slot);
		const bool panTilt = s.moving(Channel::PanTilt);
		const bool zoom = s.moving(Channel::Zoom);
		s.stopAll();
		if (panTilt || zoom)
			m_rig.session(slot)->finishMotion(panTilt, zoom, quitStopWaitMs);
	}
}
