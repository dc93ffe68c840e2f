#include "plugin/scenes/SceneTriggers.h"

#include "plugin/scenes/CameraPresetSource.h"
#include "plugin/scenes/SceneWalk.h"

#include "control/CameraRig.h"

#include <QMetaObject>

#include <mutex>
#include <utility>
#include <vector>

namespace {

// The one instance, reached from OBS's threads; the mutex keeps it alive while a report is posted to it.
std::mutex instanceMutex;
SceneTriggers *instance = nullptr;

const char *momentWord(SceneRules::Moment moment)
{
	return moment == SceneRules::Moment::Program ? "program" : "preview";
}

} // namespace

SceneTriggers::SceneTriggers(CameraRig &rig, std::function<void()> beforeProgram, QObject *parent)
	: QObject(parent), m_rig(rig), m_beforeProgram(std::move(beforeProgram))
{
	std::lock_guard<std::mutex> lock(instanceMutex);
	instance = this;
	m_attached = true;
	obs_frontend_add_event_callback(onFrontendEvent, this);
}

SceneTriggers::~SceneTriggers()
{
	detach();
}

void SceneTriggers::detach()
{
	{
		std::lock_guard<std::mutex> lock(instanceMutex);
		if (instance == this)
			instance = nullptr;
	}
	if (m_attached)
		obs_frontend_remove_event_callback(onFrontendEvent, this);
	m_attached = false;
	obs_weak_source_release(m_lastPreview);
	m_lastPreview = nullptr;
}

void SceneTriggers::programActivated(const SceneRules::PresetAction &action)
{
	std::lock_guard<std::mutex> lock(instanceMutex);
	if (instance == nullptr)
		return;
	SceneTriggers *triggers = instance;
	QMetaObject::invokeMethod(
		triggers, [triggers, action] { triggers->recall(action, SceneRules::Moment::Program); },
		Qt::QueuedConnection);
}

void SceneTriggers::onFrontendEvent(enum obs_frontend_event event, void *data)
{
	auto *triggers = static_cast<SceneTriggers *>(data);
	switch (event) {
	case OBS_FRONTEND_EVENT_SCENE_CHANGED:
		triggers->programChanged();
		break;
	case OBS_FRONTEND_EVENT_PREVIEW_SCENE_CHANGED:
		triggers->programChanged();
		triggers->previewMayHaveChanged();
		break;
	case OBS_FRONTEND_EVENT_STUDIO_MODE_ENABLED:
		triggers->previewMayHaveChanged();
		break;
	case OBS_FRONTEND_EVENT_STUDIO_MODE_DISABLED:
	case OBS_FRONTEND_EVENT_SCENE_COLLECTION_CHANGING:
		obs_weak_source_release(triggers->m_lastPreview);
		triggers->m_lastPreview = nullptr;
		break;
	case OBS_FRONTEND_EVENT_EXIT:
		triggers->detach();
		break;
	default:
		break;
	}
}

// Once per change of the preview scene: OBS may report the same preview again.
void SceneTriggers::previewMayHaveChanged()
{
	if (!obs_frontend_preview_program_mode_active())
		return;
	obs_source_t *preview = obs_frontend_get_current_preview_scene();
	if (preview == nullptr)
		return;
	const bool same = m_lastPreview != nullptr && obs_weak_source_references_source(m_lastPreview, preview);
	if (!same) {
		obs_weak_source_release(m_lastPreview);
		m_lastPreview = obs_source_get_weak_source(preview);
		std::vector<SceneRules::PresetAction> actions;
		forEachVisibleSource(preview, [&actions](obs_source_t *source) {
			if (CameraPresetSource::isOne(source))
				actions.push_back(CameraPresetSource::actionOf(source));
		});
		for (const SceneRules::PresetAction &action : actions)
			recall(action, SceneRules::Moment::Preview);
	}
	obs_source_release(preview);
}

// OBS counts the sources of a new program scene as active as soon as its transition starts, a frame before it
// reports them activated: recalling now saves that frame. Without studio mode that moment is reported as a change
// of the preview scene; the program's own report comes after the frame.
void SceneTriggers::programChanged()
{
	if (instance != this)
		return;
	std::vector<SceneRules::PresetAction> actions;
	obs_enum_sources(
		[](void *data, obs_source_t *source) {
			if (CameraPresetSource::sceneChanged(source))
				static_cast<std::vector<SceneRules::PresetAction> *>(data)->push_back(
					CameraPresetSource::actionOf(source));
			return true;
		},
		&actions);
	if (actions.empty())
		return;
	if (m_beforeProgram)
		m_beforeProgram();
	for (const SceneRules::PresetAction &action : actions)
		recall(action, SceneRules::Moment::Program);
}

void SceneTriggers::recall(const SceneRules::PresetAction &action, SceneRules::Moment moment)
{
	if (instance != this)
		return;
	const CameraRig::OnAir air = m_rig.onAir(action.camera);
	if (!SceneRules::recalls(action, moment, air))
		return;
	CameraSession *camera = m_rig.session(action.camera);
	if (camera == nullptr)
		return;
	if (camera->state() != CameraSession::State::Connected) {
		blog(LOG_INFO, "[Camera Preset] camera %d is not connected: preset %d not recalled on %s",
		     action.camera, action.preset, momentWord(moment));
		return;
	}
	if (!m_rig.recallPreset(action.camera, action.preset, CameraRig::Origin::Scene))
		blog(LOG_INFO, "[Camera Preset] camera %d is on program and locked: preset %d not recalled on %s",
		     action.camera, action.preset, momentWord(moment));
}
