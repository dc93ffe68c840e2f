#include "CameraHotKey.h"

#include "plugin/ModuleText.h"
#include "visca/DeveloperLog.h"

#include <QDebug>
#include <QFileInfo>

#include <obs-frontend-api.h>
#include <obs.h>
#include <util/bmem.h>
#include <util/config-file.h>

namespace {

// The first fifteen keep their English descriptions (the panel's help text names them); later ones are translated,
// with the number put in where the text has %1.
struct HotKeyRow {
	const char *name;
	const char *description;
	const char *textKey;
	int number;
};

const HotKeyRow hotKeyRows[CameraHotKey::KeyCount] = {
	{"TiltUpHotKey", "Tilt Up", nullptr, 0},
	{"TiltDownHotKey", "Tilt Down", nullptr, 0},
	{"PanLeftHotKey", "Pan Left", nullptr, 0},
	{"PanRightHotKey", "Pan Right", nullptr, 0},
	{"ZoomInHotKey", "Zoom In", nullptr, 0},
	{"ZoomOutHotKey", "Zoom Out", nullptr, 0},
	{"Preset1HotKey", "Call Preset1", nullptr, 0},
	{"Preset2HotKey", "Call Preset2", nullptr, 0},
	{"Preset3HotKey", "Call Preset3", nullptr, 0},
	{"Preset4HotKey", "Call Preset4", nullptr, 0},
	{"Preset5HotKey", "Call Preset5", nullptr, 0},
	{"Preset6HotKey", "Call Preset6", nullptr, 0},
	{"Preset7HotKey", "Call Preset7", nullptr, 0},
	{"Preset8HotKey", "Call Preset8", nullptr, 0},
	{"Preset9HotKey", "Call Preset9", nullptr, 0},
	{"SelectCamera1HotKey", nullptr, "HotKeySelectCamera", 1},
	{"SelectCamera2HotKey", nullptr, "HotKeySelectCamera", 2},
	{"SelectCamera3HotKey", nullptr, "HotKeySelectCamera", 3},
	{"SelectCamera4HotKey", nullptr, "HotKeySelectCamera", 4},
	{"SelectCamera5HotKey", nullptr, "HotKeySelectCamera", 5},
	{"SelectCamera6HotKey", nullptr, "HotKeySelectCamera", 6},
	{"SelectCamera7HotKey", nullptr, "HotKeySelectCamera", 7},
	{"SelectCamera8HotKey", nullptr, "HotKeySelectCamera", 8},
	{"NextCameraHotKey", nullptr, "HotKeyNextCamera", 0},
	{"PreviousCameraHotKey", nullptr, "HotKeyPreviousCamera", 0},
	{"Preset10HotKey", nullptr, "HotKeyCallPreset", 10},
	{"Preset11HotKey", nullptr, "HotKeyCallPreset", 11},
	{"Preset12HotKey", nullptr, "HotKeyCallPreset", 12},
	{"Preset13HotKey", nullptr, "HotKeyCallPreset", 13},
	{"Preset14HotKey", nullptr, "HotKeyCallPreset", 14},
	{"Preset15HotKey", nullptr, "HotKeyCallPreset", 15},
	{"Preset16HotKey", nullptr, "HotKeyCallPreset", 16},
	{"Preset17HotKey", nullptr, "HotKeyCallPreset", 17},
	{"Preset18HotKey", nullptr, "HotKeyCallPreset", 18},
	{"Preset19HotKey", nullptr, "HotKeyCallPreset", 19},
	{"HomeHotKey", nullptr, "HotKeyHome", 0},
	{"FocusNearHotKey", nullptr, "HotKeyFocusNear", 0},
	{"FocusFarHotKey", nullptr, "HotKeyFocusFar", 0},
};

QByteArray descriptionOf(const HotKeyRow &row)
{
	if (row.description != nullptr)
		return row.description;
	QString text = QString::fromUtf8(obs_module_text(row.textKey));
	if (row.number > 0 && text.contains(QLatin1String("%1")))
		text = text.arg(row.number);
	return text.toUtf8();
}

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

const char *CameraHotKey::keyName(int key)
{
	return key >= 0 && key < KeyCount ? hotKeyRows[key].name : nullptr;
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
		DeveloperLog::line("Failed to get base.ini path");
	} else if (QFileInfo(iniPath).isDir()) {
		// libobs aborts the whole process when asked to parse a directory.
		DeveloperLog::line("Failed to open basic.ini: %d", CONFIG_ERROR);
	} else {
		int result = config_open(&config, path.constData(), CONFIG_OPEN_ALWAYS);
		if (result != CONFIG_SUCCESS) {
			DeveloperLog::line("Failed to open basic.ini: %d", result);
			config = nullptr;
		}
	}

	for (int key = 0; key < KeyCount; key++) {
		ids[key] =
			obs_hotkey_register_frontend(hotKeyRows[key].name, descriptionOf(hotKeyRows[key]).constData(),
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
