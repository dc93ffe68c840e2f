#include "plugin/gamepad/GamepadService.h"

#include "gamepad/GamepadController.h"
#include "plugin/gamepad/SdlPadPoller.h"
#include "settings/PanelSettings.h"

GamepadService::GamepadService(CameraRig &rig, PanelSettings &settings, QObject *parent)
	: QObject(parent), m_settings(settings)
{
	m_controller = new GamepadController(rig, settings, this);
	connect(&m_settings, &PanelSettings::changed, this, &GamepadService::followSetting);
	followSetting();
}

GamepadService::~GamepadService()
{
	quit();
}

void GamepadService::followSetting()
{
	if (m_quit)
		return;
	const bool enabled = GamepadSettings(m_settings).enabled();
	if (enabled && m_poller == nullptr)
		startReading();
	else if (!enabled && m_poller != nullptr)
		stopReading();
}

void GamepadService::startReading()
{
	m_poller = new SdlPadPoller(this);
	connect(m_poller, &SdlPadPoller::attached, m_controller, &GamepadController::attach);
	connect(m_poller, &SdlPadPoller::detached, m_controller, &GamepadController::detach);
	connect(m_poller, &SdlPadPoller::changed, m_controller, &GamepadController::update);
	m_poller->start();
}

void GamepadService::stopReading()
{
	delete m_poller; // joins its thread
	m_poller = nullptr;
	// Pads no longer read are gone: their moves stop.
	for (int id : m_controller->padIds())
		m_controller->detach(id);
}

void GamepadService::quit()
{
	if (m_quit)
		return;
	m_quit = true;
	if (m_poller != nullptr) {
		delete m_poller;
		m_poller = nullptr;
	}
	m_controller->shutdown();
}
