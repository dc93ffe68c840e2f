#include "gamepad/PadMapping.h"

#include "gamepad/StickResponse.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace {

const char *const axisNames[PadMapping::axisCount] = {"leftx",  "lefty",       "rightx",
						      "righty", "lefttrigger", "righttrigger"};
const char *const buttonNames[PadMapping::buttonCount] = {"a",
							  "b",
							  "x",
							  "y",
							  "back",
							  "guide",
							  "start",
							  "leftstick",
							  "rightstick",
							  "leftshoulder",
							  "rightshoulder",
							  "dpup",
							  "dpdown",
							  "dpleft",
							  "dpright"};
const char *const roleNames[PadMapping::roleCount] = {"none", "pan", "tilt", "zoom", "zoomin", "zoomout"};
const char *const actionNames[PadMapping::actionCount] = {
	"none",    "preset1", "preset2",        "preset3",    "preset4",  "preset5",   "preset6", "preset7",
	"preset8", "preset9", "previouscamera", "nextcamera", "focusfar", "focusnear", "home"};

template <size_t N>
int indexOf(const char *const (&names)[N], const QString &name)
{
	for (size_t i = 0; i < N; ++i) {
		if (name == QLatin1String(names[i]))
			return int(i);
	}
	return -1;
}

} // namespace

PadMapping::PadMapping()
{
	m_roles = {AxisRole::Pan, AxisRole::Tilt, AxisRole::None, AxisRole::Zoom, AxisRole::ZoomOut, AxisRole::ZoomIn};
	m_actions.fill(Action::None);
	m_actions[A] = Action::Preset1;
	m_actions[B] = Action::Preset2;
	m_actions[X] = Action::Preset3;
	m_actions[Y] = Action::Preset4;
	m_actions[LeftShoulder] = Action::PreviousCamera;
	m_actions[RightShoulder] = Action::NextCamera;
	m_actions[DPadUp] = Action::FocusFar;
	m_actions[DPadDown] = Action::FocusNear;
	m_actions[Start] = Action::Home;
}

PadMapping::Motion PadMapping::motion(const std::array<int, axisCount> &axes) const
{
	Motion motion;
	for (int axis = 0; axis < axisCount; ++axis) {
		double value = StickResponse::deflection(axes[size_t(axis)]);
		// Stick axes read negative pushed up or left; up is the positive way for tilt and zoom.
		const bool vertical = axis == LeftY || axis == RightY;
		const bool trigger = axis == LeftTrigger || axis == RightTrigger;
		switch (m_roles[size_t(axis)]) {
		case AxisRole::None:
			continue;
		case AxisRole::Tilt:
		case AxisRole::Zoom:
			if (vertical)
				value = -value;
			break;
		case AxisRole::ZoomOut:
			value = trigger ? -std::max(value, 0.0) : -std::fabs(value);
			break;
		case AxisRole::ZoomIn:
			value = trigger ? std::max(value, 0.0) : std::fabs(value);
			break;
		case AxisRole::Pan:
			break;
		}
		if (m_inverted[size_t(axis)])
			value = -value;
		switch (m_roles[size_t(axis)]) {
		case AxisRole::Pan:
			motion.pan += value;
			break;
		case AxisRole::Tilt:
			motion.tilt += value;
			break;
		default:
			motion.zoom += value;
			break;
		}
	}
	motion.pan = std::clamp(motion.pan, -1.0, 1.0);
	motion.tilt = std::clamp(motion.tilt, -1.0, 1.0);
	motion.zoom = std::clamp(motion.zoom, -1.0, 1.0);
	return motion;
}

QJsonObject PadMapping::toJson() const
{
	const PadMapping defaults;
	QJsonObject json;
	QJsonObject roles;
	QJsonArray flipped;
	for (int axis = 0; axis < axisCount; ++axis) {
		if (role(axis) != defaults.role(axis))
			roles.insert(axisName(axis), roleName(role(axis)));
		if (inverted(axis))
			flipped.append(axisName(axis));
	}
	QJsonObject actions;
	for (int button = 0; button < buttonCount; ++button) {
		if (action(button) != defaults.action(button))
			actions.insert(buttonName(button), actionName(action(button)));
	}
	if (!roles.isEmpty())
		json.insert(QStringLiteral("axes"), roles);
	if (!flipped.isEmpty())
		json.insert(QStringLiteral("inverted"), flipped);
	if (!actions.isEmpty())
		json.insert(QStringLiteral("buttons"), actions);
	if (m_slot != 0)
		json.insert(QStringLiteral("slot"), m_slot);
	return json;
}

PadMapping PadMapping::fromJson(const QJsonObject &json)
{
	PadMapping mapping;
	const QJsonObject roles = json.value(QStringLiteral("axes")).toObject();
	for (auto it = roles.begin(); it != roles.end(); ++it) {
		const int axis = indexOf(axisNames, it.key());
		const int role = indexOf(roleNames, it.value().toString());
		if (axis >= 0 && role >= 0)
			mapping.setRole(axis, AxisRole(role));
	}
	for (const QJsonValue &name : json.value(QStringLiteral("inverted")).toArray()) {
		const int axis = indexOf(axisNames, name.toString());
		if (axis >= 0)
			mapping.setInverted(axis, true);
	}
	const QJsonObject actions = json.value(QStringLiteral("buttons")).toObject();
	for (auto it = actions.begin(); it != actions.end(); ++it) {
		const int button = indexOf(buttonNames, it.key());
		const int action = indexOf(actionNames, it.value().toString());
		if (button >= 0 && action >= 0)
			mapping.setAction(button, Action(action));
	}
	const int slot = json.value(QStringLiteral("slot")).toInt();
	mapping.setSlot(slot >= 1 && slot <= 8 ? slot : 0);
	return mapping;
}

bool PadMapping::operator==(const PadMapping &other) const
{
	return m_roles == other.m_roles && m_inverted == other.m_inverted && m_actions == other.m_actions &&
	       m_slot == other.m_slot;
}

QString PadMapping::axisName(int axis)
{
	return QLatin1String(axisNames[axis]);
}

QString PadMapping::buttonName(int button)
{
	return QLatin1String(buttonNames[button]);
}

QString PadMapping::roleName(AxisRole role)
{
	return QLatin1String(roleNames[int(role)]);
}

QString PadMapping::actionName(Action action)
{
	return QLatin1String(actionNames[int(action)]);
}

int PadMapping::presetOf(Action action)
{
	const int n = int(action) - int(Action::Preset1) + 1;
	return n >= 1 && n <= 9 ? n : 0;
}
