#include "plugin/scenes/CameraPresetSource.h"

#include "plugin/scenes/ActivationGate.h"
#include "plugin/scenes/SceneTriggers.h"

#include "control/CameraRig.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"

#include <QtGlobal>

#include <cstring>

namespace {

constexpr int presetCount = 19;

const char *name(void *)
{
	return obs_module_text("CameraPreset");
}

// The settings say what to recall; the source keeps only when it last went live.
struct PresetSource {
	obs_source_t *source;
	ActivationGate gate;
};

void *create(obs_data_t *, obs_source_t *source)
{
	return new PresetSource{source, {}};
}

void destroy(void *data)
{
	delete static_cast<PresetSource *>(data);
}

void defaults(obs_data_t *settings)
{
	obs_data_set_default_int(settings, "camera", 1);
	obs_data_set_default_int(settings, "preset", 1);
	obs_data_set_default_string(settings, "trigger", "program");
	obs_data_set_default_bool(settings, "skipIfLive", true);
}

// Shown in OBS's properties dialog, on the interface thread: the slot and preset names are read there.
obs_properties_t *properties(void *)
{
	obs_properties_t *props = obs_properties_create();
	obs_property_t *camera = obs_properties_add_list(props, "camera", obs_module_text("CameraPresetCamera"),
							 OBS_COMBO_TYPE_LIST, OBS_COMBO_FORMAT_INT);
	const PanelSettings &settings = PanelSettings::instance();
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		const QByteArray word = QStringLiteral("Camera%1").arg(slot).toUtf8();
		QString label = QString::fromUtf8(obs_module_text(word.constData()));
		if (settings.hasSlotName(slot) && settings.slotName(slot) != label)
			label += QStringLiteral(" (%1)").arg(settings.slotName(slot));
		obs_property_list_add_int(camera, label.toUtf8().constData(), slot);
	}
	obs_property_t *preset = obs_properties_add_list(props, "preset", obs_module_text("CameraPresetNumber"),
							 OBS_COMBO_TYPE_LIST, OBS_COMBO_FORMAT_INT);
	for (int number = 1; number <= presetCount; ++number) {
		QString label = QString::number(number);
		if (number <= PanelSettings::presetNameCount && settings.hasPresetName(number) &&
		    settings.presetName(number) != label)
			label += QStringLiteral(" (%1)").arg(settings.presetName(number));
		obs_property_list_add_int(preset, label.toUtf8().constData(), number);
	}
	obs_property_t *trigger = obs_properties_add_list(props, "trigger", obs_module_text("CameraPresetTrigger"),
							  OBS_COMBO_TYPE_LIST, OBS_COMBO_FORMAT_STRING);
	obs_property_list_add_string(trigger, obs_module_text("CameraPresetOnProgram"), "program");
	obs_property_list_add_string(trigger, obs_module_text("CameraPresetOnPreview"), "preview");
	obs_property_list_add_string(trigger, obs_module_text("CameraPresetOnBoth"), "both");
	obs_properties_add_bool(props, "skipIfLive", obs_module_text("CameraPresetSkipIfLive"));
	return props;
}

// Runs on OBS's video thread, once per activation in the program output (nested scenes and groups included),
// unless the scene change already recalled for it.
void activate(void *data)
{
	auto *preset = static_cast<PresetSource *>(data);
	if (preset->gate.activated(ActivationGate::Clock::now()))
		SceneTriggers::programActivated(CameraPresetSource::actionOf(preset->source));
}

void deactivate(void *data)
{
	static_cast<PresetSource *>(data)->gate.deactivated();
}

} // namespace

void CameraPresetSource::registerType()
{
	obs_source_info info = {};
	info.id = id;
	info.type = OBS_SOURCE_TYPE_INPUT;
	// No video, no audio: it shows and plays nothing. A copy would be a second trigger, so it is referenced.
	info.output_flags = OBS_SOURCE_DO_NOT_DUPLICATE;
	info.get_name = name;
	info.create = create;
	info.destroy = destroy;
	info.get_defaults = defaults;
	info.get_properties = properties;
	info.activate = activate;
	info.deactivate = deactivate;
	obs_register_source(&info);
}

bool CameraPresetSource::isOne(obs_source_t *source)
{
	const char *type = obs_source_get_unversioned_id(source);
	return type != nullptr && std::strcmp(type, id) == 0;
}

bool CameraPresetSource::sceneChanged(obs_source_t *source)
{
	if (!isOne(source))
		return false;
	auto *preset = static_cast<PresetSource *>(obs_obj_get_data(source));
	return preset != nullptr && preset->gate.sceneChanged(obs_source_active(source), ActivationGate::Clock::now());
}

SceneRules::PresetAction CameraPresetSource::actionOf(obs_source_t *source)
{
	SceneRules::PresetAction action;
	obs_data_t *settings = obs_source_get_settings(source);
	if (settings == nullptr)
		return action;
	action.camera = qBound(1, int(obs_data_get_int(settings, "camera")), CameraRig::slotCount);
	action.preset = qBound(1, int(obs_data_get_int(settings, "preset")), presetCount);
	action.trigger = SceneRules::triggerFromText(QString::fromUtf8(obs_data_get_string(settings, "trigger")));
	action.skipIfLive = obs_data_get_bool(settings, "skipIfLive");
	obs_data_release(settings);
	return action;
}
