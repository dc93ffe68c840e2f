#pragma once

#include <QObject>

class CameraRig;
class GamepadController;
class PanelSettings;
class SdlPadPoller;

// The module's gamepads: the controller, and SDL's reader running while gamepads are turned on in the settings
// (started and stopped as that setting changes). Quitting stops every move a pad started.
class GamepadService : public QObject {
	Q_OBJECT

public:
	GamepadService(CameraRig &rig, PanelSettings &settings, QObject *parent = nullptr);
	~GamepadService() override;

	GamepadController &controller() const { return *m_controller; }
	bool reading() const { return m_poller != nullptr; }
	// OBS is quitting: the reader ends and the moves stop before the cameras are shut down.
	void quit();

private:
	void followSetting();
	void startReading();
	void stopReading();

	PanelSettings &m_settings;
	GamepadController *m_controller = nullptr;
	SdlPadPoller *m_poller = nullptr;
	bool m_quit = false;
};
