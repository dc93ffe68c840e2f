#include <QAction>
#include <QMainWindow>
#include <QPointer>

#include <obs-frontend-api.h>
#include <obs-module.h>

#include "bridge/ViscaTransfer.h"
#include "control/CameraRig.h"
#include "plugin/CameraHotKey.h"
#include "plugin/HotKeyActions.h"
#include "plugin/ModuleText.h"
#include "plugin/remote/RemoteControl.h"
#include "plugin/scenes/SceneFollower.h"
#include "plugin/gamepad/GamepadService.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"
#include "visca/DeveloperLog.h"

#include "plugin/PanelDock.h"
#include "ui/MainDialog.h"

namespace {

obs_module_t *moduleHandle = nullptr;

// Owned by the OBS main window (the panel through the dock); Qt deletes them with the window at shutdown.
MainDialog *panel = nullptr;
PanelDock *panelDock = nullptr;
// The eight cameras: created at load, connected once OBS has finished loading, stopped when OBS quits.
QPointer<CameraRig> cameras;
QPointer<GamepadService> gamepads;

// The bridge's lines belong in OBS's log file, where users and support look, not on standard output.
void logBridgeLine(ViscaTransfer::LogLevel level, const QString &line)
{
	const int obsLevel = level == ViscaTransfer::LogLevel::Warning ? LOG_WARNING
			     : level == ViscaTransfer::LogLevel::Info  ? LOG_INFO
								       : LOG_DEBUG;
	blog(obsLevel, "%s", line.toUtf8().constData());
}

void logSettingsLine(const QString &line)
{
	blog(LOG_INFO, "%s", line.toUtf8().constData());
}

// Developers' diagnostics: in the log only when OBS runs with --verbose.
void logDeveloperLine(const char *line)
{
	blog(LOG_DEBUG, "%s", line);
}

void onFrontendEvent(enum obs_frontend_event event, void *)
{
	if (cameras == nullptr)
		return;
	if (event == OBS_FRONTEND_EVENT_FINISHED_LOADING)
		cameras->start(); // normally under way since the modules' post-load
	else if (event == OBS_FRONTEND_EVENT_EXIT) {
		if (gamepads != nullptr)
			gamepads->quit(); // a pad's move stops before the cameras go
		cameras->shutdown();
	}
}

} // namespace

MODULE_EXPORT void obs_module_set_pointer(obs_module_t *module)
{
	moduleHandle = module;
}

MODULE_EXPORT uint32_t obs_module_ver(void)
{
	// Built against the 26.1.2 module interface: major << 24 | minor << 16 | patch.
	return 0x1a010002;
}

MODULE_EXPORT void obs_module_set_locale(const char *locale)
{
	// Free the old table before loading the new one.
	moduleTextSetTable(nullptr);
	moduleTextSetTable(obs_module_load_locale(moduleHandle, "en-US", locale));
}

MODULE_EXPORT void obs_module_free_locale(void)
{
	moduleTextSetTable(nullptr);
}

MODULE_EXPORT bool obs_module_get_string(const char *val, const char **out)
{
	return moduleTextGetString(val, out);
}

MODULE_EXPORT bool obs_module_load(void)
{
	blog(LOG_INFO, "OBS-BrenmoorCameraControlPlugin version %s loaded", PTZ_PLUGIN_VERSION);
	auto *mainWindow = static_cast<QMainWindow *>(obs_frontend_get_main_window());
	const char *title = obs_module_text("PluginTitle");
	auto *action = static_cast<QAction *>(obs_frontend_add_tools_menu_qaction(title));

	ViscaTransfer::setLogSink(logBridgeLine);
	Utils::setLogSink(logSettingsLine);
	DeveloperLog::setSink(logDeveloperLine);
	// What works without the panel starts now: the hotkeys (so OBS lists and keeps their bindings) and the
	// bridge. The panel's form is built when the operator first opens it, or when OBS restores its dock open.
	cameras = new CameraRig(PanelSettings::instance(), mainWindow);
	auto *hotKeys = new CameraHotKey(mainWindow);
	new HotKeyActions(*hotKeys, *cameras, mainWindow);
	startSceneFollowing(*cameras, mainWindow);
	gamepads = new GamepadService(*cameras, PanelSettings::instance(), mainWindow);
	auto *bridge = new ViscaTransfer(mainWindow);
	bridge->setOpenToNetwork(MainDialog::bridgeOpenToNetworkSetting());
	bridge->startServer();
	obs_frontend_add_event_callback(onFrontendEvent, nullptr);
	obs_frontend_push_ui_translation(obs_module_get_string);
	panel = new MainDialog(mainWindow, cameras, bridge);
	obs_frontend_pop_ui_translation();
	panelDock = new PanelDock(mainWindow, panel, QString::fromUtf8(obs_module_text("CameraControlDock")), [] {
		obs_frontend_push_ui_translation(obs_module_get_string);
		panel->ensureBuilt();
		obs_frontend_pop_ui_translation();
	});

	QObject::connect(panel, &MainDialog::viewChanged, panelDock, &PanelDock::panelViewChanged);
	QObject::connect(action, &QAction::triggered, [] { panelDock->present(); });
	return true;
}

// Every module has loaded: the cameras connect on their own threads while OBS loads its scenes, so they are up by
// the time its window is; obs-websocket is there to take the vendor's requests.
MODULE_EXPORT void obs_module_post_load(void)
{
	if (cameras != nullptr)
		cameras->start();
	RemoteControl::start(cameras);
}

MODULE_EXPORT void obs_module_unload(void)
{
	RemoteControl::stop();
	obs_frontend_remove_event_callback(onFrontendEvent, nullptr);
	if (gamepads != nullptr)
		gamepads->quit();
	if (cameras != nullptr)
		cameras->shutdown();
	ViscaTransfer::setLogSink(nullptr);
	// Its file watcher must not outlive the module's code.
	PanelSettings::destroyInstance();
	Utils::setLogSink(nullptr);
	DeveloperLog::setSink(nullptr);
}
