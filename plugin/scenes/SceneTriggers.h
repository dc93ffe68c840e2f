#pragma once

#include "plugin/scenes/SceneRules.h"

#include <QObject>

#include <obs-frontend-api.h>

class CameraRig;

// Recalls the presets of "Camera Preset" sources: on program when such a source becomes active (reported from
// OBS's threads through programActivated), on preview when the studio-mode preview changes to a scene that holds
// one. Lives on the interface thread; one at a time.
class SceneTriggers : public QObject {
	Q_OBJECT

public:
	explicit SceneTriggers(CameraRig &rig, QObject *parent = nullptr);
	~SceneTriggers() override;

	// Stops listening to OBS (it is quitting); reports that still come are dropped.
	void detach();

	// From any thread: a "Camera Preset" became active in the program output.
	static void programActivated(const SceneRules::PresetAction &action);

private:
	static void onFrontendEvent(enum obs_frontend_event event, void *data);
	void previewMayHaveChanged();
	void recall(const SceneRules::PresetAction &action, SceneRules::Moment moment);

	CameraRig &m_rig;
	bool m_attached = false;
	obs_weak_source_t *m_lastPreview = nullptr;
};
