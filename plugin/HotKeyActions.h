#pragma once

#include <QObject>

class CameraHotKey;
class CameraRig;

// What the camera hotkeys do, while the operator has switched hotkeys on in the settings: selecting keys choose a
// slot as a click on it does; the others drive the selected camera's session on each press and release. Not the
// panel's: hotkeys work whether or not it was ever opened.
class HotKeyActions : public QObject {
	Q_OBJECT

public:
	HotKeyActions(CameraHotKey &hotKeys, CameraRig &rig, QObject *parent = nullptr);

	void handle(int key, bool pressed);

private:
	// A slot whose camera is connected or connecting; one without an address or not answering is not selected.
	bool selectable(int slot) const;
	void selectSlot(int slot);
	// The next selectable slot after (or before) the selected one, round the eight.
	void stepSelection(int step);
	void drive(int key, bool pressed);

	CameraRig &rig;
};
