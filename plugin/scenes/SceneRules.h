#pragma once

#include "control/CameraRig.h"
#include "control/TallyLamp.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

// What the scene actions and the tally follow, free of OBS: when a "Camera Preset" recalls, and which lamp
// commands a change of a camera's place in the show calls for.
namespace SceneRules {

// When a "Camera Preset" recalls: its scene goes to program, to the studio-mode preview, or either.
enum class Trigger { Program, Preview, Both };
// Where the scene went.
enum class Moment { Program, Preview };

// The settings' texts "program", "preview", "both"; anything else reads as program.
Trigger triggerFromText(const QString &text);
QString triggerText(Trigger trigger);

// A "Camera Preset" as its settings describe it.
struct PresetAction {
	int camera = 1; // slot 1..8
	int preset = 1; // 1..19
	Trigger trigger = Trigger::Program;
	bool skipIfLive = true; // no preview recall for a camera that is on program
};

// Whether the action recalls when its scene reaches `moment`, the camera being where `air` says.
bool recalls(const PresetAction &action, Moment moment, CameraRig::OnAir air);

// A slot's place in the show from whether its source is on program and whether it is in the preview.
CameraRig::OnAir onAirOf(bool onProgram, bool inPreview);

// Per slot, the tally: off, the red lamp only, or red and green.
enum class TallyMode { Off, Red, RedGreen };
// The settings' texts "off", "red", "redGreen"; anything else reads as off.
TallyMode tallyModeFromText(const QString &text);

struct Lamps {
	bool red = false;
	bool green = false;
	bool operator==(const Lamps &other) const { return red == other.red && green == other.green; }
};

// The lamps a camera should show.
Lamps lampsFor(TallyMode mode, CameraRig::OnAir air);

// The lamp commands that take the camera from what was last sent (nothing known: after a (re)connect) to what it
// should show: each lamp the mode drives when nothing is known, otherwise each lamp that differs. A lamp the mode
// does not drive is only ever switched off, when it was last sent on.
std::vector<std::pair<TallyLamp::Lamp, bool>> lampChanges(const std::optional<Lamps> &sent, TallyMode mode,
							  CameraRig::OnAir air);

} // namespace SceneRules
