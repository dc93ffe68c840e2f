#include "CameraHotKey.h"

#include <QDebug>
#include <QFileInfo>

#include <obs-frontend-api.h>
#include <obs.h>
#include <util/bmem.h>
#include <util/config-file.h>

namespace {

struct HotKeyRow {
	const char *name;
	const char *description;
};

const HotKeyRow hotKeyRows[CameraHotKey::KeyCount] = {
	{"TiltUpHotKey", "Tilt Up"},       {"TiltDownHotKey", "Tilt Down"},   {"PanLeftHotKey", "Pan Left"},
	{"PanRightHotKey", "Pan Right"},   {"ZoomInHotKey", "Zoom In"},       {"ZoomOutHotKey", "Zoom Out"},
	{"Preset1HotKey", "Call Preset1"}, {"Preset2HotKey", "Call Preset2"}, {"Preset3HotKey", "Call Preset3"},
	{"Preset4HotKey", "Call Preset4"}, {"Preset5HotKey", "Call Preset5"}, {"Preset6HotKey", "Call Preset6"},
	{"Preset7HotKey", "Call Preset7"}, {"Preset8HotKey", "Call Preset8"}, {"Preset9HotKey", "Call Preset9"},
};

// The profile path is handed out by the front end as a bmalloc'd string.
QString currentProfileIniPath()
{
	char *profile = obs_frontend_get_current_profile_path();
	if (!profile)
		return QString();
	QString path = QString::fromUtf8(profile);
	bfree(profile);
	if (path.isEmpty())
		return QString();
	return path + "/basic.ini";
}

} // namespace

CameraHotKey::CameraHotKey(QObject *parent) : QObject(parent)
{
	registerAndLoad(currentProfileIniPath());
}

CameraHotKey::CameraHotKey(const QString &iniPath, QObject *parent) : QObject(parent)
{
	registerAndLoad(iniPath);
}

CameraHotKey::~CameraHotKey()
{
	for (obs_hotkey_id id : ids)
		obs_hotkey_unregister(id);
}

obs_hotkey_id CameraHotKey::hotKeyId(int key) const
{
	if (key < 0 || key >= KeyCount)
		return OBS_INVALID_HOTKEY_ID;
	return ids[key];
}

void CameraHotKey::registerAndLoad(const QString &iniPath)
{
	config_t *config = nullptr;
	// The path is bounded like the front end's own profile path buffer.
	QByteArray path = iniPath.toUtf8();
	if (path.isEmpty() || path.size() >= 512) {
		qDebug("Failed to get base.ini path");
	} else if (QFileInfo(iniPath).isDir()) {
		// libobs aborts the whole process when asked to parse a directory.
		qDebug("Failed to open basic.ini: %d", CONFIG_ERROR);
	} else {
		int result = config_open(&config, path.constData(), CONFIG_OPEN_ALWAYS);
		if (result != CONFIG_SUCCESS) {
			qDebug("Failed to open basic.ini: %d", result);
			config = nullptr;
		}
	}

	for (int key = 0; key < KeyCount; key++) {
		ids[key] = obs_hotkey_register_frontend(hotKeyRows[key].name, hotKeyRows[key].description,
							&CameraHotKey::onHotKey, this);

		const char *stored = config ? config_get_string(config, "Hotkeys", hotKeyRows[key].name) : nullptr;
		obs_data_t *data = stored ? obs_data_create_from_json(stored) : nullptr;
		obs_data_array_t *bindings = data ? obs_data_get_array(data, "bindings") : nullptr;
		obs_hotkey_load(ids[key], bindings);
		obs_data_array_release(bindings);
		obs_data_release(data);
	}

	if (config)
		config_close(config);
}

void CameraHotKey::onHotKey(void *data, obs_hotkey_id id, obs_hotkey_t *, bool pressed)
{
	auto *self = static_cast<CameraHotKey *>(data);
	for (int key = 0; key < KeyCount; key++) {
		if (self->ids[key] == id) {
			emit self->hotKeysentTo(key, pressed);
			return;
		}
	}
}
