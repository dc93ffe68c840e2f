#pragma once

#include <QObject>
#include <QString>

#include <obs.h>

// Registers the camera hotkeys with the OBS front end and turns their presses and releases into hotKeysentTo.
// HotKeyActions decides what they do.
class CameraHotKey : public QObject {
	Q_OBJECT

public:
	// Keys by index: the fifteen first ones keep their places (saved bindings are found by name).
	enum Key {
		TiltUp = 0,
		ZoomIn = 4,
		Preset1 = 6,
		SelectCamera1 = 15,
		NextCamera = 23,
		PreviousCamera,
		Preset10,
		Home = 35,
		FocusNear,
		FocusFar,
		KeyCount
	};
	// The name OBS saves the key's bindings under (null outside 0..KeyCount-1).
	static const char *keyName(int key);

	explicit CameraHotKey(QObject *parent = nullptr);
	// Reads the bindings from the given ini file instead of the current
	// profile's basic.ini; an empty path means there is no file.
	CameraHotKey(const QString &iniPath, QObject *parent);
	~CameraHotKey() override;

	obs_hotkey_id hotKeyId(int key) const;

signals:
	void hotKeysentTo(int key, bool pressed);

private:
	void registerAndLoad(const QString &iniPath);
	static void onHotKey(void *data, obs_hotkey_id id, obs_hotkey_t *hotkey, bool pressed);

	obs_hotkey_id ids[KeyCount];
};
