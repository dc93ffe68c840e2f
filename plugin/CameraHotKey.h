#pragma once

#include <QObject>
#include <QString>

#include <obs.h>

// Registers the fifteen camera hotkeys with the OBS front end and turns their
// presses and releases into hotKeysentTo. The panel decides whether to listen.
class CameraHotKey : public QObject {
	Q_OBJECT

public:
	static constexpr int KeyCount = 15;

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
