#pragma once

#include <QObject>

class CameraHotKey;
class CameraRig;

// What the camera hotkeys do: each press and release drives the selected camera's session, while the operator
// has switched hotkeys on in the settings. Not the panel's: hotkeys work whether or not it was ever opened.
class HotKeyActions : public QObject {
	Q_OBJECT

public:
	HotKeyActions(CameraHotKey &hotKeys, CameraRig &rig, QObject *parent = nullptr);

	void handle(int key, bool pressed);

private:
	CameraRig &rig;
};
