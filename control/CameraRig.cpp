#include "control/CameraRig.h"

#include "settings/PanelSettings.h"

CameraRig::CameraRig(PanelSettings &settings, QObject *parent) : QObject(parent), m_settings(settings)
{
	for (int slot = 1; slot <= slotCount; ++slot) {
		auto *session = new CameraSession(slot, this);
		m_sessions[size_t(slot - 1)] = session;
		connect(session, &CameraSession::stateChanged, this,
			[this, slot](CameraSession::State state) { emit sessionStateChanged(slot, state); });
		connect(session, &CameraSession::refused, this, [this, slot] { emit operationRefused(slot); });
	}
	m_onAir.fill(OnAir::No);
	loadAddresses();
	connect(&m_settings, &PanelSettings::slotsChanged, this, &CameraRig::loadAddresses);
	connect(&m_settings, &PanelSettings::changed, this, &CameraRig::applyLocks);
}

CameraRig::~CameraRig()
{
	shutdown();
}

void CameraRig::loadAddresses()
{
	for (int slot = 1; slot <= slotCount; ++slot)
		session(slot)->setAddress(m_settings.hasSlotAddress(slot) ? m_settings.slotAddress(slot) : QString());
}

void CameraRig::start()
{
	if (m_started)
		return;
	m_started = true;
	loadAddresses();
	for (CameraSession *session : m_sessions)
		session->start();
}

void CameraRig::shutdown()
{
	m_started = false;
	for (CameraSession *session : m_sessions)
		session->shutdown();
}

CameraSession *CameraRig::session(int slot) const
{
	if (slot < 1 || slot > slotCount)
		return nullptr;
	return m_sessions[size_t(slot - 1)];
}

void CameraRig::select(int slot)
{
	if (slot < 0 || slot > slotCount)
		return;
	if (m_selected == slot)
		return;
	m_selected = slot;
	emit selectionChanged(slot);
}

QString CameraRig::slotName(int slot) const
{
	return m_settings.hasSlotName(slot) ? m_settings.slotName(slot) : QString();
}

bool CameraRig::recallPreset(int slot, int number, Origin by, CameraSession::Done done)
{
	CameraSession *camera = session(slot);
	if (camera == nullptr)
		return false;
	return camera->recallPreset(number, [this, slot, number, by, done](CameraSession::Outcome outcome) {
		// The caller's answer first: a WebSocket request's response would otherwise wait out the event's
		// broadcast in obs-websocket.
		if (done)
			done(outcome);
		if (outcome == CameraSession::Outcome::Completed)
			emit presetRecalled(slot, number, by);
	});
}

void CameraRig::setOnAir(int slot, OnAir air)
{
	if (session(slot) == nullptr || m_onAir[size_t(slot - 1)] == air)
		return;
	m_onAir[size_t(slot - 1)] = air;
	applyLocks();
	emit onAirChanged(slot, air);
}

CameraRig::OnAir CameraRig::onAir(int slot) const
{
	return session(slot) == nullptr ? OnAir::No : m_onAir[size_t(slot - 1)];
}

void CameraRig::applyLocks()
{
	const bool lock = m_settings.value(QLatin1String(lockOnProgramKey)).toBool(false);
	for (int slot = 1; slot <= slotCount; ++slot)
		session(slot)->setLocked(lock && m_onAir[size_t(slot - 1)] == OnAir::Program);
}

void CameraRig::setCameraPort(int port)
{
	for (CameraSession *session : m_sessions)
		session->setCameraPort(port);
}

void CameraRig::setCheckInterval(int milliseconds)
{
	for (CameraSession *session : m_sessions)
		session->setCheckInterval(milliseconds);
}

bool CameraRig::isIdle() const
{
	for (CameraSession *session : m_sessions) {
		if (!session->isIdle())
			return false;
	}
	return true;
}
