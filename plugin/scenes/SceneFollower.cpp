#include "plugin/scenes/SceneFollower.h"

#include "plugin/scenes/CameraPresetSource.h"
#include "plugin/scenes/SceneTriggers.h"
#include "plugin/scenes/SlotSources.h"
#include "plugin/scenes/TallyWatcher.h"

#include "settings/PanelSettings.h"

void startSceneFollowing(CameraRig &rig, QObject *parent)
{
	CameraPresetSource::registerType();
	PanelSettings &settings = PanelSettings::instance();
	new SceneTriggers(rig, parent);
	auto *sources = new SlotSources(settings, parent);
	new TallyWatcher(rig, settings, *sources, parent);
}
