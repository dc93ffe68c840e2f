#pragma once

#include "plugin/scenes/SceneRules.h"

#include <QObject>

#include <functional>

#include <obs-frontend-api.h>

class CameraRig;

// Recalls the presets of "Camera Preset" sources: on program when such a source becomes active (as soon as the
// program scene changes, otherwise when OBS reports the activation from its threads through programActivated), on
// preview when the studio-mode preview changes to a scene that holds one. Lives on the interface thread; one at a
// time.
class SceneTriggers : public QObject {
	Q_OBJECT

public:
	// beforeProgram brings the rig's on-air states (which the lock reads) and the tally lamps up to date before a
	// program change recalls.
	SceneTriggers(CameraRig &rig, std::function<void()> beforeProgram, QObject *parent = nullptr);
	~SceneTriggers() override;

	// Stops listening to OBS (it is quitting); reports that still come are dropped.
	void detach();

	// From any thread: a "Camera Preset" became active in the program output.
	static void programActivated(const SceneRules::PresetAction &action);

private:
	static void onFrontendEvent(enum obs_frontend_event event, void *data);
	void previewMayHaveChanged();
	void programChanged();
	void recall(const SceneRules::PresetAction &action, SceneRules::Moment moment);

	CameraRig &m_rig;
	std::function<void()> m_beforeProgram;
	bool m_attached = false;
	obs_weak_source_t *m_lastPreview = nullptr;
};
