#pragma once

#include <QJsonObject>
#include <QString>

#include <array>

// What each control of a pad in the standard controller layout does. Axes and buttons are numbered as SDL's
// game-controller API numbers them; their names are SDL's too, so a stored mapping reads the same anywhere.
class PadMapping {
public:
	static constexpr int axisCount = 6;    // left x/y, right x/y, left and right trigger
	static constexpr int buttonCount = 15; // A, B, X, Y, back, guide, start, sticks, shoulders, D-pad
	enum Axis { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger };
	enum Button {
		A,
		B,
		X,
		Y,
		Back,
		Guide,
		Start,
		LeftStick,
		RightStick,
		LeftShoulder,
		RightShoulder,
		DPadUp,
		DPadDown,
		DPadLeft,
		DPadRight,
	};

	// Pan pushed right, tilt pushed up and zoom pushed up drive right, up and in; triggers zoom one way each.
	enum class AxisRole { None, Pan, Tilt, Zoom, ZoomIn, ZoomOut };
	enum class Action {
		None,
		Preset1,
		Preset2,
		Preset3,
		Preset4,
		Preset5,
		Preset6,
		Preset7,
		Preset8,
		Preset9,
		PreviousCamera,
		NextCamera,
		FocusFar,
		FocusNear,
		Home,
	};
	static constexpr int roleCount = 6;
	static constexpr int actionCount = 15;

	// Left stick pans and tilts, right stick's vertical and the triggers zoom, A/B/X/Y recall presets 1-4, the
	// shoulders step through the cameras, D-pad up and down focus far and near, Start sends the camera home.
	PadMapping();

	AxisRole role(int axis) const { return m_roles.at(size_t(axis)); }
	void setRole(int axis, AxisRole role) { m_roles.at(size_t(axis)) = role; }
	bool inverted(int axis) const { return m_inverted.at(size_t(axis)); }
	void setInverted(int axis, bool inverted) { m_inverted.at(size_t(axis)) = inverted; }
	Action action(int button) const { return m_actions.at(size_t(button)); }
	void setAction(int button, Action action) { m_actions.at(size_t(button)) = action; }
	// The slot this pad drives, or 0 for the selected camera.
	int slot() const { return m_slot; }
	void setSlot(int slot) { m_slot = slot; }

	// Pan, tilt and zoom as shares of the throw (-1..1, right, up, in) from raw axis readings, before the dead
	// zone. Sticks pushed up read negative; that is undone here, as is an inversion.
	struct Motion {
		double pan = 0;
		double tilt = 0;
		double zoom = 0;
	};
	Motion motion(const std::array<int, axisCount> &axes) const;

	// Stored form: only what differs from the defaults is written; unknown names are ignored on reading.
	QJsonObject toJson() const;
	static PadMapping fromJson(const QJsonObject &json);
	bool operator==(const PadMapping &other) const;

	static QString axisName(int axis);
	static QString buttonName(int button);
	static QString roleName(AxisRole role);
	static QString actionName(Action action);
	// 0 for actions that are no preset.
	static int presetOf(Action action);

private:
	std::array<AxisRole, axisCount> m_roles{};
	std::array<bool, axisCount> m_inverted{};
	std::array<Action, buttonCount> m_actions{};
	int m_slot = 0;
};
