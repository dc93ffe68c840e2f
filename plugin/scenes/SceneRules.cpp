#include "plugin/scenes/SceneRules.h"

namespace SceneRules {

Trigger triggerFromText(const QString &text)
{
	if (text == QLatin1String("preview"))
		return Trigger::Preview;
	if (text == QLatin1String("both"))
		return Trigger::Both;
	return Trigger::Program;
}

QString triggerText(Trigger trigger)
{
	switch (trigger) {
	case Trigger::Preview:
		return QStringLiteral("preview");
	case Trigger::Both:
		return QStringLiteral("both");
	case Trigger::Program:
		break;
	}
	return QStringLiteral("program");
}

bool recalls(const PresetAction &action, Moment moment, CameraRig::OnAir air)
{
	if (moment == Moment::Program)
		return action.trigger != Trigger::Preview;
	if (action.trigger == Trigger::Program)
		return false;
	return !(action.skipIfLive && air == CameraRig::OnAir::Program);
}

CameraRig::OnAir onAirOf(bool onProgram, bool inPreview)
{
	if (onProgram)
		return CameraRig::OnAir::Program;
	return inPreview ? CameraRig::OnAir::Preview : CameraRig::OnAir::No;
}

TallyMode tallyModeFromText(const QString &text)
{
	if (text == QLatin1String("red"))
		return TallyMode::Red;
	if (text == QLatin1String("redGreen"))
		return TallyMode::RedGreen;
	return TallyMode::Off;
}

Lamps lampsFor(TallyMode mode, CameraRig::OnAir air)
{
	Lamps lamps;
	lamps.red = mode != TallyMode::Off && air == CameraRig::OnAir::Program;
	lamps.green = mode == TallyMode::RedGreen && air == CameraRig::OnAir::Preview;
	return lamps;
}

std::vector<std::pair<TallyLamp::Lamp, bool>> lampChanges(const std::optional<Lamps> &sent, TallyMode mode,
							  CameraRig::OnAir air)
{
	const Lamps wanted = lampsFor(mode, air);
	const bool drives[] = {mode != TallyMode::Off, mode == TallyMode::RedGreen};
	const bool want[] = {wanted.red, wanted.green};
	const TallyLamp::Lamp lamps[] = {TallyLamp::Lamp::Red, TallyLamp::Lamp::Green};
	std::vector<std::pair<TallyLamp::Lamp, bool>> changes;
	for (int i = 0; i < 2; ++i) {
		bool send = false;
		if (!sent)
			send = drives[i];
		else
			send = (i == 0 ? sent->red : sent->green) != want[i];
		if (send)
			changes.emplace_back(lamps[i], want[i]);
	}
	return changes;
}

} // namespace SceneRules
