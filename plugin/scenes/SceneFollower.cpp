#include "plugin/scenes/SceneFollower.h"

#include "plugin/scenes/CameraPresetSource.h"
#include "plugin/scenes/SceneTriggers.h"
#include "plugin/scenes/SlotSources.h"
#include "plugin/scenes/TallyWatcher.h"

#include "settings/PanelSettings.h"

#include <QPointer>

void startSceneFollowing(CameraRig &rig, QObject *parent)
{
	CameraPresetSource::registerType();
	PanelSettings &settings = PanelSettings::instance();
	auto *sources = new SlotSources(settings, parent);
	auto *tally = new TallyWatcher(rig, settings, *sources, parent);
	const QPointer<TallyWatcher> watcher(tally);
	new SceneTriggers(
		rig,
		[watcher] {
			if (watcher)
				watcher->update();
		},
		parent);
}
