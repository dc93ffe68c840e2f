#pragma once

#include "plugin/scenes/SceneRules.h"

#include <obs.h>

// The "Camera Preset" source type: an input that shows and plays nothing and, through its settings, names a
// camera, a preset and when to recall it. Program recalls start from its activation or, sooner, from the
// program scene change; preview recalls are found by SceneTriggers.
namespace CameraPresetSource {

constexpr const char *id = "brenmoor_camera_preset";

// Registers the type with OBS (once, at module load).
void registerType();
bool isOne(obs_source_t *source);
// A scene changed: true when this is a "Camera Preset" that OBS already counts as active in the program output but
// has not yet reported as activated. It is then recalled now and its coming activation is absorbed.
bool sceneChanged(obs_source_t *source);
// The source's settings as an action (values out of range are brought into it).
SceneRules::PresetAction actionOf(obs_source_t *source);

} // namespace CameraPresetSource
